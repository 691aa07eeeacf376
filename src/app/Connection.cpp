#include "Connection.h"

#include "Ini.h"
#include "RunDatabase.h"
#include "Variable.h"
#include "fb/Database.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "fb/Transaction.h"

void ReadParamConnectToBase() {
    const QString section = QStringLiteral("BASE");
    ConfIniFile.PatchToBasse = Read_ini_str(section, QStringLiteral("PATH"));
    ConfIniFile.LoginByBasse = Read_ini_str(section, QStringLiteral("LOGIN"));
    ConfIniFile.PassByBasse = Read_ini_str(section, QStringLiteral("PASS"));
    ConfIniFile.IP = Read_ini_str(section, QStringLiteral("IP"));
}

void ConnectToBase(fb::Database& IBDatabase, fb::Transaction& IBTransaction, fb::Query& IBQuery) {
    IBDatabase.clearParams(); // refuses while the database is open
    IBDatabase.setDatabaseName(ConfIniFile.IP + QLatin1Char(':') + ConfIniFile.PatchToBasse);
    IBDatabase.addParam(QStringLiteral("USER_NAME=") + ConfIniFile.LoginByBasse);
    IBDatabase.addParam(QStringLiteral("PASSWORD=") + ConfIniFile.PassByBasse);
    IBDatabase.addParam(QStringLiteral("LC_CTYPE=WIN1251"));
    IBDatabase.open();
    IBTransaction.setDefaultDatabase(IBDatabase);
    IBTransaction.start();
    IBQuery.setTransaction(IBTransaction);
}

namespace {

// Text inside a '...' literal of SQL.
QString quotedLiteralText(const QString& text) {
    QString doubled = text;
    return doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
}

} // namespace

QString createDatabaseStatement(const QString& per_IP, const QString& per_Path) {
    const QString crlf = QStringLiteral("\r\n");
    const QString userClause = QStringLiteral("user 'SYSDBA' password '") +
                               QLatin1String(kSysdbaDefaultPassword) + QStringLiteral("' ");
    return QStringLiteral("CREATE DATABASE '") + quotedLiteralText(per_IP + QLatin1Char(':') + per_Path) +
           QStringLiteral("' ") + userClause + crlf + QStringLiteral("page_size 4096") + crlf +
           QStringLiteral("default character set win1251") + crlf;
}

void CreateDataBase(QObject* /*per_fmConnectToBase*/, const QString& per_IP, const QString& per_Path) {
    // The statement makes its own short-lived attachment and closes it again.
    fb::Database::executeCreateDatabase(createDatabaseStatement(per_IP, per_Path));
}

std::unique_ptr<fb::Query> my_initialization_TIBQuery() {
    RunDatabase& db = runDatabase();
    return std::make_unique<fb::Query>(db.IBDatabase1, db.IBTransaction1);
}

std::unique_ptr<fb::Query> my_initialization_TIBQuery_insert() {
    RunDatabase& db = runDatabase();
    return std::make_unique<fb::Query>(db.IBDatabase1, db.IBTransaction2);
}

void executeAndCommit(fb::Query& query) {
    query.execSql();
    runDatabase().IBTransaction2.commit();
}

void inOneWriteTransaction(const std::function<void(fb::Transaction&)>& work) {
    fb::Transaction transaction(runDatabase().IBDatabase1);
    try {
        work(transaction);
        if (transaction.active())
            transaction.commit();
    } catch (...) {
        if (transaction.active()) {
            try {
                transaction.rollback();
            } catch (const fb::Error&) {
                // The connection is gone; the server drops the transaction itself.
            }
        }
        throw;
    }
}
