#include "tree/SelectInTreeVieew.h"

#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/TableServers.h"
#include "db/TableServersWithLoginPass.h"
#include "fb/Cp1251.h"
#include "fb/Query.h"
#include "journal/TableLogs.h"
#include "tree/KeySetList.h"
#include "tree/ObjectTreeModel.h"
#include "tree/TreeViwe.h"

#include <QSet>

namespace {

// Widths of the columns the editor writes (characters of code page 1251).
constexpr int kTextWidth = 50;
constexpr int kDomainNameWidth = 500;
constexpr int kIpAddressWidth = 30;
constexpr int kPortWidth = 5;
constexpr int kTranslationWidth = 50;
constexpr int kKeySetNameWidth = 150;
constexpr int kLoginWidth = 50;
constexpr int kPasswordWidth = 50;

// A save to a key set that is not in the database yet.
constexpr int kNewKeySet = -1;

QSet<QString> columnNames(const fb::Query& query) {
    QSet<QString> names;
    for (int i = 0; i < query.fieldCount(); ++i)
        names.insert(query.field(i).name().toUpper());
    return names;
}

// An empty BLOB is not NULL: keep the two apart, so notes go back as they came.
QByteArray storedBytes(const fb::Field& field) {
    if (field.isNull())
        return QByteArray();
    QByteArray bytes = field.asBytes();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

QString nameOfKeySet(int id) {
    return id > 0 ? GetNameOfKeyByID(id) : QString();
}

// The object's rows without the key set: the server join, or the tree row alone.
type_ServerParametrs2 readStoredRows(int idTreetable, int userId, bool* exists) {
    type_ServerParametrs2 record;
    int pendingPicture = 0;
    record.ID_TREETABLE = idTreetable;
    bool found = false;
    if (auto joined = SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(idTreetable); !joined->eof()) {
        PAST_DATA_TO_GLOPAL_VARIABLE(*joined, record, pendingPicture);
        found = true;
    } else if (auto own = SELECT_DATA_FOR_TABLE_TREETABLE(idTreetable); !own->eof()) {
        PAST_DATA_TO_GLOPAL_VARIABLE(*own, record, pendingPicture);
        found = true;
    }
    record.ID_TREETABLE = idTreetable;
    if (record.ID_SERVERS != 0) {
        auto link = FIND_IN_SERVERS_WITH_LOGIN_PASSS(userId, record.ID_SERVERS);
        PAST_DATA_TO_GLOPAL_VARIABLE(*link, record, pendingPicture);
    }
    if (exists)
        *exists = found;
    return record;
}

// The key set as stored, decoded; ID 0 when there is no such row.
type_LOGIN_PASS readKeySet(int id) {
    type_LOGIN_PASS keySet;
    if (id <= 0)
        return keySet;
    auto query = SELECT_LOGIN_AND_PASS_OF_TABLE_LOGIN_PASS(id);
    if (query->eof())
        return keySet;
    keySet.ID = query->fieldByName(QStringLiteral("ID_LOGIN_PASS")).asInteger();
    keySet.NAME = query->fieldByName(QStringLiteral("NAME_LOGIN_PASS")).asString().trimmed();
    keySet.LOGIN = query->fieldByName(QStringLiteral("LOGIN_LOGIN_PASS")).asString().trimmed();
    keySet.PASS = decode_string(query->fieldByName(QStringLiteral("PASS_LOGIN_PASS")).asString().trimmed());
    keySet.PERSONAL = query->fieldByName(QStringLiteral("PERSONAL_LOGIN_PASS")).asInteger();
    return keySet;
}

void clearKeySet(type_ServerParametrs2& record) {
    record.ID_LOGIN_PASS = 0;
    record.LOGIN_LOGIN_PASS.clear();
    record.PASS_LOGIN_PASS.clear();
    record.PERSONAL_LOGIN_PASS = 0;
}

void useKeySet(type_ServerParametrs2& record, const type_LOGIN_PASS& keySet) {
    record.ID_LOGIN_PASS = keySet.ID;
    record.LOGIN_LOGIN_PASS = keySet.LOGIN;
    record.PASS_LOGIN_PASS = keySet.PASS;
    record.PERSONAL_LOGIN_PASS = keySet.PERSONAL;
}

// The user's own key set, else the default one; never one personal to another user.
void loadKeySetInUse(type_ServerParametrs2& record, int userId) {
    clearKeySet(record);
    for (const int candidate : {record.ID_LOGIN_PASS_WITH_LOGIN_PASSS, record.DEFAUL_PASS_SERVERS}) {
        const type_LOGIN_PASS keySet = readKeySet(candidate);
        if (keySet.ID != 0 && isVisibleTo(keySet, userId)) {
            useKeySet(record, keySet);
            return;
        }
    }
}

// The same rule on the user's list, which holds exactly the key sets the user may
// see: no statement of its own.
void takeKeySetInUseFromList(type_ServerParametrs2& record, const QVector<type_LOGIN_PASS>& list) {
    clearKeySet(record);
    for (const int candidate : {record.ID_LOGIN_PASS_WITH_LOGIN_PASSS, record.DEFAUL_PASS_SERVERS}) {
        if (const int index = listedKeySetIndex(list, candidate); index >= 0) {
            useKeySet(record, list[index]);
            return;
        }
    }
}

// The key set's stored name; listed key sets need no statement.
QString nameOfKeySet(const ClientSelection& state, int id) {
    if (const int index = listedKeySetIndex(state.MAS_LOGIN_PASS, id); index >= 0)
        return state.MAS_LOGIN_PASS[index].NAME;
    return nameOfKeySet(id);
}

QString limitMessage(const QString& label, int width) {
    return QStringLiteral("Поле «%1» длиннее %2 символов: сохранить нельзя.").arg(label).arg(width);
}

QString unsupportedCharacterMessage(const QString& label, const QString& value) {
    for (const QChar c : value) {
        if (!fb::fitsCp1251(QString(c)))
            return QStringLiteral("Символ «%1» в поле «%2» не поддерживается (кодировка Windows-1251).")
                .arg(c)
                .arg(label);
    }
    return QStringLiteral("Поле «%1» содержит символы вне кодировки Windows-1251.").arg(label);
}

// What a save of these editor values would leave in the database, in the form a
// later read gives back. The key set's ID is kNewKeySet when a new one is made.
struct PlannedSave {
    type_ServerParametrs2 record;
    type_LOGIN_PASS keySet;
    bool updatesListedKeySet = false;
};

bool needsNewKeySet(const EditorValues& editor) {
    return !editor.keySetName.trimmed().isEmpty() || !editor.login.trimmed().isEmpty() ||
           !editor.password.isEmpty();
}

PlannedSave plannedSave(const ClientSelection& state, const EditorValues& editor, int userId) {
    const type_ServerParametrs2& loaded = state.gperServerParametrs;
    PlannedSave plan;
    type_ServerParametrs2& r = plan.record;
    r.TYPE_NODE = editor.typeIndex;
    r.ID_TREETABLE = loaded.ID_TREETABLE;
    r.TEXT_TREETABLE = editor.name.trimmed();
    r.ID_ICO_TREETABLE = state.gperServerParametrs2.ID_ICO_TREETABLE;
    r.ID_SERVERS = loaded.ID_SERVERS;
    r.DOMAIN_NAME_SERVERS = editor.domainName.trimmed();
    r.IP_ADDRES_SERVERS = editor.ipAddress.trimmed();
    r.PORT_SERVERS = editor.port.trimmed();
    r.TRANSLATION_SERVERS = editor.translation.trimmed();
    r.NOTES_SERVERS = editor.notes;

    plan.updatesListedKeySet = isListedKeySet(state.MAS_LOGIN_PASS, state.gperComboBoxItemIndex);
    int keySetId = 0;
    if (plan.updatesListedKeySet)
        keySetId = state.MAS_LOGIN_PASS[state.gperComboBoxItemIndex].ID;
    else if (needsNewKeySet(editor))
        keySetId = kNewKeySet;
    plan.keySet = {keySetId, editor.keySetName.trimmed(), editor.login.trimmed(), editor.password,
                   editor.sharedKeySet ? 0 : userId};
    r.ID_LOGIN_PASS = keySetId;
    r.NAME_LOGIN_PASS = plan.keySet.NAME;
    r.LOGIN_LOGIN_PASS = plan.keySet.LOGIN;
    r.PASS_LOGIN_PASS = encode_string(editor.password);
    r.PERSONAL_LOGIN_PASS = plan.keySet.PERSONAL;
    r.ID_LOGIN_PASS_WITH_LOGIN_PASSS = keySetId;
    // 0 keeps the stored default key set.
    r.DEFAUL_PASS_SERVERS = editor.sharedKeySet ? keySetId : 0;

    // A group with nothing ticked keeps what was loaded.
    const bool protocolTicked = editor.protocol >= 1 && editor.protocol <= 3;
    r.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS =
        protocolTicked ? editor.protocol : loaded.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS;
    r.DEFAUL_RDP_OR_SSH_SERVERS = protocolTicked ? editor.protocol : loaded.DEFAUL_RDP_OR_SSH_SERVERS;
    const bool addressTicked = editor.addressChoice == 1 || editor.addressChoice == 2;
    r.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS =
        addressTicked ? editor.addressChoice : loaded.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS;
    r.DEFAUL_DNS_OR_IP_SERVERS = addressTicked ? editor.addressChoice : loaded.DEFAUL_DNS_OR_IP_SERVERS;
    return plan;
}

// Someone else changed a field since the load, and this save would write another value over it.
template <typename T> bool overwrites(const T& loaded, const T& now, const T& planned) {
    return now != loaded && planned != now;
}

bool overwritesOthersChanges(const ClientSelection& state, const type_ServerParametrs2& now,
                             const type_LOGIN_PASS& keySetNow, const PlannedSave& plan) {
    const type_ServerParametrs2& was = state.gperServerParametrs;
    const type_ServerParametrs2& p = plan.record;
    // TYPE_NODE -1 is stored as NULL, which reads back as 0.
    const int plannedType = p.TYPE_NODE < 0 ? 0 : p.TYPE_NODE;
    bool changed =
        overwrites(was.TEXT_TREETABLE, now.TEXT_TREETABLE, p.TEXT_TREETABLE) ||
        overwrites(was.ID_ICO_TREETABLE, now.ID_ICO_TREETABLE, p.ID_ICO_TREETABLE) ||
        overwrites(was.TYPE_NODE, now.TYPE_NODE, plannedType) ||
        overwrites(was.DOMAIN_NAME_SERVERS, now.DOMAIN_NAME_SERVERS, p.DOMAIN_NAME_SERVERS) ||
        overwrites(was.IP_ADDRES_SERVERS, now.IP_ADDRES_SERVERS, p.IP_ADDRES_SERVERS) ||
        overwrites(was.PORT_SERVERS, now.PORT_SERVERS, p.PORT_SERVERS) ||
        overwrites(was.TRANSLATION_SERVERS, now.TRANSLATION_SERVERS, p.TRANSLATION_SERVERS) ||
        overwrites(was.DEFAUL_DNS_OR_IP_SERVERS, now.DEFAUL_DNS_OR_IP_SERVERS, p.DEFAUL_DNS_OR_IP_SERVERS) ||
        overwrites(was.DEFAUL_RDP_OR_SSH_SERVERS, now.DEFAUL_RDP_OR_SSH_SERVERS,
                   p.DEFAUL_RDP_OR_SSH_SERVERS) ||
        overwrites(was.NOTES_SERVERS, now.NOTES_SERVERS, p.NOTES_SERVERS) ||
        overwrites(was.ID_LOGIN_PASS_WITH_LOGIN_PASSS, now.ID_LOGIN_PASS_WITH_LOGIN_PASSS,
                   p.ID_LOGIN_PASS_WITH_LOGIN_PASSS) ||
        overwrites(was.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS, now.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS,
                   p.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS) ||
        overwrites(was.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS, now.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS,
                   p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS);
    // Only a save that sets the default key set writes that column.
    if (p.DEFAUL_PASS_SERVERS != 0)
        changed =
            changed || overwrites(was.DEFAUL_PASS_SERVERS, now.DEFAUL_PASS_SERVERS, p.DEFAUL_PASS_SERVERS);
    if (plan.updatesListedKeySet) {
        const type_LOGIN_PASS& listed = state.MAS_LOGIN_PASS[state.gperComboBoxItemIndex];
        const type_LOGIN_PASS& k = plan.keySet;
        changed = changed || keySetNow.ID == 0 || overwrites(listed.NAME, keySetNow.NAME, k.NAME) ||
                  overwrites(listed.LOGIN, keySetNow.LOGIN, k.LOGIN) ||
                  overwrites(listed.PASS, keySetNow.PASS, k.PASS) ||
                  overwrites(listed.PERSONAL, keySetNow.PERSONAL, k.PERSONAL);
    }
    return changed;
}

// The SERVERS row of the object, made now when it has none.
int serverRowOf(const type_ServerParametrs2& record) {
    if (record.ID_SERVERS != 0)
        return record.ID_SERVERS;
    insertDataInSERVERS(record.ID_TREETABLE, record.DOMAIN_NAME_SERVERS, record.IP_ADDRES_SERVERS,
                        record.PORT_SERVERS, record.TRANSLATION_SERVERS);
    return SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(record.ID_TREETABLE)
        ->fieldByName(QStringLiteral("ID_SERVERS"))
        .asInteger();
}

void saveLinkRow(int userId, const type_ServerParametrs2& s2) {
    const int linkId = FIND_IN_SERVERS_WITH_LOGIN_PASSS(userId, s2.ID_SERVERS)
                           ->fieldByName(QStringLiteral("ID_SERV_WITH_LOG_PAS"))
                           .asInteger();
    if (linkId == 0)
        insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(userId, s2.ID_SERVERS, s2.ID_LOGIN_PASS,
                                                      s2.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS,
                                                      s2.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS);
    else
        update_for_table_SERVERS_WITH_LOGIN_PASSS(linkId, s2.ID_LOGIN_PASS,
                                                  s2.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS,
                                                  s2.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS);
}

void fillAfterValues(type_ParametersOfEvents& event, const ClientSelection& state,
                     const EditorValues& editor) {
    const type_ServerParametrs2& s2 = state.gperServerParametrs2;
    event.Type_ = 2;
    event.TYPE_NODE_after = s2.TYPE_NODE;
    event.TEXT_TREETABLE_after = s2.TEXT_TREETABLE;
    event.IndexSelectNode = state.gperTreeViewItemIndex;
    event.IDchildren_ = s2.ID_TREETABLE;
    event.ID_ICO_TREETABLE_after = s2.ID_ICO_TREETABLE;
    event.DOMAIN_NAME_SERVERS_after = s2.DOMAIN_NAME_SERVERS;
    event.IP_ADDRES_SERVERS_after = s2.IP_ADDRES_SERVERS;
    event.LOGIN_LOGIN_PASS_after = s2.LOGIN_LOGIN_PASS.trimmed();
    event.ID_LOGIN_PASS_after = s2.ID_LOGIN_PASS;
    event.NAME_LOGIN_PASS_after = nameOfKeySet(state, s2.ID_LOGIN_PASS); // as stored now
    event.PASS_LOGIN_PASS_after = editor.password;
    event.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after = s2.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS;
    event.PORT_SERVERS_after = s2.PORT_SERVERS;
}

// Every user of the database reads the journal: it tells that the password
// changed ("" before, "*" after), never what it is.
type_ParametersOfEvents withoutPasswords(const type_ParametersOfEvents& pending) {
    type_ParametersOfEvents entry = pending;
    const bool passwordChanged = pending.PASS_LOGIN_PASS_after != pending.PASS_LOGIN_PASS_before;
    entry.PASS_LOGIN_PASS_before = QString();
    entry.PASS_LOGIN_PASS_after = passwordChanged ? QStringLiteral("*") : QString();
    return entry;
}

void reselect(RunDatabase& db, ClientSelection& state, const ObjectTreeModel& tree, int userId) {
    if (const TreeNode* node = tree.nodeById(state.gperServerParametrs.ID_TREETABLE))
        IfSelectedObjectOnTreeView(db, state, tree, node, userId);
    else
        procSelectInTreeViewe(db, state, userId);
}

} // namespace

void PAST_DATA_TO_GLOPAL_VARIABLE(fb::Query& perIBQuery, type_ServerParametrs2& record, int& pendingPicture) {
    const QSet<QString> columns = columnNames(perIBQuery);
    const auto has = [&](const char* alias) { return columns.contains(QLatin1String(alias)); };
    const auto integer = [&](const char* alias) {
        return perIBQuery.fieldByName(QLatin1String(alias)).asInteger();
    };
    const auto text = [&](const char* alias) {
        return perIBQuery.fieldByName(QLatin1String(alias)).asString().trimmed();
    };
    const auto copyInteger = [&](const char* alias, int& field) {
        if (has(alias))
            field = integer(alias);
    };
    const auto copyText = [&](const char* alias, QString& field) {
        if (has(alias))
            field = text(alias);
    };

    copyInteger("TYPE_NODE", record.TYPE_NODE);
    copyInteger("ID_TREETABLE", record.ID_TREETABLE);
    copyText("TEXT_TREETABLE", record.TEXT_TREETABLE);
    copyInteger("ID_ICO_TREETABLE", record.ID_ICO_TREETABLE);
    pendingPicture = record.ID_ICO_TREETABLE;
    copyInteger("ID_SERVERS", record.ID_SERVERS);
    copyText("DOMAIN_NAME_SERVERS", record.DOMAIN_NAME_SERVERS);
    copyText("IP_ADDRESS_SERVERS", record.IP_ADDRES_SERVERS);
    copyText("PORT_SERVERS", record.PORT_SERVERS);
    copyText("TRANSLATION_SERVERS", record.TRANSLATION_SERVERS);
    copyInteger("DEFAUL_PASS_SERVERS", record.DEFAUL_PASS_SERVERS);
    copyInteger("DEFAUL_DNS_OR_IP_SERVERS", record.DEFAUL_DNS_OR_IP_SERVERS);
    copyInteger("DEFAUL_RDP_OR_SSH_SERVERS", record.DEFAUL_RDP_OR_SSH_SERVERS);
    copyInteger("ID_LOGIN_PASS", record.ID_LOGIN_PASS);
    copyText("LOGIN_LOGIN_PASS", record.LOGIN_LOGIN_PASS);
    if (has("PASS_LOGIN_PASS"))
        record.PASS_LOGIN_PASS = decode_string(text("PASS_LOGIN_PASS"));
    copyInteger("PERSONAL_LOGIN_PASS", record.PERSONAL_LOGIN_PASS);
    copyInteger("ID_LOGIN_PASS_SERV_WITH_LOG_PAS", record.ID_LOGIN_PASS_WITH_LOGIN_PASSS);
    copyInteger("DNS_OR_IP_SERV_WITH_LOG_PAS", record.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS);
    copyInteger("RDP_OR_SSH_SERV_WITH_LOG_PAS", record.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS);
    if (has("NOTES_SERVERS"))
        record.NOTES_SERVERS = storedBytes(perIBQuery.fieldByName(QStringLiteral("NOTES_SERVERS")));
}

type_ServerParametrs2 readObject(RunDatabase& db, int idTreetable, int userId, bool* exists) {
    UseRunDatabase use(db);
    type_ServerParametrs2 record = readStoredRows(idTreetable, userId, exists);
    loadKeySetInUse(record, userId);
    return record;
}

void procSelectInTreeViewe(RunDatabase& db, ClientSelection& state, int userId) {
    bool exists = false;
    {
        UseRunDatabase use(db);
        state.gperServerParametrs = readStoredRows(state.gperServerParametrs.ID_TREETABLE, userId, &exists);
    }
    state.MAS_LOGIN_PASS = readVisibleKeySets(db, userId);
    takeKeySetInUseFromList(state.gperServerParametrs, state.MAS_LOGIN_PASS);
    state.gperServerParametrs2.ID_ICO_TREETABLE = state.gperServerParametrs.ID_ICO_TREETABLE;
    state.objectLoaded = true;
    state.objectExists = exists;
    state.gperComboBoxItemIndex =
        keySetIndexToShow(state.MAS_LOGIN_PASS, state.gperServerParametrs.ID_LOGIN_PASS,
                          state.gperServerParametrs.DEFAUL_PASS_SERVERS);
}

bool IfSelectedObjectOnTreeView(RunDatabase& db, ClientSelection& state, const ObjectTreeModel& tree,
                                const TreeNode* node, int userId) {
    if (!node)
        return false;
    state.gperParametersOfEventsUPDATE = type_ParametersOfEvents{};
    state.gperServerParametrs.ID_TREETABLE = node->id();
    state.gperTreeViewItemIndex = tree.absoluteIndex(node);
    procSelectInTreeViewe(db, state, userId);

    const type_ServerParametrs2& p = state.gperServerParametrs;
    type_ParametersOfEvents& event = state.gperParametersOfEventsUPDATE;
    event.UserID_ = userId;
    event.TYPE_NODE_before = p.TYPE_NODE;
    event.Path_before = ObjectTreeModel::path(node);
    event.Text_ = p.TEXT_TREETABLE;
    event.ID_ICO_TREETABLE_before = p.ID_ICO_TREETABLE;
    event.DOMAIN_NAME_SERVERS_before = p.DOMAIN_NAME_SERVERS;
    event.IP_ADDRES_SERVERS_before = p.IP_ADDRES_SERVERS;
    event.LOGIN_LOGIN_PASS_before = p.LOGIN_LOGIN_PASS;
    event.PORT_SERVERS_before = p.PORT_SERVERS;
    event.ID_LOGIN_PASS_before = p.ID_LOGIN_PASS;
    {
        UseRunDatabase use(db);
        event.NAME_LOGIN_PASS_before = nameOfKeySet(state, p.ID_LOGIN_PASS);
    }
    event.PASS_LOGIN_PASS_before = p.PASS_LOGIN_PASS; // plain, in memory only
    event.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before = p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS;
    return true;
}

QString refusalToSave(const EditorValues& editor) {
    struct Column {
        QString label;
        QString value; // as it will be stored
        int width;
    };
    const QString encodedPassword = encode_string(editor.password);
    const Column columns[] = {
        {QStringLiteral("Название"), editor.name.trimmed(), kTextWidth},
        {QStringLiteral("DN/URL"), editor.domainName.trimmed(), kDomainNameWidth},
        {QStringLiteral("IP адрес"), editor.ipAddress.trimmed(), kIpAddressWidth},
        {QStringLiteral("Порт"), editor.port.trimmed(), kPortWidth},
        {QStringLiteral("Кодировка"), editor.translation.trimmed(), kTranslationWidth},
        {QStringLiteral("Имя \"ключей\""), editor.keySetName.trimmed(), kKeySetNameWidth},
        {QStringLiteral("Логин"), editor.login.trimmed(), kLoginWidth},
        {QStringLiteral("Пароль"), editor.password, kPasswordWidth},
    };
    for (const Column& column : columns) {
        if (!fb::fitsCp1251(column.value))
            return unsupportedCharacterMessage(column.label, column.value);
        if (fb::toCp1251(column.value).size() > column.width)
            return limitMessage(column.label, column.width);
    }
    // The stored form is trimmed when read back; a character that encodes to a
    // blank at either end would silently vanish from the password.
    if (encodedPassword.trimmed() != encodedPassword) {
        const QChar lost =
            encodedPassword.front().isSpace() ? editor.password.front() : editor.password.back();
        return QStringLiteral("Пароль не может начинаться или заканчиваться символом «%1»: он не сохранится.")
            .arg(lost);
    }
    return {};
}

int INSERT_OR_UPDATE_DATA_BY_TABLE_LOGIN_PASS(ClientSelection& state, const EditorValues& editor,
                                              int userId) {
    type_ServerParametrs2& s2 = state.gperServerParametrs2;
    s2.NAME_LOGIN_PASS = editor.keySetName;
    s2.LOGIN_LOGIN_PASS = editor.login;
    s2.PASS_LOGIN_PASS = encode_string(editor.password);
    s2.PERSONAL_LOGIN_PASS = editor.sharedKeySet ? 0 : userId;
    if (isListedKeySet(state.MAS_LOGIN_PASS, state.gperComboBoxItemIndex)) {
        s2.ID_LOGIN_PASS = state.MAS_LOGIN_PASS[state.gperComboBoxItemIndex].ID;
        if (readKeySet(s2.ID_LOGIN_PASS).ID == 0) // deleted meanwhile: the overwrite brings it back
            insert_data_for_table_LOGIN_PASS(s2.ID_LOGIN_PASS, s2.NAME_LOGIN_PASS, s2.LOGIN_LOGIN_PASS,
                                             s2.PASS_LOGIN_PASS, s2.PERSONAL_LOGIN_PASS);
        else
            update_for_table_LOGIN_PASS(s2.NAME_LOGIN_PASS, s2.LOGIN_LOGIN_PASS, s2.PASS_LOGIN_PASS,
                                        s2.PERSONAL_LOGIN_PASS, s2.ID_LOGIN_PASS);
    } else if (needsNewKeySet(editor)) {
        s2.ID_LOGIN_PASS = Gen_ID_table_LOGIN_PASS();
        insert_data_for_table_LOGIN_PASS(s2.ID_LOGIN_PASS, s2.NAME_LOGIN_PASS, s2.LOGIN_LOGIN_PASS,
                                         s2.PASS_LOGIN_PASS, s2.PERSONAL_LOGIN_PASS);
    } else {
        s2.ID_LOGIN_PASS = 0;
    }
    return s2.ID_LOGIN_PASS;
}

SaveOutcome procSaveDataInBase(RunDatabase& db, ClientSelection& state, ObjectTreeModel& tree, int userId,
                               const EditorValues& editor, const std::function<bool()>& confirmOverwrite) {
    if (!state.objectLoaded)
        return {SaveResult::NothingLoaded, {}};
    if (const QString why = refusalToSave(editor); !why.isEmpty())
        return {SaveResult::Refused, why};

    UseRunDatabase use(db);
    const int id = state.gperServerParametrs.ID_TREETABLE;
    bool exists = false;
    const type_ServerParametrs2 now = readStoredRows(id, userId, &exists);
    if (!exists)
        return {SaveResult::ObjectDeleted, kObjectDeletedMessage};
    const PlannedSave plan = plannedSave(state, editor, userId);
    const type_LOGIN_PASS keySetNow =
        plan.updatesListedKeySet ? readKeySet(plan.keySet.ID) : type_LOGIN_PASS{};
    if (overwritesOthersChanges(state, now, keySetNow, plan) && !(confirmOverwrite && confirmOverwrite())) {
        reselect(db, state, tree, userId);
        return {SaveResult::Reloaded, {}};
    }

    type_ServerParametrs2& s2 = state.gperServerParametrs2;
    s2 = plan.record;
    s2.ID_SERVERS = now.ID_SERVERS;
    INSERT_OR_UPDATE_DATA_BY_TABLE_LOGIN_PASS(state, editor, userId);
    s2.ID_LOGIN_PASS_WITH_LOGIN_PASSS = s2.ID_LOGIN_PASS;
    s2.DEFAUL_PASS_SERVERS = editor.sharedKeySet ? s2.ID_LOGIN_PASS : 0;

    update_for_table_TREETABLE(s2.TEXT_TREETABLE, s2.ID_TREETABLE, s2.ID_ICO_TREETABLE, s2.TYPE_NODE);
    s2.ID_SERVERS = serverRowOf(s2);
    update_for_table_SERVERS(s2.ID_SERVERS, s2.DOMAIN_NAME_SERVERS, s2.IP_ADDRES_SERVERS, s2.PORT_SERVERS,
                             s2.TRANSLATION_SERVERS, s2.DEFAUL_PASS_SERVERS, s2.DEFAUL_DNS_OR_IP_SERVERS,
                             s2.DEFAUL_RDP_OR_SSH_SERVERS, s2.NOTES_SERVERS);
    saveLinkRow(userId, s2);

    procSelectInTreeViewe(db, state, userId);

    // The node is found by identity: other nodes may have come or gone since the selection.
    TreeNode* node = tree.nodeById(id);
    if (node) {
        tree.setText(node, s2.TEXT_TREETABLE);
        tree.setImageIndex(node, s2.ID_ICO_TREETABLE);
        state.gperTreeViewItemIndex = tree.absoluteIndex(node);
    }
    fillAfterValues(state.gperParametersOfEventsUPDATE, state, editor);
    insertDataInLOGS(withoutPasswords(state.gperParametersOfEventsUPDATE));
    return {SaveResult::Saved, {}};
}
