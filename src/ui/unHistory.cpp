#include "ui/unHistory.h"

#include "fb/Error.h"
#include "tree/ObjectTreeModel.h"
#include "ui/Dialogs.h"
#include "ui/TreeEditSession.h"
#include "ui/unGeneral.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

// The rows of the table, newest first.
class HistoryTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    const QVector<HistoryRow>& rows() const { return m_rows; }

    void clear() {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }

    void append(const QVector<HistoryRow>& more) {
        if (more.isEmpty())
            return;
        beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(more.size()) - 1);
        m_rows += more;
        endInsertRows();
    }

    // Each row goes to its place by identity (the newest at the top); returns how
    // many went above the row `above`.
    int insertByIdentity(const QVector<HistoryRow>& rows, int above) {
        int placedAbove = 0;
        for (const HistoryRow& row : rows) {
            const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), row.id,
                                             [](const HistoryRow& r, int id) { return r.id > id; });
            if (at != m_rows.end() && at->id == row.id)
                continue;
            const int position = static_cast<int>(at - m_rows.begin());
            beginInsertRows({}, position, position);
            m_rows.insert(position, row);
            endInsertRows();
            if (position <= above) {
                ++placedAbove;
                ++above;
            }
        }
        return placedAbove;
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 6; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const HistoryRow& row = m_rows[index.row()];
        switch (role) {
        case Qt::DisplayRole:
            return row.cells().value(index.column());
        case Qt::ToolTipRole:
            if (index.column() == 4 && !row.objectPathAfter.isEmpty())
                return row.object + QStringLiteral(" → ") + row.objectPathAfter;
            return index.column() >= 4 ? row.cells().value(index.column()) : QVariant();
        case Qt::ForegroundRole:
            return row.corrupt ? QVariant(QColor(0x99, 0x00, 0x00)) : QVariant();
        case Qt::FontRole:
            if (row.corrupt) {
                QFont font;
                font.setItalic(true);
                return font;
            }
            return {};
        case Qt::TextAlignmentRole:
            return index.column() == 0 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const QStringList captions = {
            QStringLiteral("№"),        QStringLiteral("Время"),  QStringLiteral("Автор"),
            QStringLiteral("Действие"), QStringLiteral("Объект"), QStringLiteral("Изменения"),
        };
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return captions.value(section);
        return {};
    }

private:
    QVector<HistoryRow> m_rows;
};

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The node an older copy's update names only by its path.
TreeNode* nodeByPath(const ObjectTreeModel& tree, const QString& path) {
    for (TreeNode* node = tree.firstNode(); node; node = tree.nextInPreOrder(node)) {
        if (ObjectTreeModel::path(node) == path)
            return node;
    }
    return nullptr;
}

} // namespace

TfmHistory::TfmHistory(RunDatabase& db, Dialogs& dialogs, int objectId, const QString& objectPath,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_db(db), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("fmHistory"));
    setWindowTitle(QStringLiteral("Журнал изменений"));
    buildWindow();
    connectHandlers();
    fillAuthors();
    showFor(objectId, objectPath);
}

TfmHistory::~TfmHistory() = default;

