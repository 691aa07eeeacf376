// Prepares a demo installation on the local server the way a new user would with
// the sign-in window's "Создать" box: a new database (schema version 12, the first
// user "admin", then the upgrade to the current version) and a config.ini that
// connects to it automatically. An existing demo database is left alone.
//
//   vestibar-prepare-demo <folder of config.ini> <database file as the server sees it>

#include "DemoContent.h"
#include "app/Connection.h"
#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QString kLogin = QStringLiteral("SYSDBA");

void writeConfig(const QString& databasePath) {
    const QString base = QStringLiteral("BASE");
    Write_ini_str(base, QStringLiteral("PATH"), databasePath);
    Write_ini_str(base, QStringLiteral("LOGIN"), kLogin);
    Write_ini_str(base, QStringLiteral("PASS"), QString::fromLatin1(kSysdbaDefaultPassword));
    Write_ini_str(base, QStringLiteral("IP"), kHost);
    Write_ini_bool(base, QStringLiteral("AUTOCONNECT"), true);
}

void createDatabase(const QString& databasePath) {
    CreateDataBase(nullptr, kHost, databasePath);
    RunDatabase db;
    setRunDatabase(&db);
    ReadParamConnectToBase();
    ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
    CreateTablesInNewBase();
    UpdateBase();
    fillDemoContent();
    setRunDatabase(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        out << "usage: vestibar-prepare-demo <config folder> <database file>\n";
        return 2;
    }
    const QString& databasePath = args[2];
    setConfigFolder(args[1]);
    try {
        if (QFileInfo::exists(databasePath)) {
            out << "demo database already there: " << databasePath << "\n";
            if (Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH")).isEmpty())
                writeConfig(databasePath);
            return 0;
        }
        writeConfig(databasePath);
        createDatabase(databasePath);
        out << "demo database created: " << databasePath << " (user admin, password kestu)\n";
        return 0;
    } catch (const fb::Error& e) {
        QTextStream(stderr) << "vestibar-prepare-demo: " << e.text() << "\n";
        return 1;
    }
}
