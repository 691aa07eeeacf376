#include "FakeDialogs.h"
#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "support/FakePlatform.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"
#include "ui/LaunchServices.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace objectrows;
using namespace std::chrono_literals;

constexpr int kAdmin = 1;
constexpr quint32 XK_Control_L = 0xffe3, XK_Alt_L = 0xffe9;

// A password that a shell, a PuTTY command line or a PowerShell script would all
// have taken apart.
const QString kPassword = QStringLiteral("Zq9 'x\"; $(id) `id` пароль");

// The main window over a real database, its connections on the fake platform:
//   1 Офис (folder) ├ 10 Сервер  (RDP, by name; key set "Мой")
//                   ├ 11 Шлюз    (SSH on 2222, KOI8-R; key set "Мой")
//                   ├ 12 Без способа (no protocol)
//                   └ 13 Без адреса  (RDP, no address chosen)
//   2 Сайт (site, https://portal, browser)
class LaunchWindow : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        gperCopyPassToBufer = false;
        gperBrowserByDefaultBool = false;
        addKeySet(2, QStringLiteral("Мой"), QStringLiteral("ivanov"), kPassword, kAdmin);
        addObject(1, 0, QStringLiteral("Офис"), 1, 1, 7);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0, 3);
        addObject(11, 1, QStringLiteral("Шлюз"), 2, 0, 43);
        addObject(12, 1, QStringLiteral("Без способа"), 3, 0, 3);
        addObject(13, 1, QStringLiteral("Без адреса"), 4, 0, 3);
        addObject(2, 0, QStringLiteral("Сайт"), 2, 2, 14);
        addServer(1, Server{QString(), QString(), QString(), QString(), 0, 0, 0});
        addServer(10, Server{QStringLiteral("dc01.corp"), QStringLiteral("10.0.0.10"), QStringLiteral("3389"),
                             QString(), 2, 1, 1});
        addServer(11, Server{QStringLiteral("gw.corp"), QStringLiteral("10.0.0.1"), QStringLiteral("2222"),
                             QStringLiteral("KOI8-R"), 2, 1, 2});
        addServer(12, Server{QStringLiteral("none.corp"), QString(), QString(), QString(), 2, 1, 0});
        addServer(13, Server{QStringLiteral("lost.corp"), QStringLiteral("10.0.0.13"), QString(), QString(),
                             2, 0, 1});
        addServer(2, Server{QStringLiteral("https://portal"), QString(), QString(), QString(), 0, 1, 3});
    }

    void TearDown() override {
        window.reset();
        services.reset();
        setConfigFolder(QString());
        SchemaDatabase::TearDown();
    }

    TfmGeneral& open() {
        services = std::make_unique<LaunchServices>(
            LaunchServicesPlatform{spawner, processes, programs, windows, clipboard, putty, keys, keymap},
            WatcherTiming{40ms, 20ms, 60000ms});
        window = std::make_unique<TfmGeneral>(db, kAdmin, dialogs, *services);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        return *window;
    }

    void clickNode(int id) {
        QTreeView* tree = window->treeView();
        const QModelIndex at = window->treeModel().indexOf(window->treeModel().nodeById(id));
        ASSERT_TRUE(at.isValid()) << id;
        for (QModelIndex up = at.parent(); up.isValid(); up = up.parent())
            tree->expand(up);
        tree->scrollTo(at);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(at).center());
        QCoreApplication::processEvents();
    }

    void doubleClickNode(int id) {
        clickNode(id);
        QTreeView* tree = window->treeView();
        const QModelIndex at = window->treeModel().indexOf(window->treeModel().nodeById(id));
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(at).center());
        QCoreApplication::processEvents();
    }

    void connectButton() {
        auto* button = window->findChild<QPushButton*>(QStringLiteral("BitBtn1"));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    bool bold(int id) { return window->treeModel().nodeById(id)->isBold(); }

    QString trace() { return window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(); }

    qint64 startedPid(std::size_t request) {
        const QString name = QFileInfo(spawner.requests.at(request).program).fileName();
        for (const ProcessEntry& p : processes.snapshot()) {
            if (p.comm == name.toUtf8())
                return p.pid;
        }
        return 0;
    }

    // Nothing the client gets on its command line holds the password or a piece of it.
    void expectNoPasswordOnAnyCommandLine() {
        for (const SpawnRequest& r : spawner.requests) {
            for (const QString& argument : r.arguments) {
                EXPECT_FALSE(argument.contains(QStringLiteral("Zq9"))) << argument.toStdString();
                EXPECT_FALSE(argument.contains(QStringLiteral("пароль"))) << argument.toStdString();
            }
        }
        EXPECT_FALSE(trace().contains(QStringLiteral("Zq9")));
        EXPECT_FALSE(trace().contains(QStringLiteral("пароль")));
    }

    QTemporaryDir configDir;
    FakeDialogs dialogs;
    FakeProcesses processes;
    FakeSpawner spawner{processes};
    FakeProgramLocator programs;
    FakeWindowRaiser windows;
    FakeClipboard clipboard;
    FakePuttyStore putty;
    FakeKeySource keys;
    FakeKeymapSampler keymap;
    std::unique_ptr<LaunchServices> services;
    std::unique_ptr<TfmGeneral> window;
};

