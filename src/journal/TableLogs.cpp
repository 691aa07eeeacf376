#include "journal/TableLogs.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "fb/Transaction.h"

#include <QDateTime>
#include <QStringList>
#include <QtEndian>
#include <algorithm>

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

namespace {

// The entry's bytes, stamped with the server's clock read in the transaction that
// will insert it, so the time is the insert's own.
QByteArray stampedEntry(fb::Database& db, fb::Transaction& transaction,
                        const type_ParametersOfEvents& record) {
    fb::Query query(db, transaction);
    query.setSql(QStringLiteral("select datediff(millisecond from timestamp '1970-01-01 00:00:00' to "
                                "current_timestamp) from RDB$DATABASE"));
    query.open();
    const qint64 writtenAt =
        utcFromServerWallClock(query.field(0).asInt64(), QDateTime::currentMSecsSinceEpoch());
    return serializeChangeRecord(record) + timeTrailer(writtenAt);
}

} // namespace

void insertDataInLOGS(type_ParametersOfEvents perParametersOfEvents) {
    RunDatabase& db = runDatabase();
    const QByteArray bytes = stampedEntry(db.IBDatabase1, db.IBTransaction2, perParametersOfEvents);
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

namespace {

// Entries up to this size come inside the row, which saves the three round trips
// of reading a BLOB; longer ones are read as the BLOB they are.
const QString kEntryColumns = QStringLiteral(
    "ID, PARAMETERS, case when octet_length(PARAMETERS) <= 8000 then cast(PARAMETERS as varchar(8000) "
    "character set octets) end as INLINE_PARAMETERS");

type_LogsEntry entryOfRow(const fb::Query& query) {
    type_LogsEntry entry;
    entry.ID = query.fieldByName(QStringLiteral("ID")).asInteger();
    try {
        const fb::Field inlined = query.fieldByName(QStringLiteral("INLINE_PARAMETERS"));
        const QByteArray bytes =
            inlined.isNull() ? query.fieldByName(QStringLiteral("PARAMETERS")).asBytes() : inlined.asBytes();
        type_DecodedChangeRecord decoded = decodeChangeRecord(bytes);
        entry.ParametersOfEvents = std::move(decoded.record);
        entry.writtenAtMs = decoded.writtenAtMs;
    } catch (const ChangeRecordError& error) {
        entry.ReadError = error.text();
    }
    return entry;
}

QVector<type_LogsEntry> entriesOf(fb::Query& query) {
    QVector<type_LogsEntry> entries;
    for (; !query.eof(); query.next())
        entries.append(entryOfRow(query));
    return entries;
}

int singleInteger(RunDatabase& db, const QString& sql, qint64 parameter = 0) {
    fb::Query query(db.IBDatabase1, db.IBTransaction1);
    query.setSql(sql);
    if (!query.paramNames().isEmpty())
        query.setParamInt(QStringLiteral("perID"), parameter);
    query.open();
    return query.field(0).asInteger();
}

// An IN list small enough for one statement.
constexpr int kIdsPerStatement = 500;

QString idList(const QVector<int>& ids, qsizetype from, qsizetype count) {
    QStringList parts;
    for (qsizetype i = from; i < from + count; ++i)
        parts << QString::number(ids[i]);
    return parts.join(QLatin1Char(','));
}

} // namespace

int insertDataInLOGS(RunDatabase& db, const type_ParametersOfEvents& perParametersOfEvents) {
    fb::Transaction transaction(db.IBDatabase1);
    fb::Query query(db.IBDatabase1, transaction);
    query.setSql(QStringLiteral("insert into LOGS (PARAMETERS ) values (:perPARAMETERS) returning ID"));
    query.setParamBlob(QStringLiteral("perPARAMETERS"),
                       stampedEntry(db.IBDatabase1, transaction, perParametersOfEvents));
    query.execSql();
    const int id = query.fieldByName(QStringLiteral("ID")).asInteger();
    transaction.commit();
    return id;
}

int Last_ID_To_LOGS(RunDatabase& db) {
    const qint64 lowerBound =
        singleInteger(db, QStringLiteral("select gen_id(GEN_LOGS_ID, 0) from RDB$DATABASE")) -
        kNewestIdWindow;
    if (lowerBound > 0) {
        if (const int newest =
                singleInteger(db, QStringLiteral("select max(ID) from LOGS where ID > :perID"), lowerBound))
            return newest;
    }
    return singleInteger(db, QStringLiteral("select max(ID) from LOGS"));
}

QVector<type_LogsEntry> ReadLogsAfter(RunDatabase& db, int perID, int perLimit) {
    fb::Query query(db.IBDatabase1, db.IBTransaction1);
    query.setSql(QStringLiteral("select first :perLIMIT %1 from LOGS where ID > :perID order by ID")
                     .arg(kEntryColumns));
    query.setParamInt(QStringLiteral("perLIMIT"), perLimit);
    query.setParamInt(QStringLiteral("perID"), perID);
    query.open();
    return entriesOf(query);
}

QVector<type_LogsEntry> ReadLogsWithIds(RunDatabase& db, const QVector<int>& ids) {
    QVector<type_LogsEntry> entries;
    for (qsizetype from = 0; from < ids.size(); from += kIdsPerStatement) {
        const qsizetype count = qMin<qsizetype>(kIdsPerStatement, ids.size() - from);
        fb::Query query(db.IBDatabase1, db.IBTransaction1);
        // The list holds only decimal numbers.
        query.setSql(QStringLiteral("select %1 from LOGS where ID in (%2) order by ID")
                         .arg(kEntryColumns, idList(ids, from, count)));
        query.open();
        entries += entriesOf(query);
    }
    std::sort(entries.begin(), entries.end(),
              [](const type_LogsEntry& a, const type_LogsEntry& b) { return a.ID < b.ID; });
    return entries;
}

namespace {

// The entry's integer field `index` (from 0) as the bytes it is stored as, a
// literal of digits only.
QString storedIntegerIs(int index, int value) {
    char bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    return QStringLiteral("substring(PARAMETERS from %1 for 4) = x'%2'")
        .arg(index * 4 + 1)
        .arg(QString::fromLatin1(QByteArray(bytes, 4).toHex()));
}

} // namespace

QVector<type_LogsEntry> ReadLogsBetween(RunDatabase& db, int perFromID, int perToID, int perUserID,
                                        int perType) {
    // The server compares the leading integers, so only the entries asked for
    // travel; one too short to hold them comes too, to be shown as corrupt.
    QStringList conditions;
    if (perUserID != 0)
        conditions << storedIntegerIs(0, perUserID);
    if (perType != 0)
        conditions << storedIntegerIs(1, perType);
    const QString filter =
        conditions.isEmpty()
            ? QString()
            : QStringLiteral(" and (octet_length(PARAMETERS) < %1 or (%2))")
                  .arg(kChangeRecordIntegersSize)
                  .arg(conditions.join(QStringLiteral(" and ")));
    fb::Query query(db.IBDatabase1, db.IBTransaction1);
    query.setSql(QStringLiteral("select %1 from LOGS where ID >= :perFROM and ID <= :perTO%2 order by ID")
                     .arg(kEntryColumns, filter));
    query.setParamInt(QStringLiteral("perFROM"), perFromID);
    query.setParamInt(QStringLiteral("perTO"), perToID);
    query.open();
    return entriesOf(query);
}

int First_ID_To_LOGS(RunDatabase& db) {
    // The key's ascending index gives the lowest ID at its first entry.
    return singleInteger(db, QStringLiteral("select min(ID) from LOGS"));
}

int CountLogsAfter(RunDatabase& db, int perID, int perCap) {
    fb::Query query(db.IBDatabase1, db.IBTransaction1);
    query.setSql(QStringLiteral(
        "select count(*) from (select first :perCAP ID from LOGS where ID > :perID order by ID)"));
    query.setParamInt(QStringLiteral("perCAP"), perCap);
    query.setParamInt(QStringLiteral("perID"), perID);
    query.open();
    return query.field(0).asInteger();
}
