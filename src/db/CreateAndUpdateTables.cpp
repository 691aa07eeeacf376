#include "db/CreateAndUpdateTables.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/TableUserDB.h"
#include "fb/Error.h"
#include "fb/Query.h"

#include <variant>
#include <vector>

namespace {

// Statements 1 to 49 of a new database: the version-12 schema. Existing databases
// were made by exactly these texts, so they stay byte for byte as they are.
const QStringList& newBaseStatements() {
    static const QStringList statements = {
        QStringLiteral("CREATE GENERATOR GEN_CHANGE_CONNECT_IP_OR_DNS_ID;"),
        QStringLiteral("SET GENERATOR GEN_CHANGE_CONNECT_IP_OR_DNS_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_DATA_PROGRAMM_ID;   "),
        QStringLiteral("SET GENERATOR GEN_DATA_PROGRAMM_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_LOGIN_PASS_ID;"),
        QStringLiteral("SET GENERATOR GEN_LOGIN_PASS_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_OTHER_LOGIN_PASS_ON_SRV_ID;"),
        QStringLiteral("SET GENERATOR GEN_OTHER_LOGIN_PASS_ON_SRV_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_SERVERS_ID;"),
        QStringLiteral("SET GENERATOR GEN_SERVERS_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_SERVERS_WITH_LOGIN_PASSS_ID;"),
        QStringLiteral("SET GENERATOR GEN_SERVERS_WITH_LOGIN_PASSS_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_TREETABLE_ID;"),
        QStringLiteral("SET GENERATOR GEN_TREETABLE_ID TO 0;"),
        QStringLiteral("CREATE GENERATOR GEN_USER_DB_ID;"),
        QStringLiteral("SET GENERATOR GEN_USER_DB_ID TO 0;"),
        QStringLiteral("CREATE TABLE DATA_PROGRAMM (     ID      INTEGER NOT NULL,    VER_DB  INTEGER   );"),
        QStringLiteral(
            "CREATE TABLE LOGIN_PASS (     ID        INTEGER NOT NULL,    NAME      CHAR(150),    LOGIN"
            "     CHAR(50),    PASS      CHAR(50),    PERSONAL  INTEGER);"),
        QStringLiteral(
            "CREATE TABLE OTHER_LOGIN_PASS_ON_SRV (    ID       INTEGER NOT NULL,    LOGIN    CHAR(50),"
            "    PASS     CHAR(50),    COMMENT  VARCHAR(1024));"),
        QStringLiteral(
            "CREATE TABLE SERVERS (    ID                 INTEGER NOT NULL,    ID_TREETABLE       INTEGER,"
            "    DOMAIN_NAME        CHAR(50),    IP_ADDRES          CHAR(16),    TRANSLATION_       "
            "CHAR(50),    PORT               CHAR(5),    DEFAUL_PASS        INTEGER,    DEFAUL_DNS_OR_IP"
            "   INTEGER,    DEFAUL_RDP_OR_SSH  INTEGER);"),
        QStringLiteral(
            "CREATE TABLE SERVERS_WITH_LOGIN_PASSS (    ID             INTEGER NOT NULL,    ID_SERVERS   "
            "  INTEGER,    ID_LOGIN_PASS  INTEGER,    ID_USER_DB     INTEGER,    DNS_OR_IP      INTEGER,"
            "    RDP_OR_SSH     INTEGER); "),
        QStringLiteral(
            "CREATE TABLE TREETABLE (    ID         INTEGER NOT NULL,    ID_PARENT  INTEGER,    TEXT    "
            "   CHAR(50),    ID_ICO     INTEGER);"),
        QStringLiteral(
            "CREATE TABLE USER_DB (    ID    INTEGER NOT NULL,    FIO   CHAR(50),    PASS  CHAR(10));"),
        QStringLiteral("ALTER TABLE DATA_PROGRAMM ADD CONSTRAINT PK_DATA PRIMARY KEY (ID);"),
        QStringLiteral("ALTER TABLE LOGIN_PASS ADD CONSTRAINT PK_LOGIN_PASS PRIMARY KEY (ID); "),
        QStringLiteral("ALTER TABLE OTHER_LOGIN_PASS_ON_SRV ADD CONSTRAINT PK_OTHER_LOGIN_PASS_ON_SRV "
                       "PRIMARY KEY (ID);"),
        QStringLiteral("ALTER TABLE SERVERS ADD CONSTRAINT PK_SERVERS PRIMARY KEY (ID);"),
        QStringLiteral("ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT PK_SERVERS_WITH_LOGIN_PASSS "
                       "PRIMARY KEY (ID);"),
        QStringLiteral("ALTER TABLE TREETABLE ADD CONSTRAINT PK_TREETABLE PRIMARY KEY (ID);"),
        QStringLiteral("ALTER TABLE USER_DB ADD CONSTRAINT PK_USER_DB PRIMARY KEY (ID); "),
        QStringLiteral(
            "ALTER TABLE SERVERS ADD CONSTRAINT FK_SERVERS_1 FOREIGN KEY (ID_TREETABLE) REFERENCES TREETABLE"
            " (ID) ON DELETE CASCADE ON UPDATE CASCADE; "),
        QStringLiteral(
            "ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT FK_SERVERS_WITH_LOGIN_PASSS_1 FOREIGN KEY "
            "(ID_SERVERS) REFERENCES SERVERS (ID) ON DELETE CASCADE ON UPDATE CASCADE;"),
        QStringLiteral(
            "ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT FK_SERVERS_WITH_LOGIN_PASSS_2 FOREIGN KEY "
            "(ID_LOGIN_PASS) REFERENCES LOGIN_PASS (ID) ON DELETE CASCADE ON UPDATE CASCADE;"),
        QStringLiteral(
            "ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD CONSTRAINT FK_SERVERS_WITH_LOGIN_PASSS_3 FOREIGN KEY "
            "(ID_USER_DB) REFERENCES USER_DB (ID) ON DELETE CASCADE ON UPDATE CASCADE; "),
        QStringLiteral(
            "CREATE TRIGGER DATA_PROGRAMM_BI FOR DATA_PROGRAMM ACTIVE BEFORE INSERT POSITION 0 as begin   if"
            " (new.id is null) then     new.id = gen_id(gen_data_programm_id,1); end "),
        QStringLiteral(
            "CREATE TRIGGER LOGIN_PASS_BI FOR LOGIN_PASS ACTIVE BEFORE INSERT POSITION 0 as begin   if "
            "(new.id is null) then    new.id = gen_id(gen_login_pass_id,1);end"),
        QStringLiteral(
            "CREATE TRIGGER OTHER_LOGIN_PASS_ON_SRV_BI FOR OTHER_LOGIN_PASS_ON_SRV ACTIVE BEFORE INSERT "
            "POSITION 0 as  begin   if (new.id is null) then     new.id = "
            "gen_id(gen_other_login_pass_on_srv_id,1);  end  "),
        QStringLiteral(
            "CREATE TRIGGER SERVERS_BI FOR SERVERS ACTIVE BEFORE INSERT POSITION 0 as begin   if (new.id is"
            " null) then     new.id = gen_id(gen_servers_id,1); end "),
        QStringLiteral(
            "CREATE TRIGGER SERVERS_WITH_LOGIN_PASSS_BI FOR SERVERS_WITH_LOGIN_PASSS ACTIVE BEFORE INSERT "
            "POSITION 0 as begin   if (new.id is null) then      new.id = "
            "gen_id(gen_servers_with_login_passs_id,1); end "),
        QStringLiteral(
            "CREATE TRIGGER TREETABLE_BI FOR TREETABLE ACTIVE BEFORE INSERT POSITION 0 as begin    if "
            "(new.id is null) then     new.id = gen_id(gen_treetable_id,1); end "),
        QStringLiteral(
            "CREATE TRIGGER USER_DB_BI FOR USER_DB ACTIVE BEFORE INSERT POSITION 0 as  begin    if (new.id"
            " is null) then     new.id = gen_id(gen_user_db_id,1); end "),
        QStringLiteral(
            "COMMENT ON COLUMN LOGIN_PASS.PERSONAL IS'сюда идет запис ИД пользователя БД user_db'"),
        QStringLiteral("COMMENT ON COLUMN OTHER_LOGIN_PASS_ON_SRV.COMMENT IS'сюда вписывается описание "
                       "логина и пароля'"),
        QStringLiteral("COMMENT ON COLUMN SERVERS.TRANSLATION_ IS'кодировка в putty'"),
        QStringLiteral("COMMENT ON COLUMN SERVERS.DEFAUL_PASS IS'набор ключей по дефолту если нет своих'"),
        QStringLiteral("COMMENT ON COLUMN SERVERS.DEFAUL_DNS_OR_IP IS'1-DNS 2-IP'"),
        QStringLiteral("COMMENT ON COLUMN SERVERS.DEFAUL_RDP_OR_SSH IS'1-RDP 2-SSH'"),
        QStringLiteral("COMMENT ON COLUMN SERVERS_WITH_LOGIN_PASSS.RDP_OR_SSH IS'1-RDP 2-SSH'"),
        QStringLiteral("COMMENT ON COLUMN TREETABLE.ID_ICO IS'ID иконки дерева'"),
    };
    return statements;
}

using UpgradeAction = std::variant<QString, void (*)()>;

// One upgrade step: run when the stored version is below newVersion.
struct UpgradeStep {
    int newVersion;
    std::vector<UpgradeAction> actions;
};

const std::vector<UpgradeStep>& upgradeSteps() {
    static const std::vector<UpgradeStep> steps = {
        {4,
         {QStringLiteral("DROP TABLE CHANGE_CONNECT_IP_OR_DNS"),
          QStringLiteral("ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD DNS_OR_IP INTEGER")}},
        {5,
         {QStringLiteral("ALTER TABLE SERVERS_WITH_LOGIN_PASSS ADD RDP_OR_SSH INTEGER"),
          QStringLiteral("COMMENT ON COLUMN SERVERS_WITH_LOGIN_PASSS.RDP_OR_SSH IS '1-RDP 2-SSH'")}},
        {6,
         {QStringLiteral("CREATE TABLE OTHER_LOGIN_PASS_ON_SRV ( ID INTEGER NOT NULL,LOGIN CHAR(50),PASS "
                         "CHAR(50),COMMENT VARCHAR(1024))"),
          QStringLiteral(
              "ALTER TABLE OTHER_LOGIN_PASS_ON_SRV ADD CONSTRAINT PK_OTHER_LOGIN_PASS_ON_SRV PRIMARY KEY "
              "(ID) "),
          QStringLiteral(
              "COMMENT ON COLUMN OTHER_LOGIN_PASS_ON_SRV.COMMENT IS 'сюда вписывается описание логина и "
              "пароля'"),
          QStringLiteral("CREATE SEQUENCE GEN_OTHER_LOGIN_PASS_ON_SRV_ID "),
          QStringLiteral(
              "create trigger other_login_pass_on_srv_bi for other_login_pass_on_srv  active before "
              "insert position 0  as  begin   if (new.id is null) then     new.id = "
              "gen_id(gen_other_login_pass_on_srv_id,1);  end ")}},
        {7,
         {QStringLiteral("ALTER TABLE SERVERS ADD TRANSLATION_ CHAR(50)"),
          QStringLiteral("COMMENT ON COLUMN SERVERS.TRANSLATION_ IS'кодировка в putty'"),
          QStringLiteral("ALTER TABLE SERVERS ADD PORT CHAR(5)")}},
        {8,
         {QStringLiteral("ALTER TABLE TREETABLE ADD ID_ICO INTEGER"),
          QStringLiteral("COMMENT ON COLUMN TREETABLE.ID_ICO IS'ID иконки дерева'")}},
        {9,
         {QStringLiteral("ALTER TABLE SERVERS DROP CONSTRAINT FK_SERVERS_1"),
          QStringLiteral(
              "ALTER TABLE SERVERS ADD CONSTRAINT FK_SERVERS_1 FOREIGN KEY (ID_TREETABLE) REFERENCES "
              "TREETABLE(ID) ON DELETE CASCADE ON UPDATE CASCADE USING INDEX FK_SERVERS_1 ")}},
        {10,
         {QStringLiteral("ALTER TABLE SERVERS ADD DEFAUL_PASS INTEGER"),
          QStringLiteral(
              "COMMENT ON COLUMN SERVERS.DEFAUL_PASS IS'набор ключей по дефолту если нет своих'")}},
        {11,
         {QStringLiteral("ALTER TABLE SERVERS ADD DEFAUL_DNS_OR_IP INTEGER, ADD DEFAUL_RDP_OR_SSH INTEGER "),
          QStringLiteral("COMMENT ON COLUMN SERVERS.DEFAUL_DNS_OR_IP IS '1-DNS 2-IP'"),
          QStringLiteral("COMMENT ON COLUMN SERVERS.DEFAUL_RDP_OR_SSH IS '1-RDP 2-SSH'")}},
        {12, {QStringLiteral("ALTER TABLE LOGIN_PASS ALTER NAME TYPE CHAR(150) CHARACTER SET NONE ")}},
        {13,
         {QStringLiteral("ALTER TABLE TREETABLE ADD POSITION_ INTEGER DEFAULT 0"),
          QStringLiteral(
              "COMMENT ON COLUMN TREETABLE.POSITION_ IS'Позиция объекта относительно других объектов'"),
          &CheckBase_v12,
          QStringLiteral("CREATE TABLE ICO (ID INTEGER NOT NULL,IMAGE_ BLOB SUB_TYPE 0 SEGMENT SIZE 80)"),
          QStringLiteral("ALTER TABLE ICO ADD CONSTRAINT PK_ICO PRIMARY KEY (ID)"),
          QStringLiteral("CREATE SEQUENCE GEN_ICO_ID ")}},
        {14,
         {QStringLiteral("ALTER TABLE TREETABLE ADD TYPE_NODE INTEGER"),
          QStringLiteral("COMMENT ON COLUMN TREETABLE.TYPE_NODE IS'тип ноды папка сервер браузер'"),
          QStringLiteral("ALTER TABLE SERVERS ALTER DOMAIN_NAME TYPE CHAR(500) CHARACTER SET WIN1251,ALTER "
                         "IP_ADDRES TYPE CHAR(30) CHARACTER SET WIN1251")}},
        {15,
         {QStringLiteral(
              "CREATE TABLE LOGS (ID          INTEGER NOT NULL, PARAMETERS  BLOB SUB_TYPE 0 SEGMENT SIZE "
              "80 );"),
          QStringLiteral("ALTER TABLE LOGS ADD CONSTRAINT PK_LOGS PRIMARY KEY (ID); "),
          QStringLiteral("CREATE GENERATOR GEN_LOGS_ID;"),
          QStringLiteral(
              "CREATE OR ALTER TRIGGER LOGS_AI0 FOR LOGS  ACTIVE AFTER INSERT POSITION 0  AS  begin   "
              "POST_EVENT 'InsertDataToLogsBase';end   "),
          QStringLiteral(
              "create trigger LOGS_BI for LOGS active before insert position 0 as begin   if (new.id is "
              "null) then     new.id = gen_id(gen_logs_id,1);  end ")}},
        {16,
         {QStringLiteral("ALTER TABLE SERVERS ADD NOTES BLOB SUB_TYPE 0 SEGMENT SIZE 80 "),
          QStringLiteral("COMMENT ON COLUMN SERVERS.NOTES IS'для заметок'")}},
    };
    return steps;
}

void executeAndCommit(fb::Query& query, const QString& sql) {
    query.setSql(sql);
    query.execSql();
    runDatabase().IBTransaction2.commit();
}

void runUpgradeStep(fb::Query& query, const UpgradeStep& step) {
    for (const UpgradeAction& action : step.actions) {
        if (const QString* sql = std::get_if<QString>(&action))
            executeAndCommit(query, *sql);
        else
            std::get<void (*)()>(action)();
    }
    WriteVersionDataBase(step.newVersion);
}

} // namespace

