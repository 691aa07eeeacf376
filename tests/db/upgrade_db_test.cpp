#include "SchemaCatalog.h"
#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/TestDatabase.h"

#include <QMap>
#include <gtest/gtest.h>

namespace {

using testsupport::readInt;
using testsupport::readRows;

void runAll(const QStringList& statements) {
    for (const QString& sql : statements)
        RequestSQL(sql);
}

bool hasColumn(const char* table, const char* column) {
    return readInt(QStringLiteral("select count(*) from RDB$RELATION_FIELDS where RDB$RELATION_NAME = '%1' "
                                  "and RDB$FIELD_NAME = '%2'")
                       .arg(QLatin1String(table), QLatin1String(column))) == 1;
}

bool hasTable(const char* table) {
    return readInt(QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = '%1'")
                       .arg(QLatin1String(table))) == 1;
}

// ID -> POSITION_ of every tree row; -1 stands for NULL.
QMap<int, int> treePositions() {
    QMap<int, int> positions;
    for (auto q = readRows(QStringLiteral("select ID, POSITION_ from TREETABLE")); !q->eof(); q->next()) {
        const fb::Field position = q->fieldByName(QStringLiteral("POSITION_"));
        positions.insert(q->fieldByName(QStringLiteral("ID")).asInteger(),
                         position.isNull() ? -1 : position.asInteger());
    }
    return positions;
}

QString trimmedText(const QString& sql) {
    return readRows(sql)->field(0).asString().trimmed();
}

// The schema as the oldest releases left it (version 3): today's tables without
// what steps 4 to 16 add, plus the table that step 4 drops, and a small tree.
class Version3Database : public testsupport::FreshDatabase {
protected:
    void SetUp() override {
        setUpFromTemplate(QStringLiteral("version3"), [] {
            createVersion3Schema();
            fillVersion3Data();
        });
    }

