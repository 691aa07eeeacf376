#include "db/Backup.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QDateTime at(int day, int month, int year, int hour, int minute) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, 42));
}

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(BackupNames, DateAndTimeOfTheClickZeroPadded) {
    EXPECT_EQ(backupFileName(at(27, 7, 2018, 14, 5)), QStringLiteral("backup_27_07_2018_14_05.fdk"));
    EXPECT_EQ(backupFileName(at(1, 2, 2018, 0, 30)), QStringLiteral("backup_01_02_2018_00_30.fdk"));
    EXPECT_EQ(backupFileName(at(31, 12, 2024, 23, 59)), QStringLiteral("backup_31_12_2024_23_59.fdk"));
}

TEST(BackupNames, ASecondBackupInTheSameMinuteGetsANumber) {
    const QDateTime when = at(27, 7, 2018, 14, 5);
    QSet<QString> taken;
    const auto isTaken = [&](const QString& name) { return taken.contains(name); };
    const QString first = freeBackupFileName(when, isTaken);
    taken.insert(first);
    const QString second = freeBackupFileName(when, isTaken);
    taken.insert(second);
    const QString third = freeBackupFileName(when, isTaken);
    EXPECT_EQ(first, QStringLiteral("backup_27_07_2018_14_05.fdk"));
    EXPECT_EQ(second, QStringLiteral("backup_27_07_2018_14_05_2.fdk"));
    EXPECT_EQ(third, QStringLiteral("backup_27_07_2018_14_05_3.fdk"));
}

TEST(BackupNames, RestoredDatabaseReplacesTheExtension) {
    EXPECT_EQ(restoredDatabaseName(QStringLiteral("backup_01_02_2018_09_30.fdk")),
              QStringLiteral("backup_01_02_2018_09_30.fdb"));
    EXPECT_EQ(restoredDatabaseName(QStringLiteral("OLD.FDK")), QStringLiteral("OLD.fdb"));
}

