// The journal history over a journal of a million entries: opening the window
// with its first page, each further page, and the author filter over the newest
// ten thousand entries.
// Run: build/bench/bench_history (the server must be up: scripts/firebird-up.sh).
// Filling the journal on the server takes about a minute at the first benchmark.

#include "SchemaBenchDatabase.h"
#include "journal/ChangeRecord.h"
#include "journal/History.h"
#include "journal/JournalRecords.h"
#include "ui/Dialogs.h"
#include "ui/unHistory.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kEntries = 1'000'000;
constexpr int kOtherAuthorEvery = 100; // Петров's share of the entries

class QuietDialogs : public QtDialogs {
public:
    void showError(QWidget*, const QString& text) override { qFatal("%s", qPrintable(text)); }
    void showInfo(QWidget*, const QString& text) override { qFatal("%s", qPrintable(text)); }
};

QuietDialogs dialogs;

QString hexLiteral(const QByteArray& bytes) {
    return QStringLiteral("x'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

QByteArray typicalEntry(int user) {
    type_ParametersOfEvents r;
    r.UserID_ = user;
    r.Type_ = 2;
    r.IDchildren_ = 42;
    r.Path_before = QStringLiteral("\\Москва\\Дата-центр\\Стойка 12\\srv-db-01");
    r.Text_ = QStringLiteral("srv-db-01");
    r.TEXT_TREETABLE_after = QStringLiteral("srv-db-01");
    r.DOMAIN_NAME_SERVERS_before = QStringLiteral("srv-db-01.corp.local");
    r.DOMAIN_NAME_SERVERS_after = QStringLiteral("srv-db-01.msk.corp.local");
    r.IP_ADDRES_SERVERS_before = QStringLiteral("10.1.12.1");
    r.IP_ADDRES_SERVERS_after = QStringLiteral("10.1.12.11");
    r.PORT_SERVERS_before = QStringLiteral("3389");
    r.PORT_SERVERS_after = QStringLiteral("3390");
    return serializeChangeRecord(r) + timeTrailer(1'765'316'000'000);
}

// The journal filled on the server in one statement, so a million rows take a
// minute rather than an hour of round trips.
SchemaBenchDatabase& millionEntries() {
    static std::unique_ptr<SchemaBenchDatabase> made;
    if (made)
        return *made;
    made = std::make_unique<SchemaBenchDatabase>();
    made->write(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров', 'x')"));
    made->commit();
    QElapsedTimer timer;
    timer.start();
    fb::Query fill(made->db.IBDatabase1, made->db.IBTransaction2);
    fill.setParamCheck(false);
    fill.setSql(QStringLiteral("execute block as declare i integer = 1; begin "
                               "while (i <= %1) do begin "
                               "if (mod(i, %2) = 0) then insert into LOGS (PARAMETERS) values (%3); "
                               "else insert into LOGS (PARAMETERS) values (%4); "
                               "i = i + 1; end end")
                    .arg(kEntries)
                    .arg(kOtherAuthorEvery)
                    .arg(hexLiteral(typicalEntry(2)), hexLiteral(typicalEntry(1))));
    fill.execSql();
    made->commit();
    fprintf(stderr, "journal of %d entries filled in %lld ms\n", kEntries,
            static_cast<long long>(timer.elapsed()));
    return *made;
}

void BM_HistoryOpenFirstPage(benchmark::State& state) {
    SchemaBenchDatabase& base = millionEntries();
    for (auto _ : state) {
        auto window = std::make_unique<TfmHistory>(base.db, dialogs);
        window->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        state.counters["rows"] = static_cast<double>(window->rows().size());
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryOpenFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HistoryFurtherPage(benchmark::State& state) {
    SchemaBenchDatabase& base = millionEntries();
    auto window = std::make_unique<TfmHistory>(base.db, dialogs);
    window->show();
    QCoreApplication::processEvents();
    qsizetype before = window->rows().size();
    for (auto _ : state) {
        window->loadMore();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (window->rows().size() == before) {
            state.SkipWithError("the journal ran out");
            break;
        }
        before = window->rows().size();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(window->rows().size());
}
BENCHMARK(BM_HistoryFurtherPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);

// Choosing an author in the window: the newest 10 000 entries looked at, of which
// every hundredth is that author's.
void BM_HistoryAuthorFilter10k(benchmark::State& state) {
    SchemaBenchDatabase& base = millionEntries();
    auto window = std::make_unique<TfmHistory>(base.db, dialogs);
    window->show();
    QCoreApplication::processEvents();
    auto* author = window->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    const int petrov = author->findText(QStringLiteral("Петров"));
    for (auto _ : state) {
        author->setCurrentIndex(petrov);
        QCoreApplication::processEvents();
        state.PauseTiming();
        state.counters["rows"] = static_cast<double>(window->rows().size());
        author->setCurrentIndex(0);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryAuthorFilter10k)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reading alone, without the window.
void BM_HistoryReaderAuthorScan10k(benchmark::State& state) {
    SchemaBenchDatabase& base = millionEntries();
    HistoryFilter filter;
    filter.authorId = 2;
    for (auto _ : state) {
        HistoryReader reader(base.db, filter);
        const QVector<HistoryRow> rows = reader.olderPage(kEntries, 10000);
        state.counters["scanned"] = reader.scanned();
        state.counters["rows"] = static_cast<double>(rows.size());
    }
}
BENCHMARK(BM_HistoryReaderAuthorScan10k)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
