#include "ui/NotesToolbar.h"

#include "notes/NotesModel.h"
#include "ui/NotesColorButton.h"

#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <cmath>

namespace {

QIcon letterIcon(const QString& letter, void (*style)(QFont&)) {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = painter.font();
    font.setPixelSize(14);
    style(font);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
    return QIcon(pixmap);
}

QIcon alignIcon(Qt::Alignment align) {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int widths[] = {14, 9, 14, 9};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int x = align == Qt::AlignLeft ? 2 : align == Qt::AlignRight ? 16 - w : (18 - w) / 2;
        painter.fillRect(QRect(x, 3 + i * 4, w, 2), Qt::black);
    }
    return QIcon(pixmap);
}

bool isBold(const QTextCharFormat& f) {
    return f.fontWeight() > QFont::Medium;
}
bool isItalic(const QTextCharFormat& f) {
    return f.fontItalic();
}
bool isUnderline(const QTextCharFormat& f) {
    return f.fontUnderline();
}
bool isStrike(const QTextCharFormat& f) {
    return f.fontStrikeOut();
}

} // namespace

NotesToolbar::NotesToolbar(QTextEdit* richEditNotes, QWidget* parent)
    : QWidget(parent), RichEditNotes(richEditNotes) {
    setObjectName(QStringLiteral("NotesToolbar"));
    setFixedSize(275, 25);

    BtnBold = makeButton("BtnBold", QStringLiteral("Полужирный"),
                         letterIcon(QStringLiteral("Ж"), [](QFont& f) { f.setBold(true); }), 8);
    BtnItalic = makeButton("BtnItalic", QStringLiteral("Курсив"),
                           letterIcon(QStringLiteral("К"), [](QFont& f) { f.setItalic(true); }), 32);
    BtnUnder = makeButton("BtnUnder", QStringLiteral("Подчёркнутый"),
                          letterIcon(QStringLiteral("Ч"), [](QFont& f) { f.setUnderline(true); }), 56);
    BtnStrikeout = makeButton("BtnStrikeout", QStringLiteral("Зачёркнутый"),
                              letterIcon(QStringLiteral("З"), [](QFont& f) { f.setStrikeOut(true); }), 80);

    JvOfficeColorButton1 = new NotesColorButton(this);
    JvOfficeColorButton1->setGeometry(112, 2, 35, 22);

    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setToolTip(QStringLiteral("Размер шрифта"));
    SpinEdit1->setAccessibleName(QStringLiteral("Размер шрифта"));
    SpinEdit1->setRange(kNotesMinPoints, kNotesMaxPoints);
    SpinEdit1->setGeometry(152, 2, 41, 22);
    SpinEdit1->setButtonSymbols(QAbstractSpinBox::UpDownArrows);

    BtnAlignLeft =
        makeButton("BtnAlignLeft", QStringLiteral("По левому краю"), alignIcon(Qt::AlignLeft), 200);
    BtnAlignCentr =
        makeButton("BtnAlignCentr", QStringLiteral("По центру"), alignIcon(Qt::AlignHCenter), 224);
    BtnAlignRight =
        makeButton("BtnAlignRight", QStringLiteral("По правому краю"), alignIcon(Qt::AlignRight), 248);

    connect(BtnBold, &QToolButton::clicked, this, &NotesToolbar::BtnBoldClick);
    connect(BtnItalic, &QToolButton::clicked, this, &NotesToolbar::BtnItalicClick);
    connect(BtnUnder, &QToolButton::clicked, this, &NotesToolbar::BtnUnderClick);
    connect(BtnStrikeout, &QToolButton::clicked, this, &NotesToolbar::BtnStrikeoutClick);
    connect(JvOfficeColorButton1, &NotesColorButton::colorChosen, this,
            &NotesToolbar::JvOfficeColorButton1Click);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &NotesToolbar::SpinEdit1Change);
    connect(BtnAlignLeft, &QToolButton::clicked, this, &NotesToolbar::BtnAlignLeftClick);
    connect(BtnAlignCentr, &QToolButton::clicked, this, &NotesToolbar::BtnAlignCentrClick);
    connect(BtnAlignRight, &QToolButton::clicked, this, &NotesToolbar::BtnAlignRightClick);
    connect(RichEditNotes, &QTextEdit::selectionChanged, this, &NotesToolbar::RichEditNotesSelectionChange);
    connect(RichEditNotes, &QTextEdit::cursorPositionChanged, this,
            &NotesToolbar::RichEditNotesSelectionChange);
    RichEditNotesSelectionChange();
}

