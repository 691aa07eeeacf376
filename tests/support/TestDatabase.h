#pragma once

#include "app/RunDatabase.h"

#include <QString>
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

// Opens another attachment to the same database (as another running copy of the
// program would), with its own transactions.
std::unique_ptr<RunDatabase> connectAnother(const QString& databasePath);

// Each test gets a new empty database, created as the program creates one and
// connected through a RunDatabase that is made current. ConfIniFile holds its
// connection parameters.
class FreshDatabase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ServerFolder folder;
    QString dbPath;
    RunDatabase db;
};

} // namespace testsupport
