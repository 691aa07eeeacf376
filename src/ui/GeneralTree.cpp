// The tree control: its look, its mouse and key handlers, the copy commands.

#include "ui/unGeneral.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QWidget>

namespace {

const QColor kUnfocusedSelection(0x00, 0x00, 0xFF);

// A selected node stays visible, pure blue, when the focus has gone to the editor.
class SelectionStaysBlue : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* view = qobject_cast<const QAbstractItemView*>(option->widget);
        if (!(option->state & QStyle::State_Selected) || !view || view->hasFocus())
            return;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option->palette.setColor(group, QPalette::Highlight, kUnfocusedSelection);
            option->palette.setColor(group, QPalette::HighlightedText, Qt::white);
        }
    }
};

} // namespace

void TfmGeneral::setUpTreeView() {
    TreeView1->setModel(&m_tree);
    TreeView1->setItemDelegate(new SelectionStaysBlue(TreeView1));
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long names scroll sideways instead of being cut off.
    TreeView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeView1->header()->setStretchLastSection(false);
    QPalette palette = TreeView1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, kUnfocusedSelection);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    TreeView1->setPalette(palette);
    // Dragging a node onto another moves it there; the move itself is tree
    // editing's, so Qt's own item move stays out of it.
    TreeView1->setDragEnabled(true);
    TreeView1->viewport()->setAcceptDrops(true);
    TreeView1->setDragDropMode(QAbstractItemView::DragDrop);
    TreeView1->setDropIndicatorShown(false);
    TreeView1->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);
}

// The node a drop at pos would go under: one of this tree's own nodes, and
// neither the dragged node itself nor one below it.
TreeNode* TfmGeneral::dropTarget(const QMimeData* mime, const QPoint& pos) const {
    const std::optional<int> dragged = m_tree.draggedNodeId(mime);
    if (!dragged)
        return nullptr;
    TreeNode* target = m_tree.nodeAt(TreeView1->indexAt(pos));
    if (!target || ObjectTreeModel::isInSubtree(target, m_tree.nodeById(*dragged)))
        return nullptr;
    return target;
}

bool TfmGeneral::TreeView1DragOver(const QMimeData* mime, const QPoint& pos) const {
    return dropTarget(mime, pos) != nullptr;
}

bool TfmGeneral::TreeView1DragDrop(const QMimeData* mime, const QPoint& pos) {
    const TreeNode* target = dropTarget(mime, pos);
    if (!target)
        return false;
    const int dragged = *m_tree.draggedNodeId(mime);
    const int targetId = target->id();
    guarded([&] { m_services.TreeView1DragDrop(*this, dragged, targetId); });
    return true;
}

bool TfmGeneral::treeDropEvent(QDropEvent* event) {
    const QPoint pos = event->position().toPoint();
    bool taken = false;
    switch (event->type()) {
    case QEvent::DragEnter: // the place is checked as the drag moves on
        taken = m_tree.draggedNodeId(event->mimeData()).has_value();
        break;
    case QEvent::DragMove:
        taken = TreeView1DragOver(event->mimeData(), pos);
        break;
    case QEvent::Drop:
        taken = TreeView1DragDrop(event->mimeData(), pos);
        event->setDropAction(Qt::IgnoreAction); // nothing for Qt to remove afterwards
        break;
    default:
        return false;
    }
    if (taken)
        event->accept();
    else
        event->ignore();
    return true;
}

TreeNode* TfmGeneral::selectedNode() const {
    const QModelIndexList selected = TreeView1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : m_tree.nodeAt(selected.first());
}

void TfmGeneral::selectNode(TreeNode* node) {
    const QModelIndex at = m_tree.indexOf(node);
    if (!at.isValid()) {
        TreeView1->selectionModel()->clear();
        return;
    }
    TreeView1->setCurrentIndex(at);
    TreeView1->scrollTo(at);
}

bool TfmGeneral::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView1->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return treeMouseEvent(static_cast<QMouseEvent*>(event));
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return treeDropEvent(static_cast<QDropEvent*>(event));
        default:
            break;
        }
    } else if (watched == TreeView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) { // TreeView1KeyDown, key 46
            guarded([this] { m_services.DeleteObjectOnTreeView(*this); });
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) { // the keyboard's click
            TreeView1Click();
            return true;
        }
    } else if (watched == Edit_SearchInTreeView && event->type() == QEvent::KeyRelease) {
        guarded([this] { m_services.StartSearchInTreeView(*this, Edit_SearchInTreeView->text(), false); });
    } else if (watched == TabSheet2 && event->type() == QEvent::Resize) {
        FormResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

// TreeView1MouseDown, TreeView1Click and TreeView1DblClick. Returns true when the
// event is used up here.
bool TfmGeneral::treeMouseEvent(QMouseEvent* event) {
    const QModelIndex at = TreeView1->indexAt(event->position().toPoint());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (!at.isValid())
            TreeView1->selectionModel()->clear();
        if (event->button() != Qt::RightButton)
            return false;
        if (at.isValid()) {
            TreeView1->setCurrentIndex(at);
            TreeView1Click();
            PopupMenu1->popup(event->globalPosition().toPoint());
        } else {
            PopupMenu2->popup(event->globalPosition().toPoint());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (event->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(
                this, [this] { TreeView1Click(); }, Qt::QueuedConnection);
        return false;
    case QEvent::MouseButtonDblClick:
        if (event->button() == Qt::LeftButton)
            TreeView1DblClick();
        return false;
    default:
        return false;
    }
}

void TfmGeneral::TreeView1Click() {
    IfSelectedObjectOnTreeView();
}

void TfmGeneral::TreeView1DblClick() {
    guarded([this] { m_services.BitBtn1Click(*this); });
}

void TfmGeneral::N6Click() {
    QApplication::clipboard()->setText(m_selection.gperServerParametrs.LOGIN_LOGIN_PASS);
}

void TfmGeneral::N7Click() {
    QApplication::clipboard()->setText(m_selection.gperServerParametrs.PASS_LOGIN_PASS);
}