TfmHistory* TfmHistory::open(TfmGeneral& general, const TreeNode* node) {
    const int objectId = node ? node->id() : 0;
    const QString objectPath = node ? ObjectTreeModel::path(node) : QString();
    TfmHistory* window =
        general.findChild<TfmHistory*>(QStringLiteral("fmHistory"), Qt::FindDirectChildrenOnly);
    if (window) {
        window->showFor(objectId, objectPath);
    } else {
        window = new TfmHistory(general.database(), general.dialogs(), objectId, objectPath, &general);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setMainWindow(&general);
        // New entries show as soon as the window's own copy has caught up with them.
        if (TreeEditSession* session = TreeEditSession::of(general))
            connect(session, &TreeEditSession::caughtUp, window, &TfmHistory::refreshNewest);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void TfmHistory::setMainWindow(TfmGeneral* general) {
    m_general = general;
}

const QVector<HistoryRow>& TfmHistory::rows() const {
    return m_model->rows();
}

void TfmHistory::buildWindow() {
    resize(1000, 560);

    CheckBox1 = named(new QCheckBox(this), "CheckBox1");
    CheckBox1->setText(QStringLiteral("Все объекты"));
    CheckBox1->setEnabled(false);
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setAccessibleName(QStringLiteral("Автор"));
    ComboBox1->setMinimumWidth(160);
    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    ComboBox2->setAccessibleName(QStringLiteral("Действие"));
    ComboBox2->addItem(QStringLiteral("Все действия"), 0);
    for (int kind = 1; kind <= 4; ++kind)
        ComboBox2->addItem(historyActionName(kind), kind);
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setAccessibleName(QStringLiteral("Поиск в пути и изменениях"));
    Edit1->setPlaceholderText(QStringLiteral("Поиск в пути и изменениях"));
    Edit1->setClearButtonEnabled(true);

    auto* authorLabel = named(new QLabel(QStringLiteral("Автор:"), this), "Label2");
    authorLabel->setBuddy(ComboBox1);
    auto* kindLabel = named(new QLabel(QStringLiteral("Действие:"), this), "Label3");
    kindLabel->setBuddy(ComboBox2);

    auto* filters = new QHBoxLayout;
    filters->addWidget(CheckBox1, 1);
    filters->addWidget(authorLabel);
    filters->addWidget(ComboBox1);
    filters->addWidget(kindLabel);
    filters->addWidget(ComboBox2);
    filters->addWidget(Edit1, 1);

    m_model = new HistoryTableModel(this);
    StringGrid1 = named(new QTableView(this), "StringGrid1");
    StringGrid1->setAccessibleName(QStringLiteral("Записи журнала"));
    StringGrid1->setModel(m_model);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->setAlternatingRowColors(true);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
    StringGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    QHeaderView* header = StringGrid1->horizontalHeader();
    header->setStretchLastSection(true);
    const int widths[] = {70, 135, 140, 100, 240};
    for (int column = 0; column < 5; ++column)
        StringGrid1->setColumnWidth(column, widths[column]);

    Label1 = named(new QLabel(this), "Label1");
    BitBtn2 = named(new QPushButton(QStringLiteral("Загрузить ещё"), this), "BitBtn2");
    BitBtn1 = named(new QPushButton(QStringLiteral("Сохранить в файл…"), this), "BitBtn1");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label1, 1);
    bottom->addWidget(BitBtn2);
    bottom->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(bottom);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(kRefreshMs);
    Timer2 = named(new QTimer(this), "Timer2");
    Timer2->setSingleShot(true);
    Timer2->setInterval(300);

    setTabOrder(CheckBox1, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, Edit1);
    setTabOrder(Edit1, StringGrid1);
    setTabOrder(StringGrid1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn1);
}

void TfmHistory::connectHandlers() {
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { applyFilters(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { applyFilters(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { applyFilters(); });
    connect(Edit1, &QLineEdit::textChanged, Timer2, qOverload<>(&QTimer::start));
    connect(Timer2, &QTimer::timeout, this, [this] { applyFilters(); });
    connect(Timer1, &QTimer::timeout, this, &TfmHistory::refreshNewest);
    connect(StringGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, &TfmHistory::scrolled);
    connect(StringGrid1, &QTableView::doubleClicked, this, &TfmHistory::rowDoubleClicked);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { saveToFile(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] {
        m_autoScanned = 0;
        loadMore();
        loadUntilFilled();
    });
}

void TfmHistory::keyPressEvent(QKeyEvent* event) {
    // Reaches the window from any control that leaves Escape alone.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TfmHistory::guarded(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const fb::Error& error) {
        Timer1->stop(); // one box, not one every few seconds
        m_dialogs.showError(this, error.text());
        return false;
    }
}

void TfmHistory::fillAuthors() {
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItem(QStringLiteral("Все авторы"), 0);
    guarded([this] {
        for (const HistoryUser& user : historyUsers(m_db))
            ComboBox1->addItem(user.name.isEmpty() ? kNoValueText : user.name, user.id);
    });
}

void TfmHistory::showFor(int objectId, const QString& objectPath) {
    m_objectId = objectId;
    m_objectPath = objectPath;
    {
        const QSignalBlocker blocker(CheckBox1);
        CheckBox1->setEnabled(objectId != 0);
        CheckBox1->setChecked(objectId != 0);
        CheckBox1->setText(objectId != 0 ? QStringLiteral("Только объект %1").arg(objectPath)
                                         : QStringLiteral("Все объекты"));
    }
    applyFilters();
}

HistoryFilter TfmHistory::currentFilter() const {
    HistoryFilter filter;
    if (m_objectId != 0 && CheckBox1->isChecked()) {
        filter.objectId = m_objectId;
        filter.objectPath = m_objectPath;
    }
    filter.authorId = ComboBox1->currentData().toInt();
    filter.kind = ComboBox2->currentData().toInt();
    filter.text = Edit1->text().trimmed();
    return filter;
}

void TfmHistory::applyFilters() {
    Timer2->stop();
    m_notice.clear();
    m_model->clear();
    m_reader = std::make_unique<HistoryReader>(m_db, currentFilter());
    m_autoScanned = 0;
    if (!Timer1->isActive())
        Timer1->start();
    loadMore();
    loadUntilFilled();
}

void TfmHistory::loadMore() {
    if (!m_reader || m_reader->atStart())
        return;
    guarded([this] {
        const int before = m_reader->scanned();
        m_model->append(m_reader->olderPage(kPageRows));
        m_autoScanned += m_reader->scanned() - before;
    });
    showStatus();
}

// A filter that few entries pass leaves the table short of a screenful, so no
// scrolling could ask for more: keep reading, a page per turn of the event loop,
// as far as kAutoScan entries.
void TfmHistory::loadUntilFilled() {
    if (!m_reader || m_reader->atStart() || m_autoScanned >= kAutoScan)
        return;
    const QScrollBar* bar = StringGrid1->verticalScrollBar();
    StringGrid1->doItemsLayout();
    if (bar->maximum() > 0)
        return;
    QTimer::singleShot(0, this, [this] {
        loadMore();
        loadUntilFilled();
    });
}

void TfmHistory::scrolled(int value) {
    const QScrollBar* bar = StringGrid1->verticalScrollBar();
    if (value >= bar->maximum() - 5 && bar->maximum() > 0) {
        m_autoScanned = 0;
        QTimer::singleShot(0, this, [this] { loadMore(); });
    }
}

void TfmHistory::refreshNewest() {
    if (!m_reader)
        return;
    guarded([this] {
        const QVector<HistoryRow> newer = m_reader->newerRows();
        if (newer.isEmpty())
            return;
        QScrollBar* bar = StringGrid1->verticalScrollBar();
        const int top = bar->value(); // rows scroll one at a time
        const int placedAbove = m_model->insertByIdentity(newer, top);
        // At the very top the new rows are meant to be seen; further down the
        // rows in view stay where they are.
        if (top > 0) {
            StringGrid1->doItemsLayout();
            bar->setValue(top + placedAbove);
        }
    });
    showStatus();
}

void TfmHistory::showStatus() {
    QString text = QStringLiteral("Записей: %1").arg(m_model->rowCount());
    if (m_reader) {
        if (m_reader->atStart())
            text += QStringLiteral(" · журнал прочитан до начала");
        else
            text += QStringLiteral(" · просмотрено %1 записей журнала").arg(m_reader->scanned());
    }
    if (!m_notice.isEmpty())
        text += QStringLiteral(" · ") + m_notice;
    Label1->setText(text);
    BitBtn2->setEnabled(m_reader && !m_reader->atStart());
}

void TfmHistory::rowDoubleClicked(const QModelIndex& index) {
    if (!index.isValid() || !m_general)
        return;
    const HistoryRow& row = m_model->rows()[index.row()];
    if (row.corrupt)
        return;
    ObjectTreeModel& tree = m_general->treeModel();
    TreeNode* node = row.objectId != 0 ? tree.nodeById(row.objectId) : nullptr;
    if (!node && row.objectId == 0 && row.kind == 2)
        node = nodeByPath(tree, row.object);
    if (!node) {
        m_notice = QStringLiteral("объекта больше нет в дереве");
        showStatus();
        return;
    }
    m_notice.clear();
    showStatus();
    m_general->selectNode(node);
    m_general->TreeView1Click(); // the editor shows what the tree selects
    m_general->raise();
    m_general->activateWindow();
}

void TfmHistory::saveToFile() {
    const QString name =
        m_dialogs.saveFileName(this, QStringLiteral("Журнал изменений.csv"), QStringLiteral("CSV (*.csv)"));
    if (name.isEmpty())
        return;
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(historyCsv(m_model->rows())) < 0 || !file.commit()) {
        m_dialogs.showError(
            this, QStringLiteral("Не удалось сохранить файл «%1»: %2").arg(name, file.errorString()));
        return;
    }
    m_notice = QStringLiteral("сохранено в %1").arg(name);
    showStatus();
}
