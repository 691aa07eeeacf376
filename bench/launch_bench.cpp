// How long the connect action keeps the user-interface thread: real spawn, /proc,
// PuTTY settings file, stand-in clients. Target: median and max below 100 ms.
// Run: build/bench/bench_launch

#include "StandInClients.h"
#include "launch/Launcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

class NoClipboard : public Clipboard {
public:
    void setText(const QString&) override {}
};

LaunchRequest request(int id, int protocol) {
    LaunchRequest r;
    r.idTreeTable = id;
    r.domainName = QStringLiteral("127.0.0.1");
    r.defaultDnsOrIp = 1;
    r.defaultRdpOrSsh = protocol;
    r.login = QStringLiteral("admin");
    r.password = QStringLiteral("secret");
    r.translation = QStringLiteral("KOI8-R");
    return r;
}

void BM_BitBtn1Click(benchmark::State& state) {
    const int protocol = static_cast<int>(state.range(0));
    QTemporaryDir bin, home;
    installStandIns(bin.path());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home.path());

    PosixSpawner spawner;
    ProcProcessReader processes;
    SystemProgramLocator programs;
    X11WindowRaiser windows;
    NoClipboard clipboard;
    PuttyFileStore putty(environment);
    SessionWatchers watchers(processes);
    Launcher launcher({spawner, processes, programs, windows, clipboard, putty}, watchers);
    watchers.start_potok3();

    std::vector<double> ms;
    int id = protocol * 1000;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        launcher.BitBtn1Click(request(++id, protocol));
        const double elapsed = timer.nsecsElapsed() / 1e6;
        state.SetIterationTime(elapsed / 1000);
        ms.push_back(elapsed);
        QCoreApplication::processEvents();
    }
    watchers.stop_potok3();
    for (const auto& [objectId, entry] : watchers.MAS_PID_PROCESS.copy())
        endSession(entry.process.pid);
    state.counters["median_ms"] = median(ms);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
}

} // namespace

BENCHMARK(BM_BitBtn1Click)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->ArgName("protocol")
    ->Iterations(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
