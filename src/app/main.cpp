#include "fb/Termination.h"
#include "platform/TerminationSignals.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ProgramServices.h"
#include "ui/TfmBrowser.h"
#include "ui/unConnectToBase.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    TApplication app(argc, argv, qtDialogs());
    QApplication::setApplicationName(QStringLiteral("vestibar"));
    QApplication::setApplicationDisplayName(QStringLiteral("vestibar"));

    // A terminating signal (the desktop session ending, kill) closes the program the
    // way its own close does. The client library would shut every attachment down
    // on such a signal and let the program run on without them: refuse that.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, [] {
        if (fmGeneral)
            fmGeneral->requestClose();
        QApplication::quit();
    });
    fb::onTerminationSignal([] {});
    // Outlives both windows: the main window calls it until it is deleted below.
    ProgramServices services(qtDialogs());
    // The sign-in window may connect, sign in and open the main window right here.
    auto signIn = std::make_unique<TfmConnectToBase>(qtDialogs(), services);
    signIn->start();
    auto browser = std::make_unique<TfmBrowser>();
    if (!signIn->signedIn())
        signIn->show();

    // Hidden windows do not count: the loop ends when the last shown window closes,
    // the sign-in window before sign-in, the main window after it.
    const int exitCode = QApplication::exec();
    delete fmGeneral;
    return exitCode;
}