// --- connections ------------------------------------------------------------------------------

TEST_F(LaunchWindow, ConnectButtonStartsXfreerdpBoldsTheNodeWhileItRunsAndNeverShowsThePassword) {
    open();
    clickNode(10);
    connectButton();

    ASSERT_EQ(spawner.requests.size(), 1u);
    const SpawnRequest& started = spawner.requests[0];
    EXPECT_EQ(started.program, QStringLiteral("/usr/bin/xfreerdp"));
    EXPECT_EQ(started.arguments,
              QStringList({QStringLiteral("/v:dc01.corp"), QStringLiteral("/port:3389"),
                           QStringLiteral("/u:ivanov"), QStringLiteral("/from-stdin:force"),
                           QStringLiteral("/cert:tofu")}));
    EXPECT_EQ(started.stdinData, (kPassword + QLatin1Char('\n')).toUtf8());
    expectNoPasswordOnAnyCommandLine();
    EXPECT_TRUE(trace().contains(QStringLiteral("/usr/bin/xfreerdp /v:dc01.corp")));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(bold(10));
    EXPECT_TRUE(window->timer1()->isActive()); // a search is pending
    EXPECT_EQ(clipboard.sets, 0);

    // The watcher confirms the session, and it stays bold while the process lives.
    QTRY_VERIFY(trace().contains(QStringLiteral("Процессе существует")));
    EXPECT_TRUE(bold(10));

    processes.end(startedPid(0));
    QTRY_VERIFY_WITH_TIMEOUT(!bold(10), 3000);
    EXPECT_TRUE(trace().contains(QStringLiteral("Сеанс завершён")));
}

TEST_F(LaunchWindow, RunningSessionIsBroughtForwardAndAnEndedOneStartsAnew) {
    open();
    clickNode(10);
    connectButton();
    ASSERT_EQ(spawner.requests.size(), 1u);
    const qint64 pid = startedPid(0);
    QTRY_VERIFY(trace().contains(QStringLiteral("Процессе существует")));

    connectButton();
    EXPECT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(windows.raisedPids, std::vector<qint64>{pid});
    EXPECT_TRUE(trace().contains(QStringLiteral("Сеанс уже открыт")));
    EXPECT_TRUE(bold(10));

    // The same number given to another program is not our session.
    processes.reuse(pid, "bash");
    QTRY_VERIFY_WITH_TIMEOUT(!bold(10), 3000);
    connectButton();
    EXPECT_EQ(spawner.requests.size(), 2u);
    EXPECT_TRUE(bold(10));
}

