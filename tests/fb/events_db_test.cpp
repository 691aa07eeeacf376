#include "fb/EventListener.h"
#include "support/TestDatabase.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class EventsTest : public testsupport::FreshDatabase {
protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        exec(db, QStringLiteral("create table E (ID integer)"));
        exec(db, QStringLiteral("create trigger E_AI for E active after insert position 0 as "
                                "begin post_event 'Ping'; end"));
        other = testsupport::connectAnother(dbPath);
    }
    void TearDown() override {
        other.reset();
        FreshDatabase::TearDown();
    }

    static void exec(RunDatabase& on, const QString& sql, bool commit = true) {
        fb::Query q(on.IBDatabase1, on.IBTransaction2);
        q.setParamCheck(false);
        q.setSql(sql);
        q.execSql();
        if (commit)
            on.IBTransaction2.commit();
    }

    // Waits for the server's first answer, which only sets the baseline.
    static void settle(fb::EventListener& listener) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return listener.listening(); }, 5000));
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

    exec(*other, QStringLiteral("insert into E values (1)"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return total >= 1; }, 5000));
    EXPECT_EQ(deliveredOn, QThread::currentThread());

    // Listening goes on after a delivery.
    exec(*other, QStringLiteral("insert into E values (2)"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return total >= 2; }, 5000));
    EXPECT_EQ(total, 2);
    EXPECT_EQ(ready.count(), 1);
}

TEST_F(EventsTest, TwoPostsCommittedTogetherAreBothCounted) {
    fb::EventListener listener(QStringLiteral("Ping"));
    int total = 0;
    QObject::connect(&listener, &fb::EventListener::posted, [&](int count) { total += count; });
    listener.attach(db.IBDatabase1);
    settle(listener);

    exec(*other, QStringLiteral("insert into E values (1)"), false);
    exec(*other, QStringLiteral("insert into E values (2)"), false);
    EXPECT_EQ(total, 0);
    other->IBTransaction2.commit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return total >= 2; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(total, 2);
}

TEST_F(EventsTest, NothingArrivesAfterTheListenerIsGone) {
    auto listener = std::make_unique<fb::EventListener>(QStringLiteral("Ping"));
    int total = 0;
    QObject::connect(listener.get(), &fb::EventListener::posted, [&](int count) { total += count; });
    listener->attach(db.IBDatabase1);
    settle(*listener);
    listener.reset();

    exec(*other, QStringLiteral("insert into E values (1)"));
    QTest::qWait(500);
    EXPECT_EQ(total, 0);
}

TEST_F(EventsTest, DetachStopsDeliveriesAndAttachStartsAgain) {
    fb::EventListener listener(QStringLiteral("Ping"));
    QSignalSpy spy(&listener, &fb::EventListener::posted);
    listener.attach(db.IBDatabase1);
    settle(listener);
    listener.detach();
    EXPECT_FALSE(listener.attached());
    exec(*other, QStringLiteral("insert into E values (1)"));
    QTest::qWait(400);
    EXPECT_EQ(spy.count(), 0);

    listener.attach(db.IBDatabase1);
    settle(listener);
    exec(*other, QStringLiteral("insert into E values (2)"));
    EXPECT_TRUE(spy.wait(5000));
}
