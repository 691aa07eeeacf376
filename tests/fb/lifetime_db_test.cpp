#include "app/Connection.h"
#include "fb/Database.h"
#include "fb/Error.h"
#include "fb/EventListener.h"
#include "fb/Query.h"
#include "fb/Transaction.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace {

// The objects of one attachment as a caller may hold them: a transaction with an
// open result set and a listener that has had its first answer.
struct Attachment {
    std::unique_ptr<fb::Database> database;
    std::unique_ptr<fb::Transaction> transaction;
    std::unique_ptr<fb::Query> query;
    std::unique_ptr<fb::EventListener> listener;
};

class LifetimeTest : public testsupport::FreshDatabase {
protected:
    Attachment openAttachment() {
        Attachment a;
        a.database = std::make_unique<fb::Database>();
        a.database->setDatabaseName(QStringLiteral("127.0.0.1:") + dbPath);
        a.database->addParam(QStringLiteral("USER_NAME=SYSDBA"));
        a.database->addParam(QStringLiteral("PASSWORD=") + QLatin1String(kSysdbaDefaultPassword));
        a.database->addParam(QStringLiteral("LC_CTYPE=WIN1251"));
        a.database->open();
        a.transaction = std::make_unique<fb::Transaction>(*a.database);
        a.query = std::make_unique<fb::Query>(*a.database, *a.transaction);
        a.query->setSql(QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS"));
        a.query->open();
        a.listener = std::make_unique<fb::EventListener>(QStringLiteral("Ping"));
        a.listener->attach(*a.database);
        return a;
    }
};

// What is left still answers: with a fb::Error where its partner is gone, never by
// touching freed memory (the sanitizer build checks that part).
void expectSurvivorsBehave(Attachment& a) {
    if (a.transaction && !a.database) {
        EXPECT_FALSE(a.transaction->active());
        EXPECT_THROW(a.transaction->start(), fb::Error);
        EXPECT_THROW(a.transaction->database(), fb::Error);
    }
    if (a.query && (!a.database || !a.transaction)) {
        EXPECT_FALSE(a.query->isOpen());
        EXPECT_TRUE(a.query->eof());
        if (a.query->fieldCount() > 0) {
            EXPECT_TRUE(a.query->field(0).isNull());
        }
        EXPECT_THROW(a.query->open(), fb::Error);
    }
    if (a.query && a.database && a.transaction) {
        EXPECT_TRUE(a.query->isOpen());
    }
    if (a.listener && !a.database) {
        EXPECT_FALSE(a.listener->attached());
    }
}

} // namespace

TEST_F(LifetimeTest, ObjectsOfAnAttachmentMayBeDestroyedInAnyOrder) {
    std::array<int, 4> order{0, 1, 2, 3};
    do {
        SCOPED_TRACE(::testing::Message() << "order " << order[0] << order[1] << order[2] << order[3]);
        Attachment a = openAttachment();
        for (int which : order) {
            switch (which) {
            case 0:
                a.database.reset();
                break;
            case 1:
                a.transaction.reset();
                break;
            case 2:
                a.query.reset();
                break;
            default:
                a.listener.reset();
                break;
            }
            QCoreApplication::processEvents();
            expectSurvivorsBehave(a);
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(LifetimeTest, ClosedDatabaseRefusesWorkUntilOpenedAgain) {
    Attachment a = openAttachment();
    QSignalSpy stopped(a.listener.get(), &fb::EventListener::stopped);
    a.database->close();
    EXPECT_FALSE(a.transaction->active());
    EXPECT_FALSE(a.query->isOpen());
    EXPECT_FALSE(a.listener->attached());
    EXPECT_THROW(a.transaction->commit(), fb::Error);
    EXPECT_THROW(a.query->next(), fb::Error);
    EXPECT_THROW(a.query->open(), fb::Error);
    a.database->close(); // twice is harmless
    EXPECT_TRUE(stopped.wait(10000));

    a.database->open();
    a.query->open(); // prepares again on the new attachment
    EXPECT_FALSE(a.query->eof());
    a.transaction->commit();
    a.listener->attach(*a.database);
}

TEST_F(LifetimeTest, QueryOutlivesItsTransactionAndMovesToAnother) {
    auto transaction = std::make_unique<fb::Transaction>(db.IBDatabase1);
    fb::Query query(db.IBDatabase1, *transaction);
    query.setSql(QStringLiteral("select 1 from RDB$DATABASE"));
    query.open();
    transaction.reset();
    EXPECT_FALSE(query.isOpen());
    EXPECT_THROW(query.transaction(), fb::Error);
    EXPECT_THROW(query.open(), fb::Error);

    query.setTransaction(db.IBTransaction1);
    query.open();
    EXPECT_EQ(query.field(0).asInteger(), 1);
}

// The run's objects as the sign-in window holds them, and a statement object that a
// caller kept past them.
TEST_F(LifetimeTest, StatementObjectMayOutliveTheRunDatabase) {
    auto other = testsupport::connectAnother(dbPath);
    std::unique_ptr<fb::Query> kept;
    {
        testsupport::AsAnotherClient asOther(*other, db);
        kept = my_initialization_TIBQuery();
    }
    kept->setSql(QStringLiteral("select 1 from RDB$DATABASE"));
    kept->open();
    other->IBEvents1.attach(other->IBDatabase1);
    other.reset();
    EXPECT_FALSE(kept->isOpen());
    EXPECT_THROW(kept->open(), fb::Error);
}
