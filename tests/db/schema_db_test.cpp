#include "SchemaCatalog.h"
#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <gtest/gtest.h>

namespace {

using testsupport::execWrite;

// Here the name covers any single-integer query, not only counts.
int countRows(const QString& sql) {
    return testsupport::readInt(sql);
}

using SchemaTest = testsupport::SchemaDatabase;

TEST_F(SchemaTest, NewDatabaseReachesCurrentVersion) {
    EXPECT_EQ(RequestVersionDataBase(), kCurrentVersionDataBase);
    EXPECT_EQ(kCurrentVersionDataBase, 16);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from DATA_PROGRAMM where ID = 1")), 1);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from DATA_PROGRAMM")), 1);
}

TEST_F(SchemaTest, NewDatabaseHasExactlyTheCurrentSchemaInTheCatalog) {
    EXPECT_EQ(schemacatalog::structure(), schemacatalog::currentSchema());
}

TEST_F(SchemaTest, OnlyTheUserAndVersionGeneratorsHaveBeenUsed) {
    const schemacatalog::Lines expected = {
        "GEN_CHANGE_CONNECT_IP_OR_DNS_ID = 0",
        "GEN_DATA_PROGRAMM_ID = 1",
        "GEN_ICO_ID = 0",
        "GEN_LOGIN_PASS_ID = 0",
        "GEN_LOGS_ID = 0",
        "GEN_OTHER_LOGIN_PASS_ON_SRV_ID = 0",
        "GEN_SERVERS_ID = 0",
        "GEN_SERVERS_WITH_LOGIN_PASSS_ID = 0",
        "GEN_TREETABLE_ID = 0",
        "GEN_USER_DB_ID = 1",
    };
    EXPECT_EQ(schemacatalog::generatorValues(), expected);
}

TEST_F(SchemaTest, FirstUserIsAdminWithEncodedDefaultPassword) {
    auto query = my_initialization_TIBQuery();
    query->setSql(QStringLiteral("select * from USER_DB"));
    query->open();
    ASSERT_FALSE(query->eof());
    EXPECT_EQ(query->fieldByName(QStringLiteral("ID")).asInteger(), 1);
    EXPECT_EQ(query->fieldByName(QStringLiteral("FIO")).asString().trimmed(), "admin");
    EXPECT_EQ(query->fieldByName(QStringLiteral("PASS")).asString().trimmed(),
              encode_string(QStringLiteral("kestu")).trimmed());
    EXPECT_EQ(decode_string(query->fieldByName(QStringLiteral("PASS")).asString().trimmed()), "kestu");
    query->next();
    EXPECT_TRUE(query->eof());
}

TEST_F(SchemaTest, OtherTablesStartEmpty) {
    for (const char* table : {"TREETABLE", "SERVERS", "LOGIN_PASS", "SERVERS_WITH_LOGIN_PASSS", "LOGS", "ICO",
                              "OTHER_LOGIN_PASS_ON_SRV"}) {
        EXPECT_EQ(countRows(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))), 0) << table;
    }
}

TEST_F(SchemaTest, BeforeInsertTriggersFillMissingIdFromTheTablesOwnGenerator) {
    execWrite(QStringLiteral("insert into TREETABLE (ID_PARENT, TEXT) values (0, 'a')"));
    execWrite(QStringLiteral("insert into SERVERS (ID_TREETABLE) values (1)"));
    execWrite(QStringLiteral("insert into LOGIN_PASS (NAME) values ('k')"));
    execWrite(QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS) values (1)"));
    execWrite(QStringLiteral("insert into LOGS (PARAMETERS) values (null)"));
    execWrite(QStringLiteral("insert into OTHER_LOGIN_PASS_ON_SRV (LOGIN) values ('x')"));
    execWrite(QStringLiteral("insert into USER_DB (FIO) values ('second')"));

    for (const char* table : {"TREETABLE", "SERVERS", "LOGIN_PASS", "SERVERS_WITH_LOGIN_PASSS", "LOGS",
                              "OTHER_LOGIN_PASS_ON_SRV"}) {
        EXPECT_EQ(countRows(QStringLiteral("select max(ID) from %1").arg(QLatin1String(table))), 1) << table;
    }
    EXPECT_EQ(countRows(QStringLiteral("select ID from USER_DB where FIO = 'second'")), 2);
    EXPECT_EQ(schemacatalog::generatorValue(QStringLiteral("GEN_TREETABLE_ID")), 1);
}

