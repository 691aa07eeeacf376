#include "FakeDialogs.h"
#include "FakeGeneralServices.h"
#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "fb/Cp1251.h"
#include "fb/Query.h"
#include "journal/TableLogs.h"
#include "notes/NotesRtf.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"
#include "ui/Appearance.h"
#include "ui/Icons.h"
#include "ui/unConnectToBase.h"
#include "ui/unGeneral.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace objectrows;
using testsupport::countRows;

constexpr int kAdmin = 1;

// The main window on a database with a small tree:
//   1 Офис (folder)  ├ 10 Сервер (RDP default, user's own SSH; DNS default 2, user's own 1)
//                    └ 11 Шлюз (SSH, port 2222, no key set)
//   2 Сайт (site, no protocol, no address choice)
class GeneralWindow : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        petrov = addUser(QStringLiteral("Петров"));
        addKeySet(1, QStringLiteral("Общий"), QStringLiteral("corp\\admin"), QStringLiteral("Пароль1"), 0);
        addKeySet(2, QStringLiteral("Мой"), QStringLiteral("ivanov"), QStringLiteral("s3cret"), kAdmin);
        addKeySet(3, QStringLiteral("Петрова"), QStringLiteral("petrov"), QStringLiteral("чужой"), petrov);
        testsupport::execUnchecked(QStringLiteral("SET GENERATOR GEN_LOGIN_PASS_ID TO 100"));
        addObject(1, 0, QStringLiteral("Офис"), 1, 1, 7);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0, 3);
        addObject(11, 1, QStringLiteral("Шлюз"), 2, 0, 43);
        addObject(2, 0, QStringLiteral("Сайт"), 2, 2, 14);
        addServer(1, Server{QString(), QString(), QString(), QString(), 0, 0, 0});
        server10 = addServer(10, Server{QStringLiteral("dc01.corp"), QStringLiteral("10.0.0.10"),
                                        QStringLiteral("3389"), QString(), 1, 2, 1});
        server11 = addServer(11, Server{QStringLiteral("gw.corp"), QStringLiteral("10.0.0.1"),
                                        QStringLiteral("2222"), QStringLiteral("UTF-8"), 0, 1, 2});
        addServer(2, Server{QStringLiteral("https://portal"), QString(), QString(), QString(), 0, 0, 0});
        addLink(kAdmin, server10, 0, 1, 2);
    }

    void TearDown() override {
        window.reset();
        setConfigFolder(QString());
        SchemaDatabase::TearDown();
    }

    TfmGeneral& open(int user = kAdmin) {
        window = std::make_unique<TfmGeneral>(db, user, dialogs, services);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        return *window;
    }

    template <typename T> T* control(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString text(const char* name) {
        if (auto* edit = window->findChild<QLineEdit*>(QLatin1String(name)))
            return edit->text();
        if (auto* combo = window->findChild<QComboBox*>(QLatin1String(name)))
            return combo->currentText();
        return control<QLabel>(name)->text();
    }

    bool checked(const char* name) { return control<QAbstractButton>(name)->isChecked(); }

    // Radio buttons and check boxes react only on their indicator and text.
    void click(const char* name) {
        QWidget* widget = control<QWidget>(name);
        const bool labelled = qobject_cast<QRadioButton*>(widget) || qobject_cast<QCheckBox*>(widget);
        const QPoint at = labelled ? QPoint(6, widget->height() / 2) : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }

    void typeInto(const char* name, const QString& typed) {
        auto* edit = window->findChild<QLineEdit*>(QLatin1String(name));
        if (!edit)
            edit = control<QComboBox>(name)->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        typeKeys(edit, typed);
        QCoreApplication::processEvents();
    }

    // QTest::keyClicks knows only Latin-1 keys; Cyrillic goes as key events with text.
    static void typeKeys(QWidget* target, const QString& typed) {
        for (const QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
    }

    // Clicks the node as a user does, unfolding its ancestors first.
    void clickNode(int id, Qt::MouseButton button = Qt::LeftButton) {
        QTreeView* tree = control<QTreeView>("TreeView1");
        const QModelIndex at = window->treeModel().indexOf(window->treeModel().nodeById(id));
        ASSERT_TRUE(at.isValid()) << id;
        for (QModelIndex up = at.parent(); up.isValid(); up = up.parent())
            tree->expand(up);
        tree->scrollTo(at);
        QTest::mouseClick(tree->viewport(), button, {}, tree->visualRect(at).center());
        QCoreApplication::processEvents();
    }

    void choose(const char* comboName, int index) {
        auto* combo = control<QComboBox>(comboName);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        QCoreApplication::processEvents();
    }

    const ClientSelection& selection() { return window->selection(); }

    QTemporaryDir configDir;
    FakeDialogs dialogs;
    FakeGeneralServices services;
    std::unique_ptr<TfmGeneral> window;
    int petrov = 0;
    int server10 = 0;
    int server11 = 0;
};

// --- creation, folding, closing -----------------------------------------------------------------

TEST_F(GeneralWindow, StartsFoldedAt305ThenTheFoldButtonShowsTheEditorAt800) {
    open();
    EXPECT_EQ(window->width(), 305);
    EXPECT_TRUE(window->isEditorFolded());
    EXPECT_TRUE(control<QGroupBox>("GroupBox1")->isHidden());
    EXPECT_EQ(control<QPushButton>("BitBtn4")->text(), QStringLiteral(">"));

    click("BitBtn4");
    EXPECT_EQ(window->width(), 800);
    EXPECT_FALSE(control<QGroupBox>("GroupBox1")->isHidden());
    EXPECT_EQ(control<QPushButton>("BitBtn4")->text(), QStringLiteral("<"));
    EXPECT_EQ(text("Label2"), QStringLiteral("800"));
    // Placed on the configured monitor both times; unset settings go as -1.
    EXPECT_EQ(services.named(QStringLiteral("POSITION_FORM_ON_MONITOR")),
              QStringList(2, QStringLiteral("POSITION_FORM_ON_MONITOR -1 -1")));

    window->findChild<QAction*>(QStringLiteral("N8"))->trigger();
    EXPECT_EQ(window->width(), 305);
}

TEST_F(GeneralWindow, CreationRunsTheServicesInOrderAndTheUpdateCheckAfterTheFirstShow) {
    const QString s = QStringLiteral("SETINGS");
    Write_ini_bool(s, QStringLiteral("DOUBLECLICK"), true);
    Write_ini_bool(s, QStringLiteral("SETHOTKEY"), true);
    Write_ini_int(s, QStringLiteral("MONITOR"), 1);
    Write_ini_int(s, QStringLiteral("POSITION"), 0);
    Write_ini_bool(s, QStringLiteral("ShowEvents"), true);
    Write_ini_bool(s, QStringLiteral("CopyPassToBufer"), true);
    Write_ini_bool(s, QStringLiteral("BrowserByDefaultBool"), true);
    Write_ini_str(s, QStringLiteral("BrowserByDefaultPath"), QStringLiteral("/usr/bin/firefox"));
    open();
    QTRY_VERIFY(!services.named(QStringLiteral("TUpdateApp")).isEmpty());
    EXPECT_EQ(services.calls, (QStringList{QStringLiteral("start_potok"), QStringLiteral("start_potok3"),
                                           QStringLiteral("POSITION_FORM_ON_MONITOR 1 0"),
                                           QStringLiteral("initialization_hotkey"),
                                           QStringLiteral("TUpdateApp Ver. 0.26.3")}));
    EXPECT_TRUE(gperShowEvents);
    EXPECT_TRUE(gperCopyPassToBufer);
    EXPECT_EQ(grepBrowserByDefaultPath, QStringLiteral("/usr/bin/firefox"));
    EXPECT_EQ(Read_ini_int(QStringLiteral("SETING"), QStringLiteral("HANDLEFORM")),
              static_cast<int>(window->winId()));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(window->treeModel().nodeCount(), 4);
    EXPECT_EQ(selection().gperComboBoxItemIndex, -1);
}

TEST_F(GeneralWindow, AFailingCreationStepShowsOneBoxAndTheTreeStillLoads) {
    services.failOn = QStringLiteral("start_potok3");
    open();
    EXPECT_EQ(dialogs.errors, QStringList{QStringLiteral("start_potok3 failed")});
    EXPECT_EQ(window->treeModel().nodeCount(), 4);
    EXPECT_EQ(selection().MAS_LOGIN_PASS.size(), 3); // shared + own + the empty entry
    EXPECT_EQ(window->width(), 305);
}

TEST_F(GeneralWindow, AppearanceSettingsApplyWithATransparentWindowKeptFindable) {
    Write_ini_bool(QStringLiteral("SETINGS"), QStringLiteral("ONTOP"), true);
    Write_ini_int(QStringLiteral("SETINGS"), QStringLiteral("TRANSPARENCY"), 0);
    open();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_NEAR(window->windowOpacity(), 0.1, 0.01);
    EXPECT_EQ(Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("TRANSPARENCY")),
              0); // stored value kept
    ONTOP_form(window.get(), false);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
    transparency_form(window.get(), 0x180); // the low byte counts
    EXPECT_NEAR(window->windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_DOUBLE_EQ(opacityForTransparency(-1), 1.0);
}

TEST_F(GeneralWindow, CloseBoxMinimisesAndOnlyTheProgramsOwnCloseEndsTheRun) {
    QWidget signIn;
    signIn.show();
    open();
    window->setSignInWindow(&signIn);
    window->close(); // the close box, Alt+F4 and the window manager all send this
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(services.named(QStringLiteral("stop_potok3")).isEmpty());

    window->requestClose();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(signIn.isVisible());
    EXPECT_EQ(services.named(QStringLiteral("stop_potok3")).size(), 1);
    EXPECT_EQ(services.named(QStringLiteral("deinitialization_hotkey")).size(), 1);
    // The watchers were stopped before the hook went and the sign-in window closed.
    EXPECT_LT(services.calls.indexOf(QStringLiteral("stop_potok3")),
              services.calls.indexOf(QStringLiteral("deinitialization_hotkey")));
    window.reset();
    EXPECT_EQ(services.named(QStringLiteral("stop_potok3")).size(), 1); // not twice
}

// --- controls ------------------------------------------------------------------------------------

TEST_F(GeneralWindow, ControlsCarryTheirCaptionsPicturesAndWordsForScreenReaders) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vestibar"));
    auto* pages = control<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Подключение"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Пароли"));
    EXPECT_EQ(control<QGroupBox>("GroupBox3")->title(), QStringLiteral("Объект дерева"));
    EXPECT_EQ(control<QGroupBox>("GroupBox4")->title(),
              QStringLiteral("Компьюетр (указать подключение по ...)"));
    EXPECT_EQ(control<QGroupBox>("GroupBox2")->title(), QStringLiteral("Используемый логин/пароль"));
    EXPECT_EQ(control<QGroupBox>("GroupBox7")->title(), QStringLiteral("По"));
    EXPECT_EQ(control<QGroupBox>("GroupBox8")->title(), QStringLiteral("Заметки"));
    EXPECT_EQ(text("Label1"), QStringLiteral("Имя \"ключей\""));
    EXPECT_EQ(control<QComboBox>("ComboBox3")->count(), 3);
    EXPECT_EQ(control<QComboBox>("ComboBox3")->itemText(2), QStringLiteral("Сайт"));
    EXPECT_EQ(control<QPushButton>("BitBtn12")->text(), QStringLiteral("..."));
    EXPECT_EQ(control<QCheckBox>("CheckBox1")->text(), QStringLiteral("Default"));
    EXPECT_EQ(control<QRadioButton>("RadioButton5")->text(), QStringLiteral("Browser"));
    EXPECT_EQ(control<QLineEdit>("Edit4")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("Memo1"));
    EXPECT_EQ(control<QPushButton>("BitBtn9")->text(), QStringLiteral("В"));
    EXPECT_EQ(control<QPushButton>("BitBtn10")->text(), QStringLiteral("Н"));
    EXPECT_EQ(window->statusPanel(0)->text(), QStringLiteral("Ver. 0.26.3"));
    EXPECT_EQ(window->timer1()->interval(), 60000);
    EXPECT_FALSE(window->timer1()->isActive());

    const std::pair<const char*, const char*> words[] = {
        {"BitBtn1", "Подключиться"},      {"BitBtn2", "Сохранить"},     {"BitBtn3", "Создать объект"},
        {"BitBtn5", "Настройки"},         {"BitBtn11", "Искать далее"}, {"BitBtn8", "Показать пароль"},
        {"BitBtn6", "Копировать пароль"}, {"Image1", "Выбрать иконку"}, {"BitBtn12", "Ключница"},
    };
    for (const auto& [name, said] : words) {
        auto* button = control<QAbstractButton>(name);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(said)) << name;
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(said)) << name;
    }
    EXPECT_EQ(control<QLineEdit>("Edit1")->accessibleName(), QStringLiteral("Название"));
    EXPECT_EQ(control<QLineEdit>("Edit3")->accessibleName(), QStringLiteral("Логин"));
    EXPECT_FALSE(control<QTreeView>("TreeView1")->accessibleName().isEmpty());
    for (const char* pictured : {"BitBtn8", "BitBtn6", "BitBtn11", "BtnBold", "BtnAlignRight", "BitBtn1"})
        EXPECT_FALSE(control<QAbstractButton>(pictured)->icon().isNull()) << pictured;
    EXPECT_EQ(treeIcons().size(), 77);
    EXPECT_EQ(buttonIcons().size(), 20);
    for (int i = 0; i < 77; ++i)
        EXPECT_EQ(treeIcons()[i].pixmap(16, 16).size(), QSize(16, 16)) << i;
}

