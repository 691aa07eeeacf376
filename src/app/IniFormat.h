#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The profile-file format of config.ini, on the file's bytes (code page 1251).
// Section and key names match without regard to case; values are unquoted.
namespace ini {

// The value of key in section: the text after the first "=" without surrounding
// blanks. Nothing when the section or the key is absent.
std::optional<QByteArray> findValue(const QByteArray& content, const QString& section, const QString& key);

// content with key of section set to value. The key's line keeps everything up to
// its value; a missing key goes to the end of its section, a missing section to the
// end of the file. Every other byte stays as it was. Names and value must be
// storable (see unstorableReason).
QByteArray withValue(const QByteArray& content, const QString& section, const QString& key,
                     const QByteArray& value);

// Why section, key and value cannot be written without breaking the file's
// structure; empty when they can.
QString unstorableReason(const QString& section, const QString& key, const QByteArray& value);

// A signed 32-bit integer in decimal, or hexadecimal after "0x", "$" or "x";
// nothing for anything else, including values out of range.
std::optional<qint32> parseInteger(const QByteArray& text);

} // namespace ini
