#include "journal/History.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

HistoryRow row(int id, const QString& author, const QString& object, const QString& changes) {
    HistoryRow r;
    r.id = id;
    r.author = author;
    r.kind = 2;
    r.action = historyActionName(2);
    r.object = object;
    r.changes = changes;
    return r;
}

type_LogsEntry entryOf(const type_ParametersOfEvents& record, int id) {
    type_LogsEntry entry;
    entry.ID = id;
    entry.ParametersOfEvents = record;
    return entry;
}

} // namespace

TEST(HistoryCsv, HeaderRowsQuotingAndFormulaGuardExactly) {
    HistoryRow timed = row(7, QStringLiteral("Иванов"), QStringLiteral("\\Офис\\dc01"),
                           QStringLiteral("Изменил порт подключения с \"22\" на \"2222\" \\Офис\\dc01"));
    timed.writtenAtMs = 1'765'316'000'000;
    const HistoryRow odd =
        row(3, QStringLiteral("=HYPERLINK(\"x\")"), QStringLiteral("\\a,b"), QStringLiteral(" padded "));
    HistoryRow corrupt;
    corrupt.id = 2;
    corrupt.corrupt = true;
    corrupt.author = QStringLiteral("—");
    corrupt.action = QStringLiteral("повреждённая запись");

    const QByteArray csv = historyCsv({timed, odd, corrupt});
    const QString time =
        QDateTime::fromMSecsSinceEpoch(1'765'316'000'000).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    const QString expected =
        QStringLiteral("№,Время,Автор,Действие,Объект,Изменения\r\n") +
        QStringLiteral("7,%1,Иванов,Изменение,\\Офис\\dc01,"
                       "\"Изменил порт подключения с \"\"22\"\" на \"\"2222\"\" \\Офис\\dc01\"\r\n")
            .arg(time) +
        QStringLiteral("3,—,\"'=HYPERLINK(\"\"x\"\")\",Изменение,\"\\a,b\",\" padded \"\r\n") +
        QStringLiteral("2,—,—,повреждённая запись,,\r\n");
    EXPECT_EQ(csv, QByteArray("\xEF\xBB\xBF") + expected.toUtf8());
}

TEST(HistoryRows, ChangesAreTheAlertLinesOnOneLineWithoutPasswords) {
    type_ParametersOfEvents e;
    e.Type_ = 2;
    e.IDchildren_ = 5;
    e.Path_before = QStringLiteral("\\Офис\\dc01");
    e.NAME_LOGIN_PASS_before = QStringLiteral("Общий");
    e.LOGIN_LOGIN_PASS_before = QStringLiteral("admin");
    e.LOGIN_LOGIN_PASS_after = QStringLiteral("root");
    e.PASS_LOGIN_PASS_before = QStringLiteral("старый-секрет");
    e.PASS_LOGIN_PASS_after = QStringLiteral("новый-секрет");
    const HistoryRow r = historyRowOf(entryOf(e, 9), {{1, QStringLiteral("Иванов")}});
    EXPECT_EQ(r.changes, QStringLiteral("Обновил набор ключей \"Общий\". Логин с \"admin\" на \"root\": "
                                        "Обновил набор ключей \"Общий\". Пароль\" \\Офис\\dc01"));
    for (const QString& cell : r.cells())
        EXPECT_FALSE(cell.contains(QStringLiteral("секрет"))) << cell.toStdString();
    EXPECT_FALSE(historyCsv({r}).contains("секрет"));
}

TEST(HistoryRows, ControlCharactersOfOtherUsersTextAreDropped) {
    type_ParametersOfEvents e;
    e.Type_ = 4;
    e.ID_Parent_before = 3;
    e.Path_before = QStringLiteral("\\a\x1b[2Jb\r\nc");
    const HistoryRow r = historyRowOf(entryOf(e, 1), {});
    EXPECT_EQ(r.author, QStringLiteral("—"));
    EXPECT_FALSE(r.object.contains(QChar(0x1b)));
    EXPECT_FALSE(r.changes.contains(QLatin1Char('\n')));
    EXPECT_FALSE(r.changes.contains(QLatin1Char('\r')));
}

TEST(HistoryRows, UnknownKindIsNamedAndHasNoChanges) {
    type_ParametersOfEvents e;
    e.Type_ = 7;
    const HistoryRow r = historyRowOf(entryOf(e, 1), {});
    EXPECT_EQ(r.action, QStringLiteral("неизвестное действие 7"));
    EXPECT_TRUE(r.changes.isEmpty());
}

TEST(HistoryMatcher, OlderPathsAreLearntFromTheObjectsEntriesWhateverTheOtherFilters) {
    HistoryFilter filter;
    filter.objectId = 10;
    filter.objectPath = QStringLiteral("\\Новое\\srv");
    filter.kind = 2;
    HistoryMatcher matcher(filter);
    const auto offer = [&](const type_ParametersOfEvents& e) {
        return matcher.matches(historyRowOf(entryOf(e, 1), {}), e);
    };
    type_ParametersOfEvents move;
    move.Type_ = 3;
    move.ID_Parent_before = 10;
    move.Path_before = QStringLiteral("\\Старое\\srv");
    move.Path_after = QStringLiteral("\\Новое\\srv");
    type_ParametersOfEvents olderUpdate;
    olderUpdate.Type_ = 2;
    olderUpdate.Path_before = QStringLiteral("\\Старое\\srv");
    type_ParametersOfEvents otherUpdate = olderUpdate;
    otherUpdate.Path_before = QStringLiteral("\\Старое\\gw");

    EXPECT_FALSE(offer(olderUpdate)); // not yet known as this object's path
    EXPECT_FALSE(offer(move));        // of another kind, but it tells the path before
    EXPECT_TRUE(offer(olderUpdate));
    EXPECT_FALSE(offer(otherUpdate));
}

TEST(HistoryMatcher, CorruptEntriesPassEveryFilter) {
    HistoryFilter filter;
    filter.objectId = 10;
    filter.authorId = 3;
    filter.kind = 1;
    filter.text = QStringLiteral("zzz");
    HistoryMatcher matcher(filter);
    type_LogsEntry broken;
    broken.ID = 4;
    broken.ReadError = QStringLiteral("short");
    const HistoryRow r = historyRowOf(broken, {});
    EXPECT_TRUE(r.corrupt);
    EXPECT_TRUE(matcher.matches(r, broken.ParametersOfEvents));
}
