#include "ObjectRows.h"
#include "app/RunDatabase.h"
#include "journal/TableLogs.h"
#include "support/SchemaDatabase.h"
#include "tree/KeySetList.h"
#include "tree/ObjectTreeModel.h"
#include "tree/SelectInTreeVieew.h"
#include "tree/TreeLoading.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace objectrows;
using testsupport::countRows;
using testsupport::readInt;

constexpr int kAdmin = 1; // the first user of a new database

// What the editor shows for a loaded object, as the main window fills it.
EditorValues shownEditor(const ClientSelection& state) {
    const type_ServerParametrs2& p = state.gperServerParametrs;
    EditorValues v;
    v.typeIndex = p.TYPE_NODE;
    v.name = p.TEXT_TREETABLE;
    v.domainName = p.DOMAIN_NAME_SERVERS;
    v.ipAddress = p.IP_ADDRES_SERVERS;
    v.port = p.PORT_SERVERS;
    v.translation = p.TRANSLATION_SERVERS;
    if (isListedKeySet(state.MAS_LOGIN_PASS, state.gperComboBoxItemIndex)) {
        const type_LOGIN_PASS& k = state.MAS_LOGIN_PASS[state.gperComboBoxItemIndex];
        v.keySetName = k.NAME;
        v.login = k.LOGIN;
        v.password = k.PASS;
        v.sharedKeySet = k.PERSONAL <= 0;
    }
    const auto address = [](int a) { return a == 1 || a == 2; };
    v.addressChoice = address(p.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS) ? p.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS
                      : address(p.DEFAUL_DNS_OR_IP_SERVERS)         ? p.DEFAUL_DNS_OR_IP_SERVERS
                                                                    : 0;
    v.protocol =
        p.DEFAUL_RDP_OR_SSH_SERVERS ? p.DEFAUL_RDP_OR_SSH_SERVERS : p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS;
    v.notes = p.NOTES_SERVERS;
    return v;
}

// One client: its own attachment, tree, selection and user.
struct Client {
    RunDatabase& db;
    int user;
    ObjectTreeModel tree;
    ClientSelection state;
    int questions = 0;
    bool answer = true;

    Client(RunDatabase& database, int userId) : db(database), user(userId) {}

    void build() {
        UseRunDatabase use(db);
        Creat_Items_To_Treeviwe(db.IBQuery1, tree);
    }
    void select(int id) { ASSERT_TRUE(IfSelectedObjectOnTreeView(db, state, tree, tree.nodeById(id), user)); }
    SaveOutcome save(const EditorValues& v) {
        return procSaveDataInBase(db, state, tree, user, v, [this] {
            ++questions;
            return answer;
        });
    }
};

class ObjectSelection : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addKeySet(1, QStringLiteral("Общий"), QStringLiteral("corp\\admin"), QStringLiteral("Пароль1"), 0);
        addKeySet(2, QStringLiteral("Мой"), QStringLiteral("ivanov"), QStringLiteral("s3cret"), kAdmin);
        // The program draws new identities from the generators: keep them past ours.
        testsupport::execUnchecked(QStringLiteral("SET GENERATOR GEN_LOGIN_PASS_ID TO 100"));
        testsupport::execUnchecked(QStringLiteral("SET GENERATOR GEN_TREETABLE_ID TO 100"));
        addObject(1, 0, QStringLiteral("Офис"), 1, 1, 7);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0, 3);
        addObject(11, 1, QStringLiteral("Почта"), 2, 2, 14);
        Server s;
        s.defaultKeySet = 1;
        s.defaultDnsOrIp = 2;
        s.defaultRdpOrSsh = 1;
        server10 = addServer(10, s);
        server11 =
            addServer(11, Server{QStringLiteral("https://mail"), QString(), QString(), QString(), 0, 0, 0});
        addServer(1, Server{QString(), QString(), QString(), QString(), 0, 0, 0});
    }

    Client& me() {
        if (!m_me) {
            m_me = std::make_unique<Client>(db, kAdmin);
            m_me->build();
        }
        return *m_me;
    }

    int logs() { return countRows(QStringLiteral("LOGS")); }
    type_ParametersOfEvents lastEntry() { return GetBLOBFromLogsTable(Last_ID_To_LOGS()); }

    int server10 = 0;
    int server11 = 0;

private:
    std::unique_ptr<Client> m_me;
};

