#include "Query.h"

#include "Client.h"
#include "Cp1251.h"
#include "Database.h"
#include "NamedParams.h"
#include "Transaction.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

using namespace Firebird;

namespace fb {

namespace {

constexpr unsigned kBlobSegment = 32 * 1024;
constexpr unsigned kMaxVarchar = 32765;
constexpr unsigned kCharsetNone = 0;

struct Column {
    QString name;
    unsigned type = 0; // without the nullable bit
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned length = 0;
    int scale = 0;
};

bool isText(unsigned type) {
    return type == SQL_TEXT || type == SQL_VARYING;
}

bool isKnownOutputType(unsigned type) {
    switch (type) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
    case SQL_BLOB:
    case SQL_BOOLEAN:
    case SQL_DOUBLE:
    case SQL_FLOAT:
        return true;
    default:
        return false;
    }
}

template <typename T> T readScalar(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

QString upperKey(const QString& name) {
    return name.toUpper();
}

} // namespace

struct Query::State {
    detail::Ref<IStatement> statement;
    detail::Ref<IMessageMetadata> outMeta;
    detail::Ref<IResultSet> cursor;
    std::vector<Column> columns;
    QHash<QString, int> columnIndex; // upper-case name -> first column of that name
    std::vector<unsigned char> row, spare;
    bool hasCursor = false;
    bool exhausted = false; // the cursor has returned its last row; fetching again is an error
};

// ---------------------------------------------------------------- Field

const QString& Field::name() const {
    return m_query->m_state->columns.at(static_cast<std::size_t>(m_index)).name;
}

bool Field::isNull() const {
    const Query::State& s = *m_query->m_state;
    if (!m_query->m_open || m_query->m_eof || s.row.empty())
        return true;
    const Column& c = s.columns[static_cast<std::size_t>(m_index)];
    return readScalar<short>(s.row.data() + c.nullOffset) != 0;
}

qint64 Field::asInt64() const {
    if (isNull())
        return 0;
    const Column& c = m_query->m_state->columns[static_cast<std::size_t>(m_index)];
    const unsigned char* p = m_query->m_state->row.data() + c.offset;
    auto unscale = [&](qint64 v) {
        for (int i = c.scale; i < 0; ++i)
            v /= 10;
        return v;
    };
    switch (c.type) {
    case SQL_SHORT:
        return unscale(readScalar<qint16>(p));
    case SQL_LONG:
        return unscale(readScalar<qint32>(p));
    case SQL_INT64:
        return unscale(readScalar<qint64>(p));
    case SQL_BOOLEAN:
        return *p ? 1 : 0;
    case SQL_DOUBLE:
        return static_cast<qint64>(readScalar<double>(p));
    case SQL_FLOAT:
        return static_cast<qint64>(readScalar<float>(p));
    default: {
        bool ok = false;
        const qint64 v = asString().trimmed().toLongLong(&ok);
        return ok ? v : 0;
    }
    }
}

int Field::asInteger() const {
    return static_cast<int>(asInt64());
}

QByteArray Field::asBytes() const {
    if (isNull())
        return {};
    const Query& q = *m_query;
    const Column& c = q.m_state->columns[static_cast<std::size_t>(m_index)];
    const unsigned char* p = q.m_state->row.data() + c.offset;
    if (c.type == SQL_TEXT)
        return QByteArray(reinterpret_cast<const char*>(p), c.length);
    if (c.type == SQL_VARYING)
        return QByteArray(reinterpret_cast<const char*>(p + 2), readScalar<quint16>(p));
    if (c.type != SQL_BLOB)
        return toCp1251(asString());

    ISC_QUAD id = readScalar<ISC_QUAD>(p);
    IAttachment* attachment = q.database().attachment();
    ITransaction* transaction = q.transaction().handle();
    return detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IBlob> blob(attachment->openBlob(status, transaction, &id, 0, nullptr));
        QByteArray bytes;
        std::vector<char> segment(kBlobSegment);
        for (;;) {
            unsigned got = 0;
            const int r = blob->getSegment(status, kBlobSegment, segment.data(), &got);
            if (r == IStatus::RESULT_NO_DATA)
                break;
            bytes.append(segment.data(), got); // RESULT_OK or RESULT_SEGMENT: keep reading
        }
        blob->close(status);
        blob.disown();
        return bytes;
    });
}

