#include "journal/ChangeRecord.h"
#include "journal/JournalRecords.h"

#include <gtest/gtest.h>

TEST(JournalRecords, CreationUnderAParentAndAtTheTopLevel) {
    const auto child = creationRecord(3, 42, 7, QStringLiteral("Объект"), QStringLiteral("\\A\\Объект"));
    EXPECT_EQ(child.UserID_, 3);
    EXPECT_EQ(child.Type_, 1);
    EXPECT_EQ(child.ID_Parent_before, 7);
    EXPECT_EQ(child.Position_, 7);
    EXPECT_EQ(child.IDchildren_, 42);
    EXPECT_EQ(child.Path_before, "\\A\\Объект");
    EXPECT_EQ(child.Text_, "Объект");

    const auto top = creationRecord(3, 42, 0, QStringLiteral("Объект"), QStringLiteral("\\Объект"));
    EXPECT_EQ(top.ID_Parent_before, 42);
    EXPECT_EQ(top.Position_, 0);
    EXPECT_EQ(top.IDchildren_, 42);
    EXPECT_EQ(objectIdOf(top), 42);
    EXPECT_EQ(objectIdOf(child), 42);
}

TEST(JournalRecords, MoveAndDeletionCarryNothingButTheirFields) {
    const auto move =
        moveRecord(2, 5, 9, QStringLiteral("web"), QStringLiteral("\\A\\web"), QStringLiteral("\\B"));
    type_ParametersOfEvents expected;
    expected.UserID_ = 2;
    expected.Type_ = 3;
    expected.ID_Parent_before = 5;
    expected.ID_Parent_after = 9;
    expected.Text_ = QStringLiteral("web");
    expected.Path_before = QStringLiteral("\\A\\web");
    expected.Path_after = QStringLiteral("\\B\\web");
    EXPECT_EQ(move, expected);
    EXPECT_EQ(moveRecord(2, 5, 0, QStringLiteral("web"), QString(), QString()).Path_after, "\\web");

    const auto deletion = deletionRecord(2, 5, QStringLiteral("web"), QStringLiteral("\\A\\web"));
    EXPECT_EQ(deletion.Type_, 4);
    EXPECT_EQ(deletion.ID_Parent_before, 5);
    EXPECT_EQ(deletion.Path_before, "\\A\\web");
    EXPECT_TRUE(deletion.PASS_LOGIN_PASS_before.isEmpty());
    // "\A\web" (6 units) and "web" (3): 124 + 2 * 9 bytes.
    EXPECT_EQ(serializeChangeRecord(deletion).size(), kChangeRecordEmptySize + 18);
}

TEST(JournalRecords, ObjectOfOlderEntries) {
    type_ParametersOfEvents e;
    e.Type_ = 1;
    e.ID_Parent_before = 8; // top-level creation without IDchildren_
    EXPECT_EQ(objectIdOf(e), 8);
    e.Position_ = 3; // under 3, but the child's own identity is missing
    EXPECT_EQ(objectIdOf(e), 0);
    e.Type_ = 2;
    e.IndexSelectNode = 12;
    EXPECT_EQ(objectIdOf(e), 0) << "older updates name no identity";
    e.Type_ = 9;
    e.IDchildren_ = 4;
    EXPECT_EQ(objectIdOf(e), 0);
}

TEST(RebasePendingRecord, UpdateTakesTheAfterValuesOfWhatDiffered) {
    type_ParametersOfEvents pending;
    pending.Type_ = 2;
    pending.IDchildren_ = 10;
    pending.Text_ = QStringLiteral("old");
    pending.TEXT_TREETABLE_after = QStringLiteral("new");
    pending.PORT_SERVERS_before = QStringLiteral("22");
    pending.PORT_SERVERS_after = QStringLiteral("2222");
    pending.ID_LOGIN_PASS_before = 1;
    pending.ID_LOGIN_PASS_after = 2;
    pending.NAME_LOGIN_PASS_before = QStringLiteral("a");
    pending.NAME_LOGIN_PASS_after = QStringLiteral("b");
    pending.LOGIN_LOGIN_PASS_before = QStringLiteral("l1");
    pending.LOGIN_LOGIN_PASS_after = QStringLiteral("l2");
    const type_ParametersOfEvents journalled = pending;

    rebasePendingRecord(pending, 10, journalled);
    EXPECT_EQ(pending.Text_, "new");
    EXPECT_EQ(pending.PORT_SERVERS_before, "2222");
    EXPECT_EQ(pending.ID_LOGIN_PASS_before, 2);
    EXPECT_EQ(pending.NAME_LOGIN_PASS_before, "b");
    EXPECT_EQ(pending.LOGIN_LOGIN_PASS_before, "l1") << "a changed key set re-bases the set, not its login";
}

TEST(RebasePendingRecord, OnlyForTheSameObject) {
    type_ParametersOfEvents pending;
    pending.Path_before = QStringLiteral("\\A\\x");
    const auto move =
        moveRecord(1, 5, 9, QStringLiteral("x"), QStringLiteral("\\A\\x"), QStringLiteral("\\B"));

    auto other = pending;
    rebasePendingRecord(other, 6, move);
    EXPECT_EQ(other, pending);
    rebasePendingRecord(other, 0, move);
    EXPECT_EQ(other, pending);

    rebasePendingRecord(pending, 5, move);
    EXPECT_EQ(pending.Path_before, "\\B\\x");

    auto unchanged = pending;
    rebasePendingRecord(unchanged, 5, deletionRecord(1, 5, QStringLiteral("x"), QStringLiteral("\\B\\x")));
    EXPECT_EQ(unchanged, pending);
}
