#include "app/IniFormat.h"

#include <gtest/gtest.h>

namespace {

using ini::findValue;
using ini::parseInteger;
using ini::withValue;

const QByteArray kSample = "; settings of one installation\r\n"
                           "\r\n"
                           "[BASE]\r\n"
                           "PATH = C:\\db\\base.fdb  \r\n"
                           "LOGIN=SYSDBA\r\n"
                           "\r\n"
                           "[SETINGS]\r\n"
                           ";ONTOP=1\r\n"
                           "TRANSPARENCY=200\r\n"
                           "\r\n"
                           "\r\n";

TEST(IniFormatRead, ValueIsTextAfterFirstEqualsWithoutBlanks) {
    EXPECT_EQ(findValue(kSample, "BASE", "PATH"), QByteArray("C:\\db\\base.fdb"));
    EXPECT_EQ(findValue("[A]\r\nK =\t a=b \t\r\n", "A", "K"), QByteArray("a=b"));
    EXPECT_EQ(findValue("[A]\r\nK=\r\n", "A", "K"), QByteArray(""));
}

TEST(IniFormatRead, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(findValue("[base]\r\npath=x\r\n", "BASE", "PATH"), QByteArray("x"));
    EXPECT_EQ(findValue(kSample, "Base", "login"), QByteArray("SYSDBA"));
    // Cyrillic names in code page 1251: [раздел] ключ=1
    EXPECT_EQ(findValue("[\xF0\xE0\xE7\xE4\xE5\xEB]\r\n\xEA\xEB\xFE\xF7=1\r\n", QStringLiteral("РАЗДЕЛ"),
                        QStringLiteral("КЛЮЧ")),
              QByteArray("1"));
}

TEST(IniFormatRead, KeyOnlyCountsInsideItsOwnSection) {
    EXPECT_FALSE(findValue(kSample, "SETINGS", "PATH"));
    EXPECT_FALSE(findValue("PATH=x\r\n[BASE]\r\n", "BASE", "PATH"));
    EXPECT_FALSE(findValue(kSample, "SETINGS", "ONTOP")); // commented out
    EXPECT_FALSE(findValue(kSample, "MISSING", "PATH"));
    EXPECT_FALSE(findValue(QByteArray(), "BASE", "PATH"));
}

TEST(IniFormatRead, FirstOfDuplicatesWins) {
    EXPECT_EQ(findValue("[A]\r\nK=1\r\nK=2\r\n[a]\r\nK=3\r\n", "A", "K"), QByteArray("1"));
}

TEST(IniFormatRead, BareLineFeedsAndMissingFinalBreakRead) {
    const QByteArray lf = "[BASE]\nPATH=x\nIP=10.0.0.1";
    EXPECT_EQ(findValue(lf, "BASE", "PATH"), QByteArray("x"));
    EXPECT_EQ(findValue(lf, "BASE", "IP"), QByteArray("10.0.0.1"));
}

TEST(IniFormatWrite, ReplacementInPlaceKeepsEveryOtherByte) {
    QByteArray expected = kSample;
    expected.replace("C:\\db\\base.fdb", "D:\\new.fdb");
    EXPECT_EQ(withValue(kSample, "base", "path", "D:\\new.fdb"), expected);
}

TEST(IniFormatWrite, MissingKeyGoesToEndOfItsSectionBeforeBlankLines) {
    QByteArray expected = kSample;
    expected.replace("LOGIN=SYSDBA\r\n", "LOGIN=SYSDBA\r\nIP=host\r\n");
    EXPECT_EQ(withValue(kSample, "BASE", "IP", "host"), expected);
    EXPECT_EQ(withValue(kSample, "SETINGS", "ONTOP", "1"),
              QByteArray(kSample).replace("TRANSPARENCY=200\r\n", "TRANSPARENCY=200\r\nONTOP=1\r\n"));
}

TEST(IniFormatWrite, MissingSectionGoesToEndOfFile) {
    EXPECT_EQ(withValue(QByteArray(), "BASE", "PATH", "x"), QByteArray("[BASE]\r\nPATH=x\r\n"));
    EXPECT_EQ(withValue(kSample, "SETING", "HANDLEFORM", "42"), kSample + "[SETING]\r\nHANDLEFORM=42\r\n");
    EXPECT_EQ(withValue("[A]\r\nK=1", "B", "L", "2"), QByteArray("[A]\r\nK=1\r\n\r\n[B]\r\nL=2\r\n"));
}

TEST(IniFormatWrite, FileWithoutFinalBreakGetsKeyOnItsOwnLine) {
    EXPECT_EQ(withValue("[A]\r\nK=1", "A", "L", "2"), QByteArray("[A]\r\nK=1\r\nL=2"));
}

TEST(IniFormatWrite, LineFeedFileKeepsLineFeeds) {
    EXPECT_EQ(withValue("[A]\nK=1\n", "A", "L", "2"), QByteArray("[A]\nK=1\nL=2\n"));
    EXPECT_EQ(withValue("[A]\nK=1\n", "B", "L", "2"), QByteArray("[A]\nK=1\n\n[B]\nL=2\n"));
}

TEST(IniFormatWrite, RefusesWhatWouldBreakTheFile) {
    EXPECT_TRUE(ini::unstorableReason("BASE", "PATH", "x").isEmpty());
    EXPECT_FALSE(ini::unstorableReason("BASE", "PATH", "a\r\nIP=evil").isEmpty());
    EXPECT_FALSE(ini::unstorableReason("BASE", "PATH", "a\nb").isEmpty());
    EXPECT_FALSE(ini::unstorableReason("BA]SE", "PATH", "x").isEmpty());
    EXPECT_FALSE(ini::unstorableReason("BASE", "PA=TH", "x").isEmpty());
    EXPECT_FALSE(ini::unstorableReason("BASE", " ", "x").isEmpty());
    EXPECT_FALSE(ini::unstorableReason("BASE", ";PATH", "x").isEmpty());
}

TEST(IniIntegerParse, AcceptsDecimalAndEveryHexPrefix) {
    const std::pair<const char*, qint32> cases[] = {
        {"0", 0},
        {"7", 7},
        {"+7", 7},
        {"-1", -1},
        {"007", 7},
        {"  12", 12},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"$1f", 31},
        {"x1F", 31},
        {"X1F", 31},
        {"-$1F", -31},
        {"+0x1F", 31},
        {"-0X10", -16},
        {"$11", 17},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0x7FFFFFFF", 2147483647},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseInteger(text), value) << text;
}

TEST(IniIntegerParse, RejectsAnythingElse) {
    for (const char* text : {"",           " ",          "+",           "-",          "$",
                             "x",          "0x",         "yes",         "true",       "abc",
                             "12a",        "1 ",         "1.5",         "--1",        "0x-1",
                             "$ 1",        "2147483648", "-2147483649", "4294967296", "99999999999999999999",
                             "0x80000000", "0xFFFFFFFF", "1F"})
        EXPECT_FALSE(parseInteger(text)) << text;
}

} // namespace
