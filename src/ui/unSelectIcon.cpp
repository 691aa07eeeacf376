#include "ui/unSelectIcon.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Draws a cell's icon at its top-left corner, as the grid's 16-pixel cells
// leave no room for the usual margins.
class IconCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull())
            icon.paint(painter, QRect(option.rect.topLeft(), QSize(16, 16)));
    }
};

} // namespace

int ID_ico = 0;
TfmSelectIcon* fmSelectIcon = nullptr;

TfmSelectIcon::TfmSelectIcon(const QVector<QIcon>& icons, int currentIcon, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowTitleHint), m_icons(icons) {
    fmSelectIcon = this;
    setObjectName(QStringLiteral("fmSelectIcon"));
    setWindowTitle(QStringLiteral("Выбор иконки"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(384, 275);

    StringGrid1 = new QTableWidget(kRows, kColumns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setMinimumSectionSize(16);
    StringGrid1->verticalHeader()->setMinimumSectionSize(16);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(17);
    StringGrid1->verticalHeader()->setDefaultSectionSize(17);
    StringGrid1->setIconSize(QSize(16, 16));
    StringGrid1->setItemDelegate(new IconCellDelegate(StringGrid1));
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Exactly the cells: no blank band beside or below them.
    StringGrid1->ensurePolished();
    const int frame = 2 * StringGrid1->frameWidth() + 1;
    StringGrid1->setFixedSize(kColumns * 17 + frame, kRows * 17 + frame);

    BitBtn1 = new QPushButton(QStringLiteral("ОК"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(StringGrid1, 1, Qt::AlignHCenter | Qt::AlignTop);
    layout->addLayout(buttons);

    fillGrid();
    // The selection, not the current cell: a grid that gets the focus makes its
    // first cell current without anyone choosing it.
    connect(StringGrid1, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem*> selected = StringGrid1->selectedItems();
        if (!selected.isEmpty())
            StringGrid1SelectCell(selected.first()->row(), selected.first()->column());
    });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (hasIcon(row * kColumns + column))
            BitBtn1Click();
    });
    connect(BitBtn1, &QPushButton::clicked, this, &TfmSelectIcon::BitBtn1Click);

    // Open on this object's icon, not on the one chosen for the last object.
    ID_ico = currentIcon;
    if (hasIcon(currentIcon)) {
        StringGrid1->setCurrentCell(currentIcon / kColumns, currentIcon % kColumns);
        m_chosen = currentIcon;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfmSelectIcon::~TfmSelectIcon() {
    notifyClosed();
    if (fmSelectIcon == this)
        fmSelectIcon = nullptr;
}

void TfmSelectIcon::setOnClose(std::function<void()> onClose) {
    m_onClose = std::move(onClose);
}

void TfmSelectIcon::fillGrid() {
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int index = row * kColumns + column;
            auto* item = new QTableWidgetItem;
            if (hasIcon(index)) {
                item->setIcon(m_icons.at(index));
                item->setToolTip(QString::number(index));
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            } else {
                item->setFlags(Qt::NoItemFlags); // an empty cell cannot be chosen
            }
            StringGrid1->setItem(row, column, item);
        }
    }
}

void TfmSelectIcon::StringGrid1SelectCell(int row, int column) {
    const int index = row * kColumns + column;
    if (row < 0 || column < 0 || !hasIcon(index))
        return;
    m_chosen = index;
    ID_ico = index;
}

void TfmSelectIcon::BitBtn1Click() {
    if (hasIcon(m_chosen))
        emit iconChosen(m_chosen);
    close();
}

void TfmSelectIcon::closeEvent(QCloseEvent* event) {
    notifyClosed();
    QWidget::closeEvent(event);
}

void TfmSelectIcon::notifyClosed() {
    if (auto onClose = std::exchange(m_onClose, nullptr))
        onClose();
}
