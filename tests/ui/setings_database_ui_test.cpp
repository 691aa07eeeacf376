#include "FakeDialogs.h"
#include "FakeSetingsHost.h"
#include "TypeText.h"
#include "app/Connection.h"
#include "app/Ini.h"
#include "app/Variable.h"
#include "db/TableUserDB.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"
#include "ui/SignIn.h"
#include "ui/unSetings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using testsupport::countRows;
using testsupport::execWrite;
using testsupport::readRows;

namespace {

constexpr int kAdmin = 1; // the schema's first user, "admin" with "kestu"

class SettingsOnADatabase : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        gperID_USER_DB = kAdmin;
        gperNeedToRestartProgramm.clear();
        // Petrov's row must never change through admin's window.
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров', '%1')")
                      .arg(encode_string(QStringLiteral("petrov1"))));
    }

    void TearDown() override {
        delete window.data();
        other.reset();
        setConfigFolder(QString());
        gperID_USER_DB = 0;
        gperNeedToRestartProgramm.clear();
        SchemaDatabase::TearDown();
    }

    TfmSetings& open() {
        window = TfmSetings::showSettings(host, dialogs);
        return *window;
    }

    template <typename T> T* control(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void typeInto(const char* name, const QString& value) {
        auto* edit = control<QLineEdit>(name);
        edit->clear();
        typeText(edit, value);
    }

    void click(const char* name) {
        auto* widget = control<QWidget>(name);
        auto* pages = control<QTabWidget>("PageControl1");
        for (QWidget* w = widget; w; w = w->parentWidget()) {
            if (pages->indexOf(w) >= 0)
                pages->setCurrentWidget(w);
        }
        // A check box or radio button reacts on its indicator and text, not on the
        // empty space a layout may give it.
        const bool indicator = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
        QTest::mouseClick(widget, Qt::LeftButton, {}, indicator ? QPoint(6, widget->height() / 2) : QPoint());
    }

    void fillConnection(const QString& path,
                        const QString& password = QString::fromLatin1(kSysdbaDefaultPassword)) {
        typeInto("Edit1", path);
        typeInto("Edit2", QStringLiteral("SYSDBA"));
        typeInto("Edit3", password);
        typeInto("Edit4", QStringLiteral("127.0.0.1"));
    }

    // The sign-in window's own check against the user's row as stored now.
    bool signsIn(const QString& fio, const QString& typed) {
        auto rows = select_data_of_table_USER_DB();
        for (; !rows->eof(); rows->next()) {
            const type_USER_DB user{rows->fieldByName(QStringLiteral("ID")).asInteger(),
                                    rows->fieldByName(QStringLiteral("FIO")).asString().trimmed(),
                                    rows->fieldByName(QStringLiteral("PASS")).asString().trimmed()};
            if (user.FIO == fio)
                return passwordMatches(typed, user);
        }
        return false;
    }

    QString storedPassOf(const QString& fio) {
        auto row = readRows(QStringLiteral("select PASS from USER_DB where FIO = '%1'").arg(fio));
        return row->eof() ? QStringLiteral("<no row>") : row->field(0).asString();
    }

    void changePassword(const QString& old, const QString& fresh, const QString& again) {
        typeInto("Edit7", old);
        typeInto("Edit8", fresh);
        typeInto("Edit9", again);
        click("BitBtn4");
    }

    RunDatabase& otherCopy() {
        if (!other)
            other = testsupport::connectAnother(dbPath);
        return *other;
    }

    void inOtherCopy(const QString& sql) {
        fb::Query query(otherCopy().IBDatabase1, otherCopy().IBTransaction2);
        query.setSql(sql);
        query.execSql();
        otherCopy().IBTransaction2.commit();
    }

    static void processDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir configDir;
    FakeSetingsHost host;
    FakeDialogs dialogs;
    QPointer<TfmSetings> window;
    std::unique_ptr<RunDatabase> other;
};

// --- "Подключиться" ---------------------------------------------------------------------

