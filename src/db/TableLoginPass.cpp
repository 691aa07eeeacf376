#include "db/TableLoginPass.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"

namespace {

const QString kGenId = QStringLiteral("select GEN_ID(GEN_LOGIN_PASS_ID, 1) from RDB$DATABASE");

const QString kInsertKeySet = QStringLiteral("insert into LOGIN_PASS (ID,  NAME, lOGIN,  PASS,  PERSONAL ) "
                                             "values (:perID, :perNAME, :perLOGIN, :perPASS, "
                                             ":perPERSONAL )");

const QString kUpdateKeySet = QStringLiteral("UPDATE LOGIN_PASS SET NAME =       :perNAME, LOGIN =      "
                                             ":perLOGIN, PASS =       :perPASS, PERSONAL=    "
                                             ":perPERSONAL  where ID = :perID");

const QString kDeleteKeySet = QStringLiteral("DELETE FROM LOGIN_PASS WHERE LOGIN_PASS.id= :perID");

const QString kSelectName = QStringLiteral(
    "select  NAME       AS NAME_LOGIN_PASS from LOGIN_PASS where LOGIN_PASS.ID = :perID_LOGIN_PASS");

const QString kSelectKeySet = QStringLiteral("select  ID         AS ID_LOGIN_PASS,"
                                             "NAME       AS NAME_LOGIN_PASS,"
                                             "LOGIN      AS LOGIN_LOGIN_PASS,"
                                             "PASS       AS PASS_LOGIN_PASS,"
                                             "PERSONAL   AS PERSONAL_LOGIN_PASS "
                                             "from LOGIN_PASS where LOGIN_PASS.ID = :perID_LOGIN_PASS");

const QString kSelectVisibleKeySets = QStringLiteral("select * from LOGIN_PASS where LOGIN_PASS.PERSONAL = "
                                                     ":perPERSONAL or LOGIN_PASS.PERSONAL is Null ORDER BY ");

} // namespace

int Gen_ID_table_LOGIN_PASS() {
    auto query = my_initialization_TIBQuery();
    query->setSql(kGenId);
    query->open();
    return query->fieldByName(QStringLiteral("GEN_ID")).asInteger();
}

void insert_data_for_table_LOGIN_PASS(int perID, const QString& perNAME, const QString& perLOGIN,
                                      const QString& perPASS, int perPERSONAL) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kInsertKeySet);
    query->setParam(QStringLiteral("perID"), perID);
    query->setParam(QStringLiteral("perNAME"), perNAME);
    query->setParam(QStringLiteral("perLOGIN"), perLOGIN);
    query->setParam(QStringLiteral("perPASS"), perPASS);
    query->setParam(QStringLiteral("perPERSONAL"), perPERSONAL);
    executeAndCommit(*query);
}

void update_for_table_LOGIN_PASS(const QString& perNAME, const QString& perLOGIN, const QString& perPASS,
                                 int perPERSONAL, int perID) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kUpdateKeySet);
    query->setParam(QStringLiteral("perNAME"), perNAME);
    query->setParam(QStringLiteral("perLOGIN"), perLOGIN);
    query->setParam(QStringLiteral("perPASS"), perPASS);
    query->setParam(QStringLiteral("perPERSONAL"), perPERSONAL);
    query->setParam(QStringLiteral("perID"), perID);
    executeAndCommit(*query);
}

void DeleteObjectInTable_LOGIN_PASS(int perID) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kDeleteKeySet);
    query->setParam(QStringLiteral("perID"), perID);
    executeAndCommit(*query);
}

QString GetNameOfKeyByID(int perID_LOGIN_PASS) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kSelectName);
    query->setParam(QStringLiteral("perID_LOGIN_PASS"), perID_LOGIN_PASS);
    query->open();
    return query->fieldByName(QStringLiteral("NAME_LOGIN_PASS")).asString().trimmed();
}

std::unique_ptr<fb::Query> SELECT_LOGIN_AND_PASS_OF_TABLE_LOGIN_PASS(int perID_LOGIN_PASS) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kSelectKeySet);
    query->setParam(QStringLiteral("perID_LOGIN_PASS"), perID_LOGIN_PASS);
    query->open();
    return query;
}

std::unique_ptr<fb::Query> select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(int perPERSONAL,
                                                                                     bool perORDERBY) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kSelectVisibleKeySets +
                  (perORDERBY ? QStringLiteral("LOGIN_PASS.NAME") : QStringLiteral("LOGIN_PASS.ID")));
    query->setParam(QStringLiteral("perPERSONAL"), perPERSONAL);
    query->open();
    return query;
}
