#include "db/KeySetChanges.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "fb/Transaction.h"

namespace {

const QString kCountServersUsing = QStringLiteral(
    "select count(*) as N from SERVERS where SERVERS.DEFAUL_PASS = :perID or exists (select 1 from "
    "SERVERS_WITH_LOGIN_PASSS where SERVERS_WITH_LOGIN_PASSS.ID_SERVERS = SERVERS.ID and "
    "SERVERS_WITH_LOGIN_PASSS.ID_LOGIN_PASS = :perID)");

// RETURNING gives NULL when no row matched: that tells a row another copy removed.
const QString kUpdateKeySetReturning =
    QStringLiteral("UPDATE LOGIN_PASS SET NAME =       :perNAME, LOGIN =      "
                   ":perLOGIN, PASS =       :perPASS, PERSONAL=    "
                   ":perPERSONAL  where ID = :perID returning ID");

const QString kReleaseLinks =
    QStringLiteral("UPDATE SERVERS_WITH_LOGIN_PASSS SET ID_LOGIN_PASS = NULL where ID_LOGIN_PASS = :perID");

const QString kReleaseDefaults =
    QStringLiteral("UPDATE SERVERS SET DEFAUL_PASS = NULL where DEFAUL_PASS = :perID");

const QString kDeleteKeySetReturning =
    QStringLiteral("DELETE FROM LOGIN_PASS WHERE LOGIN_PASS.id= :perID returning ID");

bool returnedRow(const fb::Query& query) {
    return !query.eof() && !query.field(0).isNull();
}

void runWithId(fb::Query& query, const QString& sql, int perID) {
    query.setSql(sql);
    query.setParam(QStringLiteral("perID"), perID);
    query.execSql();
}

// Several statements that stand or fall together, on a transaction of their own.
// steps returns whether to keep what it did; a throw rolls back as well.
template <typename Steps> bool inOneTransaction(Steps&& steps) {
    fb::Database& database = runDatabase().IBDatabase1;
    fb::Transaction transaction(database);
    transaction.start();
    fb::Query query(database, transaction);
    if (!steps(query)) {
        transaction.rollback();
        return false;
    }
    transaction.commit();
    return true;
}

} // namespace

int countServersUsingKeySet(int perID) {
    auto query = my_initialization_TIBQuery();
    query->setSql(kCountServersUsing);
    query->setParam(QStringLiteral("perID"), perID);
    query->open();
    return query->fieldByName(QStringLiteral("N")).asInteger();
}

bool updateKeySetIfPresent(const QString& perNAME, const QString& perLOGIN, const QString& perPASS,
                           int perPERSONAL, int perID) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kUpdateKeySetReturning);
    query->setParam(QStringLiteral("perNAME"), perNAME);
    query->setParam(QStringLiteral("perLOGIN"), perLOGIN);
    query->setParam(QStringLiteral("perPASS"), perPASS);
    query->setParam(QStringLiteral("perPERSONAL"), perPERSONAL);
    query->setParam(QStringLiteral("perID"), perID);
    query->execSql();
    const bool present = returnedRow(*query);
    runDatabase().IBTransaction2.commit();
    return present;
}

bool deleteKeySetKeepingChoices(int perID) {
    if (perID == 0)
        return false;
    return inOneTransaction([perID](fb::Query& query) {
        runWithId(query, kReleaseLinks, perID);
        runWithId(query, kReleaseDefaults, perID);
        runWithId(query, kDeleteKeySetReturning, perID);
        return returnedRow(query); // gone already: undo the two releases as well
    });
}
