#pragma once

#include "journal/CatchUpScheduler.h"
#include "tree/JournalFollower.h"
#include "tree/TreeSearch.h"
#include "ui/WindowTree.h"

#include <QObject>
#include <QTimer>
#include <memory>

class AlertStack;
class TfmGeneral;

// One main window's part in tree editing and in following the other copies:
// its place in the journal, the catch-ups that patch its tree, the alerts they
// raise, the state of listening and the search position. Lives as a child of
// its window, so each client of a process has its own.
class TreeEditSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kReattachIntervalMs = 5000;

    TreeEditSession(TfmGeneral& window, AlertStack& alerts);
    ~TreeEditSession() override;

    // The window's session, nullptr before start() made one.
    static TreeEditSession* of(TfmGeneral& window);

    // Before the window's tree is built: takes the journal's end as the mark,
    // listens for the journal's event and asks for a first catch-up.
    void start();
    // The window closes: no catch-up runs any more. The scheduler stays, so that a
    // Hold taken before (a question still open) ends safely.
    void stop();

    TfmGeneral& window() { return m_window; }
    WindowTree& tree() { return m_tree; }
    JournalFollower& follower() { return m_follower; }
    TreeSearch& search() { return m_search; }
    // nullptr before start().
    CatchUpScheduler* scheduler() { return m_scheduler.get(); }
    bool stopped() const { return m_stopped; }
    bool listeningLost() const { return m_lost; }
    void setReattachInterval(int ms) { m_reattach.setInterval(ms); }

    // Builds the tree anew from the table; selection, expansion and the loaded
    // object stay where their nodes still exist.
    void rebuildTree();

    // Keeps catch-ups waiting while it lives (around questions and drags).
    class Hold {
    public:
        explicit Hold(TreeEditSession* session);
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        std::unique_ptr<CatchUpScheduler::Hold> m_hold;
    };

signals:
    // After each catch-up that ran (for tests and the benchmark).
    void caughtUp();

private:
    void catchUp();
    void onListeningLost();
    void onListening();
    void tryReattach();
    void showConnectionState(const QString& text, const QString& tip);

    TfmGeneral& m_window;
    AlertStack& m_alerts;
    WindowTree m_tree;
    JournalFollower m_follower;
    TreeSearch m_search;
    std::unique_ptr<CatchUpScheduler> m_scheduler;
    QTimer m_reattach;
    bool m_lost = false;
    bool m_stopped = false;
};
