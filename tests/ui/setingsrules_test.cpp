#include "app/Variable.h"
#include "ui/SetingsRules.h"
#include "ui/TextRules.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(SettingsFallbacks, TransparencyNeverShowsAnInvisibleWindow) {
    EXPECT_EQ(shownTransparency(-1), 255); // missing
    EXPECT_EQ(shownTransparency(0), 255);
    EXPECT_EQ(shownTransparency(-300), 255);
    EXPECT_EQ(shownTransparency(180), 180);
    EXPECT_EQ(shownTransparency(256 + 181), 181); // the low byte, as the main window takes it
}

TEST(SettingsFallbacks, KeysAndReactionTime) {
    EXPECT_EQ(shownCodeKey(QString()), "$11");
    EXPECT_EQ(shownCodeKey(QStringLiteral("   ")), "$11");
    EXPECT_EQ(shownCodeKey(QStringLiteral(" $10 ")), "$10");
    EXPECT_EQ(shownSleep(-5), "120");
    EXPECT_EQ(shownSleep(-1), "120");
    EXPECT_EQ(shownSleep(0), "0");
    EXPECT_EQ(shownSleep(250), "250");
    EXPECT_EQ(shownHotkey1(QString()), "162");
    EXPECT_EQ(shownHotkey2(QString()), "164");
    EXPECT_EQ(shownHotkey1(QStringLiteral("abc")), "abc");
}

TEST(SettingsFallbacks, MonitorAndPositionChooseSecondForAnythingButMinusOneAndZero) {
    EXPECT_FALSE(selectsSecond(-1));
    EXPECT_FALSE(selectsSecond(0));
    EXPECT_TRUE(selectsSecond(1));
    EXPECT_TRUE(selectsSecond(7));
    EXPECT_TRUE(selectsSecond(-2));
}

TEST(SettingsFallbacks, BlankFolderIsUnderTheCurrentOne) {
    const QString expected = QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/backup/"));
    EXPECT_EQ(shownFolder(QString(), QStringLiteral("backup")), expected);
    EXPECT_EQ(shownFolder(QStringLiteral("  "), QStringLiteral("backup")), expected);
    EXPECT_EQ(shownFolder(QStringLiteral(" /srv/copies "), QStringLiteral("backup")), "/srv/copies");
}

TEST(ViewTabChecks, ReactionTimeFrom1To60000) {
    for (const char* good : {"1", "120", " 60000", "$78", "0x78", "+5"})
        EXPECT_TRUE(reactionTimeProblem(QStringLiteral("Скорость"), QString::fromLatin1(good)).isEmpty())
            << good;
    for (const char* bad : {"0", "-5", "60001", "", "12a", "1.5", "99999999999"})
        EXPECT_FALSE(reactionTimeProblem(QStringLiteral("Скорость"), QString::fromLatin1(bad)).isEmpty())
            << bad;
    EXPECT_TRUE(reactionTimeProblem(QStringLiteral("Скорость реагирования мл.с"), QStringLiteral("0"))
                    .contains(QStringLiteral("«Скорость реагирования мл.с»")));
}

TEST(ViewTabChecks, KeyCodesFrom1To254) {
    for (const char* good : {"1", "$11", "162", "254", "$FE", "0xa4"})
        EXPECT_TRUE(keyCodeProblem(QStringLiteral("Код клавиши"), QString::fromLatin1(good)).isEmpty())
            << good;
    for (const char* bad : {"0", "255", "$FF", "abc", "", "$"})
        EXPECT_FALSE(keyCodeProblem(QStringLiteral("Код клавиши"), QString::fromLatin1(bad)).isEmpty())
            << bad;
    EXPECT_FALSE(
        keyCodeProblem(QStringLiteral("Код клавиши"), QStringLiteral("١٧")).isEmpty()); // Arabic digits
}

TEST(StoredTextChecks, Cp1251AndLength) {
    EXPECT_TRUE(cp1251Problem(QStringLiteral("Логин"), QStringLiteral("Администратор №1 €")).isEmpty());
    const QString problem = cp1251Problem(QStringLiteral("Логин"), QStringLiteral("admin✓✓ü"));
    EXPECT_TRUE(problem.contains(QStringLiteral("«Логин»")));
    EXPECT_TRUE(problem.endsWith(QStringLiteral("✓ü"))) << problem.toStdString();
    EXPECT_TRUE(configValueProblem(QStringLiteral("Путь"), QString(2047, QLatin1Char('a'))).isEmpty());
    EXPECT_FALSE(configValueProblem(QStringLiteral("Путь"), QString(2048, QLatin1Char('a'))).isEmpty());
}

// What the database keeps is the trimmed encoded form; the password must survive it.
TEST(StoredTextChecks, PasswordsThatWouldComeBackDifferentAreRefused) {
    for (const QString& kept : {QStringLiteral("kestu"), QStringLiteral("a&b"), QStringLiteral("ЗаменитеЭто"),
                                QString(), QStringLiteral("  spaced  ")}) {
        EXPECT_TRUE(passwordProblem(QStringLiteral("Пароль"), kept).isEmpty()) << kept.toStdString();
        EXPECT_EQ(decode_string(encode_string(kept).trimmed()), kept);
    }
    for (const QString& lost : {QStringLiteral("&secret"), QStringLiteral("secret&"), QStringLiteral("&"),
                                QStringLiteral("pass\u00A6"), QStringLiteral("x\u000B")}) {
        EXPECT_FALSE(passwordProblem(QStringLiteral("Пароль"), lost).isEmpty()) << lost.toStdString();
        EXPECT_NE(decode_string(encode_string(lost).trimmed()), lost);
    }
    EXPECT_TRUE(
        passwordProblem(QStringLiteral("Пароль"), QStringLiteral("&x")).contains(QStringLiteral("«&»")));
    EXPECT_FALSE(passwordProblem(QStringLiteral("Пароль"), QStringLiteral("пароль✓")).isEmpty());
}

} // namespace
