#pragma once

#include "fb/Error.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// One change to the object tree, as journalled in LOGS.PARAMETERS. Which fields a
// kind of change sets is decided by the code that journals it; receivers ignore the rest.
struct type_ParametersOfEvents {
    int UserID_ = 0;
    int Type_ = 0; // 1 created, 2 updated, 3 moved, 4 deleted
    int ID_Parent_before = 0;
    int ID_Parent_after = 0;
    int ID_ICO_TREETABLE_before = 0;
    int ID_ICO_TREETABLE_after = 0;
    int Position_ = 0;
    int IDchildren_ = 0;
    int TYPE_NODE_before = 0;
    int TYPE_NODE_after = 0;
    int IndexSelectNode = 0;
    int ID_LOGIN_PASS_before = 0;
    int ID_LOGIN_PASS_after = 0;
    int RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before = 0;
    int RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after = 0;
    QString Path_before;
    QString Path_after;
    QString Text_;
    QString TEXT_TREETABLE_after;
    QString DOMAIN_NAME_SERVERS_before;
    QString DOMAIN_NAME_SERVERS_after;
    QString IP_ADDRES_SERVERS_before;
    QString IP_ADDRES_SERVERS_after;
    QString LOGIN_LOGIN_PASS_before;
    QString LOGIN_LOGIN_PASS_after;
    QString NAME_LOGIN_PASS_before;
    QString NAME_LOGIN_PASS_after;
    QString PASS_LOGIN_PASS_before;
    QString PASS_LOGIN_PASS_after;
    QString PORT_SERVERS_before;
    QString PORT_SERVERS_after;

    bool operator==(const type_ParametersOfEvents&) const = default;
};

// A journal entry that is too short or whose counts make no sense.
class ChangeRecordError : public fb::Error {
public:
    using fb::Error::Error;
};

// Reads a byte string front to back and never past its end.
class ByteStreamReader {
public:
    explicit ByteStreamReader(const QByteArray& bytes) : m_bytes(bytes) {}

    qint32 readInt32();
    // Exactly count bytes; throws ChangeRecordError when fewer remain.
    QByteArray readBytes(qint64 count);
    qint64 position() const { return m_position; }
    qint64 remaining() const { return m_bytes.size() - m_position; }

private:
    const QByteArray& m_bytes;
    qint64 m_position = 0;
};

// Fixed part (15 integers) and the length of a record whose strings are all empty.
inline constexpr int kChangeRecordIntegersSize = 60;
inline constexpr int kChangeRecordEmptySize = 124;

// Appends one counted string: a 4-byte count of UTF-16 code units, then the units
// in UTF-16LE. Characters that code page 1251 lacks are written as '?'.
void WriteStringToStream(QByteArray& perStm, const QString& perStr);
// Reads one counted string; throws ChangeRecordError on a negative count or one
// that runs past the end.
QString ReadStringFromStream(ByteStreamReader& perStm);

QByteArray serializeChangeRecord(const type_ParametersOfEvents& record);
// Throws ChangeRecordError when the bytes end before the last string does or a
// count is impossible. Bytes after the last string are ignored.
type_ParametersOfEvents deserializeChangeRecord(const QByteArray& bytes);

// Entries this program writes carry the server's time of the write after their
// last string: the tag "VBX1", then milliseconds since 1970-01-01 UTC as a
// little-endian 64-bit integer. Older copies stop reading after the strings, so
// they never see it.
inline constexpr char kTimeTrailerTag[] = "VBX1";
inline constexpr int kTimeTrailerSize = 12;

QByteArray timeTrailer(qint64 msSinceEpochUtc);

// A record and, when its entry carries exactly one well-formed trailer after the
// strings, the time of the write.
struct type_DecodedChangeRecord {
    type_ParametersOfEvents record;
    std::optional<qint64> writtenAtMs;
};

// As deserializeChangeRecord; anything after the strings other than one trailer
// means no time and is otherwise ignored.
type_DecodedChangeRecord decodeChangeRecord(const QByteArray& bytes);
