#include "Service.h"

#include "Client.h"
#include "Cp1251.h"

#include <QThread>
#include <array>
#include <chrono>
#include <ibase.h>

using namespace Firebird;

namespace fb {

struct Service::Handle {
    detail::Ref<IService> service;
    QByteArray partialLine;
};

namespace {

constexpr int kReadTimeoutSeconds = 1;
// A job that failed reports its error before the server has quite ended it; the
// next start on the same attachment may meet it still finishing for a moment.
constexpr auto kBusyWait = std::chrono::seconds(10);
constexpr unsigned long kBusyRetryMs = 20;
// The wire protocol carries the reply length in 16 bits.
constexpr unsigned kReplyBufferSize = 32 * 1024;

QByteArray bufferOf(ThrowStatusWrapper* status, IXpbBuilder* builder) {
    return QByteArray(reinterpret_cast<const char*>(builder->getBuffer(status)),
                      static_cast<qsizetype>(builder->getBufferLength(status)));
}

// The strings of this attachment and of its jobs travel as UTF-8, marked as such:
// the server turns file names into those of its own file system, whichever
// system that is.
QByteArray attachBlock(const QString& user, const QString& password, int connectTimeoutSeconds) {
    return detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IXpbBuilder> spb(
            detail::util()->getXpbBuilder(status, IXpbBuilder::SPB_ATTACH, nullptr, 0));
        spb->insertTag(status, isc_spb_utf8_filename);
        spb->insertString(status, isc_spb_user_name, user.toUtf8().constData());
        spb->insertString(status, isc_spb_password, password.toUtf8().constData());
        if (connectTimeoutSeconds > 0)
            spb->insertInt(status, isc_spb_connect_timeout, connectTimeoutSeconds);
        return bufferOf(status, spb.get());
    });
}

void insertPath(ThrowStatusWrapper* status, IXpbBuilder* spb, unsigned char tag, const QString& path) {
    spb->insertString(status, tag, path.toUtf8().constData());
}

void insertVerbose(ThrowStatusWrapper* status, IXpbBuilder* spb, int progressInterval) {
    if (progressInterval > 0)
        spb->insertInt(status, isc_spb_verbint, progressInterval);
    else
        spb->insertTag(status, isc_spb_verbose);
}

unsigned readLength(const unsigned char* p) {
    return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8);
}

struct Reply {
    QByteArray text;
    bool incomplete = false; // truncated, not ready yet, or the wait ran out
};

Reply parseReply(const unsigned char* p, const unsigned char* end) {
    Reply reply;
    while (p < end) {
        const unsigned char tag = *p++;
        if (tag == isc_info_svc_line) {
            if (end - p < 2)
                break;
            const unsigned length = readLength(p);
            p += 2;
            if (static_cast<unsigned>(end - p) < length)
                break;
            reply.text = QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(length));
            p += length;
        } else if (tag == isc_info_truncated || tag == isc_info_data_not_ready ||
                   tag == isc_info_svc_timeout) {
            reply.incomplete = true;
        } else {
            break; // isc_info_end or something we did not ask for
        }
    }
    return reply;
}

} // namespace

Service::Service() : m_handle(std::make_unique<Handle>()) {}

Service::~Service() {
    detach();
}

bool Service::attached() const {
    return static_cast<bool>(m_handle->service);
}

void Service::attach(const QString& host, const QString& user, const QString& password,
                     int connectTimeoutSeconds) {
    detach();
    const QByteArray spb = attachBlock(user, password, connectTimeoutSeconds);
    const QByteArray name = toCp1251(host.trimmed() + QStringLiteral(":service_mgr"));
    detail::call([&](ThrowStatusWrapper* status) {
        m_handle->service.reset(detail::provider()->attachServiceManager(
            status, name.constData(), static_cast<unsigned>(spb.size()),
            reinterpret_cast<const unsigned char*>(spb.constData())));
    });
}