TEST_F(LaunchWindow, DoubleClickStartsPuttyAfterSettingTheCodePage) {
    open();
    doubleClickNode(11);

    ASSERT_EQ(spawner.requests.size(), 1u);
    const SpawnRequest& started = spawner.requests[0];
    EXPECT_EQ(started.program, QStringLiteral("/usr/bin/putty"));
    EXPECT_EQ(started.arguments,
              QStringList({QStringLiteral("-ssh"), QStringLiteral("-l"), QStringLiteral("ivanov"),
                           QStringLiteral("-P"), QStringLiteral("2222"), QStringLiteral("-pwfile"),
                           QStringLiteral("/dev/stdin"), QStringLiteral("gw.corp")}));
    EXPECT_EQ(started.stdinData, (kPassword + QLatin1Char('\n')).toUtf8());
    EXPECT_EQ(putty.codePages, QStringList{QStringLiteral("KOI8-R")});
    expectNoPasswordOnAnyCommandLine();
    EXPECT_TRUE(bold(11));

    processes.end(startedPid(0));
    QTRY_VERIFY_WITH_TIMEOUT(!bold(11), 3000);
}

TEST_F(LaunchWindow, NoProtocolOrNoAddressSaysSoStartsNothingAndBoldsNothing) {
    open();
    clickNode(12);
    connectButton();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith(QStringLiteral("Не выбран способ подключения")));
    EXPECT_FALSE(bold(12));

    clickNode(13);
    connectButton();
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors[1].startsWith(QStringLiteral("Не указан адрес подключения")));
    EXPECT_FALSE(bold(13));

    EXPECT_TRUE(spawner.requests.empty());
    EXPECT_FALSE(window->timer1()->isActive());
}

TEST_F(LaunchWindow, MissingClientOrFailedStartIsReportedAndLeavesTheNodeNormal) {
    programs.missing << QStringLiteral("xfreerdp");
    open();
    clickNode(10);
    connectButton();
    EXPECT_EQ(dialogs.errors,
              QStringList{QStringLiteral("Не найдена программа xfreerdp. Установите пакет freerdp2-x11.")});
    EXPECT_TRUE(spawner.requests.empty());

    programs.missing.clear();
    spawner.failure = QStringLiteral("Permission denied");
    connectButton();
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors[1].contains(QStringLiteral("Permission denied")));
    EXPECT_FALSE(dialogs.errors[1].contains(QStringLiteral("Zq9")));
    EXPECT_FALSE(bold(10));
    EXPECT_EQ(services->watchersOf(*window)->MAS_PID_PROCESS.size(), 0);
}

