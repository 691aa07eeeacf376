#include "platform/Processes.h"
#include "platform/ProgramLocator.h"
#include "platform/Spawner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A program that writes its arguments, one per line, and its standard input to
// files, then waits.
QString recorder(const QTemporaryDir& dir) {
    const QString path = dir.path() + QStringLiteral("/recorder");
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\n"
                 "out=\"$(dirname \"$0\")\"\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out/args\"\n"
                 "cat > \"$out/stdin\"\n"
                 "exec sleep 30\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QByteArray waitForFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return file.exists() && file.size() > 0; }, 5000))
        << path.toStdString();
    QTest::qWait(50);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(PosixSpawner, EachArgumentArrivesWholeAndTheSecretOnStdin) {
    QTemporaryDir dir;
    const QStringList arguments{QStringLiteral("a b"), QStringLiteral("'; $(rm -rf ~) `id`"),
                                QStringLiteral("Кириллица"), QStringLiteral("-pw")};
    PosixSpawner spawner;
    const SpawnResult result = spawner.spawn({recorder(dir), arguments, QByteArray("pa ss'\"$x\n")});
    ASSERT_TRUE(result.process) << result.error.toStdString();
    EXPECT_EQ(waitForFile(dir.path() + "/args"), (arguments.join('\n') + '\n').toUtf8());
    EXPECT_EQ(waitForFile(dir.path() + "/stdin"), QByteArray("pa ss'\"$x\n"));

    // Its own session, and the identity matches what /proc says of it.
    EXPECT_EQ(::getsid(static_cast<pid_t>(result.process->pid)), result.process->pid);
    ProcProcessReader reader;
    EXPECT_TRUE(containsLive(reader.snapshot(), *result.process));
    ::kill(static_cast<pid_t>(result.process->pid), SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !containsLive(reader.snapshot(), *result.process); }, 5000));
}

TEST(PosixSpawner, WithoutSecretStdinIsEmpty) {
    QTemporaryDir dir;
    PosixSpawner spawner;
    const SpawnResult result = spawner.spawn({recorder(dir), {QStringLiteral("x")}, std::nullopt});
    ASSERT_TRUE(result.process);
    waitForFile(dir.path() + "/args");
    QTest::qWait(200);
    EXPECT_EQ(QFileInfo(dir.path() + "/stdin").size(), 0);
    ::kill(static_cast<pid_t>(result.process->pid), SIGTERM);
}

TEST(PosixSpawner, MissingProgramIsAnErrorNotAProcess) {
    PosixSpawner spawner;
    const SpawnResult result =
        spawner.spawn({QStringLiteral("/nonexistent/xfreerdp"), {}, QByteArray("pw\n")});
    EXPECT_FALSE(result.process);
    EXPECT_TRUE(result.error.contains(QStringLiteral("posix_spawn"))) << result.error.toStdString();
}

TEST(PosixSpawner, EndedChildrenAreReaped) {
    PosixSpawner spawner;
    const SpawnResult result = spawner.spawn({QStringLiteral("/bin/true"), {}, QByteArray("ignored\n")});
    ASSERT_TRUE(result.process);
    ProcProcessReader reader;
    // Once it has ended, the next snapshots reap it instead of keeping a zombie.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            reader.snapshot();
            return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(result.process->pid));
        },
        5000));
}

TEST(SystemProgramLocator, FindsInPathOrBesideUsAndChecksPaths) {
    SystemProgramLocator locator;
    const QString sh = locator.findProgram(QStringLiteral("sh"), false);
    EXPECT_TRUE(sh.endsWith(QStringLiteral("/sh")) && QFileInfo(sh).isExecutable()) << sh.toStdString();
    EXPECT_TRUE(locator.findProgram(QStringLiteral("no-such-program-here"), true).isEmpty());
    EXPECT_TRUE(locator.findProgram(QStringLiteral("/etc/passwd"), false).isEmpty()); // not executable
    EXPECT_EQ(locator.findProgram(QStringLiteral("/bin/sh"), false), QStringLiteral("/bin/sh"));
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_EQ(locator.findProgram(self, true), QCoreApplication::applicationFilePath());
    EXPECT_TRUE(locator.findProgram(QString(), true).isEmpty());
}

TEST(PosixSpawner, SecretArrivesEvenWhenOurOwnStdinIsClosed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::close(STDIN_FILENO); // the pipe then gets fd 0
            QTemporaryDir dir;
            PosixSpawner spawner;
            const SpawnResult result = spawner.spawn({recorder(dir), {}, QByteArray("pw\n")});
            const bool delivered = result.process && waitForFile(dir.path() + "/stdin") == "pw\n";
            if (result.process)
                ::kill(static_cast<pid_t>(result.process->pid), SIGKILL);
            std::_Exit(delivered ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