void Service::detach() {
    m_running = false;
    m_handle->partialLine.clear();
    if (!attached())
        return;
    try {
        detail::call([&](ThrowStatusWrapper* status) { m_handle->service->detach(status); });
        m_handle->service.disown();
    } catch (const Error&) {
        m_handle->service.reset(); // the server is gone: drop our reference anyway
    }
}

void Service::start(const QByteArray& spb) {
    if (!attached())
        throw Error(QStringLiteral("Service manager not attached"));
    if (m_running)
        throw Error(QStringLiteral("The service is still running"));
    const auto giveUpAt = std::chrono::steady_clock::now() + kBusyWait;
    for (;;) {
        try {
            detail::call([&](ThrowStatusWrapper* status) {
                m_handle->service->start(status, static_cast<unsigned>(spb.size()),
                                         reinterpret_cast<const unsigned char*>(spb.constData()));
            });
            break;
        } catch (const Error& e) {
            if (e.gdsCode() != isc_svc_in_use || std::chrono::steady_clock::now() >= giveUpAt)
                throw;
            QThread::msleep(kBusyRetryMs);
        }
    }
    m_running = true;
    m_handle->partialLine.clear();
}

void Service::startBackup(const QString& database, const QString& backupFile, int progressInterval) {
    start(detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IXpbBuilder> spb(
            detail::util()->getXpbBuilder(status, IXpbBuilder::SPB_START, nullptr, 0));
        spb->insertTag(status, isc_action_svc_backup);
        insertPath(status, spb.get(), isc_spb_dbname, database);
        insertPath(status, spb.get(), isc_spb_bkp_file, backupFile);
        insertVerbose(status, spb.get(), progressInterval);
        return bufferOf(status, spb.get());
    }));
}

void Service::startRestore(const QString& backupFile, const QString& database, bool replace,
                           int progressInterval) {
    start(detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IXpbBuilder> spb(
            detail::util()->getXpbBuilder(status, IXpbBuilder::SPB_START, nullptr, 0));
        spb->insertTag(status, isc_action_svc_restore);
        insertPath(status, spb.get(), isc_spb_bkp_file, backupFile);
        insertPath(status, spb.get(), isc_spb_dbname, database);
        spb->insertInt(status, isc_spb_options, isc_spb_res_create | (replace ? isc_spb_res_replace : 0));
        insertVerbose(status, spb.get(), progressInterval);
        return bufferOf(status, spb.get());
    }));
}

Service::Output Service::nextLine(QString& line) {
    if (!m_running)
        return Output::Finished;
    const unsigned char send[] = {isc_info_svc_timeout, 4, 0, kReadTimeoutSeconds, 0, 0, 0, isc_info_end};
    const unsigned char receive[] = {isc_info_svc_line};
    std::array<unsigned char, kReplyBufferSize> buffer{};
    try {
        detail::call([&](ThrowStatusWrapper* status) {
            m_handle->service->query(status, sizeof send, send, sizeof receive, receive,
                                     static_cast<unsigned>(buffer.size()), buffer.data());
        });
    } catch (const Error&) {
        m_running = false;
        throw;
    }
    const Reply reply = parseReply(buffer.data(), buffer.data() + buffer.size());
    if (reply.incomplete) {
        // Part of a line may come before the wait runs out; keep it for the rest.
        m_handle->partialLine += reply.text;
        return Output::NothingYet;
    }
    const QByteArray whole = std::exchange(m_handle->partialLine, QByteArray()) + reply.text;
    if (whole.isEmpty() && reply.text.isEmpty()) {
        m_running = false;
        return Output::Finished;
    }
    line = fromCp1251(whole);
    return Output::Line;
}

bool Service::drain(const std::function<void(const QString&)>& onLine,
                    const std::function<bool()>& keepReading) {
    QString line;
    while (m_running) {
        if (keepReading && !keepReading()) {
            detach();
            return false;
        }
        if (nextLine(line) == Output::Line && onLine)
            onLine(line);
    }
    return true;
}

bool refusedExistingDatabase(const Error& error) {
    return error.gdsCode() == isc_gbak_db_exists;
}

} // namespace fb
