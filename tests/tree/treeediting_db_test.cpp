#include "TreeTestSupport.h"
#include "fb/Error.h"
#include "support/SchemaDatabase.h"
#include "tree/TreeViwe.h"

#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using namespace treetest;
using testsupport::MemoryTree;

class TreeEditing : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        other = testsupport::connectAnother(dbPath);
    }
    void TearDown() override {
        other.reset();
        SchemaDatabase::TearDown();
    }

    int parentOf(int id) {
        return count(db, QStringLiteral("select ID_PARENT from TREETABLE where ID = %1").arg(id));
    }
    int positionOf(int id) { return RequestIDForPosition(db, id); }
    bool exists(int id) { return readTreeRow(db, id).has_value(); }

    std::unique_ptr<RunDatabase> other;
};

} // namespace

TEST_F(TreeEditing, CreateAtTheTopLevelAndUnderAParentWithItsServerRow) {
    insertRow(db, 1, 0, QStringLiteral("A"), 4);
    insertRow(db, 2, 1, QStringLiteral("a1"), 7);

    const CreatedObject top = createObjectInBase(db, 0);
    EXPECT_EQ(top.parentId, 0);
    EXPECT_EQ(top.position, 5);
    const CreatedObject child = createObjectInBase(db, 1);
    EXPECT_EQ(child.position, 8);
    const CreatedObject first = createObjectInBase(db, 2);
    EXPECT_EQ(first.position, 1);
    EXPECT_NE(top.id, child.id);

    const auto row = readTreeRow(db, child.id);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->TEXT, "Объект");
    EXPECT_EQ(row->ID_PARENT, 1);
    EXPECT_EQ(parentOf(top.id), 0);
    EXPECT_EQ(
        count(db, QStringLiteral("select count(*) from TREETABLE where ID = %1 and ID_PARENT is not null")
                      .arg(top.id)),
        1)
        << "a top-level parent is stored as 0, not NULL";

    fb::Query server(db.IBDatabase1, db.IBTransaction1);
    server.setSql(QStringLiteral("select * from SERVERS where ID_TREETABLE = %1").arg(child.id));
    server.open();
    ASSERT_FALSE(server.eof());
    EXPECT_EQ(server.fieldByName(QStringLiteral("DOMAIN_NAME")).asString().trimmed(),
              "Доменное имя компьютера");
    EXPECT_EQ(server.fieldByName(QStringLiteral("IP_ADDRES")).asString().trimmed(), "0.0.0.0");
    EXPECT_TRUE(server.fieldByName(QStringLiteral("PORT")).isNull());
    EXPECT_TRUE(server.fieldByName(QStringLiteral("TRANSLATION_")).isNull());
}

TEST_F(TreeEditing, CreateUnderARowDeletedElsewhereIsRefusedAndWritesNothing) {
    insertRow(db, 1, 0, QStringLiteral("A"));
    MemoryTree tree = MemoryTree::fromTable(db);
    Client a{db, tree, 1};
    exec(*other, QStringLiteral("delete from TREETABLE where ID = 1"));

    EXPECT_EQ(a.create(1), kObjectGoneText);
    EXPECT_EQ(rowsIn(db, QStringLiteral("TREETABLE")), 0);
    EXPECT_EQ(rowsIn(db, QStringLiteral("SERVERS")), 0);
    EXPECT_EQ(rowsIn(db, QStringLiteral("LOGS")), 0);
}

