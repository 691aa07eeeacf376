#pragma once

#include <QByteArray>
#include <QVector>
#include <xcb/xcb.h>

// Small helpers around xcb replies, shared by the X11 implementations.
namespace x11 {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name);
xcb_window_t rootWindow(xcb_connection_t* connection);
// The 32-bit values of a window property, empty when it is missing.
QVector<quint32> cardinalProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                  xcb_atom_t type);
// Whether the session is Wayland, where global keys and foreign windows are out of reach.
bool isWaylandSession();
// Application's connection when Qt runs on X11, else nullptr.
xcb_connection_t* qtConnection();

} // namespace x11

namespace x11 {

// Keycodes whose first two keysym columns (plain and shifted) hold one of keysyms.
QVector<xcb_keycode_t> keycodesFor(xcb_connection_t* connection, const QVector<quint32>& keysyms);
// The keysym of the plain column for each keycode, indexed by keycode.
QVector<quint32> plainKeysyms(xcb_connection_t* connection);
// A connection of our own to $DISPLAY, or nullptr.
xcb_connection_t* connectToDisplay();

} // namespace x11
