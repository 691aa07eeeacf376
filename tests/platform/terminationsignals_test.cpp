#include "platform/TerminationSignals.h"

#include <QSignalSpy>
#include <csignal>
#include <gtest/gtest.h>

namespace {

TEST(TerminationSignals, EachSignalArrivesOnTheOwnersThreadAndTheOldHandlerReturns) {
    {
        TerminationSignals watcher;
        QSignalSpy received(&watcher, &TerminationSignals::received);
        std::raise(SIGTERM);
        std::raise(SIGINT);
        ASSERT_TRUE(received.wait(5000));
        if (received.size() < 2) {
            ASSERT_TRUE(received.wait(5000));
        }
        EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
        EXPECT_EQ(received.at(1).at(0).toInt(), SIGINT);

        // Only one owner per process: a second one would steal the first's signals.
        EXPECT_THROW(TerminationSignals second, std::logic_error);
    }
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);

    // Made anew after the first has gone, it works again.
    TerminationSignals again;
    QSignalSpy received(&again, &TerminationSignals::received);
    std::raise(SIGTERM);
    EXPECT_TRUE(received.wait(5000));
}

} // namespace
