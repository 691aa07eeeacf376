#include "notes/NotesModel.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <cmath>

QString NotesParagraph::text() const {
    QString all;
    for (const NotesRun& run : runs)
        all += run.text;
    return all;
}

void appendRun(NotesParagraph& paragraph, const NotesRun& run) {
    if (run.text.isEmpty())
        return;
    if (!paragraph.runs.isEmpty() && paragraph.runs.last().sameFormat(run))
        paragraph.runs.last().text += run.text;
    else
        paragraph.runs.append(run);
}

namespace {

NotesAlign alignOf(Qt::Alignment a) {
    if (a & Qt::AlignHCenter)
        return NotesAlign::Center;
    if (a & Qt::AlignJustify)
        return NotesAlign::Justify;
    if (a & Qt::AlignRight)
        return NotesAlign::Right;
    return NotesAlign::Left;
}

Qt::Alignment qtAlign(NotesAlign a) {
    switch (a) {
    case NotesAlign::Center:
        return Qt::AlignHCenter;
    case NotesAlign::Right:
        return Qt::AlignRight;
    case NotesAlign::Justify:
        return Qt::AlignJustify;
    case NotesAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

NotesRun formatOf(const QTextCharFormat& f, int defaultHalfPoints) {
    NotesRun run;
    run.bold = f.fontWeight() > QFont::Medium;
    run.italic = f.fontItalic();
    run.underline = f.fontUnderline();
    run.strike = f.fontStrikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        run.color = f.foreground().color().rgb() | 0xFF000000u;
    const double points = f.fontPointSize();
    run.halfPoints = points > 0 ? static_cast<int>(std::lround(points * 2)) : defaultHalfPoints;
    return run;
}

QTextCharFormat charFormatOf(const NotesRun& run) {
    QTextCharFormat f;
    f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(run.italic);
    f.setFontUnderline(run.underline);
    f.setFontStrikeOut(run.strike);
    if (run.color)
        f.setForeground(QColor::fromRgb(*run.color));
    else
        f.clearForeground();
    if (run.halfPoints > 0)
        f.setFontPointSize(run.halfPoints / 2.0);
    return f;
}

QTextBlockFormat blockFormatOf(NotesAlign align) {
    QTextBlockFormat f;
    f.setAlignment(qtAlign(align));
    return f;
}

} // namespace

NotesModel notesModelOf(const QTextDocument& document) {
    // Text without a size of its own shows in the document's font; keep that size.
    const double defaultPoints = document.defaultFont().pointSizeF();
    const int defaultHalfPoints = defaultPoints > 0 ? static_cast<int>(std::lround(defaultPoints * 2)) : 0;
    NotesModel model;
    // A document holds few distinct formats; read each one once.
    QHash<int, std::optional<NotesRun>> formats;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        NotesParagraph paragraph;
        paragraph.align = alignOf(block.blockFormat().alignment());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            auto known = formats.find(fragment.charFormatIndex());
            if (known == formats.end()) {
                const QTextCharFormat f = fragment.charFormat();
                known = formats.insert(fragment.charFormatIndex(),
                                       f.isImageFormat()
                                           ? std::nullopt
                                           : std::optional<NotesRun>(formatOf(f, defaultHalfPoints)));
            }
            if (!known.value())
                continue;
            NotesRun run = *known.value();
            run.text = fragment.text();
            run.text.remove(QChar::ObjectReplacementCharacter);
            appendRun(paragraph, run);
        }
        model.append(paragraph);
    }
    if (model.isEmpty())
        model.append(NotesParagraph());
    return model;
}

void insertNotesModel(QTextCursor& cursor, const NotesModel& model) {
    // Runs repeat a handful of formats: build each QTextCharFormat once.
    QVector<std::pair<NotesRun, QTextCharFormat>> formats;
    const auto formatFor = [&](const NotesRun& run) -> QTextCharFormat {
        for (const auto& [key, format] : formats) {
            if (key.sameFormat(run))
                return format;
        }
        if (formats.size() >= 64)
            return charFormatOf(run);
        NotesRun key = run;
        key.text.clear();
        formats.append({key, charFormatOf(run)});
        return formats.last().second;
    };
    for (qsizetype i = 0; i < model.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(blockFormatOf(model.at(i).align), QTextCharFormat());
        for (const NotesRun& run : model.at(i).runs)
            cursor.insertText(run.text, formatFor(run));
    }
}

void setNotesModel(QTextDocument& document, const NotesModel& model) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    if (!model.isEmpty())
        cursor.setBlockFormat(blockFormatOf(model.first().align));
    // An empty first paragraph still carries the size and style typed next.
    if (!model.isEmpty() && model.first().runs.isEmpty())
        cursor.setBlockCharFormat(QTextCharFormat());
    insertNotesModel(cursor, model);
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
}

QString describeNotesModel(const NotesModel& model) {
    QString out;
    for (const NotesParagraph& p : model) {
        out += QStringLiteral("[%1]").arg(static_cast<int>(p.align));
        for (const NotesRun& r : p.runs) {
            out += QStringLiteral("{%1%2%3%4 c=%5 s=%6 \"%7\"}")
                       .arg(r.bold ? "B" : "")
                       .arg(r.italic ? "I" : "")
                       .arg(r.underline ? "U" : "")
                       .arg(r.strike ? "S" : "")
                       .arg(r.color ? QString::number(*r.color & 0xFFFFFF, 16) : QStringLiteral("-"))
                       .arg(r.halfPoints)
                       .arg(r.text);
        }
        out += u'\n';
    }
    return out;
}
