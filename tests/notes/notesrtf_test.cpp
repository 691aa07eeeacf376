#include "notes/NotesModel.h"
#include "notes/NotesRtf.h"
#include "notes/NotesStore.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <random>

namespace {

const QString kData = QStringLiteral(QT_TESTCASE_SOURCEDIR "/notes/data/");

QByteArray dataFile(const QString& name) {
    QFile file(kData + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

NotesRun run(const QString& text, int halfPoints, const char* style = "", std::optional<QRgb> color = {}) {
    NotesRun r;
    r.text = text;
    r.halfPoints = halfPoints;
    r.color = color;
    for (const char* s = style; *s; ++s) {
        r.bold |= *s == 'B';
        r.italic |= *s == 'I';
        r.underline |= *s == 'U';
        r.strike |= *s == 'S';
    }
    return r;
}

NotesParagraph paragraph(NotesAlign align, QVector<NotesRun> runs) {
    NotesParagraph p;
    p.align = align;
    for (const NotesRun& r : runs)
        appendRun(p, r);
    return p;
}

std::string described(const NotesModel& model) {
    return describeNotesModel(model).toStdString();
}

// Reads, writes and reads again: the model survives, and a second save gives
// the bytes of the first.
void expectStableRoundTrip(const NotesModel& model) {
    const QByteArray first = writeNotesRtf(model);
    const NotesReadResult again = readNotesRtf(first);
    EXPECT_TRUE(again.wasRtf);
    EXPECT_FALSE(again.beyondSubset);
    EXPECT_EQ(described(again.model), described(model));
    EXPECT_EQ(writeNotesRtf(again.model), first);
}

const QRgb kRed = qRgb(255, 0, 0);

} // namespace

// --- what a Windows rich edit control writes -------------------------------------

TEST(NotesRtfRichEdit, CyrillicAsHexBoldColourAndCentredParagraph) {
    const NotesReadResult read = readNotesRtf(dataFile(QStringLiteral("richedit/cyrillic_bold.rtf")));
    const NotesModel expected = {
        paragraph(NotesAlign::Left,
                  {run(QStringLiteral("Привет"), 16, "B", kRed), run(QStringLiteral(" мир"), 16)}),
        paragraph(NotesAlign::Center, {run(QStringLiteral("Центр"), 16, "U")}),
    };
    EXPECT_TRUE(read.wasRtf);
    EXPECT_FALSE(read.beyondSubset);
    EXPECT_EQ(described(read.model), described(expected));
    expectStableRoundTrip(read.model);
}

TEST(NotesRtfRichEdit, UnicodeFallbacksCharsetsTabsAndLines) {
    const NotesReadResult read = readNotesRtf(dataFile(QStringLiteral("richedit/unicode_charsets.rtf")));
    const NotesModel expected = {
        paragraph(NotesAlign::Left, {run(QStringLiteral("живой café 😀"), 20)}),
        paragraph(NotesAlign::Right, {run(QStringLiteral("курсив"), 28, "I")}),
        paragraph(NotesAlign::Justify,
                  {run(QStringLiteral("old"), 20, "S"), run(QStringLiteral("\tnew\u2028next"), 20)}),
    };
    EXPECT_FALSE(read.beyondSubset); // one font name, two charsets
    EXPECT_EQ(described(read.model), described(expected));
    expectStableRoundTrip(read.model);
}

TEST(NotesRtfRichEdit, ColourTableDefaultColourPlainEscapesAndFinalPar) {
    const NotesReadResult read = readNotesRtf(dataFile(QStringLiteral("richedit/colors_escapes.rtf")));
    const NotesModel expected = {
        paragraph(NotesAlign::Left,
                  {run(QStringLiteral("{\\x}"), 24, "", qRgb(0, 0, 255)), run(QStringLiteral(";"), 24),
                   run(QStringLiteral("green"), 24, "U", qRgb(0, 128, 0))}),
        paragraph(NotesAlign::Left, {}),
    };
    EXPECT_EQ(described(read.model), described(expected));
    expectStableRoundTrip(read.model);
}

TEST(NotesRtfRichEdit, PicturesTablesAndOtherFontsAreBeyondTheSubset) {
    const NotesReadResult picture = readNotesRtf(dataFile(QStringLiteral("richedit/picture_font.rtf")));
    EXPECT_TRUE(picture.beyondSubset);
    EXPECT_EQ(described(picture.model),
              described({paragraph(NotesAlign::Left, {run(QStringLiteral("beforeafter"), 16)}),
                         paragraph(NotesAlign::Left, {run(QStringLiteral("times"), 16)})}));

    const NotesReadResult table = readNotesRtf(dataFile(QStringLiteral("richedit/table.rtf")));
    EXPECT_TRUE(table.beyondSubset);
    EXPECT_EQ(table.model.first().text(), QStringLiteral("a\tb\t"));
    EXPECT_EQ(table.model.last().text(), QStringLiteral("after"));

    const NotesReadResult plain = readNotesRtf(dataFile(QStringLiteral("richedit/cyrillic_bold.rtf")));
    EXPECT_FALSE(plain.beyondSubset);
}

TEST(NotesRtfRichEdit, SmallControlWordsOfTheReader) {
    struct Case {
        const char* rtf;
        QString text;
    };
    const Case cases[] = {
        {"{\\rtf1 a\\~b\\-c\\_d}", QStringLiteral("a\u00A0bc\u2011d")},
        {"{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
         QStringLiteral("—–•‘’“”")},
        {"{\\rtf1\\uc2 \\u1078\\'3f\\'3fx}", QStringLiteral("жx")}, // two fallback bytes
        {"{\\rtf1\\uc0 \\u1078 x}", QStringLiteral("жx")},          // none
        {"{\\rtf1 {\\u1078}x}", QStringLiteral("жx")},              // a group ends the fallback
        {"{\\rtf1\\ansicpg1251 \\'e9}", QStringLiteral("й")},       // no font: the code page
        {"{\\rtf1\\ansi \\'e9}", QStringLiteral("é")},              // \ansi alone is 1252
        {"{\\rtf1 {\\*\\unknown hidden}{\\stylesheet x}shown}", QStringLiteral("shown")},
        {"{\\rtf1 x\\bin3 {}\\y}", QStringLiteral("xy")}, // binary bytes are skipped
        {"{\\rtf1 a\\\r\nb}", QStringLiteral("a")},       // \<newline> is \par
    };
    for (const Case& c : cases) {
        const NotesModel model = readNotesRtf(QByteArray(c.rtf)).model;
        EXPECT_EQ(model.first().text(), c.text) << c.rtf;
    }
    EXPECT_EQ(readNotesRtf(QByteArray("{\\rtf1 a\\\r\nb}")).model.last().text(), QStringLiteral("b"));
}

TEST(NotesRtfRichEdit, SizesAreClampedToWhatTheEditorAllows) {
    EXPECT_EQ(readNotesRtf("{\\rtf1\\fs99999 x}").model.first().runs.first().halfPoints, 3276);
    EXPECT_EQ(readNotesRtf("{\\rtf1\\fs1 x}").model.first().runs.first().halfPoints, 2);
    EXPECT_EQ(readNotesRtf("{\\rtf1\\fs0 x}").model.first().runs.first().halfPoints, 24);
    EXPECT_EQ(readNotesRtf("{\\rtf1 x}").model.first().runs.first().halfPoints, 24);
}

TEST(NotesRtfRichEdit, BytesThatAreNotRtfAreCp1251Text) {
    const NotesReadResult read = readNotesRtf(QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\r\nline 2\nend"));
    EXPECT_FALSE(read.wasRtf);
    ASSERT_EQ(read.model.size(), 3);
    EXPECT_EQ(read.model.at(0).text(), QStringLiteral("Привет"));
    EXPECT_EQ(read.model.at(1).text(), QStringLiteral("line 2"));
    EXPECT_EQ(read.model.at(2).text(), QStringLiteral("end"));
    EXPECT_EQ(readNotesRtf(QByteArray()).model.size(), 1);
}

// --- the writer -------------------------------------------------------------------

TEST(NotesRtfWriter, MatchesTheGoldenFiles) {
    const struct {
        const char* file;
        NotesModel model;
    } goldens[] = {
        {"empty.rtf", {NotesParagraph()}},
        {"formatted.rtf",
         {
             paragraph(NotesAlign::Left,
                       {run(QStringLiteral("Сервер "), 16), run(QStringLiteral("ёжик"), 20, "BI", kRed),
                        run(QStringLiteral(" {\\} 1"), 20)}),
             paragraph(NotesAlign::Center, {run(QStringLiteral("中文 😀\tтаб"), 16, "US", qRgb(0, 0, 128))}),
             paragraph(NotesAlign::Right, {}),
             paragraph(NotesAlign::Justify, {run(QStringLiteral("€ №\u2028next"), 3276)}),
         }},
    };
    for (const auto& g : goldens) {
        const QByteArray written = writeNotesRtf(g.model);
        const QString path = kData + QStringLiteral("golden/") + QLatin1String(g.file);
        if (qEnvironmentVariableIsSet("VESTIBAR_UPDATE_GOLDEN")) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(written);
        }
        EXPECT_EQ(written, dataFile(QStringLiteral("golden/") + QLatin1String(g.file))) << g.file;
        expectStableRoundTrip(g.model);
    }
}

TEST(NotesRtfWriter, HeaderIsTheOneOlderCopiesRead) {
    const QByteArray rtf = writeNotesRtf({paragraph(NotesAlign::Left, {run(QStringLiteral("x"), 16)})});
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\fcharset204"));
    EXPECT_TRUE(rtf.contains("{\\colortbl ;}"));
    EXPECT_TRUE(rtf.contains("\\uc1"));
    EXPECT_TRUE(rtf.contains("\\pard\\ql"));
}

TEST(NotesRtfWriter, TextWithoutASizeIsStoredInTheDocumentsFontSize) {
    QTextDocument doc;
    QFont font = doc.defaultFont();
    font.setPointSize(11);
    doc.setDefaultFont(font);
    doc.setPlainText(QStringLiteral("просто"));
    const NotesModel read = readNotesRtf(writeNotesRtf(doc)).model;
    EXPECT_EQ(read.first().runs.first().halfPoints, 22);
    EXPECT_EQ(readNotesRtf(writeNotesRtf(NotesModel{NotesParagraph{NotesAlign::Left, {run("x", 0)}}}))
                  .model.first()
                  .runs.first()
                  .halfPoints,
              kNotesDefaultHalfPoints);
    EXPECT_EQ(read.first().text(), QStringLiteral("просто"));
}

TEST(NotesRtfWriter, PicturesInTheEditorAreLeftOut) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("a"));
    QTextImageFormat image;
    image.setName(QStringLiteral("x.png"));
    cursor.insertImage(image);
    cursor.insertText(QStringLiteral("b"));
    EXPECT_EQ(readNotesRtf(writeNotesRtf(doc)).model.first().text(), QStringLiteral("ab"));
}

