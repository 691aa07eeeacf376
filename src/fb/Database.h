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

// One attachment to a database. Its parameters are "NAME=value" lines; the ones
// understood are USER_NAME, PASSWORD and LC_CTYPE (the character set of the
// connection; text is always exchanged in code page 1251 on our side).
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
    // Ends every transaction (rolling back what is active) and detaches.
    void close();
    bool connected() const;

    // Runs a whole CREATE DATABASE statement (dialect 3) and detaches again.
    static void executeCreateDatabase(const QString& sql);

    Firebird::IAttachment* attachment() const;

private:
    friend class Transaction;
    friend class Query;

    void requireClosed() const;

    QString m_name;
    QStringList m_params;
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::set<Transaction*> m_transactions;
    std::set<Query*> m_queries;
};

} // namespace fb
