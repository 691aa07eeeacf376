#include "app/Connection.h"
#include "app/Variable.h"
#include "fb/Error.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

using testsupport::FreshDatabase;
using testsupport::ServerFolder;

namespace {

using testsupport::execUnchecked;

void createTable(RunDatabase& db) {
    execUnchecked(db, QStringLiteral("create table T (ID integer not null primary key, NAME varchar(20))"));
}

int countRows(RunDatabase& db, fb::Transaction& tr) {
    fb::Query q(db.IBDatabase1, tr);
    q.setSql(QStringLiteral("select count(*) as N from T"));
    q.open();
    return q.fieldByName(QStringLiteral("N")).asInteger();
}

void setConnection(const QString& path, const QString& password,
                   const QString& host = QStringLiteral("127.0.0.1")) {
    ConfIniFile.PatchToBasse = path;
    ConfIniFile.LoginByBasse = QStringLiteral("SYSDBA");
    ConfIniFile.PassByBasse = password;
    ConfIniFile.IP = host;
}

} // namespace

TEST(CreateDataBase, StatementHasTheFixedUserPageSizeAndCharacterSet) {
    EXPECT_EQ(createDatabaseStatement(QStringLiteral("srv"), QStringLiteral("/d/b.fdb")),
              QStringLiteral("CREATE DATABASE 'srv:/d/b.fdb' user 'SYSDBA' password 'quillfern' \r\n"
                             "page_size 4096\r\ndefault character set win1251\r\n"));
}

TEST(CreateDataBase, QuotesInThePathAreDoubledInTheStatement) {
    EXPECT_EQ(createDatabaseStatement(QStringLiteral("srv"), QStringLiteral("/d/it's.fdb")),
              QStringLiteral("CREATE DATABASE 'srv:/d/it''s.fdb' user 'SYSDBA' password 'quillfern' \r\n"
                             "page_size 4096\r\ndefault character set win1251\r\n"));
}

TEST(CreateDataBase, PathWithAnApostropheCreatesThatFile) {
    ServerFolder folder;
    const QString path = folder.file(QStringLiteral("O'Brien's base.fdb"));
    CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
    EXPECT_TRUE(QFile::exists(path));

    RunDatabase db;
    setConnection(path, QStringLiteral("quillfern"));
    ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
    EXPECT_TRUE(db.IBDatabase1.connected());
}

TEST(CreateDataBase, MakesTheFileAndRefusesAnExistingOne) {
    ServerFolder folder;
    const QString path = folder.file(QStringLiteral("new.fdb"));
    CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
    EXPECT_TRUE(QFile::exists(path));
    try {
        CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
        FAIL() << "a second create of the same file succeeded";
    } catch (const fb::Error& e) {
        EXPECT_FALSE(e.text().isEmpty());
    }
}

TEST_F(FreshDatabase, NewDatabaseHasPageSize4096AndWin1251) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(
        QStringLiteral("select MON$PAGE_SIZE as PS, (select RDB$CHARACTER_SET_NAME from RDB$DATABASE) as CS "
                       "from MON$DATABASE"));
    q.open();
    EXPECT_EQ(q[QStringLiteral("PS")].asInteger(), 4096);
    EXPECT_EQ(q[QStringLiteral("CS")].asString().trimmed(), QStringLiteral("WIN1251"));
}

TEST_F(FreshDatabase, ConnectOnAnOpenConnectionFailsAndChangesNothing) {
    const QString nameBefore = db.IBDatabase1.databaseName();
    ConfIniFile.PatchToBasse = QStringLiteral("/elsewhere.fdb");
    try {
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        FAIL() << "connect on an open connection succeeded";
    } catch (const fb::Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Cannot perform operation -- DB is currently open"));
    }
    EXPECT_EQ(db.IBDatabase1.databaseName(), nameBefore);
    EXPECT_TRUE(db.IBTransaction1.active());
    createTable(db); // still usable
}