TEST_F(GeneralWindow, PopupMenusListTheirItemsInOrderWithPictures) {
    open();
    const QList<QAction*> items = control<QMenu>("PopupMenu1")->actions();
    QStringList names, captions;
    for (QAction* item : items) {
        names << item->objectName();
        captions << item->text();
    }
    EXPECT_EQ(names, (QStringList{"N6", "N7", "N3", "N1", "N4", "N5", "N8", "N9"}));
    EXPECT_EQ(captions, (QStringList{"Копировать логин", "Копировать пароль", "Добавить", "Удалить", "Вверх",
                                     "Вниз", "Свойства", "История изменений"}));
    EXPECT_FALSE(items[0]->icon().isNull());
    EXPECT_TRUE(items[6]->icon().isNull());
    EXPECT_EQ(items[7]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    const QList<QAction*> empty = control<QMenu>("PopupMenu2")->actions();
    ASSERT_EQ(empty.size(), 2);
    EXPECT_EQ(empty[0]->objectName(), QStringLiteral("N2"));
    EXPECT_EQ(empty[0]->text(), QStringLiteral("Добавить"));
    EXPECT_EQ(empty[1]->objectName(), QStringLiteral("N10"));
    EXPECT_EQ(empty[1]->text(), QStringLiteral("История изменений"));
}

TEST_F(GeneralWindow, TabOrderRunsTopToBottomThroughTheEditor) {
    open();
    click("BitBtn4");
    const char* order[] = {"Edit1", "Edit5", "RadioButton1", "Edit2", "RadioButton2", "ComboBox1"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget* from = control<QWidget>(order[i]);
        QWidget* next = from->nextInFocusChain();
        while (next != from && (!(next->focusPolicy() & Qt::TabFocus) || next->focusProxy()))
            next = next->nextInFocusChain();
        QWidget* expected = control<QWidget>(order[i + 1]);
        EXPECT_TRUE(next == expected || next->focusProxy() == expected || expected->isAncestorOf(next))
            << order[i] << " -> " << qPrintable(next->objectName());
    }
}

TEST_F(GeneralWindow, ServicesGetTheirHandlersAndANoOpNeverDisablesTheWindow) {
    open();
    click("BitBtn4");
    click("BitBtn5");
    click("Image1");
    click("BitBtn1");
    click("BtnBold");
    click("BitBtn3");
    window->WndProc(256, 162);
    EXPECT_EQ(services.named(QStringLiteral("BitBtn5Click")).size(), 1);
    EXPECT_EQ(services.named(QStringLiteral("Image1Click")).size(), 1);
    EXPECT_EQ(services.named(QStringLiteral("BitBtn1Click")).size(), 1);
    EXPECT_EQ(services.named(QStringLiteral("notesToolbar BtnBold")).size(), 1);
    EXPECT_EQ(services.named(QStringLiteral("CreateObjectOnTreeView")).size(), 1);
    EXPECT_EQ(services.named(QStringLiteral("WndProc 256 162")).size(), 1);
    EXPECT_TRUE(window->isEnabled());

    TfmGeneral plain(db, kAdmin, dialogs); // the do-nothing services
    plain.show();
    QTest::mouseClick(plain.findChild<QPushButton*>(QStringLiteral("BitBtn12")), Qt::LeftButton);
    QTest::mouseClick(plain.findChild<QToolButton*>(QStringLiteral("Image1")), Qt::LeftButton);
    EXPECT_TRUE(plain.isEnabled());
}

TEST_F(GeneralWindow, CreatingAnObjectUnfoldsTheEditorWithoutPlacingTheWindowAndFocusesTheName) {
    open();
    services.calls.clear();
    window->findChild<QAction*>(QStringLiteral("N2"))->trigger();
    EXPECT_EQ(window->width(), 800);
    EXPECT_EQ(control<QPushButton>("BitBtn4")->text(), QStringLiteral("<"));
    EXPECT_EQ(services.calls, QStringList{QStringLiteral("CreateObjectOnTreeView")});
    EXPECT_TRUE(control<QLineEdit>("Edit1")->hasFocus());
}

// --- selection -------------------------------------------------------------------------------------

TEST_F(GeneralWindow, ClickingAServerFillsTheEditorWithItsOwnAddressChoiceAndTheDefaultProtocol) {
    open();
    click("BitBtn4");
    clickNode(10);
    EXPECT_EQ(selection().gperServerParametrs.ID_TREETABLE, 10);
    EXPECT_EQ(text("Edit1"), QStringLiteral("Сервер"));
    EXPECT_EQ(text("Edit5"), QStringLiteral("dc01.corp"));
    EXPECT_EQ(text("Edit2"), QStringLiteral("10.0.0.10"));
    EXPECT_EQ(text("Edit6"), QStringLiteral("3389"));
    EXPECT_EQ(control<QComboBox>("ComboBox3")->currentIndex(), 0);
    EXPECT_FALSE(control<QToolButton>("Image1")->icon().isNull());
    EXPECT_TRUE(checked("RadioButton1")); // the user's choice (1) over the default (2)
    EXPECT_TRUE(checked("RadioButton3")); // the default RDP wins over the user's own SSH
    EXPECT_EQ(text("ComboBox1"), QStringLiteral("Общий"));
    EXPECT_EQ(text("Edit3"), QStringLiteral("corp\\admin"));
    EXPECT_EQ(text("Edit4"), QStringLiteral("Пароль1"));
    EXPECT_TRUE(checked("CheckBox1"));
    EXPECT_EQ(selection().gperComboBoxItemIndex, 0);
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentIndex(), 0);
}

