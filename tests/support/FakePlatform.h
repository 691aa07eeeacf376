#pragma once

#include "platform/Clipboard.h"
#include "platform/KeyInput.h"
#include "platform/Processes.h"
#include "platform/ProgramLocator.h"
#include "platform/PuttySettings.h"
#include "platform/Spawner.h"
#include "platform/WindowRaiser.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <deque>
#include <mutex>
#include <vector>

// Stand-ins for the operating system, for tests that must see exactly what would
// have been started, raised or written.

// A process table the test edits; safe to read from a watcher thread.
class FakeProcesses : public ProcessReader {
public:
    ProcessSnapshot snapshot() override {
        std::lock_guard lock(m_mutex);
        ++m_snapshots;
        return m_processes;
    }
    ProcessIdentity add(const QByteArray& comm, qint64 ppid = 1, char state = 'S') {
        std::lock_guard lock(m_mutex);
        ProcessEntry entry;
        entry.pid = m_nextPid++;
        entry.comm = comm;
        entry.ppid = ppid;
        entry.state = state;
        entry.startTime = m_clock++;
        m_processes.push_back(entry);
        return entry.identity();
    }
    // The same pid number, given to a new process (the old one has ended).
    ProcessIdentity reuse(qint64 pid, const QByteArray& comm) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_processes, [pid](const ProcessEntry& e) { return e.pid == pid; });
        ProcessEntry entry;
        entry.pid = pid;
        entry.comm = comm;
        entry.ppid = 1;
        entry.state = 'S';
        entry.startTime = m_clock++;
        m_processes.push_back(entry);
        return entry.identity();
    }
    void end(qint64 pid) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_processes, [pid](const ProcessEntry& e) { return e.pid == pid; });
    }
    int snapshotsTaken() const {
        std::lock_guard lock(m_mutex);
        return m_snapshots;
    }

private:
    mutable std::mutex m_mutex;
    ProcessSnapshot m_processes;
    qint64 m_nextPid = 1000;
    quint64 m_clock = 500;
    int m_snapshots = 0;
};

// Records every request; each started program appears in the fake process table
// under its file name.
class FakeSpawner : public ProcessSpawner {
public:
    explicit FakeSpawner(FakeProcesses& processes) : m_processes(processes) {}
    SpawnResult spawn(const SpawnRequest& request) override {
        requests.push_back(request);
        if (!failure.isEmpty())
            return {std::nullopt, failure};
        return {m_processes.add(QFileInfo(request.program).fileName().left(15).toUtf8()), {}};
    }
    std::vector<SpawnRequest> requests;
    QString failure; // non-empty: every spawn fails with it

private:
    FakeProcesses& m_processes;
};

// Every program is found in /usr/bin unless listed as missing.
class FakeProgramLocator : public ProgramLocator {
public:
    QString findProgram(const QString& name, bool besideUsFirst) override {
        lastBesideUsFirst = besideUsFirst;
        if (missing.contains(name))
            return {};
        return name.contains(QLatin1Char('/')) ? name : QStringLiteral("/usr/bin/") + name;
    }
    QSet<QString> missing;
    bool lastBesideUsFirst = false;
};

class FakeWindowRaiser : public WindowRaiser {
public:
    int raiseWindowsOf(qint64 pid) override {
        raisedPids.push_back(pid);
        return windowsPerProcess;
    }
    bool activateWindow(quint64 windowId) override {
        activated.push_back(windowId);
        return true;
    }
    std::vector<qint64> raisedPids;
    std::vector<quint64> activated;
    int windowsPerProcess = 1;
};

class FakeClipboard : public Clipboard {
public:
    void setText(const QString& value) override {
        text = value;
        ++sets;
    }
    QString text;
    int sets = 0;
};

class FakePuttyStore : public PuttySettingsStore {
public:
    QString setDefaultCodePage(const QString& codePage) override {
        codePages << codePage;
        return failure;
    }
    QStringList codePages;
    QString failure;
};

// The test presses keys; only subscribed keysyms are delivered, as by the real one.
class FakeKeySource : public KeySource {
public:
    bool subscribe(const QVector<quint32>& keysyms, Listener listener) override {
        ++subscriptions;
        if (!available)
            return false;
        m_keysyms = keysyms;
        m_listener = std::move(listener);
        return true;
    }
    void unsubscribe() override {
        m_keysyms.clear();
        m_listener = nullptr;
    }
    QString unavailableReason() const override {
        return QStringLiteral("Глобальные горячие клавиши недоступны в сеансе Wayland");
    }
    void key(quint32 keysym, bool down) {
        if (m_listener && m_keysyms.contains(keysym))
            m_listener(keysym, down);
    }
    bool isSubscribed() const { return static_cast<bool>(m_listener); }
    const QVector<quint32>& keysyms() const { return m_keysyms; }

    bool available = true;
    int subscriptions = 0;

private:
    QVector<quint32> m_keysyms;
    Listener m_listener;
};

// Answers from a queue of samples (then "released"); safe across threads.
class FakeKeymapSampler : public KeymapSampler {
public:
    bool isAnyPressed(const QVector<quint32>& keysyms) override {
        std::lock_guard lock(m_mutex);
        lastKeysyms = keysyms;
        ++m_taken;
        if (m_samples.empty())
            return false;
        const bool pressed = m_samples.front();
        m_samples.pop_front();
        return pressed;
    }
    void queue(std::initializer_list<int> samples) {
        std::lock_guard lock(m_mutex);
        for (int s : samples)
            m_samples.push_back(s != 0);
    }
    int taken() const {
        std::lock_guard lock(m_mutex);
        return m_taken;
    }
    bool drained() const {
        std::lock_guard lock(m_mutex);
        return m_samples.empty();
    }
    QVector<quint32> lastKeysyms;

private:
    mutable std::mutex m_mutex;
    std::deque<bool> m_samples;
    int m_taken = 0;
};