TEST_F(SchemaTest, ExplicitIdIsKeptAndLeavesTheGeneratorAlone) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (40, 0, 'a')"));
    EXPECT_EQ(countRows(QStringLiteral("select ID from TREETABLE")), 40);
    EXPECT_EQ(schemacatalog::generatorValue(QStringLiteral("GEN_TREETABLE_ID")), 0);
}

TEST_F(SchemaTest, NewTreeRowGetsPositionZeroByDefault) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'a')"));
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from TREETABLE where POSITION_ = 0")), 1);
}

TEST_F(SchemaTest, SecondCreateTablesInNewBaseFailsOnItsFirstStatementAndChangesNothing) {
    const auto before = schemacatalog::structure();
    try {
        CreateTablesInNewBase();
        FAIL() << "a second run must fail";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("GEN_CHANGE_CONNECT_IP_OR_DNS_ID"))) << e.what();
    }
    EXPECT_EQ(schemacatalog::structure(), before);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from USER_DB")), 1);
    EXPECT_EQ(RequestVersionDataBase(), 16);
}

// Link rows of two users on two objects, each user with an own key set.
class CascadeTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure())
            return;
        execWrite(QStringLiteral("insert into USER_DB (ID, FIO) values (2, 'second')"));
        execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'folder')"));
        execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (2, 1, 'child')"));
        execWrite(QStringLiteral("insert into SERVERS (ID, ID_TREETABLE) values (11, 1)"));
        execWrite(QStringLiteral("insert into SERVERS (ID, ID_TREETABLE) values (12, 2)"));
        execWrite(QStringLiteral("insert into LOGIN_PASS (ID, NAME) values (21, 'k1')"));
        execWrite(QStringLiteral("insert into LOGIN_PASS (ID, NAME) values (22, 'k2')"));
        execWrite(
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID, ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                           "values (31, 11, 21, 1)"));
        execWrite(
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID, ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                           "values (32, 12, 22, 2)"));
        execWrite(
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID, ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                           "values (33, 12, 21, 1)"));
        execWrite(QStringLiteral("update SERVERS set DEFAUL_PASS = 21 where ID = 12"));
    }

    int links() { return countRows(QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS")); }
    int linkExists(int id) {
        return countRows(
            QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS where ID = %1").arg(id));
    }
    int count(const char* table) {
        return countRows(QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
    }
};

TEST_F(CascadeTest, DeletingTreeRowRemovesItsServerAndLinksButNotItsChildren) {
    execWrite(QStringLiteral("delete from TREETABLE where ID = 1"));

    EXPECT_EQ(countRows(QStringLiteral("select count(*) from SERVERS where ID = 11")), 0);
    EXPECT_EQ(linkExists(31), 0);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from TREETABLE where ID = 2")), 1);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from SERVERS where ID = 12")), 1);
    EXPECT_EQ(links(), 2);
    EXPECT_EQ(count("LOGIN_PASS"), 2);
    EXPECT_EQ(count("USER_DB"), 2);
}

TEST_F(CascadeTest, DeletingUserRemovesOnlyItsLinks) {
    execWrite(QStringLiteral("delete from USER_DB where ID = 2"));

    EXPECT_EQ(linkExists(32), 0);
    EXPECT_EQ(links(), 2);
    EXPECT_EQ(count("SERVERS"), 2);
    EXPECT_EQ(count("LOGIN_PASS"), 2);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from LOGIN_PASS where ID = 22")), 1);
}

