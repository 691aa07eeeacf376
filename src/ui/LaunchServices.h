#pragma once

#include "launch/LaunchRequest.h"
#include "launch/SessionWatchers.h"
#include "ui/GeneralServices.h"

#include <QPointer>
#include <map>
#include <memory>

class Clipboard;
class Dialogs;
class KeySource;
class KeymapSampler;
class ProcessReader;
class ProcessSpawner;
class ProgramLocator;
class PuttySettingsStore;
class WindowRaiser;
struct type_ServerParametrs2;

// The operating-system pieces that connections, session watchers and hotkeys use.
// Shared by every main window of the run.
struct LaunchServicesPlatform {
    ProcessSpawner& spawner;
    ProcessReader& processes;
    ProgramLocator& programs;
    WindowRaiser& windows;
    Clipboard& clipboard;
    PuttySettingsStore& putty;
    KeySource& keys;
    KeymapSampler& keymap;
};

// Connections, session watchers and hotkeys of the running program. Each main
// window gets its own launcher, watchers and hotkeys, made on the window's first
// call and owned by the window, so they go when it goes: trace lines land in its
// log, messages in its dialogs, bold marks in its tree.
class LaunchServices : public GeneralServices {
public:
    // On the Linux desktop: posix_spawn, /proc, X11 and PuTTY's session files.
    explicit LaunchServices(Dialogs& dialogs);
    // On the given pieces (a test's fakes); timing sets the watchers' passes.
    LaunchServices(LaunchServicesPlatform platform, WatcherTiming timing = {});
    ~LaunchServices() override;

    void initialization_hotkey(TfmGeneral& window) override;
    void deinitialization_hotkey(TfmGeneral& window) override;
    void WndProc(TfmGeneral& window, int wParam, int lParam) override;
    void start_potok(TfmGeneral& window) override;
    void stop_potok(TfmGeneral& window) override;
    void start_potok3(TfmGeneral& window) override;
    void stop_potok3(TfmGeneral& window) override;
    void Timer1Timer(TfmGeneral& window) override;
    void BitBtn1Click(TfmGeneral& window) override;

    // The window's session watchers; nullptr before the window's first call.
    SessionWatchers* watchersOf(TfmGeneral& window);

private:
    class WindowParts;
    struct OwnPlatform;
    class SerialKeymapSampler;

    WindowParts* findParts(TfmGeneral& window);
    WindowParts& partsOf(TfmGeneral& window);

    std::unique_ptr<OwnPlatform> m_own; // before m_platform, which may refer into it
    LaunchServicesPlatform m_platform;
    std::unique_ptr<SerialKeymapSampler> m_keymap;
    WatcherTiming m_timing;
    std::map<TfmGeneral*, QPointer<WindowParts>> m_parts;
};

// What the launcher reads of the loaded object.
LaunchRequest launchRequestOf(const type_ServerParametrs2& loaded);

inline const QString kChooseObjectToConnect =
    QStringLiteral("Выберите в дереве сервер или сайт, к которому нужно подключиться.");
