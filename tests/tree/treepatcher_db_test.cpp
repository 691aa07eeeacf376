#include "TreeTestSupport.h"
#include "support/SchemaDatabase.h"
#include "tree/TreePatcher.h"

namespace {

using namespace treetest;
using testsupport::MemoryTree;
using Result = TreePatcher::Result;

type_ParametersOfEvents entry(int kind, int object) {
    type_ParametersOfEvents e;
    e.UserID_ = 1;
    e.Type_ = kind;
    if (kind == 1 || kind == 2)
        e.IDchildren_ = object;
    else
        e.ID_Parent_before = object;
    return e;
}

// Rows: 1 "A" { 2 "a1" { 3 "deep" } }, 4 "B".
class TreePatcherTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        insertRow(db, 1, 0, QStringLiteral("A"), 1);
        insertRow(db, 2, 1, QStringLiteral("a1"), 1);
        insertRow(db, 3, 2, QStringLiteral("deep"), 1);
        insertRow(db, 4, 0, QStringLiteral("B"), 2);
        tree = MemoryTree::fromTable(db);
    }

    Result apply(const type_ParametersOfEvents& e) { return TreePatcher(db, tree).apply(e); }

    MemoryTree tree;
};

} // namespace

TEST_F(TreePatcherTest, CreationAddsWhatTheRowSaysUnderItsParent) {
    insertRow(db, 10, 4, QStringLiteral("  new one "), 1, 7);
    auto e = entry(1, 10);
    e.Text_ = QStringLiteral("Объект"); // stale by now: the row holds the name
    EXPECT_EQ(apply(e), Result::Done);
    EXPECT_EQ(tree.parentOf(10), 4);
    EXPECT_EQ(tree.textOf(10), "new one");
    EXPECT_EQ(tree.iconOf(10), 7);
    EXPECT_EQ(tree.childrenOf(4).last(), 10);

    // The echo, or the same entry read twice, changes nothing.
    const int changes = tree.changes();
    EXPECT_EQ(apply(e), Result::Done);
    EXPECT_EQ(tree.changes(), changes);

    // An older copy's top-level creation names the object in ID_Parent_before.
    insertRow(db, 11, 0, QStringLiteral("top"));
    type_ParametersOfEvents older;
    older.Type_ = 1;
    older.ID_Parent_before = 11;
    EXPECT_EQ(apply(older), Result::Done);
    EXPECT_EQ(tree.parentOf(11), 0);
    EXPECT_TRUE(tree.contains(11));
}

TEST_F(TreePatcherTest, CreationWithoutRowOrParentNode) {
    EXPECT_EQ(apply(entry(1, 50)), Result::Done) << "deleted since: nothing to add";
    EXPECT_FALSE(tree.contains(50));

    insertRow(db, 20, 0, QStringLiteral("parent not applied yet"));
    insertRow(db, 21, 20, QStringLiteral("child"));
    EXPECT_EQ(apply(entry(1, 21)), Result::Unplaced);
    EXPECT_FALSE(tree.contains(21));

    insertRow(db, 31, 30, QStringLiteral("orphan"));
    EXPECT_EQ(apply(entry(1, 31)), Result::Done);
    EXPECT_FALSE(tree.contains(31));
}

TEST_F(TreePatcherTest, UpdateByIdentityTakesTextAndPictureFromTheTable) {
    exec(db, QStringLiteral("update TREETABLE set TEXT = 'renamed', ID_ICO = 12 where ID = 2"));
    auto e = entry(2, 2);
    e.TEXT_TREETABLE_after = QStringLiteral("whatever the entry says");
    EXPECT_EQ(apply(e), Result::Done);
    EXPECT_EQ(tree.textOf(2), "renamed");
    EXPECT_EQ(tree.iconOf(2), 12);

    const int changes = tree.changes();
    EXPECT_EQ(apply(e), Result::Done);
    EXPECT_EQ(tree.changes(), changes) << "an echo sets nothing";
}

TEST_F(TreePatcherTest, OlderUpdateWithoutIdentityGoesByTheOnePathOrNowhere) {
    exec(db, QStringLiteral("update TREETABLE set TEXT = 'A2' where ID = 1"));
    type_ParametersOfEvents older;
    older.Type_ = 2;
    older.IndexSelectNode = 3; // the author's index: not used
    older.Path_before = QStringLiteral("\\A");
    EXPECT_EQ(apply(older), Result::Done);
    EXPECT_EQ(tree.textOf(1), "A2");
    EXPECT_EQ(tree.textOf(4), "B");

    // Two nodes with the same path: neither is touched.
    insertRow(db, 5, 0, QStringLiteral("B"));
    tree.addChild(0, 5, QStringLiteral("B"), 0);
    exec(db, QStringLiteral("update TREETABLE set TEXT = 'B2'"));
    older.Path_before = QStringLiteral("\\B");
    const int changes = tree.changes();
    EXPECT_EQ(apply(older), Result::Done);
    older.Path_before = QStringLiteral("\\nowhere");
    EXPECT_EQ(apply(older), Result::Done);
    EXPECT_EQ(tree.changes(), changes);
}