// --- loading -------------------------------------------------------------------------

TEST_F(ObjectSelection, LoadTakesTheRowsTheLinkAndTheUsersOwnKeySetOverTheDefault) {
    addLink(kAdmin, server10, 2, 1, 2);
    me().select(10);
    const type_ServerParametrs2& p = me().state.gperServerParametrs;
    EXPECT_EQ(p.ID_TREETABLE, 10);
    EXPECT_EQ(p.ID_SERVERS, server10);
    EXPECT_EQ(p.TEXT_TREETABLE, QStringLiteral("Сервер"));
    EXPECT_EQ(p.ID_ICO_TREETABLE, 3);
    EXPECT_EQ(p.TYPE_NODE, 0);
    EXPECT_EQ(p.DOMAIN_NAME_SERVERS, QStringLiteral("host.corp.local"));
    EXPECT_EQ(p.IP_ADDRES_SERVERS, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(p.PORT_SERVERS, QStringLiteral("3389"));
    EXPECT_EQ(p.DEFAUL_PASS_SERVERS, 1);
    EXPECT_EQ(p.DEFAUL_DNS_OR_IP_SERVERS, 2);
    EXPECT_EQ(p.DEFAUL_RDP_OR_SSH_SERVERS, 1);
    EXPECT_EQ(p.ID_LOGIN_PASS_WITH_LOGIN_PASSS, 2);
    EXPECT_EQ(p.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS, 1);
    EXPECT_EQ(p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS, 2);
    EXPECT_EQ(p.ID_LOGIN_PASS, 2);
    EXPECT_EQ(p.LOGIN_LOGIN_PASS, QStringLiteral("ivanov"));
    EXPECT_EQ(p.PASS_LOGIN_PASS, QStringLiteral("s3cret")); // decoded
    EXPECT_EQ(p.PERSONAL_LOGIN_PASS, kAdmin);
    EXPECT_TRUE(p.NOTES_SERVERS.isNull());

    EXPECT_EQ(me().state.gperTreeViewItemIndex, 1);
    EXPECT_EQ(me().state.gperServerParametrs2.ID_ICO_TREETABLE, 3); // the pending picture
    ASSERT_EQ(me().state.MAS_LOGIN_PASS.size(), 3);
    EXPECT_EQ(me().state.gperComboBoxItemIndex, 1);

    const type_ParametersOfEvents& before = me().state.gperParametersOfEventsUPDATE;
    EXPECT_EQ(before.UserID_, kAdmin);
    EXPECT_EQ(before.Path_before, QStringLiteral("\\Офис\\Сервер"));
    EXPECT_EQ(before.Text_, QStringLiteral("Сервер"));
    EXPECT_EQ(before.ID_LOGIN_PASS_before, 2);
    EXPECT_EQ(before.NAME_LOGIN_PASS_before, QStringLiteral("Мой"));
    EXPECT_EQ(before.LOGIN_LOGIN_PASS_before, QStringLiteral("ivanov"));
    EXPECT_EQ(before.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before, 2);
    EXPECT_EQ(before.PORT_SERVERS_before, QStringLiteral("3389"));
    EXPECT_EQ(before.ID_ICO_TREETABLE_before, 3);
}

TEST_F(ObjectSelection, WithoutOwnKeySetTheDefaultIsLoadedAndWithNeitherNone) {
    me().select(10);
    EXPECT_EQ(me().state.gperServerParametrs.ID_LOGIN_PASS, 1);
    EXPECT_EQ(me().state.gperServerParametrs.LOGIN_LOGIN_PASS, QStringLiteral("corp\\admin"));
    EXPECT_EQ(me().state.gperComboBoxItemIndex, 0);

    me().select(11);
    EXPECT_EQ(me().state.gperServerParametrs.ID_LOGIN_PASS, 0);
    EXPECT_TRUE(me().state.gperServerParametrs.LOGIN_LOGIN_PASS.isEmpty());
    EXPECT_TRUE(me().state.gperServerParametrs.PASS_LOGIN_PASS.isEmpty());
    EXPECT_EQ(me().state.gperComboBoxItemIndex, -1);
}

TEST_F(ObjectSelection, AnotherUsersPersonalKeySetIsNeitherListedNorLoaded) {
    const int petrov = addUser(QStringLiteral("Петров"));
    addKeySet(5, QStringLiteral("Петрова"), QStringLiteral("petrov"), QStringLiteral("чужой"), petrov);
    addLink(kAdmin, server10, 5, 0, 0); // a link that outlived the key set's sharing
    me().select(10);
    EXPECT_EQ(me().state.gperServerParametrs.ID_LOGIN_PASS, 1); // the default instead
    EXPECT_EQ(me().state.gperServerParametrs.PASS_LOGIN_PASS, QStringLiteral("Пароль1"));
    for (const type_LOGIN_PASS& k : me().state.MAS_LOGIN_PASS)
        EXPECT_NE(k.ID, 5);

    testsupport::execWrite(QStringLiteral("update SERVERS set DEFAUL_PASS = 5 where ID = %1").arg(server10));
    me().select(10);
    EXPECT_EQ(me().state.gperServerParametrs.ID_LOGIN_PASS, 0);
    EXPECT_TRUE(me().state.gperServerParametrs.PASS_LOGIN_PASS.isEmpty());
    EXPECT_EQ(me().state.gperComboBoxItemIndex, -1);
}

TEST_F(ObjectSelection, TreeRowWithoutServersRowKeepsItsIdentityAndGetsTheRowAtSave) {
    addObject(12, 1, QStringLiteral("Без сервера"), 3);
    me().select(12);
    EXPECT_EQ(me().state.gperServerParametrs.ID_TREETABLE, 12);
    EXPECT_EQ(me().state.gperServerParametrs.ID_SERVERS, 0);
    EXPECT_EQ(me().state.gperServerParametrs.TEXT_TREETABLE, QStringLiteral("Без сервера"));

    EditorValues v = shownEditor(me().state);
    v.domainName = QStringLiteral("new.host");
    v.protocol = 2;
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);
    EXPECT_EQ(
        cell(QStringLiteral("SERVERS"), QStringLiteral("DOMAIN_NAME"), QStringLiteral("ID_TREETABLE = 12")),
        QStringLiteral("new.host"));
    EXPECT_NE(me().state.gperServerParametrs.ID_SERVERS, 0);
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_RDP_OR_SSH from SERVERS where ID_TREETABLE = 12")), 2);
}

