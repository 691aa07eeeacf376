#pragma once

#include "update/UpdateCheck.h"
#include "update/UpdateConfig.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class Dialogs;
class QtUpdateHttp;
class QWidget;
class UpdateHttp;

inline const QString kUpdateQuestionCaption = QStringLiteral("Внимание");
inline const QString kUpdateQuestion =
    QStringLiteral("Появилась новая версия программы, ее можно скачать\r\nСкачать новую версию?");

// The update check of the main window: start() returns at once, the question
// is asked over window when a newer version is offered, errors after a Yes are
// shown, and restartNeeded() tells that the next start runs the new version.
class TUpdateApp : public QObject {
    Q_OBJECT
public:
    // perVersion: the running version label ("Ver. 0.26.3"). http: the client to
    // use; by default one of our own with config's authorities.
    TUpdateApp(const QString& perVersion, QWidget* window, Dialogs& dialogs,
               UpdateConfig config = UpdateConfig::builtIn(), UpdateHttp* http = nullptr);
    ~TUpdateApp() override;

    void start();
    bool running() const { return m_check.running(); }

signals:
    // The text for the status bar (and gperNeedToRestartProgramm).
    void restartNeeded(const QString& text);
    void finished(UpdateCheck::Outcome outcome);

private:
    std::unique_ptr<QtUpdateHttp> m_ownHttp;
    QPointer<QWidget> m_window;
    Dialogs& m_dialogs;
    UpdateCheck m_check;
};
