#include "ui/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

bool meansSecond(int value) {
    return value != -1 && value != 0;
}

// QRect::right() is one pixel short of the edge.
int rightEdge(const QRect& r) {
    return r.x() + r.width();
}

} // namespace

QRect placedFrame(const QList<MonitorArea>& monitors, const QRect& frame, int perMONITOR, int perPOSITION) {
    if (monitors.isEmpty())
        return frame;
    const int monitor = meansSecond(perMONITOR) && monitors.size() > 1 ? 1 : 0;
    const QRect area = monitors[monitor].workArea;
    const int left = meansSecond(perPOSITION) ? rightEdge(area) - frame.width() : area.x();
    return QRect(left, area.y(), frame.width(), area.height());
}

QList<MonitorArea> currentMonitors() {
    QList<MonitorArea> monitors;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return monitors;
    monitors.append({primary->geometry(), primary->availableGeometry()});
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            monitors.append({screen->geometry(), screen->availableGeometry()});
    }
    return monitors;
}

void POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION) {
    if (!form)
        return;
    const QRect frame = form->frameGeometry();
    const QRect placed = placedFrame(currentMonitors(), frame, perMONITOR, perPOSITION);
    // move() places the outer frame of a window; resize() sizes its client area.
    const int decorationHeight = frame.height() - form->height();
    form->move(placed.topLeft());
    form->resize(form->width(), placed.height() - decorationHeight);
}

void keepAbove(QWidget* window, QWidget* owner) {
    if (!window || !owner)
        return;
    window->winId(); // makes the native window, so that it has a handle
    owner->winId();
    if (window->windowHandle() && owner->windowHandle())
        window->windowHandle()->setTransientParent(owner->windowHandle());
}
