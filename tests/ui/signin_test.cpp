#include "ui/SignIn.h"

#include <gtest/gtest.h>

namespace {

QVector<type_USER_DB> twoUsers() {
    return {{1, QStringLiteral("admin"), encode_string(QStringLiteral("kestu"))},
            {7, QStringLiteral("Иванов"), encode_string(QStringLiteral("Пароль1"))},
            type_USER_DB{}};
}

} // namespace

TEST(FdbExtension, AppendedWhenThePathHasNone) {
    EXPECT_EQ(withFdbExtension(QStringLiteral("D:\\base")), QStringLiteral("D:\\base.fdb"));
    EXPECT_EQ(withFdbExtension(QStringLiteral("/srv/db/base")), QStringLiteral("/srv/db/base.fdb"));
}

TEST(FdbExtension, ReplacesOnlyTheLastExtensionOfTheFileName) {
    EXPECT_EQ(withFdbExtension(QStringLiteral("/srv/db/base.gdb")), QStringLiteral("/srv/db/base.fdb"));
    EXPECT_EQ(withFdbExtension(QStringLiteral("/srv/db/base.old.gdb")),
              QStringLiteral("/srv/db/base.old.fdb"));
    EXPECT_EQ(withFdbExtension(QStringLiteral("/srv/db/base.fdb")), QStringLiteral("/srv/db/base.fdb"));
}

TEST(FdbExtension, DotInAFolderNameIsNotAnExtension) {
    EXPECT_EQ(withFdbExtension(QStringLiteral("/srv/db.v2/base")), QStringLiteral("/srv/db.v2/base.fdb"));
    EXPECT_EQ(withFdbExtension(QStringLiteral("C:\\data.d\\base")), QStringLiteral("C:\\data.d\\base.fdb"));
}

TEST(UserIndex, SpareLastEntryAndOutOfRangeAreNoUser) {
    const auto users = twoUsers();
    EXPECT_TRUE(isUserIndex(users, 0));
    EXPECT_TRUE(isUserIndex(users, 1));
    EXPECT_FALSE(isUserIndex(users, 2)); // the spare entry
    EXPECT_FALSE(isUserIndex(users, -1));
    EXPECT_FALSE(isUserIndex(users, 100));
    EXPECT_FALSE(isUserIndex({}, 0));
    EXPECT_FALSE(isUserIndex({type_USER_DB{}}, 0));
}

TEST(UserIndex, FindsTheFirstUserWithTheIdButNeverTheSpareEntry) {
    const auto users = twoUsers();
    EXPECT_EQ(indexOfUserById(users, 7), 1);
    EXPECT_EQ(indexOfUserById(users, 3), -1);
    // The spare entry has ID 0; a stored 0 must not pick it.
    EXPECT_EQ(indexOfUserById(users, 0), -1);
}

TEST(AutomaticSignIn, NeedsIdNameAndEncodedPasswordToMatch) {
    const auto users = twoUsers();
    const QString pass = encode_string(QStringLiteral("Пароль1"));
    EXPECT_EQ(automaticSignInUser(users, 7, QStringLiteral("Иванов"), pass), 1);
    EXPECT_EQ(automaticSignInUser(users, 7, QStringLiteral("иванов"), pass), -1);
    EXPECT_EQ(automaticSignInUser(users, 7, QStringLiteral("Иванов"), encode_string(QStringLiteral("new"))),
              -1);
    EXPECT_EQ(automaticSignInUser(users, 1, QStringLiteral("Иванов"), pass), -1);
    EXPECT_EQ(automaticSignInUser(users, -1, QString(), QString()), -1);
}

TEST(PasswordCheck, IgnoresSurroundingBlanksButNotCase) {
    const auto users = twoUsers();
    EXPECT_TRUE(passwordMatches(QStringLiteral("kestu"), users[0]));
    EXPECT_TRUE(passwordMatches(QStringLiteral("  kestu \t"), users[0]));
    EXPECT_FALSE(passwordMatches(QStringLiteral("KESTU"), users[0]));
    EXPECT_FALSE(passwordMatches(QStringLiteral("kes tu"), users[0]));
    EXPECT_TRUE(passwordMatches(QStringLiteral("Пароль1"), users[1]));
    EXPECT_FALSE(passwordMatches(QString(), users[0]));
}
