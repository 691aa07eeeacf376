#pragma once

#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

// Keys are named by X keysyms here; the mapping from the stored Windows key codes
// belongs to the hotkey logic.

// Reports presses and releases of chosen keys anywhere on the desktop, without
// taking them from the program that has the focus. Reports arrive on the thread that
// subscribed, from its event loop.
class KeySource {
public:
    using Listener = std::function<void(quint32 keysym, bool down)>;

    virtual ~KeySource() = default;
    // Replaces any earlier subscription. False when global keys cannot be observed
    // here; unavailableReason() tells why.
    virtual bool subscribe(const QVector<quint32>& keysyms, Listener listener) = 0;
    virtual void unsubscribe() = 0;
    virtual QString unavailableReason() const = 0;
};

// Samples whether keys are held at this moment. Used from one worker thread.
class KeymapSampler {
public:
    virtual ~KeymapSampler() = default;
    // Whether any key producing one of keysyms is held.
    virtual bool isAnyPressed(const QVector<quint32>& keysyms) = 0;
};

class QSocketNotifier;
struct xcb_connection_t;

// XInput2 raw key events on the root window over a connection of its own, read
// through a socket notifier: no polling, and no grab that would take the keys away
// from other programs. Unavailable on Wayland and without XInput 2.
class XInputKeySource : public KeySource {
public:
    XInputKeySource();
    ~XInputKeySource() override;
    bool subscribe(const QVector<quint32>& keysyms, Listener listener) override;
    void unsubscribe() override;
    QString unavailableReason() const override { return m_unavailableReason; }

private:
    void readEvents();
    void handleEvent(const void* event);

    xcb_connection_t* m_connection = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    uint8_t m_xinputOpcode = 0;
    QVector<quint32> m_keysyms;
    QVector<quint32> m_keysymOfKeycode;
    Listener m_listener;
    QString m_unavailableReason;
};

// xcb_query_keymap on a connection of its own.
class XcbKeymapSampler : public KeymapSampler {
public:
    XcbKeymapSampler();
    ~XcbKeymapSampler() override;
    bool isAnyPressed(const QVector<quint32>& keysyms) override;
    bool isConnected() const { return m_connection != nullptr; }

private:
    xcb_connection_t* m_connection = nullptr;
    QVector<quint32> m_cachedKeysyms;
    QVector<uint8_t> m_cachedKeycodes;
};