TEST_F(TreeEditing, DeleteRacingACreateBelowLeavesNoOrphan) {
    insertRow(db, 1, 0, QStringLiteral("P"));
    MemoryTree treeA = MemoryTree::fromTable(db);
    MemoryTree treeB = MemoryTree::fromTable(*other);
    Client a{db, treeA, 1};
    Client b{*other, treeB, 2};

    {
        // B's creation is under way: the parent row is held until it commits.
        InFlight creating(*other);
        creating.exec(QStringLiteral("select ID from TREETABLE where ID = 1 with lock"));
        creating.exec(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (50, 1, 'late')"));
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(a.remove(1), kObjectBusyText);
        EXPECT_LT(waited.elapsed(), 2000);
        EXPECT_TRUE(exists(1));
        creating.commit();
    }
    EXPECT_EQ(a.remove(1), "");
    EXPECT_FALSE(exists(1));
    EXPECT_FALSE(exists(50)) << "the row created below meanwhile goes too";
    EXPECT_EQ(rowsIn(db, QStringLiteral("LOGS")), 1);

    // And the other way round: B creates under the row A has just deleted.
    insertRow(db, 2, 0, QStringLiteral("Q"));
    treeB.addChild(0, 2, QStringLiteral("Q"), 0);
    {
        InFlight deleting(db);
        deleting.exec(QStringLiteral("delete from TREETABLE where ID = 2"));
        EXPECT_EQ(b.create(2), kObjectBusyText);
        deleting.commit();
    }
    EXPECT_EQ(b.create(2), kObjectGoneText);
    EXPECT_EQ(rowsIn(db, QStringLiteral("TREETABLE")), 0);
    EXPECT_EQ(rowsIn(db, QStringLiteral("LOGS")), 1) << "refusals journal nothing";
    expectNoOrphansOrCycles(db);
}

TEST_F(TreeEditing, CreateWaitsOutAShortLock) {
    insertRow(db, 1, 0, QStringLiteral("P"));
    InFlight holder(*other);
    holder.exec(QStringLiteral("select ID from TREETABLE where ID = 1 with lock"));
    // Another client's short write ends while ours is retrying.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        holder.commit();
    });
    EXPECT_NO_THROW(createObjectInBase(db, 1));
    release.join();
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from TREETABLE where ID_PARENT = 1")), 1);
}

TEST_F(TreeEditing, DeleteTakesTheWholeSubtreeDeepChainsAndCyclesIncluded) {
    insertRow(db, 1, 0, QStringLiteral("root"));
    insertRow(db, 2, 1, QStringLiteral("a"));
    insertRow(db, 3, 1, QStringLiteral("b"));
    insertRow(db, 4, 2, QStringLiteral("a1"));
    int parent = 3;
    for (int id = 100; id < 120; ++id) { // deeper than a scan per level is worth
        insertRow(db, id, parent, QStringLiteral("chain"));
        parent = id;
    }
    insertRow(db, 9, 0, QStringLiteral("untouched"));
    insertRow(db, 10, 9, QStringLiteral("child of untouched"));

    QVector<int> deleted = deleteSubtreeInBase(db, 1);
    std::sort(deleted.begin(), deleted.end());
    QVector<int> expected{1, 2, 3, 4};
    for (int id = 100; id < 120; ++id)
        expected << id;
    EXPECT_EQ(deleted, expected);
    EXPECT_EQ(rowsIn(db, QStringLiteral("TREETABLE")), 2);
    EXPECT_EQ(rowsIn(db, QStringLiteral("SERVERS")), 2) << "server rows go with their tree rows";

    // A cycle through the deleted row ends the walk.
    insertRow(db, 20, 22, QStringLiteral("c0"));
    insertRow(db, 21, 20, QStringLiteral("c1"));
    insertRow(db, 22, 21, QStringLiteral("c2"));
    insertRow(db, 23, 23, QStringLiteral("self"));
    EXPECT_EQ(deleteSubtreeInBase(db, 20).size(), 3);
    EXPECT_EQ(deleteSubtreeInBase(db, 23), QVector<int>{23});
    EXPECT_TRUE(deleteSubtreeInBase(db, 23).isEmpty()) << "already gone: nothing to delete";
    EXPECT_TRUE(exists(9));
    EXPECT_TRUE(exists(10));
}

