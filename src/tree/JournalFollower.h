#pragma once

#include "journal/Events.h"
#include "journal/JournalCatchUp.h"
#include "tree/TreePatcher.h"

#include <QHash>
#include <QStringList>
#include <QVector>

struct RunDatabase;
class TreePatchTarget;

// One client following the journal: each catch-up applies the new entries to its
// tree and gathers the alerts they raise. Widget-free; the window runs it from a
// CatchUpScheduler and shows what comes back.
class JournalFollower {
public:
    struct Result {
        // Build the tree anew from the table, keeping selection and expansion.
        bool rebuildTree = false;
        // One per entry read for the first time, oldest first; see alertsToShow.
        QVector<AlertText> alerts;
        QStringList trace;
        int applied = 0;
    };

    JournalFollower(RunDatabase& db, TreePatchTarget& tree, JournalCatchUp::Clock clock = {});

    // Before the tree is built from the table.
    void markJournalEnd() { m_catchUp.markJournalEnd(m_db); }
    int mark() const { return m_catchUp.mark(); }
    JournalCatchUp& journal() { return m_catchUp; }

    Result catchUp();

private:
    QString authorName(int userId);
    void placeWaitingEntries(QVector<type_ParametersOfEvents>& waiting, Result& result);

    RunDatabase& m_db;
    TreePatcher m_patcher;
    JournalCatchUp m_catchUp;
    QHash<int, QString> m_authors; // for one catch-up
};
