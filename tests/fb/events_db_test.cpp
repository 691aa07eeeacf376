#include "fb/Error.h"
#include "fb/EventListener.h"
#include "support/EventSentinel.h"
#include "support/TestDatabase.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using testsupport::execUnchecked;

namespace {

class EventsTest : public testsupport::FreshDatabase {
protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        execUnchecked(db, QStringLiteral("create table E (ID integer)"));
        execUnchecked(db, QStringLiteral("create trigger E_AI for E active after insert position 0 as "
                                         "begin post_event 'Ping'; end"));
        other = testsupport::connectAnother(dbPath);
    }
    void TearDown() override {
        other.reset();
        FreshDatabase::TearDown();
    }

    void ping(int id, bool commit = true) {
        execUnchecked(*other, QStringLiteral("insert into E values (%1)").arg(id), commit);
    }

    // Waits for the server's first answer, which only sets the baseline.
    static void settle(fb::EventListener& listener) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return listener.listening(); }, 10000));
    }

    std::unique_ptr<RunDatabase> other;
};

} // namespace

TEST_F(EventsTest, PostFromAnotherAttachmentArrivesOnTheUiThread) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QThread* deliveredOn = nullptr;
    int total = 0;
    QObject::connect(&listener, &fb::EventListener::posted, [&](int count) {
        deliveredOn = QThread::currentThread();
        total += count;
    });
    QSignalSpy ready(&listener, &fb::EventListener::ready);
    listener.attach(db.IBDatabase1);
    settle(listener);
    EXPECT_EQ(ready.count(), 1);
    EXPECT_EQ(total, 0) << "the baseline answer must not count as an event";

    ping(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return total >= 1; }, 10000));
    EXPECT_EQ(deliveredOn, QThread::currentThread());

    // Listening goes on after a delivery.
    ping(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return total >= 2; }, 10000));
    EXPECT_EQ(ready.count(), 1);
    EXPECT_TRUE(listener.attached());
}

TEST_F(EventsTest, TwoPostsCommittedTogetherAreCountedOnceEach) {
    fb::EventListener listener(QStringLiteral("Ping"));
    testsupport::EventSentinel sentinel(db.IBDatabase1);
    int total = 0;
    QObject::connect(&listener, &fb::EventListener::posted, [&](int count) { total += count; });
    listener.attach(db.IBDatabase1);
    settle(listener);

    ping(1, false);
    ping(2, false);
    ASSERT_TRUE(sentinel.postAndWait(db));
    EXPECT_EQ(total, 0) << "posts of a transaction still open were delivered";

    other->IBTransaction2.commit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return total >= 2; }, 10000));
    ASSERT_TRUE(sentinel.postAndWait(*other));
    EXPECT_EQ(total, 2);
}

TEST_F(EventsTest, ADetachedListenerGetsNothingAndAttachStartsAgain) {
    fb::EventListener listener(QStringLiteral("Ping"));
    testsupport::EventSentinel sentinel(db.IBDatabase1);
    QSignalSpy posted(&listener, &fb::EventListener::posted);
    QSignalSpy stopped(&listener, &fb::EventListener::stopped);
    listener.attach(db.IBDatabase1);
    settle(listener);
    listener.detach();
    EXPECT_FALSE(listener.attached());
    EXPECT_FALSE(listener.listening());

    ping(1);
    ASSERT_TRUE(sentinel.postAndWait(*other));
    EXPECT_EQ(posted.count(), 0);
    EXPECT_EQ(stopped.count(), 0) << "detach() is not an end to report";

    listener.attach(db.IBDatabase1);
    settle(listener);
    ping(2);
    EXPECT_TRUE(posted.wait(10000));
}

// The delivery is already queued for the listener when it goes; a survivor on the
// same event proves the post came.
TEST_F(EventsTest, ListenerDestroyedWithADeliveryUnderwayIsLeftAlone) {
    auto doomed = std::make_unique<fb::EventListener>(QStringLiteral("Ping"));
    fb::EventListener survivor(QStringLiteral("Ping"));
    QSignalSpy survivorPosted(&survivor, &fb::EventListener::posted);
    doomed->attach(db.IBDatabase1);
    survivor.attach(db.IBDatabase1);
    settle(*doomed);
    settle(survivor);

    ping(1);
    // No event loop meanwhile: the client's thread queues the delivery for later.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    doomed.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return survivorPosted.count() >= 1; }, 10000));

    // Cancelling the other registration disturbs the survivor's; it listens on.
    ping(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return survivorPosted.count() >= 2; }, 10000));
    EXPECT_TRUE(survivor.attached());
}

TEST_F(EventsTest, ClosingTheDatabaseEndsListeningAndSaysSo) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QSignalSpy stopped(&listener, &fb::EventListener::stopped);
    listener.attach(db.IBDatabase1);
    settle(listener);

    db.IBDatabase1.close();
    EXPECT_FALSE(listener.attached());
    EXPECT_FALSE(listener.listening());
    EXPECT_EQ(stopped.count(), 0) << "told from the event loop, not from inside close()";
    ASSERT_TRUE(stopped.wait(10000));
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_THROW(listener.attach(db.IBDatabase1), fb::Error);
}

TEST_F(EventsTest, ListenerOutlivesItsDatabase) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QSignalSpy stopped(&listener, &fb::EventListener::stopped);
    listener.attach(other->IBDatabase1);
    settle(listener);

    other.reset();
    EXPECT_FALSE(listener.attached());
    ASSERT_TRUE(stopped.wait(10000));
    listener.detach();
    listener.attach(db.IBDatabase1); // still usable on another database
    settle(listener);
}

TEST_F(EventsTest, AttachingAgainAfterCloseDropsTheOldNotice) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QSignalSpy stopped(&listener, &fb::EventListener::stopped);
    listener.attach(other->IBDatabase1);
    settle(listener);
    other->IBDatabase1.close();
    listener.attach(db.IBDatabase1); // before the event loop has told of the close
    settle(listener);
    EXPECT_EQ(stopped.count(), 0) << "the notice belonged to the registration that was replaced";
    EXPECT_TRUE(listener.attached());
}

// The server does not tell the client of an attachment ended from outside; the
// connection check finds it.
TEST_F(EventsTest, LostConnectionIsFoundByTheCheckAndEndsListening) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QSignalSpy stopped(&listener, &fb::EventListener::stopped);
    listener.setConnectionCheckInterval(100);
    listener.attach(db.IBDatabase1);
    settle(listener);
    EXPECT_EQ(stopped.count(), 0) << "a live connection passes the check";

    testsupport::killAttachment(*other, testsupport::attachmentId(db));
    ASSERT_TRUE(stopped.wait(15000));
    EXPECT_FALSE(listener.attached());
    EXPECT_FALSE(listener.listening());
}

// The post reaches the client, but by the time the delivery is handled the
// attachment is gone, so registering again fails.
TEST_F(EventsTest, FailedRegistrationAfterADeliveryEndsListeningAndSaysSo) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QSignalSpy stopped(&listener, &fb::EventListener::stopped);
    QSignalSpy posted(&listener, &fb::EventListener::posted);
    listener.setConnectionCheckInterval(0);
    listener.attach(db.IBDatabase1);
    settle(listener);

    ping(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // no event loop meanwhile
    testsupport::killAttachment(*other, testsupport::attachmentId(db));
    ASSERT_TRUE(stopped.wait(15000));
    EXPECT_FALSE(listener.attached());
    EXPECT_EQ(posted.count(), 0);
}
