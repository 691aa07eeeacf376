#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "db/TableServers.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"

#include <gtest/gtest.h>

namespace {

using testsupport::execWrite;
using testsupport::readRows;

std::unique_ptr<fb::Query> serverRowOf(int treeId) {
    return readRows(QStringLiteral("select * from SERVERS where ID_TREETABLE = %1").arg(treeId));
}

class TableServersTest : public testsupport::SchemaDatabase {
protected:
    // A tree object with its server row; returns SERVERS.ID.
    int addObjectWithServer(int treeId, const QString& caption = QStringLiteral("srv")) {
        execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, ID_ICO, POSITION_, TYPE_NODE) "
                                 "values (%1, 0, '%2', 7, 1, 0)")
                      .arg(treeId)
                      .arg(caption));
        insertDataInSERVERS(treeId, QStringLiteral("host.example"), QStringLiteral("10.0.0.1"),
                            QStringLiteral("3389"), QStringLiteral("UTF-8"));
        return serverRowOf(treeId)->fieldByName(QStringLiteral("ID")).asInteger();
    }

    void update(int serverId, int defaultKeys, int rdpOrSsh,
                const QByteArray& notes = QByteArray("{\\rtf1}")) {
        update_for_table_SERVERS(serverId, QStringLiteral("host.example"), QStringLiteral("10.0.0.1"),
                                 QStringLiteral("22"), QStringLiteral("KOI8-R"), defaultKeys, 1, rdpOrSsh,
                                 notes);
    }
};

TEST_F(TableServersTest, InsertStoresTrimmedTextAndBlankPortAndCodePageAsNull) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'a')"));
    insertDataInSERVERS(1, QStringLiteral("  host.example  "), QStringLiteral(" 10.0.0.1"), QString(),
                        QStringLiteral("   "));

    auto row = serverRowOf(1);
    ASSERT_FALSE(row->eof());
    EXPECT_EQ(row->fieldByName(QStringLiteral("DOMAIN_NAME")).asString().trimmed(), "host.example");
    EXPECT_EQ(row->fieldByName(QStringLiteral("IP_ADDRES")).asString().trimmed(), "10.0.0.1");
    EXPECT_TRUE(row->fieldByName(QStringLiteral("PORT")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("TRANSLATION_")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("DEFAUL_PASS")).isNull());
}

TEST_F(TableServersTest, InsertForMissingTreeObjectFailsOnForeignKey) {
    EXPECT_THROW(insertDataInSERVERS(99, QStringLiteral("h"), QString(), QString(), QString()), fb::Error);
    EXPECT_TRUE(readRows(QStringLiteral("select * from SERVERS"))->eof());
}

TEST_F(TableServersTest, InsertOfTooLongPortFailsAndLaterWritesStillWork) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'a')"));
    EXPECT_THROW(insertDataInSERVERS(1, QStringLiteral("h"), QString(), QStringLiteral("123456"), QString()),
                 fb::Error);
    insertDataInSERVERS(1, QStringLiteral("h"), QString(), QStringLiteral("12345"), QString());
    EXPECT_EQ(serverRowOf(1)->fieldByName(QStringLiteral("PORT")).asString().trimmed(), "12345");
}

TEST_F(TableServersTest, SelectJoinsTreeRowAndReadsEveryColumnByItsAlias) {
    const int serverId = addObjectWithServer(3, QStringLiteral("web"));
    update(serverId, 4, 2);

    auto row = SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(3);
    ASSERT_FALSE(row->eof());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_TREETABLE")).asInteger(), 3);
    EXPECT_EQ(row->fieldByName(QStringLiteral("TYPE_NODE")).asInteger(), 0);
    EXPECT_EQ(row->fieldByName(QStringLiteral("TEXT_TREETABLE")).asString().trimmed(), "web");
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_ICO_TREETABLE")).asInteger(), 7);
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_SERVERS")).asInteger(), serverId);
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_TREETABLE_SERVERS")).asInteger(), 3);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DOMAIN_NAME_SERVERS")).asString().trimmed(), "host.example");
    EXPECT_EQ(row->fieldByName(QStringLiteral("IP_ADDRESS_SERVERS")).asString().trimmed(), "10.0.0.1");
    EXPECT_EQ(row->fieldByName(QStringLiteral("PORT_SERVERS")).asString().trimmed(), "22");
    EXPECT_EQ(row->fieldByName(QStringLiteral("TRANSLATION_SERVERS")).asString().trimmed(), "KOI8-R");
    EXPECT_EQ(row->fieldByName(QStringLiteral("DEFAUL_PASS_SERVERS")).asInteger(), 4);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DEFAUL_DNS_OR_IP_SERVERS")).asInteger(), 1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DEFAUL_RDP_OR_SSH_SERVERS")).asInteger(), 2);
    EXPECT_EQ(row->fieldByName(QStringLiteral("NOTES_SERVERS")).asBytes(), QByteArray("{\\rtf1}"));
}

TEST_F(TableServersTest, SelectForObjectWithoutServerRowIsEmpty) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (5, 0, 'folder')"));
    auto row = SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(5);
    EXPECT_TRUE(row->eof());
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_SERVERS")).asInteger(), 0);
}

