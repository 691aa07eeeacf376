#include "FakeDialogs.h"
#include "TypeText.h"
#include "app/Connection.h"
#include "app/Ini.h"
#include "app/Variable.h"
#include "db/Backup.h"
#include "notes/NotesRtf.h"
#include "notes/NotesStore.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"
#include "ui/BackupProgressPanel.h"
#include "ui/NotesColorButton.h"
#include "ui/SettingsServices.h"
#include "ui/UpdateApp.h"
#include "ui/unGeneral.h"
#include "ui/unKeysCase.h"
#include "ui/unSelectIcon.h"
#include "ui/unSetings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace objectrows;

constexpr int kAdmin = 1;

// The settings part of the program, with the watchers and the hotkey that the
// settings window restarts recorded as the launcher's part would run them.
class RecordingSettingsServices : public SettingsServices {
public:
    using SettingsServices::SettingsServices;
    int watchers = 0;
    QStringList calls;

    void start_potok(TfmGeneral&) override {
        ++watchers;
        calls << QStringLiteral("start_potok");
    }
    void stop_potok(TfmGeneral&) override {
        if (watchers > 0)
            --watchers;
        calls << QStringLiteral("stop_potok");
    }
    void initialization_hotkey(TfmGeneral&) override { calls << QStringLiteral("initialization_hotkey"); }
    void deinitialization_hotkey(TfmGeneral&) override { calls << QStringLiteral("deinitialization_hotkey"); }
};

UpdateConfig noUpdateServer() {
    return UpdateConfig{};
}

// A main window over a small tree, with the program's settings services:
//   1 Офис (folder) └ 10 Сервер (icon 3, key set "Общий" by default)
// and the key sets "Общий" (shared) and "Мой" (admin's own).
class SettingsServicesWindow : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        gperID_USER_DB = kAdmin;
        addKeySet(1, QStringLiteral("Общий"), QStringLiteral("corp\\admin"), QStringLiteral("Пароль1"), 0);
        addKeySet(2, QStringLiteral("Мой"), QStringLiteral("ivanov"), QStringLiteral("s3cret"), kAdmin);
        testsupport::execUnchecked(QStringLiteral("SET GENERATOR GEN_LOGIN_PASS_ID TO 100"));
        addObject(1, 0, QStringLiteral("Офис"), 1, 1, 7);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0, 3);
        addServer(1, Server{QString(), QString(), QString(), QString(), 0, 0, 0});
        server10 = addServer(10, Server{QStringLiteral("dc01.corp"), QStringLiteral("10.0.0.10"),
                                        QStringLiteral("3389"), QString(), 1, 2, 1});
    }

    void TearDown() override {
        window.reset();
        services.reset();
        gperID_USER_DB = 0;
        gperNeedToRestartProgramm.clear();
        setConfigFolder(QString());
        SchemaDatabase::TearDown();
    }

    TfmGeneral& open(UpdateConfig updates = noUpdateServer()) {
        services = std::make_unique<RecordingSettingsServices>(dialogs, std::move(updates));
        window = std::make_unique<TfmGeneral>(db, kAdmin, dialogs, *services);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        return *window;
    }

    template <typename T> T* control(QWidget* in, const char* name) {
        T* found = in ? in->findChild<T*>(QLatin1String(name)) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    template <typename T> T* control(const char* name) { return control<T>(window.get(), name); }

    static void click(QWidget* widget) {
        ASSERT_NE(widget, nullptr);
        const bool labelled = qobject_cast<QRadioButton*>(widget) || qobject_cast<QCheckBox*>(widget);
        QTest::mouseClick(widget, Qt::LeftButton, {},
                          labelled ? QPoint(6, widget->height() / 2) : widget->rect().center());
        QCoreApplication::processEvents();
    }
    void click(const char* name) { click(control<QWidget>(name)); }

    static void typeInto(QLineEdit* edit, const QString& typed) {
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        typeText(edit, typed);
    }

    void clickNode(int id) {
        auto* tree = control<QTreeView>("TreeView1");
        const QModelIndex at = window->treeModel().indexOf(window->treeModel().nodeById(id));
        ASSERT_TRUE(at.isValid()) << id;
        for (QModelIndex up = at.parent(); up.isValid(); up = up.parent())
            tree->expand(up);
        tree->scrollTo(at);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(at).center());
        QCoreApplication::processEvents();
    }

    // The editor unfolded and the server loaded.
    void loadServer() {
        click("BitBtn4");
        clickNode(10);
        ASSERT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("Сервер"));
    }

    TfmSetings* openSettings() {
        click("BitBtn5");
        EXPECT_NE(fmSetings, nullptr);
        if (fmSetings) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(fmSetings));
        }
        return fmSetings;
    }

    QByteArray storedNotes() {
        return testsupport::readRows(QStringLiteral("select NOTES from SERVERS where ID = %1").arg(server10))
            ->field(0)
            .asBytes();
    }

    QTemporaryDir configDir;
    FakeDialogs dialogs;
    std::unique_ptr<RecordingSettingsServices> services;
    std::unique_ptr<TfmGeneral> window;
    int server10 = 0;
};

} // namespace

