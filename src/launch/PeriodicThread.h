#pragma once

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// A worker that runs one pass, then waits the time the pass asked for. The wait
// ends early on wake() or stop(); stop() asks, wakes and joins, so nothing of the
// owner is used after it returns. Never spins.
class PeriodicThread {
public:
    using Pass = std::function<std::chrono::milliseconds()>;

    PeriodicThread() = default;
    ~PeriodicThread();
    PeriodicThread(const PeriodicThread&) = delete;
    PeriodicThread& operator=(const PeriodicThread&) = delete;

    // Starts the worker; a running one is stopped first.
    void start(Pass pass);
    void stop();
    // Ends the current wait at once, so the next pass runs now.
    void wake();
    bool isRunning() const;
    // The worker's CPU-time clock, for measuring it.
    std::optional<clockid_t> cpuClock();

private:
    void run(Pass pass);

    mutable std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_stopRequested = false;
    bool m_wakeRequested = false;
    std::thread m_thread;
};
