#include "fb/Error.h"
#include "support/TestDatabase.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class QueryTest : public testsupport::FreshDatabase {
protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        exec(QStringLiteral("create table T (ID integer not null primary key, N integer, C char(10), "
                            "V varchar(30), RAW char(20) character set none, B blob sub_type 0)"));
    }

    void exec(const QString& sql) { testsupport::execUnchecked(db, sql); }

    // Reads one row of T in the read transaction.
    std::unique_ptr<fb::Query> row(int id) {
        auto q = std::make_unique<fb::Query>(db.IBDatabase1, db.IBTransaction1);
        q->setSql(QStringLiteral("select * from T where ID = :perID"));
        q->setParamInt(QStringLiteral("perID"), id);
        q->open();
        return q;
    }

    fb::Query writer{db.IBDatabase1, db.IBTransaction2};
};

} // namespace

TEST_F(QueryTest, RepeatedNameBindsBothPlaces) {
    exec(QStringLiteral("insert into T (ID, N) values (1, 10)"));
    exec(QStringLiteral("insert into T (ID, N) values (2, 20)"));
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select ID from T where ID = :perX or N = :perX * 10 order by ID"));
    q.setParamInt(QStringLiteral("perX"), 2);
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q[QStringLiteral("ID")].asInteger(), 2);
    q.next();
    EXPECT_TRUE(q.eof());
}

TEST_F(QueryTest, NameInsideQuotedLiteralIsText) {
    writer.setSql(QStringLiteral("insert into T (ID, V) values (:perID, ':perID is text')"));
    EXPECT_EQ(writer.paramNames(), QStringList{QStringLiteral("perID")});
    writer.setParam(QStringLiteral("perID"), 3);
    writer.execSql();
    db.IBTransaction2.commit();
    EXPECT_EQ(row(3)->fieldByName(QStringLiteral("V")).asString(), QStringLiteral(":perID is text"));
}

TEST_F(QueryTest, ZeroAndBlankTextBindAsNullOtherTextTrimmed) {
    writer.setSql(QStringLiteral("insert into T (ID, N, V, C) values (:perID, :perN, :perV, :perC)"));
    writer.setParam(QStringLiteral("perID"), 1);
    writer.setParam(QStringLiteral("perN"), 0);
    writer.setParam(QStringLiteral("perV"), QStringLiteral("   "));
    writer.setParam(QStringLiteral("perC"), QStringLiteral("  ab  "));
    writer.execSql();
    db.IBTransaction2.commit();
    auto q = row(1);
    EXPECT_TRUE(q->fieldByName(QStringLiteral("N")).isNull());
    EXPECT_EQ(q->fieldByName(QStringLiteral("N")).asInteger(), 0);
    EXPECT_TRUE(q->fieldByName(QStringLiteral("V")).isNull());
    EXPECT_EQ(q->fieldByName(QStringLiteral("C")).asString(), QStringLiteral("ab        ")); // CHAR pads
}

TEST_F(QueryTest, ExactBindingKeepsZeroAndBlanks) {
    writer.setSql(QStringLiteral("insert into T (ID, N, V) values (:perID, :perN, :perV)"));
    writer.setParamInt(QStringLiteral("perID"), 1);
    writer.setParamInt(QStringLiteral("perN"), 0);
    writer.setParamText(QStringLiteral("perV"), QStringLiteral("  x "));
    writer.execSql();
    db.IBTransaction2.commit();
    auto q = row(1);
    EXPECT_FALSE(q->fieldByName(QStringLiteral("N")).isNull());
    EXPECT_EQ(q->fieldByName(QStringLiteral("V")).asString(), QStringLiteral("  x "));
}

