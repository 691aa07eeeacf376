#pragma once

#include <QString>
#include <functional>
#include <memory>

class QObject;
namespace fb {
class Database;
class Transaction;
class Query;
} // namespace fb

inline constexpr const char* kSysdbaDefaultPassword = "quillfern";

// Section BASE of config.ini into ConfIniFile.
void ReadParamConnectToBase();
// Opens IBDatabase with ConfIniFile, starts IBTransaction and binds IBQuery to it.
void ConnectToBase(fb::Database& IBDatabase, fb::Transaction& IBTransaction, fb::Query& IBQuery);
// The CREATE DATABASE statement that CreateDataBase runs. Quotes in the host or
// path are doubled, so any file name the server accepts can be created.
QString createDatabaseStatement(const QString& per_IP, const QString& per_Path);
// Creates an empty database file on the server, owned by SYSDBA.
void CreateDataBase(QObject* per_fmConnectToBase, const QString& per_IP, const QString& per_Path);

// New statement objects on the run's database: the first in the read transaction,
// the second in the write transaction.
std::unique_ptr<fb::Query> my_initialization_TIBQuery();
std::unique_ptr<fb::Query> my_initialization_TIBQuery_insert();

// Runs a statement of the write transaction and commits it at once, as every
// write of the program does.
void executeAndCommit(fb::Query& query);

// Runs several statements as one change: `work` makes its queries on the
// transaction it is given (fb::Query q(tr.database(), tr)); all of it is committed
// together when work returns, and rolled back, the exception passed on, when it
// throws. The transaction is a write transaction of its own on the run's database,
// so the open result sets of IBTransaction1 and IBTransaction2 are left alone.
void inOneWriteTransaction(const std::function<void(fb::Transaction&)>& work);