QString Field::asString() const {
    if (isNull())
        return {};
    const Column& c = m_query->m_state->columns[static_cast<std::size_t>(m_index)];
    const unsigned char* p = m_query->m_state->row.data() + c.offset;
    switch (c.type) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB:
        return fromCp1251(asBytes());
    case SQL_DOUBLE:
        return QString::number(readScalar<double>(p));
    case SQL_FLOAT:
        return QString::number(readScalar<float>(p));
    case SQL_BOOLEAN:
        return *p ? QStringLiteral("True") : QStringLiteral("False");
    default:
        break;
    }
    if (c.scale >= 0)
        return QString::number(asInt64());
    qint64 raw = c.type == SQL_SHORT  ? readScalar<qint16>(p)
                 : c.type == SQL_LONG ? readScalar<qint32>(p)
                                      : readScalar<qint64>(p);
    QString digits = QString::number(raw < 0 ? -raw : raw).rightJustified(1 - c.scale, u'0');
    digits.insert(digits.size() + c.scale, u'.');
    return raw < 0 ? u'-' + digits : digits;
}

// ---------------------------------------------------------------- Query

Query::Query(Database& db, Transaction& transaction)
    : m_db(&db), m_tr(&transaction), m_state(std::make_unique<State>()) {
    m_db->m_queries.insert(this);
    m_tr->m_queries.insert(this);
}

Query::~Query() {
    try {
        unprepare();
    } catch (const Error&) {
    }
    if (m_db)
        m_db->m_queries.erase(this);
    if (m_tr)
        m_tr->m_queries.erase(this);
}

Database& Query::database() const {
    if (!m_db)
        throw Error(QStringLiteral("Database is gone"));
    return *m_db;
}

Transaction& Query::transaction() const {
    if (!m_tr)
        throw Error(QStringLiteral("Transaction is gone"));
    return *m_tr;
}

void Query::setTransaction(Transaction& transaction) {
    closeCursor();
    if (m_tr)
        m_tr->m_queries.erase(this);
    m_tr = &transaction;
    m_tr->m_queries.insert(this);
}

void Query::setSql(const QString& sql) {
    unprepare();
    m_rowsAffected = -1;
    m_sql = sql;
    m_values.clear();
    const PositionalSql positional = m_paramCheck ? toPositional(sql) : PositionalSql{sql, {}};
    m_positionalSql = positional.sql;
    m_paramNames = positional.names;
}

void Query::setParamCheck(bool on) {
    if (on == m_paramCheck)
        return;
    m_paramCheck = on;
    setSql(m_sql);
}

void Query::bind(const QString& name, Value value) {
    const QString key = upperKey(name);
    const bool known = std::any_of(m_paramNames.cbegin(), m_paramNames.cend(),
                                   [&](const QString& n) { return upperKey(n) == key; });
    if (!known)
        throw Error(QStringLiteral("Parameter %1 not found").arg(name));
    m_values.insert(key, std::move(value));
}

void Query::setParam(const QString& name, int value) {
    if (value == 0)
        bind(name, std::monostate{});
    else
        bind(name, qint64(value));
}

void Query::setParam(const QString& name, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        bind(name, std::monostate{});
    else
        bind(name, toCp1251(trimmed));
}

void Query::setParamInt(const QString& name, qint64 value) {
    bind(name, value);
}

void Query::setParamText(const QString& name, const QString& text) {
    bind(name, toCp1251(text));
}

void Query::setParamNull(const QString& name) {
    bind(name, std::monostate{});
}

void Query::setParamBlob(const QString& name, const QByteArray& bytes) {
    bind(name, Blob{bytes});
}

void Query::prepare() {
    State& s = *m_state;
    if (s.statement)
        return;
    if (m_sql.trimmed().isEmpty())
        throw Error(QStringLiteral("Empty SQL statement"));
    IAttachment* attachment = database().attachment();
    ITransaction* tra = transaction().handle();
    const QByteArray text = toCp1251(m_positionalSql);

    // Built aside and taken over only when all of it succeeded: a failure leaves the
    // query unprepared, so the next run prepares again and fails the same way.
    detail::Ref<IStatement> statement;
    detail::Ref<IMessageMetadata> outMeta;
    std::vector<Column> columns;
    QHash<QString, int> columnIndex;
    bool hasCursor = false;
    unsigned messageLength = 0;
    detail::call([&](ThrowStatusWrapper* status) {
        statement.reset(attachment->prepare(status, tra, static_cast<unsigned>(text.size()), text.constData(),
                                            3, IStatement::PREPARE_PREFETCH_METADATA));
        hasCursor = (statement->getFlags(status) & IStatement::FLAG_HAS_CURSOR) != 0;

        detail::Ref<IMessageMetadata> in(statement->getInputMetadata(status));
        if (in->getCount(status) != static_cast<unsigned>(m_paramNames.size()))
            throw Error(QStringLiteral("The statement takes %1 parameters, %2 named")
                            .arg(in->getCount(status))
                            .arg(m_paramNames.size()));

        // Types we don't decode ourselves (dates, decimals...) come back as text.
        detail::Ref<IMessageMetadata> out(statement->getOutputMetadata(status));
        const unsigned count = out->getCount(status);
        detail::Ref<IMetadataBuilder> builder(out->getBuilder(status));
        for (unsigned i = 0; i < count; ++i) {
            if (!isKnownOutputType(out->getType(status, i) & ~1u)) {
                builder->setType(status, i, SQL_VARYING | 1);
                builder->setLength(status, i, 64);
                builder->setCharSet(status, i, kCharsetNone);
                builder->setScale(status, i, 0);
            }
        }
        outMeta.reset(builder->getMetadata(status));

        for (unsigned i = 0; i < count; ++i) {
            Column c;
            c.name = fromCp1251(QByteArray(outMeta->getAlias(status, i)));
            c.type = outMeta->getType(status, i) & ~1u;
            c.offset = outMeta->getOffset(status, i);
            c.nullOffset = outMeta->getNullOffset(status, i);
            c.length = outMeta->getLength(status, i);
            c.scale = outMeta->getScale(status, i);
            columns.push_back(c);
        }
        // Backwards, so that a name used twice finds its first column.
        for (int i = static_cast<int>(count) - 1; i >= 0; --i)
            columnIndex.insert(upperKey(columns[static_cast<std::size_t>(i)].name), i);
        messageLength = outMeta->getMessageLength(status);
    });

    s.statement = std::move(statement);
    s.outMeta = std::move(outMeta);
    s.columns = std::move(columns);
    s.columnIndex = std::move(columnIndex);
    s.hasCursor = hasCursor;
    s.row.assign(messageLength, 0);
    s.spare.assign(messageLength, 0);
}

