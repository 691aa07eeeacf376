#pragma once

#include <QList>
#include <QRect>

class QWidget;

// Where the main window goes: against the left or right edge of a monitor's work
// area, at the work area's full height.

struct MonitorArea {
    QRect geometry; // the whole monitor
    QRect workArea; // without the task bar and docks
};

// The outer frame's rectangle for a frame of this size. monitors[0] is the primary
// monitor, monitors[1] the first other one. Monitor and position -1 and 0 mean the
// first monitor and the left edge, any other value the second monitor and the right
// edge; a second monitor that is not there falls back to the first. Without any
// monitor the frame stays where it is.
QRect placedFrame(const QList<MonitorArea>& monitors, const QRect& frame, int perMONITOR, int perPOSITION);

// The monitors as they are now, the primary one first.
QList<MonitorArea> currentMonitors();

// Places form's outer frame as placedFrame says, with the monitors as they are now.
void POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION);

// Keeps window above owner as the window manager stacks them, without making it a
// child widget: a child would be disabled with its owner. Nothing when owner is null.
void keepAbove(QWidget* window, QWidget* owner);
