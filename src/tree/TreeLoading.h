#pragma once

#include "tree/ObjectTreeModel.h"

#include <QString>
#include <QVector>

namespace fb {
class Query;
}

// One TREETABLE row while the tree is built: TEXT trimmed, NULLs read as 0.
struct TRecordIBQuery {
    int ID = 0;
    int ID_PARENT = 0;
    QString TEXT;
    int ID_ICO = 0;
};

struct TreeBuildReport {
    int rows = 0;        // rows read
    int deferred = 0;    // rows read before their parent's node existed
    int unplaceable = 0; // rows under a missing parent, their own parent or a cycle
    int duplicates = 0;  // rows whose identity had been placed already (left out)
};

// Builds the tree from rows in the order read (grouped by parent, then by
// position). A row whose parent node does not exist yet is deferred; deferred
// passes then walk the deferred rows from last to first and place each one whose
// parent now exists, so children deferred and placed in one pass come out in the
// reverse of their reading order. Every copy of the program must build the same
// tree, since other copies rename nodes by absolute index; this one gets the
// passes' result without repeating them (O(n log n)).
//
// When a pass would place nothing, the rest can never be placed as it is: the
// first remaining row's topmost remaining ancestor (on a cycle, the first row met
// twice walking up) goes to the end of the top level, and the passes go on, so
// such subtrees keep their shape. The rows themselves are not touched.
TreeBuildReport buildTree(ObjectTreeModel& tree, const QVector<TRecordIBQuery>& rows);

// Reads "select * from TREETABLE ORDER BY ID_PARENT, POSITION_ ASC" on the given
// (read) query into the tree, replacing what it held. The query is left open.
TreeBuildReport Creat_Items_To_Treeviwe(fb::Query& perIBQuery, ObjectTreeModel& perTreeView);

// The trace line that tells the user about unplaceable rows; empty when there are none.
QString unplaceableRowsLine(const TreeBuildReport& report);

// The node with this identity, or nullptr.
TreeNode* FindParent(const ObjectTreeModel& tree, int id);
// Absolute index of the node with this identity, -1 when there is none.
int Find_item_index_Parent_TreeView(const ObjectTreeModel& perTreeView, int perIDparent);
QString GetNodePath(const TreeNode* TN);

inline constexpr int TVIS_BOLD = 0x10;
// Flags TVIS_BOLD shows the node bold, 0 normal.
void SetNodeState(ObjectTreeModel& tree, TreeNode* node, int Flags);
