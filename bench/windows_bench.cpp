// Opening the settings window and the key-set manager, and a save in the manager.
// Run: build/bench/bench_windows (the server must be up: scripts/firebird-up.sh).

#include "SchemaBenchDatabase.h"
#include "app/Ini.h"
#include "db/TableLoginPass.h"
#include "ui/Dialogs.h"
#include "ui/unKeysCase.h"
#include "ui/unSetings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class QuietDialogs : public QtDialogs {
public:
    void showError(QWidget*, const QString& text) override { qFatal("%s", qPrintable(text)); }
    void showInfo(QWidget*, const QString& text) override { qFatal("%s", qPrintable(text)); }
};

class NoMainWindow : public SetingsHost, public KeysCaseHost {
public:
    void applyOnTop(bool) override {}
    void applyTransparency(int) override {}
    void placeMainWindow(int, int) override {}
    void stopDoublePressWatcher() override {}
    void startDoublePressWatcher() override {}
    void installHotkey() override {}
    void removeHotkey() override {}
    void restartRequestChanged() override {}
    void reloadAndSelectKeySet(int) override {}
    void setMainWindowEnabled(bool) override {}
    QWidget* mainWindow() override { return nullptr; }
};

QuietDialogs dialogs;
NoMainWindow host;

// --- settings -------------------------------------------------------------------------

constexpr int kBackupFiles = 500;

// config.ini with every key the window shows, and a backup folder of 500 backups.
class FullConfig {
public:
    FullConfig() {
        backupFolder = dir.filePath(QStringLiteral("backup"));
        QDir().mkpath(backupFolder);
        for (int i = 0; i < kBackupFiles; ++i) {
            QFile file(QStringLiteral("%1/backup_%2_07_2018_14_%3.fdk")
                           .arg(backupFolder)
                           .arg(i / 60 + 1, 2, 10, QLatin1Char('0'))
                           .arg(i % 60, 2, 10, QLatin1Char('0')));
            file.open(QIODevice::WriteOnly);
        }
        setConfigFolder(dir.path());
        IniBatch batch;
        const QString base = QStringLiteral("BASE"), set = QStringLiteral("SETINGS");
        batch.str(base, QStringLiteral("PATH"), QStringLiteral("/srv/firebird/основная.fdb"));
        batch.str(base, QStringLiteral("LOGIN"), QStringLiteral("SYSDBA"));
        batch.str(base, QStringLiteral("PASS"), QStringLiteral("masterkey"));
        // A server on this machine: opening lists the 500 backups too.
        batch.str(base, QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
        batch.boolean(base, QStringLiteral("AUTOCONNECT"), true);
        batch.boolean(set, QStringLiteral("ONTOP"), true);
        batch.integer(set, QStringLiteral("TRANSPARENCY"), 220);
        batch.boolean(set, QStringLiteral("DOUBLECLICK"), true);
        batch.str(set, QStringLiteral("CODEKEY"), QStringLiteral("$11"));
        batch.integer(set, QStringLiteral("SLEEP_POTOK"), 120);
        batch.boolean(set, QStringLiteral("SETHOTKEY"), true);
        batch.str(set, QStringLiteral("HOTKEY1"), QStringLiteral("162"));
        batch.str(set, QStringLiteral("HOTKEY2"), QStringLiteral("164"));
        batch.integer(set, QStringLiteral("MONITOR"), 1);
        batch.integer(set, QStringLiteral("POSITION"), 1);
        batch.boolean(set, QStringLiteral("CopyPassToBufer"), true);
        batch.boolean(set, QStringLiteral("ShowEvents"), true);
        batch.boolean(set, QStringLiteral("BrowserByDefaultBool"), true);
        batch.str(set, QStringLiteral("BrowserByDefaultPath"), QStringLiteral("/usr/bin/firefox"));
        batch.str(set, QStringLiteral("BackupFolder"), backupFolder + QLatin1Char('/'));
        batch.str(set, QStringLiteral("RestoreFolder"), dir.filePath(QStringLiteral("restore/")));
        batch.write();
    }
    ~FullConfig() { setConfigFolder(QString()); }

    QTemporaryDir dir;
    QString backupFolder;
};

void BM_SettingsOpenAndShow(benchmark::State& state) {
    FullConfig config;
    for (auto _ : state) {
        auto* window = TfmSetings::showSettings(host, dialogs);
        QCoreApplication::processEvents(); // first layout and paint
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SettingsOpenAndShow)->Unit(benchmark::kMillisecond)->UseRealTime();

// What listing the backup folder adds to opening (the listing comes with the backup
// tab's own code): the 500 names through the same folder read.
void BM_ListBackupFolder(benchmark::State& state) {
    FullConfig config;
    for (auto _ : state) {
        const QStringList names = QDir(config.backupFolder)
                                      .entryList({QStringLiteral("*.fdk")},
                                                 QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
        benchmark::DoNotOptimize(names.size());
    }
}
BENCHMARK(BM_ListBackupFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- key-set manager -------------------------------------------------------------------

constexpr int kKeySets = 1000;
constexpr int kOthersKeySets = 200;

SchemaBenchDatabase& keySetDatabase() {
    static SchemaBenchDatabase* database = [] {
        auto* made = new SchemaBenchDatabase;
        made->write(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров', 'x')"));
        // The user sees 1 000: shared and own ones; another user's 200 are left out.
        for (int i = 1; i <= kKeySets + kOthersKeySets; ++i) {
            const int owner = i > kKeySets ? 2 : i % 2;
            made->write(QStringLiteral("insert into LOGIN_PASS (ID, NAME, LOGIN, PASS, PERSONAL) values "
                                       "(%1, 'Набор ключей %2', 'администратор', 'encoded', %3)")
                            .arg(i)
                            .arg((i * 7919) % kKeySets, 4, 10, QLatin1Char('0'))
                            .arg(owner ? QString::number(owner) : QStringLiteral("NULL")));
        }
        made->write(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (1, 0, 'Сервер')"));
        made->write(QStringLiteral("insert into SERVERS (ID, ID_TREETABLE, DEFAUL_PASS) values (1, 1, 3)"));
        made->write(
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB) "
                           "values (1, 3, 1)"));
        made->commit();
        gperID_USER_DB = 1;
        return made;
    }();
    return *database;
}

// The reload's query alone, to tell the server's share from the window's.
void BM_KeySetQueryOnly(benchmark::State& state) {
    keySetDatabase();
    for (auto _ : state) {
        auto rows = select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(gperID_USER_DB, true);
        int n = 0;
        for (; !rows->eof(); rows->next())
            n += rows->fieldByName(QStringLiteral("NAME")).asString().size();
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_KeySetQueryOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KeysCaseOpen(benchmark::State& state) {
    keySetDatabase();
    for (auto _ : state) {
        QPointer<TfmKeysCase> window = TfmKeysCase::open(host, dialogs, 3);
        QCoreApplication::processEvents();
        state.PauseTiming();
        state.counters["listed"] = window->entries().size() - 1;
        delete window.data();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KeysCaseOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KeysCaseSaveAndReload(benchmark::State& state) {
    keySetDatabase();
    QPointer<TfmKeysCase> window = TfmKeysCase::open(host, dialogs, 3);
    auto* login = window->findChild<QLineEdit*>(QStringLiteral("editLogin"));
    int n = 0;
    for (auto _ : state) {
        login->setText(QStringLiteral("администратор %1").arg(++n));
        window->BitSaveClick();
        QCoreApplication::processEvents();
    }
    delete window.data();
}
BENCHMARK(BM_KeysCaseSaveAndReload)->Unit(benchmark::kMillisecond)->UseRealTime();

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
