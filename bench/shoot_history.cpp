// Shows the main window and the change history of one server, with entries of two
// users, on the current display and photographs the screen with ImageMagick's import.
// Run under a virtual display: xvfb-run -a -s "-screen 0 1280x800x24" build/bench/shoot_history <file.png>
// (the server must be up: scripts/firebird-up.sh).

#include "SchemaBenchDatabase.h"
#include "app/Ini.h"
#include "journal/ChangeRecord.h"
#include "journal/JournalRecords.h"
#include "ui/Dialogs.h"
#include "ui/unGeneral.h"
#include "ui/unHistory.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void journal(SchemaBenchDatabase& database, const type_ParametersOfEvents& r, const QString& when) {
    fb::Query query(database.db.IBDatabase1, database.db.IBTransaction2);
    query.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perP)"));
    QByteArray bytes = serializeChangeRecord(r);
    if (!when.isEmpty())
        bytes +=
            timeTrailer(QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm")).toMSecsSinceEpoch());
    query.setParamBlob(QStringLiteral("perP"), bytes);
    query.execSql();
    database.commit();
}

type_ParametersOfEvents change(int user, int id, const QString& path) {
    type_ParametersOfEvents r;
    r.UserID_ = user;
    r.Type_ = 2;
    r.IDchildren_ = id;
    r.Path_before = path;
    r.Text_ = path.section(QLatin1Char('\\'), -1);
    r.TEXT_TREETABLE_after = r.Text_;
    return r;
}

void fillDatabase(SchemaBenchDatabase& database) {
    // User 1 is the first user every new database has.
    database.write(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров Иван', 'x')"));
    const QString objects[][3] = {
        {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("Москва")},
        {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("Контроллер домена DC01")},
        {QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("Сервер 1С")},
        {QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("Филиалы")},
    };
    for (const auto& o : objects) {
        database.write(
            QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, TYPE_NODE) values (%1, %2, '%3', %4)")
                .arg(o[0], o[1], o[2],
                     o[1] == QStringLiteral("0") ? QStringLiteral("1") : QStringLiteral("0")));
        if (o[1] != QStringLiteral("0"))
            database.write(
                QStringLiteral("insert into SERVERS (ID, ID_TREETABLE) values (%1, %1)").arg(o[0]));
    }
    database.commit();

    const QString dc = QStringLiteral("\\Москва\\Контроллер домена DC01");
    journal(database,
            creationRecord(1, 2, 1, QStringLiteral("Новый объект"), QStringLiteral("\\Москва\\Новый объект")),
            QStringLiteral("2026-11-02 09:14"));
    type_ParametersOfEvents rename = change(1, 2, QStringLiteral("\\Москва\\Новый объект"));
    rename.TEXT_TREETABLE_after = QStringLiteral("Контроллер домена DC01");
    rename.DOMAIN_NAME_SERVERS_after = QStringLiteral("dc01.corp.local");
    rename.IP_ADDRES_SERVERS_after = QStringLiteral("10.0.0.10");
    journal(database, rename, QStringLiteral("2026-11-02 09:16"));
    journal(database,
            creationRecord(2, 3, 1, QStringLiteral("Сервер 1С"), QStringLiteral("\\Москва\\Сервер 1С")),
            QStringLiteral("2026-11-03 11:40"));
    type_ParametersOfEvents keys = change(2, 2, dc);
    keys.ID_LOGIN_PASS_before = 1;
    keys.ID_LOGIN_PASS_after = 2;
    keys.NAME_LOGIN_PASS_before = QStringLiteral("Общий");
    keys.NAME_LOGIN_PASS_after = QStringLiteral("Администраторы домена");
    journal(database, keys, QStringLiteral("2026-11-05 17:02"));
    type_ParametersOfEvents older = change(1, 0, dc); // an older copy: no identity, no time
    older.PORT_SERVERS_before = QStringLiteral("3389");
    older.PORT_SERVERS_after = QStringLiteral("3390");
    journal(database, older, QString());
    type_ParametersOfEvents password = change(2, 2, dc);
    password.NAME_LOGIN_PASS_before = QStringLiteral("Администраторы домена");
    password.PASS_LOGIN_PASS_before = QStringLiteral("Пароль2024");
    password.PASS_LOGIN_PASS_after = QStringLiteral("Пароль2025");
    journal(database, password, QStringLiteral("2026-12-01 08:30"));
    type_ParametersOfEvents protocol = change(1, 2, dc);
    protocol.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before = 1;
    protocol.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after = 2;
    protocol.PORT_SERVERS_before = QStringLiteral("3390");
    protocol.PORT_SERVERS_after = QStringLiteral("22");
    journal(database, protocol, QStringLiteral("2026-12-09 14:05"));
    journal(database,
            moveRecord(2, 2, 4, QStringLiteral("Контроллер домена DC01"), dc, QStringLiteral("\\Филиалы")),
            QStringLiteral("2026-12-10 08:47"));
    journal(database,
            moveRecord(2, 2, 1, QStringLiteral("Контроллер домена DC01"),
                       QStringLiteral("\\Филиалы\\Контроллер домена DC01"), QStringLiteral("\\Москва")),
            QStringLiteral("2026-12-10 08:49"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: shoot_history <picture.png>\n");
        return 2;
    }
    QTemporaryDir configDir;
    setConfigFolder(configDir.path());
    SchemaBenchDatabase database;
    fillDatabase(database);
    QtDialogs dialogs;
    TfmGeneral general(database.db, 1, dialogs);
    general.move(0, 0);
    general.show();
    settle(300);
    TreeNode* server = general.treeModel().nodeById(2);
    general.selectNode(server);
    TfmHistory* history = TfmHistory::open(general, server);
    history->move(276, 110);
    settle(900);
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int rc = QProcess::execute(QStringLiteral("import"),
                                     {QStringLiteral("-window"), QStringLiteral("root"), file});
    std::printf("%s %s\n", rc == 0 ? "shot" : "FAILED", qPrintable(file));
    history->close();
    setConfigFolder(QString());
    return rc == 0 ? 0 : 1;
}
