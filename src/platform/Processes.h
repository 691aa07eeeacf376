#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>
#include <vector>

// A process is known by its ID together with its start time: IDs are reused, and
// a reused ID must never count as the process we started.
struct ProcessIdentity {
    qint64 pid = 0;
    quint64 startTime = 0; // clock ticks after boot, as /proc/<pid>/stat gives it

    friend bool operator==(const ProcessIdentity&, const ProcessIdentity&) = default;
};

// One process of a snapshot.
struct ProcessEntry {
    qint64 pid = 0;
    QByteArray comm; // the kernel's short name, at most 15 bytes
    char state = '?';
    qint64 ppid = 0;
    quint64 startTime = 0;

    ProcessIdentity identity() const { return {pid, startTime}; }
    // Zombies and dead entries have ended; only their parent has not noticed yet.
    bool isLive() const { return state != 'Z' && state != 'X' && state != 'x'; }
};

using ProcessSnapshot = std::vector<ProcessEntry>;

// The content of /proc/<pid>/stat. The name runs from the first "(" to the last ")",
// since it may itself hold blanks and parentheses. Nothing for a truncated or
// malformed line.
std::optional<ProcessEntry> parseProcStat(QByteArrayView line);

// Whether the snapshot holds the live process of that identity.
bool containsLive(const ProcessSnapshot& snapshot, const ProcessIdentity& process);

// Every process of the system at one moment.
class ProcessReader {
public:
    virtual ~ProcessReader() = default;
    virtual ProcessSnapshot snapshot() = 0;
};

// Reads /proc. Processes that vanish while it reads are left out. Before each
// snapshot it reaps the processes this program started that have ended.
class ProcProcessReader : public ProcessReader {
public:
    explicit ProcProcessReader(QByteArray procRoot = "/proc");
    ProcessSnapshot snapshot() override;

private:
    QByteArray m_procRoot;
};
