#include "launch/Hotkeys.h"

#include "app/Ini.h"
#include "launch/KeyCodeMap.h"

#include <QMetaObject>
#include <memory>

namespace {

constexpr int kDefaultPeriodMs = 120;
constexpr int kShortestPeriodMs = 20;
constexpr int kRingSize = 100;

int ringIndex(int index) {
    return index < 1 ? index + kRingSize : index;
}

} // namespace

bool HotkeyCombination::feed(int virtualKey, bool down) {
    if (virtualKey != MOD_KEY && virtualKey != VK_KEY)
        return false;
    for (std::size_t k = 0; k + 1 < mas_key.size(); ++k)
        mas_key[k] = mas_key[k + 1];
    mas_key[3] = {virtualKey, down ? 1 : 0};
    // -1 never reaches here, but a key code of 0 must not match the empty start.
    if (MOD_KEY < 1 || VK_KEY < 1)
        return false;
    const std::pair<int, int> modDown{MOD_KEY, 1}, vkDown{VK_KEY, 1}, modUp{MOD_KEY, 0}, vkUp{VK_KEY, 0};
    return mas_key[0] == modDown && mas_key[1] == vkDown &&
           ((mas_key[2] == vkUp && mas_key[3] == modUp) || (mas_key[2] == modUp && mas_key[3] == vkUp));
}

bool DoublePressDetector::addSample(bool pressed) {
    ++i;
    mas[i] = pressed ? 1 : 0;
    bool doublePress = false;
    if (!pressed && mas[ringIndex(i - 1)] == 1) {
        int count_ctrl = 0;
        bool flag = true;
        for (int k = 1; k <= 5; ++k) {
            const int sample = mas[ringIndex(i - k)];
            count_ctrl += sample;
            if (k < 5 && sample == 1 && mas[ringIndex(i - k - 1)] == 1)
                flag = false;
        }
        doublePress = count_ctrl == 2 && flag;
    }
    if (i == kRingSize)
        i = 0;
    return doublePress;
}

HotkeyAction hotkeyAction(bool minimized, bool active) {
    if (minimized)
        return HotkeyAction::Restore;
    return active ? HotkeyAction::Minimize : HotkeyAction::BringForward;
}

Hotkeys::Hotkeys(KeySource& keys, KeymapSampler& sampler, HotkeyWindow& window, QObject* parent)
    : QObject(parent), m_keys(keys), m_sampler(sampler), m_window(window) {}

Hotkeys::~Hotkeys() {
    stop_potok();
    m_keys.unsubscribe();
}

void Hotkeys::initialization_hotkey() {
    initialization_hotkey(Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("HOTKEY1")),
                          Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("HOTKEY2")));
}

void Hotkeys::initialization_hotkey(int hotkey1, int hotkey2) {
    combination.MOD_KEY = hotkey1;
    combination.VK_KEY = hotkey2;
    const QVector<quint32> modKeysyms = keysymsForVirtualKey(hotkey1);
    const QVector<quint32> vkKeysyms = keysymsForVirtualKey(hotkey2);
    for (int code : {hotkey1, hotkey2}) {
        if (code > 0 && keysymsForVirtualKey(code).isEmpty())
            emit message(
                QStringLiteral("Клавиша с кодом %1 не поддерживается в сочетании горячих клавиш.").arg(code));
    }
    if (modKeysyms.isEmpty() || vkKeysyms.isEmpty()) {
        m_keys.unsubscribe(); // a key of -1 leaves the combination inert
        return;
    }
    const bool subscribed =
        m_keys.subscribe(modKeysyms + vkKeysyms, [this, modKeysyms](quint32 keysym, bool down) {
            WndProc(modKeysyms.contains(keysym) ? combination.MOD_KEY : combination.VK_KEY, down);
        });
    if (!subscribed && !m_toldUnavailable) {
        m_toldUnavailable = true;
        emit unavailable(m_keys.unavailableReason());
    }
}

void Hotkeys::deinitialization_hotkey() {
    m_keys.unsubscribe();
}

void Hotkeys::WndProc(int virtualKey, bool down) {
    emit trace(QString::number(virtualKey) +
               (down ? QStringLiteral(" нажата ") : QStringLiteral(" отпущена ")));
    if (combination.feed(virtualKey, down))
        combinationCompleted();
}

void Hotkeys::combinationCompleted() {
    switch (hotkeyAction(m_window.isMinimized(), m_window.isActiveWindow())) {
    case HotkeyAction::Restore:
        m_window.restore();
        break;
    case HotkeyAction::Minimize:
        m_window.minimize();
        break;
    case HotkeyAction::BringForward:
        m_window.bringForward();
        break;
    }
}

int Hotkeys::samplingPeriodMs(int sleepPotok) {
    if (sleepPotok <= 0)
        return kDefaultPeriodMs;
    return std::max(sleepPotok, kShortestPeriodMs);
}

bool Hotkeys::start_potok() {
    return start_potok(Read_ini_str(QStringLiteral("SETINGS"), QStringLiteral("CODEKEY")),
                       Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("SLEEP_POTOK")));
}

bool Hotkeys::start_potok(const QString& codeKey, int sleepPotok) {
    stop_potok();
    const auto code = parseVirtualKeyCode(codeKey);
    const QVector<quint32> keysyms = code ? keysymsForVirtualKey(*code) : QVector<quint32>();
    if (keysyms.isEmpty()) {
        emit message(
            QStringLiteral("Код клавиши двойного нажатия «%1» (CODEKEY) не подходит; двойное нажатие "
                           "отключено. Выберите клавишу в настройках.")
                .arg(codeKey));
        return false;
    }
    const std::chrono::milliseconds period(samplingPeriodMs(sleepPotok));
    auto detector = std::make_shared<DoublePressDetector>();
    MyThread.start([this, keysyms, period, detector] {
        if (detector->addSample(m_sampler.isAnyPressed(keysyms)))
            QMetaObject::invokeMethod(
                this, [this] { doublePressed(); }, Qt::QueuedConnection);
        return period;
    });
    return true;
}

void Hotkeys::stop_potok() {
    MyThread.stop();
}

void Hotkeys::doublePressed() {
    if (m_window.isMinimized())
        m_window.restore();
}
