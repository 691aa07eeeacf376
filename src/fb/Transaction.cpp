#include "Transaction.h"

#include "Client.h"
#include "Database.h"
#include "Query.h"

using namespace Firebird;

namespace fb {

struct Transaction::Handle {
    detail::Ref<ITransaction> transaction;
};

namespace {

QByteArray buildTpb(Transaction::Access access) {
    return detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IXpbBuilder> b(detail::util()->getXpbBuilder(status, IXpbBuilder::TPB, nullptr, 0));
        b->insertTag(status, access == Transaction::ReadOnly ? isc_tpb_read : isc_tpb_write);
        b->insertTag(status, isc_tpb_read_committed);
        b->insertTag(status, isc_tpb_rec_version);
        b->insertTag(status, isc_tpb_nowait);
        return QByteArray(reinterpret_cast<const char*>(b->getBuffer(status)),
                          static_cast<qsizetype>(b->getBufferLength(status)));
    });
}

const QByteArray& tpbFor(Transaction::Access access) {
    static const QByteArray readWrite = buildTpb(Transaction::ReadWrite);
    static const QByteArray readOnly = buildTpb(Transaction::ReadOnly);
    return access == Transaction::ReadOnly ? readOnly : readWrite;
}

} // namespace

Transaction::Transaction(Database& defaultDatabase, Access access)
    : m_db(&defaultDatabase), m_access(access), m_handle(std::make_unique<Handle>()) {
    m_db->m_transactions.insert(this);
}

Transaction::~Transaction() {
    if (active()) {
        try {
            rollback();
        } catch (const Error&) {
            forgetHandle();
        }
    }
    // Queries may outlive their transaction; they refuse to run from now on.
    for (Query* q : m_queries) {
        q->m_open = false;
        q->m_eof = true;
        q->m_tr = nullptr;
    }
    if (m_db)
        m_db->m_transactions.erase(this);
}

Database& Transaction::database() const {
    if (!m_db)
        throw Error(QStringLiteral("Database is gone"));
    return *m_db;
}

void Transaction::setDefaultDatabase(Database& db) {
    if (&db == m_db)
        return;
    if (active())
        throw Error(QStringLiteral("Cannot change the database of an active transaction"));
    if (m_db)
        m_db->m_transactions.erase(this);
    m_db = &db;
    m_db->m_transactions.insert(this);
}

bool Transaction::active() const {
    return static_cast<bool>(m_handle->transaction);
}

void Transaction::start() {
    if (active())
        throw Error(QStringLiteral("Transaction is already active"));
    IAttachment* attachment = database().attachment();
    const QByteArray& tpb = tpbFor(m_access);
    detail::call([&](ThrowStatusWrapper* status) {
        m_handle->transaction.reset(
            attachment->startTransaction(status, static_cast<unsigned>(tpb.size()),
                                         reinterpret_cast<const unsigned char*>(tpb.constData())));
    });
}

ITransaction* Transaction::handle() {
    if (!active())
        start();
    return m_handle->transaction.get();
}

void Transaction::closeCursors() {
    const auto open = m_openQueries; // closing removes entries
    for (Query* q : open)
        q->closeCursor();
}

void Transaction::commit() {
    if (!active())
        throw Error(QStringLiteral("Transaction is not active"));
    closeCursors();
    detail::call([&](ThrowStatusWrapper* status) { m_handle->transaction->commit(status); });
    m_handle->transaction.disown();
}

void Transaction::rollback() {
    if (!active())
        throw Error(QStringLiteral("Transaction is not active"));
    closeCursors();
    detail::call([&](ThrowStatusWrapper* status) { m_handle->transaction->rollback(status); });
    m_handle->transaction.disown();
}

void Transaction::forgetHandle() {
    for (Query* q : m_openQueries) {
        q->m_open = false;
        q->m_eof = true;
    }
    m_openQueries.clear();
    m_handle->transaction.reset();
}

} // namespace fb
