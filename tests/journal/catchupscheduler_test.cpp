#include "journal/CatchUpScheduler.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct Counter {
    int runs = 0;
    bool inside = false;
    bool nested = false;
    std::function<void()> during;

    std::function<void()> callback() {
        return [this] {
            if (inside)
                nested = true;
            inside = true;
            ++runs;
            if (during)
                during();
            inside = false;
        };
    }
};

} // namespace

TEST(CatchUpScheduler, RequestsBeforeARunAreOneAndNeverRunInsideTheRequester) {
    Counter c;
    CatchUpScheduler scheduler(c.callback());
    scheduler.requestCatchUp();
    scheduler.requestCatchUp();
    scheduler.requestCatchUp();
    EXPECT_EQ(c.runs, 0) << "queued, not run in the requester's stack";
    QTest::qWait(50);
    EXPECT_EQ(c.runs, 1);
}

TEST(CatchUpScheduler, RequestDuringARunRunsAfterIt) {
    Counter c;
    CatchUpScheduler scheduler(c.callback());
    QSignalSpy done(&scheduler, &CatchUpScheduler::caughtUp);
    c.during = [&] {
        if (c.runs == 1) {
            scheduler.requestCatchUp();
            QTest::qWait(30); // a nested event loop inside the run
        }
    };
    scheduler.requestCatchUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 2; }, 2000));
    EXPECT_EQ(c.runs, 2);
    EXPECT_FALSE(c.nested);
}

TEST(CatchUpScheduler, HoldKeepsRequestsUntilTheLastHoldEnds) {
    Counter c;
    CatchUpScheduler scheduler(c.callback());
    {
        CatchUpScheduler::Hold question(scheduler);
        scheduler.requestCatchUp();
        {
            CatchUpScheduler::Hold drag(scheduler);
            QTest::qWait(30);
        }
        QTest::qWait(30);
        EXPECT_EQ(c.runs, 0);
        EXPECT_TRUE(scheduler.pending());
    }
    QTest::qWait(30);
    EXPECT_EQ(c.runs, 1);
    EXPECT_FALSE(scheduler.pending());
}

TEST(CatchUpScheduler, BusyCheckDefersUntilItClears) {
    Counter c;
    bool busy = true;
    CatchUpScheduler scheduler(c.callback());
    scheduler.setBusyCheck([&] { return busy; });
    scheduler.requestCatchUp();
    QTest::qWait(3 * CatchUpScheduler::kBusyPollMs);
    EXPECT_EQ(c.runs, 0);
    busy = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.runs == 1; }, 2000));
}

TEST(CatchUpScheduler, SafetyTimerRequestsOnItsOwn) {
    Counter c;
    CatchUpScheduler scheduler(c.callback());
    scheduler.setSafetyInterval(40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.runs >= 2; }, 2000));
}

TEST(CatchUpScheduler, FailureIsReportedAndTheNextRequestRuns) {
    int runs = 0;
    CatchUpScheduler scheduler([&] {
        if (++runs == 1)
            throw std::runtime_error("Соединение потеряно");
    });
    QSignalSpy failed(&scheduler, &CatchUpScheduler::catchUpFailed);
    QSignalSpy done(&scheduler, &CatchUpScheduler::caughtUp);
    scheduler.requestCatchUp();
    ASSERT_TRUE(failed.wait(1000));
    EXPECT_EQ(failed.first().first().toString(), "Соединение потеряно");
    EXPECT_EQ(done.count(), 0);
    scheduler.requestCatchUp();
    ASSERT_TRUE(done.wait(1000));
    EXPECT_EQ(runs, 2);
}

TEST(CatchUpScheduler, ListeningEndedIsPassedOn) {
    CatchUpScheduler scheduler([] {});
    QSignalSpy lost(&scheduler, &CatchUpScheduler::listeningLost);
    scheduler.onListeningEnded();
    EXPECT_EQ(lost.count(), 1);
}
