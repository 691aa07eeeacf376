#pragma once

#include <QRgb>
#include <QString>
#include <QVector>
#include <optional>

class QTextCursor;
class QTextDocument;

// The formatting the notes keep, and no more: per character bold, italic,
// underline, strike-through, colour and size; per paragraph the alignment. This
// is what the notes RTF writes and what older copies of the program produce.

enum class NotesAlign { Left, Center, Right, Justify };

// The size older copies write when they set none: 8 pt, the editor's font.
inline constexpr int kNotesDefaultHalfPoints = 16;
inline constexpr int kNotesMinPoints = 1;
inline constexpr int kNotesMaxPoints = 1638; // \fs3276, the largest a Windows rich edit keeps

struct NotesRun {
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::optional<QRgb> color; // none: the default colour
    int halfPoints = 0;        // 0: the editor's default size

    bool sameFormat(const NotesRun& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline && strike == o.strike &&
               color == o.color && halfPoints == o.halfPoints;
    }
    bool operator==(const NotesRun& o) const { return text == o.text && sameFormat(o); }
};

struct NotesParagraph {
    NotesAlign align = NotesAlign::Left;
    QVector<NotesRun> runs; // neighbours differ in format; none is empty

    bool operator==(const NotesParagraph& o) const { return align == o.align && runs == o.runs; }
    QString text() const;
};

// Never empty: a document has at least one (possibly empty) paragraph.
using NotesModel = QVector<NotesParagraph>;

// Appends text in that run's format, merging with the last run when they match.
void appendRun(NotesParagraph& paragraph, const NotesRun& run);

// The subset of a document: pictures and other embedded objects are left out,
// table cells become paragraphs of their own; text without a size of its own
// gets the size of the document's font.
NotesModel notesModelOf(const QTextDocument& document);
// Replaces the document's contents; undo history is not kept.
void setNotesModel(QTextDocument& document, const NotesModel& model);
// Inserts the model at the cursor, its first paragraph into the cursor's one.
void insertNotesModel(QTextCursor& cursor, const NotesModel& model);

// For test output.
QString describeNotesModel(const NotesModel& model);
