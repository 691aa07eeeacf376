#pragma once

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

// Where the update check looks and whom it trusts. The built-in values come
// from the build (VESTIBAR_UPDATE_URL, VESTIBAR_UPDATE_PUBLIC_KEY); an empty URL
// or key means no check at all. Tests set their own.
struct UpdateConfig {
    QUrl baseUrl;              // https://host[/prefix]
    QByteArray publicKey;      // Ed25519, 32 raw bytes
    QList<QSslCertificate> ca; // trusted besides the system's authorities
    QString executable;        // iFileName: the running program's file

    static UpdateConfig builtIn();
    bool configured() const { return !baseUrl.isEmpty() && publicKey.size() == 32; }

    // The paths older copies and this one use on the server.
    QUrl versionUrl() const;
    QUrl executableUrl() const;
    QUrl manifestUrl() const;
};