TEST_F(QueryTest, UnboundOrUnknownParameterIsAnError) {
    writer.setSql(QStringLiteral("insert into T (ID, N) values (:perID, :perN)"));
    writer.setParam(QStringLiteral("perID"), 1);
    EXPECT_THROW(writer.execSql(), fb::Error);
    EXPECT_THROW(writer.setParam(QStringLiteral("perNope"), 1), fb::Error);
    EXPECT_THROW(row(1)->fieldByName(QStringLiteral("NOPE")), fb::Error);
}

TEST_F(QueryTest, ParameterAndFieldNamesIgnoreCase) {
    writer.setSql(QStringLiteral("insert into T (ID, N) values (:perID, :PERN)"));
    writer.setParam(QStringLiteral("PERID"), 4);
    writer.setParam(QStringLiteral("pern"), 44);
    writer.execSql();
    db.IBTransaction2.commit();
    EXPECT_EQ(row(4)->fieldByName(QStringLiteral("n")).asInteger(), 44);
}

TEST_F(QueryTest, BlobRoundTripsEveryByteValueAndOneMebibyte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QByteArray big(1024 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(42);
    for (char& c : big)
        c = static_cast<char>(rng.bounded(256));

    int id = 0;
    for (const QByteArray& bytes : {all, big, QByteArray()}) {
        writer.setSql(QStringLiteral("insert into T (ID, B) values (:perID, :perB)"));
        writer.setParam(QStringLiteral("perID"), ++id);
        writer.setParamBlob(QStringLiteral("perB"), bytes);
        writer.execSql();
        db.IBTransaction2.commit();
        EXPECT_EQ(row(id)->fieldByName(QStringLiteral("B")).asBytes(), bytes) << "blob " << id;
    }
}

TEST_F(QueryTest, CyrillicSurvivesCharVarcharAndCharacterSetNone) {
    const QString text = QStringLiteral("Привет Ёё №");
    writer.setSql(QStringLiteral("insert into T (ID, C, V, RAW) values (1, :perC, :perV, :perRAW)"));
    writer.setParam(QStringLiteral("perC"), text.left(10));
    writer.setParam(QStringLiteral("perV"), text);
    writer.setParam(QStringLiteral("perRAW"), text);
    writer.execSql();
    db.IBTransaction2.commit();
    auto q = row(1);
    EXPECT_EQ(q->fieldByName(QStringLiteral("C")).asString(), text.left(10));
    EXPECT_EQ(q->fieldByName(QStringLiteral("V")).asString(), text);
    EXPECT_EQ(q->fieldByName(QStringLiteral("RAW")).asString().trimmed(), text);

    // The same text as a literal in the statement itself.
    exec(QStringLiteral("insert into T (ID, V) values (2, 'Привет Ёё №')"));
    EXPECT_EQ(row(2)->fieldByName(QStringLiteral("V")).asString(), text);
}

TEST_F(QueryTest, LastStandsOnTheFinalRowAndEmptyResultReadsDefaults) {
    for (int id : {3, 1, 2})
        exec(QStringLiteral("insert into T (ID, V) values (%1, 'r%1')").arg(id));
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select * from T order by ID"));
    q.open();
    q.last();
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(q[QStringLiteral("ID")].asInteger(), 3);
    EXPECT_EQ(q[QStringLiteral("V")].asString(), QStringLiteral("r3"));
    q.next();
    EXPECT_TRUE(q.eof());

    q.setSql(QStringLiteral("select * from T where ID < 0"));
    q.open();
    q.last();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q[QStringLiteral("ID")].asInteger(), 0);
    EXPECT_EQ(q[QStringLiteral("V")].asString(), QString());
}

TEST_F(QueryTest, ServerErrorCarriesItsMessageAndLeavesTheQueryUsable) {
    writer.setSql(QStringLiteral("insert into T (ID, C) values (1, :perC)"));
    writer.setParam(QStringLiteral("perC"), QStringLiteral("far too long for ten"));
    try {
        writer.execSql();
        FAIL() << "string truncation went unnoticed";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("truncation"), Qt::CaseInsensitive)) << e.what();
    }
    writer.setParam(QStringLiteral("perC"), QStringLiteral("short"));
    writer.execSql();
    db.IBTransaction2.commit();
    EXPECT_EQ(row(1)->fieldByName(QStringLiteral("C")).asString().trimmed(), QStringLiteral("short"));
}

