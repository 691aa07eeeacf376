#include "app/RunDatabase.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "fb/Transaction.h"
#include "journal/JournalCatchUp.h"
#include "journal/TableLogs.h"
#include "support/SchemaDatabase.h"

#include <gtest/gtest.h>

namespace {

type_ParametersOfEvents numbered(int n) {
    type_ParametersOfEvents r;
    r.UserID_ = 1;
    r.Type_ = 4;
    r.ID_Parent_before = n;
    return r;
}

// Journals count entries in one transaction, as a busy server would have them.
void journalMany(RunDatabase& db, int count, int first = 1) {
    fb::Transaction transaction(db.IBDatabase1);
    fb::Query q(db.IBDatabase1, transaction);
    q.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perPARAMETERS)"));
    for (int i = 0; i < count; ++i) {
        q.setParamBlob(QStringLiteral("perPARAMETERS"), serializeChangeRecord(numbered(first + i)));
        q.execSql();
    }
    transaction.commit();
}

void insertRaw(RunDatabase& db, int id, const QByteArray& bytes) {
    fb::Transaction transaction(db.IBDatabase1);
    fb::Query q(db.IBDatabase1, transaction);
    q.setSql(QStringLiteral("insert into LOGS (ID, PARAMETERS) values (:perID, :perPARAMETERS)"));
    q.setParamInt(QStringLiteral("perID"), id);
    q.setParamBlob(QStringLiteral("perPARAMETERS"), bytes);
    q.execSql();
    transaction.commit();
}

class JournalCatchUpTest : public testsupport::SchemaDatabase {
protected:
    JournalCatchUp catchUp{[this] { return now; }};
    qint64 now = 1000;
    QVector<int> appliedIds;
    QVector<bool> firstSights;

    JournalCatchUp::Apply recorder(bool settled = true) {
        return [this, settled](const type_LogsEntry& entry, bool firstSight) {
            appliedIds << entry.ID;
            firstSights << firstSight;
            return settled;
        };
    }
};

} // namespace

TEST_F(JournalCatchUpTest, AppliesEverythingAboveTheMarkOldestFirstAcrossPages) {
    journalMany(db, 3);
    catchUp.markJournalEnd(db);
    EXPECT_EQ(catchUp.mark(), 3);

    journalMany(db, JournalCatchUp::kPageSize * 2 + 17, 100);
    const auto result = catchUp.run(db, recorder());
    EXPECT_EQ(result.outcome, JournalCatchUp::Outcome::CaughtUp);
    ASSERT_EQ(appliedIds.size(), JournalCatchUp::kPageSize * 2 + 17);
    for (int i = 0; i < appliedIds.size(); ++i)
        ASSERT_EQ(appliedIds[i], 4 + i);
    EXPECT_EQ(result.applied, appliedIds.size());
    EXPECT_EQ(catchUp.mark(), appliedIds.last());
    EXPECT_TRUE(catchUp.revisits().isEmpty());

    appliedIds.clear();
    catchUp.run(db, recorder());
    EXPECT_TRUE(appliedIds.isEmpty()) << "nothing is applied twice";
}

TEST_F(JournalCatchUpTest, LowerIdentityCommittedAfterAHigherOneStillArrives) {
    catchUp.markJournalEnd(db);
    auto other = testsupport::connectAnother(dbPath);
    fb::Transaction slow(other->IBDatabase1);
    fb::Query q(other->IBDatabase1, slow);
    q.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perPARAMETERS) returning ID"));
    q.setParamBlob(QStringLiteral("perPARAMETERS"), serializeChangeRecord(numbered(1)));
    q.execSql();
    const int lower = q.fieldByName(QStringLiteral("ID")).asInteger();

    const int higher = insertDataInLOGS(db, numbered(2));
    ASSERT_GT(higher, lower);
    catchUp.run(db, recorder());
    EXPECT_EQ(appliedIds, QVector<int>{higher});
    EXPECT_EQ(catchUp.revisits(), QVector<int>{lower});

    now += 5000;
    slow.commit();
    catchUp.run(db, recorder());
    EXPECT_EQ(appliedIds, (QVector<int>{higher, lower}));
    EXPECT_EQ(firstSights, (QVector<bool>{true, true}));
    EXPECT_TRUE(catchUp.revisits().isEmpty());
}

