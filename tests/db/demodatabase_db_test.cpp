#include "app/Connection.h"
#include "app/Ini.h"
#include "db/CreateAndUpdateTables.h"
#include "db/DemoDatabase.h"
#include "fb/Error.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::ServerFolder;

namespace {

const QString kHost = QStringLiteral("127.0.0.1");

class DemoDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
    }
    void TearDown() override { setConfigFolder(QString()); }

    QString configuredPath() const { return Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH")); }

    // The schema version and the number of users, read through a connection of its own.
    std::pair<int, int> versionAndUsers() const {
        auto other = testsupport::connectAnother(path);
        struct Current {
            explicit Current(RunDatabase* db) { setRunDatabase(db); }
            ~Current() { setRunDatabase(nullptr); }
        } current(other.get());
        return {RequestVersionDataBase(), testsupport::countRows(QStringLiteral("USER_DB"))};
    }

    QTemporaryDir configDir;
    ServerFolder folder;
    const QString path = folder.file(QStringLiteral("demo.fdb"));
};

} // namespace

TEST_F(DemoDatabaseTest, FirstRunCreatesTheDatabaseThenPointsTheConfigAtIt) {
    EXPECT_EQ(prepareDemoDatabase(kHost, path), DemoOutcome::Created);
    EXPECT_EQ(versionAndUsers(), std::make_pair(kCurrentVersionDataBase, 1));
    EXPECT_EQ(configuredPath(), path);
    EXPECT_EQ(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("IP")), kHost);
    EXPECT_TRUE(Read_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT")));
}

TEST_F(DemoDatabaseTest, FailedCreateWritesNoConfig) {
    const QString nowhere = folder.file(QStringLiteral("missing/folder/demo.fdb"));
    EXPECT_THROW(prepareDemoDatabase(kHost, nowhere), fb::Error);
    EXPECT_TRUE(configuredPath().isEmpty()) << "config.ini points at a database that is not there";
}

TEST_F(DemoDatabaseTest, DatabaseLeftWithoutSchemaByAnInterruptedRunIsMadeAgain) {
    CreateDataBase(nullptr, kHost, path);
    EXPECT_EQ(prepareDemoDatabase(kHost, path), DemoOutcome::Recreated);
    EXPECT_EQ(versionAndUsers(), std::make_pair(kCurrentVersionDataBase, 1));
    EXPECT_EQ(configuredPath(), path);
}

TEST_F(DemoDatabaseTest, FileThatIsNoDatabaseIsMadeAgain) {
    QFile junk(path);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'x'));
    junk.close();
    EXPECT_EQ(prepareDemoDatabase(kHost, path), DemoOutcome::Recreated);
    EXPECT_EQ(versionAndUsers(), std::make_pair(kCurrentVersionDataBase, 1));
}

TEST_F(DemoDatabaseTest, WorkingDemoAndTheUsersConfigAreKept) {
    ASSERT_EQ(prepareDemoDatabase(kHost, path), DemoOutcome::Created);
    {
        auto other = testsupport::connectAnother(path);
        testsupport::execUnchecked(*other,
                                   QStringLiteral("insert into USER_DB (FIO, PASS) values ('second', 'x')"));
    }
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), QStringLiteral("/elsewhere.fdb"));

    EXPECT_EQ(prepareDemoDatabase(kHost, path), DemoOutcome::Kept);
    EXPECT_EQ(versionAndUsers(), std::make_pair(kCurrentVersionDataBase, 2));
    EXPECT_EQ(configuredPath(), QStringLiteral("/elsewhere.fdb"));
}

TEST_F(DemoDatabaseTest, DatabaseWithoutSchemaThatOthersUseIsLeftAlone) {
    CreateDataBase(nullptr, kHost, path);
    auto user = testsupport::connectAnother(path);
    EXPECT_THROW(prepareDemoDatabase(kHost, path), fb::Error);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(configuredPath().isEmpty());
}
