#include "ui/LaunchServices.h"

#include "app/Variable.h"
#include "launch/Hotkeys.h"
#include "launch/Launcher.h"
#include "platform/Clipboard.h"
#include "platform/KeyInput.h"
#include "platform/Processes.h"
#include "platform/ProgramLocator.h"
#include "platform/PuttySettings.h"
#include "platform/Spawner.h"
#include "platform/WindowRaiser.h"
#include "tree/SelectInTreeVieew.h"
#include "tree/TreeLoading.h"
#include "ui/Dialogs.h"
#include "ui/HotkeyWindowAdapter.h"
#include "ui/unGeneral.h"

#include <QStatusBar>
#include <QTimer>
#include <mutex>

namespace {

constexpr int WM_KEYDOWN = 256;
constexpr int WM_SYSKEYDOWN = 260;

} // namespace

LaunchRequest launchRequestOf(const type_ServerParametrs2& loaded) {
    LaunchRequest r;
    r.typeNode = loaded.TYPE_NODE;
    r.idTreeTable = loaded.ID_TREETABLE;
    r.domainName = loaded.DOMAIN_NAME_SERVERS;
    r.ipAddress = loaded.IP_ADDRES_SERVERS;
    r.port = loaded.PORT_SERVERS;
    r.translation = loaded.TRANSLATION_SERVERS;
    r.defaultDnsOrIp = loaded.DEFAUL_DNS_OR_IP_SERVERS;
    r.defaultRdpOrSsh = loaded.DEFAUL_RDP_OR_SSH_SERVERS;
    r.userDnsOrIp = loaded.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS;
    r.userRdpOrSsh = loaded.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS;
    r.login = loaded.LOGIN_LOGIN_PASS;
    r.password = loaded.PASS_LOGIN_PASS;
    return r;
}

// --- the platform ----------------------------------------------------------------------

struct LaunchServices::OwnPlatform {
    PosixSpawner spawner;
    ProcProcessReader processes;
    SystemProgramLocator programs;
    X11WindowRaiser windows;
    QtClipboard clipboard;
    PuttyFileStore putty;
    XInputKeySource keys;
    XcbKeymapSampler keymap;

    LaunchServicesPlatform platform() {
        return {spawner, processes, programs, windows, clipboard, putty, keys, keymap};
    }
};

// A sampler keeps a cache for one thread; two windows' double-press threads take
// turns on it.
class LaunchServices::SerialKeymapSampler : public KeymapSampler {
public:
    explicit SerialKeymapSampler(KeymapSampler& sampler) : m_sampler(sampler) {}
    bool isAnyPressed(const QVector<quint32>& keysyms) override {
        std::lock_guard lock(m_mutex);
        return m_sampler.isAnyPressed(keysyms);
    }

private:
    KeymapSampler& m_sampler;
    std::mutex m_mutex;
};

// --- one window's launcher, watchers and hotkeys ----------------------------------------

// A child of its window. By the time the window deletes it the window has stopped
// both threads (closing, destruction); its own members stop them in any case before
// anything they use goes.
class LaunchServices::WindowParts : public QObject {
public:
    WindowParts(TfmGeneral& window, const LaunchServicesPlatform& p, KeymapSampler& keymap,
                WatcherTiming timing)
        : QObject(&window), m_window(window), hotkeyWindow(window, p.windows), watchers(p.processes, timing),
          launcher({p.spawner, p.processes, p.programs, p.windows, p.clipboard, p.putty}, watchers),
          hotkeys(p.keys, keymap, hotkeyWindow) {
        const auto trace = [this](const QString& line) { m_window.appendTrace(line); };
        const auto message = [this](const QString& text) { m_window.dialogs().showError(&m_window, text); };
        connect(&launcher, &Launcher::trace, this, trace);
        connect(&launcher, &Launcher::message, this, message);
        connect(&watchers, &SessionWatchers::trace, this, trace);
        connect(&watchers, &SessionWatchers::nodeBoldChanged, this, [this](int objectId, bool bold) {
            ObjectTreeModel& tree = m_window.treeModel();
            // A node deleted meanwhile has nothing to show.
            if (TreeNode* node = tree.nodeById(objectId))
                SetNodeState(tree, node, bold ? TVIS_BOLD : 0);
        });
        connect(&hotkeys, &Hotkeys::trace, this, trace);
        connect(&hotkeys, &Hotkeys::message, this, message);
        connect(&hotkeys, &Hotkeys::unavailable, this, [this](const QString& text) {
            m_window.statusBar()->showMessage(text);
            m_window.appendTrace(text);
        });
    }

