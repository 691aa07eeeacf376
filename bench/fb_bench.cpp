// Round trips of the access layer against the local server over loopback.
// Run: build/bench/bench_fb (the server must be up: scripts/firebird-up.sh).

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "fb/Error.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 1000;

// One database for the whole run, in a folder the server can write.
struct BenchDatabase {
    BenchDatabase() {
        const QString path = folder.file(QStringLiteral("bench.fdb"));
        CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
        ConfIniFile = {path, QStringLiteral("SYSDBA"), QString::fromLatin1(kSysdbaDefaultPassword),
                       QStringLiteral("127.0.0.1")};
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        setRunDatabase(&db);
        exec(QStringLiteral(
            "create table T (ID integer not null primary key, NAME char(50), B blob sub_type 0)"));
        exec(QStringLiteral("create sequence G"));
        fb::Query q(db.IBDatabase1, db.IBTransaction2);
        q.setSql(QStringLiteral("insert into T (ID, NAME) values (:perID, :perNAME)"));
        for (int i = 1; i <= kRows; ++i) {
            q.setParam(QStringLiteral("perID"), i);
            q.setParam(QStringLiteral("perNAME"), QStringLiteral("server %1").arg(i));
            q.execSql();
        }
        db.IBTransaction2.commit();
    }
    ~BenchDatabase() {
        setRunDatabase(nullptr);
        db.IBDatabase1.close();
    }

    void exec(const QString& sql) { testsupport::execUnchecked(db, sql); }

    testsupport::ServerFolder folder; // made before and removed after the database
    RunDatabase db;
};

BenchDatabase& bench() {
    static BenchDatabase instance;
    return instance;
}

void BM_SelectOneRowByKey(benchmark::State& state) {
    auto& b = bench();
    fb::Query q(b.db.IBDatabase1, b.db.IBTransaction1);
    q.setSql(QStringLiteral("select * from T where ID = :perID"));
    int id = 0;
    for (auto _ : state) {
        q.setParam(QStringLiteral("perID"), id % kRows + 1);
        q.open();
        benchmark::DoNotOptimize(q.fieldByName(QStringLiteral("NAME")).asString());
        q.close();
        ++id;
    }
}
BENCHMARK(BM_SelectOneRowByKey)->Unit(benchmark::kMicrosecond);

// The write pattern of every statement function: one statement, then commit.
void BM_InsertAndCommitOneRow(benchmark::State& state) {
    auto& b = bench();
    fb::Query q(b.db.IBDatabase1, b.db.IBTransaction2);
    q.setSql(QStringLiteral("insert into T (ID, NAME) values (next value for G + 1000000, :perNAME)"));
    for (auto _ : state) {
        q.setParam(QStringLiteral("perNAME"), QStringLiteral("inserted"));
        q.execSql();
        b.db.IBTransaction2.commit();
    }
}
BENCHMARK(BM_InsertAndCommitOneRow)->Unit(benchmark::kMicrosecond);

const QByteArray& blob64k() {
    static const QByteArray bytes = [] {
        QByteArray b(64 * 1024, Qt::Uninitialized);
        for (int i = 0; i < b.size(); ++i)
            b[i] = static_cast<char>(i * 31);
        return b;
    }();
    return bytes;
}

void BM_WriteBlob64KiB(benchmark::State& state) {
    auto& b = bench();
    fb::Query q(b.db.IBDatabase1, b.db.IBTransaction2);
    q.setSql(QStringLiteral("update T set B = :perB where ID = 1"));
    for (auto _ : state) {
        q.setParamBlob(QStringLiteral("perB"), blob64k());
        q.execSql();
        b.db.IBTransaction2.commit();
    }
    state.SetBytesProcessed(state.iterations() * blob64k().size());
}
BENCHMARK(BM_WriteBlob64KiB)->Unit(benchmark::kMicrosecond);

void BM_ReadBlob64KiB(benchmark::State& state) {
    auto& b = bench();
    b.exec(QStringLiteral("update T set B = null where ID = 2"));
    {
        fb::Query w(b.db.IBDatabase1, b.db.IBTransaction2);
        w.setSql(QStringLiteral("update T set B = :perB where ID = 2"));
        w.setParamBlob(QStringLiteral("perB"), blob64k());
        w.execSql();
        b.db.IBTransaction2.commit();
    }
    fb::Query q(b.db.IBDatabase1, b.db.IBTransaction1);
    q.setSql(QStringLiteral("select B from T where ID = 2"));
    for (auto _ : state) {
        q.open();
        const QByteArray bytes = q.fieldByName(QStringLiteral("B")).asBytes();
        if (bytes.size() != blob64k().size())
            state.SkipWithError("short blob");
        q.close();
    }
    state.SetBytesProcessed(state.iterations() * blob64k().size());
}
BENCHMARK(BM_ReadBlob64KiB)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const fb::Error& e) {
        fprintf(stderr, "bench_fb: %s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