TEST(BackupNames, OnlyBareNamesEndingInFdkMayBeRestored) {
    EXPECT_TRUE(isBareBackupName(QStringLiteral("backup_27_07_2018_14_05.fdk")));
    EXPECT_TRUE(isBareBackupName(QStringLiteral("Копия.FDK")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("../x.fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("..\\x.fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("sub/x.fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("/etc/x.fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("C:x.fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral(".fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("..fdk")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("x.fdb")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral("x.fdk\n")));
    EXPECT_FALSE(isBareBackupName(QStringLiteral(" x.fdk")));
}

TEST(ServerPaths, SeparatorFollowsTheFolder) {
    EXPECT_EQ(joinServerPath(QStringLiteral("/srv/backup"), QStringLiteral("a.fdk")),
              QStringLiteral("/srv/backup/a.fdk"));
    EXPECT_EQ(joinServerPath(QStringLiteral("/srv/backup/"), QStringLiteral("a.fdk")),
              QStringLiteral("/srv/backup/a.fdk"));
    EXPECT_EQ(joinServerPath(QStringLiteral("C:\\Tools\\backup"), QStringLiteral("a.fdk")),
              QStringLiteral("C:\\Tools\\backup\\a.fdk"));
    EXPECT_EQ(joinServerPath(QStringLiteral("C:\\Tools\\backup\\"), QStringLiteral("a.fdk")),
              QStringLiteral("C:\\Tools\\backup\\a.fdk"));
    EXPECT_EQ(joinServerPath(QStringLiteral("D:/db"), QStringLiteral("a.fdk")),
              QStringLiteral("D:/db/a.fdk"));
}

TEST(ServerPaths, DatabaseNameSplitsIntoHostAndPath) {
    const ServerPath remote = splitDatabaseName(QStringLiteral("127.0.0.1:/var/db/base.fdb"));
    EXPECT_EQ(remote.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(remote.path, QStringLiteral("/var/db/base.fdb"));
    const ServerPath windows = splitDatabaseName(QStringLiteral("srv:C:\\db\\base.fdb"));
    EXPECT_EQ(windows.host, QStringLiteral("srv"));
    EXPECT_EQ(windows.path, QStringLiteral("C:\\db\\base.fdb"));
    const ServerPath local = splitDatabaseName(QStringLiteral("C:\\db\\base.fdb"));
    EXPECT_TRUE(local.host.isEmpty());
    EXPECT_EQ(local.path, QStringLiteral("C:\\db\\base.fdb"));
}

TEST(ServerPaths, LocalServerNames) {
    EXPECT_TRUE(isLocalServer(QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(isLocalServer(QStringLiteral(" LocalHost ")));
    EXPECT_TRUE(isLocalServer(QStringLiteral("::1")));
    EXPECT_TRUE(isLocalServer(QSysInfo::machineHostName().toUpper()));
    EXPECT_FALSE(isLocalServer(QStringLiteral("")));
    EXPECT_FALSE(isLocalServer(QStringLiteral("192.0.2.7")));
    EXPECT_TRUE(isLocalServer(QStringLiteral("192.0.2.7"), {QStringLiteral("192.0.2.7")}));
}

TEST(ServerPaths, SameDatabaseAfterNormalising) {
    const ServerPath connected{QStringLiteral("127.0.0.1"), QStringLiteral("/var/db/base.fdb")};
    EXPECT_TRUE(sameDatabase(connected, {QStringLiteral("localhost"), QStringLiteral("/var/db/./base.fdb")}));
    EXPECT_TRUE(
        sameDatabase(connected, {QStringLiteral("127.0.0.1"), QStringLiteral("/var//db/x/../base.fdb")}));
    EXPECT_FALSE(sameDatabase(connected, {QStringLiteral("127.0.0.1"), QStringLiteral("/var/db/Base.fdb")}));
    EXPECT_FALSE(sameDatabase(connected, {QStringLiteral("192.0.2.7"), QStringLiteral("/var/db/base.fdb")}));

    const ServerPath windows{QStringLiteral("srv"), QStringLiteral("C:\\DB\\Base.fdb")};
    EXPECT_TRUE(sameDatabase(windows, {QStringLiteral("SRV"), QStringLiteral("c:/db/base.FDB")}));
    EXPECT_TRUE(sameDatabase(windows, {QStringLiteral("srv."), QStringLiteral("C:\\DB\\old\\..\\Base.fdb")}));
    EXPECT_FALSE(sameDatabase(windows, {QStringLiteral("other"), QStringLiteral("C:\\DB\\Base.fdb")}));
}

TEST(ServerPaths, ALinkToTheConnectedFileIsTheSameDatabase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString real = dir.filePath(QStringLiteral("base.fdb"));
    touch(real);
    const QString link = dir.filePath(QStringLiteral("link.fdb"));
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_TRUE(sameDatabase({QStringLiteral("localhost"), real}, {QStringLiteral("127.0.0.1"), link}));
}

TEST(BackupFolders, CreateDirExMakesEveryMissingLevel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString deep = dir.filePath(QStringLiteral("a/b/c/"));
    EXPECT_TRUE(CreateDirEx(deep));
    EXPECT_TRUE(QDir(deep).exists());
    EXPECT_TRUE(CreateDirEx(deep)); // already there
    EXPECT_FALSE(CreateDirEx(QString()));
    EXPECT_FALSE(CreateDirEx(QStringLiteral("/")));
    const QString file = dir.filePath(QStringLiteral("plain"));
    touch(file);
    EXPECT_FALSE(CreateDirEx(file + QStringLiteral("/sub")));
}

TEST(BackupFolders, FolderMadeForTheServerLetsItsAccountWriteButNotList) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString made = dir.filePath(QStringLiteral("a/b"));
    EXPECT_TRUE(makeServerFolder(made));
    const QFileDevice::Permissions p = QFile::permissions(made);
    EXPECT_TRUE(p & QFileDevice::WriteOther);
    EXPECT_TRUE(p & QFileDevice::ExeOther);
    EXPECT_FALSE(p & QFileDevice::ReadOther);
    // An existing folder keeps its rights.
    const QString existing = dir.filePath(QStringLiteral("mine"));
    ASSERT_TRUE(QDir().mkdir(existing));
    const QFileDevice::Permissions before = QFile::permissions(existing);
    EXPECT_TRUE(makeServerFolder(existing));
    EXPECT_EQ(QFile::permissions(existing), before);
    EXPECT_EQ(explainServerError(QStringLiteral("x: Permission denied"), made, false),
              QStringLiteral("x: Permission denied"));
    EXPECT_TRUE(explainServerError(QStringLiteral("x: Permission denied"), made, true).contains(made));
}

TEST(BackupFolders, DefaultsLieUnderTheCurrentFolder) {
    EXPECT_EQ(defaultBackupFolder(), QDir::currentPath() + QStringLiteral("/backup/"));
    EXPECT_EQ(defaultRestoreFolder(), QDir::currentPath() + QStringLiteral("/restore/"));
}

TEST(BackupFolders, ListShowsEveryFdkFileInNtfsOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"b.fdk", "A.FDK", ".hidden.fdk", "c.Fdk", "x.fdb", "backup_1.fdk", "backupA.fdk",
                             "я.fdk", "Б.fdk", "notes.txt"})
        touch(dir.filePath(QString::fromUtf8(name)));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.fdk")));

    // Upper-cased, '_' (0x5F) sorts after the letters, unlike a lower-cased order.
    const QStringList expected = {QStringLiteral(".hidden.fdk"),  QStringLiteral("A.FDK"),
                                  QStringLiteral("b.fdk"),        QStringLiteral("backupA.fdk"),
                                  QStringLiteral("backup_1.fdk"), QStringLiteral("c.Fdk"),
                                  QStringLiteral("Б.fdk"),        QStringLiteral("я.fdk")};
    EXPECT_EQ(LoadListofBackupFiles(dir.path()), expected);
    EXPECT_EQ(LoadListofBackupFiles(dir.path() + QStringLiteral("/")), expected);
    EXPECT_TRUE(LoadListofBackupFiles(dir.filePath(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(LoadListofBackupFiles(QString()).isEmpty());
}

TEST(RestorePlanning, RefusesBeforeAnythingStarts) {
    RestoreRequest request{QStringLiteral("127.0.0.1"), QStringLiteral("/srv/backup"),
                           QStringLiteral("/srv/restore/"), QString()};
    EXPECT_EQ(planRestore(request, std::nullopt).refusal, kMessageChooseBackup);
    request.chosenName = QStringLiteral("   ");
    EXPECT_EQ(planRestore(request, std::nullopt).refusal, kMessageChooseBackup);
    request.chosenName = QStringLiteral("../x.fdk");
    EXPECT_EQ(planRestore(request, std::nullopt).refusal, kMessageBareBackupName);
    request.chosenName = QStringLiteral("x.fdk");
    request.backupFolder.clear();
    EXPECT_EQ(planRestore(request, std::nullopt).refusal, kMessageNoBackupFolder);
    request.backupFolder = QStringLiteral("/srv/backup");
    request.restoreFolder = QStringLiteral(" ");
    EXPECT_EQ(planRestore(request, std::nullopt).refusal, kMessageNoRestoreFolder);
}

TEST(RestorePlanning, BuildsBothServerPaths) {
    const RestoreRequest request{QStringLiteral("127.0.0.1"), QStringLiteral("/srv/backup"),
                                 QStringLiteral("/srv/restore/"), QStringLiteral(" b_01.fdk ")};
    const RestorePlan plan = planRestore(request, std::nullopt);
    EXPECT_TRUE(plan.refusal.isEmpty()) << plan.refusal.toStdString();
    EXPECT_EQ(plan.backupFile, QStringLiteral("/srv/backup/b_01.fdk"));
    EXPECT_EQ(plan.database, QStringLiteral("/srv/restore/b_01.fdb"));
}

TEST(RestorePlanning, NeverOntoTheConnectedDatabase) {
    const RestoreRequest request{QStringLiteral("localhost"), QStringLiteral("/srv/backup"),
                                 QStringLiteral("/var/db/"), QStringLiteral("base.fdk")};
    const ServerPath connected{QStringLiteral("127.0.0.1"), QStringLiteral("/var/db/base.fdb")};
    const RestorePlan plan = planRestore(request, connected);
    EXPECT_EQ(plan.refusal, kMessageConnectedDatabase.arg(QStringLiteral("/var/db/base.fdb")));
    const ServerPath elsewhere{QStringLiteral("192.0.2.7"), QStringLiteral("/var/db/base.fdb")};
    EXPECT_TRUE(planRestore(request, elsewhere).refusal.isEmpty());
}

TEST(RestorePlanning, OnlyYesReplacesAnExistingTarget) {
    int asked = 0;
    const auto yes = [&] {
        ++asked;
        return true;
    };
    const auto no = [&] {
        ++asked;
        return false;
    };
    EXPECT_EQ(restoreStartFor(false, yes), RestoreStart::CreateOnly);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(restoreStartFor(true, yes), RestoreStart::Replace);
    EXPECT_EQ(restoreStartFor(true, no), RestoreStart::Nothing);
    EXPECT_EQ(restoreStartFor(true, {}), RestoreStart::Nothing);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(replaceQuestion(QStringLiteral("/r/a.fdb")),
              QStringLiteral("Файл /r/a.fdb уже существует. Заменить?"));
}
