#pragma once

#include "journal/ChangeRecord.h"

#include <QString>
#include <QVector>

// The change record that the selected object's save, move or deletion journals.
extern type_ParametersOfEvents gperParametersOfEventsUPDATE;

// One row of LOGS. An entry that cannot be read keeps its ID and the reason in
// ReadError, with a default record.
struct type_LogsEntry {
    int ID = 0;
    type_ParametersOfEvents ParametersOfEvents;
    QString ReadError;
    // The server's time of the write, for entries that carry one.
    std::optional<qint64> writtenAtMs;

    bool isReadable() const { return ReadError.isEmpty(); }
};

// The server's local wall-clock time turned into UTC by the zone offset between
// it and this computer's clock, rounded to quarter hours.
qint64 utcFromServerWallClock(qint64 serverWallClockMs, qint64 clientUtcMs);

// Journals one change, stamped with the server's time of the write, and commits it, which posts
// InsertDataToLogsBase to every client.
void insertDataInLOGS(type_ParametersOfEvents perParametersOfEvents);
// The newest journal entry's ID, 0 when the journal is empty.
int Last_ID_To_LOGS();
// The entry with this ID; a default record (Type_ 0, which receivers ignore) when
// there is none. Throws ChangeRecordError when the entry is corrupted.
type_ParametersOfEvents GetBLOBFromLogsTable(int perID);
// Every entry with an ID above perID, oldest first. A corrupted entry does not stop
// the others: it comes back with its ReadError set.
QVector<type_LogsEntry> ReadLogsAfter(int perID);

struct RunDatabase;

// The same statements on a given attachment, for code that serves one of several
// clients. Reads run in its read transaction; the insert runs in a transaction of
// its own, so open result sets of IBTransaction2 stay open.

// Journals one change, stamped with the server's time of the write, and commits
// it; returns the new entry's ID.
int insertDataInLOGS(RunDatabase& db, const type_ParametersOfEvents& perParametersOfEvents);
int Last_ID_To_LOGS(RunDatabase& db);
// At most perLimit entries with an ID above perID, oldest first, read by key range.
QVector<type_LogsEntry> ReadLogsAfter(RunDatabase& db, int perID, int perLimit);
// The entries among these IDs that exist, oldest first.
QVector<type_LogsEntry> ReadLogsWithIds(RunDatabase& db, const QVector<int>& ids);
// The entries with perFromID <= ID <= perToID, oldest first, read by key range;
// with perUserID or perType not 0 only those of that author or kind (and any too
// short to tell), compared on the server.
QVector<type_LogsEntry> ReadLogsBetween(RunDatabase& db, int perFromID, int perToID, int perUserID = 0,
                                        int perType = 0);
// The oldest entry's ID, 0 when the journal is empty.
int First_ID_To_LOGS(RunDatabase& db);
// How many entries lie above perID, counting no further than perCap.
int CountLogsAfter(RunDatabase& db, int perID, int perCap);