TEST_F(SettingsOnADatabase, ConnectWithGoodFieldsSavesThemAndLeavesTheRunsConnectionAlone) {
    const type_StuctureIniFile before = ConfIniFile;
    open();
    fillConnection(dbPath);
    click("BitBtn2");
    EXPECT_EQ(control<QLabel>("Label5")->text(), QStringLiteral("Подключено"));
    EXPECT_TRUE(control<QLabel>("Label5")->toolTip().isEmpty());
    EXPECT_TRUE(gperNeedToRestartProgramm.isEmpty());
    EXPECT_EQ(host.restartRequests, 0);
    EXPECT_EQ(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH")), dbPath);

    // Still the same attachment, and it still works.
    EXPECT_TRUE(db.IBDatabase1.connected());
    EXPECT_EQ(ConfIniFile.PatchToBasse, before.PatchToBasse);
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 2);
    execWrite(QStringLiteral("update USER_DB set FIO = 'admin' where ID = 1"));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsOnADatabase, ConnectToAnotherDatabaseAsksForARestartInstead) {
    testsupport::ServerFolder elsewhere;
    const QString otherPath = elsewhere.file(QStringLiteral("other.fdb"));
    CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), otherPath);
    open();
    fillConnection(otherPath);
    click("BitBtn2");
    EXPECT_EQ(control<QLabel>("Label5")->text(), QStringLiteral("Подключено"));
    EXPECT_EQ(control<QLabel>("Label5")->toolTip(), kStatusRestartNeeded);
    EXPECT_EQ(gperNeedToRestartProgramm, kStatusRestartNeeded);
    EXPECT_EQ(host.restartRequests, 1);
    EXPECT_EQ(db.IBDatabase1.databaseName(), QStringLiteral("127.0.0.1:") + dbPath);
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 2);
}

TEST_F(SettingsOnADatabase, ConnectWithBadFieldsShowsErrorWithTheReasonAsTooltip) {
    open();
    fillConnection(dbPath, QStringLiteral("wrong password"));
    click("BitBtn2");
    EXPECT_EQ(control<QLabel>("Label5")->text(), QStringLiteral("Ошибка"));
    EXPECT_FALSE(control<QLabel>("Label5")->toolTip().isEmpty());
    fillConnection(folder.file(QStringLiteral("missing.fdb")));
    click("BitBtn2");
    EXPECT_EQ(control<QLabel>("Label5")->text(), QStringLiteral("Ошибка"));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(db.IBDatabase1.connected());
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 2);
}

// --- "Создание пользователей" ------------------------------------------------------------

TEST_F(SettingsOnADatabase, NewUserSignsInWithItsPasswordAndTheFieldsAreCleared) {
    open();
    typeInto("Edit6", QStringLiteral("Сидорова Анна"));
    typeInto("Edit5", QStringLiteral("Пароль12"));
    click("Button2");
    EXPECT_TRUE(dialogs.infos.isEmpty()) << dialogs.infos.join(' ').toStdString();
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 3);
    EXPECT_TRUE(signsIn(QStringLiteral("Сидорова Анна"), QStringLiteral("Пароль12")));
    EXPECT_FALSE(signsIn(QStringLiteral("Сидорова Анна"), QStringLiteral("пароль12")));
    EXPECT_TRUE(control<QLineEdit>("Edit6")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("Edit5")->text().isEmpty());
}

TEST_F(SettingsOnADatabase, NewUserWithEmptyPasswordIsStoredAsNullAndSignsInWithAnEmptyField) {
    open();
    typeInto("Edit6", QStringLiteral("Гость"));
    click("Button2");
    EXPECT_TRUE(readRows(QStringLiteral("select PASS from USER_DB where FIO = 'Гость'"))->field(0).isNull());
    EXPECT_TRUE(signsIn(QStringLiteral("Гость"), QString()));
}

TEST_F(SettingsOnADatabase, BlankAndRepeatedNamesAreRefused) {
    open();
    for (const QString& name : {QStringLiteral("   "), QStringLiteral(" ADMIN "), QStringLiteral("петров")}) {
        dialogs.infos.clear();
        typeInto("Edit6", name);
        typeInto("Edit5", QStringLiteral("x"));
        click("Button2");
        EXPECT_EQ(dialogs.infos.size(), 1) << name.toStdString();
        EXPECT_EQ(control<QLineEdit>("Edit6")->text(), name); // kept for correcting
    }
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 2);
}

