#include "notes/NotesModel.h"
#include "notes/NotesRtf.h"
#include "notes/NotesStore.h"
#include "ui/NotesColorButton.h"
#include "ui/NotesEdit.h"
#include "ui/NotesToolbar.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

NotesRun sized(const QString& text, int points, bool bold = false, bool italic = false) {
    NotesRun r;
    r.text = text;
    r.halfPoints = points * 2;
    r.bold = bold;
    r.italic = italic;
    return r;
}

std::string described(const NotesModel& model) {
    return describeNotesModel(model).toStdString();
}

// Types text as key presses, Cyrillic included.
void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

// The notes group: the toolbar above RichEditNotes.
class NotesGroup : public ::testing::Test {
protected:
    void SetUp() override {
        group = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(group.get());
        edit = new NotesEdit(group.get());
        toolbar = new NotesToolbar(edit, group.get());
        layout->addWidget(toolbar);
        layout->addWidget(edit);
        group->resize(361, 165);
        group->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(group.get()));
    }

    void setNotes(const NotesModel& model) { setNotesModel(*edit->document(), model); }
    NotesModel notes() const { return notesModelOf(*edit->document()); }

    void select(int from, int to) {
        QTextCursor c(edit->document());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        edit->setTextCursor(c);
    }

    void placeCursor(int at) {
        QTextCursor c(edit->document());
        c.setPosition(at);
        edit->setTextCursor(c);
    }

    template <typename T = QToolButton> T* control(const char* name) {
        T* found = group->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QSpinBox* spin() { return control<QSpinBox>("SpinEdit1"); }

    void chooseFromColorMenu(const QString& text) {
        auto* button = control<NotesColorButton>("JvOfficeColorButton1");
        for (QAction* action : button->colorMenu()->actions()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    }

    std::unique_ptr<QWidget> group;
    NotesEdit* edit = nullptr;
    NotesToolbar* toolbar = nullptr;
};

} // namespace

TEST_F(NotesGroup, ControlsCarryTheirNamesTipsAndRange) {
    const std::pair<const char*, const char*> buttons[] = {{"BtnBold", "Полужирный"},
                                                           {"BtnItalic", "Курсив"},
                                                           {"BtnUnder", "Подчёркнутый"},
                                                           {"BtnStrikeout", "Зачёркнутый"},
                                                           {"BtnAlignLeft", "По левому краю"},
                                                           {"BtnAlignCentr", "По центру"},
                                                           {"BtnAlignRight", "По правому краю"},
                                                           {"JvOfficeColorButton1", "Цвет текста"}};
    for (const auto& [name, tip] : buttons) {
        QToolButton* b = control(name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(tip));
        EXPECT_EQ(b->accessibleName(), QString::fromUtf8(tip));
        EXPECT_FALSE(b->icon().isNull()) << name;
    }
    EXPECT_EQ(spin()->minimum(), 1);
    EXPECT_EQ(spin()->maximum(), 1638);
    EXPECT_EQ(edit->objectName(), QStringLiteral("RichEditNotes"));
    QStringList entries;
    for (QAction* a : control<NotesColorButton>("JvOfficeColorButton1")->colorMenu()->actions())
        if (!a->text().isEmpty())
            entries << a->text();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("No Color"), QStringLiteral("Automatic"),
                                    QStringLiteral("Other Colors...")}));
    EXPECT_FALSE(control<NotesColorButton>("JvOfficeColorButton1")->color().has_value());
}

TEST_F(NotesGroup, StyleButtonWithoutSelectionChangesNothing) {
    setNotes({NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("обычный текст"), 10)}}});
    placeCursor(3);
    const NotesModel before = notes();
    for (const char* name : {"BtnBold", "BtnItalic", "BtnUnder", "BtnStrikeout"})
        click(name);
    EXPECT_EQ(described(notes()), described(before));
    EXPECT_EQ(edit->textCursor().position(), 3);
    EXPECT_FALSE(edit->textCursor().hasSelection());
}

