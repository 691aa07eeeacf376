#pragma once

#include <functional>

namespace fb {

// The client library catches SIGINT and SIGTERM itself and, left alone, shuts
// every attachment down while the process goes on running: the program would
// neither end nor work. Once this is called, such a signal leaves the
// attachments alone and calls handler instead, on one of the library's own
// threads (so handler must only post work to the program's thread). Calling it
// again replaces the handler; an empty one restores the library's behaviour.
void onTerminationSignal(std::function<void()> handler);

} // namespace fb
