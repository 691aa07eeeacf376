#include "Database.h"

#include "Client.h"
#include "Cp1251.h"
#include "EventListener.h"
#include "Query.h"
#include "Transaction.h"

using namespace Firebird;

namespace fb {

struct Database::Handle {
    detail::Ref<IAttachment> attachment;
};

namespace {

const QString kOpenError = QStringLiteral("Cannot perform operation -- DB is currently open");

// Turns our "NAME=value" lines into a database parameter block.
QByteArray buildDpb(const QStringList& params) {
    return detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IXpbBuilder> dpb(detail::util()->getXpbBuilder(status, IXpbBuilder::DPB, nullptr, 0));
        dpb->insertInt(status, isc_dpb_sql_dialect, 3);
        for (const QString& line : params) {
            const qsizetype eq = line.indexOf(u'=');
            const QString name = line.left(eq).trimmed().toUpper();
            const QByteArray value = toCp1251(eq < 0 ? QString() : line.mid(eq + 1));
            if (name == u"USER_NAME")
                dpb->insertString(status, isc_dpb_user_name, value.constData());
            else if (name == u"PASSWORD")
                dpb->insertString(status, isc_dpb_password, value.constData());
            else if (name == u"LC_CTYPE")
                dpb->insertString(status, isc_dpb_lc_ctype, value.constData());
            else if (name == u"SQL_ROLE_NAME")
                dpb->insertString(status, isc_dpb_sql_role_name, value.constData());
            else
                throw Error(QStringLiteral("Unknown connection parameter: %1").arg(line));
        }
        return QByteArray(reinterpret_cast<const char*>(dpb->getBuffer(status)),
                          static_cast<qsizetype>(dpb->getBufferLength(status)));
    });
}

} // namespace

Database::Database() : m_handle(std::make_unique<Handle>()) {}

Database::~Database() {
    try {
        close();
    } catch (const Error&) {
        // The server is gone; nothing more can be done at this point.
    }
    // Whatever is still bound to this database may outlive it.
    for (Transaction* t : m_transactions)
        t->m_db = nullptr;
    for (Query* q : m_queries)
        q->m_db = nullptr;
}

void Database::requireClosed() const {
    if (connected())
        throw Error(kOpenError);
}

void Database::setDatabaseName(const QString& name) {
    requireClosed();
    m_name = name;
}

void Database::clearParams() {
    requireClosed();
    m_params.clear();
}

void Database::addParam(const QString& line) {
    requireClosed();
    m_params.append(line);
}

bool Database::connected() const {
    return static_cast<bool>(m_handle->attachment);
}

IAttachment* Database::attachment() const {
    if (!connected())
        throw Error(QStringLiteral("Database not connected"));
    return m_handle->attachment.get();
}

void Database::open() {
    requireClosed();
    const QByteArray dpb = buildDpb(m_params);
    const QByteArray name = toCp1251(m_name);
    detail::call([&](ThrowStatusWrapper* status) {
        m_handle->attachment.reset(
            detail::provider()->attachDatabase(status, name.constData(), static_cast<unsigned>(dpb.size()),
                                               reinterpret_cast<const unsigned char*>(dpb.constData())));
    });
}

void Database::cancelListeners() {
    const auto listeners = m_listeners; // each one removes itself
    for (EventListener* listener : listeners)
        listener->databaseClosing();
}

void Database::close() {
    if (!connected())
        return;
    // Registrations and statements live on the attachment: end them while it is there.
    cancelListeners();
    for (Query* q : m_queries)
        q->unprepare();
    for (Transaction* t : m_transactions) {
        if (!t->active())
            continue;
        try {
            t->rollback();
        } catch (const Error&) {
            t->forgetHandle();
        }
    }
    try {
        detail::call([&](ThrowStatusWrapper* status) { m_handle->attachment->detach(status); });
        m_handle->attachment.disown();
    } catch (const Error&) {
        m_handle->attachment.reset(); // lost connection: drop our reference anyway
    }
}

void Database::executeCreateDatabase(const QString& sql) {
    const QByteArray text = toCp1251(sql);
    detail::call([&](ThrowStatusWrapper* status) {
        FB_BOOLEAN stmtIsCreateDb = FB_FALSE;
        detail::Ref<IAttachment> created(detail::util()->executeCreateDatabase(
            status, static_cast<unsigned>(text.size()), text.constData(), 3, &stmtIsCreateDb));
        if (!created)
            throw Error(QStringLiteral("Not a CREATE DATABASE statement"));
        created->detach(status);
        created.disown();
    });
}

} // namespace fb
