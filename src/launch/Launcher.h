#pragma once

#include "launch/LaunchPlan.h"
#include "launch/LaunchRequest.h"
#include "launch/SessionWatchers.h"
#include "platform/Clipboard.h"
#include "platform/ProgramLocator.h"
#include "platform/PuttySettings.h"
#include "platform/Spawner.h"
#include "platform/WindowRaiser.h"

#include <QObject>

// The operating-system services a launch uses.
struct LaunchPlatform {
    ProcessSpawner& spawner;
    ProcessReader& processes;
    ProgramLocator& programs;
    WindowRaiser& windows;
    Clipboard& clipboard;
    PuttySettingsStore& putty;
};

// Opens the connection of the loaded object: RDP with xfreerdp, SSH with PuTTY, a
// web site in the browser. The password reaches the client on its standard input
// only; neither the command line nor the trace ever holds it. Runs on the
// user-interface thread and never waits for a started program.
class Launcher : public QObject {
    Q_OBJECT
public:
    Launcher(LaunchPlatform platform, SessionWatchers& watchers, QObject* parent = nullptr);

    LaunchSettings settings;

    // The connect action (BitBtn1, double click in the tree).
    void BitBtn1Click(const LaunchRequest& r);

    // Each returns true when a session was started.
    bool ConnectOnRDP(const LaunchRequest& r, const QString& perUSER, const QString& perPASS,
                      const QString& perCOMP, const QString& Port);
    bool ConnectOnSSH(const LaunchRequest& r, const QString& perUSER, const QString& perPASS,
                      const QString& perCOMP, const QString& perPort);
    bool ConnectOnURL(const QString& perCOMP);

    // True when the object's session still runs; its windows have then been asked
    // to come to the front.
    bool ZHIV_LI_PROCESS(int index);

signals:
    // A line for the trace memo (Memo1).
    void trace(const QString& line);
    // A message the user must see (a box); the launch did not happen.
    void message(const QString& text);

private:
    // Starts the plan's program; the session is watched when the plan names one.
    bool startPlanned(int objectId, const LaunchPlan& plan, const QString& codePage = {});

    LaunchPlatform m_platform;
    SessionWatchers& m_watchers;
};

// True when the process of that identity is alive in a fresh snapshot. A reused ID
// (same number, other start time) does not count.
bool AnotherProcessExists(ProcessReader& processes, const ProcessIdentity& my_pid);

// Sets PuTTY's default code page (LineCodePage, and UTF8Override=0 so that it
// applies). Empty on success, else the message for the user. An empty code page
// leaves the settings as they are.
QString Reg_Edit_for_Putty_Translation(PuttySettingsStore& store, const QString& perTranslation);
