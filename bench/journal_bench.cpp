// One client catching up with the journal against the local server over loopback.
// Run: build/bench/bench_journal (the server must be up: scripts/firebird-up.sh).

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "fb/Transaction.h"
#include "journal/JournalRecords.h"
#include "journal/TableLogs.h"
#include "support/MemoryTree.h"
#include "tree/JournalFollower.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

constexpr int kFolders = 10;
constexpr int kObjects = 1000;
constexpr int kEntries = 1000;

// A database with 10 folders of 100 objects and, at the end of the journal, one
// delivery's worth of entries: 300 creations, 400 renames, 300 moves.
class CatchUpDatabase {
public:
    explicit CatchUpDatabase(int journalRowsBefore)
        : m_dir(QDir::tempPath() + QStringLiteral("/vestibar-bench-XXXXXX")) {
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        const QString path = m_dir.path() + QStringLiteral("/bench.fdb");
        CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
        ConfIniFile = {path, QStringLiteral("SYSDBA"), QString::fromLatin1(kSysdbaDefaultPassword),
                       QStringLiteral("127.0.0.1")};
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        setRunDatabase(&db);
        CreateTablesInNewBase();
        UpdateBase();
        fillTree();
        fillJournal(journalRowsBefore);
        markBefore = Last_ID_To_LOGS(db);
        journalDelivery();
        setRunDatabase(nullptr);
    }
    ~CatchUpDatabase() { db.IBDatabase1.close(); }

    // The tree as the client held it before the delivery.
    testsupport::MemoryTree treeBefore;
    RunDatabase db;
    int markBefore = 0;

private:
    static int folderOf(int object) { return 1 + object % kFolders; }
    static int objectId(int object) { return 100 + object; }

    void fillTree() {
        fb::Transaction tr(db.IBDatabase1);
        fb::Query q(db.IBDatabase1, tr);
        q.setSql(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values "
                                "(:perID, :perPARENT, :perTEXT, :perPOSITION)"));
        const auto row = [&](int id, int parent, const QString& text, int position) {
            q.setParamInt(QStringLiteral("perID"), id);
            q.setParamInt(QStringLiteral("perPARENT"), parent);
            q.setParamText(QStringLiteral("perTEXT"), text);
            q.setParamInt(QStringLiteral("perPOSITION"), position);
            q.execSql();
        };
        for (int f = 1; f <= kFolders; ++f) {
            row(f, 0, QStringLiteral("Папка %1").arg(f), f);
            treeBefore.addChild(0, f, QStringLiteral("Папка %1").arg(f), 0);
        }
        for (int i = 0; i < kObjects; ++i) {
            const int id = objectId(i);
            if (i < 300) { // created: not in the client's tree yet
                row(id, folderOf(i), QStringLiteral("new %1").arg(i), i);
            } else if (i < 700) { // renamed: the client still has the old name
                row(id, folderOf(i), QStringLiteral("renamed %1").arg(i), i);
                treeBefore.addChild(folderOf(i), id, QStringLiteral("server %1").arg(i), 0);
            } else { // moved: the client still has it in the folder before
                row(id, folderOf(i + 1), QStringLiteral("server %1").arg(i), i);
                treeBefore.addChild(folderOf(i), id, QStringLiteral("server %1").arg(i), 0);
            }
        }
        tr.commit();
    }

    // Older entries the catch-up must not look at, written by the server itself.
    void fillJournal(int rows) {
        if (rows == 0)
            return;
        const QByteArray record = serializeChangeRecord(deletionRecord(1, 0, QString(), QString())).toHex();
        fb::Query q(db.IBDatabase1, db.IBTransaction2);
        q.setParamCheck(false);
        q.setSql(QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                                "insert into LOGS (PARAMETERS) values (x'%2'); i = i + 1; end end")
                     .arg(rows)
                     .arg(QString::fromLatin1(record)));
        q.execSql();
        db.IBTransaction2.commit();
    }

    void journalDelivery() {
        fb::Transaction tr(db.IBDatabase1);
        fb::Query q(db.IBDatabase1, tr);
        q.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perPARAMETERS)"));
        for (int i = 0; i < kEntries; ++i) {
            const int id = objectId(i);
            type_ParametersOfEvents e;
            if (i < 300) {
                e = creationRecord(1, id, folderOf(i), QStringLiteral("Объект"),
                                   QStringLiteral("\\Папка\\Объект"));
            } else if (i < 700) {
                e.UserID_ = 1;
                e.Type_ = 2;
                e.IDchildren_ = id;
                e.Path_before = QStringLiteral("\\Папка\\server %1").arg(i);
                e.Text_ = QStringLiteral("server %1").arg(i);
                e.TEXT_TREETABLE_after = QStringLiteral("renamed %1").arg(i);
            } else {
                e = moveRecord(1, id, folderOf(i + 1), QStringLiteral("server %1").arg(i),
                               QStringLiteral("\\Папка %1\\server %2").arg(folderOf(i)).arg(i),
                               QStringLiteral("\\Папка %1").arg(folderOf(i + 1)));
            }
            q.setParamBlob(QStringLiteral("perPARAMETERS"), serializeChangeRecord(e));
            q.execSql();
        }
        tr.commit();
    }

    QTemporaryDir m_dir;
};

CatchUpDatabase& fixture(int journalRowsBefore) {
    static std::map<int, std::unique_ptr<CatchUpDatabase>> made;
    auto& slot = made[journalRowsBefore];
    if (!slot)
        slot = std::make_unique<CatchUpDatabase>(journalRowsBefore);
    return *slot;
}

// One delivery of 1 000 entries: read by key range in pages, each object's row
// read by key, the tree patched, the alerts built.
void BM_CatchUp(benchmark::State& state) {
    CatchUpDatabase& f = fixture(static_cast<int>(state.range(0)));
    testsupport::MemoryTree tree;
    JournalFollower follower(f.db, tree);
    double totalMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tree = f.treeBefore;
        follower.journal().setMark(f.markBefore);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const JournalFollower::Result result = follower.catchUp();
        totalMs += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (result.applied != kEntries || result.rebuildTree || result.alerts.size() != kEntries)
            state.SkipWithError("the delivery was not applied as a whole");
    }
    state.counters["entries"] = kEntries;
    state.counters["ms_per_entry"] = totalMs / static_cast<double>(state.iterations()) / kEntries;
}
BENCHMARK(BM_CatchUp)
    ->ArgName("journal_rows_before")
    ->Arg(0)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const fb::Error& e) {
        fprintf(stderr, "bench_journal: %s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
