#pragma once

#include "fb/Error.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

struct RunDatabase;

// Tree edits as the database guards them. Each runs in one transaction of its own
// on the given attachment (so open result sets of IBTransaction2 stay open),
// commits once and rolls back on failure. Rows another user holds are retried for
// a moment, then the edit is refused. Journalling is the caller's next step, after
// the commit and after its own tree has been changed.

inline const QString kObjectGoneText = QStringLiteral("Объект удалён другим пользователем");
inline const QString kObjectBusyText =
    QStringLiteral("Объект сейчас изменяет другой пользователь. Повторите попытку.");
inline const QString kMoveBelowItselfText = QStringLiteral(
    "Объект нельзя переместить внутрь него самого: другой пользователь переместил цель под него.");

// An edit the database refused; the text says why.
class TreeEditRefused : public fb::Error {
public:
    using fb::Error::Error;
};

inline const QString kNewObjectText = QStringLiteral("Объект");
inline const QString kNewObjectDomainName = QStringLiteral("Доменное имя компьютера");
inline const QString kNewObjectIp = QStringLiteral("0.0.0.0");

// One TREETABLE row as the tree shows it: text trimmed, NULLs read as 0.
struct TreeRow {
    int ID = 0;
    int ID_PARENT = 0;
    QString TEXT;
    int ID_ICO = 0;
    int POSITION_ = 0;
};

// The row by key, read in db's read transaction; nothing when it is gone.
std::optional<TreeRow> readTreeRow(RunDatabase& db, int id);
// The rows of these identities that exist, read by key in a few statements.
QHash<int, TreeRow> readTreeRows(RunDatabase& db, const QVector<int>& ids);

struct CreatedObject {
    int id = 0;
    int parentId = 0;
    int position = 0;
};

// A new object "Объект" as the last child of parentId (0: at the top level), with
// its server row. Refused with kObjectGoneText when the parent row is gone.
CreatedObject createObjectInBase(RunDatabase& db, int parentId);

// Deletes the object and every row below it, also rows another user added below
// it meanwhile; a cycle in the table ends the walk. Returns the identities
// deleted, none when the row was already gone.
QVector<int> deleteSubtreeInBase(RunDatabase& db, int id);

// Makes srcId the last child of targetId (0: the top level) and returns its new
// position. The source and the target's ancestors are locked first, so two
// crossing moves cannot both go through. Refused when a row is gone, held by
// another user, or when the table already puts the target below the source.
int moveObjectInBase(RunDatabase& db, int srcId, int targetId);

// Swaps siblings[index] with its neighbour before it (direction -1) or after it
// (+1), siblings given in screen order. When their positions in the table are
// equal or out of that order, all of them are first numbered 1..n in screen
// order. False when there is no such neighbour.
bool moveAmongSiblingsInBase(RunDatabase& db, const QVector<int>& siblings, int index, int direction);

// POSITION_ of the row, 0 when NULL or when there is no such row.
int RequestIDForPosition(int perID);
int RequestIDForPosition(RunDatabase& db, int perID);

// The highest POSITION_ among the children of perID_PARENT, 0 when it has none.
int FindLastNumberPositionNode(RunDatabase& db, int perID_PARENT);
