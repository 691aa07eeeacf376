#include "db/UserAccounts.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"

namespace {

const QString kSelectUser = QStringLiteral("SELECT * from USER_DB WHERE ID = :perID_USER_DB");

// Checking and writing in one statement: a change another copy made after our read
// makes it match no row instead of being overwritten.
const QString kUpdatePasswordIfUnchanged =
    QStringLiteral("UPDATE USER_DB SET PASS =             :perPASS  where ID = :perID_USER_DB and PASS is "
                   "not distinct from :perOLD_PASS returning ID");

const QString kAllUserNames = QStringLiteral("select FIO from USER_DB");

} // namespace

StoredUserPassword readStoredPassword(int perID_USER_DB) {
    auto query = my_initialization_TIBQuery();
    query->setSql(kSelectUser);
    query->setParam(QStringLiteral("perID_USER_DB"), perID_USER_DB);
    query->open();
    StoredUserPassword stored;
    if (query->eof())
        return stored;
    stored.found = true;
    const fb::Field pass = query->fieldByName(QStringLiteral("PASS"));
    if (!pass.isNull())
        stored.pass = pass.asString();
    return stored;
}

PasswordChange changePasswordIfUnchanged(int perID_USER_DB, const std::optional<QString>& perOLD_PASS,
                                         const QString& perPASS) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kUpdatePasswordIfUnchanged);
    query->setParam(QStringLiteral("perPASS"), perPASS);
    query->setParam(QStringLiteral("perID_USER_DB"), perID_USER_DB);
    if (perOLD_PASS)
        query->setParamText(QStringLiteral("perOLD_PASS"), *perOLD_PASS);
    else
        query->setParamNull(QStringLiteral("perOLD_PASS"));
    query->execSql();
    const bool changed = !query->eof() && !query->field(0).isNull();
    runDatabase().IBTransaction2.commit();
    if (changed)
        return PasswordChange::Changed;
    return readStoredPassword(perID_USER_DB).found ? PasswordChange::PasswordChangedMeanwhile
                                                   : PasswordChange::UserGone;
}

bool userNameTaken(const QString& perFIO) {
    const QString wanted = perFIO.trimmed();
    auto query = my_initialization_TIBQuery();
    query->setSql(kAllUserNames);
    query->open();
    for (; !query->eof(); query->next()) {
        if (query->fieldByName(QStringLiteral("FIO"))
                .asString()
                .trimmed()
                .compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
