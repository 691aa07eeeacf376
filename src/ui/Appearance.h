#pragma once

class QWidget;

// The main window's look, also applied by the settings window.

// form stays on top of all other windows when bool_ is true, else it is a normal window.
void ONTOP_form(QWidget* form, bool bool_);
// form's opacity from the low byte of INT_ (255 opaque; -1, the missing setting, too).
// At least 10 %: a fully transparent window could never be found again.
void transparency_form(QWidget* form, int INT_);

// The opacity transparency_form gives for a setting, 0.1 to 1.
double opacityForTransparency(int INT_);
