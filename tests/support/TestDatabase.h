#pragma once

#include "app/RunDatabase.h"
#include "fb/Query.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

inline constexpr const char* kServer = "127.0.0.1";
inline constexpr const char* kSysdba = "SYSDBA";

// A fresh folder that the server's own user can write; removed with the object.
class ServerFolder {
public:
    ServerFolder();
    ~ServerFolder();
    ServerFolder(const ServerFolder&) = delete;
    ServerFolder& operator=(const ServerFolder&) = delete;
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return m_path + QLatin1Char('/') + name; }

private:
    QString m_path;
};

// Statement helpers for the current RunDatabase, through the program's own
// query factories.

// Runs one statement in the write transaction and commits it.
void execWrite(const QString& sql);

// As execWrite, with the parameter check off: the text goes to the server as
// written, so colons in trigger bodies are not taken for parameters (for DDL).
void execUnchecked(const QString& sql);

// The same on the write transaction of the given attachment; without commit the
// transaction stays open for the caller to end.
void execUnchecked(RunDatabase& on, const QString& sql, bool commit = true);

// Opens a query in the read transaction; the caller reads the rows.
std::unique_ptr<fb::Query> readRows(const QString& sql);

// The first column of the first row of a query, as an integer.
int readInt(const QString& sql);

// The number of rows in a table.
int countRows(const QString& table);

// Opens another attachment to the same database (as another running copy of the
// program would), with its own transactions.
std::unique_ptr<RunDatabase> connectAnother(const QString& databasePath);

// Runs the statement functions against another attachment for as long as it lives,
// then makes `own` current again.
class AsAnotherClient {
public:
    AsAnotherClient(RunDatabase& other, RunDatabase& own) : m_own(own) { setRunDatabase(&other); }
    ~AsAnotherClient() { setRunDatabase(&m_own); }
    AsAnotherClient(const AsAnotherClient&) = delete;
    AsAnotherClient& operator=(const AsAnotherClient&) = delete;

private:
    RunDatabase& m_own;
};

// The server's number of an attachment (CURRENT_CONNECTION).
int attachmentId(RunDatabase& of);

// Ends attachment `id` from `killer`, as an administrator does through the
// monitoring tables: the victim's next call finds its connection gone.
void killAttachment(RunDatabase& killer, int id);

// Each test gets a new empty database, created as the program creates one and
// connected through a RunDatabase that is made current. ConfIniFile holds its
// connection parameters.
//
// Making a database on the server takes a good part of a second, and a schema
// seconds more, so each kind is made once per test program and every test gets
// a copy of that file.
class FreshDatabase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // For fixtures that start from more than an empty database: the copy is of a
    // database that `fill` (run once, with that database current) has filled.
    // `kind` names the content; the same kind must always be filled the same way.
    void setUpFromTemplate(const QString& kind, const std::function<void()>& fill);

    ServerFolder folder;
    QString dbPath;
    RunDatabase db;
};

} // namespace testsupport