TEST_F(FreshDatabase, DdlAndDmlRunThroughBothTransactions) {
    createTable(db);
    fb::Query insert(db.IBDatabase1, db.IBTransaction2);
    insert.setSql(QStringLiteral("insert into T (ID, NAME) values (:perID, :perNAME)"));
    insert.setParam(QStringLiteral("perID"), 1);
    insert.setParam(QStringLiteral("perNAME"), QStringLiteral("one"));
    EXPECT_FALSE(db.IBTransaction2.active());
    insert.execSql(); // the first statement starts the write transaction
    EXPECT_TRUE(db.IBTransaction2.active());
    db.IBTransaction2.commit();
    EXPECT_FALSE(db.IBTransaction2.active());
    EXPECT_EQ(countRows(db, db.IBTransaction1), 1);
}

TEST_F(FreshDatabase, ReadTransactionSeesRowsCommittedByAnotherAttachment) {
    createTable(db);
    EXPECT_EQ(countRows(db, db.IBTransaction1), 0);
    auto other = testsupport::connectAnother(dbPath);
    execUnchecked(*other, QStringLiteral("insert into T (ID) values (5)"));
    EXPECT_EQ(countRows(db, db.IBTransaction1), 1);
}

TEST_F(FreshDatabase, LockConflictFailsAtOnceWithTheServersText) {
    createTable(db);
    execUnchecked(db, QStringLiteral("insert into T (ID, NAME) values (1, 'a')"));
    auto other = testsupport::connectAnother(dbPath);
    fb::Query holder(other->IBDatabase1, other->IBTransaction2);
    holder.setSql(QStringLiteral("update T set NAME = 'other' where ID = 1"));
    holder.execSql(); // left uncommitted

    fb::Query mine(db.IBDatabase1, db.IBTransaction2);
    mine.setSql(QStringLiteral("update T set NAME = 'mine' where ID = 1"));
    try {
        mine.execSql();
        FAIL() << "update of a locked row succeeded";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.isLockConflict());
        EXPECT_TRUE(e.text().contains(QStringLiteral("conflict"), Qt::CaseInsensitive)) << e.what();
    }
    other->IBTransaction2.rollback();
    db.IBTransaction2.commit(); // the failed statement left the write transaction open
}

TEST_F(FreshDatabase, CommitClosesResultSetsOfThatTransaction) {
    createTable(db);
    execUnchecked(db, QStringLiteral("insert into T (ID) values (1)"));
    fb::Query reader(db.IBDatabase1, db.IBTransaction2);
    reader.setSql(QStringLiteral("select * from T"));
    reader.open();
    ASSERT_TRUE(reader.isOpen());
    fb::Query readerOn1(db.IBDatabase1, db.IBTransaction1);
    readerOn1.setSql(QStringLiteral("select * from T"));
    readerOn1.open();

    execUnchecked(db, QStringLiteral("insert into T (ID) values (2)"));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_TRUE(reader.eof());
    EXPECT_EQ(reader[QStringLiteral("ID")].asInteger(), 0);
    EXPECT_TRUE(readerOn1.isOpen());
    EXPECT_EQ(readerOn1[QStringLiteral("ID")].asInteger(), 1);
}

TEST(ConnectToBase, FailedConnectLeavesItClosedAndARetrySucceeds) {
    ServerFolder folder;
    const QString path = folder.file(QStringLiteral("retry.fdb"));
    CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
    RunDatabase db;

    setConnection(path, QStringLiteral("wrong-password"));
    EXPECT_THROW(ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1), fb::Error);
    EXPECT_FALSE(db.IBDatabase1.connected());
    EXPECT_FALSE(db.IBTransaction1.active());
    EXPECT_EQ(db.IBDatabase1.databaseName(), QStringLiteral("127.0.0.1:") + path);

    // Nothing listens on this loopback address, so the client fails at once.
    setConnection(path, QStringLiteral("quillfern"), QStringLiteral("127.0.0.1/1"));
    EXPECT_THROW(ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1), fb::Error);
    EXPECT_FALSE(db.IBDatabase1.connected());

    setConnection(path, QStringLiteral("quillfern"));
    ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
    EXPECT_TRUE(db.IBDatabase1.connected());
    EXPECT_TRUE(db.IBTransaction1.active());
}

