#include "FakeDialogs.h"
#include "app/Connection.h"
#include "db/Backup.h"
#include "fb/Error.h"
#include "support/TestDatabase.h"
#include "ui/BackupProgressPanel.h"
#include "ui/BackupRestoreActions.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

using testsupport::FreshDatabase;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void openToAll(const QString& folder) {
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther |
                                      QFileDevice::ExeOther);
}

// Stands in for the settings tab: two buttons to disable and the panel.
class Tab : public QWidget {
public:
    Tab() {
        auto* layout = new QVBoxLayout(this);
        BtnBackup = new QPushButton(QStringLiteral("Сделать бэкап"), this);
        BtnRestore = new QPushButton(QStringLiteral("Востановить из бэкапа"), this);
        ComboSelectBackupFile = new QComboBox(this);
        ComboSelectBackupFile->setEditable(true);
        panel = new BackupProgressPanel(this);
        layout->addWidget(BtnBackup);
        layout->addWidget(BtnRestore);
        layout->addWidget(ComboSelectBackupFile);
        layout->addWidget(panel);
    }
    QPushButton* BtnBackup;
    QPushButton* BtnRestore;
    QComboBox* ComboSelectBackupFile;
    BackupProgressPanel* panel;
};

class BackupTab : public FreshDatabase {
protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        if (HasFatalFailure())
            return;
        testsupport::execUnchecked(QStringLiteral("create table T (ID integer, NAME varchar(30))"));
        testsupport::execWrite(QStringLiteral("insert into T values (1, 'Записка')"));
        values.host = QStringLiteral("127.0.0.1");
        values.user = QStringLiteral("SYSDBA");
        values.password = QString::fromLatin1(kSysdbaDefaultPassword);
        values.database = dbPath;
        values.backupFolder = folder.file(QStringLiteral("backup"));
        values.restoreFolder = folder.file(QStringLiteral("restore/"));
        // The program makes missing folders itself; the server must be able to write them.
        CreateDirEx(values.backupFolder);
        CreateDirEx(values.restoreFolder);
        openToAll(values.backupFolder);
        openToAll(values.restoreFolder);
        tab = std::make_unique<Tab>();
        tab->show();
        actions = new BackupRestoreActions(tab.get(), dialogs, tab->panel);
        actions->setControlsToDisable({tab->BtnBackup, tab->BtnRestore});
    }

    void TearDown() override {
        tab.reset();
        FreshDatabase::TearDown();
    }

    bool waitUntilIdle() {
        return QTest::qWaitFor([&] { return !actions->busy(); }, 120000);
    }

    QString makeBackup() {
        QSignalSpy made(actions, &BackupRestoreActions::backupMade);
        actions->backup(values);
        EXPECT_TRUE(waitUntilIdle());
        EXPECT_EQ(made.size(), 1) << dialogs.errors.join(u'\n').toStdString();
        return made.isEmpty() ? QString() : made.at(0).at(0).toString();
    }

    int rowsIn(const QString& database) {
        auto other = testsupport::connectAnother(database);
        fb::Query q(other->IBDatabase1, other->IBTransaction1);
        q.setSql(QStringLiteral("select count(*) from T"));
        q.open();
        return q.field(0).asInteger();
    }

    FakeDialogs dialogs;
    BackupTabValues values;
    std::unique_ptr<Tab> tab;
    BackupRestoreActions* actions = nullptr;
};

} // namespace

