#include "app/Connection.h"
#include "fb/Error.h"
#include "fb/Service.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

using testsupport::FreshDatabase;
using testsupport::ServerFolder;

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QString kUser = QStringLiteral("SYSDBA");
const QString kPassword = QString::fromLatin1(kSysdbaDefaultPassword);

class ServiceTest : public FreshDatabase {
protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        if (HasFatalFailure())
            return;
        testsupport::execUnchecked(QStringLiteral("create table T (ID integer, NAME varchar(20))"));
        testsupport::execWrite(QStringLiteral("insert into T values (1, 'один')"));
    }

    QStringList runToEnd(fb::Service& svc) {
        QStringList lines;
        svc.drain([&](const QString& line) { lines << line; });
        return lines;
    }

    fb::Service service;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool anyContains(const QStringList& lines, const QString& part) {
    for (const QString& line : lines)
        if (line.contains(part, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

TEST_F(ServiceTest, BackupAndRestoreStreamTheirLinesToTheEnd) {
    const QString backup = folder.file(QStringLiteral("t.fdk"));
    service.attach(kHost, kUser, kPassword);
    service.startBackup(dbPath, backup);
    EXPECT_TRUE(service.running());
    const QStringList backupLines = runToEnd(service);
    EXPECT_FALSE(service.running());
    EXPECT_TRUE(anyContains(backupLines, QStringLiteral("T"))) << backupLines.join(u'\n').toStdString();
    EXPECT_TRUE(QFile::exists(backup));

    const QString restored = folder.file(QStringLiteral("r.fdb"));
    service.startRestore(backup, restored, false);
    const QStringList restoreLines = runToEnd(service);
    EXPECT_FALSE(restoreLines.isEmpty());
    EXPECT_TRUE(QFile::exists(restored));
    service.detach();
    EXPECT_FALSE(service.attached());

    auto other = testsupport::connectAnother(restored);
    fb::Query q(other->IBDatabase1, other->IBTransaction1);
    q.setSql(QStringLiteral("select NAME from T where ID = 1"));
    q.open();
    EXPECT_EQ(q.field(0).asString(), QStringLiteral("один"));
}

TEST_F(ServiceTest, WrongPasswordFailsTheAttach) {
    try {
        service.attach(kHost, kUser, QStringLiteral("not-the-password"));
        FAIL() << "attached with a wrong password";
    } catch (const fb::Error& e) {
        EXPECT_FALSE(e.text().isEmpty());
    }
    EXPECT_FALSE(service.attached());
}

TEST_F(ServiceTest, UnwritableTargetEndsTheJobWithTheServersErrorAndTheAttachmentGoesOn) {
    service.attach(kHost, kUser, kPassword);
    // gbak may fail before the server reports the job started (the start's error)
    // or after (a read's): either way the caller gets the server's text once.
    try {
        service.startBackup(dbPath, QStringLiteral("/proc/vestibar-no-such/x.fdk"));
        runToEnd(service);
        FAIL() << "a backup into a missing folder succeeded";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("/proc/vestibar-no-such/x.fdk"))) << e.what();
        EXPECT_FALSE(fb::refusedExistingDatabase(e));
    }
    EXPECT_FALSE(service.running());
    // The attachment survives the failure and takes the next job.
    service.startBackup(dbPath, folder.file(QStringLiteral("ok.fdk")));
    runToEnd(service);
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("ok.fdk"))));
}

TEST_F(ServiceTest, RestoreCreatesOnlyUnlessReplaceIsAsked) {
    const QString backup = folder.file(QStringLiteral("t.fdk"));
    service.attach(kHost, kUser, kPassword);
    service.startBackup(dbPath, backup);
    runToEnd(service);

    const QString target = folder.file(QStringLiteral("existing.fdb"));
    service.startRestore(backup, target, false);
    runToEnd(service);
    const QByteArray before = fileBytes(target);
    ASSERT_FALSE(before.isEmpty());

    // The server looks at the existing file (an attachment touches its header
    // page) and refuses to overwrite it.
    service.startRestore(backup, target, false);
    try {
        runToEnd(service);
        FAIL() << "an existing database was overwritten without replace";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(fb::refusedExistingDatabase(e)) << e.what();
    }
    EXPECT_EQ(fileBytes(target).size(), before.size());

    service.startRestore(backup, target, true);
    runToEnd(service);
    EXPECT_GT(QFileInfo(target).size(), 1000);
}

TEST_F(ServiceTest, StoppingTheReadDetachesAtOnce) {
    service.attach(kHost, kUser, kPassword);
    service.startBackup(dbPath, folder.file(QStringLiteral("t.fdk")));
    int asked = 0;
    const bool finished = service.drain({}, [&] { return ++asked < 2; });
    EXPECT_FALSE(finished);
    EXPECT_FALSE(service.attached());
    EXPECT_FALSE(service.running());
}

TEST_F(ServiceTest, StartWithoutAttachIsRefused) {
    EXPECT_THROW(service.startBackup(dbPath, folder.file(QStringLiteral("t.fdk"))), fb::Error);
    QString line;
    EXPECT_EQ(service.nextLine(line), fb::Service::Output::Finished);
}

TEST_F(ServiceTest, CyrillicFolderNamesReachTheServerFileSystem) {
    const QString cyrillic = folder.file(QStringLiteral("Бэкапы"));
    ASSERT_TRUE(QDir().mkpath(cyrillic));
    QFile::setPermissions(cyrillic, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadOther | QFileDevice::WriteOther |
                                        QFileDevice::ExeOther);
    const QString backup = cyrillic + QStringLiteral("/копия.fdk");
    service.attach(kHost, kUser, kPassword);
    service.startBackup(dbPath, backup);
    runToEnd(service);
    EXPECT_TRUE(QFile::exists(backup));
}
