#pragma once

#include "journal/ChangeRecord.h"
#include "tree/TreeEditing.h"

#include <QHash>
#include <QVector>
#include <optional>

struct RunDatabase;
class TreePatchTarget;

// Applies one journal entry to one client's tree. The entry only names the
// object; its TREETABLE row, read by key, says what the object is now. So an
// entry applied twice, late, or as the echo of this client's own change leaves
// the tree as it is, and a second copy of the same user is patched too.
class TreePatcher {
public:
    enum class Result {
        Done,
        // The object's parent row exists but its node is not in the tree yet;
        // worth another try once later entries have been applied.
        Unplaced,
        // The row of a deleted object is still there (older copies journal a
        // deletion before they delete): look again at a later catch-up.
        RetryLater,
        // The tree no longer matches the table; it must be built anew.
        OutOfStep,
    };

    TreePatcher(RunDatabase& db, TreePatchTarget& tree) : m_db(db), m_tree(tree) {}

    Result apply(const type_ParametersOfEvents& entry);

    // Reads the rows of the objects these entries name in a few statements; the
    // applies that follow take them from there until forgetRows().
    void prefetchRows(const QVector<type_ParametersOfEvents>& entries);
    void forgetRows() { m_rows.clear(); }

private:
    std::optional<TreeRow> currentRow(int id);
    Result place(int id, bool created);
    Result updateTextAndIcon(const type_ParametersOfEvents& entry);
    Result remove(int id);
    Result removeGone(int id);
    Result parentNodeMissing(int parentId);

    RunDatabase& m_db;
    TreePatchTarget& m_tree;
    QHash<int, std::optional<TreeRow>> m_rows;
};

// After this client's own deletion of id, which deleted these rows: removes the
// node and its subtree, clearing selection and editor when they were inside.
// Returns false when some node of that subtree was not deleted (someone moved it
// away meanwhile): the tree must then be built anew.
bool removeDeletedSubtree(TreePatchTarget& tree, int id, const QVector<int>& deleted);
