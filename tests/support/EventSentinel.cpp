#include "EventSentinel.h"

#include "TestDatabase.h"

#include <QTest>
#include <gtest/gtest.h>

namespace testsupport {

namespace {
const QString kSentinelEvent = QStringLiteral("VestibarTestSentinel");
}

EventSentinel::EventSentinel(fb::Database& listenOn) : m_listener(kSentinelEvent) {
    QObject::connect(&m_listener, &fb::EventListener::posted, [this](int count) { m_received += count; });
    m_listener.attach(listenOn);
    if (!QTest::qWaitFor([this] { return m_listener.listening(); }, 10000))
        ADD_FAILURE() << "the sentinel got no first answer from the server";
}

bool EventSentinel::postAndWait(RunDatabase& from, int timeoutMs) {
    const int before = m_received;
    execUnchecked(from, QStringLiteral("execute block as begin post_event '%1'; end").arg(kSentinelEvent));
    return QTest::qWaitFor([&] { return m_received > before; }, timeoutMs);
}

} // namespace testsupport
