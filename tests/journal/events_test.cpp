#include "journal/Events.h"

#include <gtest/gtest.h>

namespace {

type_ParametersOfEvents update(const QString& path = QStringLiteral("\\Серверы\\web1")) {
    type_ParametersOfEvents e;
    e.UserID_ = 2;
    e.Type_ = 2;
    e.Path_before = path;
    return e;
}

QString messageOf(const type_ParametersOfEvents& e) {
    const auto alert = alertTextFor(e, QStringLiteral("Иванов И.И."));
    return alert ? alert->message : QStringLiteral("<no alert>");
}

} // namespace

TEST(CntChRepet, CountsOneCharacterOnly) {
    EXPECT_EQ(CntChRepet(QStringLiteral("a\n\rb\n\rc\n\r"), QStringLiteral("\n")), 3);
    EXPECT_EQ(CntChRepet(QStringLiteral("ааб"), QStringLiteral("а")), 2);
    EXPECT_EQ(CntChRepet(QStringLiteral("abab"), QStringLiteral("ab")), 0);
    EXPECT_EQ(CntChRepet(QStringLiteral("abab"), QString()), 0);
    EXPECT_EQ(CntChRepet(QString(), QStringLiteral("a")), 0);
}

TEST(AlertText, KindsOneThreeFourAndTheHeader) {
    type_ParametersOfEvents created;
    created.Type_ = 1;
    created.Path_before = QStringLiteral("\\Папка\\Объект");
    const auto alert = alertTextFor(created, QStringLiteral("Петров"));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->header, "Петров");
    EXPECT_EQ(alert->message, QStringLiteral("Добавил новый объект:\n\r\\Папка\\Объект"));

    type_ParametersOfEvents moved;
    moved.Type_ = 3;
    moved.Path_before = QStringLiteral("\\A\\x");
    moved.Path_after = QStringLiteral("\\B\\x");
    EXPECT_EQ(messageOf(moved),
              QStringLiteral("Сменил путь расположения объекта с \n\r\\A\\x\n\rна\n\r\\B\\x"));
    moved.Path_after = moved.Path_before; // a drop on its own parent
    const auto same = alertTextFor(moved, QStringLiteral("Петров"));
    ASSERT_TRUE(same);
    EXPECT_EQ(same->header, "Петров");
    EXPECT_TRUE(same->message.isEmpty());

    type_ParametersOfEvents deleted;
    deleted.Type_ = 4;
    deleted.Path_before = QStringLiteral("\\A");
    EXPECT_EQ(messageOf(deleted), QStringLiteral("Удалил объект \n\r\\A"));
}

TEST(AlertText, UnknownKindsAndUnreadEntriesRaiseNoAlert) {
    type_ParametersOfEvents e;
    EXPECT_FALSE(alertTextFor(e, QStringLiteral("x")));
    e.Type_ = 5;
    EXPECT_FALSE(alertTextFor(e, QStringLiteral("x")));
    e.Type_ = -1;
    EXPECT_FALSE(alertTextFor(e, QStringLiteral("x")));
}

TEST(AlertText, UpdateWithNothingChangedIsThePathAlone) {
    EXPECT_EQ(messageOf(update()), QStringLiteral("\\Серверы\\web1"));
}

TEST(AlertText, UpdateLinesInOrderWithTheLatinC) {
    auto e = update();
    e.TYPE_NODE_before = 0;
    e.TYPE_NODE_after = 1;
    e.Text_ = QStringLiteral("web1");
    e.TEXT_TREETABLE_after = QStringLiteral("web2");
    e.ID_ICO_TREETABLE_before = 3;
    e.ID_ICO_TREETABLE_after = 4;
    e.DOMAIN_NAME_SERVERS_before = QStringLiteral("a.local");
    e.DOMAIN_NAME_SERVERS_after = QStringLiteral("b.local");
    e.IP_ADDRES_SERVERS_before = QStringLiteral("10.0.0.1");
    e.IP_ADDRES_SERVERS_after = QStringLiteral("10.0.0.2");
    e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before = 1;
    e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after = 2;
    e.PORT_SERVERS_before = QStringLiteral("3389");
    e.PORT_SERVERS_after = QStringLiteral("22");

    const QString expected =
        QStringLiteral("Обновил тип существующего объекта c \"Сервер\" на \"Папка\":\n\r"
                       "Обновил название существующего объекта c \"web1\" на \"web2\":\n\r"
                       "Обновил иконку существующего объекта :\n\r"
                       "Обновил DN/URL подключение объекта c \"a.local\" на \"b.local\":\n\r"
                       "Обновил IP адрес подключение объекта c \"10.0.0.1\" на \"10.0.0.2\":\n\r"
                       "Обновил тип подключения к серверу с \"RDP\" на \"SSH\"\n\r"
                       "Изменил порт подключения с \"3389\" на \"22\"\n\r"
                       "\\Серверы\\web1");
    const QString message = messageOf(e);
    EXPECT_EQ(message, expected);

    // Latin c (0x63) before the quote in the "объекта c" lines, Cyrillic с elsewhere.
    EXPECT_EQ(message.count(QStringLiteral("объекта c \"")), 4);
    EXPECT_EQ(message.count(QStringLiteral("объекта с \"")), 0);
    EXPECT_TRUE(message.contains(QStringLiteral("серверу \u0441 \"")));
    EXPECT_TRUE(message.contains(QStringLiteral("подключения \u0441 \"")));
}

