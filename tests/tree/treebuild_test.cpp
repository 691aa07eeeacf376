#include "tree/ObjectTreeModel.h"
#include "tree/TreeLoading.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

// --- a plain reference of the build, as the passes run it -------------------------

struct RefNode {
    int id;
    QString text;
    int ico;
    std::vector<RefNode*> children;
};

class ReferenceTree {
public:
    std::vector<RefNode*> top;

    // The first node, in pre-order, that carries the identity.
    RefNode* findParent(int id) {
        std::vector<RefNode*> stack(top.rbegin(), top.rend());
        while (!stack.empty()) {
            RefNode* n = stack.back();
            stack.pop_back();
            if (n->id == id)
                return n;
            stack.insert(stack.end(), n->children.rbegin(), n->children.rend());
        }
        return nullptr;
    }
    RefNode* add(std::vector<RefNode*>& siblings, const TRecordIBQuery& row) {
        m_nodes.push_back(std::make_unique<RefNode>(RefNode{row.ID, row.TEXT, row.ID_ICO, {}}));
        siblings.push_back(m_nodes.back().get());
        return m_nodes.back().get();
    }

private:
    std::vector<std::unique_ptr<RefNode>> m_nodes;
};

ReferenceTree referenceBuild(const QVector<TRecordIBQuery>& rows) {
    ReferenceTree tree;
    std::vector<TRecordIBQuery> lost;
    for (const TRecordIBQuery& row : rows) {
        if (row.ID_PARENT == 0)
            tree.add(tree.top, row);
        else if (RefNode* parent = tree.findParent(row.ID_PARENT))
            tree.add(parent->children, row);
        else
            lost.push_back(row);
    }
    while (!lost.empty()) {
        bool placed = false;
        for (int i = int(lost.size()) - 1; i >= 0; --i) {
            if (RefNode* parent = tree.findParent(lost[i].ID_PARENT)) {
                tree.add(parent->children, lost[i]);
                lost.erase(lost.begin() + i);
                placed = true;
            }
        }
        if (placed)
            continue;
        // Nothing placeable: the first remaining row's topmost remaining ancestor.
        std::vector<int> walked;
        int k = 0;
        for (;;) {
            walked.push_back(k);
            const auto parent = std::find_if(
                lost.begin(), lost.end(), [&](const TRecordIBQuery& r) { return r.ID == lost[k].ID_PARENT; });
            if (parent == lost.end())
                break;
            const int p = int(parent - lost.begin());
            if (std::find(walked.begin(), walked.end(), p) != walked.end()) {
                k = p;
                break;
            }
            k = p;
        }
        tree.add(tree.top, lost[k]);
        lost.erase(lost.begin() + k);
    }
    return tree;
}

