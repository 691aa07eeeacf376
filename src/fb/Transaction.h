#pragma once

#include <memory>
#include <set>

namespace Firebird {
class ITransaction;
}

namespace fb {

class Database;
class Query;

// A read-committed, record-version, no-wait transaction. It starts explicitly or,
// when a statement runs in it while it is inactive, by itself.
class Transaction {
public:
    // A read-only transaction refuses every change of data or metadata; generator
    // calls (GEN_ID, NEXT VALUE FOR) still work in it.
    enum Access { ReadWrite, ReadOnly };

    explicit Transaction(Database& defaultDatabase, Access access = ReadWrite);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Fails with fb::Error once the database has been destroyed.
    Database& database() const;
    void setDefaultDatabase(Database& db);
    Access access() const { return m_access; }

    void start();
    // Ending the transaction closes every result set still open in it.
    void commit();
    void rollback();
    bool active() const;

    // Starts the transaction if it is not active yet.
    Firebird::ITransaction* handle();

private:
    friend class Database;
    friend class Query;

    void closeCursors();
    void forgetHandle();

    Database* m_db; // null once the database is destroyed
    Access m_access;
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::set<Query*> m_queries;     // every query bound to this transaction
    std::set<Query*> m_openQueries; // those with an open result set
};

} // namespace fb
