#include "db/BackupRunner.h"

#include "fb/Error.h"
#include "fb/Service.h"

#include <QThread>

BackupRunner::BackupRunner(QObject* parent) : QObject(parent) {}

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
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const auto stopFlag = m_stop;
    m_thread = QThread::create([this, job, stopFlag] {
        const Outcome outcome = run(
            job,
            [this](const QString& text) {
                QMetaObject::invokeMethod(
                    this, [this, text] { emit line(text); }, Qt::QueuedConnection);
            },
            *stopFlag);
        QMetaObject::invokeMethod(
            this, [this, outcome, stopFlag] { deliverEnd(outcome, stopFlag); }, Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("backup"));
    m_thread->start();
    return true;
}

void BackupRunner::deliverEnd(const Outcome& outcome, const std::shared_ptr<std::atomic<bool>>& stopFlag) {
    // A job that stop() already waited for has no one left to tell.
    if (stopFlag != m_stop)
        return;
    join();
    emit finished(outcome.ok, outcome.errorText, outcome.targetExists);
}

void BackupRunner::join() {
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_stop.reset();
}

void BackupRunner::stop() {
    if (m_stop)
        *m_stop = true;
    join();
}
