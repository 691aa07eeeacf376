#include "SessionTable.h"

#include <QMutexLocker>

int TSessionTable::pid(int objectId) const {
    QMutexLocker locker(&m_lock);
    const auto it = m_pids.find(objectId);
    return it == m_pids.end() ? 0 : it->second;
}

void TSessionTable::setPid(int objectId, int pid) {
    QMutexLocker locker(&m_lock);
    if (pid == 0)
        m_pids.erase(objectId);
    else
        m_pids[objectId] = pid;
}

QVector<QPair<int, int>> TSessionTable::entries() const {
    QMutexLocker locker(&m_lock);
    QVector<QPair<int, int>> result;
    result.reserve(static_cast<qsizetype>(m_pids.size()));
    for (const auto& [id, pid] : m_pids)
        result.append({id, pid});
    return result;
}

int TSessionTable::size() const {
    QMutexLocker locker(&m_lock);
    return static_cast<int>(m_pids.size());
}

void TSessionTable::clear() {
    QMutexLocker locker(&m_lock);
    m_pids.clear();
}
