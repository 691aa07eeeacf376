#include "app/Ini.h"
#include "fb/Error.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ConfigBatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        setConfigFolder(folder.path());
    }
    void TearDown() override { setConfigFolder(QString()); }

    void store(const QByteArray& bytes) const {
        QFile file(folder.filePath(QStringLiteral("config.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray stored() const {
        QFile file(folder.filePath(QStringLiteral("config.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

const QByteArray kHandWritten = "; kept by hand\r\n[base]\r\npath = C:\\old.fdb\r\n  ; note\r\n\r\n"
                                "[SETINGS]\r\nONTOP=0\r\nmonitor=7\r\n\r\n";

TEST_F(ConfigBatch, WritesEveryKeyInPlaceAndLeavesEveryOtherByte) {
    store(kHandWritten);
    IniBatch batch;
    batch.str("BASE", "PATH", "/srv/base.fdb");
    batch.integer("SETINGS", "MONITOR", 1);
    batch.boolean("SETINGS", "DOUBLECLICK", true);
    batch.str("USER_DB", "FIO", "Иванов");
    batch.write();

    EXPECT_EQ(stored(), QByteArray("; kept by hand\r\n[base]\r\npath = /srv/base.fdb\r\n  ; note\r\n\r\n"
                                   "[SETINGS]\r\nONTOP=0\r\nmonitor=1\r\nDOUBLECLICK=1\r\n\r\n"
                                   "[USER_DB]\r\nFIO=\xC8\xE2\xE0\xED\xEE\xE2\r\n"));
}

TEST_F(ConfigBatch, LaterEntryForTheSameKeyWins) {
    IniBatch batch;
    batch.integer("SETINGS", "POSITION", 0);
    batch.integer("setings", "position", 1);
    batch.write();
    EXPECT_EQ(stored(), QByteArray("[SETINGS]\r\nPOSITION=1\r\n"));
}

TEST_F(ConfigBatch, OneRefusedValueWritesNothingAtAll) {
    store(kHandWritten);
    const QString refusedValues[] = {
        QStringLiteral("Сервер ✓"),         // the check mark has no byte in code page 1251
        QString(2048, QLatin1Char('x')),    // a read would give back only 2047
        QStringLiteral("a\r\nLOGIN=other"), // would add a key of its own
    };
    for (const QString& value : refusedValues) {
        IniBatch batch;
        batch.boolean("SETINGS", "ONTOP", true);
        batch.str("BASE", "PATH", value);
        batch.integer("SETINGS", "MONITOR", 0);
        EXPECT_THROW(batch.write(), fb::Error) << value.left(20).toStdString();
        EXPECT_EQ(stored(), kHandWritten);
    }
}

TEST_F(ConfigBatch, SingleWritesRefuseWhatAReadCouldNotGiveBack) {
    store(kHandWritten);
    EXPECT_THROW(Write_ini_str("BASE", "PATH", QStringLiteral("日本")), fb::Error);
    EXPECT_THROW(Write_ini_str("BASE", "PATH", QString(3000, QLatin1Char('v'))), fb::Error);
    EXPECT_EQ(stored(), kHandWritten);

    const QString longest(2047, QLatin1Char('v'));
    Write_ini_str("BASE", "PATH", longest);
    EXPECT_EQ(Read_ini_str("BASE", "PATH"), longest);
}

TEST_F(ConfigBatch, RefusalNamesTheKey) {
    IniBatch batch;
    batch.str("SETINGS", "BrowserByDefaultPath", QStringLiteral("/opt/€браузер/ü✓"));
    try {
        batch.write();
        ADD_FAILURE() << "write succeeded";
    } catch (const fb::Error& error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("BrowserByDefaultPath"))) << error.what();
    }
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("config.ini"))));
}

} // namespace