TEST_F(GeneralWindow, AnObjectWithoutKeySetClearsTheFieldsAndAnotherUsersSetIsNotListed) {
    open();
    click("BitBtn4");
    clickNode(10);
    clickNode(11);
    EXPECT_TRUE(text("ComboBox1").isEmpty());
    EXPECT_TRUE(text("Edit3").isEmpty());
    EXPECT_TRUE(text("Edit4").isEmpty());
    EXPECT_FALSE(checked("CheckBox1"));
    EXPECT_EQ(selection().gperComboBoxItemIndex, -1);
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentIndex(), -1);
    auto* box = control<QComboBox>("ComboBox1");
    EXPECT_EQ(box->count(), 2);
    EXPECT_EQ(box->findText(QStringLiteral("Петрова")), -1);
    EXPECT_TRUE(checked("RadioButton4")); // a load's ticking keeps the stored port
    EXPECT_EQ(text("Edit6"), QStringLiteral("2222"));

    clickNode(2); // no protocol, no address: both groups cleared, not another object's choice
    for (const char* radio : {"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5"})
        EXPECT_FALSE(checked(radio)) << radio;
}

TEST_F(GeneralWindow, FolderHidesTheConnectionGroupsAndServerOrSiteShowsThem) {
    open();
    click("BitBtn4");
    clickNode(1);
    for (const char* group : {"GroupBox4", "GroupBox2", "GroupBox7"})
        EXPECT_TRUE(control<QGroupBox>(group)->isHidden()) << group;
    choose("ComboBox3", 0);
    for (const char* group : {"GroupBox4", "GroupBox2", "GroupBox7"})
        EXPECT_FALSE(control<QGroupBox>(group)->isHidden()) << group;
    choose("ComboBox3", 1);
    EXPECT_TRUE(control<QGroupBox>("GroupBox2")->isHidden());
    choose("ComboBox3", 2);
    EXPECT_FALSE(control<QGroupBox>("GroupBox2")->isHidden());
    EXPECT_TRUE(control<QRadioButton>("RadioButton5")->hasFocus());
}

