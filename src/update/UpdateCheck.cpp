#include "update/UpdateCheck.h"

#include "update/UpdateHttp.h"
#include "update/UpdateSwap.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>

UpdateCheck::UpdateCheck(UpdateConfig config, UpdateHttp& http, const QString& runningLabel, Ask ask,
                         QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_http(http),
      m_runningLabel(parseVersionLabel(runningLabel)), m_ask(std::move(ask)) {}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::start() {
    if (m_running)
        return;
    m_running = true;
    if (!m_config.configured() || !m_runningLabel || m_config.executable.isEmpty()) {
        finish(Outcome::NotConfigured);
        return;
    }
    if (m_config.baseUrl.scheme() != QLatin1String("https")) {
        finish(Outcome::Insecure);
        return;
    }
    // Copies started from the same folder take turns: one swap, not two.
    m_lock = std::make_unique<QLockFile>(m_config.executable + QStringLiteral(".update-lock"));
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        finish(folderTakesNewFiles(QFileInfo(m_config.executable).absolutePath()) ? Outcome::Busy
                                                                                  : Outcome::NotWritable);
        return;
    }
    m_body = std::make_unique<QBuffer>();
    m_body->open(QIODevice::WriteOnly);
    m_http.get(m_config.versionUrl(), *m_body, kMaxLabelBytes, this,
               [this](const HttpReply& reply) { onLabel(reply.status, reply.error); });
}

bool UpdateCheck::removeLeftover(const VersionLabel& label) {
    // What the previous swap left beside the executable, by the rules older
    // copies follow: the old file under the new label's name, or its "1" twin.
    const QString bak = backupExecutableName(m_config.executable, label);
    for (const QString& leftover : {bak, bak + QStringLiteral("1")}) {
        if (QFileInfo::exists(leftover) || QFileInfo(leftover).isSymLink()) {
            QFile::remove(leftover);
            return true;
        }
    }
    return false;
}

void UpdateCheck::onLabel(int status, const QString& error) {
    const QByteArray body = m_body->data();
    m_body.reset();
    if (!error.isEmpty() || status != 200) {
        finish(Outcome::NoAnswer);
        return;
    }
    const std::optional<VersionLabel> offered = parseVersionLabel(body);
    if (!offered) {
        finish(Outcome::NoUpdate);
        return;
    }
    if (removeLeftover(*offered)) {
        finish(Outcome::LeftoverRemoved);
        return;
    }
    if (!isNewer(*offered, *m_runningLabel)) {
        finish(Outcome::NoUpdate);
        return;
    }
    if (!folderTakesNewFiles(QFileInfo(m_config.executable).absolutePath())) {
        finish(Outcome::NotWritable);
        return;
    }
    m_offered = *offered;
    if (!m_ask || !m_ask(m_offered.text())) {
        finish(Outcome::Declined);
        return;
    }
    m_body = std::make_unique<QBuffer>();
    m_body->open(QIODevice::WriteOnly);
    m_http.get(m_config.manifestUrl(), *m_body, kMaxManifestBytes, this,
               [this](const HttpReply& reply) { onManifest(reply.status, reply.error); });
}

void UpdateCheck::onManifest(int status, const QString& error) {
    const QByteArray body = m_body->data();
    m_body.reset();
    if (!error.isEmpty() || status != 200) {
        fail(QStringLiteral("Не удалось загрузить описание обновления: %1")
                 .arg(error.isEmpty() ? QStringLiteral("HTTP %1").arg(status) : error));
        return;
    }
    const std::optional<UpdateManifest> manifest = verifyManifest(body, m_config.publicKey);
    if (!manifest) {
        fail(QStringLiteral("Подпись обновления не прошла проверку"));
        return;
    }
    if (!(manifest->label == m_offered)) {
        fail(QStringLiteral("Описание обновления относится к версии %1, а предложена %2")
                 .arg(manifest->label.text(), m_offered.text()));
        return;
    }
    if (manifest->size > kMaxExecutableBytes) {
        fail(QStringLiteral("Обновление слишком велико"));
        return;
    }
    m_manifest = *manifest;
    const QFileInfo executable(m_config.executable);
    m_download = std::make_unique<QTemporaryFile>(executable.absolutePath() + QStringLiteral("/.") +
                                                  executable.fileName() + QStringLiteral(".update-XXXXXX"));
    if (!m_download->open()) { // 0600 until it is verified
        fail(QStringLiteral("Не удалось создать файл для загрузки: %1").arg(m_download->errorString()));
        return;
    }
    m_http.get(m_config.executableUrl(), *m_download, m_manifest.size, this,
               [this](const HttpReply& reply) { onExecutable(reply.status, reply.error); });
}

void UpdateCheck::onExecutable(int status, const QString& error) {
    if (!error.isEmpty()) {
        fail(QStringLiteral("Не удалось загрузить обновление: %1").arg(error));
        return;
    }
    QString problem = checkDownload(status, *m_download, m_manifest);
    if (problem.isEmpty())
        problem = swapInExecutable(m_config.executable, *m_download,
                                   backupExecutableName(m_config.executable, m_offered));
    if (!problem.isEmpty()) {
        fail(problem);
        return;
    }
    m_download->setAutoRemove(false); // it is the executable now
    m_download.reset();
    emit restartNeeded(kNeedToRestartText);
    finish(Outcome::Installed);
}

void UpdateCheck::fail(const QString& text) {
    m_download.reset(); // removes what was downloaded
    emit failed(text);
    finish(Outcome::Failed);
}

void UpdateCheck::finish(Outcome outcome) {
    m_download.reset();
    m_body.reset();
    m_lock.reset();
    m_running = false;
    emit finished(outcome);
}
