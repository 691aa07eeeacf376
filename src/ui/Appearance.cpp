#include "ui/Appearance.h"

#include <QWidget>
#include <algorithm>

void ONTOP_form(QWidget* form, bool bool_) {
    if (!form || form->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == bool_)
        return;
    // Changing a window's flags hides it; show it again where it was.
    const bool visible = form->isVisible();
    form->setWindowFlag(Qt::WindowStaysOnTopHint, bool_);
    if (visible)
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
