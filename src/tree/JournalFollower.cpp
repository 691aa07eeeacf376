#include "tree/JournalFollower.h"

#include "db/TableUserDB.h"

JournalFollower::JournalFollower(RunDatabase& db, TreePatchTarget& tree, JournalCatchUp::Clock clock)
    : m_db(db), m_patcher(db, tree), m_catchUp(std::move(clock)) {}

JournalFollower::Result JournalFollower::catchUp() {
    Result result;
    m_authors.clear();
    QVector<type_ParametersOfEvents> waiting;
    const auto apply = [&](const type_LogsEntry& entry, bool firstSight) {
        const type_ParametersOfEvents& record = entry.ParametersOfEvents;
        const TreePatcher::Result patched = m_patcher.apply(record);
        if (firstSight) {
            if (const auto alert = alertTextFor(record, authorName(record.UserID_)))
                result.alerts << *alert;
        }
        switch (patched) {
        case TreePatcher::Result::Unplaced:
            waiting << record;
            return true;
        case TreePatcher::Result::RetryLater:
            return false;
        case TreePatcher::Result::OutOfStep:
            result.rebuildTree = true;
            return true;
        case TreePatcher::Result::Done:
            break;
        }
        return true;
    };
    const auto beforeBatch = [&](const QVector<type_LogsEntry>& entries) {
        QVector<type_ParametersOfEvents> records;
        for (const type_LogsEntry& entry : entries)
            records << entry.ParametersOfEvents;
        m_patcher.prefetchRows(records);
    };
    m_patcher.forgetRows();
    const JournalCatchUp::Result read = m_catchUp.run(m_db, apply, beforeBatch);
    result.applied = read.applied;
    result.trace = read.trace;
    if (read.outcome == JournalCatchUp::Outcome::Rebuild)
        result.rebuildTree = true;
    placeWaitingEntries(waiting, result);
    m_patcher.forgetRows();
    return result;
}

// Entries whose parent node came with a later entry of the same catch-up, placed
// in passes until a pass places nothing.
void JournalFollower::placeWaitingEntries(QVector<type_ParametersOfEvents>& waiting, Result& result) {
    while (!waiting.isEmpty() && !result.rebuildTree) {
        QVector<type_ParametersOfEvents> still;
        for (const type_ParametersOfEvents& record : waiting) {
            const TreePatcher::Result patched = m_patcher.apply(record);
            if (patched == TreePatcher::Result::Unplaced)
                still << record;
            else if (patched == TreePatcher::Result::OutOfStep)
                result.rebuildTree = true;
        }
        if (still.size() == waiting.size()) {
            result.rebuildTree = true;
            result.trace << QStringLiteral(
                                "Дерево разошлось с таблицей (%1 объектов без места): дерево перестроено")
                                .arg(still.size());
        }
        waiting = still;
    }
}

QString JournalFollower::authorName(int userId) {
    const auto known = m_authors.constFind(userId);
    if (known != m_authors.cend())
        return *known;
    const QString name = GetFIObyUser_ID(m_db, userId).trimmed();
    m_authors.insert(userId, name);
    return name;
}
