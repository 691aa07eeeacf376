#include "FakeDialogs.h"
#include "app/Connection.h"
#include "app/Ini.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "db/TableUserDB.h"
#include "fb/Query.h"
#include "support/TestDatabase.h"
#include "ui/SignIn.h"
#include "ui/unConnectToBase.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using testsupport::ServerFolder;

namespace {

// Counts how often a widget was shown.
class ShowCounter : public QObject {
public:
    int shows = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

class SignInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        mas_USER_DB.clear();
        gperID_USER_DB = 0;
    }

    void TearDown() override {
        delete fmGeneral;
        window.reset();
        setConfigFolder(QString());
        mas_USER_DB.clear();
        gperID_USER_DB = 0;
    }

    // A new window, as the program makes it at start; shown unless it signed in.
    TfmConnectToBase& startWindow(bool showUnlessSignedIn = true) {
        delete fmGeneral;
        window.reset();
        window = std::make_unique<TfmConnectToBase>(dialogs);
        showCounter.shows = 0;
        window->installEventFilter(&showCounter);
        window->start();
        if (showUnlessSignedIn && !window->signedIn())
            window->show();
        return *window;
    }

    template <typename T> T* control(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Brings the control's tab to the front, as a user would, and clicks it.
    void click(const char* name) {
        auto* widget = control<QWidget>(name);
        auto* pages = control<QTabWidget>("PageControl1");
        for (QWidget* w = widget; w; w = w->parentWidget()) {
            if (pages->indexOf(w) >= 0)
                pages->setCurrentWidget(w);
        }
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    void typeInto(const char* name, const QString& text) {
        auto* edit = control<QLineEdit>(name);
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    QString text(const char* name) {
        if (auto* edit = window->findChild<QLineEdit*>(QLatin1String(name)))
            return edit->text();
        return control<QLabel>(name)->text();
    }

    bool checked(const char* name) { return control<QCheckBox>(name)->isChecked(); }

    void setChecked(const char* name, bool on) {
        if (checked(name) != on)
            click(name);
    }

    // Creates a database through the window's "Создать" and "Подключиться".
    void createDatabase(const QString& path, bool autoConnect = false) {
        typeInto("Edit5", path);
        setChecked("CheckBox3", true);
        setChecked("CheckBox2", autoConnect);
        click("BitBtn2");
    }

    void signIn(const QString& password, bool remember = false) {
        setChecked("CheckBox1", remember);
        typeInto("Edit1", password);
        click("BitBtn1");
    }

    // A database with its schema, created by a first run of the window that signed
    // in once with automatic connection and sign-in remembered; the window is gone.
    QString rememberedDatabase() {
        const QString path = folder.file(QStringLiteral("base.fdb"));
        startWindow();
        createDatabase(path, true);
        signIn(QStringLiteral("kestu"), true);
        EXPECT_NE(fmGeneral, nullptr);
        delete fmGeneral;
        window.reset();
        return path;
    }

    // Sets VER_DB from a second attachment, as another copy of the program could.
    static void setSchemaVersion(const QString& path, int version) {
        auto other = testsupport::connectAnother(path);
        testsupport::execUnchecked(*other,
                                   QStringLiteral("update DATA_PROGRAMM set VER_DB = %1").arg(version));
    }

    QTemporaryDir configDir;
    ServerFolder folder;
    FakeDialogs dialogs;
    ShowCounter showCounter;
    std::unique_ptr<TfmConnectToBase> window;
};

// --- without a database ---------------------------------------------------------

TEST_F(SignInWindow, FirstStartWithoutConfigShowsEmptyFieldsAndConnectsNothing) {
    startWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vestibar"));
    EXPECT_EQ(control<QTabWidget>("PageControl1")->currentWidget(), control<QWidget>("TabSheet2"));
    for (const char* name : {"Edit5", "Edit2", "Edit3", "Edit4"})
        EXPECT_TRUE(text(name).isEmpty()) << name;
    EXPECT_FALSE(checked("CheckBox2"));
    EXPECT_FALSE(checked("CheckBox3"));
    EXPECT_FALSE(window->database().IBDatabase1.connected());
    EXPECT_EQ(control<QComboBox>("ComboBox1")->count(), 0);
    EXPECT_FALSE(QFile::exists(configFilePath()));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SignInWindow, ClosingTheWindowClearsOnlyItsOwnRunDatabase) {
    startWindow();
    RunDatabase& own = window->database();
    EXPECT_EQ(currentRunDatabase(), &own);
    RunDatabase another;
    setRunDatabase(&another);
    window.reset();
    EXPECT_EQ(currentRunDatabase(), &another) << "the window cleared a database not its own";

    startWindow();
    window.reset();
    EXPECT_EQ(currentRunDatabase(), nullptr);
}

TEST_F(SignInWindow, ControlsCarryTheirCaptions) {
    startWindow();
    auto* pages = control<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabText(pages->indexOf(control<QWidget>("TabSheet1"))), QStringLiteral("Вход"));
    EXPECT_EQ(pages->tabText(pages->indexOf(control<QWidget>("TabSheet2"))), QStringLiteral("База"));
    EXPECT_EQ(control<QPushButton>("BitBtn1")->text(), QStringLiteral("Войти"));
    EXPECT_EQ(control<QPushButton>("BitBtn2")->text(), QStringLiteral("Подключиться"));
    EXPECT_EQ(control<QPushButton>("Button1")->text(), QStringLiteral("..."));
    EXPECT_EQ(control<QCheckBox>("CheckBox1")->text(), QStringLiteral("Автовход"));
    EXPECT_EQ(control<QCheckBox>("CheckBox2")->text(), QStringLiteral("Автоподключение"));
    EXPECT_EQ(control<QCheckBox>("CheckBox3")->text(), QStringLiteral("Создать"));
    EXPECT_EQ(control<QCheckBox>("CheckBox4")->text(), QStringLiteral("Скрыть"));
    EXPECT_EQ(text("Label5"), QStringLiteral("Статус"));
    EXPECT_EQ(text("Label6"), QStringLiteral("Статус"));
    EXPECT_EQ(control<QComboBox>("ComboBox1")->lineEdit()->placeholderText(),
              QStringLiteral("Выберите пользователя"));
    EXPECT_EQ(control<QLineEdit>("Edit1")->echoMode(), QLineEdit::Password);
}

TEST_F(SignInWindow, CreateBoxFillsAdministratorDefaultsOnTickAndOnUntick) {
    startWindow();
    typeInto("Edit2", QStringLiteral("someone"));
    click("CheckBox3");
    EXPECT_TRUE(checked("CheckBox3"));
    EXPECT_EQ(text("Edit2"), QStringLiteral("SYSDBA"));
    EXPECT_EQ(text("Edit3"), QStringLiteral("quillfern"));
    EXPECT_EQ(text("Edit4"), QStringLiteral("127.0.0.1"));

    typeInto("Edit2", QStringLiteral("someone"));
    typeInto("Edit3", QStringLiteral("secret"));
    typeInto("Edit4", QStringLiteral("db.example"));
    click("CheckBox3");
    EXPECT_FALSE(checked("CheckBox3"));
    EXPECT_EQ(text("Edit2"), QStringLiteral("SYSDBA"));
    EXPECT_EQ(text("Edit3"), QStringLiteral("quillfern"));
    EXPECT_EQ(text("Edit4"), QStringLiteral("127.0.0.1"));
}

TEST_F(SignInWindow, HideBoxMasksTheDatabasePassword) {
    startWindow();
    EXPECT_EQ(control<QLineEdit>("Edit3")->echoMode(), QLineEdit::Normal);
    click("CheckBox4");
    EXPECT_EQ(control<QLineEdit>("Edit3")->echoMode(), QLineEdit::Password);
    click("CheckBox4");
    EXPECT_EQ(control<QLineEdit>("Edit3")->echoMode(), QLineEdit::Normal);
}

TEST_F(SignInWindow, BrowseButtonPutsTheChosenFileIntoThePathAndCancelKeepsIt) {
    startWindow();
    typeInto("Edit5", QStringLiteral("/old/path.fdb"));
    click("Button1"); // cancelled
    EXPECT_EQ(text("Edit5"), QStringLiteral("/old/path.fdb"));
    dialogs.nextFileName = QStringLiteral("/srv/db/chosen.fdb");
    click("Button1");
    EXPECT_EQ(text("Edit5"), QStringLiteral("/srv/db/chosen.fdb"));
}

TEST_F(SignInWindow, SignInWithoutUserListRefusesInsteadOfReadingAMissingEntry) {
    startWindow();
    signIn(QString());
    EXPECT_EQ(text("Label6"), kStatusChooseUser);
    EXPECT_EQ(fmGeneral, nullptr);
    EXPECT_FALSE(window->signedIn());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SignInWindow, UserBoxTextStopsAtFiftyWhileBackspaceStillWorks) {
    startWindow();
    QLineEdit* edit = control<QComboBox>("ComboBox1")->lineEdit();
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("TabSheet1"));
    QTest::keyClicks(edit, QString(60, QLatin1Char('a')));
    EXPECT_EQ(edit->text().size(), 50);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text().size(), 49);
}