TEST_F(SettingsOnADatabase, NewUsersPasswordTheDatabaseCouldNotGiveBackIsRefused) {
    open();
    for (const QString& password :
         {QStringLiteral("&abc"), QStringLiteral("abc&"), QStringLiteral("ключ✓")}) {
        typeInto("Edit6", QStringLiteral("Новый"));
        typeInto("Edit5", password);
        click("Button2");
    }
    EXPECT_EQ(dialogs.infos.size(), 3);
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 2);
}

// --- "Смена пароля" --------------------------------------------------------------------------

TEST_F(SettingsOnADatabase, PasswordChangeSignsInWithTheNewOneOnlyAndClosesTheWindow) {
    const QString petrovBefore = storedPassOf(QStringLiteral("Петров"));
    open();
    changePassword(QStringLiteral("kestu"), QStringLiteral("Новый1"), QStringLiteral("Новый1"));
    EXPECT_EQ(dialogs.infos, QStringList{kPasswordChanged});
    EXPECT_TRUE(signsIn(QStringLiteral("admin"), QStringLiteral("Новый1")));
    EXPECT_FALSE(signsIn(QStringLiteral("admin"), QStringLiteral("kestu")));
    EXPECT_EQ(storedPassOf(QStringLiteral("Петров")), petrovBefore);
    processDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(SettingsOnADatabase, OldPasswordIsComparedAsTypedAndChecksRunInOrder) {
    open();
    changePassword(QStringLiteral("kestu "), QStringLiteral("a"), QStringLiteral("b"));
    changePassword(QStringLiteral("kestu"), QStringLiteral("Secret"), QStringLiteral("secret"));
    EXPECT_EQ(dialogs.infos, (QStringList{kWrongOldPassword, kPasswordsDiffer}));
    EXPECT_TRUE(signsIn(QStringLiteral("admin"), QStringLiteral("kestu")));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsOnADatabase, EmptyNewPasswordTypedTwiceStoresNullAndSignsInWithAnEmptyField) {
    open();
    changePassword(QStringLiteral("kestu"), QString(), QString());
    EXPECT_EQ(dialogs.infos, QStringList{kPasswordChanged});
    EXPECT_TRUE(readRows(QStringLiteral("select PASS from USER_DB where ID = 1"))->field(0).isNull());
    EXPECT_TRUE(signsIn(QStringLiteral("admin"), QString()));
    open();
    changePassword(QString(), QStringLiteral("back"), QStringLiteral("back"));
    EXPECT_TRUE(signsIn(QStringLiteral("admin"), QStringLiteral("back")));
}

TEST_F(SettingsOnADatabase, NewPasswordFieldsTakeAtMostTenCharacters) {
    open();
    changePassword(QStringLiteral("kestu"), QStringLiteral("12345678901"), QStringLiteral("12345678901"));
    EXPECT_EQ(control<QLineEdit>("Edit8")->text(), QStringLiteral("1234567890"));
    EXPECT_EQ(dialogs.infos, QStringList{kPasswordChanged});
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(signsIn(QStringLiteral("admin"), QStringLiteral("1234567890")));
}

TEST_F(SettingsOnADatabase, NewPasswordTheDatabaseCouldNotGiveBackIsRefused) {
    open();
    changePassword(QStringLiteral("kestu"), QStringLiteral("&new"), QStringLiteral("&new"));
    ASSERT_EQ(dialogs.infos.size(), 1);
    EXPECT_TRUE(dialogs.infos.first().contains(QStringLiteral("«&»")));
    EXPECT_TRUE(signsIn(QStringLiteral("admin"), QStringLiteral("kestu")));
}

TEST_F(SettingsOnADatabase, UserDeletedByAnotherCopyIsNotFoundAndNothingReportsSuccess) {
    open();
    inOtherCopy(QStringLiteral("delete from USER_DB where ID = 1"));
    changePassword(QString(), QStringLiteral("x"), QStringLiteral("x"));
    EXPECT_EQ(dialogs.infos, QStringList{kUserNotFound});
    EXPECT_EQ(countRows(QStringLiteral("USER_DB")), 1);
    EXPECT_TRUE(window->isVisible());
}

} // namespace
