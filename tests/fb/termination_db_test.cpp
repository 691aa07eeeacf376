#include "app/Connection.h"
#include "fb/Database.h"
#include "fb/Query.h"
#include "fb/Termination.h"
#include "fb/Transaction.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class TerminationSignal : public testsupport::FreshDatabase {
protected:
    void TearDown() override {
        fb::onTerminationSignal({});
        testsupport::FreshDatabase::TearDown();
    }

    std::unique_ptr<fb::Database> attach() {
        auto database = std::make_unique<fb::Database>();
        database->setDatabaseName(QStringLiteral("127.0.0.1:") + dbPath);
        database->addParam(QStringLiteral("USER_NAME=SYSDBA"));
        database->addParam(QStringLiteral("PASSWORD=") + QLatin1String(kSysdbaDefaultPassword));
        database->open();
        return database;
    }

    static int readOne(fb::Database& database) {
        fb::Transaction transaction(database);
        fb::Query query(database, transaction);
        query.setSql(QStringLiteral("select 1 from RDB$DATABASE"));
        query.open();
        return query.field(0).asInteger();
    }

    static bool waitFor(const std::atomic<int>& calls) {
        QDeadlineTimer deadline(10000);
        while (calls == 0 && !deadline.hasExpired())
            QThread::msleep(10);
        return calls > 0;
    }
};

TEST_F(TerminationSignal, ReachesTheHandlerAndLeavesTheAttachmentWorking) {
    auto database = attach();
    std::atomic<int> calls{0};
    fb::onTerminationSignal([&calls] { ++calls; });

    std::raise(SIGTERM);
    ASSERT_TRUE(waitFor(calls)) << "the handler was not called";
    EXPECT_EQ(readOne(*database), 1);

    // A second signal, a replaced handler: the new one is called.
    std::atomic<int> laterCalls{0};
    fb::onTerminationSignal([&laterCalls] { ++laterCalls; });
    std::raise(SIGINT);
    ASSERT_TRUE(waitFor(laterCalls));
    EXPECT_EQ(readOne(*database), 1);
    EXPECT_EQ(calls, 1);
}

} // namespace
