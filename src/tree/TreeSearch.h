#pragma once

#include <QString>

class ObjectTreeModel;
class TreeNode;

// Finding nodes by a part of their name, as the search box and its "find next"
// button do. The last hit is kept by identity, so nodes added or removed above it
// by other users' changes never shift it; a hit that is gone starts the next
// search at the top. Each search walks the tree at most once.
class TreeSearch {
public:
    // From the top (typing in the search box); nullptr when nothing matches.
    TreeNode* first(const ObjectTreeModel& tree, const QString& text);
    // From the node after the last hit, wrapping round once (find next).
    TreeNode* next(const ObjectTreeModel& tree, const QString& text);

    // The identity of the last hit, 0 for none.
    int hitId() const { return m_hitId; }

    // Case-insensitive for Latin and Cyrillic; an empty text matches nothing.
    static bool matches(const TreeNode& node, const QString& text);

private:
    TreeNode* walk(const ObjectTreeModel& tree, TreeNode* from, const QString& text);

    int m_hitId = 0;
};