void RequestSQL(const QString& per_SQL) {
    auto query = my_initialization_TIBQuery_insert();
    // DDL takes no parameters, and a colon inside a trigger body names a local variable.
    query->setParamCheck(false);
    executeAndCommit(*query, per_SQL);
}

void CreateTablesInNewBase() {
    for (const QString& sql : newBaseStatements())
        RequestSQL(sql);
    insert_data_for_table_USER_DB(QStringLiteral("admin"), encode_string(QStringLiteral("kestu")));
    RequestSQL(QStringLiteral("insert into DATA_PROGRAMM ( VER_DB ) values (0)"));
    WriteVersionDataBase(12);
}

int RequestVersionDataBase() {
    auto query = my_initialization_TIBQuery();
    query->setSql(QStringLiteral("select * from DATA_PROGRAMM "));
    query->open();
    if (query->eof())
        return 0;
    return query->fieldByName(QStringLiteral("VER_DB")).asInteger();
}

void WriteVersionDataBase(int ver_db) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("UPDATE DATA_PROGRAMM SET VER_DB =      :perVER_DB  where ID = :perID"));
    // A version of 0 is a real value here, not a NULL.
    query->setParamInt(QStringLiteral("perVER_DB"), ver_db);
    query->setParamInt(QStringLiteral("perID"), 1);
    executeAndCommit(*query);
}

