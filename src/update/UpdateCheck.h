#pragma once

#include "update/UpdateConfig.h"
#include "update/UpdateManifest.h"
#include "update/UpdateVersion.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QBuffer;
class QLockFile;
class QTemporaryFile;
class UpdateHttp;

inline const QString kNeedToRestartText = QStringLiteral("Требуется перезапустить программу");

// One update check, from asking the server for the newest label to swapping
// the executable on disk for the next start. Everything runs on the caller's
// event loop; nothing blocks. Errors before the user agreed go unmentioned (no
// network, no update); after a Yes they come as failed().
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        NotConfigured,   // no URL or no key in this build
        Insecure,        // not https: nothing requested
        Busy,            // another copy is updating this folder
        NoAnswer,        // the label could not be fetched
        NoUpdate,        // same, older, or no label at all
        LeftoverRemoved, // the previous swap's old file was deleted
        NotWritable,     // the folder cannot take a new file: nothing offered
        Declined,
        Failed,
        Installed,
    };
    Q_ENUM(Outcome)

    // Asked on the caller's thread with the offered label; true means Yes.
    using Ask = std::function<bool(const QString& offeredLabel)>;

    UpdateCheck(UpdateConfig config, UpdateHttp& http, const QString& runningLabel, Ask ask,
                QObject* parent = nullptr);
    ~UpdateCheck() override;

    void start();
    bool running() const { return m_running; }

    static constexpr qint64 kMaxLabelBytes = 256;
    static constexpr qint64 kMaxManifestBytes = 16 * 1024;
    static constexpr qint64 kMaxExecutableBytes = 512LL * 1024 * 1024;

signals:
    void restartNeeded(const QString& text);
    void failed(const QString& text);
    void finished(UpdateCheck::Outcome outcome);

private:
    void onLabel(int status, const QString& error);
    void onManifest(int status, const QString& error);
    void onExecutable(int status, const QString& error);
    bool removeLeftover(const VersionLabel& label);
    void fail(const QString& text);
    void finish(Outcome outcome);

    UpdateConfig m_config;
    UpdateHttp& m_http;
    std::optional<VersionLabel> m_runningLabel;
    Ask m_ask;
    bool m_running = false;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QBuffer> m_body;
    std::unique_ptr<QTemporaryFile> m_download;
    VersionLabel m_offered;
    UpdateManifest m_manifest;
};
