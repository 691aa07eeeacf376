#pragma once

#include <QString>
#include <memory>

namespace fb {
class Query;
}

// Statements on TREETABLE, the objects of the tree.

// The next identity for a new object, drawn on the given (read) query; every call
// uses up one value.
int Gen_ID_table_TreeViwe(fb::Query& perIBQuery);

// New top-level row; ID_Parent 0 is stored as 0, not NULL.
void insert_ID_Parent_TreeView_to_Base(int ID, int ID_Parent, const QString& perText, int perPosition);
void insert_ID_Child_TreeView_to_Base(int perID, int perIDparent, const QString& perText, int perPosition);

// The object's own TREETABLE row under the aliases of the server join
// (ID_TREETABLE, TYPE_NODE, TEXT_TREETABLE, ID_ICO_TREETABLE); eof when there is
// none. Read transaction. For objects that have no SERVERS row.
std::unique_ptr<fb::Query> SELECT_DATA_FOR_TABLE_TREETABLE(int perID);

// The highest identity in TREETABLE, 0 when it is empty.
int Last_ID_To_Treeviwe();

// Picture 0 is stored as NULL; perTYPE_NODE -1 stores NULL (0 is a server).
void update_for_table_TREETABLE(const QString& perTEXT, int perID, int perID_ico, int perTYPE_NODE);

// Moves row per_ID_src under per_ID_des at perPOSITION_. Always true.
bool update_ID_for_table_TREETABLE(int per_ID_src, int per_ID_des, int perPOSITION_);

// Deletes one row; the database deletes its server data and links with it, but
// not its child rows.
void Delet_Item_for_table_TREETABLE(int IDparent);

// The highest POSITION_ among the children of perID_PARENT (0 for the top level),
// or 0 when it has none.
int FindLastNumberPositionNode(int perID_PARENT);
