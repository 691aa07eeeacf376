#pragma once

#include <QTextEdit>

// The notes field (RichEditNotes). Pasted rich text is reduced to the formatting
// the notes keep, so that nothing is shown that a save would not store.
class NotesEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit NotesEdit(QWidget* parent = nullptr);

protected:
    void insertFromMimeData(const QMimeData* source) override;
};
