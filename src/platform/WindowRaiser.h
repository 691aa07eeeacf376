#pragma once

#include <QtGlobal>
#include <memory>

// Brings the windows of a process to the front.
class WindowRaiser {
public:
    virtual ~WindowRaiser() = default;
    // Asks the window manager to activate (and so de-iconify) every top-level window
    // of the process. Returns how many windows were asked for; 0 where the desktop
    // does not let us see other programs' windows.
    virtual int raiseWindowsOf(qint64 pid) = 0;
    // Asks the window manager to activate one window of ours (X11 window ID).
    virtual bool activateWindow(quint64 windowId) = 0;
};

struct xcb_connection_t;

// X11 and EWMH: _NET_CLIENT_LIST, _NET_WM_PID and the _NET_ACTIVE_WINDOW request.
// Uses the application's own X connection when it runs on X11, else one of its own
// to $DISPLAY; with neither it raises nothing.
class X11WindowRaiser : public WindowRaiser {
public:
    X11WindowRaiser();
    ~X11WindowRaiser() override;
    int raiseWindowsOf(qint64 pid) override;
    bool activateWindow(quint64 windowId) override;

private:
    xcb_connection_t* connection();

    xcb_connection_t* m_own = nullptr;
    bool m_triedOwn = false;
};
