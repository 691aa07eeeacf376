#pragma once

#include <QWidget>
#include <optional>

class NotesColorButton;
class QSpinBox;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

// The formatting toolbar above the notes field: style buttons, the colour
// drop-down, the size box and the alignment buttons, working on the field given.
// Laid out as the notes group places them (at x 8..273, one row of 25 px).
class NotesToolbar : public QWidget {
    Q_OBJECT
public:
    NotesToolbar(QTextEdit* richEditNotes, QWidget* parent = nullptr);

    QTextEdit* editor() const { return RichEditNotes; }

    // The handlers, also callable by the window.
    void BtnBoldClick();
    void BtnItalicClick();
    void BtnUnderClick();
    void BtnStrikeoutClick();
    void JvOfficeColorButton1Click(const std::optional<QColor>& color);
    void SpinEdit1Change(int points);
    void BtnAlignLeftClick();
    void BtnAlignCentrClick();
    void BtnAlignRightClick();
    void RichEditNotesSelectionChange();

    // The size of text whose format sets none: the editor's font.
    int defaultPoints() const;

private:
    QToolButton* makeButton(const char* name, const QString& tip, const QIcon& icon, int x);
    // The style is the selection's only when every character of it has it.
    bool wholeSelectionHas(bool (*has)(const QTextCharFormat&)) const;
    void toggleStyle(bool (*has)(const QTextCharFormat&), void (*set)(QTextCharFormat&, bool));

    QTextEdit* RichEditNotes;
    QToolButton* BtnBold = nullptr;
    QToolButton* BtnItalic = nullptr;
    QToolButton* BtnUnder = nullptr;
    QToolButton* BtnStrikeout = nullptr;
    NotesColorButton* JvOfficeColorButton1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QToolButton* BtnAlignLeft = nullptr;
    QToolButton* BtnAlignCentr = nullptr;
    QToolButton* BtnAlignRight = nullptr;
};
