#include "app/Ini.h"
#include "fb/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        setConfigFolder(folder.path());
    }
    void TearDown() override { setConfigFolder(QString()); }

    QString path() const { return folder.filePath(QStringLiteral("config.ini")); }

    void store(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray stored() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

// The message must be exactly this: the window handlers show it as it is.
void expectUnableToWrite(const QString& expectedPath) {
    try {
        Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), QStringLiteral("x"));
        ADD_FAILURE() << "write succeeded";
    } catch (const fb::Error& error) {
        EXPECT_EQ(error.text(),
                  QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(expectedPath));
    }
}

TEST_F(ConfigFile, MissingFileReadsAsDefaults) {
    EXPECT_EQ(Read_ini_str("BASE", "PATH"), QString());
    EXPECT_EQ(Read_ini_int("USER_DB", "ID"), -1);
    EXPECT_FALSE(Read_ini_bool("BASE", "AUTOCONNECT"));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ConfigFile, DefaultLocationIsBesideTheExecutable) {
    setConfigFolder(QString());
    EXPECT_EQ(configFilePath(), QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini"));
}

TEST_F(ConfigFile, HandEditedLowerCaseNamesRead) {
    store("[base]\r\npath=C:\\db.fdb\r\n[setings]\r\ntransparency=200\r\nontop=1\r\n");
    EXPECT_EQ(Read_ini_str("BASE", "PATH"), QStringLiteral("C:\\db.fdb"));
    EXPECT_EQ(Read_ini_int("SETINGS", "TRANSPARENCY"), 200);
    EXPECT_TRUE(Read_ini_bool("SETINGS", "ONTOP"));
}

TEST_F(ConfigFile, IntegersReadWithHexPrefixesAndDefaultOtherwise) {
    store("[S]\r\nA=0x1F\r\nB=$1F\r\nC=+7\r\nD=4294967296\r\nE=abc\r\nF=\r\nG=-2147483648\r\n");
    EXPECT_EQ(Read_ini_int("S", "A"), 31);
    EXPECT_EQ(Read_ini_int("S", "B"), 31);
    EXPECT_EQ(Read_ini_int("S", "C"), 7);
    EXPECT_EQ(Read_ini_int("S", "D"), -1);
    EXPECT_EQ(Read_ini_int("S", "E"), -1);
    EXPECT_EQ(Read_ini_int("S", "F"), -1);
    EXPECT_EQ(Read_ini_int("S", "G"), -2147483647 - 1);
}

TEST_F(ConfigFile, BooleanIsAnyNonZeroInteger) {
    store("[S]\r\nYES=yes\r\nTRUE=true\r\nZERO=0\r\nHUGE=9999999999\r\n"
          "ONE=1\r\nTWO=2\r\nMINUS=-1\r\nHEX=$10\r\n");
    for (const char* key : {"YES", "TRUE", "ZERO", "HUGE", "ABSENT"})
        EXPECT_FALSE(Read_ini_bool("S", key)) << key;
    for (const char* key : {"ONE", "TWO", "MINUS", "HEX"})
        EXPECT_TRUE(Read_ini_bool("S", key)) << key;
}

TEST_F(ConfigFile, ReadReturnsAtMost2047Characters) {
    const QByteArray longValue(3000, 'v');
    store("[S]\r\nK=" + longValue + "\r\n");
    EXPECT_EQ(Read_ini_str("S", "K"), QString(2047, QLatin1Char('v')));
}

TEST_F(ConfigFile, FileIsCreatedOnFirstWrite) {
    Write_ini_str("BASE", "PATH", "C:\\base.fdb");
    Write_ini_bool("BASE", "AUTOCONNECT", true);
    Write_ini_int("SETING", "HANDLEFORM", -5);
    EXPECT_EQ(
        stored(),
        QByteArray("[BASE]\r\nPATH=C:\\base.fdb\r\nAUTOCONNECT=1\r\n\r\n[SETING]\r\nHANDLEFORM=-5\r\n"));
}

TEST_F(ConfigFile, WriteIsVisibleToTheNextReadAndLastWriterWins) {
    Write_ini_int("SETINGS", "MONITOR", 1);
    EXPECT_EQ(Read_ini_int("SETINGS", "MONITOR"), 1);
    Write_ini_int("SETINGS", "MONITOR", 0);
    EXPECT_EQ(Read_ini_int("SETINGS", "MONITOR"), 0);
    Write_ini_bool("SETINGS", "ONTOP", false);
    EXPECT_EQ(stored(), QByteArray("[SETINGS]\r\nMONITOR=0\r\nONTOP=0\r\n"));
}

TEST_F(ConfigFile, ReplacingAValueLeavesEveryOtherByteAsItWas) {
    const QByteArray before =
        "; written by hand\r\n\r\n[BASE]\r\nPATH=old\r\n  ; note\r\nIP = 10.0.0.1\r\n\r\n"
        "[USER_DB]\r\nAUTOIN=1\r\n\r\n";
    store(before);
    Write_ini_str("base", "ip", "server.local");
    QByteArray expected = before;
    expected.replace("10.0.0.1", "server.local");
    EXPECT_EQ(stored(), expected);
}

TEST_F(ConfigFile, CyrillicRoundTripsAndIsStoredAsCp1251) {
    const QString name = QStringLiteral("Иванов Пётр");
    Write_ini_str("USER_DB", "FIO", name);
    EXPECT_EQ(Read_ini_str("USER_DB", "FIO"), name);
    EXPECT_EQ(stored(), QByteArray("[USER_DB]\r\nFIO=\xC8\xE2\xE0\xED\xEE\xE2 \xCF\xB8\xF2\xF0\r\n"));
}

TEST_F(ConfigFile, ValueWithLineBreakIsRefusedAndFileUntouched) {
    store("[BASE]\r\nPATH=x\r\n");
    EXPECT_THROW(Write_ini_str("BASE", "PATH", "a\r\nLOGIN=intruder"), fb::Error);
    EXPECT_EQ(stored(), QByteArray("[BASE]\r\nPATH=x\r\n"));
}

TEST_F(ConfigFile, WriteUnderARegularFileFailsWithItsPath) {
    QFile blocker(folder.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setConfigFolder(blocker.fileName());
    expectUnableToWrite(blocker.fileName() + QStringLiteral("/config.ini"));
}

TEST_F(ConfigFile, WriteIntoProcFailsWithItsPath) {
    setConfigFolder(QStringLiteral("/proc"));
    expectUnableToWrite(QStringLiteral("/proc/config.ini"));
}

TEST_F(ConfigFile, UnreadableConfigIsNotReplacedByAFreshOne) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("config.ini")));
    EXPECT_EQ(Read_ini_str("BASE", "PATH"), QString());
    expectUnableToWrite(path());
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

} // namespace