    bool searchPending() const {
        for (const auto& entry : watchers.MAS_PID_PROCESS.copy()) {
            if (entry.second.searching)
                return true;
        }
        return false;
    }

private:
    TfmGeneral& m_window;

public:
    WidgetHotkeyWindow hotkeyWindow;
    SessionWatchers watchers;
    Launcher launcher;
    Hotkeys hotkeys; // last: its thread goes first
};

// --- the services -------------------------------------------------------------------

LaunchServices::LaunchServices(Dialogs&)
    : m_own(std::make_unique<OwnPlatform>()), m_platform(m_own->platform()),
      m_keymap(std::make_unique<SerialKeymapSampler>(m_platform.keymap)) {}

LaunchServices::LaunchServices(LaunchServicesPlatform platform, WatcherTiming timing)
    : m_platform(platform), m_keymap(std::make_unique<SerialKeymapSampler>(m_platform.keymap)),
      m_timing(timing) {}

// The windows may outlive us; their parts use our platform, so they go now.
LaunchServices::~LaunchServices() {
    for (auto& [window, parts] : m_parts)
        delete parts.data();
}

LaunchServices::WindowParts* LaunchServices::findParts(TfmGeneral& window) {
    const auto found = m_parts.find(&window);
    return found == m_parts.end() ? nullptr : found->second.data();
}

LaunchServices::WindowParts& LaunchServices::partsOf(TfmGeneral& window) {
    std::erase_if(m_parts, [](const auto& entry) { return entry.second.isNull(); });
    if (WindowParts* parts = findParts(window))
        return *parts;
    auto* parts = new WindowParts(window, m_platform, *m_keymap, m_timing);
    m_parts[&window] = parts;
    return *parts;
}

SessionWatchers* LaunchServices::watchersOf(TfmGeneral& window) {
    WindowParts* parts = findParts(window);
    return parts ? &parts->watchers : nullptr;
}

void LaunchServices::initialization_hotkey(TfmGeneral& window) {
    partsOf(window).hotkeys.initialization_hotkey();
}

void LaunchServices::deinitialization_hotkey(TfmGeneral& window) {
    if (WindowParts* parts = findParts(window))
        parts->hotkeys.deinitialization_hotkey();
}

// Only the two configured keys count, and only they are traced.
void LaunchServices::WndProc(TfmGeneral& window, int wParam, int lParam) {
    Hotkeys& hotkeys = partsOf(window).hotkeys;
    if (lParam != hotkeys.combination.MOD_KEY && lParam != hotkeys.combination.VK_KEY)
        return;
    hotkeys.WndProc(lParam, wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN);
}

void LaunchServices::start_potok(TfmGeneral& window) {
    partsOf(window).hotkeys.start_potok();
}

void LaunchServices::stop_potok(TfmGeneral& window) {
    if (WindowParts* parts = findParts(window))
        parts->hotkeys.stop_potok();
}

void LaunchServices::start_potok3(TfmGeneral& window) {
    partsOf(window).watchers.start_potok3();
}

void LaunchServices::stop_potok3(TfmGeneral& window) {
    if (WindowParts* parts = findParts(window))
        parts->watchers.stop_potok3();
}

// The watchers end each search at its own limit; the window's timer only makes sure
// that the pass which does so comes at once.
void LaunchServices::Timer1Timer(TfmGeneral& window) {
    if (QTimer* timer = window.timer1())
        timer->stop();
    if (WindowParts* parts = findParts(window))
        parts->watchers.start_potok4();
}

void LaunchServices::BitBtn1Click(TfmGeneral& window) {
    const TreeNode* node = window.selectedNode();
    if (!node) {
        window.dialogs().showError(&window, kChooseObjectToConnect);
        return;
    }
    const ClientSelection& selection = window.selection();
    const auto nodeIsLoaded = [&] {
        return selection.objectLoaded && selection.gperServerParametrs.ID_TREETABLE == node->id();
    };
    // Selected by keyboard and not loaded yet: the connection is for what is selected.
    if (!nodeIsLoaded())
        window.IfSelectedObjectOnTreeView();
    if (!nodeIsLoaded())
        return; // the load failed and has said why

    WindowParts& parts = partsOf(window);
    parts.launcher.settings = {gperCopyPassToBufer, gperBrowserByDefaultBool, grepBrowserByDefaultPath};
    parts.launcher.BitBtn1Click(launchRequestOf(selection.gperServerParametrs));
    if (parts.searchPending() && window.timer1())
        window.timer1()->start();
}
