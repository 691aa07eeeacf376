#pragma once

#include "platform/Processes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// One program to start: each argument reaches it as one element, no shell is involved.
struct SpawnRequest {
    QString program; // full path
    QStringList arguments;
    // Written to the program's standard input, which is then closed. Without it the
    // program reads /dev/null.
    std::optional<QByteArray> stdinData;
};

struct SpawnResult {
    std::optional<ProcessIdentity> process; // set when the program runs
    QString error;                          // the system's reason otherwise
};

class ProcessSpawner {
public:
    virtual ~ProcessSpawner() = default;
    virtual SpawnResult spawn(const SpawnRequest& request) = 0;
};

// posix_spawn in a session of its own: the program outlives us and never gets our
// terminal's signals. The secret goes through a pipe that is filled and closed before
// spawn returns; it never waits for the program.
class PosixSpawner : public ProcessSpawner {
public:
    SpawnResult spawn(const SpawnRequest& request) override;
};

// Reaps the programs started here that have ended, so they do not stay zombies.
// Safe from any thread.
void reapEndedChildren();
