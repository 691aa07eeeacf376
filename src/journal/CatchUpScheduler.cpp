#include "journal/CatchUpScheduler.h"

#include "fb/EventListener.h"

#include <exception>

CatchUpScheduler::CatchUpScheduler(std::function<void()> catchUp, QObject* parent)
    : QObject(parent), m_catchUp(std::move(catchUp)) {
    m_soon.setSingleShot(true);
    connect(&m_soon, &QTimer::timeout, this, &CatchUpScheduler::runNow);
    m_safety.setInterval(kSafetyIntervalMs);
    connect(&m_safety, &QTimer::timeout, this, &CatchUpScheduler::requestCatchUp);
    m_safety.start();
}

CatchUpScheduler::~CatchUpScheduler() = default;

void CatchUpScheduler::watch(fb::EventListener& listener) {
    connect(&listener, &fb::EventListener::posted, this, &CatchUpScheduler::requestCatchUp);
    connect(&listener, &fb::EventListener::ready, this, &CatchUpScheduler::requestCatchUp);
}

void CatchUpScheduler::setSafetyInterval(int ms) {
    m_safety.start(ms);
}

void CatchUpScheduler::setBusyCheck(std::function<bool()> busy) {
    m_busy = std::move(busy);
}

void CatchUpScheduler::requestCatchUp() {
    m_requested = true;
    schedule();
}

void CatchUpScheduler::onListeningEnded() {
    emit listeningLost();
}

void CatchUpScheduler::schedule() {
    if (!m_requested || m_running || m_holds > 0)
        return;
    // Queued, so that the request never runs inside the code that made it.
    m_soon.start(mustWait() ? kBusyPollMs : 0);
}

bool CatchUpScheduler::mustWait() const {
    return m_busy && m_busy();
}

void CatchUpScheduler::runNow() {
    if (m_running || m_holds > 0 || !m_requested)
        return;
    if (mustWait()) {
        schedule();
        return;
    }
    m_running = true;
    m_requested = false;
    try {
        m_catchUp();
    } catch (const std::exception& e) {
        m_running = false;
        emit catchUpFailed(QString::fromUtf8(e.what()));
        schedule();
        return;
    }
    m_running = false;
    emit caughtUp();
    schedule();
}

CatchUpScheduler::Hold::Hold(CatchUpScheduler& scheduler) : m_scheduler(scheduler) {
    ++m_scheduler.m_holds;
    m_scheduler.m_soon.stop();
}

CatchUpScheduler::Hold::~Hold() {
    if (--m_scheduler.m_holds == 0)
        m_scheduler.schedule();
}
