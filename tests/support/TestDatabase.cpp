#include "TestDatabase.h"

#include "app/Connection.h"
#include "app/Variable.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

namespace {

// Creates the database at path as the program does and lets fill work on it.
void makeDatabase(const QString& path, const std::function<void()>& fill) {
    CreateDataBase(nullptr, QString::fromLatin1(kServer), path);
    if (!fill)
        return;
    RunDatabase filling;
    connect(filling, path);
    RunDatabase* const previous = currentRunDatabase();
    setRunDatabase(&filling);
    try {
        fill();
    } catch (...) {
        setRunDatabase(previous);
        throw;
    }
    setRunDatabase(previous);
    filling.IBDatabase1.close();
}

// The closed template files of this test program. ctest runs every test in a
// process of its own, so they are kept in a folder of their own (by program) and
// renewed when the program has been built again. A template is made under a
// name of its own and renamed into place once closed, so that programs running
// side by side never see half of one.
class Templates {
public:
    Templates() {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        const QByteArray key =
            QCryptographicHash::hash(program.absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
                .toHex()
                .left(16);
        m_folder = QDir::tempPath() + QStringLiteral("/vestibar-templates-%1/").arg(QString::fromLatin1(key));
        m_stamp = QStringLiteral("%1-%2").arg(program.lastModified().toMSecsSinceEpoch()).arg(program.size());
    }

    // A copy of the template at path; false when none can be had here (the folder
    // cannot be made, or this process may not read the server's files).
    bool copyTo(const QString& kind, const std::function<void()>& fill, const QString& path) {
        if (!QDir().mkpath(m_folder) || !openToAll(m_folder, true))
            return false;
        const QString source = m_folder + kind + QLatin1Char('-') + m_stamp + QStringLiteral(".fdb");
        if (!QFile::exists(source) && !make(kind, fill, source))
            return false;
        return QFile::copy(source, path) && openToAll(path, false);
    }

private:
    static bool openToAll(const QString& path, bool folder) {
        QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                     QFileDevice::ReadOther | QFileDevice::WriteOther;
        if (folder)
            p |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
        return QFile::setPermissions(path, p);
    }

    bool make(const QString& kind, const std::function<void()>& fill, const QString& target) {
        const QString part = target + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
        makeDatabase(part, fill);
        if (!QFile::rename(part, target) && !QFile::exists(target)) {
            QFile::remove(part);
            return false;
        }
        QFile::remove(part);
        // Templates of earlier builds of this program are of no more use.
        const QStringList old = QDir(m_folder).entryList({kind + QStringLiteral("-*.fdb")}, QDir::Files);
        for (const QString& name : old) {
            if (m_folder + name != target)
                QFile::remove(m_folder + name);
        }
        return true;
    }

    QString m_folder;
    QString m_stamp;
};

Templates& templates() {
    static Templates instance;
    return instance;
}

} // namespace

void FreshDatabase::SetUp() {
    setUpFromTemplate(QStringLiteral("empty"), {});
}

void FreshDatabase::setUpFromTemplate(const QString& kind, const std::function<void()>& fill) {
    dbPath = folder.file(QStringLiteral("test.fdb"));
    if (!templates().copyTo(kind, fill, dbPath)) {
        QFile::remove(dbPath);
        makeDatabase(dbPath, fill);
    }
    connect(db, dbPath);
    setRunDatabase(&db);
}

void FreshDatabase::TearDown() {
    setRunDatabase(nullptr);
    db.IBEvents1.detach();
    db.IBDatabase1.close();
}

} // namespace testsupport
