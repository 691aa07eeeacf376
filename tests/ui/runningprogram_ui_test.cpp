// The built program in a process of its own, signed in automatically, while this
// test changes the database the way an older copy of the program does (the row
// first, then the journal entry). The program's tree is read from outside through
// the accessibility interface, as a screen reader reads it: nothing in the
// program knows it is being tested.

#include "app/Ini.h"
#include "app/Variable.h"
#include "journal/ChangeRecord.h"
#include "journal/TableLogs.h"
#include "support/JournalRows.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace objectrows;

const QString kPetrovName = QStringLiteral("Петров Пётр Иванович");

// The system's Python carries the accessibility bindings; one first in PATH may not.
QString pythonWithAtspi() {
    for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import pyatspi")});
        if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return candidate;
    }
    return {};
}

bool haveTools() {
    for (const char* tool : {"Xvfb", "dbus-daemon"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    }
    return !pythonWithAtspi().isEmpty();
}

class RunningProgram : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        // scripts/install-deps.sh installs them: CI must never pass by skipping.
        if (!haveTools() && qEnvironmentVariableIsSet("CI"))
            FAIL() << "needs Xvfb, dbus-daemon and python3-pyatspi";
        if (!haveTools())
            GTEST_SKIP() << "needs Xvfb, dbus-daemon and python3-pyatspi";
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        petrov = addUser(kPetrovName);
        addObject(1, 0, QStringLiteral("Офис"), 1, 1);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0);
        addObject(2, 0, QStringLiteral("Сайт"), 2, 2);
        ASSERT_TRUE(programDir.isValid());
        installProgram();
        startDisplayAndBus();
    }

    void TearDown() override {
        for (QProcess* process : {&program, &bus, &display}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
        if (!IsSkipped())
            SchemaDatabase::TearDown();
    }

    // A copy of the program with a config.ini of its own beside it.
    void installProgram() {
        const QString target = programDir.filePath(QStringLiteral("vestibar"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VESTIBAR_PROGRAM), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setConfigFolder(programDir.path());
        Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), dbPath);
        Write_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN"), QStringLiteral("SYSDBA"));
        Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS"),
                      QString::fromLatin1(kSysdbaDefaultPassword));
        Write_ini_str(QStringLiteral("BASE"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
        Write_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT"), true);
        Write_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN"), true);
        Write_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID"), 1);
        Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO"), QStringLiteral("admin"));
        Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS"),
                      encode_string(QStringLiteral("kestu")));
        Write_ini_bool(QStringLiteral("SETINGS"), QStringLiteral("ShowEvents"), true);
        setConfigFolder(QString());
    }

    void startDisplayAndBus() {
        int number = 150 + static_cast<int>(QCoreApplication::applicationPid() % 40);
        while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            ++number;
        displayName = QStringLiteral(":%1").arg(number);
        display.start(QStringLiteral("Xvfb"),
                      {displayName, QStringLiteral("-screen"), QStringLiteral("0"),
                       QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)); }, 10000));
        bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus.waitForReadyRead(10000));
        const QString address = QString::fromLocal8Bit(bus.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());

        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), displayName);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("0"));
    }

    void startProgram() {
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(programDir.path());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(programDir.filePath(QStringLiteral("vestibar")), {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    // Role and name of every accessible object of the running program.
    QStringList accessibleObjects() {
        QProcess reader;
        reader.setProcessEnvironment(environment);
        reader.start(pythonWithAtspi(), {QStringLiteral(VESTIBAR_ATSPI_DUMP), QStringLiteral("vestibar")});
        if (!reader.waitForFinished(30000)) {
            reader.kill();
            reader.waitForFinished();
            return {};
        }
        return QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Names of the objects with this role.
    QStringList named(const QStringList& objects, const QString& role) {
        QStringList names;
        for (const QString& line : objects) {
            const qsizetype tab = line.indexOf(QLatin1Char('\t'));
            if (line.left(tab) == role)
                names << line.mid(tab + 1);
        }
        return names;
    }

    // Waits, reading from outside now and then, until the tree's cells satisfy done.
    bool waitForCells(const std::function<bool(const QStringList&)>& done, int ms = 30000) {
        return QTest::qWaitFor(
            [&] {
                last = accessibleObjects();
                return done(named(last, QStringLiteral("table cell")) +
                            named(last, QStringLiteral("tree item")));
            },
            ms);
    }

    int petrov = 0;
    QTemporaryDir programDir;
    QString displayName;
    QProcessEnvironment environment;
    QProcess display;
    QProcess bus;
    QProcess program;
    QStringList last; // the last reading, for failure messages
};

std::string shown(const QStringList& lines) {
    return lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(RunningProgram, ChangesJournalledTheOldWayReachTheRunningProgramsTreeWithAnAlert) {
    startProgram();
    ASSERT_TRUE(waitForCells([](const QStringList& cells) { return cells.contains(QStringLiteral("Офис")); }))
        << shown(last);

    // An older copy creates a top-level object: the row, then the entry.
    addObject(50, 0, QStringLiteral("Новый сервер"), 3);
    insertDataInLOGS(testsupport::creationEntry(petrov, 50, 50, 0, QStringLiteral("\\Объект")));
    // And renames another, naming it only by its path.
    testsupport::execWrite(QStringLiteral("update TREETABLE set TEXT = 'Портал' where ID = 2"));
    type_ParametersOfEvents renamed;
    renamed.UserID_ = petrov;
    renamed.Type_ = 2;
    renamed.Text_ = QStringLiteral("Сайт");
    renamed.TEXT_TREETABLE_after = QStringLiteral("Портал");
    renamed.Path_before = QStringLiteral("\\Сайт");
    insertDataInLOGS(renamed);

    ASSERT_TRUE(waitForCells([](const QStringList& cells) {
        return cells.contains(QStringLiteral("Новый сервер")) && cells.contains(QStringLiteral("Портал")) &&
               !cells.contains(QStringLiteral("Сайт"));
    })) << shown(last);
    // The alerts name the author.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            last = accessibleObjects();
            return named(last, QStringLiteral("label")).contains(kPetrovName);
        },
        10000))
        << shown(last);
    if (const QString shot = qEnvironmentVariable("VESTIBAR_ALERT_SHOT"); !shot.isEmpty()) {
        QProcess import;
        import.setProcessEnvironment(environment);
        import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot});
        import.waitForFinished(20000);
    }

    // The older copy deletes: the row, then the entry.
    testsupport::execWrite(QStringLiteral("delete from TREETABLE where ID = 50"));
    type_ParametersOfEvents deleted;
    deleted.UserID_ = petrov;
    deleted.Type_ = 4;
    deleted.ID_Parent_before = 50;
    deleted.Text_ = QStringLiteral("Новый сервер");
    deleted.Path_before = QStringLiteral("\\Новый сервер");
    insertDataInLOGS(deleted);
    EXPECT_TRUE(waitForCells([](const QStringList& cells) {
        return cells.contains(QStringLiteral("Офис")) && !cells.contains(QStringLiteral("Новый сервер"));
    })) << shown(last);
    EXPECT_EQ(program.state(), QProcess::Running);
}

} // namespace