TEST_F(FreshDatabase, ReadTransactionRefusesWritesButDrawsGeneratorValues) {
    execUnchecked(db, QStringLiteral("create sequence G"));
    createTable(db);
    EXPECT_EQ(db.IBTransaction1.access(), fb::Transaction::ReadOnly);

    fb::Query writer(db.IBDatabase1, db.IBTransaction1);
    writer.setSql(QStringLiteral("insert into T (ID) values (1)"));
    try {
        writer.execSql();
        FAIL() << "the read transaction wrote a row";
    } catch (const fb::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("read-only"), Qt::CaseInsensitive)) << e.what();
    }

    fb::Query generator(db.IBDatabase1, db.IBTransaction1);
    generator.setSql(QStringLiteral("select gen_id(G, 1) as GEN_ID from RDB$DATABASE"));
    generator.open();
    EXPECT_EQ(generator[QStringLiteral("GEN_ID")].asInteger(), 1);
    generator.open();
    EXPECT_EQ(generator[QStringLiteral("GEN_ID")].asInteger(), 2);
    // Drawn values are used up for everyone at once, not at a commit.
    auto other = testsupport::connectAnother(dbPath);
    fb::Query seen(other->IBDatabase1, other->IBTransaction1);
    seen.setSql(QStringLiteral("select next value for G from RDB$DATABASE"));
    seen.open();
    EXPECT_EQ(seen.field(0).asInteger(), 3);
    EXPECT_EQ(countRows(db, db.IBTransaction1), 0);
}

TEST_F(FreshDatabase, OneWriteTransactionCommitsAllStatementsTogether) {
    createTable(db);
    // An open result set of the write transaction survives the helper's commit.
    execUnchecked(db, QStringLiteral("insert into T (ID) values (1)"));
    fb::Query openReader(db.IBDatabase1, db.IBTransaction2);
    openReader.setSql(QStringLiteral("select ID from T"));
    openReader.open();

    inOneWriteTransaction([&](fb::Transaction& tr) {
        for (int id : {2, 3}) {
            fb::Query insert(tr.database(), tr);
            insert.setSql(QStringLiteral("insert into T (ID) values (:perID)"));
            insert.setParam(QStringLiteral("perID"), id);
            insert.execSql();
        }
        EXPECT_EQ(countRows(db, db.IBTransaction1), 1) << "nothing is visible before the commit";
    });
    EXPECT_EQ(countRows(db, db.IBTransaction1), 3);
    EXPECT_TRUE(openReader.isOpen());
    EXPECT_EQ(openReader[QStringLiteral("ID")].asInteger(), 1);
}

TEST_F(FreshDatabase, OneWriteTransactionRollsBackEverythingOnFailure) {
    createTable(db);
    EXPECT_THROW(inOneWriteTransaction([&](fb::Transaction& tr) {
                     fb::Query insert(tr.database(), tr);
                     insert.setSql(QStringLiteral("insert into T (ID) values (:perID)"));
                     insert.setParam(QStringLiteral("perID"), 1);
                     insert.execSql();
                     insert.execSql(); // the same key again
                 }),
                 fb::Error);
    EXPECT_EQ(countRows(db, db.IBTransaction1), 0);

    // The rows it had written are not left locked.
    fb::Query insert(db.IBDatabase1, db.IBTransaction2);
    insert.setSql(QStringLiteral("insert into T (ID) values (1)"));
    insert.execSql();
    db.IBTransaction2.commit();
    EXPECT_EQ(countRows(db, db.IBTransaction1), 1);
}
