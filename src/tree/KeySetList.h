#pragma once

#include "db/TableLoginPass.h"

#include <QString>
#include <QVector>

struct RunDatabase;

// The rules of the main window's key-set list (MAS_LOGIN_PASS) that need no
// widget. The list holds one entry more than there are key sets: the last one is
// empty (ID 0) and has no item in the box.

// The user's own key sets and the shared ones, ordered by ID, passwords decoded,
// plus the empty last entry. userId 0 gives only the shared ones.
QVector<type_LOGIN_PASS> readVisibleKeySets(RunDatabase& db, int userId);

// True when index names a listed key set (not the empty last entry).
bool isListedKeySet(const QVector<type_LOGIN_PASS>& list, int index);

// Position of the first listed key set with this ID; -1 for none or an ID <= 0.
int listedKeySetIndex(const QVector<type_LOGIN_PASS>& list, int id);

// find_LOGIN_PASS_and_passt_data_to_edits: the object's own key set if it is
// listed, else its default key set if listed, else -1.
int keySetIndexToShow(const QVector<type_LOGIN_PASS>& list, int perID_LOGIN_PASS, int perDEFAUL_PASS);

// The item a typed name selects: the first whose name equals it, letter case
// aside (Latin and Cyrillic alike); -1 when none does.
int keySetIndexByName(const QVector<type_LOGIN_PASS>& list, const QString& typed);

// A key set this user may see: shared, or personal to the user.
bool isVisibleTo(const type_LOGIN_PASS& keySet, int userId);
