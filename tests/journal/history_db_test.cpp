#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "fb/Transaction.h"
#include "journal/ChangeRecord.h"
#include "journal/History.h"
#include "journal/JournalRecords.h"
#include "journal/TableLogs.h"
#include "support/JournalRows.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

using objectrows::addUser;
using testsupport::insertMany;
using testsupport::insertRawBytes;

// An entry as an older copy writes it: the bare record, no time after it.
int insertOlderCopyEntry(const type_ParametersOfEvents& r) {
    return insertRawBytes(serializeChangeRecord(r));
}

type_ParametersOfEvents update(int user, int objectId, const QString& path) {
    return testsupport::portUpdate(user, objectId, path, QStringLiteral("2222"));
}

QVector<int> idsOf(const QVector<HistoryRow>& rows) {
    QVector<int> ids;
    for (const HistoryRow& row : rows)
        ids << row.id;
    return ids;
}

QVector<HistoryRow> readAll(HistoryReader& reader) {
    QVector<HistoryRow> rows;
    while (!reader.atStart())
        rows += reader.olderPage(50);
    return rows;
}

class History : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ivanov = addUser(QStringLiteral("Иванов"));
        petrov = addUser(QStringLiteral("Петров"));
    }
    int ivanov = 0;
    int petrov = 0;
};

} // namespace

TEST_F(History, PagesComeNewestFirstWithoutGapsOrRepeatsAndStopAtTheStart) {
    insertMany(450, [&](int i) {
        return deletionRecord(ivanov, i, QStringLiteral("x"), QStringLiteral("\\x%1").arg(i));
    });

    HistoryReader reader(db, {});
    const QVector<HistoryRow> first = reader.olderPage(100);
    ASSERT_GE(first.size(), 100);
    EXPECT_EQ(first.front().id, 450);
    // The first page looks at the newest identities only, not at the whole journal.
    EXPECT_LE(reader.scanned(), HistoryReader::kWindow);
    EXPECT_FALSE(reader.atStart());

    QVector<HistoryRow> all = first + readAll(reader);
    ASSERT_EQ(all.size(), 450);
    for (int i = 0; i < all.size(); ++i)
        ASSERT_EQ(all[i].id, 450 - i);
    EXPECT_TRUE(reader.olderPage(100).isEmpty());
}

TEST_F(History, SkippedIdentitiesWidenTheRangeButLoseNothing) {
    // Identities far apart, as after many failed inserts or a restored journal.
    for (int i = 0; i < 30; ++i) {
        testsupport::execUnchecked(QStringLiteral("SET GENERATOR GEN_LOGS_ID TO %1").arg(i * 5000));
        insertDataInLOGS(db, deletionRecord(ivanov, i, QStringLiteral("x"), QStringLiteral("\\x")));
    }
    HistoryReader reader(db, {});
    const QVector<HistoryRow> rows = readAll(reader);
    ASSERT_EQ(rows.size(), 30);
    EXPECT_EQ(rows.front().id, 29 * 5000 + 1);
    EXPECT_EQ(rows.back().id, 1);
}

TEST_F(History, EmptyJournalHasNoRowsAndIsAtItsStart) {
    HistoryReader reader(db, {});
    EXPECT_TRUE(reader.olderPage(100).isEmpty());
    EXPECT_TRUE(reader.atStart());
    EXPECT_TRUE(reader.newerRows().isEmpty());
    insertDataInLOGS(db, deletionRecord(ivanov, 1, QStringLiteral("a"), QStringLiteral("\\a")));
    EXPECT_EQ(idsOf(reader.newerRows()), QVector<int>{1});
}

TEST_F(History, RowsCarryTimeAuthorActionPathAndTheAlertLines) {
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const int created = insertDataInLOGS(
        db, creationRecord(petrov, 10, 1, QStringLiteral("Сервер"), QStringLiteral("\\Офис\\Сервер")));
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    type_ParametersOfEvents older = update(ivanov, 0, QStringLiteral("\\Офис\\Сервер"));
    const int olderId = insertOlderCopyEntry(older);
    type_ParametersOfEvents gone = update(999, 10, QStringLiteral("\\Офис\\Сервер"));
    const int goneId = insertDataInLOGS(db, gone);

    HistoryReader reader(db, {});
    const QVector<HistoryRow> rows = reader.olderPage(10);
    ASSERT_EQ(idsOf(rows), (QVector<int>{goneId, olderId, created}));

    const HistoryRow& c = rows[2];
    ASSERT_TRUE(c.writtenAtMs.has_value());
    EXPECT_GE(*c.writtenAtMs, before - 1000);
    EXPECT_LE(*c.writtenAtMs, after + 1000);
    EXPECT_EQ(c.author, QStringLiteral("Петров")); // trimmed of the column's padding
    EXPECT_EQ(c.action, QStringLiteral("Создание"));
    EXPECT_EQ(c.object, QStringLiteral("\\Офис\\Сервер"));
    EXPECT_EQ(c.changes, QStringLiteral("Добавил новый объект: \\Офис\\Сервер"));
    EXPECT_EQ(c.objectId, 10);

    EXPECT_FALSE(rows[1].writtenAtMs.has_value()); // an older copy's entry
    EXPECT_EQ(rows[1].timeText(), QStringLiteral("—"));
    EXPECT_EQ(rows[1].action, QStringLiteral("Изменение"));
    EXPECT_EQ(rows[1].changes,
              QStringLiteral("Изменил порт подключения с \"22\" на \"2222\" \\Офис\\Сервер"));
    EXPECT_EQ(rows[0].author, QStringLiteral("—")); // the user no longer exists
}

