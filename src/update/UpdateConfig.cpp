#include "update/UpdateConfig.h"

#include <QCoreApplication>

#ifndef VESTIBAR_UPDATE_URL
#define VESTIBAR_UPDATE_URL ""
#endif
#ifndef VESTIBAR_UPDATE_PUBLIC_KEY
#define VESTIBAR_UPDATE_PUBLIC_KEY ""
#endif

namespace {

QUrl withPath(const QUrl& base, const QString& path) {
    QUrl url = base;
    QString prefix = url.path();
    while (prefix.endsWith(u'/'))
        prefix.chop(1);
    url.setPath(prefix + path);
    return url;
}

} // namespace

UpdateConfig UpdateConfig::builtIn() {
    UpdateConfig config;
    config.baseUrl = QUrl(QStringLiteral(VESTIBAR_UPDATE_URL));
    config.publicKey = QByteArray::fromBase64(QByteArrayLiteral(VESTIBAR_UPDATE_PUBLIC_KEY));
    config.executable = QCoreApplication::applicationFilePath();
    return config;
}

QUrl UpdateConfig::versionUrl() const {
    return withPath(baseUrl, QStringLiteral("/wp-content/uploads/vestibar/version.txt"));
}

QUrl UpdateConfig::executableUrl() const {
    return withPath(baseUrl, QStringLiteral("/wp-content/uploads/vestibar/linux/vestibar"));
}

QUrl UpdateConfig::manifestUrl() const {
    return withPath(baseUrl, QStringLiteral("/wp-content/uploads/vestibar/linux/vestibar.manifest"));
}
