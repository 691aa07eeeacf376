#include "tree/TreeViwe.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"

namespace {

const QString kGenId = QStringLiteral("select GEN_ID(GEN_TREETABLE_ID, 1) from RDB$DATABASE");

const QString kInsertTopLevel = QStringLiteral("insert into  TREETABLE (ID, ID_PARENT, TEXT, POSITION_ ) "
                                               "values (:ID, :perID_PARENT, :perText, :perPOSITION_ )");

const QString kInsertChild = QStringLiteral("insert into  TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values "
                                            "(:ID, :perID_PARENT, :perText, :perPOSITION_)");

const QString kSelectTreeRow =
    QStringLiteral("select ID AS ID_TREETABLE, TYPE_NODE AS TYPE_NODE, TEXT AS TEXT_TREETABLE, "
                   "ID_ICO AS ID_ICO_TREETABLE from TREETABLE where ID = :perID");

// Only the highest identity is wanted, so one row is read instead of the table.
const QString kHighestId = QStringLiteral("select max(ID) as ID from TREETABLE");

const QString kUpdateObject = QStringLiteral("UPDATE TREETABLE SET TEXT =       :perTEXT, ID_ICO =     "
                                             ":perID_ico, TYPE_NODE =  :perTYPE_NODE where ID = "
                                             ":perID");

const QString kMoveObject = QStringLiteral("UPDATE TREETABLE SET ID_PARENT =      :per_ID_des, POSITION_ =   "
                                           "   :perPOSITION_ where ID = :per_ID_src");

const QString kDeleteObjectPrefix = QStringLiteral("DELETE FROM treetable WHERE treetable.id=");

// The last row by POSITION_ holds the highest position: read only that value.
const QString kLastPosition =
    QStringLiteral("select max(POSITION_) from TREETABLE where ID_PARENT = :perID_PARENT");

void insertRow(const QString& sql, int id, int idParent, const QString& text, int position) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(sql);
    query->setParamInt(QStringLiteral("ID"), id);
    query->setParamInt(QStringLiteral("perID_PARENT"), idParent);
    query->setParam(QStringLiteral("perText"), text);
    query->setParamInt(QStringLiteral("perPOSITION_"), position);
    executeAndCommit(*query);
}

} // namespace

int Gen_ID_table_TreeViwe(fb::Query& perIBQuery) {
    perIBQuery.close();
    perIBQuery.setSql(kGenId);
    perIBQuery.open();
    const int id = perIBQuery.fieldByName(QStringLiteral("GEN_ID")).asInteger();
    perIBQuery.close();
    return id;
}

void insert_ID_Parent_TreeView_to_Base(int ID, int ID_Parent, const QString& perText, int perPosition) {
    insertRow(kInsertTopLevel, ID, ID_Parent, perText, perPosition);
}

void insert_ID_Child_TreeView_to_Base(int perID, int perIDparent, const QString& perText, int perPosition) {
    insertRow(kInsertChild, perID, perIDparent, perText, perPosition);
}

std::unique_ptr<fb::Query> SELECT_DATA_FOR_TABLE_TREETABLE(int perID) {
    auto query = my_initialization_TIBQuery();
    query->setSql(kSelectTreeRow);
    query->setParamInt(QStringLiteral("perID"), perID);
    query->open();
    return query;
}

int Last_ID_To_Treeviwe() {
    auto query = my_initialization_TIBQuery();
    query->setSql(kHighestId);
    query->open();
    return query->fieldByName(QStringLiteral("ID")).asInteger();
}

void update_for_table_TREETABLE(const QString& perTEXT, int perID, int perID_ico, int perTYPE_NODE) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kUpdateObject);
    query->setParam(QStringLiteral("perTEXT"), perTEXT);
    query->setParam(QStringLiteral("perID_ico"), perID_ico);
    if (perTYPE_NODE == -1)
        query->setParamNull(QStringLiteral("perTYPE_NODE"));
    else
        query->setParamInt(QStringLiteral("perTYPE_NODE"), perTYPE_NODE);
    query->setParam(QStringLiteral("perID"), perID);
    executeAndCommit(*query);
}

bool update_ID_for_table_TREETABLE(int per_ID_src, int per_ID_des, int perPOSITION_) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kMoveObject);
    query->setParam(QStringLiteral("per_ID_des"), per_ID_des);
    query->setParam(QStringLiteral("perPOSITION_"), perPOSITION_);
    query->setParam(QStringLiteral("per_ID_src"), per_ID_src);
    executeAndCommit(*query);
    return true;
}

void Delet_Item_for_table_TREETABLE(int IDparent) {
    auto query = my_initialization_TIBQuery_insert();
    // An int's decimal form cannot carry anything but a number into the text.
    query->setSql(kDeleteObjectPrefix + QString::number(IDparent));
    executeAndCommit(*query);
}

int FindLastNumberPositionNode(int perID_PARENT) {
    auto query = my_initialization_TIBQuery();
    query->setSql(kLastPosition);
    query->setParamInt(QStringLiteral("perID_PARENT"), perID_PARENT);
    query->open();
    return query->field(0).asInteger();
}