TEST_F(TableServersTest, SelectStandsOnLastRowWhenAnObjectHasTwoServerRows) {
    addObjectWithServer(1);
    insertDataInSERVERS(1, QStringLiteral("second.example"), QString(), QString(), QString());
    auto row = SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(1);
    ASSERT_FALSE(row->eof());
    const int lastServerId = readRows(QStringLiteral("select max(ID) as ID from SERVERS"))
                                 ->fieldByName(QStringLiteral("ID"))
                                 .asInteger();
    EXPECT_EQ(row->fieldByName(QStringLiteral("ID_SERVERS")).asInteger(), lastServerId);
}

TEST_F(TableServersTest, UpdateWithDefaultKeySetZeroKeepsThePreviousOne) {
    const int serverId = addObjectWithServer(1);
    update(serverId, 12, 1);
    update(serverId, 0, 2);

    auto row = serverRowOf(1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DEFAUL_PASS")).asInteger(), 12);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DEFAUL_RDP_OR_SSH")).asInteger(), 2);
    EXPECT_EQ(row->fieldByName(QStringLiteral("PORT")).asString().trimmed(), "22");
}

TEST_F(TableServersTest, UpdateWithConnectionKindZeroStoresNull) {
    const int serverId = addObjectWithServer(1);
    update(serverId, 3, 1);
    update_for_table_SERVERS(serverId, QStringLiteral("h"), QStringLiteral(" "), QString(), QString(), 3, 0,
                             0, QByteArray("x"));

    auto row = serverRowOf(1);
    EXPECT_TRUE(row->fieldByName(QStringLiteral("DEFAUL_RDP_OR_SSH")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("DEFAUL_DNS_OR_IP")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("IP_ADDRES")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("PORT")).isNull());
}

TEST_F(TableServersTest, NegativeDefaultKeySetIsRefusedAndWritesNothing) {
    const int serverId = addObjectWithServer(1);
    update(serverId, 8, 1);

    EXPECT_THROW(update_for_table_SERVERS(serverId, QStringLiteral("changed"), QString(), QString(),
                                          QString(), -1, 2, 2, QByteArray("new notes")),
                 fb::Error);

    auto row = serverRowOf(1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DOMAIN_NAME")).asString().trimmed(), "host.example");
    EXPECT_EQ(row->fieldByName(QStringLiteral("DEFAUL_PASS")).asInteger(), 8);
    EXPECT_EQ(row->fieldByName(QStringLiteral("NOTES")).asBytes(), QByteArray("{\\rtf1}"));
}

TEST_F(TableServersTest, NotesAreStoredByteForByteWithoutTrimming) {
    const int serverId = addObjectWithServer(1);
    QByteArray notes("  {\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}\r\n  ");
    for (int byte = 0; byte < 256; ++byte)
        notes.append(char(byte));
    notes.append(QByteArray(70000, 'z')); // more than one segment
    update(serverId, 0, 1, notes);

    EXPECT_EQ(serverRowOf(1)->fieldByName(QStringLiteral("NOTES")).asBytes(), notes);
    EXPECT_EQ(SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(1)
                  ->fieldByName(QStringLiteral("NOTES_SERVERS"))
                  .asBytes(),
              notes);
}

TEST_F(TableServersTest, BlankOnlyNotesAreNotTurnedIntoNull) {
    const int serverId = addObjectWithServer(1);
    update(serverId, 0, 1, QByteArray("   "));
    auto row = serverRowOf(1);
    EXPECT_FALSE(row->fieldByName(QStringLiteral("NOTES")).isNull());
    EXPECT_EQ(row->fieldByName(QStringLiteral("NOTES")).asBytes(), QByteArray("   "));
}

TEST_F(TableServersTest, NullNotesStoreNullAndEmptyNotesAnEmptyBlob) {
    const int serverId = addObjectWithServer(1);
    update(serverId, 0, 1, QByteArray());
    EXPECT_TRUE(serverRowOf(1)->fieldByName(QStringLiteral("NOTES")).isNull());
    update(serverId, 0, 1, QByteArray(""));
    auto row = serverRowOf(1);
    EXPECT_FALSE(row->fieldByName(QStringLiteral("NOTES")).isNull());
    EXPECT_TRUE(row->fieldByName(QStringLiteral("NOTES")).asBytes().isEmpty());
}

TEST_F(TableServersTest, CyrillicTextRoundTrips) {
    execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'a')"));
    const QString domain = QStringLiteral("сервер.пример.рф");
    insertDataInSERVERS(1, domain, QString(), QString(), QStringLiteral("Кодировка"));
    auto row = SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(1);
    EXPECT_EQ(row->fieldByName(QStringLiteral("DOMAIN_NAME_SERVERS")).asString().trimmed(), domain);
    EXPECT_EQ(row->fieldByName(QStringLiteral("TRANSLATION_SERVERS")).asString().trimmed(), "Кодировка");
}

TEST_F(TableServersTest, UpdateOfMissingRowChangesNothingAndIsNoError) {
    addObjectWithServer(1);
    EXPECT_NO_THROW(update(12345, 2, 1));
    EXPECT_TRUE(serverRowOf(1)->fieldByName(QStringLiteral("DEFAUL_PASS")).isNull());
}

} // namespace
