#include "EventListener.h"

#include "Client.h"
#include "Cp1251.h"
#include "Database.h"

#include <atomic>
#include <mutex>
#include <optional>

using namespace Firebird;

namespace fb {

// Called by the client library on its own thread. It only keeps the counts and asks
// the listener's thread to take them; everything else happens there. What both
// threads touch is guarded by the mutex.
class EventListener::Callback final : public IEventCallbackImpl<Callback, ThrowStatusWrapper> {
public:
    explicit Callback(EventListener* owner) : m_owner(owner) {}

    void addRef() override { m_refs.fetch_add(1, std::memory_order_relaxed); }
    int release() override {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete this;
            return 0;
        }
        return 1;
    }

    // An empty delivery means the registration may be over: cancelled, or the
    // connection lost. The client library also sends one now and then to a
    // registration that has just fired, so counts already waiting are kept. Our own
    // cancel comes after disown() and is ignored.
    void eventCallbackFunction(unsigned length, const ISC_UCHAR* events) override {
        std::lock_guard lock(m_mutex);
        if (!m_owner)
            return;
        if (length > 0 && events)
            m_counts = QByteArray(reinterpret_cast<const char*>(events), static_cast<qsizetype>(length));
        else if (m_pending)
            return;
        m_pending = true;
        // Nothing travels through the event queue: the listener takes the counts
        // under the mutex, which orders them for the thread checker too (Qt's own
        // queue locks are invisible to it). A queued call dies with its receiver,
        // so a late one after the listener is gone is dropped; one that outlived
        // its registration finds the current one's counts, or nothing.
        QMetaObject::invokeMethod(m_owner, "takeDelivery", Qt::QueuedConnection);
    }

    std::optional<QByteArray> take() {
        std::lock_guard lock(m_mutex);
        if (!m_pending)
            return std::nullopt;
        m_pending = false;
        return std::exchange(m_counts, QByteArray());
    }

    void disown() {
        std::lock_guard lock(m_mutex);
        m_owner = nullptr;
    }

private:
    std::atomic<int> m_refs{1};
    std::mutex m_mutex;
    EventListener* m_owner;
    QByteArray m_counts;
    bool m_pending = false;
};

// One queEvents() call with a callback of its own: releasing a registration that
// has fired may call its callback once more, with nothing, and that must not reach
// the registration that follows it.
struct EventListener::Registration {
    explicit Registration(Callback* c) : callback(c) {}
    ~Registration() {
        callback->disown();
        events.reset();
        callback->release();
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

    Callback* callback; // our own reference
    detail::Ref<IEvents> events;
};

namespace {

constexpr int kDefaultConnectionCheckMs = 30000;
// A registration answered only with nothing again and again is given up.
constexpr int kMaxEmptyDeliveriesInARow = 3;

// Version byte, then per event: name length, name, 4-byte little-endian count.
QByteArray eventBlock(const QString& name) {
    const QByteArray bytes = toCp1251(name);
    QByteArray block;
    block.append(char(1));
    block.append(static_cast<char>(bytes.size()));
    block.append(bytes);
    block.append(4, '\0');
    return block;
}

quint32 countOf(const QByteArray& block) {
    if (block.size() < 6)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(block.constData() + block.size() - 4);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

} // namespace

EventListener::EventListener(const QString& eventName, QObject* parent) : QObject(parent), m_name(eventName) {
    m_connectionCheck.setInterval(kDefaultConnectionCheckMs);
    connect(&m_connectionCheck, &QTimer::timeout, this, &EventListener::checkConnection);
}

void EventListener::setConnectionCheckInterval(int ms) {
    m_connectionCheck.setInterval(ms);
    if (ms <= 0)
        m_connectionCheck.stop();
    else if (attached())
        m_connectionCheck.start();
}

void EventListener::checkConnection() {
    if (!attached())
        return;
    try {
        detail::call([&](ThrowStatusWrapper* status) { m_db->attachment()->ping(status); });
    } catch (const Error&) {
        stopListening();
    }
}

EventListener::~EventListener() {
    detach();
}

bool EventListener::attached() const {
    return m_registration != nullptr;
}

void EventListener::attach(Database& db) {
    if (toCp1251(m_name).size() > 255)
        throw Error(QStringLiteral("Event name too long"));
    detach();
    m_db = &db;
    db.m_listeners.insert(this);
    m_block = eventBlock(m_name);
    ++m_generation;
    m_emptyDeliveries = 0;
    try {
        queue();
    } catch (...) {
        detach();
        throw;
    }
    if (m_connectionCheck.interval() > 0)
        m_connectionCheck.start();
}

void EventListener::queue() {
    IAttachment* attachment = m_db->attachment();
    m_registration = std::make_unique<Registration>(new Callback(this));
    Registration& r = *m_registration;
    detail::call([&](ThrowStatusWrapper* status) {
        r.events.reset(attachment->queEvents(status, r.callback, static_cast<unsigned>(m_block.size()),
                                             reinterpret_cast<const unsigned char*>(m_block.constData())));
    });
}

void EventListener::detach() {
    ++m_generation;
    m_baselineSet = false;
    m_connectionCheck.stop();
    if (m_db) {
        m_db->m_listeners.erase(this);
        m_db = nullptr;
    }
    if (!m_registration)
        return;
    Registration& r = *m_registration;
    r.callback->disown();
    if (r.events) {
        try {
            detail::call([&](ThrowStatusWrapper* status) { r.events->cancel(status); });
            r.events.disown();
        } catch (const Error&) {
            // The attachment is gone; the registration drops its reference.
        }
    }
    m_registration.reset();
}

void EventListener::stopListening() {
    detach();
    emit stopped();
}

void EventListener::databaseClosing() {
    detach();
    // Told later, from the event loop: the database is in the middle of closing.
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation)
                emit stopped();
        },
        Qt::QueuedConnection);
}

void EventListener::takeDelivery() {
    if (!m_registration)
        return;
    const std::optional<QByteArray> counts = m_registration->callback->take();
    if (!counts)
        return;
    if (counts->isEmpty()) {
        // Registering again tells a lost connection from a cancelled registration;
        // the new one carries our counts, so no post in between is missed.
        if (++m_emptyDeliveries > kMaxEmptyDeliveriesInARow) {
            stopListening();
            return;
        }
        try {
            queue();
        } catch (const Error&) {
            stopListening();
        }
        return;
    }
    m_emptyDeliveries = 0;
    const quint32 before = countOf(m_block);
    const quint32 now = countOf(*counts);
    if (counts->size() == m_block.size())
        m_block = *counts;

    // Each registration fires once: register again before telling anyone.
    try {
        queue();
    } catch (const Error&) {
        stopListening();
        return;
    }

    if (!m_baselineSet) {
        m_baselineSet = true;
        emit ready();
        return;
    }
    if (now > before)
        emit posted(static_cast<int>(now - before));
}

} // namespace fb