QString describe(const RefNode* n) {
    QString out = QStringLiteral("%1:%2:%3").arg(n->id).arg(n->text).arg(n->ico);
    if (!n->children.empty()) {
        QStringList parts;
        for (const RefNode* c : n->children)
            parts << describe(c);
        out += QLatin1Char('(') + parts.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

QString describe(const ReferenceTree& tree) {
    QStringList parts;
    for (const RefNode* n : tree.top)
        parts << describe(n);
    return parts.join(QLatin1Char(' '));
}

QString describe(const TreeNode* n) {
    QString out = QStringLiteral("%1:%2:%3").arg(n->id()).arg(n->text()).arg(n->imageIndex());
    if (n->hasChildren()) {
        QStringList parts;
        for (int i = 0; i < n->childCount(); ++i)
            parts << describe(n->child(i));
        out += QLatin1Char('(') + parts.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

QString describe(const ObjectTreeModel& tree) {
    QStringList parts;
    for (int i = 0; i < tree.topLevelCount(); ++i)
        parts << describe(tree.topLevelNode(i));
    return parts.join(QLatin1Char(' '));
}

// --- random tables ------------------------------------------------------------------

struct Row {
    int id, parent, position;
};

// A table as the program leaves it after creating objects and moving some of
// them: positions are max + 1 among the new siblings, identities shuffled so
// that moves under higher identities defer whole subtrees.
std::vector<Row> randomTable(QRandomGenerator& random, int count, int moves, int brokenRows) {
    std::vector<int> ids(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        ids[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(ids.begin(), ids.end(), std::mt19937(random.generate()));
    std::vector<Row> rows;
    std::map<int, int> lastPosition;
    for (int i = 0; i < count; ++i) {
        const int parent = (i == 0 || random.bounded(4) == 0) ? 0 : rows[random.bounded(quint32(i))].id;
        rows.push_back({ids[static_cast<std::size_t>(i)], parent,
                        random.bounded(5) == 0 ? lastPosition[parent] : ++lastPosition[parent]});
    }
    auto isBelow = [&](int node, int top) {
        for (int at = node, guard = 0; at != 0 && guard <= count; ++guard) {
            if (at == top)
                return true;
            at = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.id == at; })->parent;
        }
        return false;
    };
    for (int m = 0; m < moves; ++m) {
        Row& moved = rows[random.bounded(quint32(rows.size()))];
        const int target = rows[random.bounded(quint32(rows.size()))].id;
        if (isBelow(target, moved.id))
            continue;
        moved.parent = target;
        moved.position = ++lastPosition[target];
    }
    for (int b = 0; b < brokenRows; ++b) {
        Row& broken = rows[random.bounded(quint32(rows.size()))];
        switch (random.bounded(3)) {
        case 0:
            broken.parent = count + 1000 + b; // parent row deleted
            break;
        case 1:
            broken.parent = broken.id; // its own parent
            break;
        default: { // a two-row cycle
            Row& other = rows[random.bounded(quint32(rows.size()))];
            broken.parent = other.id;
            other.parent = broken.id;
        }
        }
    }
    return rows;
}

// Read order of "ORDER BY ID_PARENT, POSITION_": equal keys in whatever order the
// server gives, here a random one.
QVector<TRecordIBQuery> readOrder(std::vector<Row> rows, QRandomGenerator& random) {
    std::shuffle(rows.begin(), rows.end(), std::mt19937(random.generate()));
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.parent != b.parent ? a.parent < b.parent : a.position < b.position;
    });
    QVector<TRecordIBQuery> out;
    for (const Row& r : rows)
        out.append({r.id, r.parent, QStringLiteral("o%1").arg(r.id % 7), r.id % 77});
    return out;
}

TRecordIBQuery row(int id, int parent, const char* text = "x", int ico = 0) {
    return {id, parent, QString::fromUtf8(text), ico};
}

// --- the build equals the passes -------------------------------------------------------

TEST(TreeBuild, EqualsThePassesOnRandomTablesWithMoves) {
    int deferred = 0, unplaceable = 0;
    for (int seed = 1; seed <= 150; ++seed) {
        QRandomGenerator random{quint32(seed)};
        const int count = 1 + int(random.bounded(80));
        const auto rows =
            readOrder(randomTable(random, count, int(random.bounded(40)), seed % 3 == 0 ? 3 : 0), random);
        ObjectTreeModel tree;
        const TreeBuildReport report = buildTree(tree, rows);
        ASSERT_EQ(describe(tree), describe(referenceBuild(rows))) << "seed " << seed;
        ASSERT_EQ(tree.nodeCount(), count) << "seed " << seed;
        EXPECT_EQ(report.rows, count);
        deferred += report.deferred;
        unplaceable += report.unplaceable;
    }
    // The tables must have exercised the deferred passes and the rescue.
    EXPECT_GT(deferred, 500);
    EXPECT_GT(unplaceable, 20);
}

TEST(TreeBuild, EmptyTableGivesEmptyTree) {
    ObjectTreeModel tree;
    tree.appendTopLevel(9, QStringLiteral("old"), 0);
    const TreeBuildReport report = buildTree(tree, {});
    EXPECT_EQ(tree.nodeCount(), 0);
    EXPECT_EQ(report.rows, 0);
    EXPECT_TRUE(unplaceableRowsLine(report).isEmpty());
}

TEST(TreeBuild, DirectSiblingsKeepReadingOrderAndDuplicateTextsStayDistinct) {
    ObjectTreeModel tree;
    buildTree(tree, {row(1, 0, "Офис"), row(2, 1, "srv"), row(3, 1, "srv"), row(4, 1, "db")});
    EXPECT_EQ(describe(tree), QStringLiteral("1:Офис:0(2:srv:0 3:srv:0 4:db:0)"));
    EXPECT_EQ(Find_item_index_Parent_TreeView(tree, 3), 2);
}

TEST(TreeBuild, ChildrenDeferredTogetherComeOutReversed) {
    // P (5) was moved under T (9): its children are read before it.
    ObjectTreeModel tree;
    const TreeBuildReport report =
        buildTree(tree, {row(9, 0, "T"), row(1, 5, "a"), row(2, 5, "b"), row(3, 5, "c"), row(5, 9, "P")});
    EXPECT_EQ(describe(tree), QStringLiteral("9:T:0(5:P:0(3:c:0 2:b:0 1:a:0))"));
    EXPECT_EQ(report.deferred, 3);
    EXPECT_EQ(report.unplaceable, 0);
}

TEST(TreeBuild, ChainDeferredUpwardsNeedsOnePassPerLevelAndKeepsShape) {
    // 100 -> 1 -> 2 -> 3: each row waits for the one before it in a later pass.
    ObjectTreeModel tree;
    buildTree(tree, {row(50, 0), row(2, 1), row(3, 2), row(100, 50), row(1, 100)});
    EXPECT_EQ(describe(tree), QStringLiteral("50:x:0(100:x:0(1:x:0(2:x:0(3:x:0))))"));
}

TEST(TreeBuild, UnplaceableRowsGoToTheTopLevelWithTheirSubtrees) {
    ObjectTreeModel tree;
    const TreeBuildReport report = buildTree(tree, {
                                                       row(1, 0, "root"),
                                                       row(3, 4, "child of orphan"),
                                                       row(6, 6, "own parent"),
                                                       row(8, 7, "cycle b"),
                                                       row(7, 8, "cycle a"),
                                                       row(4, 99, "orphan"),
                                                   });
    // The orphan heads its chain, so it goes up with its child below it.
    EXPECT_EQ(describe(tree), QStringLiteral("1:root:0 4:orphan:0(3:child of orphan:0) 6:own parent:0 "
                                             "8:cycle b:0(7:cycle a:0)"));
    EXPECT_EQ(report.unplaceable, 5);
    EXPECT_EQ(
        unplaceableRowsLine(report),
        QStringLiteral("Объектов дерева без места (нет родителя или цикл): 5; показаны от верхнего уровня"));
}

TEST(TreeBuild, HundredThousandDeepChainReadBottomUpBuildsWithoutStackOrSquareTime) {
    // Every row's parent has the next higher identity, the top the highest: each
    // is read before its parent, the worst order for the passes.
    constexpr int kDepth = 100000;
    QVector<TRecordIBQuery> rows;
    rows.append(row(kDepth, 0, "top"));
    for (int id = 1; id < kDepth; ++id)
        rows.append(row(id, id + 1));
    ObjectTreeModel tree;
    const TreeBuildReport report = buildTree(tree, rows);
    EXPECT_EQ(report.deferred, kDepth - 2); // the top's own child is read after the top
    EXPECT_EQ(tree.nodeCount(), kDepth);
    EXPECT_EQ(tree.absoluteIndex(tree.nodeById(1)), kDepth - 1);
    EXPECT_EQ(tree.nodeById(1)->parent(), tree.nodeById(2));
}

TEST(TreeBuild, LongChainHangingFromAMovedNodePlacesOnePerPassInTheReference) {
    // The quadratic case of the passes (one row per pass), checked against the
    // reference on a size the reference can still afford.
    QVector<TRecordIBQuery> rows{row(2000, 0, "T")};
    for (int id = 2; id <= 300; ++id)
        rows.append(row(id, id - 1));
    rows.append(row(1, 1000));
    rows.append(row(1000, 2000));
    ObjectTreeModel tree;
    buildTree(tree, rows);
    EXPECT_EQ(describe(tree), describe(referenceBuild(rows)));
    EXPECT_EQ(tree.absoluteIndex(tree.nodeById(300)), 301);
}

} // namespace
