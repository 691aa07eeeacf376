#include "launch/SessionWatchers.h"

#include "launch/SessionSearch.h"
#include "platform/Spawner.h"

#include <QMetaObject>

qint64 steadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

SessionWatchers::SessionWatchers(ProcessReader& processes, WatcherTiming timing, QObject* parent)
    : QObject(parent), m_processes(processes), m_timing(timing) {}

SessionWatchers::~SessionWatchers() {
    stop_potok3();
}

void SessionWatchers::start_potok3() {
    MyThread_ubiraem_girnoe_videlenie_node.start([this] { return watchPass(); });
}

void SessionWatchers::stop_potok3() {
    MyThread_ubiraem_girnoe_videlenie_node.stop();
}

void SessionWatchers::start_potok2(int objectId, const ProcessIdentity& started,
                                   const QByteArray& sessionName) {
    SessionEntry entry;
    entry.process = started;
    entry.sessionName = sessionName;
    entry.searching = true;
    entry.searchDeadlineMs = steadyNowMs() + m_timing.searchLimit.count();
    MAS_PID_PROCESS.put(objectId, entry);
    emit nodeBoldChanged(objectId, true);
}

void SessionWatchers::start_potok4() {
    MyThread_ubiraem_girnoe_videlenie_node.wake();
}

void SessionWatchers::stop_potok4(int objectId, const SessionEntry& searched, const ProcessIdentity& found) {
    SessionEntry confirmed = searched;
    confirmed.process = found;
    confirmed.searching = false;
    if (MAS_PID_PROCESS.replaceIf(objectId, searched, confirmed))
        emit trace(QStringLiteral("Процессе существует %1").arg(found.pid));
}

void SessionWatchers::stop_potok2(int objectId, const SessionEntry& searched, const QString& why) {
    if (!MAS_PID_PROCESS.removeIf(objectId, searched))
        return;
    emit trace(why);
    emit nodeBoldChanged(objectId, false);
}

void SessionWatchers::Timer1Timer(int objectId, const SessionEntry& searched) {
    stop_potok2(objectId, searched,
                QStringLiteral("Процесс %1 не найден за минуту после запуска")
                    .arg(QString::fromUtf8(searched.sessionName)));
}

void SessionWatchers::sessionEnded(int objectId, const SessionEntry& ended) {
    // A newer launch may have taken the object's entry meanwhile; that one stays.
    if (!MAS_PID_PROCESS.removeIf(objectId, ended))
        return;
    emit trace(QStringLiteral("Сеанс завершён, процесс %1").arg(ended.process.pid));
    emit nodeBoldChanged(objectId, false);
}

// Runs on the watcher thread: it only reads a copy and posts what it saw.
std::chrono::milliseconds SessionWatchers::watchPass() {
    const SessionTable::Map entries = MAS_PID_PROCESS.copy();
    if (entries.empty()) {
        // Programs nobody watches (a browser opener) must not stay zombies either.
        reapEndedChildren();
        return m_timing.pass;
    }
    const ProcessSnapshot snapshot = m_processes.snapshot();
    const qint64 now = steadyNowMs();
    bool searching = false;
    for (const auto& [objectId, entry] : entries) {
        const int id = objectId;
        const SessionEntry seen = entry;
        if (!entry.searching) {
            if (!containsLive(snapshot, entry.process))
                QMetaObject::invokeMethod(
                    this, [this, id, seen] { sessionEnded(id, seen); }, Qt::QueuedConnection);
            continue;
        }
        const SearchOutcome outcome = searchSession(snapshot, entry.process, entry.sessionName);
        switch (outcome.kind) {
        case SearchOutcome::Kind::Found:
            QMetaObject::invokeMethod(
                this, [this, id, seen, found = outcome.process] { stop_potok4(id, seen, found); },
                Qt::QueuedConnection);
            break;
        case SearchOutcome::Kind::SubtreeGone:
            QMetaObject::invokeMethod(
                this,
                [this, id, seen] {
                    stop_potok2(id, seen,
                                QStringLiteral("%1 завершился, не открыв сеанса")
                                    .arg(QString::fromUtf8(seen.sessionName)));
                },
                Qt::QueuedConnection);
            break;
        case SearchOutcome::Kind::Pending:
            if (now >= entry.searchDeadlineMs)
                QMetaObject::invokeMethod(
                    this, [this, id, seen] { Timer1Timer(id, seen); }, Qt::QueuedConnection);
            else
                searching = true;
            break;
        }
    }
    return searching ? m_timing.searchPass : m_timing.pass;
}