// --- writer and reader together ----------------------------------------------------

namespace {

NotesModel randomModel(std::mt19937& gen) {
    static const QString alphabet =
        QStringLiteral("abcXYZ019 ;:\\{}\t\u2028абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБЯЁ€№©«»é中\u0098") +
        QString::fromUcs4(U"😀𝄞");
    const auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
    NotesModel model;
    const int paragraphs = 1 + pick(6);
    for (int p = 0; p < paragraphs; ++p) {
        NotesParagraph paragraph;
        paragraph.align = static_cast<NotesAlign>(pick(4));
        const int runs = pick(6);
        for (int r = 0; r < runs; ++r) {
            NotesRun run;
            const int length = 1 + pick(12);
            for (int i = 0; i < length; ++i) {
                const int at = pick(static_cast<int>(alphabet.size()));
                if (alphabet.at(at).isSurrogate()) {
                    const int start = alphabet.at(at).isHighSurrogate() ? at : at - 1;
                    run.text += alphabet.mid(start, 2);
                } else {
                    run.text += alphabet.at(at);
                }
            }
            run.bold = pick(2);
            run.italic = pick(2);
            run.underline = pick(2);
            run.strike = pick(2);
            if (pick(3) == 0)
                run.color = qRgb(pick(256), pick(256), pick(256));
            run.halfPoints = pick(4) == 0 ? 2 + pick(3275) : 16 + 2 * pick(10);
            appendRun(paragraph, run);
        }
        model.append(paragraph);
    }
    return model;
}

} // namespace