TEST(AlertText, OnlyThePortChanged) {
    auto e = update(QStringLiteral("\\srv"));
    e.PORT_SERVERS_before = QStringLiteral("22");
    e.PORT_SERVERS_after = QStringLiteral("2222");
    EXPECT_EQ(messageOf(e), QStringLiteral("Изменил порт подключения с \"22\" на \"2222\"\n\r\\srv"));
}

TEST(AlertText, ChangedKeySetHidesLoginAndPasswordLines) {
    auto e = update(QStringLiteral("\\srv"));
    e.ID_LOGIN_PASS_before = 1;
    e.ID_LOGIN_PASS_after = 2;
    e.NAME_LOGIN_PASS_before = QStringLiteral("admins");
    e.NAME_LOGIN_PASS_after = QStringLiteral("ops");
    e.LOGIN_LOGIN_PASS_before = QStringLiteral("root");
    e.LOGIN_LOGIN_PASS_after = QStringLiteral("ops");
    e.PASS_LOGIN_PASS_before = QStringLiteral("");
    e.PASS_LOGIN_PASS_after = QStringLiteral("*");
    const QString message = messageOf(e);
    EXPECT_EQ(message, QStringLiteral("Изменил набор ключей c \"admins\" на \"ops\"\n\r\\srv"));
    EXPECT_EQ(message.at(21), QLatin1Char('c'));
}

TEST(AlertText, SameKeySetShowsLoginAndPasswordButNeverThePassword) {
    auto e = update(QStringLiteral("\\srv"));
    e.ID_LOGIN_PASS_before = e.ID_LOGIN_PASS_after = 7;
    e.NAME_LOGIN_PASS_before = QStringLiteral("admins");
    e.LOGIN_LOGIN_PASS_before = QStringLiteral("root");
    e.LOGIN_LOGIN_PASS_after = QStringLiteral("admin");
    e.PASS_LOGIN_PASS_before = QStringLiteral("секрет1");
    e.PASS_LOGIN_PASS_after = QStringLiteral("секрет2");
    const QString message = messageOf(e);
    EXPECT_EQ(message, QStringLiteral("Обновил набор ключей \"admins\". Логин с \"root\" на \"admin\":\n\r"
                                      "Обновил набор ключей \"admins\". Пароль\"\n\r\\srv"));
    EXPECT_FALSE(message.contains(QStringLiteral("секрет")));
}

TEST(AlertText, ComparisonsAreExactAndUnknownNamesEmpty) {
    auto e = update(QStringLiteral("\\srv"));
    e.Text_ = QStringLiteral("Web");
    e.TEXT_TREETABLE_after = QStringLiteral("web ");
    e.TYPE_NODE_before = 2;
    e.TYPE_NODE_after = 7;
    EXPECT_EQ(messageOf(e),
              QStringLiteral("Обновил тип существующего объекта c \"Сайт\" на \"\":\n\r"
                             "Обновил название существующего объекта c \"Web\" на \"web \":\n\r\\srv"));
    EXPECT_EQ(protocolName(0), "");
    EXPECT_EQ(protocolName(3), "Browser");
    EXPECT_EQ(objectTypeName(3), "");
}

TEST(AlertSummary, RussianPluralForms) {
    EXPECT_EQ(moreChangesText(1), "И ещё 1 изменение");
    EXPECT_EQ(moreChangesText(2), "И ещё 2 изменения");
    EXPECT_EQ(moreChangesText(4), "И ещё 4 изменения");
    EXPECT_EQ(moreChangesText(5), "И ещё 5 изменений");
    for (int n : {11, 12, 13, 14, 111, 112})
        EXPECT_EQ(changesWord(n), "изменений") << n;
    EXPECT_EQ(changesWord(21), "изменение");
    EXPECT_EQ(changesWord(22), "изменения");
    EXPECT_EQ(changesWord(101), "изменение");
    EXPECT_EQ(changesWord(0), "изменений");
}

TEST(AlertSummary, AtMostThreeThenOneSummaryAndNothingWhenOff) {
    QVector<AlertText> raised;
    for (int i = 0; i < 7; ++i)
        raised.append({i % 2 ? QStringLiteral("Петров") : QStringLiteral("Иванов"), QString::number(i)});

    EXPECT_TRUE(alertsToShow(raised, false).isEmpty());
    EXPECT_EQ(alertsToShow(raised.mid(0, 3), true), raised.mid(0, 3));

    const QVector<AlertText> shown = alertsToShow(raised, true);
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown.mid(0, 3), raised.mid(0, 3));
    EXPECT_EQ(shown[3].message, "И ещё 4 изменения");
    EXPECT_EQ(shown[3].header, "Петров, Иванов");

    const QVector<AlertText> four = alertsToShow(raised.mid(0, 4), true);
    ASSERT_EQ(four.size(), 4);
    EXPECT_EQ(four[3].message, "И ещё 1 изменение");
}

TEST(AlertPlainText, BreaksBecomeOneAndControlCharactersGo) {
    EXPECT_EQ(alertPlainText(QStringLiteral("a\n\rb\r\nc\rd\ne")), "a\nb\nc\nd\ne");
    EXPECT_EQ(alertPlainText(QStringLiteral("a\n\r\n\rb")), "a\n\nb");
    EXPECT_EQ(alertPlainText(QStringLiteral("x\ty\u0007z\u001b[31m\u200e")), "xyz[31m");
    EXPECT_EQ(alertPlainText(QStringLiteral("<b>x</b> &amp;")), "<b>x</b> &amp;");
}