TEST_F(GeneralWindow, ProtocolClicksSetPortAndCodePage) {
    open();
    click("BitBtn4");
    clickNode(10);
    click("RadioButton4");
    EXPECT_EQ(text("Edit6"), QStringLiteral("3389")); // the object's stored port
    EXPECT_EQ(text("ComboBox2"), QStringLiteral("UTF-8"));
    click("RadioButton3");
    EXPECT_EQ(text("Edit6"), QStringLiteral("3389"));
    EXPECT_TRUE(text("ComboBox2").isEmpty());
    testsupport::execWrite(QStringLiteral("update SERVERS set PORT = NULL where ID = %1").arg(server10));
    clickNode(10);
    click("RadioButton4");
    EXPECT_EQ(text("Edit6"), QStringLiteral("22"));
}

TEST_F(GeneralWindow, FieldLimitsHoldForTypingAndPasting) {
    open();
    click("BitBtn4");
    clickNode(10);
    const std::pair<const char*, int> limits[] = {{"Edit1", 50},      {"Edit5", 50},    {"Edit2", 16},
                                                  {"Edit3", 50},      {"Edit4", 50},    {"Edit6", 5},
                                                  {"ComboBox1", 150}, {"ComboBox2", 50}};
    for (const auto& [name, limit] : limits) {
        typeInto(name, QString(limit + 5, QLatin1Char('7')));
        EXPECT_EQ(text(name).size(), limit) << name;
    }
    QApplication::clipboard()->setText(QStringLiteral("123456789"));
    auto* port = control<QLineEdit>("Edit6");
    port->clear();
    port->setFocus();
    QTest::keyClick(port, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(port->text(), QStringLiteral("12345"));
}

// --- key-set selector ---------------------------------------------------------------------------

TEST_F(GeneralWindow, TypedNameInAnyCaseSelectsAndAnUnknownOneKeepsItsText) {
    open();
    click("BitBtn4");
    clickNode(11);
    typeInto("ComboBox1", QStringLiteral("мой"));
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentIndex(), 1);
    EXPECT_EQ(selection().gperComboBoxItemIndex, 1);
    EXPECT_EQ(text("Edit3"), QStringLiteral("ivanov"));
    EXPECT_EQ(text("Edit4"), QStringLiteral("s3cret"));
    EXPECT_FALSE(checked("CheckBox1")); // personal

    typeInto("ComboBox1", QStringLiteral("Новый набор"));
    EXPECT_EQ(text("ComboBox1"), QStringLiteral("Новый набор"));
    EXPECT_EQ(selection().gperComboBoxItemIndex, -1);
    EXPECT_TRUE(text("Edit3").isEmpty());
    EXPECT_TRUE(text("Edit4").isEmpty());
}

