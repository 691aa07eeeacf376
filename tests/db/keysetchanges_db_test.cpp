#include "app/Variable.h"
#include "db/KeySetChanges.h"
#include "db/TableLoginPass.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <gtest/gtest.h>

using testsupport::countRows;
using testsupport::execWrite;
using testsupport::readInt;
using testsupport::readRows;

namespace {

class KeySetChangesTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        key = Gen_ID_table_LOGIN_PASS();
        insert_data_for_table_LOGIN_PASS(key, QStringLiteral("Общий"), QStringLiteral("adm"),
                                         QStringLiteral("p"), 0);
        for (int node = 1; node <= 3; ++node) {
            execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (%1, 0, 's%1')")
                          .arg(node));
            execWrite(QStringLiteral("insert into SERVERS (ID, ID_TREETABLE) values (%1, %1)").arg(node));
        }
    }

    void link(int server, int keySet) {
        execWrite(
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB, "
                           "DNS_OR_IP, RDP_OR_SSH) values (%1, %2, 1, 2, 1)")
                .arg(server)
                .arg(keySet));
    }

    int key = 0;
};

TEST_F(KeySetChangesTest, ServersAreCountedOnceWhetherChosenOrDefault) {
    EXPECT_EQ(countServersUsingKeySet(key), 0);
    link(1, key);
    execWrite(QStringLiteral("update SERVERS set DEFAUL_PASS = %1 where ID in (1, 2)").arg(key));
    execWrite(QStringLiteral("insert into USER_DB (FIO) values ('second')"));
    execWrite(
        QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) values "
                       "(1, %1, 2)")
            .arg(key));
    EXPECT_EQ(countServersUsingKeySet(key), 2);
}

TEST_F(KeySetChangesTest, UpdateTellsWhetherTheRowWasThere) {
    EXPECT_TRUE(
        updateKeySetIfPresent(QStringLiteral("Новое"), QStringLiteral("l"), QStringLiteral("q"), 1, key));
    EXPECT_EQ(GetNameOfKeyByID(key), QStringLiteral("Новое"));
    EXPECT_FALSE(updateKeySetIfPresent(QStringLiteral("x"), QString(), QString(), 0, key + 100));
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);
}

TEST_F(KeySetChangesTest, DeleteOfAMissingKeySetChangesNothingAtAll) {
    const int ghost = key + 100;
    // An older copy's delete leaves the default pointing at nothing; leave that as it is.
    execWrite(QStringLiteral("update SERVERS set DEFAUL_PASS = %1 where ID = 3").arg(ghost));
    EXPECT_FALSE(deleteKeySetKeepingChoices(ghost));
    EXPECT_FALSE(deleteKeySetKeepingChoices(0));
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = 3")), ghost);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);
}

TEST_F(KeySetChangesTest, FailedDeleteRollsBackTheReleasedLinks) {
    link(2, key);
    execWrite(QStringLiteral("update SERVERS set DEFAUL_PASS = %1 where ID = 1").arg(key));
    auto other = testsupport::connectAnother(dbPath);
    fb::Query lock(other->IBDatabase1, other->IBTransaction2);
    lock.setSql(QStringLiteral("update SERVERS set PORT = '1' where ID = 1"));
    lock.execSql();

    EXPECT_THROW(deleteKeySetKeepingChoices(key), fb::Error);
    other->IBTransaction2.rollback();
    EXPECT_EQ(readInt(QStringLiteral("select ID_LOGIN_PASS from SERVERS_WITH_LOGIN_PASSS")), key);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);

    // With the lock gone the same delete goes through.
    EXPECT_TRUE(deleteKeySetKeepingChoices(key));
    EXPECT_TRUE(
        readRows(QStringLiteral("select ID_LOGIN_PASS from SERVERS_WITH_LOGIN_PASSS"))->field(0).isNull());
    EXPECT_TRUE(readRows(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = 1"))->field(0).isNull());
}

} // namespace
