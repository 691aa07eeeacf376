#include "platform/KeyInput.h"

#include "platform/X11Atoms.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <memory>
#include <xcb/xinput.h>

namespace {

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

QString waylandReason() {
    return QStringLiteral("Глобальные горячие клавиши недоступны в сеансе Wayland");
}

// The raw key masks for every master keyboard, on the root window.
void selectRawKeys(xcb_connection_t* connection) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask;
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.mask = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
    xcb_input_xi_select_events(connection, x11::rootWindow(connection), 1, &mask.head);
}

} // namespace

XInputKeySource::XInputKeySource() = default;

XInputKeySource::~XInputKeySource() {
    unsubscribe();
}

bool XInputKeySource::subscribe(const QVector<quint32>& keysyms, Listener listener) {
    unsubscribe();
    if (x11::isWaylandSession()) {
        m_unavailableReason = waylandReason();
        return false;
    }
    m_connection = x11::connectToDisplay();
    if (!m_connection) {
        m_unavailableReason =
            QStringLiteral("Глобальные горячие клавиши недоступны: нет подключения к X-серверу");
        return false;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_input_id);
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        extension && extension->present
            ? xcb_input_xi_query_version_reply(m_connection, xcb_input_xi_query_version(m_connection, 2, 0),
                                               nullptr)
            : nullptr,
        &std::free);
    if (!version || version->major_version < 2) {
        unsubscribe();
        m_unavailableReason =
            QStringLiteral("Глобальные горячие клавиши недоступны: X-сервер не поддерживает XInput 2");
        return false;
    }
    m_xinputOpcode = extension->major_opcode;
    m_keysyms = keysyms;
    m_keysymOfKeycode = x11::plainKeysyms(m_connection);
    m_listener = std::move(listener);
    selectRawKeys(m_connection);
    xcb_flush(m_connection);

    m_notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    m_unavailableReason.clear();
    readEvents(); // replies above may have queued events already
    return true;
}

void XInputKeySource::unsubscribe() {
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_listener = nullptr;
    m_keysyms.clear();
}

void XInputKeySource::readEvents() {
    while (m_connection) {
        XcbReply<xcb_generic_event_t> event(xcb_poll_for_event(m_connection), &std::free);
        if (!event)
            break;
        handleEvent(event.get());
    }
    if (m_connection && xcb_connection_has_error(m_connection)) {
        unsubscribe();
        m_unavailableReason =
            QStringLiteral("Глобальные горячие клавиши недоступны: X-сервер закрыл соединение");
    }
}

void XInputKeySource::handleEvent(const void* raw) {
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        m_keysymOfKeycode = x11::plainKeysyms(m_connection);
        return;
    }
    if (type != XCB_GE_GENERIC)
        return;
    const auto* generic = static_cast<const xcb_ge_generic_event_t*>(raw);
    if (generic->extension != m_xinputOpcode)
        return;
    const bool down = generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
    if (!down && generic->event_type != XCB_INPUT_RAW_KEY_RELEASE)
        return;
    const auto* key = static_cast<const xcb_input_raw_key_press_event_t*>(raw);
    const quint32 keysym = key->detail < m_keysymOfKeycode.size() ? m_keysymOfKeycode[key->detail] : 0;
    // Keys nobody asked for are dropped here: this is no key logger.
    if (keysym != 0 && m_keysyms.contains(keysym) && m_listener) {
        const Listener listener = m_listener; // it may unsubscribe
        listener(keysym, down);
    }
}

XcbKeymapSampler::XcbKeymapSampler()
    : m_connection(x11::isWaylandSession() ? nullptr : x11::connectToDisplay()) {}

XcbKeymapSampler::~XcbKeymapSampler() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XcbKeymapSampler::isAnyPressed(const QVector<quint32>& keysyms) {
    if (!m_connection)
        return false;
    if (keysyms != m_cachedKeysyms) {
        m_cachedKeysyms = keysyms;
        m_cachedKeycodes.clear();
        for (xcb_keycode_t keycode : x11::keycodesFor(m_connection, keysyms))
            m_cachedKeycodes.push_back(keycode);
    }
    XcbReply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr), &std::free);
    if (!keymap)
        return false;
    for (uint8_t keycode : m_cachedKeycodes) {
        if (keymap->keys[keycode / 8] & (1u << (keycode % 8)))
            return true;
    }
    return false;
}
