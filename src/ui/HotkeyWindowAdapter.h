#pragma once

#include "launch/Hotkeys.h"
#include "platform/WindowRaiser.h"

#include <QWidget>

// The main window as the hotkeys see it.
class WidgetHotkeyWindow : public HotkeyWindow {
public:
    WidgetHotkeyWindow(QWidget& window, WindowRaiser& raiser) : m_window(window), m_raiser(raiser) {}

    bool isMinimized() override { return m_window.isMinimized(); }
    bool isActiveWindow() override { return m_window.isActiveWindow(); }
    void restore() override { ForceForegroundWindow(); }
    void minimize() override { m_window.showMinimized(); }
    void bringForward() override { ForceForegroundWindow(); }

    // Qt's own activation may be refused by the window manager's focus stealing
    // prevention; a request of source "pager" is honoured.
    void ForceForegroundWindow() {
        m_window.showNormal();
        m_window.raise();
        m_window.activateWindow();
        m_raiser.activateWindow(m_window.winId());
    }

private:
    QWidget& m_window;
    WindowRaiser& m_raiser;
};
