#pragma once

#include "journal/ChangeRecord.h"

#include <QString>

struct RunDatabase;
class TreePatchTarget;

// The journalled tree operations of one client, as its window runs them: the
// database first (refused when another user's change is in the way), then this
// client's tree, then the journal. Nodes are named by identity, so an operation
// that waited for a question re-finds its node; one gone meanwhile ends quietly.
class TreeEditor {
public:
    struct Outcome {
        bool done = false;
        // Why the database refused, to be shown to the user; empty otherwise.
        QString refusal;
        // The object created.
        int id = 0;
        // The tree no longer matches the table; build it anew.
        bool rebuildTree = false;
    };

    // pending: the change record of the loaded object, re-based after own moves.
    TreeEditor(RunDatabase& db, TreePatchTarget& tree, int userId,
               type_ParametersOfEvents* pending = nullptr);

    // A new "Объект" as the last child of parentId, 0 for the top level.
    Outcome createObject(int parentId);
    // The object and everything below it; no question asked here.
    Outcome deleteObject(int id);
    // Makes id the last child of targetId. A drop on the node itself or one of its
    // descendants moves nothing.
    Outcome moveObject(int id, int targetId);

private:
    template <typename Operation> Outcome guarded(Operation&& operation);

    RunDatabase& m_db;
    TreePatchTarget& m_tree;
    int m_user;
    type_ParametersOfEvents* m_pending;
};
