#pragma once

#include <QString>

class TfmGeneral;

// The main window's notes toolbar: its buttons and size box run the notes
// toolbar's rules on RichEditNotes. action is the control's objectName.
void runNotesToolbar(TfmGeneral& window, const QString& action);

// The selection or the insertion point of RichEditNotes moved: the size box
// shows the size there, without applying it back.
void showNotesSelection(TfmGeneral& window);