// --- settings window ---------------------------------------------------------------------------

TEST_F(SettingsServicesWindow, SettingsButtonOpensOneWindowThatLeavesTheMainWindowUsable) {
    open();
    TfmSetings* first = openSettings();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(first->parent(), nullptr);

    click("BitBtn5"); // raises the open one
    EXPECT_EQ(fmSetings, first);
    EXPECT_EQ(QApplication::topLevelWidgets().count(first), 1);

    QPointer<TfmSetings> closed(first);
    first->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed.isNull(); }));
    TfmSetings* second = openSettings();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(fmSetings, nullptr);
}

TEST_F(SettingsServicesWindow, ViewTabChangesShowOnTheMainWindowAndItsSaveRestartsOneWatcher) {
    open();
    TfmSetings* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    control<QTabWidget>(settings, "PageControl1")->setCurrentIndex(4);

    // The slider is a preview: the window changes at once, config.ini does not.
    control<QSlider>(settings, "TrackBar1")->setValue(128);
    EXPECT_NEAR(window->windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_EQ(Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("TRANSPARENCY")), -1);

    // The right edge of the first monitor's work area, at its full height.
    click(control<QRadioButton>(settings, "RadioButton4"));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window->frameGeometry().x() + window->frameGeometry().width(), area.x() + area.width());
    EXPECT_EQ(window->frameGeometry().height(), area.height());

    const QRect before = window->geometry();
    control<QCheckBox>(settings, "CheckBox2")->setChecked(true);
    control<QCheckBox>(settings, "CheckBox3")->setChecked(true);
    control<QCheckBox>(settings, "CheckBox4")->setChecked(true);
    click(control<QPushButton>(settings, "BitBtn5"));
    EXPECT_TRUE(dialogs.infos.isEmpty()) << dialogs.infos.join(u'\n').toStdString();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), before);
    EXPECT_NEAR(window->windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_TRUE(Read_ini_bool(QStringLiteral("SETINGS"), QStringLiteral("ONTOP")));
    EXPECT_EQ(Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("TRANSPARENCY")), 128);
    EXPECT_EQ(gperPOSITION, 1);
    EXPECT_EQ(services->watchers, 1);
    EXPECT_TRUE(services->calls.contains(QStringLiteral("initialization_hotkey")));

    EXPECT_EQ(fmSetings, nullptr); // the save closes the window

    // Saving again, from a window that reads config.ini afresh, restarts the watcher: still one runs.
    settings = openSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(control<QCheckBox>(settings, "CheckBox2")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(settings, "RadioButton4")->isChecked());
    click(control<QPushButton>(settings, "BitBtn5"));
    EXPECT_EQ(services->watchers, 1);

    // Off again, and the window stays where it was, shown.
    settings = openSettings();
    ASSERT_NE(settings, nullptr);
    control<QCheckBox>(settings, "CheckBox2")->setChecked(false);
    click(control<QPushButton>(settings, "BitBtn5"));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), before);
}