void Query::closeCursor() {
    State& s = *m_state;
    if (s.cursor) {
        try {
            detail::call([&](ThrowStatusWrapper* status) { s.cursor->close(status); });
            s.cursor.disown();
        } catch (const Error&) {
            s.cursor.reset();
        }
    }
    if (m_tr)
        m_tr->m_openQueries.erase(this);
    m_open = false;
    m_eof = true;
}

void Query::close() {
    closeCursor();
}

void Query::unprepare() {
    closeCursor();
    State& s = *m_state;
    if (s.statement) {
        try {
            detail::call([&](ThrowStatusWrapper* status) { s.statement->free(status); });
            s.statement.disown();
        } catch (const Error&) {
            s.statement.reset();
        }
    }
    s.outMeta.reset();
    s.columns.clear();
    s.columnIndex.clear();
    s.row.clear();
    s.spare.clear();
    s.hasCursor = false;
}

void Query::runStatement(bool wantCursor) {
    closeCursor();
    m_rowsAffected = -1;
    prepare();
    State& s = *m_state;
    if (wantCursor && !s.hasCursor)
        throw Error(QStringLiteral("The statement returns no rows: %1").arg(m_sql.simplified().left(80)));
    IAttachment* attachment = database().attachment();
    Transaction& owner = transaction();
    ITransaction* transaction = owner.handle();

    detail::call([&](ThrowStatusWrapper* status) {
        detail::Ref<IMessageMetadata> serverIn(s.statement->getInputMetadata(status));
        const unsigned count = static_cast<unsigned>(m_paramNames.size());
        std::vector<const Value*> values(count);
        for (unsigned i = 0; i < count; ++i) {
            const auto it = m_values.constFind(upperKey(m_paramNames[static_cast<qsizetype>(i)]));
            if (it == m_values.cend())
                throw Error(QStringLiteral("No value for parameter %1").arg(m_paramNames[i]));
            values[i] = &*it;
        }

        // Describe the message by the values we hold; the server converts.
        detail::Ref<IMessageMetadata> inMeta;
        std::vector<unsigned char> in;
        if (count > 0) {
            detail::Ref<IMetadataBuilder> builder(detail::master()->getMetadataBuilder(status, count));
            for (unsigned i = 0; i < count; ++i) {
                const Value& v = *values[i];
                if (std::holds_alternative<qint64>(v)) {
                    builder->setType(status, i, SQL_INT64 | 1);
                    builder->setLength(status, i, sizeof(qint64));
                    builder->setScale(status, i, 0);
                } else if (const auto* text = std::get_if<QByteArray>(&v)) {
                    if (static_cast<unsigned>(text->size()) > kMaxVarchar)
                        throw Error(QStringLiteral("Text for parameter %1 is too long").arg(m_paramNames[i]));
                    const unsigned serverType = serverIn->getType(status, i) & ~1u;
                    builder->setType(status, i, SQL_VARYING | 1);
                    builder->setLength(status, i, qMax(1u, static_cast<unsigned>(text->size())));
                    builder->setCharSet(status, i,
                                        isText(serverType) ? serverIn->getCharSet(status, i) : kCharsetNone);
                } else if (std::holds_alternative<Blob>(v)) {
                    builder->setType(status, i, SQL_BLOB | 1);
                    builder->setLength(status, i, sizeof(ISC_QUAD));
                    builder->setSubType(status, i, 0);
                } else { // NULL: keep the server's own description
                    builder->setType(status, i, serverIn->getType(status, i) | 1);
                    builder->setSubType(status, i, serverIn->getSubType(status, i));
                    builder->setLength(status, i, serverIn->getLength(status, i));
                    builder->setCharSet(status, i, serverIn->getCharSet(status, i));
                    builder->setScale(status, i, serverIn->getScale(status, i));
                }
            }
            inMeta.reset(builder->getMetadata(status));
            in.assign(inMeta->getMessageLength(status), 0);

            for (unsigned i = 0; i < count; ++i) {
                unsigned char* p = in.data() + inMeta->getOffset(status, i);
                auto* nullFlag = reinterpret_cast<short*>(in.data() + inMeta->getNullOffset(status, i));
                const Value& v = *values[i];
                *nullFlag = 0;
                if (const auto* number = std::get_if<qint64>(&v)) {
                    std::memcpy(p, number, sizeof *number);
                } else if (const auto* text = std::get_if<QByteArray>(&v)) {
                    const auto length = static_cast<quint16>(text->size());
                    std::memcpy(p, &length, sizeof length);
                    std::memcpy(p + 2, text->constData(), length);
                } else if (const auto* blob = std::get_if<Blob>(&v)) {
                    ISC_QUAD id{};
                    detail::Ref<IBlob> b(attachment->createBlob(status, transaction, &id, 0, nullptr));
                    for (qsizetype at = 0; at < blob->bytes.size(); at += kBlobSegment) {
                        const auto n =
                            static_cast<unsigned>(qMin<qsizetype>(kBlobSegment, blob->bytes.size() - at));
                        b->putSegment(status, n, blob->bytes.constData() + at);
                    }
                    b->close(status);
                    b.disown();
                    std::memcpy(p, &id, sizeof id);
                } else {
                    *nullFlag = -1;
                }
            }
        }

        if (s.hasCursor) {
            s.exhausted = false;
            s.cursor.reset(s.statement->openCursor(status, transaction, inMeta.get(),
                                                   in.empty() ? nullptr : in.data(), s.outMeta.get(), 0));
            m_open = true;
            owner.m_openQueries.insert(this);
        } else {
            const bool hasOutput = !s.columns.empty();
            s.statement->execute(status, transaction, inMeta.get(), in.empty() ? nullptr : in.data(),
                                 hasOutput ? s.outMeta.get() : nullptr, hasOutput ? s.row.data() : nullptr);
            m_rowsAffected = static_cast<int>(
                qMin<ISC_UINT64>(s.statement->getAffectedRecords(status), std::numeric_limits<int>::max()));
            // EXECUTE PROCEDURE and RETURNING give one row without a cursor.
            m_open = hasOutput;
            m_eof = !hasOutput;
        }
    });
    if (s.hasCursor)
        fetch();
}

