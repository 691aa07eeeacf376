#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "journal/TableLogs.h"
#include "support/SchemaDatabase.h"
#include "support/TestDatabase.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

using testsupport::AsAnotherClient;
using testsupport::execUnchecked;

void insertRawEntry(int id, const QByteArray& bytes) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("insert into LOGS (ID, PARAMETERS) values (:perID, :perPARAMETERS)"));
    query->setParamInt(QStringLiteral("perID"), id);
    query->setParamBlob(QStringLiteral("perPARAMETERS"), bytes);
    query->execSql();
    runDatabase().IBTransaction2.commit();
}

type_ParametersOfEvents deletion(int user, int object, const QString& path) {
    type_ParametersOfEvents r;
    r.UserID_ = user;
    r.Type_ = 4;
    r.ID_Parent_before = object;
    r.Path_before = path;
    return r;
}

// LOGS with its generator and triggers as the current schema has it.
using TableLogs = testsupport::SchemaDatabase;

} // namespace

TEST_F(TableLogs, InsertedRecordReadsBackUnderTheNewestId) {
    type_ParametersOfEvents r;
    r.UserID_ = 2;
    r.Type_ = 2;
    r.IndexSelectNode = -1;
    r.Path_before = QStringLiteral("\\Серверы\\Москва");
    r.Text_ = QStringLiteral("Москва");
    r.TEXT_TREETABLE_after = QStringLiteral("Москва «ЁЖ» №2");
    r.PASS_LOGIN_PASS_after = QStringLiteral("пароль");
    r.PORT_SERVERS_after = QStringLiteral("3389");

    insertDataInLOGS(r);
    const int id = Last_ID_To_LOGS();
    EXPECT_EQ(id, 1);
    EXPECT_EQ(GetBLOBFromLogsTable(id), r);
}

TEST_F(TableLogs, StoredBytesAreTheSerializedRecordThenTheTimeTrailer) {
    const type_ParametersOfEvents r = deletion(1, 7, QStringLiteral("\\A"));
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    insertDataInLOGS(r);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    auto query = my_initialization_TIBQuery();
    query->setSql(QStringLiteral("select PARAMETERS from LOGS"));
    query->open();
    ASSERT_FALSE(query->eof());
    const QByteArray stored = query->fieldByName(QStringLiteral("PARAMETERS")).asBytes();
    const QByteArray record = serializeChangeRecord(r);
    ASSERT_EQ(stored.size(), record.size() + kTimeTrailerSize);
    EXPECT_EQ(stored.left(record.size()), record);
    EXPECT_EQ(stored.mid(record.size(), 4), QByteArray("VBX1"));

    // The server's clock, here the same machine's: within a second of ours.
    const type_DecodedChangeRecord decoded = decodeChangeRecord(stored);
    EXPECT_EQ(decoded.record, r);
    ASSERT_TRUE(decoded.writtenAtMs.has_value());
    EXPECT_GE(*decoded.writtenAtMs, before - 1000);
    EXPECT_LE(*decoded.writtenAtMs, after + 1000);
}

TEST(ServerTimeZone, WallClockTurnsIntoUtcByTheRoundedOffset) {
    constexpr qint64 hour = 3600 * 1000;
    constexpr qint64 now = 1'765'000'000'000;
    EXPECT_EQ(utcFromServerWallClock(now, now), now);
    // Moscow server, client clock right or a few minutes off either way.
    EXPECT_EQ(utcFromServerWallClock(now + 3 * hour, now), now);
    EXPECT_EQ(utcFromServerWallClock(now + 3 * hour, now + 5 * 60 * 1000), now);
    EXPECT_EQ(utcFromServerWallClock(now + 3 * hour, now - 5 * 60 * 1000), now);
    // West of Greenwich and half-hour zones.
    EXPECT_EQ(utcFromServerWallClock(now - 5 * hour, now + 2000), now);
    EXPECT_EQ(utcFromServerWallClock(now + 5 * hour + hour / 2, now), now);
}

TEST_F(TableLogs, LastIdOnEmptyJournalIsZero) {
    EXPECT_EQ(Last_ID_To_LOGS(), 0);
}

TEST_F(TableLogs, GetBlobForIdZeroFindsNoRowAndGivesDefaultRecord) {
    insertDataInLOGS(deletion(1, 7, QStringLiteral("\\A")));
    EXPECT_EQ(GetBLOBFromLogsTable(0), type_ParametersOfEvents{});
}

TEST_F(TableLogs, GetBlobForMissingIdGivesDefaultRecord) {
    insertDataInLOGS(deletion(1, 7, QStringLiteral("\\A")));
    EXPECT_EQ(GetBLOBFromLogsTable(99), type_ParametersOfEvents{});
}

TEST_F(TableLogs, LastIdFollowsEachInsert) {
    for (int expected = 1; expected <= 3; ++expected) {
        insertDataInLOGS(deletion(1, expected, QStringLiteral("\\x")));
        EXPECT_EQ(Last_ID_To_LOGS(), expected);
    }
    EXPECT_EQ(GetBLOBFromLogsTable(2).ID_Parent_before, 2);
}

