#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "db/TableUserDB.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <gtest/gtest.h>

namespace {

using testsupport::readRows;

int countUsers() {
    return readRows(QStringLiteral("select count(*) from USER_DB"))->field(0).asInteger();
}

using TableUserDBTest = testsupport::SchemaDatabase;

TEST_F(TableUserDBTest, InsertedUsersAreListedAfterAdminWithGeneratedIds) {
    insert_data_for_table_USER_DB(QStringLiteral("Иванов И.И."), QStringLiteral("enc1"));
    insert_data_for_table_USER_DB(QStringLiteral("  Петров  "), QStringLiteral(" enc2 "));

    auto users = select_data_of_table_USER_DB();
    QStringList names;
    QList<int> ids;
    for (; !users->eof(); users->next()) {
        ids << users->fieldByName(QStringLiteral("ID")).asInteger();
        names << users->fieldByName(QStringLiteral("FIO")).asString().trimmed();
    }
    EXPECT_EQ(ids, (QList<int>{1, 2, 3}));
    EXPECT_EQ(names, (QStringList{QStringLiteral("admin"), QStringLiteral("Иванов И.И."),
                                  QStringLiteral("Петров")}));
}

TEST_F(TableUserDBTest, InsertTrimsTextBeforeStoring) {
    insert_data_for_table_USER_DB(QStringLiteral("  Петров  "), QStringLiteral(" enc2 "));
    auto row = readRows(QStringLiteral("select FIO, PASS from USER_DB where ID = 2"));
    // CHAR pads with blanks; compare the untrimmed prefix to see no leading blanks were stored.
    EXPECT_TRUE(row->fieldByName(QStringLiteral("FIO")).asString().startsWith(QStringLiteral("Петров ")));
    EXPECT_TRUE(row->fieldByName(QStringLiteral("PASS")).asString().startsWith(QStringLiteral("enc2")));
}

TEST_F(TableUserDBTest, SelectStandsOnFirstRow) {
    auto users = select_data_of_table_USER_DB();
    ASSERT_FALSE(users->eof());
    EXPECT_EQ(users->fieldByName(QStringLiteral("FIO")).asString().trimmed(), "admin");
}

TEST_F(TableUserDBTest, BlankTextIsStoredAsNull) {
    insert_data_for_table_USER_DB(QStringLiteral("   "), QString());
    auto row = readRows(QStringLiteral("select FIO, PASS from USER_DB where ID = 2"));
    ASSERT_FALSE(row->eof());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("FIO")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("PASS")).isNull());
}

TEST_F(TableUserDBTest, FioOfFiftyCyrillicLettersFits) {
    // One byte per letter in the database's code page.
    const QString fio(50, QChar(0x0416));
    insert_data_for_table_USER_DB(fio, QStringLiteral("p"));
    EXPECT_EQ(GetFIObyUser_ID(2), fio);
}

TEST_F(TableUserDBTest, FioOverFiftyCharactersFailsWithTruncationAndWritesNothing) {
    try {
        insert_data_for_table_USER_DB(QString(51, QLatin1Char('x')), QStringLiteral("p"));
        FAIL() << "51 characters must not fit CHAR(50)";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("truncation"), Qt::CaseInsensitive)) << e.what();
    }
    runDatabase().IBTransaction2.commit();
    EXPECT_EQ(countUsers(), 1);
}

TEST_F(TableUserDBTest, PasswordOverTenCharactersFails) {
    EXPECT_THROW(insert_data_for_table_USER_DB(QStringLiteral("u"), QStringLiteral("12345678901")),
                 fb::Error);
}

TEST_F(TableUserDBTest, GetFioReturnsUntrimmedNameOrEmpty) {
    insert_data_for_table_USER_DB(QStringLiteral("Сидоров"), QStringLiteral("p"));

    const QString fio = GetFIObyUser_ID(2);
    EXPECT_EQ(fio.size(), 50);
    EXPECT_EQ(fio, QStringLiteral("Сидоров").leftJustified(50, QLatin1Char(' ')));
    EXPECT_EQ(GetFIObyUser_ID(1).trimmed(), "admin");
    EXPECT_EQ(GetFIObyUser_ID(99), QString());
    EXPECT_EQ(GetFIObyUser_ID(0), QString());
}

TEST_F(TableUserDBTest, GetFioForUserWithNullNameIsEmpty) {
    insert_data_for_table_USER_DB(QString(), QStringLiteral("p"));
    EXPECT_EQ(GetFIObyUser_ID(2), QString());
}

} // namespace
