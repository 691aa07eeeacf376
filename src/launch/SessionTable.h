#pragma once

#include "platform/Processes.h"

#include <QByteArray>
#include <map>
#include <mutex>
#include <optional>

// One object's session: the process that carries it. While `searching`, `process`
// is the program we started and the real session process may still be one of its
// descendants.
struct SessionEntry {
    ProcessIdentity process;
    QByteArray sessionName; // process name of the client ("xfreerdp", "putty")
    bool searching = false;
    qint64 searchDeadlineMs = 0; // steady clock, for searching entries

    friend bool operator==(const SessionEntry&, const SessionEntry&) = default;
};

// The session table (MAS_PID_PROCESS): object ID to its session, shared by the
// launcher on the user-interface thread and the watcher thread. Objects made after
// start, here or by another copy, simply get an entry when launched.
class SessionTable {
public:
    using Map = std::map<int, SessionEntry>;

    void put(int objectId, const SessionEntry& entry);
    std::optional<SessionEntry> find(int objectId) const;
    // A copy to work on without holding the lock.
    Map copy() const;
    // Replaces the entry only while it still is `expected`; false otherwise (a newer
    // launch has taken the object's place meanwhile).
    bool replaceIf(int objectId, const SessionEntry& expected, const SessionEntry& replacement);
    // Removes the entry only while it still is `expected`.
    bool removeIf(int objectId, const SessionEntry& expected);
    qsizetype size() const;

private:
    mutable std::mutex m_mutex;
    Map m_entries;
};