// --- saving ----------------------------------------------------------------------------

TEST_F(ObjectSelection, SaveWritesTheFourTablesAndJournalsKindTwoWithoutPasswords) {
    me().select(10);
    EditorValues v = shownEditor(me().state);
    v.typeIndex = 2;
    v.name = QStringLiteral("Сервер БД");
    v.domainName = QStringLiteral("db.corp.local");
    v.ipAddress = QStringLiteral("10.0.0.9");
    v.port = QStringLiteral("2222");
    v.translation = QStringLiteral("KOI8-R");
    v.login = QStringLiteral("dba");
    v.password = QStringLiteral("НовыйПароль");
    v.protocol = 2;
    v.addressChoice = 1;
    me().state.gperServerParametrs2.ID_ICO_TREETABLE = 20; // the icon picker's choice
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);

    EXPECT_EQ(cell(QStringLiteral("TREETABLE"), QStringLiteral("TEXT"), QStringLiteral("ID = 10")),
              QStringLiteral("Сервер БД"));
    EXPECT_EQ(readInt(QStringLiteral("select TYPE_NODE from TREETABLE where ID = 10")), 2);
    EXPECT_EQ(readInt(QStringLiteral("select ID_ICO from TREETABLE where ID = 10")), 20);
    const QString server = QStringLiteral("ID = %1").arg(server10);
    EXPECT_EQ(cell(QStringLiteral("SERVERS"), QStringLiteral("DOMAIN_NAME"), server),
              QStringLiteral("db.corp.local"));
    EXPECT_EQ(cell(QStringLiteral("SERVERS"), QStringLiteral("IP_ADDRES"), server),
              QStringLiteral("10.0.0.9"));
    EXPECT_EQ(cell(QStringLiteral("SERVERS"), QStringLiteral("PORT"), server), QStringLiteral("2222"));
    EXPECT_EQ(cell(QStringLiteral("SERVERS"), QStringLiteral("TRANSLATION_"), server),
              QStringLiteral("KOI8-R"));
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_PASS from SERVERS where %1").arg(server)), 1);
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_DNS_OR_IP from SERVERS where %1").arg(server)), 1);
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_RDP_OR_SSH from SERVERS where %1").arg(server)), 2);
    EXPECT_EQ(cell(QStringLiteral("LOGIN_PASS"), QStringLiteral("LOGIN"), QStringLiteral("ID = 1")),
              QStringLiteral("dba"));
    EXPECT_EQ(
        decode_string(cell(QStringLiteral("LOGIN_PASS"), QStringLiteral("PASS"), QStringLiteral("ID = 1"))),
        QStringLiteral("НовыйПароль"));
    EXPECT_EQ(
        readInt(QStringLiteral("select ID_LOGIN_PASS from SERVERS_WITH_LOGIN_PASSS where ID_USER_DB = 1 "
                               "and ID_SERVERS = %1")
                    .arg(server10)),
        1);
    EXPECT_EQ(readInt(QStringLiteral("select RDP_OR_SSH from SERVERS_WITH_LOGIN_PASSS where ID_USER_DB = 1")),
              2);
    EXPECT_EQ(readInt(QStringLiteral("select DNS_OR_IP from SERVERS_WITH_LOGIN_PASSS where ID_USER_DB = 1")),
              1);

    ASSERT_EQ(logs(), 1);
    const type_ParametersOfEvents e = lastEntry();
    EXPECT_EQ(e.Type_, 2);
    EXPECT_EQ(e.UserID_, kAdmin);
    EXPECT_EQ(e.IDchildren_, 10); // the identity, for copies that look nodes up by it
    EXPECT_EQ(e.IndexSelectNode, 1);
    EXPECT_EQ(e.Path_before, QStringLiteral("\\Офис\\Сервер"));
    EXPECT_EQ(e.Text_, QStringLiteral("Сервер"));
    EXPECT_EQ(e.TEXT_TREETABLE_after, QStringLiteral("Сервер БД"));
    EXPECT_EQ(e.TYPE_NODE_before, 0);
    EXPECT_EQ(e.TYPE_NODE_after, 2);
    EXPECT_EQ(e.ID_ICO_TREETABLE_before, 3);
    EXPECT_EQ(e.ID_ICO_TREETABLE_after, 20);
    EXPECT_EQ(e.DOMAIN_NAME_SERVERS_before, QStringLiteral("host.corp.local"));
    EXPECT_EQ(e.DOMAIN_NAME_SERVERS_after, QStringLiteral("db.corp.local"));
    EXPECT_EQ(e.IP_ADDRES_SERVERS_before, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(e.IP_ADDRES_SERVERS_after, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(e.PORT_SERVERS_before, QStringLiteral("3389"));
    EXPECT_EQ(e.PORT_SERVERS_after, QStringLiteral("2222"));
    EXPECT_EQ(e.ID_LOGIN_PASS_before, 1);
    EXPECT_EQ(e.ID_LOGIN_PASS_after, 1);
    EXPECT_EQ(e.NAME_LOGIN_PASS_before, QStringLiteral("Общий"));
    EXPECT_EQ(e.NAME_LOGIN_PASS_after, QStringLiteral("Общий"));
    EXPECT_EQ(e.LOGIN_LOGIN_PASS_before, QStringLiteral("corp\\admin"));
    EXPECT_EQ(e.LOGIN_LOGIN_PASS_after, QStringLiteral("dba"));
    EXPECT_EQ(e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before, 0);
    EXPECT_EQ(e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after, 2);
    EXPECT_EQ(e.PASS_LOGIN_PASS_before, QString());
    EXPECT_EQ(e.PASS_LOGIN_PASS_after, QStringLiteral("*")); // changed, but not shown

    // The node shows the new name and picture; the editor's record is reloaded.
    EXPECT_EQ(me().tree.nodeById(10)->text(), QStringLiteral("Сервер БД"));
    EXPECT_EQ(me().tree.nodeById(10)->imageIndex(), 20);
    EXPECT_EQ(me().state.gperServerParametrs.PORT_SERVERS, QStringLiteral("2222"));
    EXPECT_EQ(me().state.gperServerParametrs.PASS_LOGIN_PASS, QStringLiteral("НовыйПароль"));
}

TEST_F(ObjectSelection, SecondSaveWithTheSamePasswordJournalsTwoEmptyPasswordFields) {
    me().select(10);
    ASSERT_EQ(me().save(shownEditor(me().state)).result, SaveResult::Saved);
    const type_ParametersOfEvents e = lastEntry();
    EXPECT_EQ(e.PASS_LOGIN_PASS_before, QString());
    EXPECT_EQ(e.PASS_LOGIN_PASS_after, QString());
    const QByteArray raw =
        testsupport::readRows(QStringLiteral("select PARAMETERS from LOGS"))->field(0).asBytes();
    EXPECT_FALSE(raw.contains(QStringLiteral("Пароль1").toUtf8()));
    EXPECT_FALSE(
        raw.contains(QByteArray(reinterpret_cast<const char*>(QStringLiteral("Пароль1").utf16()), 14)));
}

TEST_F(ObjectSelection, UnlistedKeySetNameMakesANewKeySetAndTheNextSaveUpdatesIt) {
    me().select(11);
    EditorValues v = shownEditor(me().state);
    v.keySetName = QStringLiteral("Почтовый");
    v.login = QStringLiteral("mail");
    v.password = QStringLiteral("m41l");
    v.sharedKeySet = false;
    const int keySetsBefore = countRows(QStringLiteral("LOGIN_PASS"));
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), keySetsBefore + 1);
    const int id = readInt(QStringLiteral("select ID from LOGIN_PASS where NAME = 'Почтовый'"));
    EXPECT_EQ(readInt(QStringLiteral("select PERSONAL from LOGIN_PASS where ID = %1").arg(id)), kAdmin);
    EXPECT_EQ(me().state.gperServerParametrs.ID_LOGIN_PASS, id);
    ASSERT_GE(me().state.gperComboBoxItemIndex, 0);
    EXPECT_EQ(me().state.MAS_LOGIN_PASS[me().state.gperComboBoxItemIndex].ID, id);
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = %1").arg(server11)), 0);

    v = shownEditor(me().state);
    v.login = QStringLiteral("mail2");
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), keySetsBefore + 1);
    EXPECT_EQ(cell(QStringLiteral("LOGIN_PASS"), QStringLiteral("LOGIN"), QStringLiteral("ID = %1").arg(id)),
              QStringLiteral("mail2"));
}

