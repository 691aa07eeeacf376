#include "platform/WindowRaiser.h"

#include "platform/X11Atoms.h"

#include <cstring>

namespace {

constexpr uint32_t kSourcePager = 2; // we act for the user, as a task bar would

bool sendActiveWindowRequest(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t activeAtom = x11::internAtom(connection, "_NET_ACTIVE_WINDOW");
    if (activeAtom == XCB_ATOM_NONE)
        return false;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = activeAtom;
    event.data.data32[0] = kSourcePager;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, x11::rootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    return true;
}

} // namespace

X11WindowRaiser::X11WindowRaiser() = default;

X11WindowRaiser::~X11WindowRaiser() {
    if (m_own)
        xcb_disconnect(m_own);
}

xcb_connection_t* X11WindowRaiser::connection() {
    if (xcb_connection_t* qt = x11::qtConnection())
        return qt;
    if (!m_triedOwn && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        m_triedOwn = true;
        m_own = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_own)) {
            xcb_disconnect(m_own);
            m_own = nullptr;
        }
    }
    return m_own;
}

int X11WindowRaiser::raiseWindowsOf(qint64 pid) {
    xcb_connection_t* c = connection();
    if (!c || pid <= 0)
        return 0;
    const xcb_atom_t clientList = x11::internAtom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t wmPid = x11::internAtom(c, "_NET_WM_PID");
    int raised = 0;
    for (quint32 window : x11::cardinalProperty(c, x11::rootWindow(c), clientList, XCB_ATOM_WINDOW)) {
        const auto pids = x11::cardinalProperty(c, window, wmPid, XCB_ATOM_CARDINAL);
        if (!pids.isEmpty() && pids.front() == pid && sendActiveWindowRequest(c, window))
            ++raised;
    }
    xcb_flush(c);
    return raised;
}

bool X11WindowRaiser::activateWindow(quint64 windowId) {
    xcb_connection_t* c = connection();
    if (!c || windowId == 0)
        return false;
    const bool sent = sendActiveWindowRequest(c, static_cast<xcb_window_t>(windowId));
    xcb_flush(c);
    return sent;
}