TEST_F(SettingsServicesWindow, OnTopKeepsAMinimisedMainWindowMinimised) {
    open();
    window->showMinimized();
    QCoreApplication::processEvents();
    TfmSetings* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    control<QCheckBox>(settings, "CheckBox2")->setChecked(true);
    click(control<QPushButton>(settings, "BitBtn5"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(SettingsServicesWindow, BackupAndRestoreRunFromTheSettingsTabOfTheProgram) {
    open();
    TfmSetings* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    const QString backups = folder.file(QStringLiteral("копии"));
    const QString restored = folder.file(QStringLiteral("restore"));
    typeInto(control<QLineEdit>(settings, "Edit1"), dbPath);
    typeInto(control<QLineEdit>(settings, "Edit2"), QStringLiteral("SYSDBA"));
    typeInto(control<QLineEdit>(settings, "Edit3"), QString::fromLatin1(kSysdbaDefaultPassword));
    typeInto(control<QLineEdit>(settings, "Edit4"), QStringLiteral("127.0.0.1"));
    typeInto(control<QLineEdit>(settings, "EditRestoreFolder"), restored);
    dialogs.nextFolderName = backups;
    click(control<QPushButton>(settings, "BtnSelectBackupFolder"));
    EXPECT_EQ(control<QLineEdit>(settings, "EditBackupFolder")->text(), backups);

    auto* panel = control<BackupProgressPanel>(settings, "BackupProgressPanel");
    auto* backup = control<QPushButton>(settings, "BtnBackup");
    click(backup);
    QCoreApplication::processEvents();
    // The panel takes room of its own: the fields above it keep their height.
    for (const char* name : {"EditRestoreFolder", "ComboSelectBackupFile", "EditBackupFolder", "Edit1"}) {
        auto* field = control<QWidget>(settings, name);
        EXPECT_GE(field->height(), field->minimumSizeHint().height()) << name;
    }
    EXPECT_TRUE(settings->backupRunning());
    EXPECT_FALSE(backup->isEnabled());
    EXPECT_TRUE(panel->isVisible());
    settings->close(); // refused while the job runs
    EXPECT_TRUE(settings->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !settings->backupRunning(); }, 120000));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_TRUE(backup->isEnabled());
    auto* list = control<QComboBox>(settings, "ComboSelectBackupFile");
    ASSERT_EQ(list->count(), 1);
    const QString name = list->itemText(0);
    EXPECT_TRUE(name.startsWith(QStringLiteral("backup_")) && name.endsWith(QStringLiteral(".fdk"))) << name.toStdString();
    EXPECT_EQ(panel->result(), QStringLiteral("Бэкап создан: ") + joinServerPath(backups, name));

    list->setCurrentIndex(0);
    click(control<QPushButton>(settings, "BtnRestore"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !settings->backupRunning(); }, 120000));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    const QString database = joinServerPath(restored, restoredDatabaseName(name));
    EXPECT_EQ(panel->result(), QStringLiteral("База восстановлена: ") + database);
    auto other = testsupport::connectAnother(database);
    fb::Query q(other->IBDatabase1, other->IBTransaction1);
    q.setSql(QStringLiteral("select TEXT from TREETABLE where ID = 10"));
    q.open();
    EXPECT_EQ(q.field(0).asString().trimmed(), QStringLiteral("Сервер"));

    // The run's own database is never restored over.
    typeInto(control<QLineEdit>(settings, "EditRestoreFolder"), QFileInfo(dbPath).path());
    list->setEditText(QFileInfo(dbPath).completeBaseName() + QStringLiteral(".fdk"));
    click(control<QPushButton>(settings, "BtnRestore"));
    EXPECT_FALSE(settings->backupRunning());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.at(0).startsWith(QStringLiteral("Нельзя восстанавливать"))) << dialogs.errors.at(0).toStdString();
}

