#include "ui/UpdateApp.h"

#include "ui/Dialogs.h"
#include "update/UpdateHttp.h"

#include <QWidget>

namespace {

UpdateHttp& httpFor(std::unique_ptr<QtUpdateHttp>& own, UpdateHttp* given, const UpdateConfig& config) {
    if (given)
        return *given;
    own = std::make_unique<QtUpdateHttp>();
    own->setExtraCaCertificates(config.ca);
    return *own;
}

} // namespace

TUpdateApp::TUpdateApp(const QString& perVersion, QWidget* window, Dialogs& dialogs, UpdateConfig config,
                       UpdateHttp* http)
    : QObject(window), m_window(window), m_dialogs(dialogs),
      m_check(config, httpFor(m_ownHttp, http, config), perVersion, [this](const QString&) {
          return m_dialogs.askWarningWithCaption(m_window, kUpdateQuestionCaption, kUpdateQuestion) ==
                 Dialogs::Answer::Yes;
      }) {
    connect(&m_check, &UpdateCheck::restartNeeded, this, &TUpdateApp::restartNeeded);
    connect(&m_check, &UpdateCheck::failed, this,
            [this](const QString& text) { m_dialogs.showError(m_window, text); });
    connect(&m_check, &UpdateCheck::finished, this, &TUpdateApp::finished);
}

TUpdateApp::~TUpdateApp() = default;

void TUpdateApp::start() {
    m_check.start();
}
