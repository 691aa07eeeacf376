#include "TestDatabase.h"

#include "app/Connection.h"
#include "app/Variable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace testsupport {

ServerFolder::ServerFolder() {
    // The server runs as its own user: the folder must be open to it.
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vestibar-test-XXXXXX"));
    dir.setAutoRemove(false);
    m_path = dir.path();
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                      QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                      QFileDevice::WriteOther | QFileDevice::ExeOther);
}

ServerFolder::~ServerFolder() {
    QDir(m_path).removeRecursively();
}

namespace {

void connect(RunDatabase& db, const QString& databasePath) {
    ConfIniFile.PatchToBasse = databasePath;
    ConfIniFile.LoginByBasse = QString::fromLatin1(kSysdba);
    ConfIniFile.PassByBasse = QString::fromLatin1(kSysdbaDefaultPassword);
    ConfIniFile.IP = QString::fromLatin1(kServer);
    ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
}

} // namespace

void execWrite(const QString& sql) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(sql);
    query->execSql();
    runDatabase().IBTransaction2.commit();
}

void execUnchecked(const QString& sql) {
    execUnchecked(runDatabase(), sql);
}

void execUnchecked(RunDatabase& on, const QString& sql, bool commit) {
    fb::Query query(on.IBDatabase1, on.IBTransaction2);
    query.setParamCheck(false);
    query.setSql(sql);
    query.execSql();
    if (commit)
        on.IBTransaction2.commit();
}

std::unique_ptr<fb::Query> readRows(const QString& sql) {
    auto query = my_initialization_TIBQuery();
    query->setSql(sql);
    query->open();
    return query;
}

int readInt(const QString& sql) {
    return readRows(sql)->field(0).asInteger();
}

int countRows(const QString& table) {
    return readRows(QStringLiteral("select count(*) as N from %1").arg(table))
        ->fieldByName(QStringLiteral("N"))
        .asInteger();
}

std::unique_ptr<RunDatabase> connectAnother(const QString& databasePath) {
    auto other = std::make_unique<RunDatabase>();
    const type_StuctureIniFile saved = ConfIniFile;
    connect(*other, databasePath);
    ConfIniFile = saved;
    return other;
}

int attachmentId(RunDatabase& of) {
    fb::Query query(of.IBDatabase1, of.IBTransaction1);
    query.setSql(QStringLiteral("select current_connection from RDB$DATABASE"));
    query.open();
    return query.field(0).asInteger();
}

void killAttachment(RunDatabase& killer, int id) {
    fb::Query query(killer.IBDatabase1, killer.IBTransaction2);
    query.setSql(QStringLiteral("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = :perID"));
    query.setParamInt(QStringLiteral("perID"), id);
    query.execSql();
    killer.IBTransaction2.commit();
}

void FreshDatabase::SetUp() {
    dbPath = folder.file(QStringLiteral("test.fdb"));
    CreateDataBase(nullptr, QString::fromLatin1(kServer), dbPath);
    connect(db, dbPath);
    setRunDatabase(&db);
}

void FreshDatabase::TearDown() {
    setRunDatabase(nullptr);
    db.IBEvents1.detach();
    db.IBDatabase1.close();
}

} // namespace testsupport
