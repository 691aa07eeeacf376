#include "Ini.h"

#include "IniFormat.h"
#include "fb/Cp1251.h"
#include "fb/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qsizetype kMaxValueLength = 2047;

QString& configFolderOverride() {
    static QString folder;
    return folder;
}

fb::Error unableToWrite(const QString& path) {
    return fb::Error(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
}

// A file that cannot be read reads as absent, as the profile-file service does.
std::optional<QByteArray> readValue(const QString& perUnit, const QString& perKey) {
    QFile file(configFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto value = ini::findValue(file.readAll(), perUnit, perKey);
    if (!value)
        return std::nullopt;
    return value->left(kMaxValueLength);
}

QByteArray existingContent(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    // Rewriting a file we could not read would throw its other keys away.
    if (!file.open(QIODevice::ReadOnly))
        throw unableToWrite(path);
    return file.readAll();
}

// The new content goes to a temporary file that replaces the old one only when
// complete, so a failed write never leaves a truncated file behind.
void replaceContent(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    file.setDirectWriteFallback(true); // a read-only folder holding a writable file
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw unableToWrite(path);
}

// Why a value cannot be stored so that a read gives it back; empty when it can.
QString unreadableReason(const QString& perUnit, const QString& perKey, const QString& text,
                         const QByteArray& value) {
    if (!fb::fitsCp1251(text))
        return QStringLiteral("the value of key %1 in section %2 holds characters that code page 1251 lacks")
            .arg(perKey, perUnit);
    if (value.size() > kMaxValueLength)
        return QStringLiteral("the value of key %1 in section %2 is longer than %3 characters")
            .arg(perKey, perUnit)
            .arg(kMaxValueLength);
    return ini::unstorableReason(perUnit, perKey, value);
}

} // namespace

void IniBatch::str(const QString& perUnit, const QString& perKey, const QString& perParam) {
    m_entries.append({perUnit, perKey, perParam, fb::toCp1251(perParam)});
}

void IniBatch::integer(const QString& perUnit, const QString& perKey, int perParam) {
    const QByteArray value = QByteArray::number(perParam);
    m_entries.append({perUnit, perKey, QString::fromLatin1(value), value});
}

void IniBatch::boolean(const QString& perUnit, const QString& perKey, bool perParam) {
    const QByteArray value = perParam ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    m_entries.append({perUnit, perKey, QString::fromLatin1(value), value});
}

void IniBatch::write() const {
    const QString path = configFilePath();
    for (const Entry& entry : m_entries) {
        const QString reason = unreadableReason(entry.unit, entry.key, entry.text, entry.value);
        if (!reason.isEmpty())
            throw fb::Error(
                QStringLiteral("Cannot store in %1: %2").arg(QDir::toNativeSeparators(path), reason));
    }
    QByteArray content = existingContent(path);
    for (const Entry& entry : m_entries)
        content = ini::withValue(content, entry.unit, entry.key, entry.value);
    replaceContent(path, content);
}

QString configFilePath() {
    const QString& folder = configFolderOverride();
    if (!folder.isEmpty())
        return QDir(folder).filePath(QStringLiteral("config.ini"));
    return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + QStringLiteral("/config.ini");
}

void setConfigFolder(const QString& folder) {
    configFolderOverride() = folder;
}

QString Read_ini_str(const QString& perUnit, const QString& perKey) {
    const auto value = readValue(perUnit, perKey);
    return value ? fb::fromCp1251(*value) : QString();
}

int Read_ini_int(const QString& perUnit, const QString& perKey) {
    const auto value = readValue(perUnit, perKey);
    return value ? ini::parseInteger(*value).value_or(-1) : -1;
}

bool Read_ini_bool(const QString& perUnit, const QString& perKey) {
    const auto value = readValue(perUnit, perKey);
    return value && ini::parseInteger(*value).value_or(0) != 0;
}

void Write_ini_str(const QString& perUnit, const QString& perKey, const QString& perParam) {
    IniBatch batch;
    batch.str(perUnit, perKey, perParam);
    batch.write();
}

void Write_ini_int(const QString& perUnit, const QString& perKey, int perParam) {
    IniBatch batch;
    batch.integer(perUnit, perKey, perParam);
    batch.write();
}

void Write_ini_bool(const QString& perUnit, const QString& perKey, bool perParam) {
    IniBatch batch;
    batch.boolean(perUnit, perKey, perParam);
    batch.write();
}