TEST_F(SignInWindow, FailedAutomaticConnectionShowsTheErrorAndLeavesTheWindowOpen) {
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), folder.file(QStringLiteral("none.fdb")));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN"), QStringLiteral("SYSDBA"));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS"), QStringLiteral("quillfern"));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    Write_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT"), true);
    Write_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN"), true);

    startWindow();
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_FALSE(window->database().IBDatabase1.connected());
    EXPECT_FALSE(window->signedIn());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text("Edit5"), folder.file(QStringLiteral("none.fdb")));
    EXPECT_TRUE(checked("CheckBox2"));
}

// --- key-press filter --------------------------------------------------------------

TEST(InputString, DropsPrintableKeysAtTheLimitOfEditComboAndMemo) {
    QLineEdit edit(QString(50, QLatin1Char('x')));
    EXPECT_EQ(input_string(&edit, QLatin1Char('a'), 50), QChar());
    edit.setText(QString(49, QLatin1Char('x')));
    EXPECT_EQ(input_string(&edit, QLatin1Char('a'), 50), QLatin1Char('a'));

    QComboBox combo;
    combo.setEditable(true);
    combo.setEditText(QStringLiteral("abc"));
    EXPECT_EQ(input_string(&combo, QChar(0x0416), 3), QChar());
    EXPECT_EQ(input_string(&combo, QChar(0x0416), 4), QChar(0x0416));

    QTextEdit memo(QStringLiteral("12345"));
    EXPECT_EQ(input_string(&memo, QLatin1Char('6'), 5), QChar());
    EXPECT_EQ(input_string(&memo, QLatin1Char('6'), 6), QLatin1Char('6'));
}