// --- key-set manager ------------------------------------------------------------------------

TEST_F(SettingsServicesWindow, KeySetManagerDisablesTheMainWindowAndItsChoiceLandsInComboBox1) {
    open();
    loadServer();
    auto* keySets = control<QComboBox>("ComboBox1");
    EXPECT_EQ(keySets->currentText(), QStringLiteral("Общий"));

    click("BitBtn12");
    ASSERT_NE(fmKeysCase, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(fmKeysCase));
    EXPECT_FALSE(window->isEnabled());
    EXPECT_EQ(fmKeysCase->parent(), nullptr); // a disabled parent would disable the manager too
    EXPECT_TRUE(fmKeysCase->isEnabled());

    // A new key set, renamed and saved, then chosen with a double click.
    TfmKeysCase* manager = fmKeysCase;
    click(control<QPushButton>(manager, "BitAdd"));
    typeInto(control<QLineEdit>(manager, "editName"), QStringLiteral("Резервный"));
    typeInto(control<QLineEdit>(manager, "editLogin"), QStringLiteral("backup"));
    click(control<QPushButton>(manager, "BitSave"));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    auto* list = control<QListWidget>(manager, "listboxKeys");
    const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("Резервный"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    const QPoint at = list->visualItemRect(found.at(0)).center();
    QPointer<TfmKeysCase> gone(manager);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull() || !gone->isVisible(); }));

    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(fmKeysCase, nullptr);
    EXPECT_EQ(keySets->currentText(), QStringLiteral("Резервный"));
    EXPECT_EQ(control<QLineEdit>("Edit3")->text(), QStringLiteral("backup"));
    EXPECT_GE(window->selection().gperComboBoxItemIndex, 0);

    // Saving the object now uses that key set: no key set is added.
    const int keySetRows = testsupport::countRows(QStringLiteral("LOGIN_PASS"));
    click("BitBtn2");
    EXPECT_EQ(testsupport::countRows(QStringLiteral("LOGIN_PASS")), keySetRows);
}

TEST_F(SettingsServicesWindow, ClosingTheManagerWithoutAChoiceKeepsTheKeySetOfTheObject) {
    open();
    loadServer();
    click("BitBtn12");
    ASSERT_NE(fmKeysCase, nullptr);
    fmKeysCase->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentText(), QStringLiteral("Общий"));
    EXPECT_EQ(window->selection().gperComboBoxItemIndex, control<QComboBox>("ComboBox1")->currentIndex());
    EXPECT_GE(window->selection().gperComboBoxItemIndex, 0);
}

// --- icon picker --------------------------------------------------------------------------------

TEST_F(SettingsServicesWindow, PickerOpensOnTheObjectsIconAndTheChoiceIsStoredBySaving) {
    open();
    loadServer();
    click("Image1");
    ASSERT_NE(fmSelectIcon, nullptr);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_EQ(fmSelectIcon->chosenIndex(), 3);

    // The close box changes nothing and gives the window back.
    QPointer<TfmSelectIcon> first(fmSelectIcon);
    first->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->selection().gperServerParametrs2.ID_ICO_TREETABLE, 3);

    click("Image1");
    ASSERT_NE(fmSelectIcon, nullptr);
    TfmSelectIcon* picker = fmSelectIcon;
    auto* grid = control<QTableWidget>(picker, "StringGrid1");
    const QRect cell = grid->visualRect(grid->model()->index(1, 0)); // icon 21
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(picker->chosenIndex(), 21);
    click(control<QPushButton>(picker, "BitBtn1"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->selection().gperServerParametrs2.ID_ICO_TREETABLE, 21);

    click("BitBtn2");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_EQ(testsupport::readInt(QStringLiteral("select ID_ICO from TREETABLE where ID = 10")), 21);
}

