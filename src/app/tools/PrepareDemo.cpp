// Prepares a demo installation on the local server: see db/DemoDatabase.h.
//
//   vestibar-prepare-demo <folder of config.ini> <database file as the server sees it> [host]

#include "DemoContent.h"
#include "app/Ini.h"
#include "db/DemoDatabase.h"
#include "fb/Error.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 4) {
        out << "usage: vestibar-prepare-demo <config folder> <database file> [host]\n";
        return 2;
    }
    const QString& databasePath = args[2];
    const QString host = args.size() == 4 ? args[3] : QStringLiteral("127.0.0.1");
    setConfigFolder(args[1]);
    try {
        switch (prepareDemoDatabase(host, databasePath, fillDemoContent)) {
        case DemoOutcome::Created:
            out << "demo database created: " << databasePath << " (user admin, password kestu)\n";
            break;
        case DemoOutcome::Recreated:
            out << "demo database was not usable and was made again: " << databasePath
                << " (user admin, password kestu)\n";
            break;
        case DemoOutcome::Kept:
            out << "demo database already there: " << databasePath << "\n";
            break;
        }
        return 0;
    } catch (const fb::Error& e) {
        QTextStream(stderr) << "vestibar-prepare-demo: " << e.text() << "\n";
        return 1;
    }
}