TEST(InputString, BackspaceAndEditingKeysPassAtTheLimit) {
    QLineEdit edit(QString(50, QLatin1Char('x')));
    EXPECT_EQ(input_string(&edit, QChar(0x08), 50), QChar(0x08));
    EXPECT_EQ(input_string(&edit, QChar(0x7f), 50), QChar(0x7f));
    EXPECT_EQ(input_string(&edit, QChar(0x16), 50), QChar(0x16)); // Ctrl+V
}

// --- with a database ------------------------------------------------------------------

TEST_F(SignInWindow, CreatingAtAPathWithoutExtensionMakesAnFdbWithSchemaAndTheFirstUser) {
    startWindow();
    const QString typed = folder.file(QStringLiteral("base"));
    const QString expected = folder.file(QStringLiteral("base.fdb"));
    createDatabase(typed);

    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_EQ(text("Edit5"), expected);
    EXPECT_EQ(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH")), expected);
    EXPECT_EQ(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN")), QStringLiteral("SYSDBA"));
    EXPECT_EQ(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("IP")), QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(Read_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT")));
    EXPECT_EQ(text("Label5"), kStatusConnected);
    EXPECT_EQ(RequestVersionDataBase(), kCurrentVersionDataBase);

    auto* users = control<QComboBox>("ComboBox1");
    ASSERT_EQ(users->count(), 1);
    EXPECT_EQ(users->itemText(0), QStringLiteral("admin"));
    ASSERT_EQ(mas_USER_DB.size(), 2);
    EXPECT_EQ(mas_USER_DB[1].ID, 0);

    signIn(QStringLiteral(" kestu "));
    ASSERT_NE(fmGeneral, nullptr);
    EXPECT_TRUE(fmGeneral->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->signedIn());
    EXPECT_EQ(gperID_USER_DB, 1);
    EXPECT_TRUE(dialogs.questions.isEmpty()); // version 16 asks nothing
    EXPECT_FALSE(Read_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN")));
}

TEST_F(SignInWindow, WrongPasswordShowsStatusAndKeepsTheWindow) {
    startWindow();
    createDatabase(folder.file(QStringLiteral("base")));
    signIn(QStringLiteral("KESTU"));
    EXPECT_EQ(text("Label6"), kStatusWrongPassword);
    EXPECT_EQ(text("Edit1"), QStringLiteral("KESTU"));
    EXPECT_EQ(fmGeneral, nullptr);
    EXPECT_TRUE(window->isVisible());
    // Any number of attempts.
    signIn(QStringLiteral("kestu"));
    EXPECT_NE(fmGeneral, nullptr);
}

TEST_F(SignInWindow, EnterInThePasswordFieldSignsIn) {
    startWindow();
    createDatabase(folder.file(QStringLiteral("base")));
    typeInto("Edit1", QStringLiteral("nope"));
    QTest::keyClick(control<QLineEdit>("Edit1"), Qt::Key_Return);
    EXPECT_EQ(text("Label6"), kStatusWrongPassword);
    typeInto("Edit1", QStringLiteral("kestu"));
    QTest::keyClick(control<QLineEdit>("Edit1"), Qt::Key_Return);
    EXPECT_NE(fmGeneral, nullptr);
}

TEST_F(SignInWindow, RememberedSignInStoresTheUserAndSignsInAtNextStartWithoutShowingTheWindow) {
    rememberedDatabase();
    EXPECT_TRUE(Read_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN")));
    EXPECT_EQ(Read_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID")), 1);
    EXPECT_EQ(Read_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO")), QStringLiteral("admin"));
    EXPECT_EQ(Read_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS")),
              encode_string(QStringLiteral("kestu")));

    gperID_USER_DB = 0;
    startWindow();
    ASSERT_NE(fmGeneral, nullptr);
    EXPECT_TRUE(fmGeneral->isVisible());
    EXPECT_TRUE(window->signedIn());
    EXPECT_EQ(showCounter.shows, 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(gperID_USER_DB, 1);
    EXPECT_TRUE(window->database().IBDatabase1.connected());
    EXPECT_TRUE(window->database().IBEvents1.attached());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SignInWindow, StaleStoredPasswordStopsAtTheWindow) {
    rememberedDatabase();
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS"),
                  encode_string(QStringLiteral("changed")));
    startWindow();
    EXPECT_EQ(fmGeneral, nullptr);
    EXPECT_FALSE(window->signedIn());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->database().IBDatabase1.connected());
    EXPECT_EQ(control<QComboBox>("ComboBox1")->count(), 1);
}

TEST_F(SignInWindow, StoredIdOfNoUserStopsAtTheWindow) {
    rememberedDatabase();
    Write_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID"), 42);
    startWindow();
    EXPECT_EQ(fmGeneral, nullptr);
    EXPECT_FALSE(window->signedIn());
}

TEST_F(SignInWindow, ManualSignInSignsInTheTypingUserNotTheStoredAutomaticOne) {
    const QString path = rememberedDatabase();
    // Only automatic sign-in is off now; the stored user stays ID 1.
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO"), QStringLiteral("someone else"));
    startWindow();
    ASSERT_FALSE(window->signedIn());
    insert_data_for_table_USER_DB(QStringLiteral("second"), encode_string(QStringLiteral("pw2")));
    window->add_item_in_ComboBox_and_mas_USER_DB();
    auto* users = control<QComboBox>("ComboBox1");
    ASSERT_EQ(users->count(), 2);
    users->setCurrentIndex(1);

    signIn(QStringLiteral("pw2"));
    ASSERT_NE(fmGeneral, nullptr);
    EXPECT_EQ(gperID_USER_DB, mas_USER_DB[1].ID);
    EXPECT_NE(gperID_USER_DB, 1);
}

TEST_F(SignInWindow, TypedUserNameThatMatchesNoUserRefusesSignIn) {
    startWindow();
    createDatabase(folder.file(QStringLiteral("base")));
    auto* users = control<QComboBox>("ComboBox1");
    control<QTabWidget>("PageControl1")->setCurrentWidget(control<QWidget>("TabSheet1"));
    users->lineEdit()->clear();
    QTest::keyClicks(users->lineEdit(), QStringLiteral("nobody"));
    signIn(QStringLiteral("kestu"));
    EXPECT_EQ(text("Label6"), kStatusChooseUser);
    EXPECT_EQ(fmGeneral, nullptr);

    // Typing a listed name chooses that user again.
    users->lineEdit()->clear();
    QTest::keyClicks(users->lineEdit(), QStringLiteral("admin"));
    signIn(QStringLiteral("kestu"));
    EXPECT_NE(fmGeneral, nullptr);
}

TEST_F(SignInWindow, VersionBelowSixteenAsksTheUpgradeQuestion) {
    startWindow();
    const QString path = folder.file(QStringLiteral("base.fdb"));
    createDatabase(path);
    setSchemaVersion(path, 15);

    dialogs.answers.push_back(Dialogs::Answer::Closed); // closing the box goes on without upgrading
    signIn(QStringLiteral("kestu"));
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0], kUpgradeQuestion);
    EXPECT_EQ(dialogs.questions[0],
              QStringLiteral("Сорян братюнь!\n\rНо требуется обновлениее Базый Данных\n\rРекомендую "
                             "предварительно сделать бэкап\n\rОбновить Базу данных?"));
    EXPECT_NE(fmGeneral, nullptr);
    EXPECT_FALSE(dialogs.exitCode.has_value());
}

TEST_F(SignInWindow, AnsweringNoToTheUpgradeEndsTheProcessWithCodeZero) {
    startWindow();
    const QString path = folder.file(QStringLiteral("base.fdb"));
    createDatabase(path);
    setSchemaVersion(path, 15);

    dialogs.answers.push_back(Dialogs::Answer::No);
    signIn(QStringLiteral("kestu"));
    ASSERT_TRUE(dialogs.exitCode.has_value());
    EXPECT_EQ(*dialogs.exitCode, 0);
    EXPECT_EQ(fmGeneral, nullptr);
    EXPECT_FALSE(window->database().IBDatabase1.connected());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SignInWindow, AnsweringYesUpgradesBeforeOpeningTheMainWindow) {
    // A database left at version 12: tables made, upgrade never run.
    const QString path = folder.file(QStringLiteral("old.fdb"));
    CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
    startWindow();
    click("CheckBox3"); // fills the administrator's login
    setChecked("CheckBox3", false);
    typeInto("Edit5", path);
    click("BitBtn2");
    ASSERT_EQ(text("Label5"), kStatusConnected);
    CreateTablesInNewBase();
    window->add_item_in_ComboBox_and_mas_USER_DB();
    ASSERT_EQ(RequestVersionDataBase(), 12);
    dialogs.errors.clear(); // the empty database had no user list

    dialogs.answers.push_back(Dialogs::Answer::Yes);
    signIn(QStringLiteral("kestu"));
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(RequestVersionDataBase(), kCurrentVersionDataBase);
    EXPECT_NE(fmGeneral, nullptr);
}

TEST_F(SignInWindow, ConnectWhileConnectedReopensWithTheNewParameters) {
    startWindow();
    const QString first = folder.file(QStringLiteral("first.fdb"));
    const QString second = folder.file(QStringLiteral("second.fdb"));
    createDatabase(first);
    createDatabase(second);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(text("Label5"), kStatusConnected);
    EXPECT_TRUE(window->database().IBDatabase1.databaseName().endsWith(second));

    setChecked("CheckBox3", false);
    typeInto("Edit5", first);
    click("BitBtn2");
    EXPECT_EQ(text("Label5"), kStatusConnected);
    EXPECT_TRUE(window->database().IBDatabase1.databaseName().endsWith(first));
    EXPECT_TRUE(window->database().IBEvents1.attached());
    EXPECT_EQ(RequestVersionDataBase(), kCurrentVersionDataBase);
    signIn(QStringLiteral("kestu"));
    EXPECT_NE(fmGeneral, nullptr);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SignInWindow, FailedManualConnectShowsErrorStatusWithoutMessageBoxAndCanBeRetried) {
    startWindow();
    const QString path = folder.file(QStringLiteral("base.fdb"));
    createDatabase(path);
    setChecked("CheckBox3", false);

    typeInto("Edit3", QStringLiteral("wrong"));
    click("BitBtn2");
    EXPECT_EQ(text("Label5"), kStatusError);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS")), QStringLiteral("wrong"));
    EXPECT_FALSE(window->database().IBDatabase1.connected());

    typeInto("Edit3", QStringLiteral("quillfern"));
    click("BitBtn2");
    EXPECT_EQ(text("Label5"), kStatusConnected);
}

TEST_F(SignInWindow, CreatingOverAnExistingFileShowsTheErrorAndWritesNoConfig) {
    const QString path = folder.file(QStringLiteral("taken.fdb"));
    CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
    startWindow();
    createDatabase(path);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH")).isEmpty());
    EXPECT_FALSE(QFile::exists(configFilePath()));
    EXPECT_EQ(text("Label5"), QStringLiteral("Статус"));
    EXPECT_FALSE(window->database().IBDatabase1.connected());
}

TEST_F(SignInWindow, HiddenSignInWindowNeitherEndsTheLoopNorKeepsItAliveAfterMainWindowCloses) {
    startWindow();
    createDatabase(folder.file(QStringLiteral("base")));
    bool stillRunningAfterSignIn = false;
    QTimer::singleShot(0, [this] { signIn(QStringLiteral("kestu")); });
    QTimer::singleShot(100, [&] {
        stillRunningAfterSignIn = fmGeneral && fmGeneral->isVisible();
        if (fmGeneral)
            fmGeneral->requestClose(); // the close box only minimises
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(stillRunningAfterSignIn);
}

// --- main-window shell -------------------------------------------------------------------

TEST(MainWindowShell, HasCaptionAndVersionPanelEvenWithoutADatabase) {
    QTemporaryDir configDir;
    setConfigFolder(configDir.path());
    RunDatabase unconnected;
    FakeDialogs dialogs;
    TfmGeneral general(unconnected, 1, dialogs);
    setConfigFolder(QString());
    EXPECT_EQ(dialogs.errors.size(), 1); // the tree and the key sets could not be read
    EXPECT_EQ(general.windowTitle(), QStringLiteral("Vestibar"));
    ASSERT_NE(general.statusPanel(0), nullptr);
    EXPECT_EQ(general.statusPanel(0)->text(), QStringLiteral("Ver. 0.26.3"));
    EXPECT_EQ(general.statusPanel(3), nullptr);
}

} // namespace
