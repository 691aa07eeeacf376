// Backup and restore of a 100 MB database: our service reader against the
// server's own fbsvcmgr tool, both with verbose output, on the same server; and
// how late the event loop runs while a job streams its lines.
// Run: build/bench/bench_backup (the server must be up: scripts/firebird-up.sh).

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/BackupRunner.h"
#include "fb/Service.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QString kUser = QStringLiteral("SYSDBA");

// Rows of mixed width plus BLOBs, as notes and journal entries are, to 100 MB.
class BigDatabase {
public:
    BigDatabase() : m_dir(QDir::tempPath() + QStringLiteral("/vestibar-bench-XXXXXX")) {
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        path = m_dir.path() + QStringLiteral("/big.fdb");
        backup = m_dir.path() + QStringLiteral("/big.fdk");
        restored = m_dir.path() + QStringLiteral("/restored.fdb");
        CreateDataBase(nullptr, kHost, path);
        ConfIniFile = {path, kUser, QString::fromLatin1(kSysdbaDefaultPassword), kHost};
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        exec(QStringLiteral("create table ROWS_ (ID integer not null primary key, NAME varchar(200), "
                            "K varchar(40))"));
        exec(QStringLiteral("create table NOTES_ (ID integer not null primary key, B blob sub_type 0)"));
        exec(QStringLiteral(
            "execute block as declare i int = 0; begin while (i < 200000) do begin "
            "insert into ROWS_ values (:i, uuid_to_char(gen_uuid()) || uuid_to_char(gen_uuid()) "
            "|| uuid_to_char(gen_uuid()), uuid_to_char(gen_uuid())); i = i + 1; end end"));
        exec(QStringLiteral("create index ROWS_K on ROWS_ (K)"));
        // Few large rows: BLOBs of 32000 bytes each.
        exec(QStringLiteral("execute block as declare i int = 0; begin while (i < 2000) do begin "
                            "insert into NOTES_ values (:i, cast(lpad('', 32000, uuid_to_char(gen_uuid())) "
                            "as blob sub_type 0)); i = i + 1; end end"));
        db.IBDatabase1.close();
        sizeMb = QFileInfo(path).size() / (1024.0 * 1024.0);
        // A backup to restore from, whichever benchmarks run.
        fb::Service service;
        service.attach(kHost, kUser, QString::fromLatin1(kSysdbaDefaultPassword));
        service.startBackup(path, backup);
        service.drain({});
    }

    void exec(const QString& sql) {
        fb::Query q(db.IBDatabase1, db.IBTransaction2);
        q.setParamCheck(false);
        q.setSql(sql);
        q.execSql();
        db.IBTransaction2.commit();
    }

    RunDatabase db;
    QString path, backup, restored;
    double sizeMb = 0;

private:
    QTemporaryDir m_dir;
};

BigDatabase& big() {
    static BigDatabase instance;
    return instance;
}

// Our reader; the longest pause between two lines goes to the counters.
void runOurs(benchmark::State& state, bool backup) {
    BigDatabase& db = big();
    double longestGapMs = 0;
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(backup ? db.backup : db.restored);
        state.ResumeTiming();
        fb::Service service;
        service.attach(kHost, kUser, QString::fromLatin1(kSysdbaDefaultPassword));
        if (backup)
            service.startBackup(db.path, db.backup, BackupRunner::kDefaultProgressInterval);
        else
            service.startRestore(db.backup, db.restored, false, BackupRunner::kDefaultProgressInterval);
        QElapsedTimer gap;
        gap.start();
        service.drain([&](const QString&) {
            longestGapMs = std::max(longestGapMs, gap.nsecsElapsed() / 1e6);
            gap.restart();
            ++lines;
        });
    }
    state.counters["db_MB"] = db.sizeMb;
    state.counters["longest_gap_ms"] = longestGapMs;
    state.counters["lines"] = benchmark::Counter(lines, benchmark::Counter::kAvgIterations);
}

void runFbsvcmgr(benchmark::State& state, bool backup) {
    BigDatabase& db = big();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(backup ? db.backup : db.restored);
        state.ResumeTiming();
        QStringList args = {kHost + QStringLiteral(":service_mgr"), QStringLiteral("user"), kUser,
                            QStringLiteral("password"), QString::fromLatin1(kSysdbaDefaultPassword)};
        if (backup)
            args << "action_backup"
                 << "dbname" << db.path << "bkp_file" << db.backup << "verbose";
        else
            args << "action_restore"
                 << "bkp_file" << db.backup << "dbname" << db.restored << "res_create"
                 << "verbose";
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(QStringLiteral("fbsvcmgr"), args);
        while (tool.state() != QProcess::NotRunning) {
            tool.waitForReadyRead(1000);
            tool.readAll();
        }
        if (tool.exitCode() != 0)
            state.SkipWithError("fbsvcmgr failed");
    }
}

void BM_BackupOurs(benchmark::State& state) {
    runOurs(state, true);
}
void BM_BackupFbsvcmgr(benchmark::State& state) {
    runFbsvcmgr(state, true);
}
void BM_RestoreOurs(benchmark::State& state) {
    runOurs(state, false);
}
void BM_RestoreFbsvcmgr(benchmark::State& state) {
    runFbsvcmgr(state, false);
}
BENCHMARK(BM_BackupFbsvcmgr)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BackupOurs)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RestoreFbsvcmgr)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RestoreOurs)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The worker thread and its queued lines: how late a 10 ms timer on the
// event loop fires while a restore streams.
void BM_EventLoopLagDuringRestore(benchmark::State& state) {
    BigDatabase& db = big();
    double worstLateMs = 0;
    for (auto _ : state) {
        QFile::remove(db.restored);
        BackupRunner runner;
        ServiceJob job;
        job.kind = ServiceJob::Kind::Restore;
        job.host = kHost;
        job.user = kUser;
        job.password = QString::fromLatin1(kSysdbaDefaultPassword);
        job.backupFile = db.backup;
        job.database = db.restored;
        job.progressInterval = BackupRunner::kDefaultProgressInterval;
        QEventLoop loop;
        QObject::connect(&runner, &BackupRunner::finished, &loop, &QEventLoop::quit);
        QElapsedTimer since;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            worstLateMs = std::max(worstLateMs, since.nsecsElapsed() / 1e6 - 10);
            since.restart();
        });
        runner.start(job);
        since.start();
        tick.start();
        loop.exec();
    }
    state.counters["worst_late_ms"] = worstLateMs;
}
BENCHMARK(BM_EventLoopLagDuringRestore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    big(); // built once, outside every measurement
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