TEST_F(TableLogs, CallersRecordUnchangedAfterInsert) {
    type_ParametersOfEvents r = deletion(1, 7, QStringLiteral("\\Папка中"));
    const type_ParametersOfEvents before = r;
    insertDataInLOGS(r);
    EXPECT_EQ(r, before);
    // Only the stored copy lost the character the code page lacks.
    EXPECT_EQ(GetBLOBFromLogsTable(Last_ID_To_LOGS()).Path_before, QStringLiteral("\\Папка?"));
}

TEST_F(TableLogs, CorruptedEntryThrowsReadError) {
    insertRawEntry(5, QByteArray(70, '\0'));
    EXPECT_THROW(GetBLOBFromLogsTable(5), ChangeRecordError);
}

TEST_F(TableLogs, ReadLogsAfterGivesLaterEntriesInIdOrder) {
    for (int object = 1; object <= 4; ++object)
        insertDataInLOGS(deletion(1, object, QStringLiteral("\\o")));

    const QVector<type_LogsEntry> entries = ReadLogsAfter(2);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].ID, 3);
    EXPECT_EQ(entries[0].ParametersOfEvents.ID_Parent_before, 3);
    EXPECT_EQ(entries[1].ID, 4);
    EXPECT_TRUE(entries[1].isReadable());
    EXPECT_TRUE(ReadLogsAfter(4).isEmpty());
    EXPECT_EQ(ReadLogsAfter(0).size(), 4);
}

TEST_F(TableLogs, ReadLogsAfterSeesEntriesOfAnotherAttachment) {
    insertDataInLOGS(deletion(1, 10, QStringLiteral("\\mine")));
    auto other = testsupport::connectAnother(dbPath);
    {
        AsAnotherClient asOther(*other, db);
        insertDataInLOGS(deletion(2, 20, QStringLiteral("\\theirs")));
    }
    insertDataInLOGS(deletion(1, 30, QStringLiteral("\\mine again")));

    const QVector<type_LogsEntry> entries = ReadLogsAfter(0);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[1].ID, 2);
    EXPECT_EQ(entries[1].ParametersOfEvents.UserID_, 2);
    EXPECT_EQ(entries[1].ParametersOfEvents.Path_before, QStringLiteral("\\theirs"));
    EXPECT_EQ(entries[2].ParametersOfEvents.ID_Parent_before, 30);
    EXPECT_EQ(Last_ID_To_LOGS(), 3);
}

TEST_F(TableLogs, CorruptedEntryDoesNotStopReadLogsAfter) {
    insertDataInLOGS(deletion(1, 1, QStringLiteral("\\a")));
    insertRawEntry(2, QByteArray(10, '\x7f'));
    execUnchecked(QStringLiteral("set generator GEN_LOGS_ID to 2"));
    insertDataInLOGS(deletion(1, 3, QStringLiteral("\\c")));

    const QVector<type_LogsEntry> entries = ReadLogsAfter(0);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[0].isReadable());
    EXPECT_EQ(entries[1].ID, 2);
    EXPECT_FALSE(entries[1].isReadable());
    EXPECT_TRUE(entries[1].ReadError.startsWith(QStringLiteral("Stream read error")));
    EXPECT_EQ(entries[1].ParametersOfEvents, type_ParametersOfEvents{});
    EXPECT_EQ(entries[2].ID, 3);
    EXPECT_EQ(entries[2].ParametersOfEvents.ID_Parent_before, 3);
}

// The newest ID is looked for just below the generator's value; these cases fall outside that range.
TEST_F(TableLogs, LastIdFoundWhenGeneratorRanFarAheadOfTheRows) {
    insertDataInLOGS(deletion(1, 1, QStringLiteral("\\a")));
    insertDataInLOGS(deletion(1, 2, QStringLiteral("\\b")));
    execUnchecked(QStringLiteral("set generator GEN_LOGS_ID to 50000"));
    EXPECT_EQ(Last_ID_To_LOGS(), 2);
    insertDataInLOGS(deletion(1, 3, QStringLiteral("\\c")));
    EXPECT_EQ(Last_ID_To_LOGS(), 50001);
}

TEST_F(TableLogs, LastIdFoundAboveTheGenerator) {
    execUnchecked(QStringLiteral("set generator GEN_LOGS_ID to 5000"));
    insertDataInLOGS(deletion(1, 1, QStringLiteral("\\a")));
    insertRawEntry(900000, serializeChangeRecord(deletion(1, 2, QStringLiteral("\\b"))));
    EXPECT_EQ(Last_ID_To_LOGS(), 900000);
}

TEST_F(TableLogs, LastIdSeesCommitsOfAnotherAttachment) {
    insertDataInLOGS(deletion(1, 1, QStringLiteral("\\a")));
    EXPECT_EQ(Last_ID_To_LOGS(), 1);
    auto other = testsupport::connectAnother(dbPath);
    {
        AsAnotherClient asOther(*other, db);
        insertDataInLOGS(deletion(2, 2, QStringLiteral("\\b")));
    }
    EXPECT_EQ(Last_ID_To_LOGS(), 2);
    EXPECT_EQ(GetBLOBFromLogsTable(2).UserID_, 2);
}
