#include "EventListener.h"

#include "Client.h"
#include "Cp1251.h"
#include "Database.h"

#include <atomic>
#include <mutex>

using namespace Firebird;

namespace fb {

// Called by the client library on its own thread. It only copies the counts and
// posts them to the listener's thread; everything else happens there.
class EventListener::Callback final : public IEventCallbackImpl<Callback, ThrowStatusWrapper> {
public:
    Callback(EventListener* owner, quint64 generation) : m_owner(owner), m_generation(generation) {}

    void addRef() override { m_refs.fetch_add(1, std::memory_order_relaxed); }
    int release() override {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete this;
            return 0;
        }
        return 1;
    }

    void eventCallbackFunction(unsigned length, const ISC_UCHAR* events) override {
        if (length == 0 || events == nullptr)
            return; // cancelled, or the connection is gone
        const QByteArray counts(reinterpret_cast<const char*>(events), static_cast<qsizetype>(length));
        std::lock_guard lock(m_mutex);
        if (!m_owner)
            return;
        // Queued calls die with their context object, so a late delivery is dropped.
        QMetaObject::invokeMethod(
            m_owner, [owner = m_owner, gen = m_generation, counts] { owner->deliver(gen, counts); },
            Qt::QueuedConnection);
    }

    void disown() {
        std::lock_guard lock(m_mutex);
        m_owner = nullptr;
    }

private:
    std::atomic<int> m_refs{1};
    std::mutex m_mutex;
    EventListener* m_owner;
    quint64 m_generation;
};

struct EventListener::Registration {
    Callback* callback = nullptr; // our own reference
    detail::Ref<IEvents> events;
};

namespace {

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

EventListener::EventListener(const QString& eventName, QObject* parent)
    : QObject(parent), m_name(eventName) {}

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
    m_block = eventBlock(m_name);
    m_baselineSet = false;
    m_registration = std::make_unique<Registration>();
    m_registration->callback = new Callback(this, ++m_generation);
    try {
        queue();
    } catch (...) {
        detach();
        throw;
    }
}

void EventListener::queue() {
    IAttachment* attachment = m_db->attachment();
    Registration& r = *m_registration;
    detail::call([&](ThrowStatusWrapper* status) {
        r.events.reset(attachment->queEvents(status, r.callback, static_cast<unsigned>(m_block.size()),
                                             reinterpret_cast<const unsigned char*>(m_block.constData())));
    });
}

void EventListener::detach() {
    ++m_generation;
    if (!m_registration)
        return;
    Registration& r = *m_registration;
    r.callback->disown();
    if (r.events) {
        try {
            detail::call([&](ThrowStatusWrapper* status) { r.events->cancel(status); });
            r.events.disown();
        } catch (const Error&) {
            r.events.reset(); // the attachment is gone; just drop our reference
        }
    }
    r.callback->release();
    m_registration.reset();
    m_db = nullptr;
}

void EventListener::deliver(quint64 generation, const QByteArray& counts) {
    if (generation != m_generation || !m_registration)
        return;
    const quint32 before = countOf(m_block);
    const quint32 now = countOf(counts);
    if (counts.size() == m_block.size())
        m_block = counts;

    // Each registration fires once: register again before telling anyone.
    m_registration->events.reset();
    try {
        queue();
    } catch (const Error&) {
        // The connection is gone; listening ends here.
        m_registration->callback->disown();
        m_registration->callback->release();
        m_registration.reset();
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