TEST_F(NotesGroup, EachStyleButtonTogglesOnlyItsStyleOverTheWholeSelection) {
    struct Style {
        const char* button;
        bool NotesRun::*flag;
    };
    const Style styles[] = {{"BtnBold", &NotesRun::bold},
                            {"BtnItalic", &NotesRun::italic},
                            {"BtnUnder", &NotesRun::underline},
                            {"BtnStrikeout", &NotesRun::strike}};
    for (const Style& style : styles) {
        NotesRun styled = sized(QStringLiteral("ab"), 10);
        styled.*style.flag = true;
        NotesRun other = sized(QStringLiteral("cd"), 12, style.flag != &NotesRun::bold);
        setNotes({NotesParagraph{NotesAlign::Left, {styled, other}}});
        select(0, 4);

        click(style.button); // partly styled: the whole selection gets the style
        NotesModel after = notes();
        ASSERT_EQ(after.first().runs.size(), 2) << style.button;
        EXPECT_TRUE(after.first().runs.at(0).*style.flag);
        EXPECT_TRUE(after.first().runs.at(1).*style.flag);
        EXPECT_EQ(after.first().runs.at(1).halfPoints, 24); // sizes stay
        EXPECT_EQ(after.first().runs.at(1).bold, other.bold || style.flag == &NotesRun::bold);

        click(style.button); // wholly styled: removed again
        after = notes();
        EXPECT_FALSE(after.first().runs.at(0).*style.flag) << style.button;
        EXPECT_FALSE(after.first().runs.at(1).*style.flag) << style.button;
    }
}

TEST_F(NotesGroup, BoldPressedTwiceReturnsToNormalWeight) {
    setNotes({NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("жирный?"), 8)}}});
    select(0, 6);
    click("BtnBold");
    EXPECT_TRUE(notes().first().runs.first().bold);
    click("BtnBold");
    EXPECT_EQ(notes().first().runs.size(), 1);
    EXPECT_FALSE(notes().first().runs.first().bold);
}

TEST_F(NotesGroup, MovingIntoTextOfAnotherSizeShowsThatSize) {
    setNotes({NotesParagraph{NotesAlign::Left,
                             {sized(QStringLiteral("мелко"), 9), sized(QStringLiteral("КРУПНО"), 28)}}});
    placeCursor(2);
    EXPECT_EQ(spin()->value(), 9);
    placeCursor(8);
    EXPECT_EQ(spin()->value(), 28);
}

TEST_F(NotesGroup, SelectingAMixedSelectionLeavesItsSizesAlone) {
    setNotes({NotesParagraph{NotesAlign::Left,
                             {sized(QStringLiteral("десять"), 10), sized(QStringLiteral("двадцать"), 20)}}});
    const NotesModel before = notes();
    select(2, 10);
    select(0, 14);
    EXPECT_EQ(described(notes()), described(before));
    EXPECT_EQ(spin()->value(), 10);
    EXPECT_FALSE(edit->document()->isModified());
}

TEST_F(NotesGroup, SizeBoxAppliesOneToSixteenThirtyEightPoints) {
    setNotes({NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("размер"), 10)}}});
    for (const auto& [typed, applied] : {std::pair{1, 1}, {1638, 1638}, {5000, 1638}, {0, 1}, {72, 72}}) {
        select(0, 6);
        spin()->setValue(typed);
        EXPECT_EQ(notes().first().runs.first().halfPoints, applied * 2) << "typed " << typed;
    }
    // At the insertion point the size is for what is typed next.
    placeCursor(6);
    spin()->setValue(30);
    QTest::keyClicks(edit, QStringLiteral("!"));
    EXPECT_EQ(notes().first().runs.last().text, QStringLiteral("!"));
    EXPECT_EQ(notes().first().runs.last().halfPoints, 60);
}

TEST_F(NotesGroup, ColourMenuChoicesAndBackToTheDefault) {
    auto* colour = control<NotesColorButton>("JvOfficeColorButton1");
    setNotes({NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("цветной"), 10)}}});
    select(0, 7);
    colour->colorMenu()->findChild<QToolButton*>(QStringLiteral("ColorCell_ff0000"))->click();
    EXPECT_EQ(notes().first().runs.first().color, qRgb(255, 0, 0));
    EXPECT_EQ(QApplication::focusWidget(), edit);

    chooseFromColorMenu(NotesColorButton::kNoColor);
    EXPECT_EQ(notes().first().runs.first().color, std::nullopt);

    colour->setColorDialog([](const QColor&, QWidget*) { return QColor(0, 128, 0); });
    chooseFromColorMenu(NotesColorButton::kOtherColors);
    EXPECT_EQ(notes().first().runs.first().color, qRgb(0, 128, 0));

    colour->setColorDialog([](const QColor&, QWidget*) { return QColor(); }); // cancelled
    chooseFromColorMenu(NotesColorButton::kOtherColors);
    EXPECT_EQ(notes().first().runs.first().color, qRgb(0, 128, 0));

    chooseFromColorMenu(NotesColorButton::kAutomatic);
    EXPECT_EQ(notes().first().runs.first().color, std::nullopt);
    EXPECT_EQ(notes().first().runs.size(), 1);

    // Clicking the button itself applies its colour again, here at the insertion point.
    colour->setColor(QColor(0, 0, 255));
    placeCursor(7);
    QTest::mouseClick(colour, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(notes().first().runs.last().color, qRgb(0, 0, 255));
}