TEST(NotesRtfRoundTrip, ThousandRandomDocumentsComeBackIdentical) {
    std::mt19937 gen(20240611);
    for (int i = 0; i < 1000; ++i) {
        const NotesModel model = randomModel(gen);
        QTextDocument doc;
        setNotesModel(doc, model);
        const NotesModel inEditor = notesModelOf(doc);
        ASSERT_EQ(described(inEditor), described(model)) << "document " << i;
        const QByteArray rtf = writeNotesRtf(doc);
        const NotesReadResult read = readNotesRtf(rtf);
        ASSERT_FALSE(read.beyondSubset) << "document " << i;
        ASSERT_EQ(described(read.model), described(model)) << "document " << i << "\n" << rtf.constData();
        QTextDocument back;
        loadNotesRtf(rtf, back);
        ASSERT_EQ(writeNotesRtf(back), rtf) << "document " << i;
    }
}

// --- input nobody should write -------------------------------------------------------

TEST(NotesRtfFuzz, TruncatedFixturesNeverFail) {
    for (const char* name :
         {"richedit/cyrillic_bold.rtf", "richedit/unicode_charsets.rtf", "richedit/colors_escapes.rtf",
          "richedit/picture_font.rtf", "richedit/table.rtf", "golden/formatted.rtf"}) {
        const QByteArray whole = dataFile(QString::fromLatin1(name));
        for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
            const NotesReadResult read = readNotesRtf(whole.left(cut));
            EXPECT_FALSE(read.model.isEmpty());
        }
    }
}

