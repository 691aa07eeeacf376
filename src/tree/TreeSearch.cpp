#include "tree/TreeSearch.h"

#include "tree/ObjectTreeModel.h"

bool TreeSearch::matches(const TreeNode& node, const QString& text) {
    return !text.isEmpty() && node.text().contains(text, Qt::CaseInsensitive);
}

TreeNode* TreeSearch::first(const ObjectTreeModel& tree, const QString& text) {
    m_hitId = 0;
    return walk(tree, tree.firstNode(), text);
}

TreeNode* TreeSearch::next(const ObjectTreeModel& tree, const QString& text) {
    const TreeNode* hit = tree.nodeById(m_hitId);
    TreeNode* from = hit ? tree.nextInPreOrder(hit) : nullptr;
    if (!from)
        from = tree.firstNode();
    return walk(tree, from, text);
}

// From `from` to the last node, then from the first node up to the one before
// `from`: every node is looked at once.
TreeNode* TreeSearch::walk(const ObjectTreeModel& tree, TreeNode* from, const QString& text) {
    if (text.isEmpty() || !from) {
        m_hitId = 0;
        return nullptr;
    }
    for (TreeNode* at = from; at; at = tree.nextInPreOrder(at)) {
        if (matches(*at, text)) {
            m_hitId = at->id();
            return at;
        }
    }
    for (TreeNode* at = tree.firstNode(); at && at != from; at = tree.nextInPreOrder(at)) {
        if (matches(*at, text)) {
            m_hitId = at->id();
            return at;
        }
    }
    m_hitId = 0;
    return nullptr;
}
