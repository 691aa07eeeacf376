#include "notes/NotesStore.h"

#include "notes/NotesRtf.h"

#include <QTextDocument>

NotesSaveAction notesSaveAction(bool editorModified, bool storedBeyondSubset) {
    if (!editorModified)
        return NotesSaveAction::KeepStored;
    return storedBeyondSubset ? NotesSaveAction::AskBeforeDropping : NotesSaveAction::WriteEditor;
}

QByteArray notesBytesToStore(const StoredNotes& stored, const QTextDocument& editor,
                             const std::function<bool()>& userAgreesToDrop) {
    switch (notesSaveAction(editor.isModified(), stored.beyondSubset)) {
    case NotesSaveAction::KeepStored:
        return stored.bytes;
    case NotesSaveAction::AskBeforeDropping:
        if (!userAgreesToDrop || !userAgreesToDrop())
            return stored.bytes;
        break;
    case NotesSaveAction::WriteEditor:
        break;
    }
    return writeNotesRtf(editor);
}

StoredNotes loadStoredNotes(const QByteArray& bytes, QTextDocument& editor) {
    const NotesReadResult read = loadNotesRtf(bytes, editor);
    return {bytes, read.beyondSubset};
}
