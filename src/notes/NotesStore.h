#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QTextDocument;

// What saving an object writes into its notes. The editor keeps only our subset
// of formatting, so notes another copy wrote with more (pictures, tables, other
// fonts) would lose it if every save rewrote them.

inline const QString kDropFormattingQuestion =
    QStringLiteral("Заметки содержат оформление, которое эта программа не сохраняет (картинки, таблицы, "
                   "другие шрифты).\nСохранить заметки без него?");

// The notes as they came from the database.
struct StoredNotes {
    QByteArray bytes;
    bool beyondSubset = false; // as readNotesRtf reported
};

enum class NotesSaveAction { KeepStored, WriteEditor, AskBeforeDropping };

// Unmodified notes go back as they were; modified ones are written from the
// editor, after asking when that drops formatting.
NotesSaveAction notesSaveAction(bool editorModified, bool storedBeyondSubset);

// The bytes to store. userAgreesToDrop is asked only when formatting would be
// lost; anything but agreement keeps the stored bytes.
QByteArray notesBytesToStore(const StoredNotes& stored, const QTextDocument& editor,
                             const std::function<bool()>& userAgreesToDrop);

// Loads the stored bytes into the editor (unmodified afterwards) and returns
// what a later save needs to know about them.
StoredNotes loadStoredNotes(const QByteArray& bytes, QTextDocument& editor);