TEST_F(NotesGroup, AlignmentButtonsSetEveryParagraphTouched) {
    setNotes({NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("один"), 10)}},
              NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("два"), 10)}},
              NotesParagraph{NotesAlign::Left, {sized(QStringLiteral("три"), 10)}}});
    select(2, 7);
    click("BtnAlignCentr");
    EXPECT_EQ(notes().at(0).align, NotesAlign::Center);
    EXPECT_EQ(notes().at(1).align, NotesAlign::Center);
    EXPECT_EQ(notes().at(2).align, NotesAlign::Left);
    placeCursor(10);
    click("BtnAlignRight");
    EXPECT_EQ(notes().at(2).align, NotesAlign::Right);
    EXPECT_EQ(notes().at(1).align, NotesAlign::Center);
    select(0, 12);
    click("BtnAlignLeft");
    for (const NotesParagraph& p : notes())
        EXPECT_EQ(p.align, NotesAlign::Left);
}

TEST_F(NotesGroup, PastedRichTextIsReducedToTheNotesFormatting) {
    auto* mime = new QMimeData;
    mime->setHtml(QStringLiteral("<p style='font-family:Times'><b>жирно</b> <img src='x.png'/>"
                                 "<span style='background:yellow'>фон</span></p>"
                                 "<table><tr><td>я1</td><td>я2</td></tr></table>"));
    setNotes({NotesParagraph()});
    edit->setFocus();
    QApplication::clipboard()->setMimeData(mime);
    edit->paste();
    const NotesModel pasted = notes();
    QString all;
    for (const NotesParagraph& p : pasted)
        all += p.text() + u'|';
    EXPECT_TRUE(all.contains(QStringLiteral("жирно фон"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("я1"))) << all.toStdString();
    EXPECT_TRUE(pasted.first().runs.first().bold);
    // Nothing the notes cannot store is left in the editor.
    const QByteArray rtf = writeNotesRtf(*edit->document());
    EXPECT_EQ(described(readNotesRtf(rtf).model), described(pasted));
    EXPECT_EQ(edit->toHtml().contains(QStringLiteral("<img")), false);
}

TEST_F(NotesGroup, AFormattedCyrillicNoteSurvivesSaving) {
    setNotes({NotesParagraph()});
    edit->setFocus();
    typeText(edit, QStringLiteral("Сервер бухгалтерии"));
    select(0, 6);
    click("BtnBold");
    control<NotesColorButton>("JvOfficeColorButton1")->setColorDialog([](const QColor&, QWidget*) {
        return QColor(128, 0, 0);
    });
    chooseFromColorMenu(NotesColorButton::kOtherColors);
    select(7, 18);
    click("BtnItalic");
    spin()->setValue(14);
    click("BtnAlignCentr");
    const NotesModel typed = notes();
    const NotesModel read = readNotesRtf(writeNotesRtf(*edit->document())).model;
    EXPECT_EQ(described(read), described(typed));
    EXPECT_TRUE(read.first().runs.first().bold);
    EXPECT_EQ(read.first().align, NotesAlign::Center);
}

TEST_F(NotesGroup, AnUnmodifiedNoteKeepsItsBytesThroughASave) {
    const QByteArray stored =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Tahoma;}{\\f1\\froman Times;}}"
        "\\pard\\f0\\fs20 \\'f2\\'e5\\'ea\\'f1\\'f2 {\\pict\\pngblip 89504e47}\\f1 times\\par}";
    const StoredNotes loaded = loadStoredNotes(stored, *edit->document());
    ASSERT_TRUE(loaded.beyondSubset);
    // Looking around in the note is no change.
    select(0, 3);
    placeCursor(5);
    select(2, 8);
    int asked = 0;
    EXPECT_EQ(notesBytesToStore(loaded, *edit->document(), [&] { return ++asked, true; }), stored);
    EXPECT_EQ(asked, 0);

    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(notesBytesToStore(loaded, *edit->document(), [&] { return ++asked, false; }), stored);
    EXPECT_EQ(asked, 1);
}
