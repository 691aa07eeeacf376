#include "launch/SessionTable.h"

void SessionTable::put(int objectId, const SessionEntry& entry) {
    std::lock_guard lock(m_mutex);
    m_entries[objectId] = entry;
}

std::optional<SessionEntry> SessionTable::find(int objectId) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(objectId);
    if (it == m_entries.end())
        return std::nullopt;
    return it->second;
}

SessionTable::Map SessionTable::copy() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

bool SessionTable::replaceIf(int objectId, const SessionEntry& expected, const SessionEntry& replacement) {
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(objectId);
    if (it == m_entries.end() || !(it->second == expected))
        return false;
    it->second = replacement;
    return true;
}

bool SessionTable::removeIf(int objectId, const SessionEntry& expected) {
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(objectId);
    if (it == m_entries.end() || !(it->second == expected))
        return false;
    m_entries.erase(it);
    return true;
}

qsizetype SessionTable::size() const {
    std::lock_guard lock(m_mutex);
    return static_cast<qsizetype>(m_entries.size());
}