TEST_F(TreePatcherTest, MoveFollowsTheRowsParent) {
    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 4 where ID = 2"));
    EXPECT_EQ(apply(entry(3, 2)), Result::Done);
    EXPECT_EQ(tree.parentOf(2), 4);
    EXPECT_EQ(tree.parentOf(3), 2) << "the subtree moves along";

    const int changes = tree.changes();
    EXPECT_EQ(apply(entry(3, 2)), Result::Done);
    EXPECT_EQ(tree.changes(), changes) << "already there";

    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 0 where ID = 3"));
    EXPECT_EQ(apply(entry(3, 3)), Result::Done);
    EXPECT_EQ(tree.parentOf(3), 0);
}

TEST_F(TreePatcherTest, MoveThatWouldLandBelowItselfOrOnAMissingNodeWaits) {
    // The table puts A below a1, whose own move out of A has not arrived here.
    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 0 where ID = 2"));
    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 2 where ID = 1"));
    EXPECT_EQ(apply(entry(3, 1)), Result::Unplaced);
    EXPECT_EQ(tree.parentOf(1), 0);
    EXPECT_EQ(apply(entry(3, 2)), Result::Done);
    EXPECT_EQ(apply(entry(3, 1)), Result::Done);
    EXPECT_EQ(tree.parentOf(1), 2);

    insertRow(db, 40, 0, QStringLiteral("target not applied yet"));
    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 40 where ID = 4"));
    EXPECT_EQ(apply(entry(3, 4)), Result::Unplaced);

    // A move of an object this tree does not have yet places it.
    insertRow(db, 41, 1, QStringLiteral("unseen"));
    EXPECT_EQ(apply(entry(3, 41)), Result::Done);
    EXPECT_EQ(tree.parentOf(41), 1);
}

TEST_F(TreePatcherTest, DeletionRemovesOnlyWhenTheRowIsGone) {
    tree.select(3);
    tree.load(3);
    EXPECT_EQ(apply(entry(4, 2)), Result::RetryLater) << "older copies journal before they delete";
    EXPECT_TRUE(tree.contains(2));

    exec(db, QStringLiteral("delete from TREETABLE where ID in (2, 3)"));
    EXPECT_EQ(apply(entry(4, 2)), Result::Done);
    EXPECT_FALSE(tree.contains(2));
    EXPECT_FALSE(tree.contains(3));
    EXPECT_TRUE(tree.idsWithPath(QStringLiteral("\\A\\a1\\deep")).isEmpty());
    EXPECT_EQ(tree.selectedId(), 0);
    EXPECT_EQ(tree.loadedId(), 0) << "no later save may journal a deleted object";

    EXPECT_EQ(apply(entry(4, 2)), Result::Done) << "unknown objects change nothing";
    EXPECT_EQ(apply(entry(4, 999)), Result::Done);
}

TEST_F(TreePatcherTest, DeletionKeepsSelectionElsewhereAndSeesNodesMovedOutMeanwhile) {
    tree.select(4);
    tree.load(1);
    // a1 was moved under B before A went; that move has not arrived here.
    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 4 where ID = 2"));
    exec(db, QStringLiteral("delete from TREETABLE where ID = 1"));
    EXPECT_EQ(apply(entry(4, 1)), Result::OutOfStep);
    EXPECT_FALSE(tree.contains(1));
    EXPECT_EQ(tree.selectedId(), 4);
    EXPECT_EQ(tree.loadedId(), 0);
}

TEST_F(TreePatcherTest, AnEntryAboutAnObjectWhoseRowIsGoneRemovesItsNode) {
    // a1 was moved under B, then B was deleted: the deletion names only B, which
    // this tree never saw a1 under.
    tree.load(3);
    exec(db, QStringLiteral("delete from TREETABLE where ID in (2, 3, 4)"));
    EXPECT_EQ(apply(entry(3, 2)), Result::Done);
    EXPECT_FALSE(tree.contains(2));
    EXPECT_FALSE(tree.contains(3));
    EXPECT_EQ(tree.loadedId(), 0);
    EXPECT_EQ(apply(entry(4, 4)), Result::Done);
    EXPECT_FALSE(tree.contains(4));

    insertRow(db, 5, 1, QStringLiteral("renamed then deleted"));
    tree.addChild(1, 5, QStringLiteral("x"), 0);
    exec(db, QStringLiteral("delete from TREETABLE where ID = 5"));
    EXPECT_EQ(apply(entry(2, 5)), Result::Done);
    EXPECT_FALSE(tree.contains(5));
}

TEST_F(TreePatcherTest, OtherKindsChangeNothing) {
    const int changes = tree.changes();
    EXPECT_EQ(apply(entry(0, 1)), Result::Done);
    EXPECT_EQ(apply(entry(7, 1)), Result::Done);
    EXPECT_EQ(tree.changes(), changes);
}
