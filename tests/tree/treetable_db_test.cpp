#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"
#include "tree/TreeViwe.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

using testsupport::countRows;
using testsupport::execWrite;
using testsupport::readRows;

std::unique_ptr<fb::Query> treeRow(int id) {
    return readRows(QStringLiteral("select * from TREETABLE where ID = %1").arg(id));
}

using TreeTableTest = testsupport::SchemaDatabase;

TEST_F(TreeTableTest, GenIdDrawsConsecutiveValuesOnTheGivenQuery) {
    fb::Query query(runDatabase().IBDatabase1, runDatabase().IBTransaction1);
    EXPECT_EQ(Gen_ID_table_TreeViwe(query), 1);
    EXPECT_EQ(Gen_ID_table_TreeViwe(query), 2);
    EXPECT_EQ(Gen_ID_table_TreeViwe(runDatabase().IBQuery1), 3);
}

TEST_F(TreeTableTest, TopLevelInsertStoresParentZeroNotNull) {
    insert_ID_Parent_TreeView_to_Base(5, 0, QStringLiteral("  Объект "), 0);

    auto row = treeRow(5);
    ASSERT_FALSE(row->eof());
    EXPECT_FALSE(row->fieldByName(QStringLiteral("ID_PARENT")).isNull());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_PARENT")).asInteger(), 0);
    EXPECT_FALSE(row->fieldByName(QStringLiteral("POSITION_")).isNull());
    EXPECT_EQ(row->fieldByName(QStringLiteral("POSITION_")).asInteger(), 0);
    EXPECT_EQ(row->fieldByName(QStringLiteral("TEXT")).asString().trimmed(), "Объект");
}

TEST_F(TreeTableTest, ChildInsertStoresParentPositionAndBlankTextAsNull) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("root"), 1);
    insert_ID_Child_TreeView_to_Base(2, 1, QStringLiteral("   "), 4);

    auto row = treeRow(2);
    ASSERT_FALSE(row->eof());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_PARENT")).asInteger(), 1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("POSITION_")).asInteger(), 4);
    EXPECT_TRUE(row->fieldByName(QStringLiteral("TEXT")).isNull());
}

TEST_F(TreeTableTest, InsertWithIdZeroStoresRealRowZero) {
    // 0 is bound as 0 here, so the trigger does not step in and ID 0 is a real row.
    insert_ID_Parent_TreeView_to_Base(0, 0, QStringLiteral("zero"), 1);
    EXPECT_FALSE(treeRow(0)->eof());
    EXPECT_THROW(insert_ID_Parent_TreeView_to_Base(0, 0, QStringLiteral("again"), 2), fb::Error);
}

TEST_F(TreeTableTest, TooLongTextFails) {
    EXPECT_THROW(insert_ID_Parent_TreeView_to_Base(1, 0, QString(51, QLatin1Char('x')), 1), fb::Error);
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 0);
}

TEST_F(TreeTableTest, LastPositionIsZeroForChildlessParentSoFirstChildGetsOne) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("root"), 1);
    EXPECT_EQ(FindLastNumberPositionNode(1), 0);
    EXPECT_EQ(FindLastNumberPositionNode(42), 0);
}

TEST_F(TreeTableTest, LastPositionIsTheHighestAmongSiblings) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("root"), 2);
    insert_ID_Parent_TreeView_to_Base(2, 0, QStringLiteral("other root"), 1);
    insert_ID_Child_TreeView_to_Base(3, 1, QStringLiteral("c"), 7);
    insert_ID_Child_TreeView_to_Base(4, 1, QStringLiteral("c"), 3);
    insert_ID_Child_TreeView_to_Base(5, 2, QStringLiteral("c"), 9);

    EXPECT_EQ(FindLastNumberPositionNode(1), 7);
    EXPECT_EQ(FindLastNumberPositionNode(2), 9);
    EXPECT_EQ(FindLastNumberPositionNode(0), 2);
}

TEST_F(TreeTableTest, LastIdIsZeroForEmptyTable) {
    EXPECT_EQ(Last_ID_To_Treeviwe(), 0);
}

TEST_F(TreeTableTest, LastIdIsTheHighestIdentityWhateverTheInsertOrder) {
    insert_ID_Parent_TreeView_to_Base(9, 0, QStringLiteral("a"), 1);
    insert_ID_Parent_TreeView_to_Base(3, 0, QStringLiteral("b"), 2);
    insert_ID_Child_TreeView_to_Base(17, 3, QStringLiteral("c"), 1);
    insert_ID_Parent_TreeView_to_Base(11, 0, QStringLiteral("d"), 3);
    EXPECT_EQ(Last_ID_To_Treeviwe(), 17);
    Delet_Item_for_table_TREETABLE(17);
    EXPECT_EQ(Last_ID_To_Treeviwe(), 11);
}

