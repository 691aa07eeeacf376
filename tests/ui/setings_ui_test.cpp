#include "FakeDialogs.h"
#include "FakeSetingsHost.h"
#include "TypeText.h"
#include "app/Ini.h"
#include "app/Variable.h"
#include "ui/unSetings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A file even root cannot write: the immutable flag of the file system.
class ImmutableFile {
public:
    explicit ImmutableFile(const QString& path) : m_path(path) { m_set = setFlag(true); }
    ~ImmutableFile() {
        if (m_set)
            setFlag(false);
    }
    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on) {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }
    QString m_path;
    bool m_set = false;
};

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        resetGlobals();
    }

    void TearDown() override {
        delete window.data();
        setConfigFolder(QString());
        resetGlobals();
    }

    static void resetGlobals() {
        gperCopyPassToBufer = false;
        gperBrowserByDefaultBool = false;
        grepBrowserByDefaultPath.clear();
        gperShowEvents = false;
        gperMONITOR = 0;
        gperPOSITION = 0;
    }

    QString configPath() const { return configDir.filePath(QStringLiteral("config.ini")); }

    void store(const QByteArray& bytes) const {
        QFile file(configPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray stored() const {
        QFile file(configPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    QString text(const char* name) { return control<QLineEdit>(name)->text(); }
    bool checked(const char* name) { return control<QAbstractButton>(name)->isChecked(); }

    void typeInto(const char* name, const QString& value) {
        auto* edit = control<QLineEdit>(name);
        edit->clear();
        typeText(edit, value);
    }

    // Brings the control's tab to the front, as a user would, and clicks it.
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

    void setChecked(const char* name, bool on) {
        if (checked(name) != on)
            click(name);
    }

    static void processDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir configDir;
    FakeSetingsHost host;
    FakeDialogs dialogs;
    QPointer<TfmSetings> window;
};

// Every key of the window, written by hand with odd spellings around them.
const QByteArray kFullConfig = "; vestibar\r\n"
                               "[BASE]\r\nPATH=/srv/firebird/base.fdb\r\nLOGIN=SYSDBA\r\nPASS=masterkey\r\n"
                               "IP=10.0.0.5\r\nAUTOCONNECT=1\r\n\r\n"
                               "[USER_DB]\r\nAUTOIN=1\r\nID=3\r\nFIO=Иванов\r\nPASS=abc\r\n\r\n"
                               "[setings]\r\nONTOP=1\r\nTRANSPARENCY=200\r\nDOUBLECLICK=1\r\nCODEKEY=$11\r\n"
                               "SLEEP_POTOK=150\r\nSETHOTKEY=1\r\nHOTKEY1=162\r\nHOTKEY2=164\r\nMONITOR=1\r\n"
                               "POSITION=1\r\nCopyPassToBufer=1\r\nShowEvents=1\r\nBrowserByDefaultBool=1\r\n"
                               "BrowserByDefaultPath=/usr/bin/firefox\r\nBackupFolder=/srv/backup/\r\n"
                               "RestoreFolder=/srv/restore/\r\n  ; end of settings\r\n\r\n"
                               "[SETING]\r\nHANDLEFORM=4711\r\n";

QByteArray replaced(QByteArray bytes, std::initializer_list<std::pair<const char*, const char*>> changes) {
    for (const auto& [from, to] : changes) {
        EXPECT_EQ(bytes.count(from), 1) << from;
        bytes.replace(from, to);
    }
    return bytes;
}

// --- layout ----------------------------------------------------------------------------

TEST_F(SettingsWindow, SixTabsInOrderOpeningOnTheFirst) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(window->size(), QSize(642, 476));
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    auto* pages = control<QTabWidget>("PageControl1");
    const std::pair<const char*, const char*> tabs[] = {{"TabSheet1", "Подключение к БД"},
                                                        {"TabSheet3", "Обновления"},
                                                        {"TabSheet2", "Создание пользователей"},
                                                        {"TabSheet5", "Смена пароля"},
                                                        {"TabSheet4", "Вид"},
                                                        {"TabSheet6", "Функционал"}};
    ASSERT_EQ(pages->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), QLatin1String(tabs[i].first));
        EXPECT_EQ(pages->tabText(i), QString::fromUtf8(tabs[i].second));
    }
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(window->parentWidget(), nullptr);
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_EQ(window->windowHandle()->transientParent(), host.window.windowHandle());
}

