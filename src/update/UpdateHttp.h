#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <functional>

class QIODevice;

struct HttpReply {
    int status = 0;      // the HTTP status, 0 when none arrived
    QString error;       // empty when the transfer itself went well
    qint64 received = 0; // bytes written to the sink
    bool tooLarge = false;
};

// The update check's HTTP client: GET only, https only.
class UpdateHttp {
public:
    virtual ~UpdateHttp() = default;
    // Writes the body to sink as it arrives and stops after maxBytes. done runs
    // on the caller's thread unless context is gone by then.
    virtual void get(const QUrl& url, QIODevice& sink, qint64 maxBytes, QObject* context,
                     std::function<void(const HttpReply&)> done) = 0;
};

// Through QNetworkAccessManager: a transfer that stalls for five seconds ends,
// redirects never go from https to http, certificate errors are never ignored.
class QtUpdateHttp : public QObject, public UpdateHttp {
    Q_OBJECT
public:
    static constexpr int kTransferTimeoutMs = 5000;

    explicit QtUpdateHttp(QObject* parent = nullptr);
    // Trusted in addition to the system's authorities.
    void setExtraCaCertificates(const QList<QSslCertificate>& certificates);

    void get(const QUrl& url, QIODevice& sink, qint64 maxBytes, QObject* context,
             std::function<void(const HttpReply&)> done) override;

private:
    QNetworkAccessManager m_manager;
    QList<QSslCertificate> m_extraCa;
};
