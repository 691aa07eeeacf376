#include "tree/ObjectTreeModel.h"

#include <QDataStream>
#include <QFont>
#include <QIODevice>
#include <QMimeData>
#include <QStringList>
#include <algorithm>

namespace {

// Every node of the subtree, top first; no recursion, so depth costs no stack.
std::vector<TreeNode*> collectSubtree(TreeNode* top) {
    std::vector<TreeNode*> nodes{top};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        for (int row = 0; row < nodes[i]->childCount(); ++row)
            nodes.push_back(nodes[i]->child(row));
    }
    return nodes;
}

} // namespace

ObjectTreeModel::ObjectTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

ObjectTreeModel::~ObjectTreeModel() {
    for (TreeNode* top : m_root.m_children) {
        for (TreeNode* node : collectSubtree(top))
            delete node;
    }
}

// --- lookups -------------------------------------------------------------------

TreeNode* ObjectTreeModel::nextInPreOrder(const TreeNode* node) const {
    if (!node)
        return nullptr;
    if (node->hasChildren())
        return node->child(0);
    for (const TreeNode* at = node; at && at != &m_root; at = at->m_parent) {
        const TreeNode* holder = at->m_parent;
        if (at->m_row + 1 < holder->childCount())
            return holder->child(at->m_row + 1);
    }
    return nullptr;
}

int ObjectTreeModel::absoluteIndex(const TreeNode* node) const {
    if (!node || nodeById(node->m_id) != node)
        return -1;
    // Walks only the nodes before it.
    int index = 0;
    for (TreeNode* at = firstNode(); at; at = nextInPreOrder(at)) {
        if (at == node)
            return index;
        ++index;
    }
    return -1;
}

TreeNode* ObjectTreeModel::nodeAtAbsoluteIndex(int index) const {
    if (index < 0 || index >= nodeCount())
        return nullptr;
    TreeNode* at = firstNode();
    for (int i = 0; i < index && at; ++i)
        at = nextInPreOrder(at);
    return at;
}

bool ObjectTreeModel::isInSubtree(const TreeNode* node, const TreeNode* top) {
    for (const TreeNode* at = node; at; at = at->parent()) {
        if (at == top)
            return true;
    }
    return false;
}

QString ObjectTreeModel::path(const TreeNode* node) {
    if (!node)
        return {};
    QStringList parts{node->text()};
    for (const TreeNode* at = node->parent(); at; at = at->parent())
        parts.prepend(at->text().trimmed());
    return QLatin1Char('\\') + parts.join(QLatin1Char('\\'));
}

// --- changes ---------------------------------------------------------------------

TreeNode* ObjectTreeModel::appendChild(TreeNode* parent, int id, const QString& text, int imageIndex) {
    if (m_byId.contains(id))
        return nullptr;
    TreeNode* h = holder(parent);
    const int row = h->childCount();
    if (signalling())
        beginInsertRows(holderIndex(h), row, row);
    auto* node = new TreeNode;
    node->m_id = id;
    node->m_text = text;
    node->m_imageIndex = imageIndex;
    node->m_parent = h;
    node->m_row = row;
    h->m_children.push_back(node);
    m_byId.insert(id, node);
    if (signalling())
        endInsertRows();
    return node;
}

QList<int> ObjectTreeModel::removeSubtree(TreeNode* node) {
    if (!node || nodeById(node->m_id) != node)
        return {};
    TreeNode* h = node->m_parent;
    const int row = node->m_row;
    if (signalling())
        beginRemoveRows(holderIndex(h), row, row);
    h->m_children.erase(h->m_children.begin() + row);
    renumber(h, row);
    // The index forgets the nodes before the views hear of it, the memory goes last.
    const std::vector<TreeNode*> nodes = collectSubtree(node);
    QList<int> ids;
    ids.reserve(static_cast<qsizetype>(nodes.size()));
    for (TreeNode* n : nodes) {
        ids.append(n->m_id);
        m_byId.remove(n->m_id);
    }
    if (signalling())
        endRemoveRows();
    for (TreeNode* n : nodes)
        delete n;
    emit nodesRemoved(ids);
    return ids;
}

bool ObjectTreeModel::moveToLastChild(TreeNode* node, TreeNode* newParent) {
    if (!node || (newParent && isInSubtree(newParent, node)))
        return false;
    TreeNode* from = node->m_parent;
    TreeNode* to = holder(newParent);
    const int row = node->m_row;
    if (from == to && row == to->childCount() - 1)
        return true;
    if (signalling())
        beginMoveRows(holderIndex(from), row, row, holderIndex(to), to->childCount());
    from->m_children.erase(from->m_children.begin() + row);
    renumber(from, row);
    node->m_parent = to;
    node->m_row = to->childCount();
    to->m_children.push_back(node);
    if (signalling())
        endMoveRows();
    return true;
}

bool ObjectTreeModel::moveBefore(TreeNode* node, TreeNode* sibling) {
    if (!node || !sibling)
        return false;
    if (node == sibling)
        return true;
    if (isInSubtree(sibling, node))
        return false;
    TreeNode* from = node->m_parent;
    TreeNode* to = sibling->m_parent;
    const int row = node->m_row;
    const int destination = sibling->m_row;
    if (from == to && (destination == row || destination == row + 1))
        return true;
    if (signalling())
        beginMoveRows(holderIndex(from), row, row, holderIndex(to), destination);
    from->m_children.erase(from->m_children.begin() + row);
    renumber(from, row);
    const int at = sibling->m_row; // shifted by the erase when both share a parent
    node->m_parent = to;
    to->m_children.insert(to->m_children.begin() + at, node);
    renumber(to, at);
    if (signalling())
        endMoveRows();
    return true;
}