TEST_F(CascadeTest, DeletingKeySetRemovesItsLinksAndKeepsDanglingDefault) {
    execWrite(QStringLiteral("delete from LOGIN_PASS where ID = 21"));

    EXPECT_EQ(linkExists(31), 0);
    EXPECT_EQ(linkExists(33), 0);
    EXPECT_EQ(linkExists(32), 1);
    EXPECT_EQ(count("SERVERS"), 2);
    EXPECT_EQ(countRows(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = 12")), 21);
}

TEST_F(CascadeTest, DeletingServerRowKeepsTreeRow) {
    execWrite(QStringLiteral("delete from SERVERS where ID = 12"));

    EXPECT_EQ(count("TREETABLE"), 2);
    EXPECT_EQ(linkExists(32), 0);
    EXPECT_EQ(linkExists(33), 0);
    EXPECT_EQ(linkExists(31), 1);
}

TEST_F(CascadeTest, ChangingTreeIdFollowsIntoServers) {
    execWrite(QStringLiteral("update TREETABLE set ID = 7 where ID = 2"));
    EXPECT_EQ(countRows(QStringLiteral("select ID_TREETABLE from SERVERS where ID = 12")), 7);
}

// Creation alone, without the upgrade that the program runs right after it.
using CreateTablesTest = testsupport::FreshDatabase;

TEST_F(CreateTablesTest, CreationAloneWritesVersion12) {
    CreateTablesInNewBase();
    EXPECT_EQ(RequestVersionDataBase(), 12);
    const auto lines = schemacatalog::structure();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "table LOGS"), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "column TREETABLE.POSITION_ INTEGER DEFAULT 0"), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "column SERVERS.DOMAIN_NAME CHAR(50) WIN1251"), 1);
}

TEST_F(CreateTablesTest, FailedStatementStopsCreationBeforeUserAndVersion) {
    RequestSQL(QStringLiteral("CREATE TABLE USER_DB (ID INTEGER NOT NULL)"));
    try {
        CreateTablesInNewBase();
        FAIL() << "creating USER_DB twice must fail";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("USER_DB"))) << e.what();
    }
    // The statements before the failure stay; no version row was written.
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from DATA_PROGRAMM")), 0);
    EXPECT_EQ(RequestVersionDataBase(), 0);
}

TEST_F(CreateTablesTest, RequestSqlPassesTriggerBodiesUntouched) {
    // The colon would be taken for a parameter if the text were rewritten.
    RequestSQL(QStringLiteral("CREATE TABLE T (ID INTEGER, V INTEGER)"));
    RequestSQL(
        QStringLiteral("CREATE TRIGGER T_BI FOR T ACTIVE BEFORE INSERT POSITION 0 AS DECLARE VARIABLE x "
                       "INTEGER; begin x = 5; new.V = :x; end"));
    RequestSQL(QStringLiteral("insert into T (ID) values (1)"));
    EXPECT_EQ(countRows(QStringLiteral("select V from T")), 5);
}

TEST_F(CreateTablesTest, VersionReadsZeroForNullAndIsWrittenExactly) {
    RequestSQL(QStringLiteral("CREATE TABLE DATA_PROGRAMM (ID INTEGER NOT NULL, VER_DB INTEGER)"));
    EXPECT_EQ(RequestVersionDataBase(), 0);
    RequestSQL(QStringLiteral("insert into DATA_PROGRAMM (ID, VER_DB) values (1, null)"));
    EXPECT_EQ(RequestVersionDataBase(), 0);

    WriteVersionDataBase(9);
    EXPECT_EQ(RequestVersionDataBase(), 9);
    WriteVersionDataBase(0);
    EXPECT_EQ(countRows(QStringLiteral("select count(*) from DATA_PROGRAMM where VER_DB = 0")), 1);
}

TEST_F(CreateTablesTest, WriteVersionTouchesOnlyRowOne) {
    RequestSQL(QStringLiteral("CREATE TABLE DATA_PROGRAMM (ID INTEGER NOT NULL, VER_DB INTEGER)"));
    RequestSQL(QStringLiteral("insert into DATA_PROGRAMM (ID, VER_DB) values (1, 3)"));
    RequestSQL(QStringLiteral("insert into DATA_PROGRAMM (ID, VER_DB) values (2, 3)"));
    WriteVersionDataBase(14);
    EXPECT_EQ(countRows(QStringLiteral("select VER_DB from DATA_PROGRAMM where ID = 2")), 3);
    EXPECT_EQ(countRows(QStringLiteral("select VER_DB from DATA_PROGRAMM where ID = 1")), 14);
}

} // namespace
