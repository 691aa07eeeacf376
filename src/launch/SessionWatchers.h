#pragma once

#include "launch/PeriodicThread.h"
#include "launch/SessionTable.h"
#include "platform/Processes.h"

#include <QObject>
#include <QString>
#include <chrono>

// The unbolder: one pass every few seconds over a copy of the session table, and
// every quarter second while a launch's search is pending.
class TMyThread3 : public PeriodicThread {};

struct WatcherTiming {
    std::chrono::milliseconds pass{4000};
    std::chrono::milliseconds searchPass{250};
    std::chrono::milliseconds searchLimit{60000};
};

// Keeps the tree's bold marks in step with the running sessions. Lives on the
// user-interface thread; its signals are emitted there, and only there is the
// session table changed after a launch: the watcher thread looks at a copy and
// reports what it saw.
class SessionWatchers : public QObject {
    Q_OBJECT
public:
    explicit SessionWatchers(ProcessReader& processes, WatcherTiming timing = {}, QObject* parent = nullptr);
    ~SessionWatchers() override; // stops the watcher

    SessionTable MAS_PID_PROCESS;

    // The watcher thread, from window creation to window destruction.
    void start_potok3();
    void stop_potok3();

    // A launch's search: the program just started carries the object's session, or
    // will start the process that does. The node is bold from here on.
    void start_potok2(int objectId, const ProcessIdentity& started, const QByteArray& sessionName);
    // Runs the first check of the pending searches now instead of at the next pass.
    void start_potok4();
    // The search found the session process (the entry must still be `searched`).
    void stop_potok4(int objectId, const SessionEntry& searched, const ProcessIdentity& found);
    // The search ended without a session: the entry goes and the node is normal again.
    void stop_potok2(int objectId, const SessionEntry& searched, const QString& why);
    // The one-minute limit of a search has passed.
    void Timer1Timer(int objectId, const SessionEntry& searched);

    TMyThread3& watcherThread() { return MyThread_ubiraem_girnoe_videlenie_node; }

signals:
    void nodeBoldChanged(int objectId, bool bold);
    void trace(const QString& line);

private:
    std::chrono::milliseconds watchPass();
    void sessionEnded(int objectId, const SessionEntry& ended);

    ProcessReader& m_processes;
    WatcherTiming m_timing;
    TMyThread3 MyThread_ubiraem_girnoe_videlenie_node;
};

// Steady-clock milliseconds, the time base of search deadlines.
qint64 steadyNowMs();