TEST_F(QueryTest, OtherColumnTypesReadAsText) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select cast('2026-12-09' as date) as D, cast(-12.5 as numeric(9,2)) as M "
                            "from RDB$DATABASE"));
    q.open();
    EXPECT_EQ(q[QStringLiteral("D")].asString(), QStringLiteral("2026-12-09"));
    EXPECT_EQ(q[QStringLiteral("M")].asString(), QStringLiteral("-12.50"));
    EXPECT_EQ(q[QStringLiteral("M")].asInteger(), -12);
}

TEST_F(QueryTest, PsqlBodyPassesUntouchedWithoutParameterCheck) {
    exec(QStringLiteral("create procedure P (A integer) returns (R integer) as declare variable X integer; "
                        "begin X = :A * 2; R = :X; suspend; end"));
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select R from P(:perA)"));
    q.setParamInt(QStringLiteral("perA"), 21);
    q.open();
    EXPECT_EQ(q[QStringLiteral("R")].asInteger(), 42);
}

TEST_F(QueryTest, FailedPrepareFailsAgainTheSameWayAndLeavesTheQueryUsable) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select ID from T where ID = ?")); // a parameter without a name
    QString first;
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            q.open();
            FAIL() << "a statement with an unnamed parameter ran";
        } catch (const fb::Error& e) {
            if (attempt == 0)
                first = e.text();
            else
                EXPECT_EQ(e.text(), first) << "the second run met a half-prepared statement";
        }
    }
    EXPECT_TRUE(first.contains(QStringLiteral("parameters"))) << first.toStdString();
    EXPECT_EQ(q.fieldCount(), 0);

    exec(QStringLiteral("insert into T (ID) values (7)"));
    q.setSql(QStringLiteral("select ID from T"));
    q.open();
    EXPECT_EQ(q[QStringLiteral("ID")].asInteger(), 7);
}

TEST_F(QueryTest, LastTwiceStaysOnTheFinalRow) {
    for (int id : {1, 2, 3})
        exec(QStringLiteral("insert into T (ID, V) values (%1, 'r%1')").arg(id));
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select * from T order by ID"));
    q.open();
    q.last();
    q.last();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q[QStringLiteral("ID")].asInteger(), 3);
    EXPECT_EQ(q[QStringLiteral("V")].asString(), QStringLiteral("r3"));
    q.next();
    EXPECT_TRUE(q.eof());
    q.last();
    EXPECT_TRUE(q.eof());
}

TEST_F(QueryTest, RowsAffectedCountsTheRowsTheLastStatementChanged) {
    EXPECT_EQ(writer.rowsAffected(), -1);
    writer.setSql(QStringLiteral("insert into T (ID) values (:perID)"));
    for (int id : {1, 2, 3}) {
        writer.setParam(QStringLiteral("perID"), id);
        writer.execSql();
        EXPECT_EQ(writer.rowsAffected(), 1);
    }
    writer.setSql(QStringLiteral("update T set N = 5 where ID < :perID"));
    EXPECT_EQ(writer.rowsAffected(), -1) << "a new statement has not run yet";
    writer.setParam(QStringLiteral("perID"), 3);
    writer.execSql();
    EXPECT_EQ(writer.rowsAffected(), 2);
    writer.setSql(QStringLiteral("delete from T where ID = 99"));
    writer.execSql();
    EXPECT_EQ(writer.rowsAffected(), 0);
    db.IBTransaction2.commit();

    fb::Query reader(db.IBDatabase1, db.IBTransaction1);
    reader.setSql(QStringLiteral("select * from T"));
    reader.open();
    EXPECT_EQ(reader.rowsAffected(), -1);
}