TEST_F(ObjectSelection, SaveWithEmptyKeySetFieldsMakesNoBlankKeySet) {
    me().select(1); // the folder: no key set shown
    const int keySetsBefore = countRows(QStringLiteral("LOGIN_PASS"));
    ASSERT_EQ(me().save(shownEditor(me().state)).result, SaveResult::Saved);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), keySetsBefore);
    EXPECT_EQ(
        readInt(QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS where ID_LOGIN_PASS is null")),
        1);
}

TEST_F(ObjectSelection, RefusedSavesWriteAndJournalNothing) {
    me().select(10);
    const EditorValues shown = shownEditor(me().state);
    struct Case {
        const char* what;
        std::function<void(EditorValues&)> change;
    };
    const Case cases[] = {
        {"six-character port", [](EditorValues& v) { v.port = QStringLiteral("338900"); }},
        {"password ending in &", [](EditorValues& v) { v.password = QStringLiteral("secret&"); }},
        {"password starting with &", [](EditorValues& v) { v.password = QStringLiteral("&secret"); }},
        {"character outside code page 1251", [](EditorValues& v) { v.name = QStringLiteral("Сервер ✓"); }},
        {"name over 50", [](EditorValues& v) { v.name = QString(51, QLatin1Char('n')); }},
    };
    for (const Case& c : cases) {
        EditorValues v = shown;
        v.keySetName = QStringLiteral("Новый набор"); // would insert a key set first
        c.change(v);
        const SaveOutcome outcome = me().save(v);
        EXPECT_EQ(outcome.result, SaveResult::Refused) << c.what;
        EXPECT_FALSE(outcome.message.isEmpty()) << c.what;
        EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 2) << c.what;
        EXPECT_EQ(cell(QStringLiteral("TREETABLE"), QStringLiteral("TEXT"), QStringLiteral("ID = 10")),
                  QStringLiteral("Сервер"))
            << c.what;
        EXPECT_EQ(logs(), 0) << c.what;
    }
    EditorValues sixCharacters = shown;
    sixCharacters.port = QStringLiteral("338900");
    EXPECT_EQ(me().save(sixCharacters).message,
              QStringLiteral("Поле «Порт» длиннее 5 символов: сохранить нельзя."));
    EditorValues ampersand = shown;
    ampersand.password = QStringLiteral("secret&");
    EXPECT_EQ(me().save(ampersand).message,
              QStringLiteral("Пароль не может начинаться или заканчиваться символом «&»: он не сохранится."));
}