void Query::fetch() {
    State& s = *m_state;
    if (!s.cursor || s.exhausted) {
        m_eof = true;
        return;
    }
    const int r =
        detail::call([&](ThrowStatusWrapper* status) { return s.cursor->fetchNext(status, s.row.data()); });
    m_eof = r != IStatus::RESULT_OK;
    s.exhausted = m_eof;
}

void Query::execSql() {
    runStatement(false);
}

void Query::open() {
    runStatement(true);
}

void Query::next() {
    if (!m_open)
        throw Error(QStringLiteral("Result set is closed"));
    if (m_eof)
        return;
    if (!m_state->cursor) { // the single row of a statement without cursor
        m_eof = true;
        return;
    }
    fetch();
}

void Query::last() {
    if (!m_open)
        throw Error(QStringLiteral("Result set is closed"));
    State& s = *m_state;
    if (m_eof || !s.cursor || s.exhausted)
        return;
    for (;;) {
        const int r = detail::call(
            [&](ThrowStatusWrapper* status) { return s.cursor->fetchNext(status, s.spare.data()); });
        if (r != IStatus::RESULT_OK)
            break;
        s.row.swap(s.spare);
    }
    s.exhausted = true;
}

int Query::fieldCount() const {
    return static_cast<int>(m_state->columns.size());
}

Field Query::field(int index) const {
    if (index < 0 || index >= fieldCount())
        throw Error(QStringLiteral("Field index %1 out of range").arg(index));
    return Field(*this, index);
}

Field Query::fieldByName(const QString& name) const {
    const auto it = m_state->columnIndex.constFind(upperKey(name));
    if (it == m_state->columnIndex.cend())
        throw Error(QStringLiteral("Field '%1' not found").arg(name));
    return Field(*this, *it);
}

} // namespace fb