    static void createVersion3Schema() {
        runAll({
            QStringLiteral("CREATE GENERATOR GEN_CHANGE_CONNECT_IP_OR_DNS_ID"),
            QStringLiteral("CREATE GENERATOR GEN_DATA_PROGRAMM_ID"),
            QStringLiteral("CREATE GENERATOR GEN_LOGIN_PASS_ID"),
            QStringLiteral("CREATE GENERATOR GEN_SERVERS_ID"),
            QStringLiteral("CREATE GENERATOR GEN_SERVERS_WITH_LOGIN_PASSS_ID"),
            QStringLiteral("CREATE GENERATOR GEN_TREETABLE_ID"),
            QStringLiteral("CREATE GENERATOR GEN_USER_DB_ID"),
            QStringLiteral("CREATE TABLE DATA_PROGRAMM (ID INTEGER NOT NULL, VER_DB INTEGER)"),
            QStringLiteral("CREATE TABLE LOGIN_PASS (ID INTEGER NOT NULL, NAME CHAR(150), LOGIN CHAR(50), "
                           "PASS CHAR(50), PERSONAL INTEGER)"),
            QStringLiteral(
                "CREATE TABLE SERVERS (ID INTEGER NOT NULL, ID_TREETABLE INTEGER, DOMAIN_NAME CHAR(50), "
                "IP_ADDRES CHAR(16))"),
            QStringLiteral("CREATE TABLE SERVERS_WITH_LOGIN_PASSS (ID INTEGER NOT NULL, ID_SERVERS INTEGER, "
                           "ID_LOGIN_PASS INTEGER, ID_USER_DB INTEGER)"),
            QStringLiteral("CREATE TABLE TREETABLE (ID INTEGER NOT NULL, ID_PARENT INTEGER, TEXT CHAR(50))"),
            QStringLiteral("CREATE TABLE USER_DB (ID INTEGER NOT NULL, FIO CHAR(50), PASS CHAR(10))"),
            QStringLiteral("CREATE TABLE CHANGE_CONNECT_IP_OR_DNS (ID INTEGER NOT NULL, ID_SERVERS INTEGER, "
                           "ID_USER_DB INTEGER, DNS_OR_IP INTEGER)"),
            QStringLiteral("ALTER TABLE DATA_PROGRAMM ADD CONSTRAINT PK_DATA PRIMARY KEY (ID)"),
            QStringLiteral("ALTER TABLE LOGIN_PASS ADD CONSTRAINT PK_LOGIN_PASS PRIMARY KEY (ID)"),
            QStringLiteral("ALTER TABLE SERVERS ADD CONSTRAINT PK_SERVERS PRIMARY KEY (ID)"),
            QStringLiteral("ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT PK_SERVERS_WITH_LOGIN_PASSS "
                           "PRIMARY KEY (ID)"),
            QStringLiteral("ALTER TABLE TREETABLE ADD CONSTRAINT PK_TREETABLE PRIMARY KEY (ID)"),
            QStringLiteral("ALTER TABLE USER_DB ADD CONSTRAINT PK_USER_DB PRIMARY KEY (ID)"),
            QStringLiteral("ALTER TABLE CHANGE_CONNECT_IP_OR_DNS ADD CONSTRAINT PK_CHANGE_CONNECT_IP_OR_DNS "
                           "PRIMARY KEY (ID)"),
            // Before step 9 the key to TREETABLE did not cascade.
            QStringLiteral("ALTER TABLE SERVERS ADD CONSTRAINT FK_SERVERS_1 FOREIGN KEY (ID_TREETABLE) "
                           "REFERENCES TREETABLE (ID)"),
            QStringLiteral(
                "ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT FK_SERVERS_WITH_LOGIN_PASSS_1 "
                "FOREIGN KEY (ID_SERVERS) REFERENCES SERVERS (ID) ON DELETE CASCADE ON UPDATE CASCADE"),
            QStringLiteral(
                "ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT FK_SERVERS_WITH_LOGIN_PASSS_2 "
                "FOREIGN KEY (ID_LOGIN_PASS) REFERENCES LOGIN_PASS (ID) ON DELETE CASCADE ON UPDATE "
                "CASCADE"),
            QStringLiteral(
                "ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT FK_SERVERS_WITH_LOGIN_PASSS_3 "
                "FOREIGN KEY (ID_USER_DB) REFERENCES USER_DB (ID) ON DELETE CASCADE ON UPDATE CASCADE"),
            QStringLiteral(
                "ALTER TABLE CHANGE_CONNECT_IP_OR_DNS ADD CONSTRAINT FK_CHANGE_CONNECT_IP_OR_DNS_1 "
                "FOREIGN KEY (ID_SERVERS) REFERENCES SERVERS (ID) ON DELETE CASCADE"),
            QStringLiteral(
                "CREATE TRIGGER DATA_PROGRAMM_BI FOR DATA_PROGRAMM ACTIVE BEFORE INSERT POSITION 0 as "
                "begin if (new.id is null) then new.id = gen_id(gen_data_programm_id,1); end"),
            QStringLiteral("CREATE TRIGGER LOGIN_PASS_BI FOR LOGIN_PASS ACTIVE BEFORE INSERT POSITION 0 as "
                           "begin if (new.id is null) then new.id = gen_id(gen_login_pass_id,1); end"),
            QStringLiteral("CREATE TRIGGER SERVERS_BI FOR SERVERS ACTIVE BEFORE INSERT POSITION 0 as "
                           "begin if (new.id is null) then new.id = gen_id(gen_servers_id,1); end"),
            QStringLiteral(
                "CREATE TRIGGER SERVERS_WITH_LOGIN_PASSS_BI FOR SERVERS_WITH_LOGIN_PASSS ACTIVE BEFORE "
                "INSERT POSITION 0 as begin if (new.id is null) then new.id = "
                "gen_id(gen_servers_with_login_passs_id,1); end"),
            QStringLiteral("CREATE TRIGGER TREETABLE_BI FOR TREETABLE ACTIVE BEFORE INSERT POSITION 0 as "
                           "begin if (new.id is null) then new.id = gen_id(gen_treetable_id,1); end"),
            QStringLiteral("CREATE TRIGGER USER_DB_BI FOR USER_DB ACTIVE BEFORE INSERT POSITION 0 as "
                           "begin if (new.id is null) then new.id = gen_id(gen_user_db_id,1); end"),
            QStringLiteral(
                "CREATE TRIGGER CHANGE_CONNECT_IP_OR_DNS_BI FOR CHANGE_CONNECT_IP_OR_DNS ACTIVE BEFORE "
                "INSERT POSITION 0 as begin if (new.id is null) then new.id = "
                "gen_id(gen_change_connect_ip_or_dns_id,1); end"),
            QStringLiteral(
                "COMMENT ON COLUMN LOGIN_PASS.PERSONAL IS'сюда идет запис ИД пользователя БД user_db'"),
        });
    }

