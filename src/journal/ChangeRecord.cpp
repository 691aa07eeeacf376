#include "journal/ChangeRecord.h"

#include "fb/Cp1251.h"

#include <QtEndian>
#include <array>

namespace {

using Record = type_ParametersOfEvents;

// Field order is the byte order of the journal entry.
constexpr std::array<int Record::*, 15> kIntegerFields = {
    &Record::UserID_,
    &Record::Type_,
    &Record::ID_Parent_before,
    &Record::ID_Parent_after,
    &Record::ID_ICO_TREETABLE_before,
    &Record::ID_ICO_TREETABLE_after,
    &Record::Position_,
    &Record::IDchildren_,
    &Record::TYPE_NODE_before,
    &Record::TYPE_NODE_after,
    &Record::IndexSelectNode,
    &Record::ID_LOGIN_PASS_before,
    &Record::ID_LOGIN_PASS_after,
    &Record::RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before,
    &Record::RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after,
};

constexpr std::array<QString Record::*, 16> kStringFields = {
    &Record::Path_before,
    &Record::Path_after,
    &Record::Text_,
    &Record::TEXT_TREETABLE_after,
    &Record::DOMAIN_NAME_SERVERS_before,
    &Record::DOMAIN_NAME_SERVERS_after,
    &Record::IP_ADDRES_SERVERS_before,
    &Record::IP_ADDRES_SERVERS_after,
    &Record::LOGIN_LOGIN_PASS_before,
    &Record::LOGIN_LOGIN_PASS_after,
    &Record::NAME_LOGIN_PASS_before,
    &Record::NAME_LOGIN_PASS_after,
    &Record::PASS_LOGIN_PASS_before,
    &Record::PASS_LOGIN_PASS_after,
    &Record::PORT_SERVERS_before,
    &Record::PORT_SERVERS_after,
};

static_assert(kIntegerFields.size() * 4 == kChangeRecordIntegersSize);
static_assert(kChangeRecordIntegersSize + kStringFields.size() * 4 == kChangeRecordEmptySize);

// The program's text is code page 1251 wherever it is stored.
QString throughCp1251(const QString& text) {
    return fb::fromCp1251(fb::toCp1251(text));
}

void appendInt32(QByteArray& bytes, qint32 value) {
    char buffer[4];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, sizeof buffer);
}

[[noreturn]] void throwReadError(const QString& detail) {
    throw ChangeRecordError(QStringLiteral("Stream read error: journal entry is corrupted (%1)").arg(detail));
}

} // namespace

qint32 ByteStreamReader::readInt32() {
    const QByteArray bytes = readBytes(4);
    return qFromLittleEndian<qint32>(bytes.constData());
}

QByteArray ByteStreamReader::readBytes(qint64 count) {
    if (count < 0 || count > remaining())
        throwReadError(QStringLiteral("%1 bytes wanted at offset %2, %3 left")
                           .arg(count)
                           .arg(m_position)
                           .arg(remaining()));
    QByteArray result = m_bytes.mid(m_position, count);
    m_position += count;
    return result;
}

void WriteStringToStream(QByteArray& perStm, const QString& perStr) {
    const QString text = throughCp1251(perStr);
    appendInt32(perStm, static_cast<qint32>(text.size()));
    for (QChar unit : text) {
        char buffer[2];
        qToLittleEndian(unit.unicode(), buffer);
        perStm.append(buffer, sizeof buffer);
    }
}

QString ReadStringFromStream(ByteStreamReader& perStm) {
    const qint64 countAt = perStm.position();
    const qint32 count = perStm.readInt32();
    if (count < 0)
        throwReadError(QStringLiteral("negative string length %1 at offset %2").arg(count).arg(countAt));
    // Checked before allocating, so a huge count cannot cost memory.
    if (qint64(count) * 2 > perStm.remaining())
        throwReadError(
            QStringLiteral("string length %1 at offset %2 runs past the end").arg(count).arg(countAt));
    const QByteArray bytes = perStm.readBytes(qint64(count) * 2);
    QString text(count, Qt::Uninitialized);
    for (qint32 i = 0; i < count; ++i)
        text[i] = QChar(qFromLittleEndian<char16_t>(bytes.constData() + 2 * i));
    return throughCp1251(text);
}

QByteArray serializeChangeRecord(const type_ParametersOfEvents& record) {
    QByteArray bytes;
    bytes.reserve(kChangeRecordEmptySize);
    for (auto field : kIntegerFields)
        appendInt32(bytes, record.*field);
    for (auto field : kStringFields)
        WriteStringToStream(bytes, record.*field);
    return bytes;
}

namespace {

type_ParametersOfEvents readRecord(ByteStreamReader& stream) {
    type_ParametersOfEvents record;
    for (auto field : kIntegerFields)
        record.*field = stream.readInt32();
    for (auto field : kStringFields)
        record.*field = ReadStringFromStream(stream);
    return record;
}

std::optional<qint64> readTimeTrailer(ByteStreamReader& stream) {
    if (stream.remaining() != kTimeTrailerSize)
        return std::nullopt;
    const QByteArray trailer = stream.readBytes(kTimeTrailerSize);
    if (!trailer.startsWith(kTimeTrailerTag))
        return std::nullopt;
    return qFromLittleEndian<qint64>(trailer.constData() + 4);
}

} // namespace

type_ParametersOfEvents deserializeChangeRecord(const QByteArray& bytes) {
    ByteStreamReader stream(bytes);
    return readRecord(stream);
}

QByteArray timeTrailer(qint64 msSinceEpochUtc) {
    QByteArray bytes(kTimeTrailerTag, 4);
    char buffer[8];
    qToLittleEndian(msSinceEpochUtc, buffer);
    bytes.append(buffer, sizeof buffer);
    return bytes;
}

type_DecodedChangeRecord decodeChangeRecord(const QByteArray& bytes) {
    ByteStreamReader stream(bytes);
    type_DecodedChangeRecord decoded;
    decoded.record = readRecord(stream);
    decoded.writtenAtMs = readTimeTrailer(stream);
    return decoded;
}
