#include "platform/Processes.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray statLine(const QByteArray& pid, const QByteArray& comm, char state, const QByteArray& ppid,
                    const QByteArray& start) {
    QByteArray line = pid + " (" + comm + ") " + state + ' ' + ppid;
    for (int field = 5; field <= 21; ++field)
        line += " " + QByteArray::number(field);
    return line + ' ' + start + " 12345 67 18446744073709551615 1 2 3\n";
}

} // namespace

TEST(ParseProcStat, ReadsPidNameStateParentAndStartTime) {
    const auto entry = parseProcStat(statLine("4242", "xfreerdp", 'S', "17", "987654321"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->pid, 4242);
    EXPECT_EQ(entry->comm, QByteArray("xfreerdp"));
    EXPECT_EQ(entry->state, 'S');
    EXPECT_EQ(entry->ppid, 17);
    EXPECT_EQ(entry->startTime, 987654321u);
    EXPECT_TRUE(entry->isLive());
    EXPECT_FALSE(parseProcStat(statLine("1", "a", 'Z', "0", "5"))->isLive());
}

TEST(ParseProcStat, NameRunsToTheLastParenthesis) {
    for (const QByteArray& comm : {QByteArray("my prog"), QByteArray("a) b (c"), QByteArray(") ("),
                                   QByteArray(""), QByteArray("x) S 1 2")}) {
        SCOPED_TRACE(comm.toStdString());
        const auto entry = parseProcStat(statLine("77", comm, 'R', "3", "100"));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->comm, comm);
        EXPECT_EQ(entry->ppid, 3);
        EXPECT_EQ(entry->startTime, 100u);
    }
}

TEST(ParseProcStat, TruncatedOrMalformedLinesGiveNothing) {
    const QByteArray line = statLine("4242", "sh (x)", 'S', "17", "987654321");
    // Every cut before the start time is missing or incomplete.
    const qsizetype startEnd = line.indexOf("987654321") + 9;
    for (qsizetype cut = 0; cut < startEnd; ++cut) {
        const auto entry = parseProcStat(line.first(cut));
        if (entry) { // a cut inside the start time still parses, as a smaller number
            EXPECT_GE(cut, line.indexOf("987654321") + 1) << cut;
        }
    }
    EXPECT_FALSE(parseProcStat("abc (x) S 1"));
    EXPECT_FALSE(parseProcStat("12 x) S 1 2"));
    EXPECT_FALSE(parseProcStat(statLine("-", "x", 'S', "1", "2")));
    EXPECT_FALSE(parseProcStat(statLine("12", "x", 'S', "one", "2")));
    EXPECT_FALSE(parseProcStat(statLine("12", "x", 'S', "1", "2x")));
}

TEST(ParseProcStat, RandomBytesNeverCrash) {
    QRandomGenerator random(2024);
    const QByteArray good = statLine("4242", "sh (x)", 'S', "17", "987654321");
    for (int round = 0; round < 20000; ++round) {
        QByteArray line = good.first(random.bounded(good.size() + 1));
        const int flips = random.bounded(4);
        for (int f = 0; f < flips && !line.isEmpty(); ++f)
            line[random.bounded(line.size())] = static_cast<char>(random.bounded(256));
        (void)parseProcStat(line);
    }
}

TEST(ProcProcessReader, SkipsVanishedAndBrokenEntries) {
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    auto write = [&](const QString& name, const QByteArray& content) {
        QDir(proc.path()).mkpath(name);
        if (content.isNull())
            return; // the folder stays, its stat is gone: the process vanished
        QFile file(proc.path() + QLatin1Char('/') + name + QStringLiteral("/stat"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(QStringLiteral("10"), statLine("10", "putty", 'S', "1", "500"));
    write(QStringLiteral("11"), QByteArray());
    write(QStringLiteral("12"), "12 (trunc");
    write(QStringLiteral("self"), statLine("13", "self", 'S', "1", "1"));
    write(QStringLiteral("14"), statLine("14", "zombie", 'Z', "10", "600"));

    ProcProcessReader reader(QFile::encodeName(proc.path()));
    const ProcessSnapshot snapshot = reader.snapshot();
    ASSERT_EQ(snapshot.size(), 2u);
    EXPECT_TRUE(containsLive(snapshot, {10, 500}));
    EXPECT_FALSE(containsLive(snapshot, {10, 501})); // same pid, other process
    EXPECT_FALSE(containsLive(snapshot, {14, 600})); // ended
}

TEST(ProcProcessReader, SeesThisVeryProcess) {
    ProcProcessReader reader;
    const ProcessSnapshot snapshot = reader.snapshot();
    bool found = false;
    for (const ProcessEntry& e : snapshot)
        found = found || (e.pid == ::getpid() && e.ppid == ::getppid() && e.isLive());
    EXPECT_TRUE(found);
    EXPECT_GT(snapshot.size(), 1u);
}
