#include "journal/TableLogs.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"

#include <QDateTime>

type_ParametersOfEvents gperParametersOfEventsUPDATE;

namespace {

// How far below the generator's value the newest row is looked for through the
// key's index before falling back to a scan of the whole journal.
constexpr int kNewestIdWindow = 1000;

// Both read NULL, that is 0, when no row qualifies.
int maxIdAbove(qint64 lowerBound) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select max(ID) from LOGS where ID > :perID"));
    query->setParamInt(QStringLiteral("perID"), lowerBound);
    query->open();
    return query->field(0).asInteger();
}

int maxIdOfAll() {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select max(ID) from LOGS"));
    query->open();
    return query->field(0).asInteger();
}

qint64 generatorValue() {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select gen_id(GEN_LOGS_ID, 0) from RDB$DATABASE"));
    query->open();
    return query->field(0).asInt64();
}

// The server's wall clock in milliseconds, read in the write transaction so the
// time belongs to the insert that follows.
qint64 serverWallClockMs() {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select datediff(millisecond from timestamp '1970-01-01 00:00:00' to "
                                 "current_timestamp) from RDB$DATABASE"));
    query->open();
    return query->field(0).asInt64();
}

} // namespace

qint64 utcFromServerWallClock(qint64 serverWallClockMs, qint64 clientUtcMs) {
    // The server knows no time zone, only its local time. The zone offset is what
    // separates that from our UTC clock, rounded to the quarter hours zones come
    // in, so a client clock a few minutes off changes nothing.
    constexpr qint64 quarterHour = 15 * 60 * 1000;
    const qint64 difference = serverWallClockMs - clientUtcMs;
    const qint64 quarters =
        (difference + (difference >= 0 ? quarterHour / 2 : -quarterHour / 2)) / quarterHour;
    return serverWallClockMs - quarters * quarterHour;
}

void insertDataInLOGS(type_ParametersOfEvents perParametersOfEvents) {
    const qint64 writtenAt = utcFromServerWallClock(serverWallClockMs(), QDateTime::currentMSecsSinceEpoch());
    const QByteArray bytes = serializeChangeRecord(perParametersOfEvents) + timeTrailer(writtenAt);
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("insert into LOGS (PARAMETERS ) values (:perPARAMETERS)"));
    query->setParamBlob(QStringLiteral("perPARAMETERS"), bytes);
    executeAndCommit(*query);
}

int Last_ID_To_LOGS() {
    // The key's index is ascending, so max(ID) over the whole journal scans it all.
    // Rows are numbered by the generator, so the newest one is almost always in a
    // short index range below its value; a miss (rows given IDs of their own, many
    // failed inserts) falls back to the full scan.
    const qint64 lowerBound = generatorValue() - kNewestIdWindow;
    if (lowerBound > 0) {
        if (const int newest = maxIdAbove(lowerBound))
            return newest;
    }
    return maxIdOfAll();
}

type_ParametersOfEvents GetBLOBFromLogsTable(int perID) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select * from LOGS WHERE ID = :perID"));
    query->setParam(QStringLiteral("perID"), perID);
    query->open();
    query->last();
    if (query->eof())
        return {};
    return deserializeChangeRecord(query->fieldByName(QStringLiteral("PARAMETERS")).asBytes());
}

QVector<type_LogsEntry> ReadLogsAfter(int perID) {
    auto query = my_initialization_TIBQuery();
    query->setSql(QStringLiteral("select ID, PARAMETERS from LOGS where ID > :perID order by ID"));
    query->setParamInt(QStringLiteral("perID"), perID);
    query->open();
    QVector<type_LogsEntry> entries;
    for (; !query->eof(); query->next()) {
        type_LogsEntry entry;
        entry.ID = query->fieldByName(QStringLiteral("ID")).asInteger();
        try {
            entry.ParametersOfEvents =
                deserializeChangeRecord(query->fieldByName(QStringLiteral("PARAMETERS")).asBytes());
        } catch (const ChangeRecordError& error) {
            entry.ReadError = error.text();
        }
        entries.append(entry);
    }
    return entries;
}
