#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "db/TableLoginPass.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

using testsupport::execWrite;
using testsupport::readRows;

QList<int> idsOf(fb::Query& rows) {
    QList<int> ids;
    for (; !rows.eof(); rows.next())
        ids.append(rows.fieldByName(QStringLiteral("ID")).asInteger());
    return ids;
}

QList<int> visibleKeySets(int user, bool byName) {
    auto rows = select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(user, byName);
    return idsOf(*rows);
}

class TableLoginPassTest : public testsupport::SchemaDatabase {
protected:
    // The schema's first user is admin with ID 1; these add users 2 and 3.
    void addTwoMoreUsers() {
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('second', 'x')"));
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('third', 'y')"));
    }

    int addKeySet(const QString& name, int personal) {
        const int id = Gen_ID_table_LOGIN_PASS();
        insert_data_for_table_LOGIN_PASS(id, name, QStringLiteral("login"), QStringLiteral("pass"), personal);
        return id;
    }
};

TEST_F(TableLoginPassTest, GenIdUsesUpOneValuePerCall) {
    const int first = Gen_ID_table_LOGIN_PASS();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(Gen_ID_table_LOGIN_PASS(), first + 1);
}

TEST_F(TableLoginPassTest, InsertedKeySetReadsBackTrimmed) {
    insert_data_for_table_LOGIN_PASS(Gen_ID_table_LOGIN_PASS(), QStringLiteral("  Основной  "),
                                     QStringLiteral(" администратор "), QStringLiteral(" encoded "), 1);

    auto row = SELECT_LOGIN_AND_PASS_OF_TABLE_LOGIN_PASS(1);
    ASSERT_FALSE(row->eof());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_LOGIN_PASS")).asInteger(), 1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("NAME_LOGIN_PASS")).asString().trimmed(), "Основной");
    EXPECT_EQ(row->fieldByName(QStringLiteral("LOGIN_LOGIN_PASS")).asString().trimmed(), "администратор");
    EXPECT_EQ(row->fieldByName(QStringLiteral("PASS_LOGIN_PASS")).asString().trimmed(), "encoded");
    EXPECT_EQ(row->fieldByName(QStringLiteral("PERSONAL_LOGIN_PASS")).asInteger(), 1);
}

TEST_F(TableLoginPassTest, BlankOnlyNameAndLoginAreStoredAsNullAndReadBackEmpty) {
    insert_data_for_table_LOGIN_PASS(Gen_ID_table_LOGIN_PASS(), QStringLiteral("   "), QStringLiteral("\t "),
                                     QStringLiteral("p"), 0);

    auto stored = readRows(QStringLiteral("select * from LOGIN_PASS where ID = 1"));
    EXPECT_TRUE(stored->fieldByName(QStringLiteral("NAME")).isNull());
    EXPECT_TRUE(stored->fieldByName(QStringLiteral("LOGIN")).isNull());
    EXPECT_TRUE(stored->fieldByName(QStringLiteral("PERSONAL")).isNull());
    EXPECT_EQ(GetNameOfKeyByID(1), QString());
    EXPECT_EQ(SELECT_LOGIN_AND_PASS_OF_TABLE_LOGIN_PASS(1)
                  ->fieldByName(QStringLiteral("LOGIN_LOGIN_PASS"))
                  .asString(),
              QString());
}

TEST_F(TableLoginPassTest, IdZeroIsFilledByTheTrigger) {
    insert_data_for_table_LOGIN_PASS(0, QStringLiteral("auto"), QString(), QString(), 0);
    auto row = readRows(QStringLiteral("select * from LOGIN_PASS"));
    ASSERT_FALSE(row->eof());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID")).asInteger(), 1);
}

TEST_F(TableLoginPassTest, UpdateRewritesEveryColumnAndZeroOwnerMakesItShared) {
    addTwoMoreUsers();
    const int id = addKeySet(QStringLiteral("old"), 2);
    update_for_table_LOGIN_PASS(QStringLiteral(" new "), QStringLiteral("root"), QStringLiteral("secret"), 0,
                                id);

    auto row = SELECT_LOGIN_AND_PASS_OF_TABLE_LOGIN_PASS(id);
    EXPECT_EQ(row->fieldByName(QStringLiteral("NAME_LOGIN_PASS")).asString().trimmed(), "new");
    EXPECT_EQ(row->fieldByName(QStringLiteral("LOGIN_LOGIN_PASS")).asString().trimmed(), "root");
    EXPECT_EQ(row->fieldByName(QStringLiteral("PASS_LOGIN_PASS")).asString().trimmed(), "secret");
    EXPECT_TRUE(row->fieldByName(QStringLiteral("PERSONAL_LOGIN_PASS")).isNull());
    EXPECT_EQ(visibleKeySets(0, false), QList<int>{id});
}

