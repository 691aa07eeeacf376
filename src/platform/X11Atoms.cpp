#include "platform/X11Atoms.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace x11 {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_window_t rootWindow(xcb_connection_t* connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

QVector<quint32> cardinalProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                  xcb_atom_t type) {
    const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, 65536);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32 || reply->type != type)
        return {};
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return QVector<quint32>(values, values + count);
}

bool isWaylandSession() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return true;
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

xcb_connection_t* qtConnection() {
    if (!qGuiApp)
        return nullptr;
    auto* x11App = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11App ? x11App->connection() : nullptr;
}

} // namespace x11

namespace x11 {

namespace {

// For each keycode from min to max, keysymsPerKeycode values.
struct KeyboardMapping {
    xcb_keycode_t minKeycode = 0;
    int perKeycode = 0;
    QVector<quint32> keysyms;
};

KeyboardMapping keyboardMapping(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    KeyboardMapping mapping;
    mapping.minKeycode = setup->min_keycode;
    const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto cookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, count);
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_mapping_reply(connection, cookie, nullptr), &std::free);
    if (!reply)
        return mapping;
    mapping.perKeycode = reply->keysyms_per_keycode;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    mapping.keysyms =
        QVector<quint32>(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(reply.get()));
    return mapping;
}

} // namespace

QVector<xcb_keycode_t> keycodesFor(xcb_connection_t* connection, const QVector<quint32>& keysyms) {
    const KeyboardMapping mapping = keyboardMapping(connection);
    QVector<xcb_keycode_t> keycodes;
    if (mapping.perKeycode == 0)
        return keycodes;
    const int columns = std::min(mapping.perKeycode, 2);
    for (qsizetype i = 0; i * mapping.perKeycode < mapping.keysyms.size(); ++i) {
        for (int column = 0; column < columns; ++column) {
            if (keysyms.contains(mapping.keysyms[i * mapping.perKeycode + column])) {
                keycodes.push_back(static_cast<xcb_keycode_t>(mapping.minKeycode + i));
                break;
            }
        }
    }
    return keycodes;
}

QVector<quint32> plainKeysyms(xcb_connection_t* connection) {
    const KeyboardMapping mapping = keyboardMapping(connection);
    QVector<quint32> byKeycode(256, 0);
    if (mapping.perKeycode == 0)
        return byKeycode;
    for (qsizetype i = 0; i * mapping.perKeycode < mapping.keysyms.size(); ++i) {
        const qsizetype keycode = mapping.minKeycode + i;
        if (keycode < byKeycode.size())
            byKeycode[keycode] = mapping.keysyms[i * mapping.perKeycode];
    }
    return byKeycode;
}

xcb_connection_t* connectToDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return connection;
}

} // namespace x11
