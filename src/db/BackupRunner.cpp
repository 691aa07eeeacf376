#include "db/BackupRunner.h"

#include "fb/Error.h"
#include "fb/Service.h"

BackupRunner::BackupRunner(QObject* parent) : QObject(parent) {
    connect(&m_poll, &QTimer::timeout, this, &BackupRunner::collect);
}

BackupRunner::~BackupRunner() {
    stop();
}

BackupRunner::Outcome BackupRunner::run(const ServiceJob& job,
                                        const std::function<void(const QString&)>& onLine,
                                        const std::atomic<bool>& stopRequested) {
    Outcome outcome;
    fb::Service service;
    try {
        service.attach(job.host, job.user, job.password, kConnectTimeoutSeconds);
        if (stopRequested)
            return outcome;
        if (job.kind == ServiceJob::Kind::Backup)
            service.startBackup(job.database, job.backupFile, job.progressInterval);
        else
            service.startRestore(job.backupFile, job.database, job.replace, job.progressInterval);
        outcome.stopped = !service.drain(onLine, [&] { return !stopRequested; });
        outcome.ok = !outcome.stopped;
    } catch (const fb::Error& e) {
        outcome.errorText = e.text();
        outcome.targetExists = fb::refusedExistingDatabase(e);
    }
    return outcome;
}

bool BackupRunner::start(const ServiceJob& job) {
    if (busy())
        return false;
    m_stop = false;
    m_mailbox = std::make_shared<Mailbox>();
    m_thread = std::thread([this, job, mailbox = m_mailbox] {
        const Outcome outcome = run(
            job,
            [&mailbox](const QString& text) {
                const std::lock_guard guard(mailbox->lock);
                mailbox->lines << text;
            },
            m_stop);
        const std::lock_guard guard(mailbox->lock);
        mailbox->end = outcome;
    });
    m_poll.start(kPollMs);
    return true;
}

void BackupRunner::collect() {
    if (!m_mailbox)
        return;
    QStringList lines;
    std::optional<Outcome> end;
    {
        const std::lock_guard guard(m_mailbox->lock);
        lines.swap(m_mailbox->lines);
        end.swap(m_mailbox->end);
    }
    // A slot may stop() or start anew: keep going only while this job is current.
    const auto job = m_mailbox;
    for (const QString& text : std::as_const(lines)) {
        emit line(text);
        if (m_mailbox != job)
            return;
    }
    if (!end)
        return;
    join();
    emit finished(end->ok, end->errorText, end->targetExists);
}

void BackupRunner::join() {
    m_poll.stop();
    if (m_thread.joinable())
        m_thread.join();
    m_mailbox.reset();
}

void BackupRunner::stop() {
    m_stop = true;
    join();
}