    static void fillVersion3Data() {
        runAll({
            QStringLiteral("insert into DATA_PROGRAMM (VER_DB) values (3)"),
            QStringLiteral("insert into USER_DB (FIO, PASS) values ('admin', 'pw')"),
            QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров П.П.', 'pw2')"),
            QStringLiteral("insert into LOGIN_PASS (NAME, LOGIN, PASS) values ('Администратор домена', "
                           "'administrator', 'секрет')"),
            QStringLiteral(
                "insert into LOGIN_PASS (NAME, LOGIN, PASS, PERSONAL) values ('Личный ключ Петрова', "
                "'petrov', 'x', 2)"),
            // Siblings deliberately out of ID order; one top-level row has a NULL parent.
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (5, 0, 'Сервера')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (2, 0, 'Сайты')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (9, NULL, 'Без родителя')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (11, 5, 'srv-c')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (3, 5, 'srv-a')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (7, 5, 'srv-b')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (8, 2, 'web-b')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (4, 2, 'web-a')"),
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (10, 9, 'внутри')"),
            QStringLiteral("SET GENERATOR GEN_TREETABLE_ID TO 11"),
            QStringLiteral(
                "insert into SERVERS (ID_TREETABLE, DOMAIN_NAME, IP_ADDRES) values (3, 'a.example', "
                "'10.0.0.3')"),
            QStringLiteral(
                "insert into SERVERS (ID_TREETABLE, DOMAIN_NAME, IP_ADDRES) values (7, 'b.example', "
                "'10.0.0.7')"),
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                           "values (1, 1, 1)"),
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                           "values (2, 2, 2)"),
            QStringLiteral("insert into CHANGE_CONNECT_IP_OR_DNS (ID_SERVERS, ID_USER_DB, DNS_OR_IP) "
                           "values (1, 1, 2)"),
        });
    }
};

TEST_F(Version3Database, UpgradeReachesCurrentVersionWithTheCurrentSchema) {
    ASSERT_EQ(RequestVersionDataBase(), 3);
    UpdateBase();

    EXPECT_EQ(RequestVersionDataBase(), 16);
    EXPECT_FALSE(hasTable("CHANGE_CONNECT_IP_OR_DNS"));
    EXPECT_EQ(schemacatalog::structure(), schemacatalog::currentSchema());
}

TEST_F(Version3Database, UpgradeNumbersPositionsPerParentInIdOrder) {
    UpdateBase();

    const QMap<int, int> expected = {
        {2, 1}, {5, 2}, {9, 3}, // top level: parent 0 and the NULL parent together
        {3, 1}, {7, 2}, {11, 3}, {4, 1}, {8, 2}, {10, 1},
    };
    EXPECT_EQ(treePositions(), expected);
}

TEST_F(Version3Database, UpgradeKeepsDataAndCyrillicText) {
    UpdateBase();

    EXPECT_EQ(trimmedText(QStringLiteral("select NAME from LOGIN_PASS where ID = 1")),
              "Администратор домена");
    EXPECT_EQ(trimmedText(QStringLiteral("select NAME from LOGIN_PASS where ID = 2")), "Личный ключ Петрова");
    EXPECT_EQ(trimmedText(QStringLiteral("select PASS from LOGIN_PASS where ID = 1")), "секрет");
    EXPECT_EQ(readInt(QStringLiteral("select PERSONAL from LOGIN_PASS where ID = 2")), 2);
    EXPECT_EQ(trimmedText(QStringLiteral("select FIO from USER_DB where ID = 2")), "Петров П.П.");
    EXPECT_EQ(trimmedText(QStringLiteral("select TEXT from TREETABLE where ID = 9")), "Без родителя");
    EXPECT_EQ(trimmedText(QStringLiteral("select TEXT from TREETABLE where ID = 10")), "внутри");
    EXPECT_EQ(readInt(QStringLiteral("select count(*) from TREETABLE where ID_PARENT is null")), 1);
    EXPECT_EQ(trimmedText(QStringLiteral("select DOMAIN_NAME from SERVERS where ID_TREETABLE = 7")),
              "b.example");
    EXPECT_EQ(trimmedText(QStringLiteral("select IP_ADDRES from SERVERS where ID_TREETABLE = 3")),
              "10.0.0.3");
    EXPECT_EQ(readInt(QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS where DNS_OR_IP is null "
                                     "and RDP_OR_SSH is null")),
              2);
    EXPECT_EQ(readInt(QStringLiteral("select gen_id(GEN_TREETABLE_ID, 0) from rdb$database")), 11);
}

