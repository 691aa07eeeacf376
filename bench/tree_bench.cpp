// The object tree against the local server: building it from TREETABLE, selecting
// an object, and the start from automatic connection to the main window's first
// show. Each fixture database is filled once per run, in one transaction.
// Run: build/bench/bench_tree (the server must be up: scripts/firebird-up.sh).

#include "app/Connection.h"
#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "tree/ObjectTreeModel.h"
#include "tree/TreeLoading.h"
#include "ui/Dialogs.h"
#include "ui/unConnectToBase.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <vector>

namespace {

// --- fixture databases --------------------------------------------------------------------

enum class Shape { Wide, Deep, Moved };

// The parent of row id (1..n) in each shape, written once in PSQL for the server
// (":i" and ":n" are the block's variables) and once in C++ for the in-memory cases.
//   wide:  10 top nodes, every other row a child of one of them;
//   deep:  100 chains, each row the child of the one before it;
//   moved: groups of a parent and 99 children under 10 top nodes; a quarter of the
//          groups hang from a top node with a higher identity than their parent,
//          so their children are read before it and deferred.
const char* parentExpression(Shape shape) {
    switch (shape) {
    case Shape::Wide:
        return "iif(:i <= 10, 0, 1 + mod(:i, 10))";
    case Shape::Deep:
        return "iif(mod(:i - 1, :n / 100) = 0, 0, :i - 1)";
    case Shape::Moved:
        return "iif(:i <= 5 or :i > :n - 5, 0, iif(mod(:i - 6, 100) = 0, "
               "iif(mod((:i - 6) / 100, 4) = 0, :n - 4 + mod((:i - 6) / 100, 5), 1 + mod((:i - 6) / 100, 5)), "
               "6 + ((:i - 6) / 100) * 100))";
    }
    return "0";
}

int parentOf(Shape shape, int i, int n) {
    switch (shape) {
    case Shape::Wide:
        return i <= 10 ? 0 : 1 + i % 10;
    case Shape::Deep:
        return (i - 1) % (n / 100) == 0 ? 0 : i - 1;
    case Shape::Moved:
        if (i <= 5 || i > n - 5)
            return 0;
        if ((i - 6) % 100 == 0)
            return (i - 6) / 100 % 4 == 0 ? n - 4 + (i - 6) / 100 % 5 : 1 + (i - 6) / 100 % 5;
        return 6 + (i - 6) / 100 * 100;
    }
    return 0;
}

class SilentDialogs : public Dialogs {
public:
    QStringList errors;
    Answer askWarning(QWidget*, const QString&) override { return Answer::Yes; }
    void showError(QWidget*, const QString& text) override { errors << text; }
    void showInfo(QWidget*, const QString&) override {}
    QString openFileName(QWidget*) override { return {}; }
    QString folderName(QWidget*) override { return {}; }
    void exitProcess(int) override {}
};

// A database with the program's schema in a folder the server can write.
class BenchDatabase {
public:
    BenchDatabase() : m_dir(QDir::tempPath() + QStringLiteral("/vestibar-bench-tree-XXXXXX")) {
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        path = m_dir.path() + QStringLiteral("/tree.fdb");
        CreateDataBase(nullptr, QStringLiteral("127.0.0.1"), path);
        ConfIniFile = {path, QStringLiteral("SYSDBA"), QString::fromLatin1(kSysdbaDefaultPassword),
                       QStringLiteral("127.0.0.1")};
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        UseRunDatabase use(db);
        CreateTablesInNewBase();
        UpdateBase();
    }
    ~BenchDatabase() { db.IBDatabase1.close(); }

    // Runs a statement without parameters on the write transaction, uncommitted.
    void run(const QString& sql) {
        fb::Query q(db.IBDatabase1, db.IBTransaction2);
        q.setParamCheck(false);
        q.setSql(sql);
        q.execSql();
    }
    void commit() { db.IBTransaction2.commit(); }

    // n TREETABLE rows of the shape, each with its SERVERS row when asked.
    void fillTree(Shape shape, int n, bool withServers) {
        run(QStringLiteral("execute block as declare i integer = 1; declare n integer = %1; begin "
                           "while (i <= n) do begin "
                           "insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_, ID_ICO, TYPE_NODE) "
                           "values (:i, %2, 'Объект ' || :i, :i, mod(:i, 77), 0); "
                           "%3 i = i + 1; end end")
                .arg(n)
                .arg(QLatin1String(parentExpression(shape)))
                .arg(withServers
                         ? QStringLiteral("insert into SERVERS (ID_TREETABLE, DOMAIN_NAME, IP_ADDRES, PORT) "
                                          "values (:i, 'host' || :i || '.corp', '10.0.0.1', '3389');")
                         : QString()));
    }

