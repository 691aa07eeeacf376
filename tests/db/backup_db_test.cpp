#include "SchemaCatalog.h"
#include "app/Connection.h"
#include "db/Backup.h"
#include "db/BackupRunner.h"
#include "fb/Error.h"
#include "support/SchemaDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <random>

using testsupport::SchemaDatabase;

namespace {

const QString kHost = QStringLiteral("127.0.0.1");

QByteArray randomBytes(int size, unsigned seed) {
    std::mt19937 gen(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& b : bytes)
        b = static_cast<char>(gen() & 0xFF);
    return bytes;
}

void writeWithBlob(const QString& sql, const QString& name, const QByteArray& bytes) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(sql);
    query->setParamBlob(name, bytes);
    executeAndCommit(*query);
}

// Every row of every table, each value as text and as raw bytes.
schemacatalog::Lines allRows() {
    schemacatalog::Lines lines;
    QStringList tables = schemacatalog::userTables();
    tables.sort();
    for (const QString& table : tables) {
        auto q = schemacatalog::readSystem(QStringLiteral("select * from %1 order by 1").arg(table));
        for (; !q->eof(); q->next()) {
            QString line = table;
            for (int i = 0; i < q->fieldCount(); ++i) {
                const fb::Field f = q->field(i);
                line += QLatin1Char('|') +
                        (f.isNull() ? QStringLiteral("NULL") : f.asString() + u'=' + f.asBytes().toHex());
            }
            schemacatalog::add(lines, line);
        }
    }
    return lines;
}

struct Snapshot {
    schemacatalog::Lines rows, schema, generators;
};

Snapshot snapshotOf(RunDatabase& db) {
    RunDatabase* previous = &runDatabase();
    setRunDatabase(&db);
    Snapshot s{allRows(), schemacatalog::structure(), schemacatalog::generatorValues()};
    setRunDatabase(previous);
    return s;
}

class BackupRestore : public SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure())
            return;
        backupFolder = folder.file(QStringLiteral("backup"));
        restoreFolder = folder.file(QStringLiteral("restore"));
        for (const QString& f : {backupFolder, restoreFolder}) {
            ASSERT_TRUE(CreateDirEx(f));
            QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                         QFileDevice::WriteOther | QFileDevice::ExeOther);
        }
    }

    ServiceJob job(ServiceJob::Kind kind, const QString& backupFile, const QString& database) const {
        ServiceJob j;
        j.kind = kind;
        j.host = kHost;
        j.user = QStringLiteral("SYSDBA");
        j.password = QString::fromLatin1(kSysdbaDefaultPassword);
        j.backupFile = backupFile;
        j.database = database;
        j.progressInterval = BackupRunner::kDefaultProgressInterval;
        return j;
    }

    struct Result {
        bool ok = false;
        QString error;
        bool targetExists = false;
        QStringList lines;
    };

    Result runToEnd(const ServiceJob& j) {
        BackupRunner runner;
        Result result;
        QObject::connect(&runner, &BackupRunner::line, [&](const QString& l) { result.lines << l; });
        QSignalSpy finished(&runner, &BackupRunner::finished);
        EXPECT_TRUE(runner.start(j));
        EXPECT_TRUE(finished.wait(120000));
        if (finished.isEmpty())
            return result;
        result.ok = finished.at(0).at(0).toBool();
        result.error = finished.at(0).at(1).toString();
        result.targetExists = finished.at(0).at(2).toBool();
        EXPECT_FALSE(runner.busy());
        return result;
    }

    QString backupNow() {
        const QString name = freeBackupFileName(QDateTime::currentDateTime(), [&](const QString& n) {
            return QFile::exists(joinServerPath(backupFolder, n));
        });
        const QString file = joinServerPath(backupFolder, name);
        const Result r = runToEnd(job(ServiceJob::Kind::Backup, file, dbPath));
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        return file;
    }

    void fill() {
        using testsupport::execWrite;
        execWrite(QStringLiteral("insert into TREETABLE (ID_PARENT, TEXT, ID_ICO, POSITION_, TYPE_NODE) "
                                 "values (0, 'Серверы бухгалтерии', 3, 0, 1)"));
        execWrite(QStringLiteral("insert into TREETABLE (ID_PARENT, TEXT, ID_ICO, POSITION_, TYPE_NODE) "
                                 "values (1, 'Сервер ёжик', 7, 1, 0)"));
        writeWithBlob(
            QStringLiteral("insert into SERVERS (ID_TREETABLE, DOMAIN_NAME, IP_ADDRES, PORT, NOTES) "
                           "values (2, 'ёжик.пример', '10.0.0.2', '3389', :perNOTES)"),
            QStringLiteral("perNOTES"),
            QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'c7\\'e0\\'ec\\'e5\\'f2\\'ea\\'e8\\par}"));
        writeWithBlob(QStringLiteral("insert into SERVERS (ID_TREETABLE, DOMAIN_NAME, NOTES) "
                                     "values (1, 'big', :perNOTES)"),
                      QStringLiteral("perNOTES"), randomBytes(300000, 1));
        for (unsigned i = 0; i < 5; ++i)
            writeWithBlob(QStringLiteral("insert into LOGS (PARAMETERS) values (:perP)"),
                          QStringLiteral("perP"), randomBytes(60 + static_cast<int>(i) * 37, 10 + i));
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Пётр Иванов', 'x')"));
        testsupport::execUnchecked(QStringLiteral("set generator GEN_ICO_ID to 4242"));
    }

    QString backupFolder;
    QString restoreFolder;
};

} // namespace

