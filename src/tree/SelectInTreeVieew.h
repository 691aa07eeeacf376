#pragma once

#include "db/TableLoginPass.h"
#include "journal/ChangeRecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

struct RunDatabase;
class ObjectTreeModel;
class TreeNode;
namespace fb {
class Query;
}

// Selecting an object and saving it, without widgets. Everything works on the
// attachment, tree and user it is given, so several clients can live in one
// process; a window holds one ClientSelection and shows what it says.

// Every parameter of one object.
struct type_ServerParametrs2 {
    int TYPE_NODE = 0; // 0 server, 1 folder, 2 site
    int ID_TREETABLE = 0;
    QString TEXT_TREETABLE;
    int ID_ICO_TREETABLE = 0;
    int ID_SERVERS = 0; // 0: the object has no SERVERS row (yet)
    QString DOMAIN_NAME_SERVERS;
    QString IP_ADDRES_SERVERS;
    QString PORT_SERVERS;
    QString TRANSLATION_SERVERS;
    int DEFAUL_PASS_SERVERS = 0;
    int DEFAUL_DNS_OR_IP_SERVERS = 0;  // 1 DNS name or URL, 2 IP address
    int DEFAUL_RDP_OR_SSH_SERVERS = 0; // 1 RDP, 2 SSH, 3 Browser
    int ID_LOGIN_PASS = 0;
    QString NAME_LOGIN_PASS; // filled only when saving
    QString LOGIN_LOGIN_PASS;
    // Loaded: the plain password. Gathered for saving: the encoded form.
    QString PASS_LOGIN_PASS;
    int PERSONAL_LOGIN_PASS = 0;
    int ID_LOGIN_PASS_WITH_LOGIN_PASSS = 0;
    int DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS = 0;
    int RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS = 0;
    // The notes exactly as stored; a null array for NULL.
    QByteArray NOTES_SERVERS;

    bool operator==(const type_ServerParametrs2&) const = default;
};

// The selection state of one client.
struct ClientSelection {
    type_ServerParametrs2 gperServerParametrs;  // the object as last loaded
    type_ServerParametrs2 gperServerParametrs2; // gathered by the last save; its picture is the pending one
    int gperTreeViewItemIndex = 0;              // absolute index of the selected node
    int gperComboBoxItemIndex = -1;             // item of the key-set box, -1 for none
    type_ParametersOfEvents gperParametersOfEventsUPDATE; // the pending change record
    QVector<type_LOGIN_PASS> MAS_LOGIN_PASS;              // the key-set list, plus its empty entry
    bool objectLoaded = false;                            // false until the first load
    bool objectExists = false;                            // its TREETABLE row was there at the load
};

// What the editor shows when the save button is pressed.
struct EditorValues {
    int typeIndex = 0; // ComboBox3
    QString name;      // Edit1
    QString domainName;
    QString ipAddress;
    QString port;
    QString translation; // ComboBox2
    QString keySetName;  // ComboBox1
    QString login;
    QString password;          // plain
    bool sharedKeySet = false; // CheckBox1 "Default"
    int addressChoice = 0;     // 1 RadioButton1, 2 RadioButton2, 0 none ticked
    int protocol = 0;          // 1 RDP, 2 SSH, 3 Browser, 0 none ticked
    QByteArray notes;          // to be stored; a null array stores NULL
};

// Copies the columns of the query's current row that the record knows (by alias)
// into record; the other fields keep their values. No current row gives 0 and
// empty text. pendingPicture takes the record's picture, whatever the columns.
void PAST_DATA_TO_GLOPAL_VARIABLE(fb::Query& perIBQuery, type_ServerParametrs2& record, int& pendingPicture);

// The object with its server row, this user's link row and the key set in use:
// the user's own choice, else the object's default; a key set that is personal to
// another user is never loaded. A TREETABLE row without SERVERS row keeps its
// identity (ID_SERVERS 0). exists tells whether the TREETABLE row was found.
type_ServerParametrs2 readObject(RunDatabase& db, int idTreetable, int userId, bool* exists = nullptr);

// Loads state.gperServerParametrs.ID_TREETABLE into the state and refreshes the
// key-set list; the box's selection is the window's to set afterwards.
void procSelectInTreeViewe(RunDatabase& db, ClientSelection& state, int userId);

// Selecting node: clears the pending record, loads the object and fills the
// pending record's before-values. False (nothing done) without a node.
bool IfSelectedObjectOnTreeView(RunDatabase& db, ClientSelection& state, const ObjectTreeModel& tree,
                                const TreeNode* node, int userId);

// Why these editor values cannot be stored; empty when they can. Checked before
// anything is written, so a refused save leaves the database as it was.
QString refusalToSave(const EditorValues& editor);

enum class SaveResult {
    Saved,
    NothingLoaded, // no object has been loaded yet: nothing happens
    Refused,       // message says why; nothing written
    ObjectDeleted, // another user deleted the object; nothing written
    Reloaded,      // another user had changed it and the overwrite was declined
};

struct SaveOutcome {
    SaveResult result = SaveResult::NothingLoaded;
    QString message;
};

inline const QString kOverwriteQuestion =
    QStringLiteral("Объект изменён другим пользователем. Перезаписать?");
inline const QString kObjectDeletedMessage =
    QStringLiteral("Объект удалён другим пользователем. Изменения не сохранены.");

// Saves the key set shown in the editor: a new one while the box shows no listed
// key set (none at all when name, login and password are empty), else an update
// of the listed one. Returns its ID (0 for none).
int INSERT_OR_UPDATE_DATA_BY_TABLE_LOGIN_PASS(ClientSelection& state, const EditorValues& editor, int userId);

// Writes the editor back to the four tables, reloads the object, renames its node
// (found by identity) and journals an entry of kind 2. Before writing it re-reads
// the rows: a field that someone else changed since the load and that this save
// would overwrite asks confirmOverwrite(); false reloads the object instead. The
// journal never receives a password: its password fields are "" before and "" or
// "*" after (the password changed), and IDchildren_ carries the object's identity.
SaveOutcome procSaveDataInBase(RunDatabase& db, ClientSelection& state, ObjectTreeModel& tree, int userId,
                               const EditorValues& editor, const std::function<bool()>& confirmOverwrite);
