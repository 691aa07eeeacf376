#pragma once

#include "notes/NotesModel.h"

#include <QByteArray>

class QTextDocument;

// The notes' RTF, as older copies of the program (a Windows rich edit control)
// read and write it. Qt has no RTF of its own.
//
// Writing: \ansi\ansicpg1251, one font with \fcharset204, a colour table, \uc1,
// one \pard\ql|qc|qr|qj ... \par per paragraph, \b \i \ul \strike \cfN \fsN and
// their off forms; characters of code page 1251 as \'xx, all others as \uN?.
//
// Reading takes that and what a rich edit control writes: \'xx by the charset of
// the current font (204 code page 1251, 0 code page 1252, otherwise \ansicpg),
// \uN with its \ucN fallback skipped, {\*...} and other destinations skipped,
// \binN bounded by the input, a final \par that adds no paragraph. It works
// without recursion and survives any input. Bytes that are not RTF are taken as
// text in code page 1251.

QByteArray writeNotesRtf(const NotesModel& model);
QByteArray writeNotesRtf(const QTextDocument& document);

struct NotesReadResult {
    NotesModel model;
    bool wasRtf = false;
    // The bytes carry formatting this program does not keep (pictures, objects,
    // tables, other fonts, highlighting, indents, lists...): writing the model
    // back would drop it.
    bool beyondSubset = false;
};

NotesReadResult readNotesRtf(const QByteArray& bytes);
// Reads into document (its old contents replaced) and returns what readNotesRtf
// returns, without the model.
NotesReadResult loadNotesRtf(const QByteArray& bytes, QTextDocument& document);
