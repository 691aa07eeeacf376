#include "launch/SessionSearch.h"

#include <unordered_map>

namespace {

constexpr qsizetype kCommLength = 15; // the kernel keeps this much of a name

using ByPid = std::unordered_map<qint64, const ProcessEntry*>;

// Walks up the parents. A parent must be older than its child, otherwise the pid
// has been reused by an unrelated process.
bool descendsFrom(const ProcessEntry& entry, const ProcessIdentity& started, const ByPid& byPid) {
    const ProcessEntry* current = &entry;
    for (int depth = 0; depth < 64; ++depth) {
        if (current->identity() == started)
            return true;
        const auto parent = byPid.find(current->ppid);
        if (current->ppid <= 0 || parent == byPid.end() || parent->second->startTime > current->startTime)
            return false;
        current = parent->second;
    }
    return false;
}

// A client's own children carry its name between fork and exec; the session is the
// topmost process of that name, not such a child.
bool hasClientParent(const ProcessEntry& entry, const ProcessIdentity& started, const QByteArray& name,
                     const ByPid& byPid) {
    if (entry.identity() == started)
        return false;
    const auto parent = byPid.find(entry.ppid);
    return parent != byPid.end() && parent->second->comm == name;
}

bool isNewer(const ProcessEntry& a, const ProcessEntry& b) {
    return a.startTime != b.startTime ? a.startTime > b.startTime : a.pid > b.pid;
}

} // namespace

SearchOutcome searchSession(const ProcessSnapshot& snapshot, const ProcessIdentity& started,
                            const QByteArray& sessionName) {
    ByPid byPid;
    for (const ProcessEntry& entry : snapshot)
        byPid.emplace(entry.pid, &entry);

    const QByteArray name = sessionName.left(kCommLength);
    const ProcessEntry* newest = nullptr;
    bool anyLive = false;
    for (const ProcessEntry& entry : snapshot) {
        if (!entry.isLive() || entry.startTime < started.startTime || !descendsFrom(entry, started, byPid))
            continue;
        anyLive = true;
        if (entry.comm == name && !hasClientParent(entry, started, name, byPid) &&
            (!newest || isNewer(entry, *newest)))
            newest = &entry;
    }
    if (newest)
        return {SearchOutcome::Kind::Found, newest->identity()};
    return {anyLive ? SearchOutcome::Kind::Pending : SearchOutcome::Kind::SubtreeGone, {}};
}
