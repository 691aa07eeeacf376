#pragma once

#include <QMutex>
#include <QPair>
#include <QVector>
#include <map>

// MAS_PID_PROCESS: the process ID that carries each object's open session, keyed
// by TREETABLE.ID; 0 for none. The launcher and the session watchers share it
// across threads, so every access takes the lock. Keyed rather than sized by the
// highest identity: objects created during the run need no resize, and one huge
// identity costs one entry.
class TSessionTable {
public:
    int pid(int objectId) const;
    // A pid of 0 removes the entry.
    void setPid(int objectId, int pid);
    // Every entry with a session, in identity order.
    QVector<QPair<int, int>> entries() const;
    int size() const;
    void clear();

private:
    mutable QMutex m_lock;
    std::map<int, int> m_pids;
};
