#include "launch/Launcher.h"
#include "platform/Clipboard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Stand-ins for the real clients: record arguments and standard input, then wait
// like a session does. They keep their own name, so the search finds them.
void writeStandIn(const QString& folder, const QString& name) {
    QFile script(folder + QLatin1Char('/') + name);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n"
                 "out=\"$VESTIBAR_STANDIN_OUT/$(basename \"$0\").$$\"\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.args.tmp\"\n"
                 "cat > \"$out.stdin\"\n"
                 "mv \"$out.args.tmp\" \"$out.args\"\n"
                 "sleep 300\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RealProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bin.isValid() && out.isValid() && home.isValid());
        oldPath = qgetenv("PATH");
        qputenv("VESTIBAR_STANDIN_OUT", QFile::encodeName(out.path()));
        for (const char* name : {"xfreerdp", "putty", "xdg-open"})
            writeStandIn(bin.path(), QString::fromLatin1(name));
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);

        QObject::connect(&launcher, &Launcher::message, [this](const QString& text) { messages << text; });
        QObject::connect(&launcher, &Launcher::trace, [this](const QString& line) { traces << line; });
        QObject::connect(&watchers, &SessionWatchers::trace, [this](const QString& line) { traces << line; });
        QObject::connect(&watchers, &SessionWatchers::nodeBoldChanged,
                         [this](int id, bool bold) { bolds[id] = bold; });
        watchers.start_potok3();
    }
    void TearDown() override {
        watchers.stop_potok3();
        for (const auto& [id, entry] : watchers.MAS_PID_PROCESS.copy())
            ::kill(-static_cast<pid_t>(entry.process.pid), SIGKILL);
        for (qint64 pid : started)
            ::kill(-static_cast<pid_t>(pid), SIGKILL);
        qputenv("PATH", oldPath);
    }

    static LaunchRequest server(int id, int protocol) {
        LaunchRequest r;
        r.idTreeTable = id;
        r.domainName = QStringLiteral("127.0.0.1");
        r.defaultDnsOrIp = 1;
        r.defaultRdpOrSsh = protocol;
        r.login = QStringLiteral("admin");
        r.password = QStringLiteral("Hunter2 'secret' $(id)");
        r.translation = QStringLiteral("KOI8-R");
        return r;
    }

    // Waits for the session of the object to be confirmed; its process.
    ProcessIdentity confirmedSession(int id) {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const auto entry = watchers.MAS_PID_PROCESS.find(id);
                return entry && !entry->searching;
            },
            5000));
        const auto entry = watchers.MAS_PID_PROCESS.find(id);
        if (!entry)
            return {};
        started.push_back(entry->process.pid);
        return entry->process;
    }

    QString recorded(const QString& client, qint64 pid, const char* what) {
        const QString path =
            QStringLiteral("%1/%2.%3.%4").arg(out.path(), client).arg(pid).arg(QLatin1String(what));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return QFile::exists(out.path() + QStringLiteral("/%1.%2.args").arg(client).arg(pid)); },
            5000));
        return QString::fromUtf8(readFile(path));
    }

    QTemporaryDir bin, out, home;
    QByteArray oldPath;
    PosixSpawner spawner;
    ProcProcessReader processes;
    SystemProgramLocator programs;
    X11WindowRaiser windows;
    QtClipboard clipboard;
    PuttyFileStore putty{[this] {
        QProcessEnvironment e;
        e.insert(QStringLiteral("HOME"), home.path());
        return e;
    }()};
    SessionWatchers watchers{processes, WatcherTiming{200ms, 20ms, 5000ms}};
    Launcher launcher{{spawner, processes, programs, windows, clipboard, putty}, watchers};
    QStringList messages, traces;
    std::map<int, bool> bolds;
    std::vector<qint64> started;
};

TEST_F(RealProcessTest, XfreerdpGetsThePasswordOnStdinAndItsEndUnboldsTheNode) {
    launcher.BitBtn1Click(server(3, 1));
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const ProcessIdentity session = confirmedSession(3);
    EXPECT_TRUE(bolds[3]);

    EXPECT_EQ(recorded(QStringLiteral("xfreerdp"), session.pid, "args"),
              QStringLiteral("/v:127.0.0.1\n/u:admin\n/from-stdin:force\n/cert:tofu\n"));
    EXPECT_EQ(recorded(QStringLiteral("xfreerdp"), session.pid, "stdin"),
              QStringLiteral("Hunter2 'secret' $(id)\n"));
    const QByteArray cmdline = readFile(QStringLiteral("/proc/%1/cmdline").arg(session.pid));
    EXPECT_TRUE(cmdline.contains("/v:127.0.0.1"));
    EXPECT_FALSE(cmdline.contains("Hunter2"));
    for (const QString& line : traces)
        EXPECT_FALSE(line.contains(QStringLiteral("Hunter2"))) << line.toStdString();

    ::kill(-static_cast<pid_t>(session.pid), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bolds[3]; }, 3000));
    EXPECT_FALSE(watchers.MAS_PID_PROCESS.find(3));
}