TEST_F(GeneralWindow, ChoosingFromTheListFillsTheFieldsAndTabIntoTheBoxKeepsEdits) {
    open();
    click("BitBtn4");
    clickNode(11);
    choose("ComboBox1", 0);
    EXPECT_EQ(text("Edit3"), QStringLiteral("corp\\admin"));
    EXPECT_TRUE(checked("CheckBox1"));
    typeInto("Edit3", QStringLiteral("edited"));
    control<QRadioButton>("RadioButton2")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(control<QComboBox>("ComboBox1")->hasFocus());
    QTest::keyClick(control<QComboBox>("ComboBox1")->lineEdit(), Qt::Key_Shift); // a key goes up in the box
    EXPECT_EQ(text("Edit3"), QStringLiteral("edited"));
}

TEST_F(GeneralWindow, PasswordShowsWhilePressedAndCopyTakesTheStoredOne) {
    open();
    click("BitBtn4");
    clickNode(10);
    auto* show = control<QPushButton>("BitBtn8");
    QTest::mousePress(show, Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Edit4")->echoMode(), QLineEdit::Normal);
    QTest::mouseRelease(show, Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Edit4")->echoMode(), QLineEdit::Password);

    typeInto("Edit4", QStringLiteral("edited"));
    click("BitBtn6");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Пароль1"));
    QApplication::clipboard()->clear();
    window->findChild<QAction*>(QStringLiteral("N7"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Пароль1"));
    window->findChild<QAction*>(QStringLiteral("N6"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("corp\\admin"));

    click("BitBtn12");
    EXPECT_EQ(services.named(QStringLiteral("BitBtn12Click")),
              QStringList{QStringLiteral("BitBtn12Click 1")});
}

TEST_F(GeneralWindow, KeySetManagerCanReloadTheListAndSelectOne) {
    open();
    click("BitBtn4");
    clickNode(11);
    addKeySet(50, QStringLiteral("Из ключницы"), QStringLiteral("k"), QStringLiteral("p"), 0);
    window->load_login_pass();
    EXPECT_EQ(control<QComboBox>("ComboBox1")->count(), 3);
    EXPECT_TRUE(window->selectKeySet(50));
    EXPECT_EQ(text("ComboBox1"), QStringLiteral("Из ключницы"));
    EXPECT_EQ(text("Edit3"), QStringLiteral("k"));
    EXPECT_FALSE(window->selectKeySet(3)); // another user's
}

// --- tree ------------------------------------------------------------------------------------------

TEST_F(GeneralWindow, SelectedNodeStaysBlueWhenTheFocusLeavesTheTree) {
    open();
    click("BitBtn4");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    clickNode(2);
    control<QLineEdit>("Edit1")->setFocus();
    QCoreApplication::processEvents();
    auto* tree = control<QTreeView>("TreeView1");
    const QRect row = tree->visualRect(window->treeModel().indexOf(window->treeModel().nodeById(2)));
    const QImage shot = tree->viewport()->grab().toImage();
    int blue = 0;
    for (int x = row.left(); x <= row.right(); ++x) {
        for (int y = row.top(); y <= row.bottom(); ++y)
            blue += shot.pixelColor(x, y) == QColor(0, 0, 255);
    }
    EXPECT_GT(blue, row.width() * row.height() / 3);
}

TEST_F(GeneralWindow, RightClickOnANodeLoadsItAndOnEmptySpaceClearsTheSelection) {
    open();
    click("BitBtn4");
    clickNode(10, Qt::RightButton);
    EXPECT_EQ(selection().gperServerParametrs.ID_TREETABLE, 10);
    EXPECT_EQ(window->selectedNode(), window->treeModel().nodeById(10));
    control<QMenu>("PopupMenu1")->close();
    auto* tree = control<QTreeView>("TreeView1");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(5, tree->viewport()->height() - 5));
    EXPECT_EQ(window->selectedNode(), nullptr);
}

TEST_F(GeneralWindow, DoubleClickLaunchesDeleteKeyDeletesAndEnterLoads) {
    open();
    clickNode(10);
    auto* tree = control<QTreeView>("TreeView1");
    const QRect row = tree->visualRect(window->treeModel().indexOf(window->treeModel().nodeById(10)));
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(services.named(QStringLiteral("BitBtn1Click")).size(), 1);
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_EQ(services.named(QStringLiteral("DeleteObjectOnTreeView")).size(), 1);

    window->selectNode(window->treeModel().nodeById(2)); // by keyboard: selected, not loaded
    EXPECT_EQ(selection().gperServerParametrs.ID_TREETABLE, 10);
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(selection().gperServerParametrs.ID_TREETABLE, 2);
}

// Where a drop on the node lands in the tree's viewport; empty space for 0.
QPoint dropPoint(TfmGeneral& window, int targetId) {
    QTreeView* tree = window.treeView();
    const QModelIndex at = window.treeModel().indexOf(window.treeModel().nodeById(targetId));
    return at.isValid() ? tree->visualRect(at).center() : QPoint(5, tree->viewport()->height() - 5);
}

TEST_F(GeneralWindow, DropOnAnotherNodeGoesToTreeEditingAndEverythingElseIsRefused) {
    open();
    ObjectTreeModel& tree = window->treeModel();
    control<QTreeView>("TreeView1")->expand(tree.indexOf(tree.nodeById(1)));
    const std::unique_ptr<QMimeData> dragged(tree.mimeData({tree.indexOf(tree.nodeById(1))}));
    const auto over = [&](const QMimeData* data, int target) {
        return window->TreeView1DragOver(data, dropPoint(*window, target));
    };
    EXPECT_TRUE(over(dragged.get(), 2));
    EXPECT_FALSE(over(dragged.get(), 1));  // itself
    EXPECT_FALSE(over(dragged.get(), 10)); // below itself
    EXPECT_FALSE(over(dragged.get(), 0));  // empty space
    EXPECT_FALSE(window->TreeView1DragDrop(dragged.get(), dropPoint(*window, 11)));
    EXPECT_TRUE(services.named(QStringLiteral("TreeView1DragDrop")).isEmpty());

    QMimeData text; // another program's text
    text.setText(QStringLiteral("1"));
    EXPECT_FALSE(over(&text, 2));
    ObjectTreeModel otherClientsTree;
    otherClientsTree.appendTopLevel(1, QStringLiteral("Офис"), 0);
    const std::unique_ptr<QMimeData> foreign(
        otherClientsTree.mimeData({otherClientsTree.indexOf(otherClientsTree.nodeById(1))}));
    EXPECT_FALSE(window->TreeView1DragDrop(foreign.get(), dropPoint(*window, 2)));

    EXPECT_TRUE(window->TreeView1DragDrop(dragged.get(), dropPoint(*window, 2)));
    EXPECT_EQ(services.named(QStringLiteral("TreeView1DragDrop")),
              QStringList{QStringLiteral("TreeView1DragDrop 1 2")});
    EXPECT_EQ(tree.nodeById(1)->parent(), nullptr); // the move itself is tree editing's
    EXPECT_TRUE(control<QTreeView>("TreeView1")->dragEnabled());
    EXPECT_TRUE(control<QTreeView>("TreeView1")->viewport()->acceptDrops());
}

// --- saving -------------------------------------------------------------------------------------------

TEST_F(GeneralWindow, SaveButtonWritesRenamesTheNodeAndJournals) {
    open();
    click("BitBtn4");
    clickNode(11);
    typeInto("Edit1", QStringLiteral("Шлюз Казань"));
    typeInto("Edit6", QStringLiteral("2200"));
    click("BitBtn2");
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(window->treeModel().nodeById(11)->text(), QStringLiteral("Шлюз Казань"));
    EXPECT_EQ(
        cell(QStringLiteral("SERVERS"), QStringLiteral("PORT"), QStringLiteral("ID = %1").arg(server11)),
        QStringLiteral("2200"));
    EXPECT_EQ(countRows(QStringLiteral("LOGS")), 1);
    EXPECT_EQ(text("Edit1"), QStringLiteral("Шлюз Казань")); // reloaded
}

TEST_F(GeneralWindow, RefusedSaveShowsWhyAndWritesNothing) {
    open();
    click("BitBtn4");
    clickNode(10);
    typeInto("Edit4", QStringLiteral("&secret"));
    click("BitBtn2");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("«&»")));
    EXPECT_EQ(countRows(QStringLiteral("LOGS")), 0);
    EXPECT_EQ(
        decode_string(cell(QStringLiteral("LOGIN_PASS"), QStringLiteral("PASS"), QStringLiteral("ID = 1"))),
        QStringLiteral("Пароль1"));
}

TEST_F(GeneralWindow, ChangeByAnotherCopyAsksBeforeOverwritingAndNoReloadsTheEditor) {
    open();
    click("BitBtn4");
    clickNode(10);
    auto other = testsupport::connectAnother(dbPath);
    {
        fb::Query change(other->IBDatabase1, other->IBTransaction2);
        change.setSql(QStringLiteral("update SERVERS set PORT = '4000' where ID = %1").arg(server10));
        change.execSql();
        other->IBTransaction2.commit();
    }
    typeInto("Edit1", QStringLiteral("Мой сервер"));
    dialogs.answers.push_back(Dialogs::Answer::No);
    click("BitBtn2");
    EXPECT_EQ(dialogs.questions,
              QStringList{QStringLiteral("Объект изменён другим пользователем. Перезаписать?")});
    EXPECT_EQ(text("Edit6"), QStringLiteral("4000"));
    EXPECT_EQ(text("Edit1"), QStringLiteral("Сервер"));
    EXPECT_EQ(countRows(QStringLiteral("LOGS")), 0);
    EXPECT_EQ(cell(QStringLiteral("TREETABLE"), QStringLiteral("TEXT"), QStringLiteral("ID = 10")),
              QStringLiteral("Сервер"));
}

TEST_F(GeneralWindow, UneditedPlainNotesGoBackAsTheyCameAndEditedOnesAreStored) {
    setNotes(server10, fb::toCp1251(QStringLiteral("Перезагрузка после 22:00")));
    open();
    click("BitBtn4");
    clickNode(10);
    auto* notes = control<QTextEdit>("RichEditNotes");
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("Перезагрузка после 22:00"));
    EXPECT_FALSE(notes->isReadOnly());
    notes->setFocus();
    QTest::keyClick(notes, Qt::Key_End, Qt::ControlModifier);
    typeKeys(notes, QStringLiteral("!"));
    click("BitBtn2");
    // Edited notes are written as the notes' RTF.
    const QByteArray edited =
        testsupport::readRows(QStringLiteral("select NOTES from SERVERS where ID = %1").arg(server10))
            ->field(0)
            .asBytes();
    EXPECT_TRUE(edited.startsWith("{\\rtf1")) << edited.constData();
    const NotesReadResult read = readNotesRtf(edited);
    ASSERT_EQ(read.model.size(), 1);
    EXPECT_EQ(read.model[0].text(), QStringLiteral("Перезагрузка после 22:00!"));

    const QByteArray rtf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\par}");
    setNotes(server11, rtf);
    clickNode(11);
    EXPECT_FALSE(notes->isReadOnly()); // rich text is edited too
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("При"));
    click("BitBtn2");
    EXPECT_EQ(testsupport::readRows(QStringLiteral("select NOTES from SERVERS where ID = %1").arg(server11))
                  ->field(0)
                  .asBytes(),
              rtf);
    clickNode(2);
    EXPECT_TRUE(notes->toPlainText().isEmpty());
}