TEST_F(ObjectSelection, NothingHappensBeforeAnyObjectWasLoaded) {
    EXPECT_EQ(me().save(EditorValues{}).result, SaveResult::NothingLoaded);
    EXPECT_EQ(logs(), 0);
}

TEST_F(ObjectSelection, RenameAfterANodeWasAddedAboveFindsTheNodeByIdentity) {
    me().select(11);
    EXPECT_EQ(me().state.gperTreeViewItemIndex, 2);
    TreeNode* added = me().tree.appendTopLevel(99, QStringLiteral("Новый"), 0);
    me().tree.moveBefore(added, me().tree.firstNode()); // now 11 is at absolute index 3

    EditorValues v = shownEditor(me().state);
    v.name = QStringLiteral("Почта 2");
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);
    EXPECT_EQ(me().tree.nodeById(11)->text(), QStringLiteral("Почта 2"));
    EXPECT_EQ(added->text(), QStringLiteral("Новый"));
    EXPECT_EQ(me().tree.nodeById(10)->text(), QStringLiteral("Сервер"));
    EXPECT_EQ(lastEntry().IndexSelectNode, 3);
    EXPECT_EQ(me().state.gperTreeViewItemIndex, 3);
}

TEST_F(ObjectSelection, NoTickedProtocolOrAddressKeepsTheLoadedValuesNotAnotherObjects) {
    addLink(kAdmin, server10, 0, 2, 3);
    me().select(10);
    me().select(11); // no protocol, no address choice
    EditorValues v = shownEditor(me().state);
    EXPECT_EQ(v.protocol, 0);
    EXPECT_EQ(v.addressChoice, 0);
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);
    EXPECT_EQ(
        readInt(QStringLiteral("select count(*) from SERVERS where ID = %1 and DEFAUL_RDP_OR_SSH is null and "
                               "DEFAUL_DNS_OR_IP is null")
                    .arg(server11)),
        1);
    EXPECT_EQ(
        readInt(QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS where ID_SERVERS = %1 and "
                               "RDP_OR_SSH is null and DNS_OR_IP is null")
                    .arg(server11)),
        1);

    me().select(10);
    v = shownEditor(me().state);
    v.protocol = 0;
    v.addressChoice = 0;
    ASSERT_EQ(me().save(v).result, SaveResult::Saved);
    EXPECT_EQ(readInt(QStringLiteral("select RDP_OR_SSH from SERVERS_WITH_LOGIN_PASSS where ID_SERVERS = %1")
                          .arg(server10)),
              3);
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_RDP_OR_SSH from SERVERS where ID = %1").arg(server10)),
              1);
}

