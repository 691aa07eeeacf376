#include "ObjectRows.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectTreeModel.h"
#include "tree/TreeLoading.h"

#include <gtest/gtest.h>

namespace {

using namespace objectrows;
using testsupport::countRows;
using testsupport::execWrite;

class TreeLoad : public testsupport::SchemaDatabase {
protected:
    TreeBuildReport load() { return Creat_Items_To_Treeviwe(db.IBQuery1, tree); }

    QString texts(const TreeNode* parent) const {
        QStringList out;
        const int count = parent ? parent->childCount() : tree.topLevelCount();
        for (int i = 0; i < count; ++i)
            out << (parent ? parent->child(i) : tree.topLevelNode(i))->text();
        return out.join(QLatin1Char(','));
    }

    ObjectTreeModel tree;
};

TEST_F(TreeLoad, EmptyTableGivesAnEmptyTreeAndLeavesTheQueryOpen) {
    const TreeBuildReport report = load();
    EXPECT_EQ(report.rows, 0);
    EXPECT_EQ(tree.nodeCount(), 0);
    EXPECT_TRUE(db.IBQuery1.isOpen());
}

TEST_F(TreeLoad, NullParentIsTopLevelTextIsTrimmedAndNullPictureIsZero) {
    execWrite(QStringLiteral(
        "insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values (1, NULL, 'Офис   ', 1)"));
    addObject(2, 1, QStringLiteral("  Сервер  "), 1, 0, 5);
    load();
    ASSERT_EQ(tree.topLevelCount(), 1);
    EXPECT_EQ(tree.topLevelNode(0)->text(), QStringLiteral("Офис"));
    EXPECT_EQ(tree.topLevelNode(0)->imageIndex(), 0);
    EXPECT_EQ(tree.nodeById(2)->imageIndex(), 5);
    EXPECT_EQ(GetNodePath(tree.nodeById(2)), QStringLiteral("\\Офис\\Сервер"));
}

TEST_F(TreeLoad, SiblingsComeInPositionOrderNotIdentityOrder) {
    addObject(1, 0, QStringLiteral("root"));
    addObject(5, 1, QStringLiteral("c"), 3);
    addObject(6, 1, QStringLiteral("a"), 1);
    addObject(7, 1, QStringLiteral("b"), 2);
    load();
    EXPECT_EQ(texts(tree.nodeById(1)), QStringLiteral("a,b,c"));
    EXPECT_EQ(Find_item_index_Parent_TreeView(tree, 5), 3);
    EXPECT_EQ(Find_item_index_Parent_TreeView(tree, 42), -1);
}

TEST_F(TreeLoad, ChildrenOfANodeMovedUnderAHigherIdentityComeOutReversed) {
    addObject(9, 0, QStringLiteral("T"));
    addObject(3, 9, QStringLiteral("P"), 1); // moved under 9 after it got children
    addObject(4, 3, QStringLiteral("a"), 1);
    addObject(5, 3, QStringLiteral("b"), 2);
    addObject(6, 3, QStringLiteral("c"), 3);
    const TreeBuildReport report = load();
    EXPECT_EQ(texts(tree.nodeById(3)), QStringLiteral("c,b,a"));
    EXPECT_EQ(report.deferred, 3);
}

TEST_F(TreeLoad, RowsWithoutAPlaceAreShownAtTheTopLevelAndCounted) {
    addObject(1, 0, QStringLiteral("root"));
    addObject(2, 77, QStringLiteral("orphan")); // its parent was deleted
    addObject(3, 2, QStringLiteral("below orphan"));
    addObject(4, 4, QStringLiteral("self"));
    const TreeBuildReport report = load();
    EXPECT_EQ(texts(nullptr), QStringLiteral("root,orphan,self"));
    EXPECT_EQ(texts(tree.nodeById(2)), QStringLiteral("below orphan"));
    EXPECT_EQ(report.unplaceable, 3);
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 4); // the rows are not touched
    EXPECT_EQ(testsupport::readInt(QStringLiteral("select ID_PARENT from TREETABLE where ID = 2")), 77);
}

} // namespace
