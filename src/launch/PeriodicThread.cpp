#include "launch/PeriodicThread.h"

#include <pthread.h>

PeriodicThread::~PeriodicThread() {
    stop();
}

void PeriodicThread::start(Pass pass) {
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
        m_wakeRequested = false;
    }
    m_thread = std::thread([this, pass = std::move(pass)] { run(pass); });
}

void PeriodicThread::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_condition.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PeriodicThread::wake() {
    {
        std::lock_guard lock(m_mutex);
        m_wakeRequested = true;
    }
    m_condition.notify_all();
}

bool PeriodicThread::isRunning() const {
    return m_thread.joinable();
}

std::optional<clockid_t> PeriodicThread::cpuClock() {
    if (!m_thread.joinable())
        return std::nullopt;
    clockid_t clock;
    if (pthread_getcpuclockid(m_thread.native_handle(), &clock) != 0)
        return std::nullopt;
    return clock;
}

void PeriodicThread::run(Pass pass) {
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopRequested)
                return;
            m_wakeRequested = false;
        }
        const std::chrono::milliseconds wait = pass();
        std::unique_lock lock(m_mutex);
        m_condition.wait_for(lock, wait, [this] { return m_stopRequested || m_wakeRequested; });
    }
}
