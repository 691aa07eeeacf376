#include "tree/ObjectTreeModel.h"
#include "tree/TreeLoading.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace {

// "id(children...)" in pre-order, to compare whole shapes at a glance.
QString shape(const ObjectTreeModel& tree, const TreeNode* node) {
    QString out = QString::number(node->id());
    if (node->hasChildren()) {
        QStringList children;
        for (int row = 0; row < node->childCount(); ++row)
            children << shape(tree, node->child(row));
        out += QLatin1Char('(') + children.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

QString shape(const ObjectTreeModel& tree) {
    QStringList tops;
    for (int row = 0; row < tree.topLevelCount(); ++row)
        tops << shape(tree, tree.topLevelNode(row));
    return tops.join(QLatin1Char(' '));
}

// 1(2(3) 4) 5(6)
class SmallTree : public ::testing::Test {
protected:
    void SetUp() override {
        n1 = tree.appendTopLevel(1, QStringLiteral("Офис"), 3);
        n2 = tree.appendChild(n1, 2, QStringLiteral("Сервер"), 0);
        n3 = tree.appendChild(n2, 3, QStringLiteral("Диск"), 1);
        n4 = tree.appendChild(n1, 4, QStringLiteral("Принтер"), 2);
        n5 = tree.appendTopLevel(5, QStringLiteral("Сайты"), 5);
        n6 = tree.appendChild(n5, 6, QStringLiteral("Портал"), 6);
    }

    ObjectTreeModel tree;
    QAbstractItemModelTester tester{&tree, QAbstractItemModelTester::FailureReportingMode::Fatal};
    TreeNode *n1 = nullptr, *n2 = nullptr, *n3 = nullptr, *n4 = nullptr, *n5 = nullptr, *n6 = nullptr;
};

// --- lookups ---------------------------------------------------------------------

TEST_F(SmallTree, AbsoluteIndexCountsInPreOrderWhetherExpandedOrNot) {
    EXPECT_EQ(shape(tree), QStringLiteral("1(2(3) 4) 5(6)"));
    const TreeNode* order[] = {n1, n2, n3, n4, n5, n6};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tree.absoluteIndex(order[i]), i);
        EXPECT_EQ(tree.nodeAtAbsoluteIndex(i), order[i]);
    }
    EXPECT_EQ(tree.nodeAtAbsoluteIndex(6), nullptr);
    EXPECT_EQ(tree.nodeAtAbsoluteIndex(-1), nullptr);
    EXPECT_EQ(tree.nextInPreOrder(n6), nullptr);
}

TEST_F(SmallTree, LookupsGoByIdentityAndMissOnUnknownOnes) {
    EXPECT_EQ(FindParent(tree, 4), n4);
    EXPECT_EQ(Find_item_index_Parent_TreeView(tree, 4), 3);
    EXPECT_EQ(Find_item_index_Parent_TreeView(tree, 99), -1);
    EXPECT_EQ(FindParent(tree, 99), nullptr);
    EXPECT_EQ(tree.absoluteIndex(nullptr), -1);
}

TEST_F(SmallTree, PathTrimsAncestorsButNotTheNodeItself) {
    EXPECT_EQ(GetNodePath(n3), QStringLiteral("\\Офис\\Сервер\\Диск"));
    EXPECT_EQ(GetNodePath(n1), QStringLiteral("\\Офис"));
    tree.setText(n2, QStringLiteral("Сервер  "));
    tree.setText(n3, QStringLiteral("Диск  "));
    EXPECT_EQ(GetNodePath(n3), QStringLiteral("\\Офис\\Сервер\\Диск  "));
}

TEST_F(SmallTree, DuplicateIdentityIsRefusedSoLookupsStayUnambiguous) {
    EXPECT_EQ(tree.appendChild(n5, 2, QStringLiteral("другой"), 0), nullptr);
    EXPECT_EQ(tree.nodeCount(), 6);
    EXPECT_EQ(FindParent(tree, 2), n2);
}

TEST_F(SmallTree, ItemDataCarriesTextIdentityPictureAndBold) {
    const QModelIndex at = tree.indexOf(n2);
    EXPECT_EQ(at.data().toString(), QStringLiteral("Сервер"));
    EXPECT_EQ(at.data(ObjectTreeModel::IdRole).toInt(), 2);
    EXPECT_EQ(tree.parent(at), tree.indexOf(n1));
    EXPECT_FALSE(at.data(Qt::FontRole).isValid());

    SetNodeState(tree, n2, TVIS_BOLD);
    EXPECT_TRUE(n2->isBold());
    EXPECT_TRUE(at.data(Qt::FontRole).value<QFont>().bold());
    SetNodeState(tree, n2, 0);
    EXPECT_FALSE(at.data(Qt::FontRole).isValid());
}