TEST_F(SettingsWindow, ControlsCarryTheirCaptions) {
    open();
    const std::pair<const char*, const char*> captions[] = {
        {"CheckBox1", "Автоподключение"},
        {"BitBtn2", "Подключиться"},
        {"BitBtn1", "Сохранить"},
        {"BtnBackup", "Сделать бэкап"},
        {"BtnRestore", "Востановить из бэкапа"},
        {"Button2", "Создать"},
        {"BitBtn4", "Применить"},
        {"CheckBox3", "Вкл."},
        {"CheckBox4", "Вкл."},
        {"RadioButton1", "Первый"},
        {"RadioButton2", "Второй"},
        {"RadioButton3", "С лева"},
        {"RadioButton4", "С права"},
        {"BitBtn5", "Сохранить"},
        {"CheckBox5", "При подключении копировать пароль в буфер"},
        {"CheckBox7", "Включить уведомления"},
        {"BitBtn3", "Сохранить"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(control<QAbstractButton>(name)->text(), QString::fromUtf8(caption)) << name;
    EXPECT_EQ(control<QLabel>("Label5")->text(), QStringLiteral("Статус"));
    EXPECT_EQ(control<QLabel>("LabelVersionDB")->text(), QStringLiteral("Текущая версия БД:"));
    EXPECT_FALSE(
        window->findChild<QWidget*>(QStringLiteral("Memo1"))->property("plainText").toString().isEmpty());
    for (const char* name : {"BitBtn8", "BtnSelectBackupFolder", "BtnSelectRestoreFolder"}) {
        auto* button = control<QPushButton>(name);
        EXPECT_TRUE(button->text().isEmpty()) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_FALSE(button->toolTip().isEmpty()) << name;
        EXPECT_EQ(button->accessibleName(), button->toolTip()) << name;
    }
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "EditBackupFolder", "EditRestoreFolder"})
        EXPECT_EQ(control<QLineEdit>(name)->echoMode(), QLineEdit::Normal) << name;
    EXPECT_TRUE(control<QComboBox>("ComboSelectBackupFile")->isEditable());
    EXPECT_EQ(control<QSlider>("TrackBar1")->maximum(), 255);
    EXPECT_EQ(control<QSlider>("TrackBar1")->minimum(), 25);
    EXPECT_EQ(control<QLineEdit>("Edit6")->maxLength(), 50);
    for (const char* name : {"Edit5", "Edit7", "Edit8", "Edit9"})
        EXPECT_EQ(control<QLineEdit>(name)->maxLength(), 10) << name;
}

TEST_F(SettingsWindow, OnlyOneWindowAndTheButtonBringsItForward) {
    TfmSetings* first = &open();
    EXPECT_EQ(fmSetings, first);
    TfmSetings* second = &open();
    EXPECT_EQ(second, first);
    first->close();
    processDeletes();
    EXPECT_EQ(fmSetings, nullptr);
    EXPECT_NE(&open(), nullptr);
    EXPECT_EQ(fmSetings, window.data());
}

// --- what it shows --------------------------------------------------------------------------

TEST_F(SettingsWindow, FullConfigFillsEveryControl) {
    store(kFullConfig);
    open();
    EXPECT_EQ(text("Edit1"), "/srv/firebird/base.fdb");
    EXPECT_EQ(text("Edit2"), "SYSDBA");
    EXPECT_EQ(text("Edit3"), "masterkey");
    EXPECT_EQ(text("Edit4"), "10.0.0.5");
    EXPECT_TRUE(checked("CheckBox1"));
    EXPECT_EQ(text("EditBackupFolder"), "/srv/backup/");
    EXPECT_EQ(text("EditRestoreFolder"), "/srv/restore/");
    EXPECT_TRUE(checked("CheckBox2"));
    EXPECT_EQ(control<QSlider>("TrackBar1")->value(), 200);
    EXPECT_TRUE(checked("CheckBox3"));
    EXPECT_EQ(text("Edit10"), "$11");
    EXPECT_EQ(text("Edit11"), "150");
    EXPECT_TRUE(checked("CheckBox4"));
    EXPECT_EQ(text("Edit13"), "162");
    EXPECT_EQ(text("Edit12"), "164");
    EXPECT_TRUE(checked("RadioButton2"));
    EXPECT_TRUE(checked("RadioButton4"));
    EXPECT_TRUE(checked("CheckBox5"));
    EXPECT_TRUE(checked("CheckBox6"));
    EXPECT_EQ(text("Edit14"), "/usr/bin/firefox");
    EXPECT_TRUE(checked("CheckBox7"));
    // Opening sets the browser switches, and nothing else.
    EXPECT_TRUE(gperBrowserByDefaultBool);
    EXPECT_EQ(grepBrowserByDefaultPath, "/usr/bin/firefox");
    EXPECT_FALSE(gperCopyPassToBufer);
    EXPECT_TRUE(host.untouched());
    EXPECT_EQ(stored(), kFullConfig);
}

