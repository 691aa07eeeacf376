#include "platform/PuttySettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An exclusive lock on a folder while it lives. Writers of one file in it take
// turns, so none reads the file while another is replacing it. A lock on the
// folder, not on a file of its own: PuTTY lists every file of its sessions folder.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd;
};

QString homeFolder(const QProcessEnvironment& environment) {
    const QString home = environment.value(QStringLiteral("HOME"));
    return home.isEmpty() ? QDir::homePath() : home;
}

QString puttyFolder(const QProcessEnvironment& environment) {
    const QString own = environment.value(QStringLiteral("PUTTYDIR"));
    if (!own.isEmpty())
        return own;
    const QString xdgConfig = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    const QString xdg =
        (xdgConfig.isEmpty() ? homeFolder(environment) + QStringLiteral("/.config") : xdgConfig) +
        QStringLiteral("/putty");
    if (QFileInfo(xdg).isDir())
        return xdg;
    return homeFolder(environment) + QStringLiteral("/.putty");
}

// Like mkdir -p, but every folder made here is private to the user.
bool makePrivateFolders(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || path.isEmpty() || path == QStringLiteral("/"))
        return false;
    if (!makePrivateFolders(info.absolutePath()))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || QFileInfo(path).isDir();
}

// Start of the line holding key, or -1.
qsizetype findKeyLine(const QByteArray& content, const QByteArray& key) {
    const QByteArray prefix = key + '=';
    qsizetype lineStart = 0;
    while (lineStart < content.size()) {
        if (content.sliced(lineStart).startsWith(prefix))
            return lineStart;
        const qsizetype end = content.indexOf('\n', lineStart);
        if (end < 0)
            break;
        lineStart = end + 1;
    }
    return -1;
}

} // namespace

QString puttySessionsFolder(const QProcessEnvironment& environment) {
    const QString sessions = environment.value(QStringLiteral("PUTTYSESSIONS"));
    if (!sessions.isEmpty())
        return sessions;
    return puttyFolder(environment) + QStringLiteral("/sessions");
}

QByteArray withPuttySetting(const QByteArray& content, const QByteArray& key, const QByteArray& value) {
    const qsizetype lineStart = findKeyLine(content, key);
    if (lineStart < 0) {
        QByteArray result = content;
        // The new line follows the file's own line-end habit.
        const bool crlf = content.contains("\r\n");
        if (!result.isEmpty() && !result.endsWith('\n'))
            result += crlf ? "\r\n" : "\n";
        return result + key + '=' + value + (crlf ? "\r\n" : "\n");
    }
    const qsizetype valueStart = lineStart + key.size() + 1;
    qsizetype valueEnd = content.indexOf('\n', valueStart);
    if (valueEnd < 0)
        valueEnd = content.size();
    if (valueEnd > valueStart && content[valueEnd - 1] == '\r')
        --valueEnd;
    QByteArray result = content;
    return result.replace(valueStart, valueEnd - valueStart, value);
}

PuttyFileStore::PuttyFileStore(QProcessEnvironment environment) : m_environment(std::move(environment)) {}

QString PuttyFileStore::defaultSettingsPath() const {
    return puttySessionsFolder(m_environment) + QStringLiteral("/Default%20Settings");
}

QString PuttyFileStore::setDefaultCodePage(const QString& codePage) {
    const QString path = defaultSettingsPath();
    if (!makePrivateFolders(QFileInfo(path).absolutePath()))
        return QStringLiteral("не удалось создать папку %1").arg(QFileInfo(path).absolutePath());
    const FolderLock lock(QFileInfo(path).absolutePath());
    if (!lock.held())
        return QStringLiteral("не удалось заблокировать папку %1").arg(QFileInfo(path).absolutePath());

    QByteArray content;
    QFile existing(path);
    const bool exists = existing.exists();
    if (exists) {
        if (!existing.open(QIODevice::ReadOnly))
            return existing.errorString();
        content = existing.readAll();
        existing.close();
    }
    // UTF8Override=1 would make PuTTY ignore LineCodePage under a UTF-8 locale.
    content = withPuttySetting(content, "LineCodePage", codePage.toUtf8());
    content = withPuttySetting(content, "UTF8Override", "0");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!exists)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(content) != content.size() || !file.commit())
        return file.errorString();
    return {};
}