TEST_F(RealProcessTest, PuttyReadsThePasswordFileAfterTheCodePageIsSet) {
    launcher.BitBtn1Click(server(4, 2));
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const ProcessIdentity session = confirmedSession(4);
    EXPECT_EQ(recorded(QStringLiteral("putty"), session.pid, "args"),
              QStringLiteral("-ssh\n-l\nadmin\n-pwfile\n/dev/stdin\n127.0.0.1\n"));
    EXPECT_EQ(recorded(QStringLiteral("putty"), session.pid, "stdin"),
              QStringLiteral("Hunter2 'secret' $(id)\n"));
    EXPECT_FALSE(readFile(QStringLiteral("/proc/%1/cmdline").arg(session.pid)).contains("Hunter2"));
    EXPECT_EQ(readFile(home.path() + QStringLiteral("/.putty/sessions/Default%20Settings")),
              QByteArray("LineCodePage=KOI8-R\nUTF8Override=0\n"));

    // While it runs, a second double click starts nothing.
    launcher.BitBtn1Click(server(4, 2));
    EXPECT_TRUE(traces.contains(QStringLiteral("Сеанс уже открыт")));
    EXPECT_EQ(watchers.MAS_PID_PROCESS.find(4)->process, session);

    ::kill(-static_cast<pid_t>(session.pid), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bolds[4]; }, 3000));
    launcher.BitBtn1Click(server(4, 2));
    const ProcessIdentity second = confirmedSession(4);
    EXPECT_NE(second, session);
}

TEST_F(RealProcessTest, WebAddressGoesToXdgOpenAndIsNotWatched) {
    LaunchRequest r = server(5, 3);
    r.domainName = QStringLiteral("example.org/a b");
    launcher.BitBtn1Click(r);
    EXPECT_EQ(messages.size(), 1); // a blank in an address
    r.domainName = QStringLiteral("example.org/?q=$(id)");
    launcher.BitBtn1Click(r);
    EXPECT_EQ(messages.size(), 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !QDir(out.path()).entryList({QStringLiteral("xdg-open.*.args")}, QDir::Files).isEmpty();
        },
        5000));
    const QString args = QDir(out.path()).entryList({QStringLiteral("xdg-open.*.args")}, QDir::Files).first();
    EXPECT_EQ(readFile(out.path() + QLatin1Char('/') + args), QByteArray("http://example.org/?q=$(id)\n"));
    EXPECT_FALSE(bolds.contains(5));
    EXPECT_EQ(watchers.MAS_PID_PROCESS.size(), 0);
    started.push_back(args.section(QLatin1Char('.'), 1, 1).toLongLong());
}

// Found with the running program: an opener that ends at once stayed a zombie
// until some session was watched again.
TEST_F(RealProcessTest, OpenerThatEndsAtOnceIsReapedWithoutAnySessionWatched) {
    QTemporaryDir quick;
    ASSERT_TRUE(quick.isValid());
    QFile opener(quick.path() + QStringLiteral("/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nexit 0\n");
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    qputenv("PATH", QFile::encodeName(quick.path()) + ':' + qgetenv("PATH"));

    const auto ourOpeners = [] {
        int count = 0;
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            const std::optional<ProcessEntry> e =
                parseProcStat(readFile(QStringLiteral("/proc/%1/stat").arg(pid)));
            if (e && e->ppid == ::getpid() && e->comm == "xdg-open")
                ++count;
        }
        return count;
    };
    LaunchRequest r = server(6, 3);
    r.domainName = QStringLiteral("example.org");
    launcher.BitBtn1Click(r);
    ASSERT_TRUE(messages.isEmpty());
    EXPECT_EQ(watchers.MAS_PID_PROCESS.size(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ourOpeners() == 0; }, 3000));
}

TEST_F(RealProcessTest, NewcomerWithoutClientsIsToldWhatToInstall) {
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    launcher.BitBtn1Click(server(6, 1));
    launcher.BitBtn1Click(server(7, 2));
    launcher.BitBtn1Click(server(8, 3));
    EXPECT_EQ(messages, (QStringList{
                            QStringLiteral("Не найдена программа xfreerdp. Установите пакет freerdp2-x11."),
                            QStringLiteral("Не найдена программа putty. Установите пакет putty."),
                            QStringLiteral("Не найдена программа xdg-open. Установите пакет xdg-utils."),
                        }));
    EXPECT_TRUE(bolds.empty());
    EXPECT_EQ(watchers.MAS_PID_PROCESS.size(), 0);
    EXPECT_FALSE(QFile::exists(home.path() + QStringLiteral("/.putty")));
}

TEST_F(RealProcessTest, StressOfLaunchesEndsAndNewHighIdsThenCloseJoinsAtOnce) {
    int id = 1000;
    for (int round = 0; round < 30; ++round) {
        id += 1 + round * 7919; // objects made after start, here or by another copy
        launcher.BitBtn1Click(server(id, round % 2 ? 1 : 2));
        if (round % 3 == 0) {
            if (const auto entry = watchers.MAS_PID_PROCESS.find(id))
                ::kill(-static_cast<pid_t>(entry->process.pid), SIGKILL);
        }
        QTest::qWait(5);
    }
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watchers.MAS_PID_PROCESS.size() == 20; }, 5000))
        << watchers.MAS_PID_PROCESS.size() << traces.join(QLatin1Char('\n')).toStdString();
    const auto before = std::chrono::steady_clock::now();
    watchers.stop_potok3();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 100ms);
}

} // namespace
