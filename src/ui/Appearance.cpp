#include "ui/Appearance.h"

#include <QRect>
#include <QWidget>
#include <algorithm>

void ONTOP_form(QWidget* form, bool bool_) {
    if (!form || form->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == bool_)
        return;
    // Changing a window's flags hides it and may make its native window anew:
    // show it again where it was, as it was.
    const bool visible = form->isVisible();
    const bool minimized = form->isMinimized();
    const QRect geometry = form->geometry();
    const double opacity = form->windowOpacity();
    form->setWindowFlag(Qt::WindowStaysOnTopHint, bool_);
    if (!visible)
        return;
    form->setGeometry(geometry);
    form->setWindowOpacity(opacity);
    if (minimized)
        form->showMinimized();
    else
        form->show();
}

double opacityForTransparency(int INT_) {
    constexpr double kLeastOpacity = 0.1;
    const int alpha = INT_ == -1 ? 255 : (INT_ & 0xFF);
    return std::max(kLeastOpacity, alpha / 255.0);
}

void transparency_form(QWidget* form, int INT_) {
    if (form)
        form->setWindowOpacity(opacityForTransparency(INT_));
}