TEST_F(BackupTab, BackupShowsItsLinesDisablesTheButtonsAndReportsTheFile) {
    QSignalSpy busy(actions, &BackupRestoreActions::busyChanged);
    actions->backup(values);
    EXPECT_TRUE(actions->busy());
    EXPECT_FALSE(tab->BtnBackup->isEnabled());
    EXPECT_FALSE(tab->BtnRestore->isEnabled());
    EXPECT_TRUE(tab->panel->running());
    EXPECT_TRUE(tab->panel->findChild<QWidget*>(QStringLiteral("BackupProgressNote"))->isVisible());
    EXPECT_EQ(tab->panel->findChildren<QPushButton*>().size(), 0); // no Cancel

    // The window does not close while the job runs.
    tab->close();
    EXPECT_TRUE(tab->isVisible());

    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(tab->BtnBackup->isEnabled());
    EXPECT_TRUE(tab->BtnRestore->isEnabled());
    EXPECT_EQ(busy.size(), 2);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    const QStringList names = LoadListofBackupFiles(values.backupFolder);
    ASSERT_EQ(names.size(), 1);
    const QString file = joinServerPath(values.backupFolder, names.at(0));
    EXPECT_EQ(tab->panel->result(), QStringLiteral("Бэкап создан: ") + file);
    EXPECT_FALSE(tab->panel->lines().isEmpty());

    BackupRestoreActions::LoadListofBackupFiles(tab->ComboSelectBackupFile, values.backupFolder, values.host);
    EXPECT_EQ(tab->ComboSelectBackupFile->count(), 1);
    EXPECT_EQ(tab->ComboSelectBackupFile->currentIndex(), -1);
    EXPECT_TRUE(tab->ComboSelectBackupFile->currentText().isEmpty());
}

TEST_F(BackupTab, TwoBackupsInTheSameMinuteKeepBoth) {
    const QDateTime minute(QDate(2018, 7, 27), QTime(14, 5));
    actions->setClock([&] { return minute; });
    const QString first = makeBackup();
    const QString second = makeBackup();
    EXPECT_TRUE(first.endsWith(QStringLiteral("/backup_27_07_2018_14_05.fdk")));
    EXPECT_TRUE(second.endsWith(QStringLiteral("/backup_27_07_2018_14_05_2.fdk")));
    EXPECT_EQ(LoadListofBackupFiles(values.backupFolder).size(), 2);
}

TEST_F(BackupTab, ServerErrorsAreShownAndNoSuccess) {
    values.password = QStringLiteral("wrong");
    actions->backup(values);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(tab->panel->result(), dialogs.errors.at(0));
    EXPECT_FALSE(tab->panel->result().startsWith(QStringLiteral("Бэкап создан")));

    values.password = QString::fromLatin1(kSysdbaDefaultPassword);
    values.backupFolder = folder.file(QStringLiteral("closed"));
    CreateDirEx(values.backupFolder);
    QFile::setPermissions(values.backupFolder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    actions->backup(values);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors.at(1).contains(values.backupFolder)) << dialogs.errors.at(1).toStdString();
    EXPECT_TRUE(dialogs.errors.at(1).contains(QStringLiteral("право записи")))
        << dialogs.errors.at(1).toStdString();
}

TEST_F(BackupTab, AFolderTheProgramMakesTakesTheServersFiles) {
    // The server runs under its own account; a folder made with our defaults would refuse it.
    values.backupFolder = folder.file(QStringLiteral("new/backup/"));
    const QString made = makeBackup();
    EXPECT_TRUE(QFile::exists(made)) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_EQ(LoadListofBackupFiles(values.backupFolder).size(), 1);
}

TEST_F(BackupTab, MissingFieldsAreRefusedWithAMessage) {
    BackupTabValues noHost = values;
    noHost.host = QStringLiteral("  ");
    actions->backup(noHost);
    actions->restore(noHost);
    EXPECT_EQ(dialogs.errors, QStringList(2, QStringLiteral("Укажите IP адрес сервера")));
    EXPECT_FALSE(actions->busy());

    for (const QString& choice : {QString(), QStringLiteral("../x.fdk"), QStringLiteral("/etc/x.fdk")}) {
        dialogs.errors.clear();
        values.chosenBackup = choice;
        actions->restore(values);
        EXPECT_FALSE(actions->busy());
        ASSERT_EQ(dialogs.errors.size(), 1);
        EXPECT_EQ(dialogs.errors.at(0), choice.isEmpty() ? kMessageChooseBackup : kMessageBareBackupName);
    }
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("x.fdb"))));
}

TEST_F(BackupTab, TheConnectedDatabaseIsNeverRestoredOnto) {
    const QFileInfo info(dbPath);
    values.restoreFolder = info.path();
    values.chosenBackup = info.completeBaseName() + QStringLiteral(".fdk");
    actions->restore(values);
    EXPECT_FALSE(actions->busy());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.at(0).startsWith(QStringLiteral("Нельзя восстанавливать")));
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(testsupport::countRows(QStringLiteral("T")), 1);
}