TEST_F(TreeEditing, MoveMakesTheLastChildOnlyAfterLockingTheWay) {
    insertRow(db, 1, 0, QStringLiteral("A"), 1);
    insertRow(db, 2, 0, QStringLiteral("B"), 2);
    insertRow(db, 3, 2, QStringLiteral("b1"), 4);
    insertRow(db, 4, 1, QStringLiteral("x"), 1);

    EXPECT_EQ(moveObjectInBase(db, 4, 2), 5);
    EXPECT_EQ(parentOf(4), 2);
    EXPECT_EQ(moveObjectInBase(db, 3, 2), 6) << "a drop on its own parent goes to the end";
    EXPECT_EQ(moveObjectInBase(db, 4, 0), 3);
    EXPECT_EQ(parentOf(4), 0);

    EXPECT_THROW(moveObjectInBase(db, 2, 3), TreeEditRefused) << "into its own child";
    EXPECT_THROW(moveObjectInBase(db, 2, 2), TreeEditRefused);
    try {
        moveObjectInBase(db, 77, 1);
        FAIL();
    } catch (const TreeEditRefused& refused) {
        EXPECT_EQ(refused.text(), kObjectGoneText);
    }
    expectNoOrphansOrCycles(db);
}

TEST_F(TreeEditing, MoveIntoANodeJustDeletedElsewhereIsRefusedAndJournalsNothing) {
    insertRow(db, 1, 0, QStringLiteral("target"));
    insertRow(db, 2, 0, QStringLiteral("moved"));
    MemoryTree tree = MemoryTree::fromTable(db);
    Client a{db, tree, 1};
    exec(*other, QStringLiteral("delete from TREETABLE where ID = 1"));

    EXPECT_EQ(a.move(2, 1), kObjectGoneText);
    EXPECT_EQ(parentOf(2), 0);
    EXPECT_EQ(tree.parentOf(2), 0);
    EXPECT_EQ(rowsIn(db, QStringLiteral("LOGS")), 0);

    // Below a target whose ancestor is gone: the target hangs nowhere.
    insertRow(db, 5, 0, QStringLiteral("top"));
    insertRow(db, 6, 5, QStringLiteral("inner"));
    tree = MemoryTree::fromTable(db);
    exec(*other, QStringLiteral("delete from TREETABLE where ID = 5"));
    EXPECT_EQ(a.move(2, 6), kObjectGoneText);
}

TEST_F(TreeEditing, CrossingMovesCannotMakeACycle) {
    insertRow(db, 1, 0, QStringLiteral("X"));
    insertRow(db, 2, 0, QStringLiteral("Y"));
    MemoryTree treeA = MemoryTree::fromTable(db);
    MemoryTree treeB = MemoryTree::fromTable(*other);
    Client a{db, treeA, 1};
    Client b{*other, treeB, 2};

    {
        // A's move of X under Y is under way.
        InFlight moving(db);
        moving.exec(QStringLiteral("select ID from TREETABLE where ID = 1 with lock"));
        moving.exec(QStringLiteral("select ID from TREETABLE where ID = 2 with lock"));
        moving.exec(QStringLiteral("update TREETABLE set ID_PARENT = 2 where ID = 1"));
        EXPECT_EQ(b.move(2, 1), kObjectBusyText);
        moving.commit();
    }
    EXPECT_EQ(b.move(2, 1), kMoveBelowItselfText) << "B's tree is stale, the table is not";
    EXPECT_EQ(parentOf(2), 0);

    // Sequential crossing moves through the real operation.
    insertRow(db, 3, 0, QStringLiteral("U"));
    insertRow(db, 4, 0, QStringLiteral("V"));
    treeA = MemoryTree::fromTable(db);
    treeB = MemoryTree::fromTable(*other);
    EXPECT_EQ(a.move(3, 4), "");
    EXPECT_EQ(b.move(4, 3), kMoveBelowItselfText);
    EXPECT_EQ(rowsIn(db, QStringLiteral("LOGS")), 1);
    expectNoOrphansOrCycles(db);
}