TEST_F(JournalCatchUpTest, HolesAreDroppedAfterAMinute) {
    catchUp.markJournalEnd(db);
    insertRaw(db, 5, serializeChangeRecord(numbered(5)));
    catchUp.run(db, recorder());
    EXPECT_EQ(catchUp.revisits(), (QVector<int>{1, 2, 3, 4}));

    now += 30000;
    insertRaw(db, 3, serializeChangeRecord(numbered(3)));
    catchUp.run(db, recorder());
    EXPECT_EQ(appliedIds, (QVector<int>{5, 3}));
    EXPECT_EQ(catchUp.revisits(), (QVector<int>{1, 2, 4}));

    now += JournalCatchUp::kRevisitMs - 30000 + 1;
    catchUp.run(db, recorder());
    EXPECT_TRUE(catchUp.revisits().isEmpty());
    insertRaw(db, 2, serializeChangeRecord(numbered(2)));
    catchUp.run(db, recorder());
    EXPECT_EQ(appliedIds, (QVector<int>{5, 3})) << "a hole older than a minute is given up";
}

TEST_F(JournalCatchUpTest, UnsettledEntryIsLookedAtAgainUntilSettledOrTooOld) {
    catchUp.markJournalEnd(db);
    const int id = insertDataInLOGS(db, numbered(1));
    catchUp.run(db, recorder(false));
    EXPECT_EQ(catchUp.revisits(), QVector<int>{id});
    catchUp.run(db, recorder(false));
    EXPECT_EQ(appliedIds, (QVector<int>{id, id}));
    EXPECT_EQ(firstSights, (QVector<bool>{true, false}));

    catchUp.run(db, recorder(true));
    EXPECT_TRUE(catchUp.revisits().isEmpty());

    const int late = insertDataInLOGS(db, numbered(2));
    catchUp.run(db, recorder(false));
    now += JournalCatchUp::kRevisitMs + 1;
    appliedIds.clear();
    catchUp.run(db, recorder(false));
    EXPECT_TRUE(appliedIds.isEmpty());
    EXPECT_TRUE(catchUp.revisits().isEmpty()) << late;
}

TEST_F(JournalCatchUpTest, BacklogOverTheLimitAsksForARebuild) {
    catchUp.markJournalEnd(db);
    journalMany(db, JournalCatchUp::kBacklogLimit);
    auto result = catchUp.run(db, recorder());
    EXPECT_EQ(result.outcome, JournalCatchUp::Outcome::CaughtUp);
    EXPECT_EQ(appliedIds.size(), JournalCatchUp::kBacklogLimit);

    appliedIds.clear();
    journalMany(db, JournalCatchUp::kBacklogLimit + 1);
    result = catchUp.run(db, recorder());
    EXPECT_EQ(result.outcome, JournalCatchUp::Outcome::Rebuild);
    EXPECT_TRUE(appliedIds.isEmpty());
    EXPECT_EQ(catchUp.mark(), Last_ID_To_LOGS(db));
    EXPECT_EQ(result.trace.size(), 1);
}

TEST_F(JournalCatchUpTest, JournalBelowTheMarkAsksForARebuildAndResetsTheMark) {
    journalMany(db, 3);
    catchUp.setMark(500); // a restored, older database
    const auto result = catchUp.run(db, recorder());
    EXPECT_EQ(result.outcome, JournalCatchUp::Outcome::Rebuild);
    EXPECT_EQ(catchUp.mark(), 3);
    EXPECT_TRUE(appliedIds.isEmpty());

    insertDataInLOGS(db, numbered(4));
    EXPECT_EQ(catchUp.run(db, recorder()).outcome, JournalCatchUp::Outcome::CaughtUp);
    EXPECT_EQ(appliedIds, QVector<int>{4});
}

