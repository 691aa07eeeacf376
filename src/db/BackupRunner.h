#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

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
//
// The thread hands lines and its outcome over through a locked mailbox that a
// timer on the owner's thread empties: nothing crosses threads through Qt's
// event queue, whose locks the thread checker cannot see.
class BackupRunner : public QObject {
    Q_OBJECT
public:
    explicit BackupRunner(QObject* parent = nullptr);
    ~BackupRunner() override;

    // False (and nothing started) while a job runs.
    bool start(const ServiceJob& job);
    bool busy() const { return m_thread.joinable(); }
    void stop();

    static constexpr int kDefaultProgressInterval = 2000;
    static constexpr int kConnectTimeoutSeconds = 15;
    // How often the owner's thread collects what the job has written.
    static constexpr int kPollMs = 15;

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
    // What the job's thread has written and the owner has not collected yet.
    struct Mailbox {
        std::mutex lock;
        QStringList lines;
        std::optional<Outcome> end;
    };
    void collect();
    void join();

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::shared_ptr<Mailbox> m_mailbox;
    QTimer m_poll;
};
