#pragma once

#include <QObject>
#include <array>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (the desktop session ending, kill, Ctrl+C in a
// terminal) into a signal on the thread that made this object, where the
// program can close as its own close does. One instance per process; it must
// be made before any library installs handlers of its own, which then keep
// calling this one. The destructor puts the previous handlers back.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPending();

    std::array<int, 2> m_pipe{-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};