TEST_F(ObjectSelection, UneditedNotesGoBackByteForByteAndNullStaysNull) {
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\par}\r\n");
    rtf.append('\0');
    setNotes(server10, rtf);
    me().select(10);
    EXPECT_EQ(me().state.gperServerParametrs.NOTES_SERVERS, rtf);
    ASSERT_EQ(me().save(shownEditor(me().state)).result, SaveResult::Saved);
    EXPECT_EQ(testsupport::readRows(QStringLiteral("select NOTES from SERVERS where ID = %1").arg(server10))
                  ->field(0)
                  .asBytes(),
              rtf);

    me().select(11);
    ASSERT_EQ(me().save(shownEditor(me().state)).result, SaveResult::Saved);
    EXPECT_EQ(
        readInt(QStringLiteral("select count(*) from SERVERS where ID = %1 and NOTES is null").arg(server11)),
        1);
    setNotes(server11, QByteArray(""));
    me().select(11);
    ASSERT_EQ(me().save(shownEditor(me().state)).result, SaveResult::Saved);
    EXPECT_EQ(
        readInt(
            QStringLiteral("select count(*) from SERVERS where ID = %1 and NOTES is not null").arg(server11)),
        1);
}

// --- several clients ------------------------------------------------------------------------

TEST_F(ObjectSelection, ObjectDeletedByAnotherClientIsRefusedAndNothingIsWritten) {
    me().select(10);
    auto other = testsupport::connectAnother(dbPath);
    {
        fb::Query del(other->IBDatabase1, other->IBTransaction2);
        del.setSql(QStringLiteral("delete from TREETABLE where ID = 10"));
        del.execSql();
        other->IBTransaction2.commit();
    }
    EditorValues v = shownEditor(me().state);
    v.keySetName = QStringLiteral("Набор для удалённого");
    const SaveOutcome outcome = me().save(v);
    EXPECT_EQ(outcome.result, SaveResult::ObjectDeleted);
    EXPECT_EQ(outcome.message, kObjectDeletedMessage);
    EXPECT_EQ(logs(), 0);
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 2);
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 2);
}