TEST_F(SettingsWindow, HandWrittenOddValuesShowTheirFallbacks) {
    store("[SETINGS]\r\nTRANSPARENCY=0\r\nCODEKEY=\r\nSLEEP_POTOK=-5\r\nMONITOR=7\r\nHOTKEY1=abc\r\n"
          "HOTKEY2=   \r\nBackupFolder=  \r\nBrowserByDefaultPath=/opt/browser\r\n");
    open();
    EXPECT_EQ(control<QSlider>("TrackBar1")->value(), 255);
    EXPECT_EQ(text("Edit10"), "$11");
    EXPECT_EQ(text("Edit11"), "120");
    EXPECT_TRUE(checked("RadioButton2"));
    EXPECT_FALSE(checked("RadioButton1"));
    EXPECT_TRUE(checked("RadioButton3")); // POSITION missing
    EXPECT_EQ(text("Edit13"), "abc");
    EXPECT_EQ(text("Edit12"), "164");
    EXPECT_EQ(text("EditBackupFolder"), QDir::toNativeSeparators(QDir::currentPath() + "/backup/"));
    EXPECT_EQ(text("EditRestoreFolder"), QDir::toNativeSeparators(QDir::currentPath() + "/restore/"));
    EXPECT_EQ(text("Edit14"), QString()); // only read while the browser switch is on
    EXPECT_FALSE(checked("CheckBox6"));
}