TEST_F(History, CorruptEntryIsOneRowAndTheListingGoesOn) {
    const int a = insertDataInLOGS(db, deletionRecord(ivanov, 1, QStringLiteral("a"), QStringLiteral("\\a")));
    const int broken = insertRawBytes(QByteArray(30, '\x7f'));
    const int empty = insertRawBytes(QByteArray());
    const int b = insertDataInLOGS(db, deletionRecord(ivanov, 2, QStringLiteral("b"), QStringLiteral("\\b")));

    HistoryReader reader(db, {});
    const QVector<HistoryRow> rows = readAll(reader);
    ASSERT_EQ(idsOf(rows), (QVector<int>{b, empty, broken, a}));
    EXPECT_TRUE(rows[1].corrupt);
    EXPECT_TRUE(rows[2].corrupt);
    EXPECT_EQ(rows[2].action, QStringLiteral("повреждённая запись"));
    EXPECT_EQ(rows[2].cells().value(0), QString::number(broken));
    EXPECT_FALSE(rows[0].corrupt);

    // The author compared on the server still lets through what is too short to name one.
    HistoryFilter filter;
    filter.authorId = petrov;
    HistoryReader byAuthor(db, filter);
    EXPECT_EQ(idsOf(readAll(byAuthor)), (QVector<int>{empty, broken}));
}

TEST_F(History, ObjectIsFoundInAllFourKindsAndInOlderCopiesUpdatesByItsPaths) {
    // Object 10 was created in \Старое, updated there by an older copy, moved to
    // \Офис, updated by us and by an older copy, and deleted. Object 11 and
    // another path are noise.
    QVector<int> expected;
    expected << insertDataInLOGS(
        db, creationRecord(ivanov, 10, 5, QStringLiteral("Сервер"), QStringLiteral("\\Старое\\Сервер")));
    insertDataInLOGS(db,
                     creationRecord(ivanov, 11, 5, QStringLiteral("Шлюз"), QStringLiteral("\\Старое\\Шлюз")));
    expected << insertOlderCopyEntry(update(petrov, 0, QStringLiteral("\\Старое\\Сервер")));
    insertOlderCopyEntry(update(petrov, 0, QStringLiteral("\\Старое\\Шлюз")));
    expected << insertDataInLOGS(db,
                                 moveRecord(petrov, 10, 6, QStringLiteral("Сервер"),
                                            QStringLiteral("\\Старое\\Сервер"), QStringLiteral("\\Офис")));
    insertDataInLOGS(db, moveRecord(petrov, 11, 6, QStringLiteral("Шлюз"), QStringLiteral("\\Старое\\Шлюз"),
                                    QStringLiteral("\\Офис")));
    expected << insertDataInLOGS(db, update(ivanov, 10, QStringLiteral("\\Офис\\Сервер")));
    expected << insertOlderCopyEntry(update(petrov, 0, QStringLiteral("\\Офис\\Сервер")));
    insertDataInLOGS(db, update(ivanov, 11, QStringLiteral("\\Офис\\Сервер"))); // same path, other identity
    expected << insertDataInLOGS(
        db, deletionRecord(ivanov, 10, QStringLiteral("Сервер"), QStringLiteral("\\Офис\\Сервер")));
    std::reverse(expected.begin(), expected.end());

    HistoryFilter filter;
    filter.objectId = 10;
    filter.objectPath = QStringLiteral("\\Офис\\Сервер");
    HistoryReader reader(db, filter);
    const QVector<HistoryRow> rows = readAll(reader);
    EXPECT_EQ(idsOf(rows), expected);
    QStringList actions;
    for (const HistoryRow& row : rows)
        actions << row.action;
    EXPECT_EQ(actions, (QStringList{QStringLiteral("Удаление"), QStringLiteral("Изменение"),
                                    QStringLiteral("Изменение"), QStringLiteral("Перемещение"),
                                    QStringLiteral("Изменение"), QStringLiteral("Создание")}));
}

