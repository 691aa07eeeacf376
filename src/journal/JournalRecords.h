#pragma once

#include "journal/ChangeRecord.h"

#include <QString>

// Change records of the tree operations. Each starts from a fresh record, so no
// value of an earlier selection (passwords included) travels with a move or a
// deletion; receivers ignore the fields a kind does not name.

// Kind 1: object newId created under parentId (0: at the top level).
type_ParametersOfEvents creationRecord(int userId, int newId, int parentId, const QString& text,
                                       const QString& newPath);
// Kind 3: object movedId made the last child of newParentId. The path after is
// the new parent's path, a backslash and the object's name.
type_ParametersOfEvents moveRecord(int userId, int movedId, int newParentId, const QString& text,
                                   const QString& pathBefore, const QString& newParentPath);
// Kind 4: object deletedId deleted with everything below it.
type_ParametersOfEvents deletionRecord(int userId, int deletedId, const QString& text,
                                       const QString& pathBefore);

// The identity an entry is about: the created, moved or deleted object, or for an
// update the identity the save wrote into IDchildren_ (0 from older copies).
int objectIdOf(const type_ParametersOfEvents& entry);

// After this copy's own journal insert succeeded: the pending record of the
// loaded object compares its next save or move against the values just written.
// Nothing happens when the entry is about another object.
void rebasePendingRecord(type_ParametersOfEvents& pending, int pendingObjectId,
                         const type_ParametersOfEvents& journalled);