TEST_F(JournalCatchUpTest, CorruptEntryBetweenTwoGoodOnesTracesItAndAsksForARebuild) {
    catchUp.markJournalEnd(db);
    const int first = insertDataInLOGS(db, numbered(1));
    const int broken = insertDataInLOGS(db, numbered(2));
    testsupport::execWrite(QStringLiteral("update LOGS set PARAMETERS = 'short' where ID = %1").arg(broken));
    const int third = insertDataInLOGS(db, numbered(3));

    const auto result = catchUp.run(db, recorder());
    EXPECT_EQ(appliedIds, (QVector<int>{first, third}));
    EXPECT_EQ(catchUp.mark(), third);
    EXPECT_EQ(result.outcome, JournalCatchUp::Outcome::Rebuild);
    ASSERT_EQ(result.trace.size(), 1);
    EXPECT_TRUE(result.trace[0].contains(QString::number(broken))) << result.trace[0].toStdString();
    EXPECT_TRUE(catchUp.revisits().isEmpty());
}

TEST_F(JournalCatchUpTest, FailingApplyKeepsTheMarkBeforeThatEntry) {
    catchUp.markJournalEnd(db);
    const int first = insertDataInLOGS(db, numbered(1));
    const int second = insertDataInLOGS(db, numbered(2));
    int calls = 0;
    EXPECT_THROW(catchUp.run(db,
                             [&](const type_LogsEntry& entry, bool) {
                                 if (++calls == 2)
                                     throw fb::Error(QStringLiteral("connection lost"));
                                 return entry.ID > 0;
                             }),
                 fb::Error);
    EXPECT_EQ(catchUp.mark(), first);
    catchUp.run(db, recorder());
    EXPECT_EQ(appliedIds, QVector<int>{second});
}

TEST_F(JournalCatchUpTest, GivenAttachmentStatements) {
    auto cursor = testsupport::readRows(QStringLiteral("select * from USER_DB"));
    fb::Query writeCursor(db.IBDatabase1, db.IBTransaction2);
    writeCursor.setSql(QStringLiteral("select * from USER_DB"));
    writeCursor.open();

    const int id = insertDataInLOGS(db, numbered(9));
    EXPECT_EQ(id, 1);
    EXPECT_EQ(insertDataInLOGS(db, numbered(10)), 2);
    EXPECT_TRUE(writeCursor.isOpen()) << "the journal insert has a transaction of its own";
    EXPECT_FALSE(writeCursor.eof());

    EXPECT_EQ(Last_ID_To_LOGS(db), 2);
    EXPECT_EQ(ReadLogsAfter(db, 0, 1).size(), 1);
    EXPECT_EQ(ReadLogsAfter(db, 1, 10).front().ParametersOfEvents, numbered(10));
    EXPECT_EQ(CountLogsAfter(db, 0, 1), 1);
    EXPECT_EQ(CountLogsAfter(db, 0, 5), 2);
    // Long entries do not fit in the row and are read as the BLOB they are.
    type_ParametersOfEvents big = numbered(11);
    big.Path_before = QString(5000, QChar(0x0416));
    const int bigId = insertDataInLOGS(db, big);
    ASSERT_GT(serializeChangeRecord(big).size(), 8000);
    const auto read = ReadLogsAfter(db, bigId - 1, 5);
    ASSERT_EQ(read.size(), 1);
    EXPECT_TRUE(read[0].isReadable());
    EXPECT_EQ(read[0].ParametersOfEvents, big);

    const auto byId = ReadLogsWithIds(db, {2, 7, 1});
    ASSERT_EQ(byId.size(), 2);
    EXPECT_EQ(byId[0].ID, 1);
    EXPECT_EQ(byId[1].ID, 2);
}
