#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "db/TableServersWithLoginPass.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using testsupport::countRows;
using testsupport::execWrite;
using testsupport::readRows;

// Users 1 (admin) and 2, key sets 1 and 2, objects 1 "alpha" and 2 "beta" whose
// SERVERS rows get IDs 1 and 2.
class TableLinksTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        testsupport::SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('second', 'x')"));
        execWrite(QStringLiteral("insert into LOGIN_PASS (ID, NAME) values (1, 'one')"));
        execWrite(QStringLiteral("insert into LOGIN_PASS (ID, NAME) values (2, 'two')"));
        execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'alpha')"));
        execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (2, 0, 'beta')"));
        execWrite(QStringLiteral("insert into SERVERS (ID_TREETABLE) values (1)"));
        execWrite(QStringLiteral("insert into SERVERS (ID_TREETABLE) values (2)"));
    }
};

TEST_F(TableLinksTest, InsertedLinkIsFoundForItsUserAndServerOnly) {
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(2, 1, 2, 1, 2);

    auto link = FIND_IN_SERVERS_WITH_LOGIN_PASSS(2, 1);
    ASSERT_FALSE(link->eof());
    EXPECT_EQ(link->fieldByName(QStringLiteral("ID_SERV_WITH_LOG_PAS")).asInteger(), 1);
    EXPECT_EQ(link->fieldByName(QStringLiteral("ID_SERVERS_SERV_WITH_LOG_PAS")).asInteger(), 1);
    EXPECT_EQ(link->fieldByName(QStringLiteral("ID_LOGIN_PASS_SERV_WITH_LOG_PAS")).asInteger(), 2);
    EXPECT_EQ(link->fieldByName(QStringLiteral("ID_USER_DB_SERV_WITH_LOG_PAS")).asInteger(), 2);
    EXPECT_EQ(link->fieldByName(QStringLiteral("DNS_OR_IP_SERV_WITH_LOG_PAS")).asInteger(), 1);
    EXPECT_EQ(link->fieldByName(QStringLiteral("RDP_OR_SSH_SERV_WITH_LOG_PAS")).asInteger(), 2);

    EXPECT_TRUE(FIND_IN_SERVERS_WITH_LOGIN_PASSS(1, 1)->eof());
    EXPECT_TRUE(FIND_IN_SERVERS_WITH_LOGIN_PASSS(2, 2)->eof());
}

TEST_F(TableLinksTest, MissingLinkReadsIdZero) {
    auto link = FIND_IN_SERVERS_WITH_LOGIN_PASSS(1, 2);
    EXPECT_TRUE(link->eof());
    EXPECT_EQ(link->fieldByName(QStringLiteral("ID_SERV_WITH_LOG_PAS")).asInteger(), 0);
}

TEST_F(TableLinksTest, LinkToMissingServerKeySetOrUserFailsOnForeignKey) {
    EXPECT_THROW(insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 77, 1, 0, 0), fb::Error);
    EXPECT_THROW(insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 77, 0, 0), fb::Error);
    EXPECT_THROW(insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(77, 1, 1, 0, 0), fb::Error);
    EXPECT_EQ(countRows(QStringLiteral("SERVERS_WITH_LOGIN_PASSS")), 0);

    // The failed statements leave nothing behind that a later write would commit.
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 1, 0, 0);
    EXPECT_EQ(countRows(QStringLiteral("SERVERS_WITH_LOGIN_PASSS")), 1);
}

TEST_F(TableLinksTest, ZeroReferencesAndChoicesAreStoredAsNull) {
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 0, 0, 0);

    auto link = readRows(QStringLiteral("select * from SERVERS_WITH_LOGIN_PASSS"));
    ASSERT_FALSE(link->eof());
    EXPECT_TRUE(link->fieldByName(QStringLiteral("ID_LOGIN_PASS")).isNull());
    EXPECT_TRUE(link->fieldByName(QStringLiteral("DNS_OR_IP")).isNull());
    EXPECT_TRUE(link->fieldByName(QStringLiteral("RDP_OR_SSH")).isNull());
    EXPECT_EQ(link->fieldByName(QStringLiteral("ID_USER_DB")).asInteger(), 1);
}

TEST_F(TableLinksTest, UpdateChangesOnlyTheNamedLink) {
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 1, 1, 1);
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(2, 1, 1, 1, 1);

    update_for_table_SERVERS_WITH_LOGIN_PASSS(1, 2, 0, 3);

    auto changed = FIND_IN_SERVERS_WITH_LOGIN_PASSS(1, 1);
    EXPECT_EQ(changed->fieldByName(QStringLiteral("ID_LOGIN_PASS_SERV_WITH_LOG_PAS")).asInteger(), 2);
    EXPECT_TRUE(changed->fieldByName(QStringLiteral("DNS_OR_IP_SERV_WITH_LOG_PAS")).isNull());
    EXPECT_EQ(changed->fieldByName(QStringLiteral("RDP_OR_SSH_SERV_WITH_LOG_PAS")).asInteger(), 3);

    auto untouched = FIND_IN_SERVERS_WITH_LOGIN_PASSS(2, 1);
    EXPECT_EQ(untouched->fieldByName(QStringLiteral("ID_LOGIN_PASS_SERV_WITH_LOG_PAS")).asInteger(), 1);
    EXPECT_EQ(untouched->fieldByName(QStringLiteral("DNS_OR_IP_SERV_WITH_LOG_PAS")).asInteger(), 1);
}

TEST_F(TableLinksTest, UpdateToMissingKeySetFailsAndKeepsTheLink) {
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 1, 1, 1);
    EXPECT_THROW(update_for_table_SERVERS_WITH_LOGIN_PASSS(1, 99, 2, 2), fb::Error);
    EXPECT_EQ(FIND_IN_SERVERS_WITH_LOGIN_PASSS(1, 1)
                  ->fieldByName(QStringLiteral("ID_LOGIN_PASS_SERV_WITH_LOG_PAS"))
                  .asInteger(),
              1);
}

TEST_F(TableLinksTest, ServersUsingKeySetGiveOneRowPerLink) {
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 1, 0, 0);
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(2, 1, 1, 0, 0);
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(2, 2, 1, 0, 0);
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 2, 2, 0, 0);

    auto rows = SelectAllServerByOnIDpassword(1);
    QStringList captions;
    for (; !rows->eof(); rows->next()) {
        captions.append(rows->fieldByName(QStringLiteral("TEXT")).asString().trimmed());
        EXPECT_EQ(rows->fieldByName(QStringLiteral("ID")).asInteger(), 1);
    }
    captions.sort();
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("alpha"), QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_TRUE(SelectAllServerByOnIDpassword(0)->eof());
}

TEST_F(TableLinksTest, DeletingUserRemovesOnlyThatUsersLinks) {
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(1, 1, 1, 0, 0);
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(2, 1, 1, 0, 0);
    execWrite(QStringLiteral("delete from USER_DB where ID = 2"));
    EXPECT_TRUE(FIND_IN_SERVERS_WITH_LOGIN_PASSS(2, 1)->eof());
    EXPECT_FALSE(FIND_IN_SERVERS_WITH_LOGIN_PASSS(1, 1)->eof());
}

} // namespace
