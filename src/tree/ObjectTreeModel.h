#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QVector>
#include <optional>
#include <vector>

class QMimeData;

class ObjectTreeModel;

// One node of the object tree: a TREETABLE row as the tree shows it. Nodes are
// owned by their model; a pointer stays valid until the node is removed.
class TreeNode {
public:
    int id() const { return m_id; }
    const QString& text() const { return m_text; }
    int imageIndex() const { return m_imageIndex; }
    bool isBold() const { return m_bold; }

    // nullptr for a top-level node.
    TreeNode* parent() const { return m_parent && m_parent->m_parent ? m_parent : nullptr; }
    // Place among its siblings, from 0.
    int row() const { return m_row; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    TreeNode* child(int row) const { return m_children[static_cast<std::size_t>(row)]; }
    bool hasChildren() const { return !m_children.empty(); }

private:
    friend class ObjectTreeModel;

    int m_id = 0;
    QString m_text;
    int m_imageIndex = 0;
    bool m_bold = false;
    TreeNode* m_parent = nullptr; // the hidden root for top-level nodes
    int m_row = 0;
    std::vector<TreeNode*> m_children;
};

// The object tree without any widget: nodes carry the row's identity, text and
// picture index, and an identity index is kept in step with every change, so
// lookups by identity never walk the tree. Identities are unique within a model.
//
// Positions in the whole tree ("absolute index") count nodes in pre-order from 0,
// expanded or not. Every walk is iterative: a chain 100 000 deep is fine.
//
// As a Qt item model it has one column: the text, the picture (DecorationRole),
// bold (FontRole), the identity (IdRole) and the picture index (ImageIndexRole).
class ObjectTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1, ImageIndexRole };

    explicit ObjectTreeModel(QObject* parent = nullptr);
    ~ObjectTreeModel() override;

    // --- lookups -------------------------------------------------------------
    int nodeCount() const { return static_cast<int>(m_byId.size()); }
    int topLevelCount() const { return m_root.childCount(); }
    TreeNode* topLevelNode(int row) const { return m_root.child(row); }
    TreeNode* nodeById(int id) const { return m_byId.value(id, nullptr); }
    bool contains(int id) const { return m_byId.contains(id); }

    TreeNode* firstNode() const { return m_root.hasChildren() ? m_root.child(0) : nullptr; }
    // The node after node in pre-order, nullptr after the last.
    TreeNode* nextInPreOrder(const TreeNode* node) const;
    // -1 for nullptr or a node of another model.
    int absoluteIndex(const TreeNode* node) const;
    TreeNode* nodeAtAbsoluteIndex(int index) const;
    // True when node is top or lies below it.
    static bool isInSubtree(const TreeNode* node, const TreeNode* top);
    // "\" and the texts from the top-level ancestor down, separated by "\". The
    // ancestors' texts are trimmed, the node's own is taken as it is.
    static QString path(const TreeNode* node);

    // --- changes: each keeps the identity index in step and tells the views ------
    // nullptr when the identity is already in the tree. parent nullptr: top level.
    TreeNode* appendChild(TreeNode* parent, int id, const QString& text, int imageIndex);
    TreeNode* appendTopLevel(int id, const QString& text, int imageIndex) {
        return appendChild(nullptr, id, text, imageIndex);
    }
    // Removes node with everything below it; returns the removed identities.
    QList<int> removeSubtree(TreeNode* node);
    // node (with its subtree) becomes the last child of newParent, or the last
    // top-level node for nullptr. Refused (false) when newParent lies in node's subtree.
    bool moveToLastChild(TreeNode* node, TreeNode* newParent);
    // node (with its subtree) goes just before sibling, taking sibling's parent.
    // Refused when sibling lies in node's subtree.
    bool moveBefore(TreeNode* node, TreeNode* sibling);
    // Exchanges the places of two children of the same parent.
    bool swapSiblings(TreeNode* a, TreeNode* b);
    void setText(TreeNode* node, const QString& text);
    void setImageIndex(TreeNode* node, int imageIndex);
    void setBold(TreeNode* node, bool bold);
    void clear();

    // Pictures by index for DecorationRole; an index without a picture shows none.
    void setIcons(const QVector<QIcon>& icons);

    // While one lives, the views get a single reset instead of a signal per node.
    class BulkChange {
    public:
        explicit BulkChange(ObjectTreeModel& model);
        ~BulkChange();
        BulkChange(const BulkChange&) = delete;
        BulkChange& operator=(const BulkChange&) = delete;

    private:
        ObjectTreeModel& m_model;
    };

    // --- Qt item model -----------------------------------------------------------
    QModelIndex indexOf(const TreeNode* node) const;
    TreeNode* nodeAt(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A dragged node travels as its identity and the model it came from, so a
    // drop can tell this tree's nodes from anything else (text, files, another
    // client's tree).
    static constexpr const char* kNodeMimeType = "application/x-vestibar-tree-node";
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // The identity of this model's node that data carries, or nothing.
    std::optional<int> draggedNodeId(const QMimeData* data) const;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

signals:
    // After removeSubtree or clear: the identities that left the tree.
    void nodesRemoved(const QList<int>& ids);

private:
    TreeNode* holder(TreeNode* parent) { return parent ? parent : &m_root; }
    QModelIndex holderIndex(const TreeNode* holder) const;
    bool signalling() const { return m_bulkDepth == 0; }
    static void renumber(TreeNode* holder, int fromRow);
    // Deletes the subtree's nodes (not the link from its parent); collects identities.
    void deleteNodes(TreeNode* top, QList<int>& ids);
    void changed(TreeNode* node, const QList<int>& roles);

    TreeNode m_root;
    QHash<int, TreeNode*> m_byId;
    QVector<QIcon> m_icons;
    int m_bulkDepth = 0;
};