TEST_F(TreeEditing, ReorderSwapsAndRenumbersEqualOrDisorderedPositions) {
    insertRow(db, 1, 0, QStringLiteral("a"), 1);
    insertRow(db, 2, 0, QStringLiteral("b"), 2);
    insertRow(db, 3, 0, QStringLiteral("c"), 3);
    const QVector<int> screen{1, 2, 3};

    EXPECT_FALSE(moveAmongSiblingsInBase(db, screen, 0, -1)) << "up on the first";
    EXPECT_FALSE(moveAmongSiblingsInBase(db, screen, 2, +1)) << "down on the last";
    EXPECT_TRUE(moveAmongSiblingsInBase(db, screen, 1, -1));
    EXPECT_EQ(positionOf(2), 1);
    EXPECT_EQ(positionOf(1), 2);
    EXPECT_EQ(positionOf(3), 3);

    exec(db, QStringLiteral("update TREETABLE set POSITION_ = 0"));
    EXPECT_TRUE(moveAmongSiblingsInBase(db, screen, 0, +1));
    EXPECT_EQ(positionOf(1), 2);
    EXPECT_EQ(positionOf(2), 1);
    EXPECT_EQ(positionOf(3), 3) << "equal positions are numbered in screen order first";

    // The table disagrees with the screen (another client reordered meanwhile).
    exec(db, QStringLiteral("update TREETABLE set POSITION_ = 4 - ID"));
    EXPECT_TRUE(moveAmongSiblingsInBase(db, screen, 2, -1));
    EXPECT_EQ(positionOf(1), 1);
    EXPECT_EQ(positionOf(3), 2);
    EXPECT_EQ(positionOf(2), 3);

    exec(*other, QStringLiteral("delete from TREETABLE where ID = 3"));
    EXPECT_THROW(moveAmongSiblingsInBase(db, screen, 1, +1), TreeEditRefused);
}

TEST_F(TreeEditing, PositionLookups) {
    insertRow(db, 1, 0, QStringLiteral("a"), 6);
    insertRow(db, 2, 1, QStringLiteral("b"), 3);
    insertRow(db, 3, 1, QStringLiteral("c"), 9);
    exec(db,
         QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values (4, 1, 'd', null)"));
    EXPECT_EQ(RequestIDForPosition(db, 2), 3);
    EXPECT_EQ(RequestIDForPosition(db, 4), 0);
    EXPECT_EQ(RequestIDForPosition(db, 99), 0);
    EXPECT_EQ(RequestIDForPosition(3), 9);
    EXPECT_EQ(FindLastNumberPositionNode(db, 1), 9);
    EXPECT_EQ(FindLastNumberPositionNode(1), 9);
    EXPECT_EQ(FindLastNumberPositionNode(db, 0), 6);
    EXPECT_EQ(FindLastNumberPositionNode(db, 2), 0);
    exec(db,
         QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values (5, 2, 'e', null)"));
    EXPECT_EQ(FindLastNumberPositionNode(2), 0) << "NULL positions only: the first child gets 1";
}

TEST_F(TreeEditing, EditsLeaveTheWriteTransactionsCursorsOpen) {
    insertRow(db, 1, 0, QStringLiteral("a"));
    insertRow(db, 2, 0, QStringLiteral("b"));
    fb::Query cursor(db.IBDatabase1, db.IBTransaction2);
    cursor.setSql(QStringLiteral("select * from USER_DB"));
    cursor.open();

    const CreatedObject created = createObjectInBase(db, 1);
    moveObjectInBase(db, created.id, 2);
    moveAmongSiblingsInBase(db, {1, 2}, 0, +1);
    deleteSubtreeInBase(db, 2);
    EXPECT_TRUE(cursor.isOpen());
    EXPECT_FALSE(cursor.eof());
}
