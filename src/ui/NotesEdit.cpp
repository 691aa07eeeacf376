#include "ui/NotesEdit.h"

#include "notes/NotesModel.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

NotesEdit::NotesEdit(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("RichEditNotes"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Text without a size of its own is stored as 8 pt; show it so.
    QFont notesFont = document()->defaultFont();
    notesFont.setPointSizeF(kNotesDefaultHalfPoints / 2.0);
    document()->setDefaultFont(notesFont);
}

void NotesEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || isReadOnly())
        return;
    if (!source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QTextDocument pasted;
    QTextCursor(&pasted).insertFragment(QTextDocumentFragment::fromHtml(source->html()));
    NotesModel model = notesModelOf(pasted);
    for (NotesParagraph& paragraph : model) {
        for (NotesRun& run : paragraph.runs) {
            if (run.halfPoints <= 0)
                run.halfPoints = kNotesDefaultHalfPoints;
        }
    }
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertNotesModel(cursor, model);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}