TEST_F(SettingsWindow, WithoutConfigEverythingShowsItsDefault) {
    open();
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit14"})
        EXPECT_EQ(text(name), QString()) << name;
    for (const char* name :
         {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7"})
        EXPECT_FALSE(checked(name)) << name;
    EXPECT_EQ(control<QSlider>("TrackBar1")->value(), 255);
    EXPECT_TRUE(checked("RadioButton1"));
    EXPECT_TRUE(checked("RadioButton3"));
    EXPECT_FALSE(QFile::exists(configPath()));
}

// --- saving ---------------------------------------------------------------------------------

TEST_F(SettingsWindow, ConnectionSaveWritesExactlyItsSevenKeys) {
    store(kFullConfig);
    open();
    typeInto("Edit1", "/srv/новая.fdb");
    typeInto("Edit4", "db.local");
    typeInto("EditBackupFolder", "/var/copies/");
    setChecked("CheckBox1", false);
    // Fields of other tabs are not saved by this button.
    setChecked("CheckBox2", false);
    typeInto("Edit14", "/usr/bin/chromium");
    click("BitBtn1");
    EXPECT_TRUE(dialogs.infos.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(stored(),
              replaced(kFullConfig, {{"PATH=/srv/firebird/base.fdb", "PATH=/srv/\xED\xEE\xE2\xE0\xFF.fdb"},
                                     {"IP=10.0.0.5", "IP=db.local"},
                                     {"AUTOCONNECT=1", "AUTOCONNECT=0"},
                                     {"BackupFolder=/srv/backup/", "BackupFolder=/var/copies/"}}));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsWindow, ViewSaveWritesExactlyItsKeysAppliesThemAndCloses) {
    store(kFullConfig);
    open();
    setChecked("CheckBox2", false);
    control<QSlider>("TrackBar1")->setValue(90);
    typeInto("Edit10", "$12");
    typeInto("Edit11", "300");
    typeInto("Edit13", "163");
    click("RadioButton1");
    click("RadioButton3");
    setChecked("CheckBox5", false); // another tab's
    click("BitBtn5");
    EXPECT_TRUE(dialogs.infos.isEmpty()) << dialogs.infos.join(' ').toStdString();
    EXPECT_EQ(stored(), replaced(kFullConfig, {{"ONTOP=1", "ONTOP=0"},
                                               {"TRANSPARENCY=200", "TRANSPARENCY=90"},
                                               {"CODEKEY=$11", "CODEKEY=$12"},
                                               {"SLEEP_POTOK=150", "SLEEP_POTOK=300"},
                                               {"HOTKEY1=162", "HOTKEY1=163"},
                                               {"MONITOR=1", "MONITOR=0"},
                                               {"POSITION=1", "POSITION=0"}}));
    EXPECT_EQ(host.onTop, QList<bool>{false});
    EXPECT_EQ(host.watchers, 1);
    EXPECT_EQ(host.watcherCodeKey, "$12");
    EXPECT_EQ(host.watcherSleep, 300);
    EXPECT_EQ(host.hotkey, QList<bool>{true});
    EXPECT_EQ(gperMONITOR, 0);
    EXPECT_EQ(gperPOSITION, 0);
    processDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(SettingsWindow, ViewSaveWithBothWaysOffWritesNoKeysOrInterval) {
    store("[SETINGS]\r\nMONITOR=7\r\n");
    open();
    typeInto("Edit11", "not a number"); // not written, so not checked
    click("BitBtn5");
    EXPECT_TRUE(dialogs.infos.isEmpty());
    EXPECT_EQ(stored(),
              QByteArray("[SETINGS]\r\nMONITOR=1\r\nONTOP=0\r\nTRANSPARENCY=255\r\nDOUBLECLICK=0\r\n"
                         "SETHOTKEY=0\r\nPOSITION=0\r\n"));
    EXPECT_EQ(host.hotkey, QList<bool>{false});
    EXPECT_EQ(host.watchers, 0);
    EXPECT_EQ(gperMONITOR, 1);
}

TEST_F(SettingsWindow, FunctionsSaveWritesExactlyItsKeysAndSetsTheSwitches) {
    store(kFullConfig);
    open();
    setChecked("CheckBox5", false);
    typeInto("Edit14", "/usr/bin/chromium");
    setChecked("CheckBox7", false);
    click("BitBtn3");
    EXPECT_EQ(stored(), replaced(kFullConfig, {{"CopyPassToBufer=1", "CopyPassToBufer=0"},
                                               {"ShowEvents=1", "ShowEvents=0"},
                                               {"/usr/bin/firefox", "/usr/bin/chromium"}}));
    EXPECT_FALSE(gperCopyPassToBufer);
    EXPECT_TRUE(gperBrowserByDefaultBool);
    EXPECT_EQ(grepBrowserByDefaultPath, "/usr/bin/chromium");
    EXPECT_FALSE(gperShowEvents);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsWindow, BrowserSwitchedOffKeepsTheStoredPathForLater) {
    store(kFullConfig);
    open();
    setChecked("CheckBox6", false);
    typeInto("Edit14", "/typed/but/off");
    click("BitBtn3");
    EXPECT_EQ(stored(), replaced(kFullConfig, {{"BrowserByDefaultBool=1", "BrowserByDefaultBool=0"}}));
    EXPECT_FALSE(gperBrowserByDefaultBool);
    EXPECT_EQ(grepBrowserByDefaultPath, "/usr/bin/firefox");
    window->close();
    processDeletes();

    open();
    EXPECT_EQ(text("Edit14"), QString());
    window->close();
    processDeletes();
    Write_ini_bool(QStringLiteral("SETINGS"), QStringLiteral("BrowserByDefaultBool"), true);
    open();
    EXPECT_EQ(text("Edit14"), "/usr/bin/firefox");
}

// --- refusals --------------------------------------------------------------------------------

TEST_F(SettingsWindow, BadViewFieldIsNamedAndNothingIsWrittenOrApplied) {
    store(kFullConfig);
    open();
    const std::pair<const char*, const char*> bad[] = {{"Edit11", "Скорость реагирования мл.с"},
                                                       {"Edit10", "Код клавиши"},
                                                       {"Edit13", "Клавиша №1"},
                                                       {"Edit12", "Клавиша №2"}};
    const std::pair<const char*, const char*> values[] = {
        {"Edit11", "0"}, {"Edit10", "$100"}, {"Edit13", "abc"}, {"Edit12", "255"}};
    for (int i = 0; i < 4; ++i) {
        const QString good = text(values[i].first);
        dialogs.infos.clear();
        typeInto(values[i].first, QString::fromUtf8(values[i].second));
        setChecked("CheckBox2", false);
        click("BitBtn5");
        ASSERT_EQ(dialogs.infos.size(), 1) << values[i].first;
        EXPECT_TRUE(
            dialogs.infos.first().contains(QStringLiteral("«%1»").arg(QString::fromUtf8(bad[i].second))))
            << dialogs.infos.first().toStdString();
        EXPECT_EQ(stored(), kFullConfig);
        EXPECT_TRUE(host.untouched());
        EXPECT_TRUE(window->isVisible());
        typeInto(values[i].first, good);
    }
}

TEST_F(SettingsWindow, TextConfigIniCannotHoldIsRefusedNamingTheField) {
    store(kFullConfig);
    open();
    typeInto("Edit3", QStringLiteral("pass✓"));
    click("BitBtn1");
    ASSERT_EQ(dialogs.infos.size(), 1);
    EXPECT_TRUE(dialogs.infos.first().contains(QStringLiteral("«Пароль»")));

    typeInto("Edit3", "masterkey");
    control<QLineEdit>("EditRestoreFolder")->setText(QString(2048, QLatin1Char('r')));
    click("BitBtn2");
    ASSERT_EQ(dialogs.infos.size(), 2);
    EXPECT_TRUE(dialogs.infos.last().contains(QStringLiteral("«Папка для восстановления БД из бэкапа»")));

    typeInto("Edit14", QStringLiteral("/opt/браузер✓"));
    click("BitBtn3");
    ASSERT_EQ(dialogs.infos.size(), 3);
    EXPECT_TRUE(dialogs.infos.last().contains(QStringLiteral("«Браузер по умолчанию»")));
    EXPECT_EQ(stored(), kFullConfig);
    EXPECT_EQ(control<QLabel>("Label5")->text(), QStringLiteral("Статус"));
}

TEST_F(SettingsWindow, UnwritableConfigShowsTheErrorAndStaysAsItWas) {
    store(kFullConfig);
    ImmutableFile locked(configPath());
    if (!locked.isSet())
        GTEST_SKIP() << "the file system cannot make the file read-only here";
    // Nothing may be created beside it either.
    QFile::setPermissions(configDir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    open();
    setChecked("CheckBox3", false);
    click("BitBtn5");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors.first(),
              QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(configPath()));
    EXPECT_TRUE(host.untouched());
    EXPECT_TRUE(window->isVisible());
    click("BitBtn1");
    click("BitBtn3");
    EXPECT_EQ(dialogs.errors.size(), 3);
    EXPECT_TRUE(gperBrowserByDefaultBool); // from opening, not from the refused save
    EXPECT_FALSE(gperCopyPassToBufer);
    QFile::setPermissions(configDir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(stored(), kFullConfig);
}

// --- watcher, hotkey, previews -----------------------------------------------------------------

TEST_F(SettingsWindow, TwoSavesLeaveOneWatcherAndSwitchingOffStopsIt) {
    for (int save = 0; save < 2; ++save) {
        open();
        setChecked("CheckBox3", true);
        click("BitBtn5");
        processDeletes();
        EXPECT_EQ(host.watchers, 1) << save;
    }
    EXPECT_EQ(host.watcherCodeKey, "$11");
    EXPECT_EQ(host.watcherSleep, 120);
    open();
    setChecked("CheckBox3", false);
    click("BitBtn5");
    EXPECT_EQ(host.watchers, 0);
}

TEST_F(SettingsWindow, HotkeyIsInstalledOnEverySaveWithTheBoxTickedAndRemovedOtherwise) {
    open();
    setChecked("CheckBox4", true);
    click("BitBtn5");
    open();
    click("BitBtn5");
    open();
    setChecked("CheckBox4", false);
    click("BitBtn5");
    EXPECT_EQ(host.hotkey, (QList<bool>{true, true, false}));
}

TEST_F(SettingsWindow, SliderSetsTheOpacityAtOnceAndWritesNothing) {
    open();
    auto* slider = control<QSlider>("TrackBar1");
    slider->setValue(128);
    EXPECT_NEAR(host.window.windowOpacity(), 128 / 255.0, 0.01);
    slider->setValue(0);
    EXPECT_EQ(slider->value(), 25);
    EXPECT_EQ(host.transparency.last(), 25);
    window->close();
    processDeletes();
    EXPECT_FALSE(QFile::exists(configPath()));
}

TEST_F(SettingsWindow, RadioButtonsPlaceTheMainWindowAtOnceAndWriteNothing) {
    open();
    click("RadioButton2");
    EXPECT_EQ(host.placements.last(), qMakePair(1, 0));
    click("RadioButton4");
    EXPECT_EQ(host.placements.last(), qMakePair(1, 1));
    click("RadioButton1");
    EXPECT_EQ(host.placements.last(), qMakePair(0, 1));
    EXPECT_FALSE(QFile::exists(configPath()));
    EXPECT_EQ(gperMONITOR, 0);
}

TEST_F(SettingsWindow, BrowseButtonPutsTheChosenDatabaseFileIntoThePath) {
    open();
    typeInto("Edit1", "/old.fdb");
    click("BitBtn8"); // cancelled
    EXPECT_EQ(text("Edit1"), "/old.fdb");
    dialogs.nextFileName = QStringLiteral("/srv/база.fdb");
    click("BitBtn8");
    EXPECT_EQ(text("Edit1"), "/srv/база.fdb");
}

} // namespace
