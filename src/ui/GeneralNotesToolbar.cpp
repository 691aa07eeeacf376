#include "ui/GeneralNotesToolbar.h"

#include "ui/NotesColorButton.h"
#include "ui/NotesToolbar.h"
#include "ui/unGeneral.h"

#include <QGroupBox>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextEdit>

namespace {

QGroupBox* notesGroup(TfmGeneral& window) {
    return window.findChild<QGroupBox*>(QStringLiteral("GroupBox8"));
}

template <typename T> T* notesControl(TfmGeneral& window, const char* name) {
    QGroupBox* group = notesGroup(window);
    return group ? group->findChild<T*>(QLatin1String(name), Qt::FindDirectChildrenOnly) : nullptr;
}

// The toolbar's rules live in a hidden NotesToolbar inside the notes field; the
// window shows buttons of its own. Made on first use, gone with the field.
NotesToolbar* toolbarOf(TfmGeneral& window) {
    auto* notes = notesControl<QTextEdit>(window, "RichEditNotes");
    if (!notes)
        return nullptr;
    if (auto* toolbar = notes->findChild<NotesToolbar*>(QString(), Qt::FindDirectChildrenOnly))
        return toolbar;
    auto* toolbar = new NotesToolbar(notes, notes);
    toolbar->hide();
    return toolbar;
}

} // namespace

void runNotesToolbar(TfmGeneral& window, const QString& action) {
    NotesToolbar* toolbar = toolbarOf(window);
    if (!toolbar)
        return;
    if (action == QLatin1String("BtnBold")) {
        toolbar->BtnBoldClick();
    } else if (action == QLatin1String("BtnItalic")) {
        toolbar->BtnItalicClick();
    } else if (action == QLatin1String("BtnUnder")) {
        toolbar->BtnUnderClick();
    } else if (action == QLatin1String("BtnStrikeout")) {
        toolbar->BtnStrikeoutClick();
    } else if (action == QLatin1String("JvOfficeColorButton1")) {
        auto* button = qobject_cast<NotesColorButton*>(notesControl<QToolButton>(window, "JvOfficeColorButton1"));
        toolbar->JvOfficeColorButton1Click(button ? button->color() : std::nullopt);
    } else if (action == QLatin1String("SpinEdit1")) {
        if (auto* size = notesControl<QSpinBox>(window, "SpinEdit1"))
            toolbar->SpinEdit1Change(size->value());
    } else if (action == QLatin1String("BtnAlignLeft")) {
        toolbar->BtnAlignLeftClick();
    } else if (action == QLatin1String("BtnAlignCentr")) {
        toolbar->BtnAlignCentrClick();
    } else if (action == QLatin1String("BtnAlignRight")) {
        toolbar->BtnAlignRightClick();
    }
}

void showNotesSelection(TfmGeneral& window) {
    NotesToolbar* toolbar = toolbarOf(window);
    auto* size = notesControl<QSpinBox>(window, "SpinEdit1");
    if (!toolbar || !size)
        return;
    toolbar->RichEditNotesSelectionChange();
    const auto* shown = toolbar->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"));
    if (!shown)
        return;
    // Showing the size must not apply it: a selection of mixed sizes stays mixed.
    const QSignalBlocker blocker(size);
    size->setValue(shown->value());
}
