#include "update/UpdateSwap.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString checkDownload(int httpStatus, QFile& downloaded, const UpdateManifest& manifest) {
    if (httpStatus != 200)
        return QStringLiteral("Сервер обновлений ответил кодом %1").arg(httpStatus);
    if (!downloaded.flush())
        return QStringLiteral("Не удалось записать загруженный файл");
    if (downloaded.size() != manifest.size)
        return QStringLiteral("Загружено %1 байт вместо %2").arg(downloaded.size()).arg(manifest.size);
    if (!downloaded.seek(0))
        return QStringLiteral("Не удалось прочитать загруженный файл");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&downloaded))
        return QStringLiteral("Не удалось прочитать загруженный файл");
    if (hash.result() != manifest.sha256)
        return QStringLiteral("Контрольная сумма загруженного файла не совпадает");
    downloaded.seek(0);
    if (downloaded.read(4) != QByteArray("\x7f"
                                         "ELF"))
        return QStringLiteral("Загруженный файл не является программой");
    return {};
}

QString swapInExecutable(const QString& iFileName, QFile& downloaded, const QString& iFileNameBak) {
    if (!downloaded.flush() || ::fsync(downloaded.handle()) != 0)
        return systemError(QStringLiteral("Не удалось записать загруженный файл"));
    if (!downloaded.setPermissions(QFile::permissions(iFileName)))
        return QStringLiteral("Не удалось задать права загруженному файлу");
    const QByteArray current = QFile::encodeName(iFileName);
    const QByteArray kept = QFile::encodeName(iFileNameBak);
    if (::link(current.constData(), kept.constData()) != 0)
        return systemError(QStringLiteral("Не удалось сохранить прежнюю версию как %1").arg(iFileNameBak));
    if (::rename(QFile::encodeName(downloaded.fileName()).constData(), current.constData()) != 0) {
        const QString error = systemError(QStringLiteral("Не удалось заменить %1").arg(iFileName));
        ::unlink(kept.constData());
        return error;
    }
    syncFolder(QFileInfo(iFileName).absolutePath());
    return {};
}

bool folderTakesNewFiles(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.vestibar-probe-XXXXXX"));
    return probe.open();
}