TEST_F(TableLoginPassTest, UpdateOrDeleteOfMissingKeySetIsNoError) {
    const int id = addKeySet(QStringLiteral("kept"), 0);
    EXPECT_NO_THROW(update_for_table_LOGIN_PASS(QStringLiteral("x"), QString(), QString(), 0, id + 10));
    EXPECT_NO_THROW(DeleteObjectInTable_LOGIN_PASS(id + 10));
    EXPECT_EQ(GetNameOfKeyByID(id), "kept");
}

TEST_F(TableLoginPassTest, TooLongLoginFailsWithTruncationError) {
    EXPECT_THROW(
        insert_data_for_table_LOGIN_PASS(1, QStringLiteral("n"), QString(51, QLatin1Char('l')), QString(), 0),
        fb::Error);
    EXPECT_EQ(GetNameOfKeyByID(1), QString());
}

TEST_F(TableLoginPassTest, GetNameOfKeyByIdIsEmptyForMissingKeySet) {
    addKeySet(QStringLiteral("Рабочий"), 0);
    EXPECT_EQ(GetNameOfKeyByID(1), "Рабочий");
    EXPECT_EQ(GetNameOfKeyByID(2), QString());
    EXPECT_EQ(GetNameOfKeyByID(0), QString());
}

TEST_F(TableLoginPassTest, UserZeroSeesOnlySharedKeySets) {
    addTwoMoreUsers();
    const int shared = addKeySet(QStringLiteral("shared"), 0);
    addKeySet(QStringLiteral("admin's"), 1);
    addKeySet(QStringLiteral("second's"), 2);
    EXPECT_EQ(visibleKeySets(0, false), QList<int>{shared});
}

TEST_F(TableLoginPassTest, UserSeesOwnAndSharedButNeverOtherUsersPersonalKeySets) {
    addTwoMoreUsers();
    const int shared = addKeySet(QStringLiteral("shared"), 0);
    const int ofSecond = addKeySet(QStringLiteral("second's"), 2);
    const int ofThird = addKeySet(QStringLiteral("third's"), 3);
    const int sharedToo = addKeySet(QStringLiteral("shared too"), 0);

    EXPECT_EQ(visibleKeySets(2, false), (QList<int>{shared, ofSecond, sharedToo}));
    EXPECT_EQ(visibleKeySets(3, false), (QList<int>{shared, ofThird, sharedToo}));
    EXPECT_EQ(visibleKeySets(1, false), (QList<int>{shared, sharedToo}));
}

TEST_F(TableLoginPassTest, OrderIsByNameOrById) {
    const int zulu = addKeySet(QStringLiteral("zulu"), 0);
    const int alpha = addKeySet(QStringLiteral("alpha"), 1);
    const int mike = addKeySet(QStringLiteral("mike"), 0);

    EXPECT_EQ(visibleKeySets(1, true), (QList<int>{alpha, mike, zulu}));
    EXPECT_EQ(visibleKeySets(1, false), (QList<int>{zulu, alpha, mike}));
}

TEST_F(TableLoginPassTest, DeletingKeySetRemovesLinksButLeavesDanglingDefault) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'srv')"));
    execWrite(QStringLiteral("insert into SERVERS (ID_TREETABLE, DEFAUL_PASS) values (1, 1)"));
    const int keySet = addKeySet(QStringLiteral("doomed"), 0);
    const int other = addKeySet(QStringLiteral("other"), 0);
    ASSERT_EQ(keySet, 1);
    execWrite(QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                             "values (1, %1, 1)")
                  .arg(keySet));
    execWrite(QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                             "values (1, %1, 1)")
                  .arg(other));

    DeleteObjectInTable_LOGIN_PASS(keySet);

    EXPECT_EQ(GetNameOfKeyByID(keySet), QString());
    auto links = readRows(QStringLiteral("select ID_LOGIN_PASS as ID from SERVERS_WITH_LOGIN_PASSS"));
    EXPECT_EQ(idsOf(*links), QList<int>{other});
    auto server = readRows(QStringLiteral("select DEFAUL_PASS from SERVERS"));
    EXPECT_EQ(server->fieldByName(QStringLiteral("DEFAUL_PASS")).asInteger(), keySet);
}

} // namespace
