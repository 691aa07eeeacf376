#include "journal/JournalCatchUp.h"

#include <chrono>

namespace {

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

JournalCatchUp::JournalCatchUp(Clock clock) : m_clock(clock ? std::move(clock) : Clock(steadyMs)) {}

void JournalCatchUp::setMark(int mark) {
    m_mark = mark;
    m_revisits.clear();
}

void JournalCatchUp::markJournalEnd(RunDatabase& db) {
    setMark(Last_ID_To_LOGS(db));
}

JournalCatchUp::Result JournalCatchUp::run(RunDatabase& db, const Apply& apply,
                                           const BeforeBatch& beforeBatch) {
    Result result;
    const int newest = Last_ID_To_LOGS(db);
    if (newest < m_mark) {
        restartAt(newest, result,
                  QStringLiteral("Журнал изменений начинается заново (последняя запись %1, прочитано до %2): "
                                 "дерево перестроено")
                      .arg(newest)
                      .arg(m_mark));
        return result;
    }
    if (CountLogsAfter(db, m_mark, kBacklogLimit + 1) > kBacklogLimit) {
        restartAt(newest, result,
                  QStringLiteral("Пропущено больше %1 изменений: дерево перестроено").arg(kBacklogLimit));
        return result;
    }

    bool corrupt = false;
    revisit(db, apply, beforeBatch, result, corrupt);
    for (;;) {
        const QVector<type_LogsEntry> page = ReadLogsAfter(db, m_mark, kPageSize);
        if (beforeBatch && !page.isEmpty())
            beforeBatch(page);
        for (const type_LogsEntry& entry : page) {
            noteHolesBelow(entry.ID);
            handle(entry, true, m_clock(), apply, result, corrupt);
            m_mark = entry.ID;
        }
        if (page.size() < kPageSize)
            break;
    }
    trimRevisits();
    if (corrupt)
        result.outcome = Outcome::Rebuild;
    return result;
}

void JournalCatchUp::noteHolesBelow(int id) {
    const qint64 now = m_clock();
    const int lowest = qMax(m_mark + 1, id - kMaxRevisits);
    for (int hole = lowest; hole < id; ++hole) {
        if (!m_revisits.contains(hole))
            m_revisits.insert(hole, Revisit{now, false});
    }
}

void JournalCatchUp::revisit(RunDatabase& db, const Apply& apply, const BeforeBatch& beforeBatch,
                             Result& result, bool& corrupt) {
    const qint64 now = m_clock();
    for (auto it = m_revisits.begin(); it != m_revisits.end();) {
        if (now - it->sinceMs > kRevisitMs)
            it = m_revisits.erase(it);
        else
            ++it;
    }
    if (m_revisits.isEmpty())
        return;
    const QVector<type_LogsEntry> found = ReadLogsWithIds(db, revisits());
    if (beforeBatch && !found.isEmpty())
        beforeBatch(found);
    for (const type_LogsEntry& entry : found) {
        const Revisit before = m_revisits.value(entry.ID);
        handle(entry, !before.seen, before.sinceMs, apply, result, corrupt);
    }
}

void JournalCatchUp::handle(const type_LogsEntry& entry, bool firstSight, qint64 sinceMs, const Apply& apply,
                            Result& result, bool& corrupt) {
    if (!entry.isReadable()) {
        result.trace
            << QStringLiteral("Запись журнала %1 не читается: %2").arg(entry.ID).arg(entry.ReadError);
        corrupt = true;
        m_revisits.remove(entry.ID);
        return;
    }
    const bool settled = apply(entry, firstSight);
    ++result.applied;
    if (settled)
        m_revisits.remove(entry.ID);
    else
        m_revisits.insert(entry.ID, Revisit{sinceMs, true});
}

void JournalCatchUp::trimRevisits() {
    while (m_revisits.size() > kMaxRevisits)
        m_revisits.erase(m_revisits.begin());
}

void JournalCatchUp::restartAt(int mark, Result& result, const QString& reason) {
    setMark(mark);
    result.outcome = Outcome::Rebuild;
    result.trace << reason;
}
