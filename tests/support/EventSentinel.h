#pragma once

#include "app/RunDatabase.h"
#include "fb/EventListener.h"

#include <QString>

namespace testsupport {

// Proof that something did not arrive. The sentinel listens for an event of its own
// on the same attachment as the listener under test; its post is committed after
// the posts under test, so once it has arrived every earlier delivery to that
// attachment has been handled as well, and a check for "nothing came" can be made
// without waiting an arbitrary time.
class EventSentinel {
public:
    explicit EventSentinel(fb::Database& listenOn);

    // Posts the sentinel's event from `from` in a transaction of its own and waits
    // for it; false when it did not come within the time.
    bool postAndWait(RunDatabase& from, int timeoutMs = 10000);
    int received() const { return m_received; }

private:
    fb::EventListener m_listener;
    int m_received = 0;
};

} // namespace testsupport
