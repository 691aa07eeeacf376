#pragma once

#include "fb/Database.h"
#include "fb/EventListener.h"
#include "fb/Query.h"
#include "fb/Transaction.h"

// The database objects of the run. The sign-in window owns the one instance and
// makes it current; every statement function reaches it through runDatabase().
struct RunDatabase {
    fb::Database IBDatabase1;
    // Reads; started at connect, kept for the run. Read-only, so it holds back no
    // garbage collection; generator calls (GEN_ID) still work in it.
    fb::Transaction IBTransaction1{IBDatabase1, fb::Transaction::ReadOnly};
    fb::Transaction IBTransaction2{IBDatabase1}; // writes; each write commits it
    fb::Query IBQuery1{IBDatabase1, IBTransaction1};
    fb::EventListener IBEvents1{QStringLiteral("InsertDataToLogsBase")};
};

// The current instance; throws fb::Error when there is none.
RunDatabase& runDatabase();
void setRunDatabase(RunDatabase* db);
// The current instance or nullptr.
RunDatabase* currentRunDatabase();

// Makes db current for the scope's life and then restores the one before it, so
// code acting for one of several clients in a process (each with its own
// attachment) runs the statement functions on that client's database.
class UseRunDatabase {
public:
    explicit UseRunDatabase(RunDatabase& db) : m_previous(currentRunDatabase()) { setRunDatabase(&db); }
    ~UseRunDatabase() { setRunDatabase(m_previous); }
    UseRunDatabase(const UseRunDatabase&) = delete;
    UseRunDatabase& operator=(const UseRunDatabase&) = delete;

private:
    RunDatabase* m_previous;
};