TEST_F(ObjectSelection, LostUpdateBetweenTwoAttachmentsAsksAndNoWritesNothing) {
    const int petrov = addUser(QStringLiteral("Петров"));
    auto otherDb = testsupport::connectAnother(dbPath);
    Client other(*otherDb, petrov);
    other.build();
    me().select(10);
    other.select(10);

    EditorValues theirs = shownEditor(other.state);
    theirs.port = QStringLiteral("4000");
    ASSERT_EQ(other.save(theirs).result, SaveResult::Saved);
    EXPECT_EQ(&runDatabase(), &db); // the other client's work left our database current

    EditorValues mine = shownEditor(me().state); // still the old port
    mine.name = QStringLiteral("Переименован");
    me().answer = false;
    EXPECT_EQ(me().save(mine).result, SaveResult::Reloaded);
    EXPECT_EQ(me().questions, 1);
    EXPECT_EQ(
        cell(QStringLiteral("SERVERS"), QStringLiteral("PORT"), QStringLiteral("ID = %1").arg(server10)),
        QStringLiteral("4000"));
    EXPECT_EQ(cell(QStringLiteral("TREETABLE"), QStringLiteral("TEXT"), QStringLiteral("ID = 10")),
              QStringLiteral("Сервер"));
    EXPECT_EQ(logs(), 1); // only theirs
    EXPECT_EQ(me().state.gperServerParametrs.PORT_SERVERS, QStringLiteral("4000"));

    // Reloaded, the same edit goes through without a question.
    mine = shownEditor(me().state);
    mine.name = QStringLiteral("Переименован");
    EXPECT_EQ(me().save(mine).result, SaveResult::Saved);
    EXPECT_EQ(me().questions, 1);
    EXPECT_EQ(
        cell(QStringLiteral("SERVERS"), QStringLiteral("PORT"), QStringLiteral("ID = %1").arg(server10)),
        QStringLiteral("4000"));
}

TEST_F(ObjectSelection, LostUpdateAnsweredYesOverwritesAndSameValuesOrOwnRowsAskNothing) {
    const int petrov = addUser(QStringLiteral("Петров"));
    auto otherDb = testsupport::connectAnother(dbPath);
    Client other(*otherDb, petrov);
    other.build();
    me().select(10);
    other.select(10);

    // Only the other user's own link row changes: nothing of ours is overwritten.
    EditorValues theirs = shownEditor(other.state);
    theirs.protocol = 1;
    theirs.sharedKeySet = true;
    ASSERT_EQ(other.save(theirs).result, SaveResult::Saved);
    EditorValues mine = shownEditor(me().state);
    EXPECT_EQ(me().save(mine).result, SaveResult::Saved);
    EXPECT_EQ(me().questions, 0);

    // The other one changes the key set's login; we typed the same: no question.
    other.select(10);
    theirs = shownEditor(other.state);
    theirs.login = QStringLiteral("same");
    ASSERT_EQ(other.save(theirs).result, SaveResult::Saved);
    mine = shownEditor(me().state);
    mine.login = QStringLiteral("same");
    EXPECT_EQ(me().save(mine).result, SaveResult::Saved);
    EXPECT_EQ(me().questions, 0);

    // A different value: asked, and Yes writes ours.
    other.select(10);
    theirs = shownEditor(other.state);
    theirs.ipAddress = QStringLiteral("10.9.9.9");
    ASSERT_EQ(other.save(theirs).result, SaveResult::Saved);
    mine = shownEditor(me().state);
    mine.ipAddress = QStringLiteral("10.1.1.1");
    me().answer = true;
    EXPECT_EQ(me().save(mine).result, SaveResult::Saved);
    EXPECT_EQ(me().questions, 1);
    EXPECT_EQ(
        cell(QStringLiteral("SERVERS"), QStringLiteral("IP_ADDRES"), QStringLiteral("ID = %1").arg(server10)),
        QStringLiteral("10.1.1.1"));
}

} // namespace