TEST_F(SmallTree, PictureIndexWithoutPictureShowsNone) {
    tree.setIcons({QIcon(), QIcon(), QIcon()});
    EXPECT_TRUE(tree.indexOf(n3).data(Qt::DecorationRole).isValid());  // index 1
    EXPECT_FALSE(tree.indexOf(n1).data(Qt::DecorationRole).isValid()); // index 3: no picture
    tree.setImageIndex(n1, -1);
    EXPECT_FALSE(tree.indexOf(n1).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(tree.indexOf(n1).data(ObjectTreeModel::ImageIndexRole).toInt(), -1);
}

// --- changes ---------------------------------------------------------------------

TEST_F(SmallTree, RemovingASubtreeDropsEveryIdentityBelowIt) {
    QSignalSpy removed(&tree, &ObjectTreeModel::nodesRemoved);
    const QList<int> ids = tree.removeSubtree(n1);
    EXPECT_EQ(QSet<int>(ids.begin(), ids.end()), (QSet<int>{1, 2, 3, 4}));
    EXPECT_EQ(shape(tree), QStringLiteral("5(6)"));
    EXPECT_EQ(tree.nodeCount(), 2);
    for (int id : {1, 2, 3, 4})
        EXPECT_FALSE(tree.contains(id)) << id;
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(tree.absoluteIndex(n6), 1);
}

TEST_F(SmallTree, MoveToLastChildCarriesTheSubtreeAndRefusesItsOwnDescendants) {
    EXPECT_TRUE(tree.moveToLastChild(n2, n5));
    EXPECT_EQ(shape(tree), QStringLiteral("1(4) 5(6 2(3))"));
    EXPECT_EQ(n2->parent(), n5);
    EXPECT_EQ(GetNodePath(n3), QStringLiteral("\\Сайты\\Сервер\\Диск"));

    EXPECT_FALSE(tree.moveToLastChild(n5, n3));
    EXPECT_FALSE(tree.moveToLastChild(n5, n5));
    EXPECT_EQ(shape(tree), QStringLiteral("1(4) 5(6 2(3))"));

    EXPECT_TRUE(tree.moveToLastChild(n6, n5)); // onto its own parent: to the end
    EXPECT_EQ(shape(tree), QStringLiteral("1(4) 5(2(3) 6)"));
    EXPECT_TRUE(tree.moveToLastChild(n3, nullptr));
    EXPECT_EQ(shape(tree), QStringLiteral("1(4) 5(2 6) 3"));
    EXPECT_EQ(tree.nodeById(3), n3);
}

TEST_F(SmallTree, MoveBeforeAndSwapReorderSiblingsAndAcrossParents) {
    EXPECT_TRUE(tree.swapSiblings(n2, n4));
    EXPECT_EQ(shape(tree), QStringLiteral("1(4 2(3)) 5(6)"));
    EXPECT_TRUE(tree.swapSiblings(n5, n1));
    EXPECT_EQ(shape(tree), QStringLiteral("5(6) 1(4 2(3))"));
    EXPECT_FALSE(tree.swapSiblings(n6, n2)); // different parents

    EXPECT_TRUE(tree.moveBefore(n3, tree.firstNode()));
    EXPECT_EQ(shape(tree), QStringLiteral("3 5(6) 1(4 2)"));
    EXPECT_FALSE(tree.moveBefore(n1, n2)); // below itself
    EXPECT_TRUE(tree.moveBefore(n6, n4));
    EXPECT_EQ(shape(tree), QStringLiteral("3 5 1(6 4 2)"));
    for (const TreeNode* n : {n1, n2, n3, n4, n5, n6})
        EXPECT_EQ(n->parent() ? n->parent()->child(n->row()) : tree.topLevelNode(n->row()), n);
}

TEST_F(SmallTree, SwapOfNonNeighboursExchangesExactlyThoseTwo) {
    TreeNode* n7 = tree.appendChild(n1, 7, QStringLiteral("x"), 0);
    TreeNode* n8 = tree.appendChild(n1, 8, QStringLiteral("y"), 0);
    EXPECT_TRUE(tree.swapSiblings(n2, n8));
    EXPECT_EQ(shape(tree), QStringLiteral("1(8 4 7 2(3)) 5(6)"));
    EXPECT_TRUE(tree.swapSiblings(n7, n8));
    EXPECT_EQ(shape(tree), QStringLiteral("1(7 4 8 2(3)) 5(6)"));
}

TEST_F(SmallTree, DraggedNodeCarriesItsIdentityAndItsModel) {
    const std::unique_ptr<QMimeData> data(tree.mimeData({tree.indexOf(n2)}));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(tree.draggedNodeId(data.get()), 2);
    ObjectTreeModel other;
    other.appendTopLevel(2, QStringLiteral("x"), 0);
    EXPECT_FALSE(other.draggedNodeId(data.get()).has_value());
    tree.removeSubtree(n2);
    EXPECT_FALSE(tree.draggedNodeId(data.get()).has_value()); // gone meanwhile
    QMimeData text;
    text.setText(QStringLiteral("2"));
    EXPECT_FALSE(tree.draggedNodeId(&text).has_value());
    EXPECT_EQ(tree.mimeData({}), nullptr);
}

TEST_F(SmallTree, ClearEmptiesTheIndexAndTellsWhoLeft) {
    QSignalSpy removed(&tree, &ObjectTreeModel::nodesRemoved);
    tree.clear();
    EXPECT_EQ(tree.nodeCount(), 0);
    EXPECT_EQ(tree.firstNode(), nullptr);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.first().first().value<QList<int>>().size(), 6);
}