// --- status bar and diagnostic tab -----------------------------------------------------------------

TEST_F(GeneralWindow, RestartRequestIsShownInRedInPanelOne) {
    open();
    EXPECT_TRUE(window->statusPanel(1)->text().isEmpty());
    setNeedToRestartProgramm(QStringLiteral("Требуется перезапустить программу"));
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral("Требуется перезапустить программу"));
    EXPECT_EQ(window->statusPanel(1)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    setNeedToRestartProgramm(QString());
}

TEST_F(GeneralWindow, TestButtonsAreMadeOnceAndStretchWithTheTab) {
    open();
    click("BitBtn4");
    control<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QCoreApplication::processEvents();
    click("BitBtn7");
    click("BitBtn7");
    auto* tab = control<QWidget>("TabSheet2");
    EXPECT_EQ(tab->findChildren<QPushButton*>(QStringLiteral("BtBTnLogin1")).size(), 1);
    for (const char* made : {"BtBTnPass1", "BtBTnEdit1", "BtBTnConnect1"})
        EXPECT_EQ(tab->findChildren<QPushButton*>(QLatin1String(made)).size(), 1) << made;
    auto* login = tab->findChild<QPushButton*>(QStringLiteral("BtBTnLogin1"));
    auto* connectButton = tab->findChild<QPushButton*>(QStringLiteral("BtBTnConnect1"));
    const int loginWidth = login->width();
    const int connectRight = tab->width() - connectButton->x();
    const int tabWidth = tab->width();
    window->resize(900, window->height());
    QCoreApplication::processEvents();
    const int grown = tab->width() - tabWidth;
    ASSERT_GT(grown, 0);
    EXPECT_NEAR(login->width(), loginWidth + grown / 2, 1);
    EXPECT_EQ(tab->width() - connectButton->x(), connectRight);
}