    RunDatabase db;
    QString path;

private:
    QTemporaryDir m_dir;
};

BenchDatabase& treeDatabase(Shape shape, int n) {
    static std::map<std::pair<int, int>, std::unique_ptr<BenchDatabase>> databases;
    auto& slot = databases[{static_cast<int>(shape), n}];
    if (!slot) {
        slot = std::make_unique<BenchDatabase>();
        slot->fillTree(shape, n, false);
        slot->commit();
    }
    return *slot;
}

// --- building ---------------------------------------------------------------------------------

void BM_BuildTree(benchmark::State& state, Shape shape) {
    const int n = static_cast<int>(state.range(0));
    BenchDatabase& b = treeDatabase(shape, n);
    UseRunDatabase use(b.db);
    for (auto _ : state) {
        ObjectTreeModel tree;
        const TreeBuildReport report = Creat_Items_To_Treeviwe(b.db.IBQuery1, tree);
        if (tree.nodeCount() != n || report.unplaceable != 0)
            state.SkipWithError("the tree is not complete");
        state.counters["deferred"] = report.deferred;
    }
    state.SetComplexityN(n);
    state.counters["nodes"] = n;
    state.counters["nodes_per_s"] =
        benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}

// The query and the fetch alone, to tell the server's share from the build's.
void BM_FetchTreeRows(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    BenchDatabase& b = treeDatabase(Shape::Wide, n);
    for (auto _ : state) {
        b.db.IBQuery1.close();
        b.db.IBQuery1.setSql(QStringLiteral("select * from TREETABLE ORDER BY ID_PARENT, POSITION_ ASC"));
        b.db.IBQuery1.open();
        int rows = 0;
        for (; !b.db.IBQuery1.eof(); b.db.IBQuery1.next())
            ++rows;
        if (rows != n)
            state.SkipWithError("short fetch");
    }
    state.counters["nodes"] = n;
    state.counters["nodes_per_s"] =
        benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FetchTreeRows)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rows as the server returns them for "ORDER BY ID_PARENT, POSITION_".
QVector<TRecordIBQuery> movedRows(int n) {
    QVector<TRecordIBQuery> rows;
    for (int i = 1; i <= n; ++i)
        rows.append({i, parentOf(Shape::Moved, i, n), QStringLiteral("Объект %1").arg(i), i % 77});
    std::stable_sort(rows.begin(), rows.end(), [](const TRecordIBQuery& a, const TRecordIBQuery& b) {
        return a.ID_PARENT < b.ID_PARENT;
    });
    return rows;
}

// The build as first described: every parent is looked up by walking the tree
// in pre-order, and the deferred rows are retried pass after pass.
void buildWithLinearLookup(ObjectTreeModel& tree, const QVector<TRecordIBQuery>& rows) {
    const auto findParent = [&tree](int id) -> TreeNode* {
        for (TreeNode* at = tree.firstNode(); at; at = tree.nextInPreOrder(at)) {
            if (at->id() == id)
                return at;
        }
        return nullptr;
    };
    ObjectTreeModel::BulkChange bulk(tree);
    std::vector<TRecordIBQuery> lost;
    for (const TRecordIBQuery& row : rows) {
        if (row.ID_PARENT == 0)
            tree.appendTopLevel(row.ID, row.TEXT, row.ID_ICO);
        else if (TreeNode* parent = findParent(row.ID_PARENT))
            tree.appendChild(parent, row.ID, row.TEXT, row.ID_ICO);
        else
            lost.push_back(row);
    }
    for (bool placed = true; placed && !lost.empty();) {
        placed = false;
        for (int i = static_cast<int>(lost.size()) - 1; i >= 0; --i) {
            if (TreeNode* parent = findParent(lost[static_cast<std::size_t>(i)].ID_PARENT)) {
                tree.appendChild(parent, lost[i].ID, lost[i].TEXT, lost[i].ID_ICO);
                lost.erase(lost.begin() + i);
                placed = true;
            }
        }
    }
}

void BM_BuildTreePartLookup(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const QVector<TRecordIBQuery> rows = movedRows(n);
    for (auto _ : state) {
        ObjectTreeModel tree;
        buildWithLinearLookup(tree, rows);
        benchmark::DoNotOptimize(tree.nodeCount());
    }
    state.SetComplexityN(n);
    state.counters["nodes"] = n;
    state.counters["nodes_per_s"] =
        benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildTreePartLookup)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

void BM_BuildTreeIdentityIndex(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const QVector<TRecordIBQuery> rows = movedRows(n);
    for (auto _ : state) {
        ObjectTreeModel tree;
        buildTree(tree, rows);
        benchmark::DoNotOptimize(tree.nodeCount());
    }
    state.SetComplexityN(n);
    state.counters["nodes"] = n;
    state.counters["nodes_per_s"] =
        benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildTreeIdentityIndex)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

// --- selecting ----------------------------------------------------------------------------------

constexpr int kSelectNodes = 100000;
constexpr int kKeySets = 200;

// The 100 000-node tree with a server row for every object, 200 key sets, this
// user's link row and 64 KiB of notes on the last object.
BenchDatabase& selectionDatabase() {
    static std::unique_ptr<BenchDatabase> b;
    if (!b) {
        b = std::make_unique<BenchDatabase>();
        b->fillTree(Shape::Moved, kSelectNodes, true);
        b->run(
            QStringLiteral("execute block as declare k integer = 1; begin while (k <= %1) do begin "
                           "insert into LOGIN_PASS (ID, NAME, LOGIN, PASS, PERSONAL) values "
                           "(:k, 'Набор ' || :k, 'login' || :k, 'pass' || :k, iif(mod(:k, 2) = 0, 1, null)); "
                           "k = k + 1; end end")
                .arg(kKeySets));
        b->run(
            QStringLiteral("update SERVERS set DEFAUL_PASS = 7, DEFAUL_RDP_OR_SSH = 1, DEFAUL_DNS_OR_IP = 1 "
                           "where ID_TREETABLE = %1")
                .arg(kSelectNodes));
        fb::Query notes(b->db.IBDatabase1, b->db.IBTransaction2);
        notes.setSql(QStringLiteral("update SERVERS set NOTES = :perNOTES where ID_TREETABLE = :perID"));
        notes.setParamBlob(QStringLiteral("perNOTES"), QByteArray(65536, 'n'));
        notes.setParamInt(QStringLiteral("perID"), kSelectNodes);
        notes.execSql();
        b->run(QStringLiteral(
                   "insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB, "
                   "DNS_OR_IP, RDP_OR_SSH) select ID, 8, 1, 2, 2 from SERVERS where ID_TREETABLE = %1")
                   .arg(kSelectNodes));
        b->commit();
    }
    return *b;
}

// A click on the last node of the tree: the object from four tables, the key-set
// list and every editor field, as the main window does it.
void BM_SelectObject(benchmark::State& state) {
    BenchDatabase& b = selectionDatabase();
    QTemporaryDir config;
    setConfigFolder(config.path());
    SilentDialogs dialogs;
    TfmGeneral window(b.db, 1, dialogs);
    TreeNode* last = window.treeModel().nodeById(kSelectNodes);
    if (!last || !dialogs.errors.isEmpty()) {
        state.SkipWithError("the window did not load");
        return;
    }
    window.selectNode(last);
    for (auto _ : state) {
        window.IfSelectedObjectOnTreeView();
        if (window.selection().gperServerParametrs.NOTES_SERVERS.size() < 65536)
            state.SkipWithError("the notes did not load");
    }
    state.counters["nodes"] = kSelectNodes;
    state.counters["key_sets"] = kKeySets;
    state.counters["absolute_index"] = window.selection().gperTreeViewItemIndex;
    setConfigFolder(QString());
}
BENCHMARK(BM_SelectObject)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- start ------------------------------------------------------------------------------------------

// From the sign-in window's creation (automatic connection and sign-in) to the
// main window's first show, against a 10 000-node tree.
void BM_StartupToShown(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    BenchDatabase& b = treeDatabase(Shape::Moved, n);
    QTemporaryDir config;
    setConfigFolder(config.path());
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), b.path);
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN"), QStringLiteral("SYSDBA"));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS"),
                  QString::fromLatin1(kSysdbaDefaultPassword));
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    Write_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT"), true);
    Write_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN"), true);
    Write_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID"), 1);
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO"), QStringLiteral("admin"));
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS"), encode_string(QStringLiteral("kestu")));
    SilentDialogs dialogs;
    for (auto _ : state) {
        auto signIn = std::make_unique<TfmConnectToBase>(dialogs);
        signIn->start();
        QCoreApplication::processEvents();
        if (!fmGeneral || !fmGeneral->isVisible() || fmGeneral->treeModel().nodeCount() != n)
            state.SkipWithError("the main window did not come up");
        state.PauseTiming();
        delete fmGeneral;
        signIn.reset();
        state.ResumeTiming();
    }
    if (!dialogs.errors.isEmpty())
        state.SkipWithError(dialogs.errors.first().toUtf8().constData());
    state.counters["nodes"] = n;
    setConfigFolder(QString());
}
BENCHMARK(BM_StartupToShown)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void registerBuildBenchmarks() {
    const std::pair<const char*, Shape> shapes[] = {{"BM_BuildTree/wide", Shape::Wide},
                                                    {"BM_BuildTree/deep", Shape::Deep},
                                                    {"BM_BuildTree/moved", Shape::Moved}};
    for (const auto& [name, shape] : shapes) {
        benchmark::RegisterBenchmark(name, BM_BuildTree, shape)
            ->Arg(25000)
            ->Arg(50000)
            ->Arg(100000)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Complexity();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerBuildBenchmarks();
    benchmark::Initialize(&argc, argv);
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const fb::Error& e) {
        fprintf(stderr, "bench_tree: %s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
