#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace fb {
class EventListener;
}

// Decides when one client catches up with the journal: at every delivery of the
// journal's event, once listening has (re)started, and on a safety timer for a
// delivery lost on the way. A catch-up never runs inside another one, nor while
// the window asks a question or a drag is under way (their nested event loops
// would run it in the middle of an operation): such a request runs afterwards.
class CatchUpScheduler : public QObject {
    Q_OBJECT
public:
    static constexpr int kSafetyIntervalMs = 30000;
    static constexpr int kBusyPollMs = 100;

    explicit CatchUpScheduler(std::function<void()> catchUp, QObject* parent = nullptr);
    ~CatchUpScheduler() override;

    // Catch-ups follow this listener's deliveries and each of its (re)starts.
    void watch(fb::EventListener& listener);
    void setSafetyInterval(int ms);
    // Something that says the window is inside a nested event loop it did not
    // announce with Hold (a modal box of Qt's own, say).
    void setBusyCheck(std::function<bool()> busy);

    bool running() const { return m_running; }
    bool pending() const { return m_requested; }

    // While one exists, requests wait; the last one gone runs what waited.
    class Hold {
    public:
        explicit Hold(CatchUpScheduler& scheduler);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CatchUpScheduler& m_scheduler;
    };

public slots:
    // Runs a catch-up soon, once; requests that come before it runs are one.
    void requestCatchUp();
    // The listener stopped listening (connection lost or registration refused).
    void onListeningEnded();

signals:
    // After each catch-up that ran.
    void caughtUp();
    // A catch-up failed with this text (for the trace memo and the status bar).
    void catchUpFailed(const QString& text);
    // Listening ended: the tree may go stale until the listener is attached again.
    void listeningLost();

private:
    void schedule();
    void runNow();
    bool mustWait() const;

    std::function<void()> m_catchUp;
    std::function<bool()> m_busy;
    QTimer m_safety;
    QTimer m_soon;
    int m_holds = 0;
    bool m_running = false;
    bool m_requested = false;
};
