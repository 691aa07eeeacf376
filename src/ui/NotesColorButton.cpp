#include "ui/NotesColorButton.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QWidgetAction>

const QString NotesColorButton::kNoColor = QStringLiteral("No Color");
const QString NotesColorButton::kAutomatic = QStringLiteral("Automatic");
const QString NotesColorButton::kOtherColors = QStringLiteral("Other Colors...");

namespace {

const QRgb kPalette[] = {
    0x000000, 0x993300, 0x333300, 0x003300, 0x003366, 0x000080, 0x333399, 0x333333, //
    0x800000, 0xFF6600, 0x808000, 0x008000, 0x008080, 0x0000FF, 0x666699, 0x808080, //
    0xFF0000, 0xFF9900, 0x99CC00, 0x339966, 0x33CCCC, 0x3366FF, 0x800080, 0x969696, //
    0xFF00FF, 0xFFCC00, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x00CCFF, 0x993366, 0xC0C0C0, //
    0xFF99CC, 0xFFCC99, 0xFFFF99, 0xCCFFCC, 0xCCFFFF, 0x99CCFF, 0xCC99FF, 0xFFFFFF,
};

QIcon swatch(const std::optional<QColor>& color, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setFont(QFont(painter.font().family(), size.height() / 2, QFont::Bold));
    painter.drawText(QRect(0, 0, size.width(), size.height() - 4), Qt::AlignCenter, QStringLiteral("A"));
    painter.fillRect(QRect(1, size.height() - 4, size.width() - 2, 3), color ? *color : QColor(Qt::black));
    return QIcon(pixmap);
}

} // namespace

NotesColorButton::NotesColorButton(QWidget* parent) : QToolButton(parent) {
    setObjectName(QStringLiteral("JvOfficeColorButton1"));
    setToolTip(QStringLiteral("Цвет текста"));
    setAccessibleName(QStringLiteral("Цвет текста"));
    setPopupMode(QToolButton::MenuButtonPopup);
    m_dialog = [](const QColor& initial, QWidget* p) { return QColorDialog::getColor(initial, p); };

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("JvOfficeColorButton1Menu"));
    QAction* none = m_menu->addAction(kNoColor);
    QAction* automatic = m_menu->addAction(kAutomatic);
    connect(none, &QAction::triggered, this, [this] { choose(std::nullopt); });
    connect(automatic, &QAction::triggered, this, [this] { choose(std::nullopt); });

    auto* grid = new QWidget(m_menu);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(4, 4, 4, 4);
    int i = 0;
    for (QRgb rgb : kPalette) {
        const QColor c = QColor::fromRgb(rgb);
        auto* cell = new QToolButton(grid);
        cell->setObjectName(QStringLiteral("ColorCell_%1").arg(c.name().mid(1)));
        cell->setAutoRaise(true);
        cell->setFixedSize(18, 18);
        QPixmap p(12, 12);
        p.fill(c);
        cell->setIcon(QIcon(p));
        cell->setToolTip(c.name());
        cell->setAccessibleName(c.name());
        connect(cell, &QToolButton::clicked, this, [this, c] {
            m_menu->close();
            choose(c);
        });
        layout->addWidget(cell, i / 8, i % 8);
        ++i;
    }
    auto* gridAction = new QWidgetAction(m_menu);
    gridAction->setDefaultWidget(grid);
    m_menu->addAction(gridAction);
    QAction* other = m_menu->addAction(kOtherColors);
    connect(other, &QAction::triggered, this, &NotesColorButton::chooseOther);
    setMenu(m_menu);

    connect(this, &QToolButton::clicked, this, [this] { emit colorChosen(m_color); });
    showColor();
}

void NotesColorButton::setColor(const std::optional<QColor>& color) {
    m_color = color;
    showColor();
}

void NotesColorButton::setColorDialog(ColorDialog dialog) {
    m_dialog = std::move(dialog);
}

void NotesColorButton::choose(const std::optional<QColor>& color) {
    setColor(color);
    emit colorChosen(m_color);
}

void NotesColorButton::chooseOther() {
    const QColor picked = m_dialog ? m_dialog(m_color.value_or(Qt::black), window()) : QColor();
    if (picked.isValid())
        choose(picked);
}

void NotesColorButton::showColor() {
    setIcon(swatch(m_color, QSize(20, 16)));
}
