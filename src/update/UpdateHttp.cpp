#include "update/UpdateHttp.h"

#include <QIODevice>
#include <QNetworkReply>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>
#include <memory>

QtUpdateHttp::QtUpdateHttp(QObject* parent) : QObject(parent) {
    m_manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void QtUpdateHttp::setExtraCaCertificates(const QList<QSslCertificate>& certificates) {
    m_extraCa = certificates;
}

void QtUpdateHttp::get(const QUrl& url, QIODevice& sink, qint64 maxBytes, QObject* context,
                       std::function<void(const HttpReply&)> done) {
    if (url.scheme() != QLatin1String("https")) {
        HttpReply refused;
        refused.error = QStringLiteral("Only https is allowed: %1").arg(url.toString());
        QTimer::singleShot(0, context, [done, refused] { done(refused); });
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    if (!m_extraCa.isEmpty())
        ssl.addCaCertificates(m_extraCa);
    request.setSslConfiguration(ssl);

    QNetworkReply* reply = m_manager.get(request);
    auto state = std::make_shared<HttpReply>();
    QPointer<QIODevice> target(&sink);
    // Cleared as soon as the context begins to go, before it signals destroyed().
    QPointer<QObject> alive(context);
    const auto take = [reply, state, target, alive, maxBytes] {
        if (!alive || state->tooLarge || !state->error.isEmpty())
            return;
        const QByteArray chunk = reply->readAll();
        if (state->received + chunk.size() > maxBytes) {
            state->tooLarge = true;
            reply->abort();
            return;
        }
        if (!target || target->write(chunk) != chunk.size()) {
            state->error = QStringLiteral("Cannot store the download");
            reply->abort();
            return;
        }
        state->received += chunk.size();
    };
    connect(reply, &QNetworkReply::readyRead, context, take);
    connect(reply, &QNetworkReply::finished, context, [reply, state, done, take, alive] {
        if (!alive)
            return;
        take();
        state->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (state->error.isEmpty() && state->tooLarge)
            state->error = QStringLiteral("The answer is larger than expected");
        if (state->error.isEmpty() && reply->error() != QNetworkReply::NoError)
            state->error = reply->errorString();
        done(*state);
    });
    // A check given up takes its transfer with it.
    connect(context, &QObject::destroyed, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}
