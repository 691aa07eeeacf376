#pragma once

#include "launch/PeriodicThread.h"
#include "platform/KeyInput.h"

#include <QObject>
#include <QString>
#include <array>
#include <utility>

// The last four reports of the two combination keys, and the combination test:
// first key down, second key down, then both up in either order.
class HotkeyCombination {
public:
    int MOD_KEY = -1;
    int VK_KEY = -1;
    std::array<std::pair<int, int>, 4> mas_key{}; // (key code, 1 down / 0 up), oldest first

    // True when this report completes the combination. Other keys are ignored.
    bool feed(int virtualKey, bool down);
};

// The double press: a ring of 100 samples of one key. After a release it looks at
// the five samples before the current one: two separate presses there count.
class DoublePressDetector {
public:
    // Adds the next sample; true when it completes a double press.
    bool addSample(bool pressed);

private:
    std::array<int, 101> mas{}; // 1..100 used
    int i = 0;
};

// The window the hotkeys act on.
class HotkeyWindow {
public:
    virtual ~HotkeyWindow() = default;
    virtual bool isMinimized() = 0;
    virtual bool isActiveWindow() = 0;
    virtual void restore() = 0;
    virtual void minimize() = 0;
    // ForceForegroundWindow: show normally, raise, activate.
    virtual void bringForward() = 0;
};

// What a complete combination does.
enum class HotkeyAction { Restore, Minimize, BringForward };
HotkeyAction hotkeyAction(bool minimized, bool active);

// The double-press sampler.
class TMyThread : public PeriodicThread {};

// The two ways of calling the window from anywhere: the combination of two keys
// (seen through the key source; only the configured keys ever reach us) and the
// double press of one key (sampled by TMyThread). Lives on the user-interface thread.
class Hotkeys : public QObject {
    Q_OBJECT
public:
    Hotkeys(KeySource& keys, KeymapSampler& sampler, HotkeyWindow& window, QObject* parent = nullptr);
    ~Hotkeys() override; // stops the thread, drops the subscription

    // HOTKEY1 and HOTKEY2 from config.ini; a repeated call keeps one subscription.
    void initialization_hotkey();
    void initialization_hotkey(int hotkey1, int hotkey2);
    void deinitialization_hotkey();

    // CODEKEY and SLEEP_POTOK from config.ini.
    bool start_potok();
    // False, with a message, when the key code is unusable; no thread then.
    bool start_potok(const QString& codeKey, int sleepPotok);
    void stop_potok();

    // One report of the key source.
    void WndProc(int virtualKey, bool down);

    HotkeyCombination combination;
    TMyThread& doublePressThread() { return MyThread; }
    // The sampling period start_potok chose: at most 0 gives 120 ms, 1 to 19 gives 20.
    static int samplingPeriodMs(int sleepPotok);

signals:
    void trace(const QString& line);
    void message(const QString& text);
    // Said once per run: global keys cannot be observed in this session.
    void unavailable(const QString& statusText);

private:
    void combinationCompleted();
    void doublePressed();

    KeySource& m_keys;
    KeymapSampler& m_sampler;
    HotkeyWindow& m_window;
    bool m_toldUnavailable = false;
    TMyThread MyThread;
};