TEST_F(GeneralWindow, OnScreenMovesOfTheDiagnosticButtonsUseTheFullIndex) {
    for (int id = 100; id < 400; ++id) // more than 255 nodes before the last one
        addObject(id, 2, QStringLiteral("n%1").arg(id), id);
    open();
    click("BitBtn4");
    ObjectTreeModel& tree = window->treeModel();
    window->selectNode(tree.nodeById(399));
    click("BitBtn9");
    EXPECT_EQ(tree.firstNode(), tree.nodeById(399));
    EXPECT_EQ(window->selectedNode(), tree.nodeById(399));

    window->selectNode(tree.nodeById(398));
    click("BitBtn10"); // nothing after the last node
    EXPECT_EQ(tree.absoluteIndex(tree.nodeById(398)), tree.nodeCount() - 1);
    window->selectNode(tree.nodeById(1));
    click("BitBtn10"); // its first child comes before it
    EXPECT_EQ(tree.nodeById(10)->parent(), nullptr);
    EXPECT_EQ(tree.nodeById(10)->row() + 1, tree.nodeById(1)->row());
    window->selectNode(nullptr);
    click("BitBtn9");
    click("BitBtn10");
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 304); // the table is not touched
}

TEST_F(GeneralWindow, TraceLogKeepsTheLastTenThousandLines) {
    open();
    for (int i = 0; i < 10005; ++i)
        window->appendTrace(QStringLiteral("line %1").arg(i));
    auto* memo = control<QPlainTextEdit>("Memo1");
    EXPECT_EQ(memo->blockCount(), 10000);
    EXPECT_TRUE(memo->toPlainText().endsWith(QStringLiteral("line 10004")));
}

