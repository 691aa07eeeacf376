// Tree editing between two running copies against the local server over loopback:
// how soon another copy's change is in place, and one keystroke of the search box.
// Run: build/bench/bench_treeedit (the server must be up: scripts/firebird-up.sh).

#include "SchemaBenchDatabase.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "fb/Query.h"
#include "fb/Transaction.h"
#include "journal/JournalRecords.h"
#include "journal/TableLogs.h"
#include "tree/TreeEditor.h"
#include "ui/AlertWindow.h"
#include "ui/Dialogs.h"
#include "ui/TreeEditServices.h"
#include "ui/TreeEditSession.h"
#include "ui/WindowTree.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kFolders = 100;
constexpr int kPerFolder = 999; // 100 folders and their objects: 100 000 nodes
constexpr int kUser = 1;

class QuietDialogs : public Dialogs {
public:
    Answer askWarning(QWidget*, const QString&) override { return Answer::Yes; }
    void showError(QWidget*, const QString&) override {}
    void showInfo(QWidget*, const QString&) override {}
    QString openFileName(QWidget*) override { return {}; }
    QString folderName(QWidget*) override { return {}; }
    void exitProcess(int) override {}
};

// A statement that goes to the server as written (PSQL bodies name their variables with colons).
void writeAsIs(SchemaBenchDatabase& base, const QString& sql) {
    fb::Query q(base.db.IBDatabase1, base.db.IBTransaction2);
    q.setParamCheck(false);
    q.setSql(sql);
    q.execSql();
    base.commit();
}

// Rows written by the server itself, so that filling takes seconds.
void fillTree(SchemaBenchDatabase& base) {
    writeAsIs(
        base,
        QStringLiteral(
            "execute block as declare f integer = 1; declare i integer; begin "
            "while (f <= %1) do begin "
            "  insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values (:f, 0, 'Папка ' || :f, :f); "
            "  i = 1; "
            "  while (i <= %2) do begin "
            "    insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_) "
            "      values (1000 + :f * 1000 + :i, :f, 'server ' || :f || '-' || :i, :i); "
            "    i = i + 1; end "
            "  f = f + 1; end end")
            .arg(kFolders)
            .arg(kPerFolder));
    writeAsIs(base, QStringLiteral("SET GENERATOR GEN_TREETABLE_ID TO 2000000"));
}

void fillJournal(SchemaBenchDatabase& base, int rows) {
    const QByteArray record = serializeChangeRecord(deletionRecord(kUser, 0, QString(), QString())).toHex();
    fb::Query q(base.db.IBDatabase1, base.db.IBTransaction2);
    q.setParamCheck(false);
    q.setSql(QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                            "insert into LOGS (PARAMETERS) values (x'%2'); i = i + 1; end end")
                 .arg(rows)
                 .arg(QString::fromLatin1(record)));
    q.execSql();
    base.commit();
}

// Copy A acts through the real operations on its own window; copy B follows in the
// program's way (listener, scheduler, catch-up, patch) with a 100 000-node tree.
struct TwoCopies {
    explicit TwoCopies(int journalRows) {
        fillTree(base);
        fillJournal(base, journalRows);
        ConfIniFile.PatchToBasse = base.path;
        ConnectToBase(other.IBDatabase1, other.IBTransaction1, other.IBQuery1);
        gperShowEvents = false;
        b = std::make_unique<TfmGeneral>(base.db, kUser, dialogs, followingB);
        a = std::make_unique<TfmGeneral>(other, kUser, dialogs);
        treeA = std::make_unique<WindowTree>(*a);
        while (!base.db.IBEvents1.listening())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ~TwoCopies() {
        a.reset();
        b.reset();
        other.IBDatabase1.close();
    }

    SchemaBenchDatabase base;
    RunDatabase other;
    QuietDialogs dialogs;
    AlertStack alerts;
    TreeEditServices followingB{dialogs, &alerts};
    std::unique_ptr<TfmGeneral> b;
    std::unique_ptr<TfmGeneral> a;
    std::unique_ptr<WindowTree> treeA;
};

// Ended before the application object, whose timers and windows they use.
std::map<int, std::unique_ptr<TwoCopies>> made;

TwoCopies& copies(int journalRows) {
    if (!made.count(journalRows)) {
        made.clear(); // one pair of databases at a time
        made[journalRows] = std::make_unique<TwoCopies>(journalRows);
    }
    return *made[journalRows];
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * double(values.size() - 1) + 0.5))];
}