TEST_F(LaunchWindow, SiteOpensInTheBrowserWithoutBoldAndAFolderDoesNothing) {
    open();
    doubleClickNode(2);
    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(spawner.requests[0].program, QStringLiteral("/usr/bin/xdg-open"));
    EXPECT_EQ(spawner.requests[0].arguments, QStringList{QStringLiteral("https://portal")});
    EXPECT_FALSE(spawner.requests[0].stdinData.has_value());
    EXPECT_FALSE(bold(2)); // nothing tracks a browser tab

    gperCopyPassToBufer = true;
    doubleClickNode(1);
    EXPECT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(clipboard.sets, 0);
    EXPECT_FALSE(bold(1));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(LaunchWindow, WithoutSelectionItAsksForOneAndAKeyboardSelectionIsLoadedFirst) {
    open();
    connectButton();
    EXPECT_EQ(dialogs.errors, QStringList{kChooseObjectToConnect});

    clickNode(12);
    window->selectNode(window->treeModel().nodeById(11)); // by keyboard: selected, not loaded
    connectButton();
    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(spawner.requests[0].arguments.last(), QStringLiteral("gw.corp"));
    EXPECT_EQ(window->selection().gperServerParametrs.ID_TREETABLE, 11);
}

TEST_F(LaunchWindow, CopyPassToBuferPutsThePasswordOnTheClipboard) {
    open();
    gperCopyPassToBufer = true;
    clickNode(10);
    connectButton();
    EXPECT_EQ(clipboard.text, kPassword);
}

TEST_F(LaunchWindow, ClosingStopsTheWatcherAndATimeoutWakesIt) {
    open();
    SessionWatchers* watchers = services->watchersOf(*window);
    ASSERT_NE(watchers, nullptr);
    EXPECT_TRUE(watchers->watcherThread().isRunning());
    clickNode(10);
    connectButton();
    ASSERT_TRUE(window->timer1()->isActive());
    window->timer1()->setInterval(1); // the minute is up
    QTRY_VERIFY(!window->timer1()->isActive());

    window->requestClose();
    EXPECT_FALSE(watchers->watcherThread().isRunning());
    // Destroying the window takes its parts along; the services outlive it.
    window.reset();
}

TEST_F(LaunchWindow, TwoWindowsKeepTheirOwnSessionsAndOneClosingLeavesTheOtherWorking) {
    open();
    auto second = std::make_unique<TfmGeneral>(db, kAdmin, dialogs, *services);
    clickNode(10);
    connectButton();
    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_TRUE(bold(10));
    EXPECT_FALSE(second->treeModel().nodeById(10)->isBold());
    EXPECT_EQ(services->watchersOf(*second)->MAS_PID_PROCESS.size(), 0);

    second->requestClose();
    second.reset();
    processes.end(startedPid(0));
    QTRY_VERIFY_WITH_TIMEOUT(!bold(10), 3000);
}

// --- hotkeys ----------------------------------------------------------------------------------

TEST_F(LaunchWindow, ConfiguredCombinationRestoresTheMinimisedWindowAndTracesOnlyItsKeys) {
    const QString s = QStringLiteral("SETINGS");
    Write_ini_bool(s, QStringLiteral("SETHOTKEY"), true);
    Write_ini_int(s, QStringLiteral("HOTKEY1"), 162);
    Write_ini_int(s, QStringLiteral("HOTKEY2"), 164);
    open();
    ASSERT_TRUE(keys.isSubscribed());
    EXPECT_EQ(keys.keysyms(), (QVector<quint32>{XK_Control_L, XK_Alt_L}));

    window->showMinimized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->isMinimized());
    keys.key(XK_Control_L, true);
    keys.key(XK_Alt_L, true);
    keys.key(XK_Alt_L, false);
    keys.key(XK_Control_L, false);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(windows.activated, std::vector<quint64>{window->winId()});
    EXPECT_TRUE(trace().contains(QStringLiteral("162 нажата ")));

    // A key report of another key is neither traced nor counted.
    window->WndProc(256, 65);
    EXPECT_FALSE(trace().contains(QStringLiteral("65 нажата")));

    window->requestClose();
    EXPECT_FALSE(keys.isSubscribed());
}

TEST_F(LaunchWindow, UnavailableKeySourceIsShownInTheStatusBarOnce) {
    keys.available = false;
    Write_ini_bool(QStringLiteral("SETINGS"), QStringLiteral("SETHOTKEY"), true);
    Write_ini_int(QStringLiteral("SETINGS"), QStringLiteral("HOTKEY1"), 162);
    Write_ini_int(QStringLiteral("SETINGS"), QStringLiteral("HOTKEY2"), 164);
    open();
    const QString text = QStringLiteral("Глобальные горячие клавиши недоступны в сеансе Wayland");
    EXPECT_EQ(window->statusBar()->currentMessage(), text);
    EXPECT_TRUE(dialogs.errors.isEmpty());

    window->statusBar()->clearMessage();
    services->initialization_hotkey(*window);
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(trace().split(QLatin1Char('\n')).count(text), 1);
}

TEST_F(LaunchWindow, DoublePressRestoresAndABadKeyCodeSaysSoWithoutAThread) {
    const QString s = QStringLiteral("SETINGS");
    Write_ini_bool(s, QStringLiteral("DOUBLECLICK"), true);
    Write_ini_str(s, QStringLiteral("CODEKEY"), QStringLiteral("Ctrl"));
    open();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("CODEKEY")));
    EXPECT_EQ(keymap.taken(), 0);

    Write_ini_str(s, QStringLiteral("CODEKEY"), QStringLiteral("$11"));
    Write_ini_int(s, QStringLiteral("SLEEP_POTOK"), 20);
    window->showMinimized();
    QCoreApplication::processEvents();
    keymap.queue({0, 1, 0, 1, 0});
    services->start_potok(*window);
    QTRY_VERIFY_WITH_TIMEOUT(!windows.activated.empty(), 3000);
    EXPECT_FALSE(window->isMinimized());
    services->stop_potok(*window);
    EXPECT_EQ(keymap.lastKeysyms, (QVector<quint32>{XK_Control_L, 0xffe4}));
}

} // namespace