// --- the sign-in window and several clients -----------------------------------------------------------

TEST_F(GeneralWindow, SignInHandsItsServicesToTheMainWindow) {
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), dbPath);
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN"), QStringLiteral("SYSDBA"));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS"), QStringLiteral("quillfern"));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    Write_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT"), true);
    Write_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN"), true);
    Write_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID"), 1);
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO"), QStringLiteral("admin"));
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS"), encode_string(QStringLiteral("kestu")));
    {
        TfmConnectToBase signIn(dialogs, services);
        signIn.start();
        ASSERT_TRUE(signIn.signedIn());
        ASSERT_NE(fmGeneral, nullptr);
        EXPECT_EQ(fmGeneral->userId(), 1);
        EXPECT_EQ(&fmGeneral->database(), &signIn.database());
        EXPECT_EQ(fmGeneral->treeModel().nodeCount(), 4);
        EXPECT_EQ(services.named(QStringLiteral("start_potok3")).size(), 1);
        delete fmGeneral;
    }
    setRunDatabase(&db);
}

TEST_F(GeneralWindow, TwoClientsInOneProcessKeepTheirOwnTreesAndSelections) {
    open();
    auto otherDb = testsupport::connectAnother(dbPath);
    FakeDialogs otherDialogs;
    TfmGeneral second(*otherDb, petrov, otherDialogs);
    second.show();
    EXPECT_EQ(fmGeneral, window.get());
    EXPECT_EQ(second.treeModel().nodeCount(), 4);
    EXPECT_EQ(second.selection().MAS_LOGIN_PASS.size(), 3); // shared + Петров's own + empty

    clickNode(10);
    second.selectNode(second.treeModel().nodeById(11));
    second.IfSelectedObjectOnTreeView();
    EXPECT_EQ(selection().gperServerParametrs.ID_TREETABLE, 10);
    EXPECT_EQ(second.selection().gperServerParametrs.ID_TREETABLE, 11);
    second.procSaveDataInBase();
    EXPECT_TRUE(otherDialogs.errors.isEmpty());
    EXPECT_EQ(&runDatabase(), &db);
    EXPECT_EQ(GetBLOBFromLogsTable(Last_ID_To_LOGS()).UserID_, petrov);
    EXPECT_EQ(selection().gperServerParametrs.ID_TREETABLE, 10);
}

} // namespace
