#include "ui/WindowTree.h"

#include "ui/unGeneral.h"

#include <QItemSelectionModel>
#include <QTreeView>

TreeNode* WindowTree::node(int id) const {
    return m_window.treeModel().nodeById(id);
}

bool WindowTree::contains(int id) const {
    return m_window.treeModel().contains(id);
}

int WindowTree::parentOf(int id) const {
    const TreeNode* n = node(id);
    return n && n->parent() ? n->parent()->id() : 0;
}

QString WindowTree::textOf(int id) const {
    const TreeNode* n = node(id);
    return n ? n->text() : QString();
}

int WindowTree::iconOf(int id) const {
    const TreeNode* n = node(id);
    return n ? n->imageIndex() : 0;
}

bool WindowTree::isBelow(int id, int ancestorId) const {
    const TreeNode* n = node(id);
    for (const TreeNode* at = n ? n->parent() : nullptr; at; at = at->parent()) {
        if (at->id() == ancestorId)
            return true;
    }
    return false;
}

QVector<int> WindowTree::subtreeOf(int id) const {
    QVector<int> ids;
    TreeNode* top = node(id);
    if (!top)
        return ids;
    QVector<const TreeNode*> pending{top};
    while (!pending.isEmpty()) {
        const TreeNode* at = pending.takeLast();
        ids << at->id();
        for (int row = at->childCount() - 1; row >= 0; --row)
            pending << at->child(row);
    }
    return ids;
}

QString WindowTree::pathOf(int id) const {
    return ObjectTreeModel::path(node(id));
}

// Only the branches whose path is a beginning of the one asked for are walked.
QVector<int> WindowTree::idsWithPath(const QString& path) const {
    QVector<int> ids;
    const ObjectTreeModel& tree = m_window.treeModel();
    struct Step {
        const TreeNode* node;
        QString parentPath; // the ancestors' trimmed texts, each after a backslash
    };
    QVector<Step> pending;
    for (int row = tree.topLevelCount() - 1; row >= 0; --row)
        pending << Step{tree.topLevelNode(row), QString()};
    while (!pending.isEmpty()) {
        const Step step = pending.takeLast();
        const QString own = step.parentPath + QLatin1Char('\\') + step.node->text();
        if (own == path)
            ids << step.node->id();
        const QString below = step.parentPath + QLatin1Char('\\') + step.node->text().trimmed();
        if (!path.startsWith(below + QLatin1Char('\\')))
            continue;
        for (int row = step.node->childCount() - 1; row >= 0; --row)
            pending << Step{step.node->child(row), below};
    }
    return ids;
}

void WindowTree::addChild(int parentId, int id, const QString& text, int icon) {
    m_window.treeModel().appendChild(parentId == 0 ? nullptr : node(parentId), id, text, icon);
}

void WindowTree::setTextAndIcon(int id, const QString& text, int icon) {
    TreeNode* n = node(id);
    if (!n)
        return;
    m_window.treeModel().setText(n, text);
    m_window.treeModel().setImageIndex(n, icon);
}

void WindowTree::moveToLastChild(int id, int newParentId) {
    TreeNode* n = node(id);
    if (n)
        m_window.treeModel().moveToLastChild(n, newParentId == 0 ? nullptr : node(newParentId));
}

void WindowTree::removeSubtree(int id) {
    m_window.treeModel().removeSubtree(node(id));
}

int WindowTree::selectedId() const {
    const TreeNode* selected = m_window.selectedNode();
    return selected ? selected->id() : 0;
}

int WindowTree::loadedId() const {
    const ClientSelection& s = m_window.selection();
    return s.objectLoaded ? s.gperServerParametrs.ID_TREETABLE : 0;
}

void WindowTree::clearSelection() {
    m_window.treeView()->selectionModel()->clear();
}

void WindowTree::clearLoadedObject() {
    ClientSelection& s = m_window.selection();
    s.gperServerParametrs = {};
    s.gperServerParametrs2 = {};
    s.gperParametersOfEventsUPDATE = {};
    s.gperTreeViewItemIndex = 0;
    s.objectLoaded = false;
    s.objectExists = false;
    m_window.PAST_VARIABLE_IN_COMPONENTS();
}