TEST(ObjectTreeModelViews, PersistentIndexesFollowMovesAndDieWithRemovals) {
    ObjectTreeModel tree;
    TreeNode* a = tree.appendTopLevel(1, QStringLiteral("a"), 0);
    TreeNode* b = tree.appendChild(a, 2, QStringLiteral("b"), 0);
    TreeNode* c = tree.appendTopLevel(3, QStringLiteral("c"), 0);
    const QPersistentModelIndex pb(tree.indexOf(b));
    tree.moveToLastChild(b, c);
    EXPECT_EQ(tree.nodeAt(pb), b);
    EXPECT_EQ(pb.parent(), tree.indexOf(c));
    tree.removeSubtree(c);
    EXPECT_FALSE(pb.isValid());
}

// A long run of random changes with Qt's model checker watching every signal;
// the identity index must match a walk of the tree after each step.
TEST(ObjectTreeModelViews, RandomChangesKeepModelContractAndIndexInStep) {
    ObjectTreeModel tree;
    QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QRandomGenerator random(20240611);
    int nextId = 1;
    for (int step = 0; step < 600; ++step) {
        const int count = tree.nodeCount();
        TreeNode* some = count ? tree.nodeAtAbsoluteIndex(int(random.bounded(count))) : nullptr;
        TreeNode* other = count ? tree.nodeAtAbsoluteIndex(int(random.bounded(count))) : nullptr;
        switch (random.bounded(6)) {
        case 0:
        case 1:
            tree.appendChild(random.bounded(3) ? some : nullptr, nextId++, QStringLiteral("n"), 0);
            break;
        case 2:
            if (some && random.bounded(4) == 0)
                tree.removeSubtree(some);
            break;
        case 3:
            tree.moveToLastChild(some, random.bounded(4) ? other : nullptr);
            break;
        case 4:
            tree.moveBefore(some, other);
            break;
        case 5:
            if (some && some->parent() && some->parent()->childCount() > 1)
                tree.swapSiblings(some,
                                  some->parent()->child(int(random.bounded(some->parent()->childCount()))));
            break;
        }
        int walked = 0;
        for (TreeNode* n = tree.firstNode(); n; n = tree.nextInPreOrder(n)) {
            ASSERT_EQ(tree.nodeById(n->id()), n);
            ++walked;
        }
        ASSERT_EQ(walked, tree.nodeCount()) << "step " << step;
    }
}

TEST(ObjectTreeModelViews, HundredThousandDeepChainNeedsNoStack) {
    constexpr int kDepth = 100000;
    auto tree = std::make_unique<ObjectTreeModel>();
    TreeNode* at = tree->appendTopLevel(1, QStringLiteral("r"), 0);
    for (int id = 2; id <= kDepth; ++id)
        at = tree->appendChild(at, id, QStringLiteral("n"), 0);
    EXPECT_EQ(tree->absoluteIndex(at), kDepth - 1);
    EXPECT_EQ(tree->nodeAtAbsoluteIndex(kDepth - 1), at);
    EXPECT_EQ(GetNodePath(at).size(), 2 + 2 * (kDepth - 1));
    EXPECT_FALSE(tree->moveToLastChild(tree->firstNode(), at));
    EXPECT_EQ(tree->removeSubtree(tree->nodeById(2)).size(), kDepth - 1);
    at = tree->firstNode();
    for (int id = 2; id <= kDepth; ++id)
        at = tree->appendChild(at, id, QStringLiteral("n"), 0);
    tree.reset(); // the destructor must not recurse either
}

} // namespace
