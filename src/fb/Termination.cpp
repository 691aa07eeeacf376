#include "Termination.h"

#include "Client.h"

#include <ibase.h>
#include <mutex>

namespace fb {
namespace {

std::mutex handlerLock;
std::function<void()>& installedHandler() {
    static std::function<void()> handler;
    return handler;
}

// Asked by the library before it shuts down; non-zero refuses the shutdown.
int confirmShutdown(const int reason, const int /*mask*/, void* /*arg*/) {
    if (reason != fb_shutrsn_signal)
        return 0;
    std::function<void()> handler;
    {
        const std::lock_guard guard(handlerLock);
        handler = installedHandler();
    }
    if (!handler)
        return 0;
    handler();
    return 1;
}

} // namespace

void onTerminationSignal(std::function<void()> handler) {
    static std::once_flag registered;
    {
        const std::lock_guard guard(handlerLock);
        installedHandler() = std::move(handler);
    }
    std::call_once(registered, [] {
        detail::master(); // loads the library
        ISC_STATUS_ARRAY status{};
        if (fb_shutdown_callback(status, confirmShutdown, fb_shut_confirmation, nullptr) != 0)
            throw Error(QStringLiteral("Cannot register for the client library's shutdown"));
    });
}

} // namespace fb