TEST_F(Version3Database, UpgradedTreeDeleteNowCascadesToServers) {
    UpdateBase();
    RequestSQL(QStringLiteral("delete from TREETABLE where ID = 3"));
    EXPECT_EQ(readInt(QStringLiteral("select count(*) from SERVERS")), 1);
    EXPECT_EQ(readInt(QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS")), 1);
}

TEST_F(Version3Database, UpdateBaseAtCurrentVersionChangesNothing) {
    UpdateBase();
    // An unnumbered row shows that the position repair does not run again.
    RequestSQL(
        QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values (12, 0, 'new', NULL)"));
    const auto structure = schemacatalog::structure();
    const auto generators = schemacatalog::generatorValues();
    const auto positions = treePositions();

    UpdateBase();

    EXPECT_EQ(RequestVersionDataBase(), 16);
    EXPECT_EQ(schemacatalog::structure(), structure);
    EXPECT_EQ(schemacatalog::generatorValues(), generators);
    EXPECT_EQ(treePositions(), positions);
    EXPECT_EQ(positions.value(12), -1);
}

TEST_F(Version3Database, NewerVersionIsAcceptedUnchanged) {
    UpdateBase();
    WriteVersionDataBase(17);
    const auto structure = schemacatalog::structure();

    UpdateBase();

    EXPECT_EQ(RequestVersionDataBase(), 17);
    EXPECT_EQ(schemacatalog::structure(), structure);
}

TEST_F(Version3Database, FailingStepKeepsLastCompletedVersionAndReportsServerError) {
    // Somebody added the port by hand: step 7's third statement will fail.
    RequestSQL(QStringLiteral("ALTER TABLE SERVERS ADD PORT CHAR(5)"));

    try {
        UpdateBase();
        FAIL() << "step 7 must fail";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("PORT"))) << e.what();
    }

    EXPECT_EQ(RequestVersionDataBase(), 6);
    EXPECT_TRUE(hasTable("OTHER_LOGIN_PASS_ON_SRV"));
    // What ran of the failed step stays committed; nothing of the later steps ran.
    EXPECT_TRUE(hasColumn("SERVERS", "TRANSLATION_"));
    EXPECT_FALSE(hasColumn("TREETABLE", "ID_ICO"));
    EXPECT_FALSE(hasColumn("TREETABLE", "POSITION_"));

    // Running it again starts the step over and stops at its first statement.
    EXPECT_THROW(UpdateBase(), fb::Error);
    EXPECT_EQ(RequestVersionDataBase(), 6);
}

// A version-12 database as CreateTablesInNewBase leaves it, with objects in the tree.
class Version12Database : public testsupport::FreshDatabase {
protected:
    void SetUp() override {
        setUpFromTemplate(QStringLiteral("version12"), [] {
            CreateTablesInNewBase();
            runAll({
                QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (4, 0, 'b')"),
                QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'a')"),
                QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (3, 1, 'c')"),
                QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (2, 1, 'd')"),
            });
        });
    }
};

TEST_F(Version12Database, UpgradeRunsStepsFrom13AndNumbersTree) {
    ASSERT_EQ(RequestVersionDataBase(), 12);
    UpdateBase();

    EXPECT_EQ(RequestVersionDataBase(), 16);
    EXPECT_EQ(schemacatalog::structure(), schemacatalog::currentSchema());
    const QMap<int, int> expected = {{1, 1}, {4, 2}, {2, 1}, {3, 2}};
    EXPECT_EQ(treePositions(), expected);
}

TEST_F(Version12Database, PositionRepairEndsOnRowThatCanNeverBeNumbered) {
    // A trigger that throws every position away: repeating the pass would never end.
    runAll({
        QStringLiteral("ALTER TABLE TREETABLE ADD POSITION_ INTEGER DEFAULT 0"),
        QStringLiteral(
            "CREATE TRIGGER TREETABLE_NO_POSITION FOR TREETABLE ACTIVE BEFORE UPDATE POSITION 0 AS "
            "begin new.position_ = null; end"),
    });

    try {
        CheckBase_v12();
        FAIL() << "the repair must give up";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("ID 1"))) << e.what();
    }
}

TEST_F(Version12Database, FailingPositionRepairLeavesVersionAt12) {
    RequestSQL(QStringLiteral("CREATE EXCEPTION E_LOCKED 'locked row'"));
    RequestSQL(
        QStringLiteral("CREATE TRIGGER TREETABLE_LOCKED FOR TREETABLE ACTIVE BEFORE UPDATE POSITION 0 AS "
                       "begin if (new.text = 'c') then exception E_LOCKED; end"));

    try {
        UpdateBase();
        FAIL() << "the update of row 'c' must fail";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("locked row"))) << e.what();
    }
    EXPECT_EQ(RequestVersionDataBase(), 12);
    EXPECT_FALSE(hasTable("ICO"));
}

} // namespace