TEST(NotesRtfFuzz, DeepNestingHugeBinaryAndGarbage) {
    const QByteArray deep = "{\\rtf1 " + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}";
    EXPECT_EQ(readNotesRtf(deep).model.first().text(), QStringLiteral("x"));
    const QByteArray unbalanced = "{\\rtf1 " + QByteArray(100000, '{') + "y";
    EXPECT_EQ(readNotesRtf(unbalanced).model.first().text(), QStringLiteral("y"));
    EXPECT_EQ(readNotesRtf("{\\rtf1 a}}}}}b").model.first().text(), QStringLiteral("ab"));

    EXPECT_EQ(readNotesRtf("{\\rtf1 a\\bin99999999999999999999 b}").model.first().text(),
              QStringLiteral("a"));
    EXPECT_EQ(readNotesRtf("{\\rtf1 a\\bin-5 b}").model.first().text(), QStringLiteral("ab"));
    // x is the fallback of the impossible \u.
    EXPECT_EQ(readNotesRtf("{\\rtf1 \\u99999999999 x\\fs-99999999999 y\\uc-7 z}").model.first().text(),
              QStringLiteral("yz"));
    EXPECT_EQ(readNotesRtf("{\\rtf1 \\'").model.first().text(), QString());
    EXPECT_EQ(readNotesRtf("{\\rtf1 \\'zz\\").model.first().text(), QStringLiteral("zz"));
    EXPECT_EQ(readNotesRtf("{\\rtf1 \\cf99999 x}").model.first().runs.first().color, std::nullopt);
    readNotesRtf("{\\rtf1 \\" + QByteArray(1000, 'a') + "1234567890123456789 x}");

    std::mt19937 gen(7);
    const QByteArray alphabet = "{}\\'*abcfsu0123456789- ;\r\n\xe9\x00";
    for (int i = 0; i < 2000; ++i) {
        QByteArray noise = "{\\rtf1 ";
        const int length = static_cast<int>(gen() % 400);
        for (int k = 0; k < length; ++k)
            noise += alphabet.at(static_cast<qsizetype>(gen() % static_cast<unsigned>(alphabet.size())));
        const NotesReadResult read = readNotesRtf(noise);
        EXPECT_FALSE(read.model.isEmpty());
        QTextDocument doc;
        loadNotesRtf(noise, doc);
        expectStableRoundTrip(notesModelOf(doc));
    }
}

// --- what a save stores -----------------------------------------------------------------

TEST(NotesSave, UnmodifiedNotesGoBackByteForByte) {
    const QByteArray stored = dataFile(QStringLiteral("richedit/picture_font.rtf"));
    QTextDocument editor;
    const StoredNotes loaded = loadStoredNotes(stored, editor);
    EXPECT_TRUE(loaded.beyondSubset);
    EXPECT_FALSE(editor.isModified());
    int asked = 0;
    EXPECT_EQ(notesBytesToStore(loaded, editor, [&] { return ++asked, true; }), stored);
    EXPECT_EQ(asked, 0);
}

TEST(NotesSave, ChangedNotesBeyondTheSubsetAskFirst) {
    const QByteArray stored = dataFile(QStringLiteral("richedit/picture_font.rtf"));
    QTextDocument editor;
    const StoredNotes loaded = loadStoredNotes(stored, editor);
    QTextCursor(&editor).insertText(QStringLiteral("новое "));
    ASSERT_TRUE(editor.isModified());

    EXPECT_EQ(notesBytesToStore(loaded, editor, [] { return false; }), stored);
    EXPECT_EQ(notesBytesToStore(loaded, editor, {}), stored);
    const QByteArray replaced = notesBytesToStore(loaded, editor, [] { return true; });
    EXPECT_NE(replaced, stored);
    EXPECT_TRUE(readNotesRtf(replaced).model.first().text().startsWith(QStringLiteral("новое before")));
}

TEST(NotesSave, ChangedNotesWithinTheSubsetAreWrittenWithoutAQuestion) {
    const QByteArray stored = dataFile(QStringLiteral("richedit/cyrillic_bold.rtf"));
    QTextDocument editor;
    const StoredNotes loaded = loadStoredNotes(stored, editor);
    QTextCursor cursor(&editor);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("!"));
    int asked = 0;
    const QByteArray written = notesBytesToStore(loaded, editor, [&] { return ++asked, false; });
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(readNotesRtf(written).model.last().text(), QStringLiteral("Центр!"));
    EXPECT_EQ(notesSaveAction(false, true), NotesSaveAction::KeepStored);
    EXPECT_EQ(notesSaveAction(true, true), NotesSaveAction::AskBeforeDropping);
    EXPECT_EQ(notesSaveAction(true, false), NotesSaveAction::WriteEditor);
}
