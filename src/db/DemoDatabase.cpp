#include "db/DemoDatabase.h"

#include "app/Connection.h"
#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Error.h"
#include "fb/Query.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

const QString kLogin = QStringLiteral("SYSDBA");

// Makes db current for as long as it lives and closes it at the end.
class DemoConnection {
public:
    DemoConnection(const QString& host, const QString& databasePath) : m_previous(currentRunDatabase()) {
        ConfIniFile = {databasePath, kLogin, QString::fromLatin1(kSysdbaDefaultPassword), host};
        ConnectToBase(m_db.IBDatabase1, m_db.IBTransaction1, m_db.IBQuery1);
        setRunDatabase(&m_db);
    }
    ~DemoConnection() {
        setRunDatabase(m_previous);
        try {
            m_db.IBDatabase1.close();
        } catch (const fb::Error&) {
        }
    }
    DemoConnection(const DemoConnection&) = delete;
    DemoConnection& operator=(const DemoConnection&) = delete;

private:
    RunDatabase* m_previous;
    RunDatabase m_db;
};

int otherAttachments() {
    auto query = my_initialization_TIBQuery();
    query->setSql(QStringLiteral("select count(*) from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> "
                                 "CURRENT_CONNECTION and MON$SYSTEM_FLAG = 0"));
    query->open();
    return query->field(0).asInteger();
}

// The schema version of the file, or nothing when it is no usable demo database.
// A server that cannot be reached or refuses SYSDBA says nothing about the file:
// that failure is passed on.
std::optional<int> existingVersion(const QString& host, const QString& databasePath) {
    std::optional<DemoConnection> connection;
    try {
        connection.emplace(host, databasePath);
    } catch (const fb::Error& e) {
        if (e.isNetworkError() || e.isLoginFailure())
            throw;
        return std::nullopt;
    }
    int version = 0;
    try {
        version = RequestVersionDataBase();
    } catch (const fb::Error&) {
        // No DATA_PROGRAMM: the schema was never made.
    }
    if (version > 0) {
        if (version < kCurrentVersionDataBase)
            UpdateBase();
        return version;
    }
    if (otherAttachments() > 0)
        throw fb::Error(QStringLiteral("The demo database %1 has no schema but is in use; it is left alone")
                            .arg(databasePath));
    return std::nullopt;
}

void createDemo(const QString& host, const QString& databasePath, const std::function<void()>& fillContent) {
    CreateDataBase(nullptr, host, databasePath);
    DemoConnection connection(host, databasePath);
    CreateTablesInNewBase();
    UpdateBase();
    if (fillContent)
        fillContent();
}

void pointConfigAt(const QString& host, const QString& databasePath) {
    const QString base = QStringLiteral("BASE");
    if (!Read_ini_str(base, QStringLiteral("PATH")).isEmpty())
        return;
    Write_ini_str(base, QStringLiteral("PATH"), databasePath);
    Write_ini_str(base, QStringLiteral("LOGIN"), kLogin);
    Write_ini_str(base, QStringLiteral("PASS"), QString::fromLatin1(kSysdbaDefaultPassword));
    Write_ini_str(base, QStringLiteral("IP"), host);
    Write_ini_bool(base, QStringLiteral("AUTOCONNECT"), true);
}

} // namespace

DemoOutcome prepareDemoDatabase(const QString& host, const QString& databasePath,
                                const std::function<void()>& fillContent) {
    const type_StuctureIniFile savedConnection = ConfIniFile;
    DemoOutcome outcome = DemoOutcome::Created;
    try {
        if (QFileInfo::exists(databasePath)) {
            if (existingVersion(host, databasePath)) {
                outcome = DemoOutcome::Kept;
            } else {
                if (!QFile::remove(databasePath))
                    throw fb::Error(
                        QStringLiteral("Cannot remove the broken demo database %1").arg(databasePath));
                outcome = DemoOutcome::Recreated;
            }
        }
        if (outcome != DemoOutcome::Kept)
            createDemo(host, databasePath, fillContent);
    } catch (...) {
        ConfIniFile = savedConnection;
        throw;
    }
    ConfIniFile = savedConnection;
    pointConfigAt(host, databasePath);
    return outcome;
}