TEST_F(BackupRestore, RestoredDatabaseHoldsTheSameRowsBlobsGeneratorsAndSchema) {
    fill();
    const QString backup = backupNow();
    ASSERT_TRUE(QFile::exists(backup));
    EXPECT_EQ(LoadListofBackupFiles(backupFolder), QStringList{QFileInfo(backup).fileName()});

    const QString target = joinServerPath(restoreFolder, restoredDatabaseName(QFileInfo(backup).fileName()));
    const Result r = runToEnd(job(ServiceJob::Kind::Restore, backup, target));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_FALSE(r.lines.isEmpty());

    auto restored = testsupport::connectAnother(target);
    const Snapshot before = snapshotOf(db);
    const Snapshot after = snapshotOf(*restored);
    EXPECT_EQ(after.schema, before.schema);
    EXPECT_EQ(after.schema, schemacatalog::currentSchema());
    EXPECT_EQ(after.generators, before.generators);
    EXPECT_EQ(after.rows, before.rows);
    EXPECT_GT(before.rows.size(), 10u);
}

TEST_F(BackupRestore, TwoBackupsInOneMinuteMakeTwoFiles) {
    const QString first = backupNow();
    const QString second = backupNow();
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(LoadListofBackupFiles(backupFolder).size(), 2);
}

TEST_F(BackupRestore, WrongPasswordEndsWithTheAttachError) {
    ServiceJob j =
        job(ServiceJob::Kind::Backup, joinServerPath(backupFolder, QStringLiteral("x.fdk")), dbPath);
    j.password = QStringLiteral("wrong");
    const Result r = runToEnd(j);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_FALSE(QFile::exists(j.backupFile));
}

TEST_F(BackupRestore, FolderTheServerCannotWriteEndsWithItsError) {
    const QString closed = folder.file(QStringLiteral("closed"));
    ASSERT_TRUE(CreateDirEx(closed));
    QFile::setPermissions(closed, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString file = joinServerPath(closed, QStringLiteral("x.fdk"));
    const Result r = runToEnd(job(ServiceJob::Kind::Backup, file, dbPath));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(file)) << r.error.toStdString();
    EXPECT_FALSE(r.targetExists);
}

TEST_F(BackupRestore, ExistingTargetIsRefusedUntilReplaceIsAsked) {
    const QString backup = backupNow();
    const QString target = joinServerPath(restoreFolder, QStringLiteral("copy.fdb"));
    ASSERT_TRUE(runToEnd(job(ServiceJob::Kind::Restore, backup, target)).ok);

    const Result refused = runToEnd(job(ServiceJob::Kind::Restore, backup, target));
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.targetExists) << refused.error.toStdString();

    ServiceJob replacing = job(ServiceJob::Kind::Restore, backup, target);
    replacing.replace = true;
    const Result replaced = runToEnd(replacing);
    EXPECT_TRUE(replaced.ok) << replaced.error.toStdString();
}

