#include "db/TableUserDB.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"

void insert_data_for_table_USER_DB(const QString& perFIO, const QString& perPASS) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("insert into USER_DB (FIO,PASS ) values (:perFIO, :perPASS )"));
    query->setParam(QStringLiteral("perFIO"), perFIO);
    query->setParam(QStringLiteral("perPASS"), perPASS);
    executeAndCommit(*query);
}

std::unique_ptr<fb::Query> select_data_of_table_USER_DB() {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select * from USER_DB "));
    query->open();
    return query;
}

QString GetFIObyUser_ID(int perID) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select * from USER_DB WHERE ID = :perID"));
    query->setParam(QStringLiteral("perID"), perID);
    query->open();
    query->last();
    return query->fieldByName(QStringLiteral("FIO")).asString();
}

QString GetFIObyUser_ID(RunDatabase& db, int perID) {
    fb::Query query(db.IBDatabase1, db.IBTransaction1);
    query.setSql(QStringLiteral("select * from USER_DB WHERE ID = :perID"));
    query.setParam(QStringLiteral("perID"), perID);
    query.open();
    query.last();
    return query.fieldByName(QStringLiteral("FIO")).asString();
}