TEST_F(TreeTableTest, UpdateStoresPictureZeroAsNullWhichReadsZero) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("a"), 1);
    update_for_table_TREETABLE(QStringLiteral("b"), 1, 6, 1);
    EXPECT_EQ(treeRow(1)->fieldByName(QStringLiteral("ID_ICO")).asInteger(), 6);

    update_for_table_TREETABLE(QStringLiteral("b"), 1, 0, 1);
    auto row = treeRow(1);
    EXPECT_TRUE(row->fieldByName(QStringLiteral("ID_ICO")).isNull());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_ICO")).asInteger(), 0);
}

TEST_F(TreeTableTest, UpdateStoresTypeMinusOneAsNullAndZeroAsServer) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("a"), 1);

    update_for_table_TREETABLE(QStringLiteral("a"), 1, 1, -1);
    EXPECT_TRUE(treeRow(1)->fieldByName(QStringLiteral("TYPE_NODE")).isNull());

    update_for_table_TREETABLE(QStringLiteral("a"), 1, 1, 0);
    auto row = treeRow(1);
    EXPECT_FALSE(row->fieldByName(QStringLiteral("TYPE_NODE")).isNull());
    EXPECT_EQ(row->fieldByName(QStringLiteral("TYPE_NODE")).asInteger(), 0);

    update_for_table_TREETABLE(QStringLiteral("a"), 1, 1, 2);
    EXPECT_EQ(treeRow(1)->fieldByName(QStringLiteral("TYPE_NODE")).asInteger(), 2);
}

TEST_F(TreeTableTest, UpdateTrimsTextAndLeavesParentAndPosition) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("root"), 1);
    insert_ID_Child_TreeView_to_Base(2, 1, QStringLiteral("old"), 5);
    update_for_table_TREETABLE(QStringLiteral("  Новое имя  "), 2, 3, 0);

    auto row = treeRow(2);
    EXPECT_EQ(row->fieldByName(QStringLiteral("TEXT")).asString().trimmed(), "Новое имя");
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_PARENT")).asInteger(), 1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("POSITION_")).asInteger(), 5);
}

TEST_F(TreeTableTest, UpdateIdReparentsAtTheGivenPosition) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("from"), 1);
    insert_ID_Parent_TreeView_to_Base(2, 0, QStringLiteral("to"), 2);
    insert_ID_Child_TreeView_to_Base(3, 1, QStringLiteral("moved"), 1);
    insert_ID_Child_TreeView_to_Base(4, 2, QStringLiteral("sibling"), 1);

    EXPECT_TRUE(update_ID_for_table_TREETABLE(3, 2, FindLastNumberPositionNode(2) + 1));

    auto row = treeRow(3);
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_PARENT")).asInteger(), 2);
    EXPECT_EQ(row->fieldByName(QStringLiteral("POSITION_")).asInteger(), 2);
    EXPECT_EQ(FindLastNumberPositionNode(1), 0);
}

TEST_F(TreeTableTest, UpdateIdOfMissingRowIsStillTrueAndChangesNothing) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("a"), 1);
    EXPECT_TRUE(update_ID_for_table_TREETABLE(99, 1, 1));
    EXPECT_EQ(treeRow(1)->fieldByName(QStringLiteral("ID_PARENT")).asInteger(), 0);
}

TEST_F(TreeTableTest, DeleteCascadesToServerAndLinksButNotToChildren) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("parent"), 1);
    insert_ID_Child_TreeView_to_Base(2, 1, QStringLiteral("child"), 1);
    execWrite(QStringLiteral("insert into SERVERS (ID_TREETABLE) values (1)"));
    execWrite(QStringLiteral("insert into SERVERS (ID_TREETABLE) values (2)"));
    execWrite(QStringLiteral("insert into LOGIN_PASS (ID, NAME) values (1, 'k')"));
    execWrite(QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                             "select ID, 1, 1 from SERVERS"));
    ASSERT_EQ(countRows(QStringLiteral("SERVERS_WITH_LOGIN_PASSS")), 2);

    Delet_Item_for_table_TREETABLE(1);

    EXPECT_TRUE(treeRow(1)->eof());
    EXPECT_FALSE(treeRow(2)->eof());
    auto servers = readRows(QStringLiteral("select ID_TREETABLE from SERVERS"));
    ASSERT_FALSE(servers->eof());
    EXPECT_EQ(servers->fieldByName(QStringLiteral("ID_TREETABLE")).asInteger(), 2);
    servers->next();
    EXPECT_TRUE(servers->eof());
    EXPECT_EQ(countRows(QStringLiteral("SERVERS_WITH_LOGIN_PASSS")), 1);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);
}

TEST_F(TreeTableTest, DeleteOfMissingOrNegativeIdIsNoError) {
    insert_ID_Parent_TreeView_to_Base(1, 0, QStringLiteral("a"), 1);
    EXPECT_NO_THROW(Delet_Item_for_table_TREETABLE(5));
    EXPECT_NO_THROW(Delet_Item_for_table_TREETABLE(-1));
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 1);
}

} // namespace
