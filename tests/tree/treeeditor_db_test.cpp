#include "TreeTestSupport.h"
#include "support/SchemaDatabase.h"

namespace {

using namespace treetest;
using testsupport::MemoryTree;

type_ParametersOfEvents lastEntry(RunDatabase& db) {
    const auto entries = ReadLogsAfter(db, Last_ID_To_LOGS(db) - 1, 1);
    return entries.isEmpty() ? type_ParametersOfEvents{} : entries.front().ParametersOfEvents;
}

// Rows: 1 "Серверы" { 2 "web1" { 3 "db" } }, 4 "Сайты".
class TreeEditorTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        insertRow(db, 1, 0, QStringLiteral("Серверы"), 1);
        insertRow(db, 2, 1, QStringLiteral("web1"), 1);
        insertRow(db, 3, 2, QStringLiteral("db"), 1);
        insertRow(db, 4, 0, QStringLiteral("Сайты"), 2);
        tree = MemoryTree::fromTable(db);
    }

    int journalled() { return rowsIn(db, QStringLiteral("LOGS")); }

    MemoryTree tree;
    type_ParametersOfEvents pending;
    TreeEditor editor{db, tree, 5, &pending};
};

} // namespace

TEST_F(TreeEditorTest, CreateAddsTheNodeThenJournalsItsPath) {
    const auto outcome = editor.createObject(2);
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ(tree.parentOf(outcome.id), 2);
    EXPECT_EQ(tree.textOf(outcome.id), "Объект");
    const auto entry = lastEntry(db);
    EXPECT_EQ(entry, creationRecord(5, outcome.id, 2, QStringLiteral("Объект"),
                                    QStringLiteral("\\Серверы\\web1\\Объект")));

    const auto top = editor.createObject(0);
    ASSERT_TRUE(top.done);
    EXPECT_EQ(lastEntry(db).Path_before, "\\Объект");
    EXPECT_EQ(lastEntry(db).ID_Parent_before, top.id);

    EXPECT_FALSE(editor.createObject(99).done) << "a node gone from this tree ends it quietly";
    EXPECT_EQ(journalled(), 2);
}

TEST_F(TreeEditorTest, DeleteRemovesTheSubtreeClearsTheEditorAndJournals) {
    tree.select(3);
    tree.load(3);
    const auto outcome = editor.deleteObject(2);
    ASSERT_TRUE(outcome.done);
    EXPECT_FALSE(outcome.rebuildTree);
    EXPECT_FALSE(tree.contains(2));
    EXPECT_FALSE(tree.contains(3));
    EXPECT_EQ(tree.loadedId(), 0);
    EXPECT_EQ(tree.selectedId(), 0);
    EXPECT_EQ(lastEntry(db), deletionRecord(5, 2, QStringLiteral("web1"), QStringLiteral("\\Серверы\\web1")));

    // Deleted by someone else meanwhile: nothing to do, nothing to journal.
    exec(db, QStringLiteral("delete from TREETABLE where ID = 4"));
    const auto gone = editor.deleteObject(4);
    EXPECT_FALSE(gone.done);
    EXPECT_TRUE(gone.refusal.isEmpty());
    EXPECT_EQ(journalled(), 1);
}

TEST_F(TreeEditorTest, DeleteOfANodeWhoseChildWasMovedAwayMeanwhileAsksForARebuild) {
    exec(db, QStringLiteral("update TREETABLE set ID_PARENT = 4 where ID = 3"));
    const auto outcome = editor.deleteObject(2);
    EXPECT_TRUE(outcome.done);
    EXPECT_TRUE(outcome.rebuildTree);
    EXPECT_TRUE(readTreeRow(db, 3).has_value());
}

TEST_F(TreeEditorTest, MoveJournalsBothPathsAndReBasesTheLoadedObjectOnly) {
    tree.load(2);
    pending.Path_before = QStringLiteral("\\Серверы\\web1");
    const auto outcome = editor.moveObject(2, 4);
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ(tree.parentOf(2), 4);
    EXPECT_EQ(tree.parentOf(3), 2);
    EXPECT_EQ(lastEntry(db), moveRecord(5, 2, 4, QStringLiteral("web1"), QStringLiteral("\\Серверы\\web1"),
                                        QStringLiteral("\\Сайты")));
    EXPECT_EQ(pending.Path_before, "\\Сайты\\web1");

    tree.load(1);
    EXPECT_TRUE(editor.moveObject(3, 4).done);
    EXPECT_EQ(pending.Path_before, "\\Сайты\\web1") << "another object's move re-bases nothing";
}

TEST_F(TreeEditorTest, DropsOnItselfOrBelowItselfWriteNothing) {
    EXPECT_FALSE(editor.moveObject(1, 1).done);
    EXPECT_FALSE(editor.moveObject(1, 3).done);
    EXPECT_FALSE(editor.moveObject(1, 77).done);
    EXPECT_EQ(journalled(), 0);
    EXPECT_EQ(readTreeRow(db, 1)->ID_PARENT, 0);
}

TEST_F(TreeEditorTest, RefusalLeavesTreeAndJournalAlone) {
    exec(db, QStringLiteral("delete from TREETABLE where ID = 4"));
    const int changes = tree.changes();
    const auto outcome = editor.moveObject(2, 4);
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(outcome.refusal, kObjectGoneText);
    EXPECT_EQ(tree.changes(), changes);
    EXPECT_EQ(journalled(), 0);
    EXPECT_EQ(editor.createObject(4).refusal, kObjectGoneText);
    EXPECT_EQ(journalled(), 0);
}
