// Cost of the watcher threads: 100 live stand-in sessions, the unbolder at its
// 4-second pass and the double-press sampler at 120 ms, for 60 s (target: below 1 %
// of a core); then peak memory over 1 000 launch and end cycles (target: below
// 50 MB and flat). The sampler reads the real keyboard when $DISPLAY is set.
// Run: build/bench/bench_watchers   (xvfb-run -a for the real sampler)

#include "StandInClients.h"
#include "launch/Hotkeys.h"
#include "launch/Launcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

using namespace std::chrono_literals;

namespace {

class NoClipboard : public Clipboard {
public:
    void setText(const QString&) override {}
};

class NoKeys : public KeySource {
public:
    bool subscribe(const QVector<quint32>&, Listener) override { return false; }
    void unsubscribe() override {}
    QString unavailableReason() const override { return {}; }
};

class IdleWindow : public HotkeyWindow {
public:
    bool isMinimized() override { return false; }
    bool isActiveWindow() override { return true; }
    void restore() override {}
    void minimize() override {}
    void bringForward() override {}
};

double cpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

void runEvents(std::chrono::milliseconds duration) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
}

LaunchRequest request(int id) {
    LaunchRequest r;
    r.idTreeTable = id;
    r.domainName = QStringLiteral("127.0.0.1");
    r.defaultDnsOrIp = 1;
    r.defaultRdpOrSsh = 1;
    r.password = QStringLiteral("secret");
    return r;
}

struct Rig {
    QTemporaryDir bin, home;
    PosixSpawner spawner;
    ProcProcessReader processes;
    SystemProgramLocator programs;
    X11WindowRaiser windows;
    NoClipboard clipboard;
    PuttyFileStore putty{QProcessEnvironment()};
    Rig() { installStandIns(bin.path()); }
};

void BM_WatchersIdleCost(benchmark::State& state) {
    Rig rig;
    SessionWatchers watchers(rig.processes);
    Launcher launcher({rig.spawner, rig.processes, rig.programs, rig.windows, rig.clipboard, rig.putty},
                      watchers);
    for (int id = 1; id <= 100; ++id)
        launcher.BitBtn1Click(request(id));
    watchers.start_potok3();
    runEvents(1s); // searches confirm

    NoKeys keys;
    XcbKeymapSampler sampler;
    IdleWindow window;
    Hotkeys hotkeys(keys, sampler, window);
    hotkeys.start_potok(QStringLiteral("$11"), 120);

    const clockid_t unbolder = *watchers.watcherThread().cpuClock();
    const clockid_t doublePress = *hotkeys.doublePressThread().cpuClock();
    const double u0 = cpuSeconds(unbolder), d0 = cpuSeconds(doublePress);
    const int seconds = static_cast<int>(state.range(0));
    for (auto _ : state)
        runEvents(std::chrono::seconds(seconds));
    const double u = cpuSeconds(unbolder) - u0, d = cpuSeconds(doublePress) - d0;

    state.counters["sessions"] = static_cast<double>(watchers.MAS_PID_PROCESS.size());
    state.counters["unbolder_cpu_pct"] = 100 * u / seconds;
    state.counters["doublepress_cpu_pct"] = 100 * d / seconds;
    state.counters["both_cpu_pct"] = 100 * (u + d) / seconds;
    state.counters["real_sampler"] = sampler.isConnected() ? 1 : 0;
    hotkeys.stop_potok();
    watchers.stop_potok3();
    for (const auto& [id, entry] : watchers.MAS_PID_PROCESS.copy())
        endSession(entry.process.pid);
}

void BM_LaunchEndCycles(benchmark::State& state) {
    Rig rig;
    SessionWatchers watchers(rig.processes, WatcherTiming{20ms, 5ms, 60000ms});
    Launcher launcher({rig.spawner, rig.processes, rig.programs, rig.windows, rig.clipboard, rig.putty},
                      watchers);
    watchers.start_potok3();
    const int cycles = static_cast<int>(state.range(0));
    long hwmAt100 = 0;
    for (auto _ : state) {
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            const int id = 100000 + cycle; // every launch a new, higher object ID
            launcher.BitBtn1Click(request(id));
            if (const auto entry = watchers.MAS_PID_PROCESS.find(id))
                endSession(entry->process.pid);
            QElapsedTimer timer;
            timer.start();
            while (watchers.MAS_PID_PROCESS.size() > 0 && timer.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (cycle == 100)
                hwmAt100 = statusKb("VmHWM");
        }
    }
    watchers.stop_potok3();
    state.counters["peak_rss_MB_at_100"] = hwmAt100 / 1024.0;
    state.counters["peak_rss_MB_at_end"] = statusKb("VmHWM") / 1024.0;
    state.counters["rss_MB_at_end"] = statusKb("VmRSS") / 1024.0;
    state.counters["left_in_table"] = static_cast<double>(watchers.MAS_PID_PROCESS.size());
}

} // namespace

BENCHMARK(BM_WatchersIdleCost)->Arg(60)->ArgName("seconds")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LaunchEndCycles)->Arg(1000)->ArgName("cycles")->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
