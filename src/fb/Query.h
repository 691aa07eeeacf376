#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <variant>

namespace fb {

class Database;
class Transaction;
class Query;

// One column of the current row. A read on a NULL value, or past the last row,
// gives 0, empty text or no bytes.
class Field {
public:
    const QString& name() const;
    bool isNull() const;
    int asInteger() const;
    qint64 asInt64() const;
    // Text decoded from code page 1251, exactly as the server sent it (CHAR values
    // keep their padding); numbers as decimal text; a BLOB's bytes as text.
    QString asString() const;
    // A BLOB's contents, or the raw bytes of a text value.
    QByteArray asBytes() const;

private:
    friend class Query;
    Field(const Query& query, int index) : m_query(&query), m_index(index) {}
    const Query* m_query;
    int m_index;
};

// A statement with named parameters (":perID") run in one transaction. A query may
// outlive its database or its transaction; from then on running it fails with
// fb::Error and its fields read as NULL.
class Query {
public:
    Query(Database& db, Transaction& transaction);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Both fail with fb::Error once that object has been destroyed.
    Database& database() const;
    Transaction& transaction() const;
    void setTransaction(Transaction& transaction);

    // Replaces the statement; closes the result set and forgets all values.
    void setSql(const QString& sql);
    const QString& sql() const { return m_sql; }
    // Off: the text goes to the server untouched, so colons inside PSQL bodies stay
    // local variables. Such a statement takes no parameters.
    void setParamCheck(bool on);
    const QStringList& paramNames() const { return m_paramNames; }

    // The usual rule: 0 and blank text bind as NULL, other text is bound trimmed.
    void setParam(const QString& name, int value);
    void setParam(const QString& name, const QString& text);
    // Exact values, where the rule does not apply.
    void setParamInt(const QString& name, qint64 value);
    void setParamText(const QString& name, const QString& text);
    void setParamNull(const QString& name);
    void setParamBlob(const QString& name, const QByteArray& bytes);

    // Runs the statement; one that returns rows is left open on its first row.
    void execSql();
    // Runs a statement that returns rows and stands on the first one.
    void open();
    void close();
    bool isOpen() const { return m_open; }
    bool eof() const { return m_eof; }
    void next();
    // Reads forward to the end and stands on the last row (eof when there is none).
    void last();
    // Rows inserted, updated or deleted by the last execSql(); -1 before the first
    // run of the statement and for statements that return a result set.
    int rowsAffected() const { return m_rowsAffected; }

    int fieldCount() const;
    Field field(int index) const;
    // Names match without regard to case; an unknown name is an error.
    Field fieldByName(const QString& name) const;
    Field operator[](const QString& name) const { return fieldByName(name); }

private:
    friend class Field;
    friend class Database;
    friend class Transaction;

    struct Blob {
        QByteArray bytes;
    };
    using Value = std::variant<std::monostate, qint64, QByteArray, Blob>;

    void bind(const QString& name, Value value);
    void prepare();
    void unprepare();
    void runStatement(bool wantCursor);
    void fetch();
    void closeCursor();

    Database* m_db;    // null once the database is destroyed
    Transaction* m_tr; // null once the transaction is destroyed
    QString m_sql;
    bool m_paramCheck = true;
    QString m_positionalSql;
    QStringList m_paramNames;
    QHash<QString, Value> m_values; // keyed by upper-case name
    bool m_open = false;
    bool m_eof = true;
    int m_rowsAffected = -1;

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace fb