TEST_F(BackupTab, RestoreMakesANewDatabaseFromTheChosenBackup) {
    values.chosenBackup = QFileInfo(makeBackup()).fileName();
    QSignalSpy restored(actions, &BackupRestoreActions::restored);
    actions->restore(values);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(restored.size(), 1) << dialogs.errors.join(u'\n').toStdString();
    const QString target = joinServerPath(values.restoreFolder, restoredDatabaseName(values.chosenBackup));
    EXPECT_EQ(restored.at(0).at(0).toString(), target);
    EXPECT_EQ(tab->panel->result(), QStringLiteral("База восстановлена: ") + target);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(rowsIn(target), 1);
}

TEST_F(BackupTab, ExistingTargetNoKeepsItsBytesAndStartsNothing) {
    values.chosenBackup = QFileInfo(makeBackup()).fileName();
    const QString target = joinServerPath(values.restoreFolder, restoredDatabaseName(values.chosenBackup));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("someone's database");
    }
    dialogs.answers = {Dialogs::Answer::No};
    QSignalSpy busy(actions, &BackupRestoreActions::busyChanged);
    actions->restore(values);
    EXPECT_EQ(dialogs.questions,
              QStringList{QStringLiteral("Файл %1 уже существует. Заменить?").arg(target)});
    EXPECT_FALSE(actions->busy());
    EXPECT_TRUE(busy.isEmpty());
    EXPECT_EQ(fileBytes(target), QByteArray("someone's database"));

    // Closing the question box is no Yes either.
    actions->restore(values);
    EXPECT_FALSE(actions->busy());
    EXPECT_EQ(fileBytes(target), QByteArray("someone's database"));
}

TEST_F(BackupTab, ExistingTargetYesReplacesIt) {
    values.chosenBackup = QFileInfo(makeBackup()).fileName();
    const QString target = joinServerPath(values.restoreFolder, restoredDatabaseName(values.chosenBackup));
    actions->restore(values);
    ASSERT_TRUE(waitUntilIdle());
    testsupport::execWrite(QStringLiteral("insert into T values (2, 'позже')"));
    auto other = testsupport::connectAnother(target);
    {
        fb::Query q(other->IBDatabase1, other->IBTransaction2);
        q.setSql(QStringLiteral("delete from T"));
        q.execSql();
        other->IBTransaction2.commit();
    }
    other->IBDatabase1.close();
    ASSERT_EQ(rowsIn(target), 0);

    dialogs.answers = {Dialogs::Answer::Yes};
    actions->restore(values);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_EQ(rowsIn(target), 1); // the backup's row, not the later one
}

TEST_F(BackupTab, OnAnotherServerItsRefusalToCreateAsksTheQuestion) {
    actions->setServerIsThisMachine([](const QString&) { return false; });
    values.chosenBackup = QFileInfo(makeBackup()).fileName();
    const QString target = joinServerPath(values.restoreFolder, restoredDatabaseName(values.chosenBackup));
    actions->restore(values);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(rowsIn(target), 1);

    dialogs.answers = {Dialogs::Answer::No};
    actions->restore(values);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(dialogs.questions, QStringList{replaceQuestion(target)});
    EXPECT_TRUE(dialogs.errors.isEmpty()); // the refusal was the question, not an error box
    EXPECT_EQ(rowsIn(target), 1);

    dialogs.answers = {Dialogs::Answer::Yes};
    QSignalSpy restored(actions, &BackupRestoreActions::restored);
    actions->restore(values);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !restored.isEmpty(); }, 120000));
    EXPECT_EQ(dialogs.questions.size(), 2);
}

TEST_F(BackupTab, ClosingTheWindowMidRestoreWaitsForItsThreadOnly) {
    values.chosenBackup = QFileInfo(makeBackup()).fileName();
    actions->restore(values);
    ASSERT_TRUE(actions->busy());
    // Once the server has begun, the program quits: reading stops, our thread is joined.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tab->panel->lines().isEmpty(); }, 60000));
    tab.reset();
    actions = nullptr;
    const QString target = joinServerPath(values.restoreFolder, restoredDatabaseName(values.chosenBackup));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            try {
                return rowsIn(target) == 1;
            } catch (const fb::Error&) {
                return false;
            }
        },
        60000));
}
