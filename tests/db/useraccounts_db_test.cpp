#include "app/Variable.h"
#include "db/UserAccounts.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <gtest/gtest.h>

using testsupport::execWrite;
using testsupport::readRows;

namespace {

class UserAccountsTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров', 'p')"));
        other = testsupport::connectAnother(dbPath);
    }
    void TearDown() override {
        other.reset();
        SchemaDatabase::TearDown();
    }

    void inOtherCopy(const QString& sql) {
        fb::Query query(other->IBDatabase1, other->IBTransaction2);
        query.setSql(sql);
        query.execSql();
        other->IBTransaction2.commit();
    }

    QString passOf(int id) {
        return readRows(QStringLiteral("select PASS from USER_DB where ID = %1").arg(id))
            ->field(0)
            .asString()
            .trimmed();
    }

    std::unique_ptr<RunDatabase> other;
};

TEST_F(UserAccountsTest, ReadsTheStoredFormAndTellsNullFromMissing) {
    const StoredUserPassword admin = readStoredPassword(1);
    ASSERT_TRUE(admin.found);
    ASSERT_TRUE(admin.pass.has_value());
    EXPECT_EQ(decode_string(admin.pass->trimmed()), QStringLiteral("kestu"));

    execWrite(QStringLiteral("update USER_DB set PASS = NULL where ID = 2"));
    EXPECT_TRUE(readStoredPassword(2).found);
    EXPECT_FALSE(readStoredPassword(2).pass.has_value());
    EXPECT_FALSE(readStoredPassword(99).found);
    EXPECT_FALSE(readStoredPassword(0).found); // 0 binds NULL: no user
}

// The other copy changes the password between our read and our write.
TEST_F(UserAccountsTest, ChangeCheckedAgainstAPasswordChangedMeanwhileIsRefused) {
    const StoredUserPassword read = readStoredPassword(1);
    inOtherCopy(QStringLiteral("update USER_DB set PASS = '%1' where ID = 1").arg(encode_string("theirs")));

    EXPECT_EQ(changePasswordIfUnchanged(1, read.pass, encode_string(QStringLiteral("mine"))),
              PasswordChange::PasswordChangedMeanwhile);
    EXPECT_EQ(passOf(1), encode_string(QStringLiteral("theirs")));
}

TEST_F(UserAccountsTest, ChangeChangesOnlyTheOwnRow) {
    const StoredUserPassword read = readStoredPassword(1);
    EXPECT_EQ(changePasswordIfUnchanged(1, read.pass, encode_string(QStringLiteral("mine"))),
              PasswordChange::Changed);
    EXPECT_EQ(passOf(1), encode_string(QStringLiteral("mine")));
    EXPECT_EQ(passOf(2), QStringLiteral("p"));
}

TEST_F(UserAccountsTest, NullPasswordIsMatchedAsNull) {
    execWrite(QStringLiteral("update USER_DB set PASS = NULL where ID = 1"));
    EXPECT_EQ(changePasswordIfUnchanged(1, QString(), encode_string(QStringLiteral("x"))),
              PasswordChange::PasswordChangedMeanwhile); // '' is not NULL
    EXPECT_EQ(changePasswordIfUnchanged(1, std::nullopt, encode_string(QStringLiteral("x"))),
              PasswordChange::Changed);
}

TEST_F(UserAccountsTest, ChangeOfAUserAnotherCopyDeletedTellsSo) {
    const StoredUserPassword read = readStoredPassword(1);
    inOtherCopy(QStringLiteral("delete from USER_DB where ID = 1"));
    EXPECT_EQ(changePasswordIfUnchanged(1, read.pass, encode_string(QStringLiteral("mine"))),
              PasswordChange::UserGone);
    EXPECT_EQ(passOf(2), QStringLiteral("p"));
}

TEST_F(UserAccountsTest, NamesAreComparedTrimmedWithoutRegardToCase) {
    EXPECT_TRUE(userNameTaken(QStringLiteral("admin")));
    EXPECT_TRUE(userNameTaken(QStringLiteral("  ADMIN ")));
    EXPECT_TRUE(userNameTaken(QStringLiteral("ПЕТРОВ")));
    EXPECT_FALSE(userNameTaken(QStringLiteral("Петрова")));
    inOtherCopy(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Сидоров', 's')"));
    EXPECT_TRUE(userNameTaken(QStringLiteral("сидоров")));
}

} // namespace
