// Shows the key-set manager and each tab of the settings window on the current
// display and photographs the screen with ImageMagick's import after each step.
// Run under a virtual display: xvfb-run -a -s "-screen 0 1280x800x24" build/bench/shoot_windows <folder>
// (the server must be up: scripts/firebird-up.sh).

#include "SchemaBenchDatabase.h"
#include "app/Ini.h"
#include "db/TableLoginPass.h"
#include "ui/Dialogs.h"
#include "ui/unKeysCase.h"
#include "ui/unSetings.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

class NoMainWindow : public SetingsHost, public KeysCaseHost {
public:
    void applyOnTop(bool) override {}
    void applyTransparency(int) override {}
    void placeMainWindow(int, int) override {}
    void stopDoublePressWatcher() override {}
    void startDoublePressWatcher() override {}
    void installHotkey() override {}
    void removeHotkey() override {}
    void restartRequestChanged() override {}
    void reloadAndSelectKeySet(int) override {}
    void setMainWindowEnabled(bool) override {}
    QWidget* mainWindow() override { return nullptr; }
};

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool shoot(const QString& folder, const QString& name) {
    settle(700);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const int rc = QProcess::execute(QStringLiteral("import"),
                                     {QStringLiteral("-window"), QStringLiteral("root"), file});
    std::printf("%s %s\n", rc == 0 ? "shot" : "FAILED", qPrintable(file));
    return rc == 0;
}

int addKeySet(const QString& name, const QString& login, const QString& password, int personal) {
    const int id = Gen_ID_table_LOGIN_PASS();
    insert_data_for_table_LOGIN_PASS(id, name, login, encode_string(password), personal);
    return id;
}

void fillDatabase(SchemaBenchDatabase& database) {
    database.write(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров Иван', 'x')"));
    database.commit();
    const int domain = addKeySet(QStringLiteral("Администраторы домена"), QStringLiteral("CORP\\admin"),
                                 QStringLiteral("Пароль2024"), 0);
    addKeySet(QStringLiteral("Бухгалтерия 1С"), QStringLiteral("buh"), QStringLiteral("1"), 0);
    addKeySet(QStringLiteral("Личный VPN"), QStringLiteral("ivanov"), QStringLiteral("1"), 1);
    addKeySet(QStringLiteral("Маршрутизатор МТС"), QStringLiteral("root"), QStringLiteral("1"), 0);
    addKeySet(QStringLiteral("Почта Яндекс"), QStringLiteral("it@example.ru"), QStringLiteral("1"), 0);
    addKeySet(QStringLiteral("Чужой личный"), QStringLiteral("petrov"), QStringLiteral("1"), 2);
    const QString servers[] = {QStringLiteral("Контроллер домена DC01"),
                               QStringLiteral("Сервер 1С:Предприятие"), QStringLiteral("Файловый сервер")};
    for (int i = 0; i < 3; ++i) {
        database.write(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (%1, 0, '%2')")
                           .arg(i + 1)
                           .arg(servers[i]));
        database.write(QStringLiteral("insert into SERVERS (ID, ID_TREETABLE) values (%1, %1)").arg(i + 1));
        database.write(QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, "
                                      "ID_USER_DB) values (%1, %2, 1)")
                           .arg(i + 1)
                           .arg(domain));
    }
    database.commit();
}

void writeConfig(const QString& folder) {
    IniBatch batch;
    const QString base = QStringLiteral("BASE"), set = QStringLiteral("SETINGS");
    batch.str(base, QStringLiteral("PATH"), QStringLiteral("/srv/firebird/основная.fdb"));
    batch.str(base, QStringLiteral("LOGIN"), QStringLiteral("SYSDBA"));
    batch.str(base, QStringLiteral("PASS"), QStringLiteral("masterkey"));
    batch.str(base, QStringLiteral("IP"), QStringLiteral("10.0.0.5"));
    batch.boolean(base, QStringLiteral("AUTOCONNECT"), true);
    batch.integer(set, QStringLiteral("TRANSPARENCY"), 220);
    batch.boolean(set, QStringLiteral("DOUBLECLICK"), true);
    batch.boolean(set, QStringLiteral("SETHOTKEY"), true);
    batch.integer(set, QStringLiteral("MONITOR"), 0);
    batch.integer(set, QStringLiteral("POSITION"), 1);
    batch.boolean(set, QStringLiteral("CopyPassToBufer"), true);
    batch.boolean(set, QStringLiteral("BrowserByDefaultBool"), true);
    batch.str(set, QStringLiteral("BrowserByDefaultPath"), QStringLiteral("/usr/bin/firefox"));
    batch.str(set, QStringLiteral("BackupFolder"), folder + QStringLiteral("/backup/"));
    batch.write();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: shoot_windows <folder for the pictures>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QtDialogs dialogs;
    NoMainWindow host;
    bool allShot = true;

    SchemaBenchDatabase database;
    fillDatabase(database);
    gperID_USER_DB = 1;
    TfmKeysCase* manager = TfmKeysCase::open(host, dialogs, 1);
    allShot &= shoot(out, QStringLiteral("keyscase"));
    manager->close();

    QTemporaryDir configDir;
    setConfigFolder(configDir.path());
    writeConfig(configDir.path());
    TfmSetings* settings = TfmSetings::showSettings(host, dialogs);
    auto* pages = settings->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        allShot &= shoot(out, QStringLiteral("settings_%1").arg(i + 1));
    }
    settings->close();
    setConfigFolder(QString());
    return allShot ? 0 : 1;
}
