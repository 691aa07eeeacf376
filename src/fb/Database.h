#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <set>

namespace Firebird {
class IAttachment;
}

namespace fb {

class Transaction;
class Query;
class EventListener;

// One attachment to a database. Its parameters are "NAME=value" lines; the ones
// understood are USER_NAME, PASSWORD and LC_CTYPE (the character set of the
// connection; text is always exchanged in code page 1251 on our side).
//
// Transactions, queries and event listeners bound to a database may be closed and
// destroyed in any order, before or after it: closing the database cancels its
// listeners, rolls back its transactions and frees its statements; destroying it
// also cuts their links to it, after which using them fails with fb::Error.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // "host:path" as the server sees it.
    void setDatabaseName(const QString& name);
    const QString& databaseName() const { return m_name; }

    // Fails with "Cannot perform operation -- DB is currently open" while open.
    void clearParams();
    void addParam(const QString& line);
    const QStringList& params() const { return m_params; }

    // Attaches with the parameters above; on failure the database stays closed.
    void open();
    // Cancels every event listener (each emits stopped()), ends every transaction
    // (rolling back what is active), frees every statement and detaches.
    void close();
    bool connected() const;

    // Runs a whole CREATE DATABASE statement (dialect 3) and detaches again.
    static void executeCreateDatabase(const QString& sql);

    Firebird::IAttachment* attachment() const;

private:
    friend class Transaction;
    friend class Query;
    friend class EventListener;

    void requireClosed() const;
    void cancelListeners();

    QString m_name;
    QStringList m_params;
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::set<Transaction*> m_transactions;
    std::set<Query*> m_queries;
    std::set<EventListener*> m_listeners; // those registered on the attachment
};

} // namespace fb
