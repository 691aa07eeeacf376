// The demo database's content: a small tree of folders, servers and sites with
// shared and personal key sets, written through the program's own statements.

#include "DemoContent.h"

#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "db/TableLoginPass.h"
#include "db/TableServers.h"
#include "db/TableServersWithLoginPass.h"
#include "db/TableUserDB.h"
#include "fb/Cp1251.h"
#include "fb/Query.h"
#include "tree/TreeViwe.h"

namespace {

constexpr int kAdmin = 1;  // the first user of every new database
constexpr int kPetrov = 2; // added below

enum Type { Server = 0, Folder = 1, Site = 2 };
enum Protocol { Rdp = 1, Ssh = 2, Browser = 3 };

// Picture numbers of the tree's icon list: seven colours of each picture.
constexpr int kServerBlue = 0, kServerRed = 2, kFolderBlue = 7, kFolderGreen = 8, kFolderOrange = 10;
constexpr int kGlobeBlue = 14, kGlobeTeal = 19, kRouterGreen = 43, kDatabasePurple = 32, kMonitorGrey = 27;

struct Object {
    int id;
    int parent;
    int position;
    const char* name;
    Type type;
    int picture;
    const char* domainName = "";
    const char* ip = "";
    const char* port = "";
    const char* translation = "";
    int protocol = 0;
    int defaultKeySet = 0;
    const char* notes = nullptr;
};

void addKeySet(int id, const char* name, const char* login, const char* password, int owner) {
    insert_data_for_table_LOGIN_PASS(id, QString::fromUtf8(name), QString::fromUtf8(login),
                                     encode_string(QString::fromUtf8(password)), owner);
}

void addObject(const Object& o) {
    const QString name = QString::fromUtf8(o.name);
    if (o.parent == 0)
        insert_ID_Parent_TreeView_to_Base(o.id, 0, name, o.position);
    else
        insert_ID_Child_TreeView_to_Base(o.id, o.parent, name, o.position);
    update_for_table_TREETABLE(name, o.id, o.picture, o.type);
    insertDataInSERVERS(o.id, QString::fromUtf8(o.domainName), QString::fromUtf8(o.ip),
                        QString::fromUtf8(o.port), QString::fromUtf8(o.translation));
    if (o.type == Folder)
        return;
    const int serverId = SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(o.id)
                             ->fieldByName(QStringLiteral("ID_SERVERS"))
                             .asInteger();
    const QByteArray notes = o.notes ? fb::toCp1251(QString::fromUtf8(o.notes)) : QByteArray();
    update_for_table_SERVERS(serverId, QString::fromUtf8(o.domainName), QString::fromUtf8(o.ip),
                             QString::fromUtf8(o.port), QString::fromUtf8(o.translation), o.defaultKeySet, 1,
                             o.protocol, notes);
}

int serverRowOf(int treeId) {
    return SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(treeId)
        ->fieldByName(QStringLiteral("ID_SERVERS"))
        .asInteger();
}

} // namespace

void fillDemoContent() {
    insert_data_for_table_USER_DB(QStringLiteral("Петров"), encode_string(QStringLiteral("petrov")));

    addKeySet(1, "Домен АДМ", "corp\\admin", "Qwerty12", 0);
    addKeySet(2, "Linux root", "root", "Tux-2024", 0);
    addKeySet(3, "Мой личный", "a.ivanov", "Секрет1", kAdmin);
    addKeySet(4, "Личный Петрова", "p.petrov", "Петров77", kPetrov);

    const Object objects[] = {
        {1, 0, 1, "Офис Москва", Folder, kFolderBlue},
        {2, 1, 1, "Контроллер домена", Server, kServerBlue, "dc01.corp.local", "10.0.0.10", "3389", "", Rdp,
         1, "Перезагрузка только после 22:00.\nОтветственный: Иванов И.И."},
        {3, 1, 2, "Файловый сервер", Server, kServerBlue, "fs01.corp.local", "10.0.0.11", "3389", "", Rdp, 1},
        {4, 1, 3, "Сервер 1С", Server, kServerRed, "1c.corp.local", "10.0.0.20", "3389", "", Rdp, 1,
         "Лицензии 1С на USB-ключе в стойке 3."},
        {5, 0, 2, "Филиал Казань", Folder, kFolderGreen},
        {6, 5, 1, "Шлюз", Server, kRouterGreen, "gw.kazan.local", "10.1.0.1", "22", "UTF-8", Ssh, 2},
        {7, 5, 2, "Видеонаблюдение", Server, kMonitorGrey, "cctv.kazan.local", "10.1.0.30", "2222", "UTF-8",
         Ssh, 2},
        {8, 0, 3, "Сайты", Folder, kFolderOrange},
        {9, 8, 1, "Портал компании", Site, kGlobeBlue, "https://portal.corp.local", "", "", "", Browser},
        {10, 8, 2, "Почта", Site, kGlobeTeal, "https://mail.corp.local", "", "", "", Browser},
        {11, 0, 4, "Резервное копирование", Server, kDatabasePurple, "nas01.corp.local", "10.0.0.50", "22",
         "UTF-8", Ssh, 2, "Копии баз каждую ночь в 02:00."},
    };
    for (const Object& object : objects)
        addObject(object);

    // The admin uses a personal key set for the backup server; Петров has one of
    // his own for the domain controller, which the admin never sees.
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(kAdmin, serverRowOf(11), 3, 1, Ssh);
    insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(kPetrov, serverRowOf(2), 4, 2, Rdp);

    // New objects and key sets continue after the demo's own identities.
    RequestSQL(QStringLiteral("SET GENERATOR GEN_TREETABLE_ID TO 11"));
    RequestSQL(QStringLiteral("SET GENERATOR GEN_LOGIN_PASS_ID TO 4"));
}