// The program's end: the main window goes first, then the services with the
// windows they opened, which must not reach back into the gone main window.
TEST_F(SettingsServicesWindow, TheProgramsEndWithSettingsAndManagerOpenClosesThemCleanly) {
    open();
    loadServer();
    ASSERT_NE(openSettings(), nullptr);
    click("BitBtn12");
    ASSERT_NE(fmKeysCase, nullptr);
    EXPECT_FALSE(window->isEnabled());
    window.reset();
    services.reset();
    EXPECT_EQ(fmKeysCase, nullptr);
    EXPECT_EQ(fmSetings, nullptr);
}

// --- notes toolbar ------------------------------------------------------------------------------

TEST_F(SettingsServicesWindow, BoldFromTheToolbarIsStoredAsRtfAndComesBack) {
    open();
    loadServer();
    auto* notes = control<QTextEdit>("RichEditNotes");
    notes->setFocus();
    typeText(notes, QStringLiteral("Пароль сменить"));
    QTextCursor cursor = notes->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    notes->setTextCursor(cursor);
    click("BtnBold");
    EXPECT_TRUE(notes->hasFocus() || QApplication::focusWidget() == nullptr);
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    cursor.setPosition(8);
    EXPECT_NE(cursor.charFormat().fontWeight(), QFont::Bold);

    click("BitBtn2");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    const QByteArray stored = storedNotes();
    EXPECT_TRUE(stored.startsWith("{\\rtf1")) << stored.constData();
    const NotesReadResult read = readNotesRtf(stored);
    ASSERT_EQ(read.model.size(), 1);
    ASSERT_GE(read.model[0].runs.size(), 2);
    EXPECT_EQ(read.model[0].runs[0].text, QStringLiteral("Пароль"));
    EXPECT_TRUE(read.model[0].runs[0].bold);
    EXPECT_FALSE(read.model[0].runs[1].bold);

    // Loaded again it shows bold and editable; saved unedited, the bytes stay.
    clickNode(1);
    clickNode(10);
    EXPECT_FALSE(notes->isReadOnly());
    QTextCursor again(notes->document());
    again.setPosition(2);
    EXPECT_EQ(again.charFormat().fontWeight(), QFont::Bold);
    click("BitBtn2");
    EXPECT_EQ(storedNotes(), stored);
}

// Another copy's formatting that ours cannot keep (here a highlight) goes only
// when the user agrees; No stores the notes as they were.
TEST_F(SettingsServicesWindow, EditedNotesWithFormattingBeyondOursAskBeforeItIsDropped) {
    const QByteArray foreign("{\\rtf1\\ansi\\ansicpg1251{\\colortbl;\\red255\\green255\\blue0;}"
                             "\\highlight1 \\'e2\\'e0\\'e6\\'ed\\'ee\\highlight0\\par}");
    setNotes(server10, foreign);
    open();
    loadServer();
    auto* notes = control<QTextEdit>("RichEditNotes");
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("важно"));
    notes->setFocus();
    notes->moveCursor(QTextCursor::End);
    typeText(notes, QStringLiteral("!"));

    dialogs.answers.push_back(Dialogs::Answer::No);
    click("BitBtn2");
    EXPECT_EQ(dialogs.questions, QStringList{kDropFormattingQuestion});
    EXPECT_EQ(storedNotes(), foreign);
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("важно")); // the stored notes are shown again

    notes->moveCursor(QTextCursor::End);
    typeText(notes, QStringLiteral("!"));
    dialogs.answers.push_back(Dialogs::Answer::Yes);
    click("BitBtn2");
    const QByteArray written = storedNotes();
    EXPECT_NE(written, foreign);
    const NotesReadResult read = readNotesRtf(written);
    EXPECT_FALSE(read.beyondSubset);
    ASSERT_EQ(read.model.size(), 1);
    EXPECT_EQ(read.model[0].text(), QStringLiteral("важно!"));
}

