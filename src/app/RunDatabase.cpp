#include "RunDatabase.h"

#include "fb/Error.h"

namespace {
RunDatabase* current = nullptr;
}

RunDatabase& runDatabase() {
    if (!current)
        throw fb::Error(QStringLiteral("No database objects for this run"));
    return *current;
}

void setRunDatabase(RunDatabase* db) {
    current = db;
}

RunDatabase* currentRunDatabase() {
    return current;
}
