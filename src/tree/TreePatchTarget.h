#pragma once

#include <QString>
#include <QVector>

// What patching needs of one client's tree. Nodes are named by their TREETABLE
// identity; 0 stands for the top level. The tree keeps selection, scroll and
// expansion through every call.
class TreePatchTarget {
public:
    virtual ~TreePatchTarget() = default;

    virtual bool contains(int id) const = 0;
    // 0 for a top-level node.
    virtual int parentOf(int id) const = 0;
    virtual QString textOf(int id) const = 0;
    virtual int iconOf(int id) const = 0;
    // True when id lies anywhere below ancestorId.
    virtual bool isBelow(int id, int ancestorId) const = 0;
    // The node first, then every node below it.
    virtual QVector<int> subtreeOf(int id) const = 0;
    // A backslash, then the names from the top-level ancestor down (GetNodePath).
    virtual QString pathOf(int id) const = 0;
    // Every node whose path is path.
    virtual QVector<int> idsWithPath(const QString& path) const = 0;

    // Appends a node as the last child of parentId (0: at the end of the top level).
    virtual void addChild(int parentId, int id, const QString& text, int icon) = 0;
    // Sets the text and both picture indexes.
    virtual void setTextAndIcon(int id, const QString& text, int icon) = 0;
    // Makes the node, with its subtree, the last child of newParentId; the new
    // parent stays expanded or collapsed as it was.
    virtual void moveToLastChild(int id, int newParentId) = 0;
    // Removes the node with its subtree and forgets every identity removed.
    virtual void removeSubtree(int id) = 0;

    // The selected node and the object loaded into the editor; 0 for none.
    virtual int selectedId() const = 0;
    virtual int loadedId() const = 0;
    virtual void clearSelection() = 0;
    // Empties the editor and the pending change record, so that no later save
    // journals an object that is gone.
    virtual void clearLoadedObject() = 0;
};
