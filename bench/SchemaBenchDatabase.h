#pragma once

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Query.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A fresh database with the program's schema on the local server, made current for
// the run, in a folder the server can write. Gone with the object.
class SchemaBenchDatabase {
public:
    SchemaBenchDatabase() : m_dir(QDir::tempPath() + QStringLiteral("/vestibar-bench-XXXXXX")) {
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        path = m_dir.path() + QStringLiteral("/bench.fdb");
        CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
        ConfIniFile = {path, QStringLiteral("SYSDBA"), QString::fromLatin1(kSysdbaDefaultPassword),
                       QStringLiteral("127.0.0.1")};
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        setRunDatabase(&db);
        CreateTablesInNewBase();
        UpdateBase();
    }
    ~SchemaBenchDatabase() {
        setRunDatabase(nullptr);
        db.IBDatabase1.close();
    }
    SchemaBenchDatabase(const SchemaBenchDatabase&) = delete;
    SchemaBenchDatabase& operator=(const SchemaBenchDatabase&) = delete;

    // Runs one statement in the write transaction without committing; commit() ends
    // a batch of them.
    void write(const QString& sql) {
        fb::Query query(db.IBDatabase1, db.IBTransaction2);
        query.setSql(sql);
        query.execSql();
    }
    void commit() { db.IBTransaction2.commit(); }

    RunDatabase db;
    QString path;

private:
    QTemporaryDir m_dir;
};