void UpdateBase() {
    auto query = my_initialization_TIBQuery_insert();
    query->setParamCheck(false);
    for (const UpgradeStep& step : upgradeSteps()) {
        if (RequestVersionDataBase() < step.newVersion)
            runUpgradeStep(*query, step);
    }
}

void CheckBase_v12() {
    auto query = my_initialization_TIBQuery();
    bool firstPass = true;
    int previousFirstId = 0;
    for (;;) {
        query->setSql(QStringLiteral("SELECT * FROM treetable WHERE position_ IS NULL ORDER BY id"));
        query->open();
        if (query->eof())
            return;
        // Each pass numbers at least the group of the lowest unnumbered ID; if that row
        // is still unnumbered, repeating the pass would never end.
        const int firstId = query->fieldByName(QStringLiteral("ID")).asInteger();
        if (!firstPass && firstId <= previousFirstId)
            throw fb::Error(QStringLiteral("Не удалось задать позицию объекту дерева с ID %1").arg(firstId));
        firstPass = false;
        previousFirstId = firstId;
        FindNULLposition(*query);
    }
}

void FindNULLposition(fb::Query& per_IBQuery) {
    auto siblings = my_initialization_TIBQuery();
    for (; !per_IBQuery.eof(); per_IBQuery.next()) {
        if (per_IBQuery.fieldByName(QStringLiteral("POSITION_")).asInteger() != 0)
            continue;
        const int parent = per_IBQuery.fieldByName(QStringLiteral("ID_PARENT")).asInteger();
        if (parent != 0) {
            siblings->setSql(
                QStringLiteral("SELECT * FROM treetable WHERE (position_ IS NULL)and(id_parent=:perID_PARENT)"
                               " ORDER BY id "));
        } else {
            // Top-level objects may carry NULL instead of 0 as their parent.
            siblings->setSql(
                QStringLiteral("SELECT * FROM treetable WHERE (position_ IS "
                               "NULL)and((id_parent=:perID_PARENT)or(id_parent IS NULL)) ORDER BY id "));
        }
        siblings->setParamInt(QStringLiteral("perID_PARENT"), parent);
        siblings->open();
        UpdateNULLposition(*siblings);
    }
}

void UpdateNULLposition(fb::Query& per_IBQuery) {
    auto update = my_initialization_TIBQuery_insert();
    update->setSql(
        QStringLiteral("UPDATE treetable SET POSITION_ =         :perPosition_  where ID = :perID"));
    int position = 0;
    for (; !per_IBQuery.eof(); per_IBQuery.next()) {
        ++position;
        update->setParamInt(QStringLiteral("perID"),
                            per_IBQuery.fieldByName(QStringLiteral("ID")).asInteger());
        update->setParamInt(QStringLiteral("perPosition_"), position);
        executeAndCommit(*update);
    }
}
