#include "app/ConnectionCheck.h"

#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "fb/Database.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "fb/Transaction.h"

#include <optional>

namespace {

// Two attachments reach the same database when the server names the same file
// with the same creation time, however host and path were spelt.
const QString kDatabaseIdentity =
    QStringLiteral("select MON$DATABASE_NAME as DB_NAME, MON$CREATION_DATE as CREATED from MON$DATABASE");

QString identityOf(fb::Database& database, fb::Transaction& transaction) {
    fb::Query query(database, transaction);
    query.setSql(kDatabaseIdentity);
    query.open();
    return query.fieldByName(QStringLiteral("DB_NAME")).asString().trimmed() + QLatin1Char('|') +
           query.fieldByName(QStringLiteral("CREATED")).asString();
}

std::optional<QString> runIdentity() {
    try {
        RunDatabase& run = runDatabase();
        if (!run.IBDatabase1.connected())
            return std::nullopt;
        // A short transaction of its own: a monitoring snapshot lasts as long as its
        // transaction, and the read transaction lasts the whole run.
        fb::Transaction transaction(run.IBDatabase1);
        return identityOf(run.IBDatabase1, transaction);
    } catch (const fb::Error&) {
        return std::nullopt;
    }
}

} // namespace

bool testConnectToBase(const type_StuctureIniFile& params) {
    fb::Database trial;
    trial.setDatabaseName(params.IP + QLatin1Char(':') + params.PatchToBasse);
    trial.addParam(QStringLiteral("USER_NAME=") + params.LoginByBasse);
    trial.addParam(QStringLiteral("PASSWORD=") + params.PassByBasse);
    trial.addParam(QStringLiteral("LC_CTYPE=WIN1251"));
    trial.open();
    QString identity;
    {
        fb::Transaction transaction(trial);
        identity = identityOf(trial, transaction);
    }
    trial.close();
    const std::optional<QString> run = runIdentity();
    return run && *run == identity;
}

type_StuctureIniFile readSavedConnection() {
    const QString section = QStringLiteral("BASE");
    return {Read_ini_str(section, QStringLiteral("PATH")), Read_ini_str(section, QStringLiteral("LOGIN")),
            Read_ini_str(section, QStringLiteral("PASS")), Read_ini_str(section, QStringLiteral("IP"))};
}