QToolButton* NotesToolbar::makeButton(const char* name, const QString& tip, const QIcon& icon, int x) {
    auto* button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setGeometry(x, 0, 25, 25);
    button->setFocusPolicy(Qt::NoFocus); // the selection stays where it was
    return button;
}

bool NotesToolbar::wholeSelectionHas(bool (*has)(const QTextCharFormat&)) const {
    const QTextCursor cursor = RichEditNotes->textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const QTextDocument* doc = RichEditNotes->document();
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int fragmentEnd = fragment.position() + fragment.length();
            if (fragmentEnd <= start || fragment.position() >= end)
                continue;
            if (!has(fragment.charFormat()))
                return false;
        }
    }
    return true;
}

void NotesToolbar::toggleStyle(bool (*has)(const QTextCharFormat&), void (*set)(QTextCharFormat&, bool)) {
    QTextCursor cursor = RichEditNotes->textCursor();
    if (!cursor.hasSelection())
        return;
    QTextCharFormat change;
    set(change, !wholeSelectionHas(has));
    cursor.mergeCharFormat(change); // only this property: the other styles stay
}

void NotesToolbar::BtnBoldClick() {
    toggleStyle(isBold,
                [](QTextCharFormat& f, bool on) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); });
}

void NotesToolbar::BtnItalicClick() {
    toggleStyle(isItalic, [](QTextCharFormat& f, bool on) { f.setFontItalic(on); });
}

void NotesToolbar::BtnUnderClick() {
    toggleStyle(isUnderline, [](QTextCharFormat& f, bool on) { f.setFontUnderline(on); });
}

void NotesToolbar::BtnStrikeoutClick() {
    toggleStyle(isStrike, [](QTextCharFormat& f, bool on) { f.setFontStrikeOut(on); });
}

void NotesToolbar::JvOfficeColorButton1Click(const std::optional<QColor>& color) {
    QTextCursor cursor = RichEditNotes->textCursor();
    if (color) {
        QTextCharFormat change;
        change.setForeground(*color);
        RichEditNotes->mergeCurrentCharFormat(change);
    } else if (!cursor.hasSelection()) {
        QTextCharFormat typing = RichEditNotes->currentCharFormat();
        typing.clearForeground();
        RichEditNotes->setCurrentCharFormat(typing);
    } else {
        // Merging cannot remove a colour: rewrite each piece's format without it.
        const int start = cursor.selectionStart();
        const int end = cursor.selectionEnd();
        struct Piece {
            int from, to;
            QTextCharFormat format;
        };
        QVector<Piece> pieces;
        const QTextDocument* doc = RichEditNotes->document();
        for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(start, fragment.position());
                const int to = std::min(end, fragment.position() + fragment.length());
                if (from < to)
                    pieces.append({from, to, fragment.charFormat()});
            }
        }
        cursor.beginEditBlock();
        for (Piece& piece : pieces) {
            QTextCursor range(RichEditNotes->document());
            range.setPosition(piece.from);
            range.setPosition(piece.to, QTextCursor::KeepAnchor);
            piece.format.clearForeground();
            range.setCharFormat(piece.format);
        }
        cursor.endEditBlock();
    }
    RichEditNotes->setFocus();
}

void NotesToolbar::SpinEdit1Change(int points) {
    QTextCharFormat change;
    change.setFontPointSize(std::clamp(points, kNotesMinPoints, kNotesMaxPoints));
    RichEditNotes->mergeCurrentCharFormat(change);
}

int NotesToolbar::defaultPoints() const {
    const qreal points = RichEditNotes->document()->defaultFont().pointSizeF();
    return points > 0 ? static_cast<int>(std::lround(points)) : kNotesDefaultHalfPoints / 2;
}

void NotesToolbar::RichEditNotesSelectionChange() {
    const QTextCursor cursor = RichEditNotes->textCursor();
    QTextCharFormat format = RichEditNotes->currentCharFormat();
    if (cursor.hasSelection()) {
        QTextCursor first(RichEditNotes->document());
        first.setPosition(cursor.selectionStart() + 1);
        format = first.charFormat();
    }
    const qreal points = format.fontPointSize();
    // Showing the size must not apply it back: a mixed selection stays mixed.
    const QSignalBlocker blocker(SpinEdit1);
    SpinEdit1->setValue(points > 0 ? static_cast<int>(std::lround(points)) : defaultPoints());
}

void NotesToolbar::BtnAlignLeftClick() {
    RichEditNotes->setAlignment(Qt::AlignLeft);
}

void NotesToolbar::BtnAlignCentrClick() {
    RichEditNotes->setAlignment(Qt::AlignHCenter);
}

void NotesToolbar::BtnAlignRightClick() {
    RichEditNotes->setAlignment(Qt::AlignRight);
}