TEST_F(History, FiltersCombine) {
    const int a = insertDataInLOGS(db, update(ivanov, 10, QStringLiteral("\\Офис\\dc01")));
    insertDataInLOGS(db, update(petrov, 10, QStringLiteral("\\Офис\\dc01")));
    insertDataInLOGS(db, deletionRecord(ivanov, 10, QStringLiteral("dc01"), QStringLiteral("\\Офис\\dc01")));
    insertDataInLOGS(db, update(ivanov, 11, QStringLiteral("\\Офис\\gw")));
    const int e = insertDataInLOGS(db, update(ivanov, 12, QStringLiteral("\\Склад\\DC01-копия")));

    HistoryFilter filter;
    filter.authorId = ivanov;
    filter.kind = 2;
    filter.text = QStringLiteral("dc01");
    HistoryReader byAll(db, filter);
    EXPECT_EQ(idsOf(readAll(byAll)), (QVector<int>{e, a})); // case ignored

    filter.text = QStringLiteral("2222"); // found in the changes, not only the path
    HistoryReader byChanges(db, filter);
    EXPECT_EQ(readAll(byChanges).size(), 3);

    filter.objectId = 10;
    filter.objectPath = QStringLiteral("\\Офис\\dc01");
    HistoryReader withObject(db, filter);
    EXPECT_EQ(idsOf(readAll(withObject)), QVector<int>{a});
}

TEST_F(History, AFilterThatFewEntriesPassStopsAtItsScanLimit) {
    insertMany(300,
               [&](int i) { return deletionRecord(ivanov, i, QStringLiteral("x"), QStringLiteral("\\x")); });
    HistoryFilter filter;
    filter.authorId = petrov;
    HistoryReader reader(db, filter);
    EXPECT_TRUE(reader.olderPage(100, 120).isEmpty());
    EXPECT_LT(reader.scanned(), 300);
    EXPECT_FALSE(reader.atStart());
    EXPECT_TRUE(readAll(reader).isEmpty());
    EXPECT_EQ(reader.scanned(), 300);
}

TEST_F(History, NewerRowsComeNewestFirstAndLateCommitsAreNotLost) {
    const int first =
        insertDataInLOGS(db, deletionRecord(ivanov, 1, QStringLiteral("a"), QStringLiteral("\\a")));
    HistoryFilter filter;
    filter.authorId = ivanov;
    HistoryReader reader(db, filter);
    ASSERT_EQ(idsOf(reader.olderPage(100)), QVector<int>{first});

    // Another copy draws the next identity but commits only after a higher one.
    auto other = testsupport::connectAnother(dbPath);
    fb::Transaction slow(other->IBDatabase1);
    fb::Query late(other->IBDatabase1, slow);
    late.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perP) returning ID"));
    late.setParamBlob(QStringLiteral("perP"), serializeChangeRecord(deletionRecord(
                                                  ivanov, 2, QStringLiteral("b"), QStringLiteral("\\b"))));
    late.execSql();
    const int lateId = late.field(0).asInteger();

    const int mine =
        insertDataInLOGS(db, deletionRecord(ivanov, 3, QStringLiteral("c"), QStringLiteral("\\c")));
    insertDataInLOGS(db, deletionRecord(petrov, 4, QStringLiteral("d"), QStringLiteral("\\d")));
    const int last =
        insertDataInLOGS(db, deletionRecord(ivanov, 5, QStringLiteral("e"), QStringLiteral("\\e")));
    EXPECT_EQ(idsOf(reader.newerRows()), (QVector<int>{last, mine})); // the filter holds
    EXPECT_TRUE(reader.newerRows().isEmpty());

    slow.commit();
    EXPECT_EQ(idsOf(reader.newerRows()), QVector<int>{lateId});
    EXPECT_TRUE(reader.newerRows().isEmpty());
}

TEST_F(History, HolesAreGivenUpAfterAMinute) {
    qint64 now = 0;
    insertDataInLOGS(db, deletionRecord(ivanov, 1, QStringLiteral("a"), QStringLiteral("\\a")));
    HistoryReader reader(db, {}, [&] { return now; });
    reader.olderPage(10);
    auto other = testsupport::connectAnother(dbPath);
    fb::Transaction slow(other->IBDatabase1);
    fb::Query late(other->IBDatabase1, slow);
    late.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perP)"));
    late.setParamBlob(QStringLiteral("perP"), serializeChangeRecord(deletionRecord(ivanov, 2, {}, {})));
    late.execSql();
    insertDataInLOGS(db, deletionRecord(ivanov, 3, QStringLiteral("c"), QStringLiteral("\\c")));
    EXPECT_EQ(reader.newerRows().size(), 1);
    now += HistoryReader::kHoleMs + 1;
    slow.commit();
    EXPECT_TRUE(reader.newerRows().isEmpty());
}

TEST_F(History, UsersAreListedByName) {
    const QVector<HistoryUser> users = historyUsers(db);
    QStringList names;
    for (const HistoryUser& user : users)
        names << user.name;
    EXPECT_TRUE(names.contains(QStringLiteral("Иванов")));
    EXPECT_TRUE(names.contains(QStringLiteral("Петров")));
    EXPECT_LT(names.indexOf(QStringLiteral("Иванов")), names.indexOf(QStringLiteral("Петров")));
}