bool ObjectTreeModel::swapSiblings(TreeNode* a, TreeNode* b) {
    if (!a || !b || a->m_parent != b->m_parent)
        return false;
    if (a == b)
        return true;
    if (a->m_row > b->m_row)
        std::swap(a, b);
    TreeNode* h = a->m_parent;
    const int rowB = b->m_row;
    moveBefore(b, a);
    if (rowB + 1 < h->childCount())
        return moveBefore(a, h->child(rowB + 1));
    return moveToLastChild(a, a->parent());
}

void ObjectTreeModel::setText(TreeNode* node, const QString& text) {
    if (!node || node->m_text == text)
        return;
    node->m_text = text;
    changed(node, {Qt::DisplayRole, Qt::EditRole});
}

void ObjectTreeModel::setImageIndex(TreeNode* node, int imageIndex) {
    if (!node || node->m_imageIndex == imageIndex)
        return;
    node->m_imageIndex = imageIndex;
    changed(node, {Qt::DecorationRole, ImageIndexRole});
}

void ObjectTreeModel::setBold(TreeNode* node, bool bold) {
    if (!node || node->m_bold == bold)
        return;
    node->m_bold = bold;
    changed(node, {Qt::FontRole});
}

void ObjectTreeModel::clear() {
    if (signalling())
        beginResetModel();
    const std::vector<TreeNode*> tops = m_root.m_children;
    m_root.m_children.clear();
    const QList<int> ids = m_byId.keys();
    m_byId.clear();
    if (signalling())
        endResetModel();
    for (TreeNode* top : tops) {
        for (TreeNode* node : collectSubtree(top))
            delete node;
    }
    if (!ids.isEmpty())
        emit nodesRemoved(ids);
}

void ObjectTreeModel::setIcons(const QVector<QIcon>& icons) {
    m_icons = icons;
    if (m_root.hasChildren() && signalling())
        emit dataChanged(index(0, 0), index(topLevelCount() - 1, 0), {Qt::DecorationRole});
}

void ObjectTreeModel::renumber(TreeNode* holder, int fromRow) {
    for (int row = fromRow; row < holder->childCount(); ++row)
        holder->child(row)->m_row = row;
}

void ObjectTreeModel::changed(TreeNode* node, const QList<int>& roles) {
    if (!signalling())
        return;
    const QModelIndex at = indexOf(node);
    emit dataChanged(at, at, roles);
}

ObjectTreeModel::BulkChange::BulkChange(ObjectTreeModel& model) : m_model(model) {
    if (m_model.m_bulkDepth++ == 0)
        m_model.beginResetModel();
}

ObjectTreeModel::BulkChange::~BulkChange() {
    if (--m_model.m_bulkDepth == 0)
        m_model.endResetModel();
}

// --- Qt item model ------------------------------------------------------------------

QModelIndex ObjectTreeModel::holderIndex(const TreeNode* holder) const {
    return holder == &m_root ? QModelIndex() : indexOf(holder);
}

QModelIndex ObjectTreeModel::indexOf(const TreeNode* node) const {
    if (!node || node == &m_root)
        return {};
    return createIndex(node->m_row, 0, const_cast<TreeNode*>(node));
}

TreeNode* ObjectTreeModel::nodeAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TreeNode*>(index.internalPointer());
}

QModelIndex ObjectTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const TreeNode* h = parent.isValid() ? nodeAt(parent) : &m_root;
    if (!h || column != 0 || row < 0 || row >= h->childCount())
        return {};
    return createIndex(row, 0, h->child(row));
}

QModelIndex ObjectTreeModel::parent(const QModelIndex& child) const {
    const TreeNode* node = nodeAt(child);
    if (!node)
        return {};
    return holderIndex(node->m_parent);
}

int ObjectTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const TreeNode* h = parent.isValid() ? nodeAt(parent) : &m_root;
    return h ? h->childCount() : 0;
}

int ObjectTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ObjectTreeModel::data(const QModelIndex& index, int role) const {
    const TreeNode* node = nodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->m_text;
    case Qt::DecorationRole:
        if (node->m_imageIndex >= 0 && node->m_imageIndex < m_icons.size())
            return m_icons[node->m_imageIndex];
        return {};
    case Qt::FontRole:
        if (node->m_bold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case IdRole:
        return node->m_id;
    case ImageIndexRole:
        return node->m_imageIndex;
    default:
        return {};
    }
}

Qt::ItemFlags ObjectTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList ObjectTreeModel::mimeTypes() const {
    return {QLatin1String(kNodeMimeType)};
}

QMimeData* ObjectTreeModel::mimeData(const QModelIndexList& indexes) const {
    const TreeNode* node = indexes.isEmpty() ? nullptr : nodeAt(indexes.first());
    if (!node)
        return nullptr;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint64(reinterpret_cast<quintptr>(this)) << qint32(node->id());
    auto* data = new QMimeData;
    data->setData(QLatin1String(kNodeMimeType), bytes);
    return data;
}

std::optional<int> ObjectTreeModel::draggedNodeId(const QMimeData* data) const {
    if (!data || !data->hasFormat(QLatin1String(kNodeMimeType)))
        return std::nullopt;
    QDataStream in(data->data(QLatin1String(kNodeMimeType)));
    quint64 model = 0;
    qint32 id = 0;
    in >> model >> id;
    if (in.status() != QDataStream::Ok || model != quint64(reinterpret_cast<quintptr>(this)) || !contains(id))
        return std::nullopt;
    return id;
}