TEST_F(SettingsServicesWindow, SizeBoxFollowsTheSelectionWithoutFlatteningMixedSizes) {
    open();
    loadServer();
    auto* notes = control<QTextEdit>("RichEditNotes");
    auto* size = control<QSpinBox>(control<QGroupBox>("GroupBox8"), "SpinEdit1");
    EXPECT_EQ(size->minimum(), 1);
    EXPECT_EQ(size->maximum(), 1638);
    notes->setFocus();
    typeText(notes, QStringLiteral("мелкий крупный"));
    QTextCursor cursor = notes->textCursor();
    cursor.setPosition(7);
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    notes->setTextCursor(cursor);
    size->setValue(20); // the size box applies to the selection
    QCoreApplication::processEvents();
    QTextCursor probe(notes->document());
    probe.setPosition(10);
    EXPECT_EQ(probe.charFormat().fontPointSize(), 20);

    // Into the small text: the box shows its size.
    cursor.setPosition(2);
    notes->setTextCursor(cursor);
    EXPECT_EQ(size->value(), 8);

    // A selection over both sizes shows the first one and changes neither.
    cursor.setPosition(0);
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    notes->setTextCursor(cursor);
    EXPECT_EQ(size->value(), 8);
    probe.setPosition(10);
    EXPECT_EQ(probe.charFormat().fontPointSize(), 20);
}

TEST_F(SettingsServicesWindow, ColourMenuColoursTheSelectionAndAutomaticTakesItAway) {
    open();
    loadServer();
    auto* notes = control<QTextEdit>("RichEditNotes");
    notes->setFocus();
    typeText(notes, QStringLiteral("важно"));
    QTextCursor cursor = notes->textCursor();
    cursor.select(QTextCursor::Document);
    notes->setTextCursor(cursor);
    auto* button = qobject_cast<NotesColorButton*>(control<QToolButton>("JvOfficeColorButton1"));
    ASSERT_NE(button, nullptr);
    button->setColor(QColor(Qt::red));
    click(button);
    QTextCursor probe(notes->document());
    probe.setPosition(2);
    EXPECT_EQ(probe.charFormat().foreground().color(), QColor(Qt::red));

    QAction* automatic = nullptr;
    for (QAction* action : button->colorMenu()->actions()) {
        if (action->text() == NotesColorButton::kAutomatic)
            automatic = action;
    }
    ASSERT_NE(automatic, nullptr);
    automatic->trigger();
    QCoreApplication::processEvents();
    probe.setPosition(2);
    EXPECT_FALSE(probe.charFormat().hasProperty(QTextFormat::ForegroundBrush));
}

// --- update check ---------------------------------------------------------------------------------

TEST_F(SettingsServicesWindow, UpdateCheckWithoutAServerAsksNothingAndTheWindowIsAlreadyShown) {
    UpdateConfig offline;
    offline.baseUrl = QUrl(QStringLiteral("https://127.0.0.1:1"));
    offline.publicKey = QByteArray(32, 'k');
    offline.executable = configDir.filePath(QStringLiteral("vestibar"));
    open(offline);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->findChild<TUpdateApp*>(QStringLiteral("TUpdateApp")) == nullptr; }, 15000));
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(window->statusPanel(1)->text().isEmpty());
}

TEST_F(SettingsServicesWindow, UpdateCheckOverPlainHttpRequestsNothing) {
    UpdateConfig insecure;
    insecure.baseUrl = QUrl(QStringLiteral("http://127.0.0.1:1"));
    insecure.publicKey = QByteArray(32, 'k');
    insecure.executable = configDir.filePath(QStringLiteral("vestibar"));
    open(insecure);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->findChild<TUpdateApp*>(QStringLiteral("TUpdateApp")) == nullptr; }, 5000));
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}
