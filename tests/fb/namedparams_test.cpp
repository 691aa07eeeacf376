#include "fb/NamedParams.h"

#include <gtest/gtest.h>

using fb::toPositional;

TEST(NamedParams, PlaceholdersBecomePositionalInOrder) {
    const auto p = toPositional(QStringLiteral("update T set A = :perA, B = :perB where ID = :perID"));
    EXPECT_EQ(p.sql, QStringLiteral("update T set A = ?, B = ? where ID = ?"));
    EXPECT_EQ(p.names, (QStringList{"perA", "perB", "perID"}));
}

TEST(NamedParams, RepeatedNameTakesTwoSlots) {
    const auto p = toPositional(QStringLiteral("select * from T where A = :x or B = :x"));
    EXPECT_EQ(p.sql, QStringLiteral("select * from T where A = ? or B = ?"));
    EXPECT_EQ(p.names, (QStringList{"x", "x"}));
}

TEST(NamedParams, QuotedTextAndCommentsAreLeftAlone) {
    const QString cases[] = {
        QStringLiteral("select ':perX' from T"),       QStringLiteral("select 'it''s :perX' from T"),
        QStringLiteral("select \":perX\" from T"),     QStringLiteral("select 1 from T -- :perX\n"),
        QStringLiteral("select 1 /* :perX */ from T"), QStringLiteral("select q'{it's :perX}' from T"),
        QStringLiteral("select Q'(:perX)' from T"),
    };
    for (const QString& sql : cases) {
        const auto p = toPositional(sql);
        EXPECT_EQ(p.sql, sql) << sql.toStdString();
        EXPECT_TRUE(p.names.isEmpty()) << sql.toStdString();
    }
}

TEST(NamedParams, NameAfterLiteralIsStillFound) {
    const auto p = toPositional(QStringLiteral("select 'a:b' from T where X = :perX -- :no\n and Y = :perY"));
    EXPECT_EQ(p.names, (QStringList{"perX", "perY"}));
    EXPECT_EQ(p.sql, QStringLiteral("select 'a:b' from T where X = ? -- :no\n and Y = ?"));
}

TEST(NamedParams, UnterminatedLiteralDoesNotRunPastTheEnd) {
    EXPECT_EQ(toPositional(QStringLiteral("select 'abc")).sql, QStringLiteral("select 'abc"));
    EXPECT_EQ(toPositional(QStringLiteral("select /* abc")).sql, QStringLiteral("select /* abc"));
    EXPECT_EQ(toPositional(QStringLiteral("select q'{abc")).sql, QStringLiteral("select q'{abc"));
    EXPECT_EQ(toPositional(QStringLiteral("a :")).sql, QStringLiteral("a :"));
}

TEST(NamedParams, ColonWithoutNameIsNotAParameter) {
    const auto p = toPositional(QStringLiteral("select '12:30', 1 :: 2 from T"));
    EXPECT_TRUE(p.names.isEmpty());
}
