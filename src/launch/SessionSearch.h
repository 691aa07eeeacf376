#pragma once

#include "platform/Processes.h"

#include <QByteArray>

// Finding the process that carries a session: the newest live process named like
// the client in the subtree of the program we started, that program included, and
// whose parent is not named so (a client's children share its name between fork and
// exec). Normally it is the started program itself; a wrapper script may start the
// real client as its child.
struct SearchOutcome {
    enum class Kind { Found, Pending, SubtreeGone };
    Kind kind = Kind::Pending;
    ProcessIdentity process; // when found
};

SearchOutcome searchSession(const ProcessSnapshot& snapshot, const ProcessIdentity& started,
                            const QByteArray& sessionName);