TEST_F(BackupRestore, ConnectedDatabaseIsRefused) {
    const std::optional<ServerPath> connected = connectedDatabase();
    ASSERT_TRUE(connected.has_value());
    const QFileInfo info(dbPath);
    const RestorePlan plan = planRestore(
        {QStringLiteral("localhost"), backupFolder, info.path(), info.completeBaseName() + ".fdk"},
        connected);
    EXPECT_EQ(plan.refusal, kMessageConnectedDatabase.arg(joinServerPath(info.path(), info.fileName())));
}

TEST_F(BackupRestore, RunnerTakesOneJobAtATime) {
    BackupRunner runner;
    QSignalSpy finished(&runner, &BackupRunner::finished);
    ASSERT_TRUE(runner.start(job(ServiceJob::Kind::Backup, joinServerPath(backupFolder, "a.fdk"), dbPath)));
    EXPECT_FALSE(runner.start(job(ServiceJob::Kind::Backup, joinServerPath(backupFolder, "b.fdk"), dbPath)));
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_FALSE(QFile::exists(joinServerPath(backupFolder, "b.fdk")));
}

// A table large enough that a restore takes a noticeable time.
class LargeBackupRestore : public BackupRestore {
protected:
    void SetUp() override {
        BackupRestore::SetUp();
        if (HasFatalFailure())
            return;
        testsupport::execUnchecked(QStringLiteral("create table BIG (ID integer not null primary key, "
                                                  "NAME varchar(200), UNIQ varchar(40))"));
        testsupport::execUnchecked(QStringLiteral(
            "execute block as declare i int = 0; begin while (i < 60000) do begin "
            "insert into BIG values (:i, uuid_to_char(gen_uuid()) || uuid_to_char(gen_uuid()), "
            "uuid_to_char(gen_uuid())); i = i + 1; end end"));
        testsupport::execUnchecked(QStringLiteral("create index BIG_UNIQ on BIG (UNIQ)"));
        backup = backupNow();
    }

    QString backup;
};

TEST_F(LargeBackupRestore, LinesArriveWhileTheServerIsStillWorking) {
    BackupRunner runner;
    QElapsedTimer clock;
    qint64 firstLineAt = -1;
    int linesBeforeEnd = 0;
    QObject::connect(&runner, &BackupRunner::line, [&](const QString&) {
        if (firstLineAt < 0)
            firstLineAt = clock.elapsed();
        ++linesBeforeEnd;
    });
    QSignalSpy finished(&runner, &BackupRunner::finished);
    clock.start();
    ASSERT_TRUE(
        runner.start(job(ServiceJob::Kind::Restore, backup, joinServerPath(restoreFolder, "big.fdb"))));
    ASSERT_TRUE(finished.wait(120000));
    const qint64 total = clock.elapsed();
    EXPECT_TRUE(finished.at(0).at(0).toBool()) << finished.at(0).at(1).toString().toStdString();
    EXPECT_GT(linesBeforeEnd, 20);
    ASSERT_GE(firstLineAt, 0);
    EXPECT_LT(firstLineAt, total / 2) << "first line after " << firstLineAt << " ms of " << total;
}

TEST_F(LargeBackupRestore, StoppingMidRestoreReturnsPromptlyAndTheServerFinishes) {
    const QString target = joinServerPath(restoreFolder, QStringLiteral("big.fdb"));
    QElapsedTimer stopping;
    {
        BackupRunner runner;
        QSignalSpy lines(&runner, &BackupRunner::line);
        QSignalSpy finished(&runner, &BackupRunner::finished);
        ASSERT_TRUE(runner.start(job(ServiceJob::Kind::Restore, backup, target)));
        ASSERT_TRUE(lines.wait(60000));
        stopping.start();
        runner.stop();
        EXPECT_FALSE(runner.busy());
        EXPECT_LT(stopping.elapsed(), 5000);
        QCoreApplication::processEvents();
        EXPECT_TRUE(finished.isEmpty()); // nobody is told about a job given up
    }
    // Firebird goes on without us; the restored database becomes usable.
    bool complete = false;
    for (int attempt = 0; attempt < 120 && !complete; ++attempt) {
        try {
            auto restored = testsupport::connectAnother(target);
            fb::Query q(restored->IBDatabase1, restored->IBTransaction1);
            q.setSql(QStringLiteral("select count(*) from BIG"));
            q.open();
            complete = q.field(0).asInteger() == 60000;
        } catch (const fb::Error&) {
        }
        if (!complete)
            QTest::qWait(500);
    }
    EXPECT_TRUE(complete);
}
