#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

// One backup or restore job for the server's service manager.
struct ServiceJob {
    enum class Kind { Backup, Restore };
    Kind kind = Kind::Backup;
    QString host;
    QString user;
    QString password;
    QString database;   // server path
    QString backupFile; // server path
    bool replace = false;
    // A progress line every this many rows, so that tables of few large rows
    // (notes, journal BLOBs) still show progress; 0 keeps gbak's own 20000.
    int progressInterval = 0;
};

// Runs one job at a time on a thread of its own, which owns the service
// attachment and reads the whole output; lines and the end are delivered on the
// thread that owns this object. Firebird cannot cancel a running job: stop()
// only ends the reading and detaches (the server finishes on its own) and waits
// for the thread; the destructor does the same.
class BackupRunner : public QObject {
    Q_OBJECT
public:
    explicit BackupRunner(QObject* parent = nullptr);
    ~BackupRunner() override;

    // False (and nothing started) while a job runs.
    bool start(const ServiceJob& job);
    bool busy() const { return m_thread != nullptr; }
    void stop();

    static constexpr int kDefaultProgressInterval = 2000;
    static constexpr int kConnectTimeoutSeconds = 15;

signals:
    void line(const QString& text);
    // ok false: errorText is the server's text; targetExists tells that a restore
    // without replace was refused because the database file exists.
    void finished(bool ok, const QString& errorText, bool targetExists);

private:
    struct Outcome {
        bool ok = false;
        QString errorText;
        bool targetExists = false;
        bool stopped = false;
    };
    static Outcome run(const ServiceJob& job, const std::function<void(const QString&)>& onLine,
                       const std::atomic<bool>& stopRequested);
    void join();
    void deliverEnd(const Outcome& outcome, const std::shared_ptr<std::atomic<bool>>& stopFlag);

    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_stop;
};