constexpr double kGiveUpMs = 5000;

// Spins the event loop until B shows the change; milliseconds since `since`, or
// more than kGiveUpMs when it never came.
template <typename Done> double waitInB(const QElapsedTimer& since, Done&& done) {
    while (!done() && since.elapsed() <= kGiveUpMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return double(since.nsecsElapsed()) / 1e6;
}

enum Kind { Create = 1, Rename = 2, Move = 3, Delete = 4 };

// Arguments: journal rows before, kind of change. Each iteration makes one change
// in A and times it from A's journal commit (the operation's last step) until B's
// node is in place.
void BM_RemotePatch(benchmark::State& state) {
    TwoCopies& c = copies(static_cast<int>(state.range(0)));
    const Kind kind = static_cast<Kind>(state.range(1));
    ObjectTreeModel& treeB = c.b->treeModel();
    std::vector<double> ms;
    static int next = 0;
    for (auto _ : state) {
        ++next;
        const int folder = 1 + next % kFolders;
        const int object = 1000 + folder * 1000 + 1 + next / kFolders % kPerFolder;
        TreeEditor editor(c.other, *c.treeA, kUser);
        QElapsedTimer since;
        switch (kind) {
        case Create: {
            const TreeEditor::Outcome done = editor.createObject(folder);
            since.start();
            ms.push_back(waitInB(since, [&] { return treeB.contains(done.id); }));
            break;
        }
        case Rename: {
            const QString name = QStringLiteral("renamed %1").arg(next);
            c.a->selectNode(c.a->treeModel().nodeById(object));
            c.a->IfSelectedObjectOnTreeView();
            c.a->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(name);
            c.a->procSaveDataInBase();
            since.start();
            ms.push_back(waitInB(since, [&] {
                const TreeNode* node = treeB.nodeById(object);
                return node && node->text() == name;
            }));
            break;
        }
        case Move: {
            const int target = 1 + (folder % kFolders);
            const int moved = object;
            if (!c.treeA->contains(moved) || c.treeA->parentOf(moved) == target)
                continue;
            editor.moveObject(moved, target);
            since.start();
            ms.push_back(waitInB(since, [&] {
                const TreeNode* node = treeB.nodeById(moved);
                return node && node->parent() && node->parent()->id() == c.treeA->parentOf(moved);
            }));
            break;
        }
        case Delete: {
            if (!c.treeA->contains(object))
                continue;
            editor.deleteObject(object);
            since.start();
            ms.push_back(waitInB(since, [&] { return !treeB.contains(object); }));
            break;
        }
        }
        if (ms.back() > kGiveUpMs) {
            state.SkipWithError("the change did not reach the other copy");
            break;
        }
        state.SetIterationTime(ms.back() / 1000.0);
    }
    state.counters["p50_ms"] = percentile(ms, 0.50);
    state.counters["p95_ms"] = percentile(ms, 0.95);
    state.counters["max_ms"] = percentile(ms, 1.0);
}
BENCHMARK(BM_RemotePatch)
    ->ArgsProduct({{1000, 1000000}, {Create, Rename, Move, Delete}})
    ->ArgNames({"journal", "kind"})
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One key release in the search box of the 100 000-node window: a text that
// matches nothing (the whole walk and the wrap) and one whose only hit is near the end.
void BM_SearchKeystroke(benchmark::State& state) {
    TwoCopies& c = copies(1000);
    const QString text =
        state.range(0) == 0 ? QStringLiteral("нет такого") : QStringLiteral("server 100-990");
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        c.followingB.StartSearchInTreeView(*c.b, text, false);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    double sum = 0;
    for (double m : ms)
        sum += m;
    state.counters["mean_ms"] = ms.empty() ? 0 : sum / double(ms.size());
    state.counters["p95_ms"] = percentile(ms, 0.95);
}
BENCHMARK(BM_SearchKeystroke)->Arg(0)->Arg(1)->ArgName("hit")->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    made.clear();
    benchmark::Shutdown();
    return 0;
}
