#include "launch/SessionSearch.h"
#include "launch/SessionWatchers.h"
#include "support/FakePlatform.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

using namespace std::chrono_literals;

namespace {

ProcessEntry process(qint64 pid, qint64 ppid, const char* comm, quint64 start, char state = 'S') {
    ProcessEntry e;
    e.pid = pid;
    e.ppid = ppid;
    e.comm = comm;
    e.startTime = start;
    e.state = state;
    return e;
}

} // namespace

TEST(SessionSearch, FindsTheNewestClientInTheStartedSubtree) {
    const ProcessIdentity started{100, 50};
    // Normally the started program is the client itself.
    EXPECT_EQ(searchSession({process(100, 1, "xfreerdp", 50)}, started, "xfreerdp").process, started);

    // A wrapper that starts the client: the newest client below it wins.
    const ProcessSnapshot wrapped = {
        process(100, 1, "wrapper", 50),    process(101, 100, "sh", 51),
        process(102, 101, "xfreerdp", 52), process(103, 101, "xfreerdp", 53),
        process(104, 103, "xfreerdp", 54), // the client's child, not yet exec'd
        process(200, 1, "xfreerdp", 60),   // someone else's session
    };
    const SearchOutcome outcome = searchSession(wrapped, started, "xfreerdp");
    EXPECT_EQ(outcome.kind, SearchOutcome::Kind::Found);
    EXPECT_EQ(outcome.process, (ProcessIdentity{103, 53}));

    // The started client itself wins over its own children.
    const ProcessSnapshot forking = {process(100, 1, "putty", 50), process(101, 100, "putty", 51)};
    EXPECT_EQ(searchSession(forking, started, "putty").process, started);
}

TEST(SessionSearch, PendingWhileTheSubtreeLivesGoneAfterwards) {
    const ProcessIdentity started{100, 50};
    EXPECT_EQ(searchSession({process(100, 1, "wrapper", 50)}, started, "putty").kind,
              SearchOutcome::Kind::Pending);
    EXPECT_EQ(searchSession({}, started, "putty").kind, SearchOutcome::Kind::SubtreeGone);
    // A zombie is no session, and a reused pid is not the started program.
    EXPECT_EQ(searchSession({process(100, 1, "putty", 50, 'Z')}, started, "putty").kind,
              SearchOutcome::Kind::SubtreeGone);
    EXPECT_EQ(searchSession({process(100, 1, "putty", 77)}, started, "putty").kind,
              SearchOutcome::Kind::SubtreeGone);
    // A child whose parent pid was reused by a younger process does not belong to it.
    EXPECT_EQ(
        searchSession({process(100, 1, "sh", 50), process(300, 100, "putty", 40)}, started, "putty").kind,
        SearchOutcome::Kind::Pending);
}

TEST(SessionSearch, ComparesTheKernelsShortName) {
    const ProcessIdentity started{100, 50};
    EXPECT_EQ(
        searchSession({process(100, 1, "a-very-long-cli", 50)}, started, "a-very-long-client-name").kind,
        SearchOutcome::Kind::Found);
}

class SessionWatchersTest : public ::testing::Test {
protected:
    SessionWatchersTest() {
        QObject::connect(&watchers, &SessionWatchers::nodeBoldChanged,
                         [this](int id, bool bold) { bolds[id] = bold; });
        QObject::connect(&watchers, &SessionWatchers::trace, [this](const QString& line) { traces << line; });
    }

    static WatcherTiming fast() { return {100ms, 10ms, 300ms}; }

    FakeProcesses processes;
    SessionWatchers watchers{processes, fast()};
    std::map<int, bool> bolds;
    QStringList traces;
};

TEST_F(SessionWatchersTest, SearchConfirmsTheSessionAndItsEndMakesTheNodeNormal) {
    watchers.start_potok3();
    const ProcessIdentity putty = processes.add("putty");
    watchers.start_potok2(5, putty, "putty");
    watchers.start_potok4();
    EXPECT_TRUE(bolds[5]);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !watchers.MAS_PID_PROCESS.find(5)->searching; }, 2000));
    EXPECT_EQ(watchers.MAS_PID_PROCESS.find(5)->process, putty);
    EXPECT_EQ(traces.count(QStringLiteral("Процессе существует %1").arg(putty.pid)), 1);

    processes.end(putty.pid);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bolds[5]; }, 2000));
    EXPECT_FALSE(watchers.MAS_PID_PROCESS.find(5));
    // Confirmed once, however many passes saw it alive.
    EXPECT_EQ(traces.count(QStringLiteral("Процессе существует %1").arg(putty.pid)), 1);
}

TEST_F(SessionWatchersTest, SearchThatFindsNothingEndsAtItsLimitAndUnbolds) {
    watchers.start_potok3();
    const ProcessIdentity wrapper = processes.add("launcher-sh");
    watchers.start_potok2(6, wrapper, "xfreerdp");
    watchers.start_potok4();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bolds.contains(6) && !bolds[6]; }, 3000));
    EXPECT_FALSE(watchers.MAS_PID_PROCESS.find(6));
    EXPECT_TRUE(traces.contains(QStringLiteral("Процесс xfreerdp не найден за минуту после запуска")));
}

TEST_F(SessionWatchersTest, ClientThatEndsAtOnceIsNoSession) {
    watchers.start_potok3();
    const ProcessIdentity started = processes.add("xfreerdp");
    processes.end(started.pid);
    watchers.start_potok2(7, started, "xfreerdp");
    watchers.start_potok4();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bolds[7]; }, 2000));
    EXPECT_TRUE(traces.contains(QStringLiteral("xfreerdp завершился, не открыв сеанса")));
}

TEST_F(SessionWatchersTest, EndOfAnOldSessionLeavesANewerLaunchAlone) {
    const ProcessIdentity old = processes.add("putty");
    watchers.start_potok2(8, old, "putty");
    const SessionEntry oldEntry = *watchers.MAS_PID_PROCESS.find(8);
    processes.end(old.pid);
    // The watcher saw the old one end; meanwhile the user launched again.
    const ProcessIdentity newer = processes.add("putty");
    watchers.start_potok2(8, newer, "putty");
    bolds.clear();
    watchers.stop_potok2(8, oldEntry, QStringLiteral("late"));
    EXPECT_EQ(watchers.MAS_PID_PROCESS.find(8)->process, newer);
    EXPECT_TRUE(bolds.empty());
}

TEST_F(SessionWatchersTest, EntriesOfObjectsMissingFromTheTreeAreDroppedToo) {
    watchers.start_potok3();
    for (int id : {1, 500000, 2000000000}) {
        const ProcessIdentity p = processes.add("putty");
        watchers.start_potok2(id, p, "putty");
        processes.end(p.pid);
    }
    watchers.start_potok4();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watchers.MAS_PID_PROCESS.size() == 0; }, 3000));
}

TEST_F(SessionWatchersTest, StopJoinsAtOnceAndAnIdleWatcherTakesNoSnapshots) {
    watchers.start_potok3();
    QTest::qWait(250);
    EXPECT_EQ(processes.snapshotsTaken(), 0); // empty table: nothing to look at
    const auto before = std::chrono::steady_clock::now();
    watchers.stop_potok3();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 50ms);
    EXPECT_FALSE(watchers.watcherThread().isRunning());
    watchers.stop_potok3(); // stopping a stopped watcher is harmless
}
