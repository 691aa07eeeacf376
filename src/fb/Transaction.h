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
    explicit Transaction(Database& defaultDatabase);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Database& database() const { return *m_db; }
    void setDefaultDatabase(Database& db);

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

    Database* m_db;
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::set<Query*> m_openQueries;
};

} // namespace fb
