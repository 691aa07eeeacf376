#pragma once

#include <QColor>
#include <QToolButton>
#include <functional>
#include <optional>

class QMenu;

// The notes' colour drop-down (JvOfficeColorButton1): a palette, "No Color" and
// "Automatic" (both the default colour) and "Other Colors..." (a colour dialog).
// It starts at the default colour.
class NotesColorButton : public QToolButton {
    Q_OBJECT
public:
    explicit NotesColorButton(QWidget* parent = nullptr);

    // None: the default colour.
    std::optional<QColor> color() const { return m_color; }
    void setColor(const std::optional<QColor>& color);

    // The dialog behind "Other Colors..."; an invalid colour means cancelled.
    using ColorDialog = std::function<QColor(const QColor& initial, QWidget* parent)>;
    void setColorDialog(ColorDialog dialog);

    QMenu* colorMenu() const { return m_menu; }

    static const QString kNoColor;
    static const QString kAutomatic;
    static const QString kOtherColors;

signals:
    // Emitted on every choice and on a click of the button itself (the current colour).
    void colorChosen(const std::optional<QColor>& color);

private:
    void choose(const std::optional<QColor>& color);
    void chooseOther();
    void showColor();

    QMenu* m_menu = nullptr;
    std::optional<QColor> m_color;
    ColorDialog m_dialog;
};
