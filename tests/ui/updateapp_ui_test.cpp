#include "FakeDialogs.h"
#include "support/HttpsTestServer.h"
#include "ui/UpdateApp.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using testsupport::HttpsTestServer;
using testsupport::TestKeys;

namespace {

// Remembers the captions of the questions as well.
class CaptionDialogs : public FakeDialogs {
public:
    QStringList captions;
    Answer askWarningWithCaption(QWidget* parent, const QString& caption, const QString& text) override {
        captions << caption;
        return askWarning(parent, text);
    }
};

class UpdateOnStart : public ::testing::Test {
protected:
    void SetUp() override {
        executable = folder.filePath(QStringLiteral("vestibar"));
        QFile exe(executable);
        ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
        exe.write(QByteArray("\x7f"
                             "ELF old"));
    }

    UpdateConfig configFor(const HttpsTestServer& server) const {
        UpdateConfig c;
        c.baseUrl = QUrl(server.baseUrl());
        c.publicKey = TestKeys::shared().publicKey();
        c.ca = QSslCertificate::fromPath(TestKeys::shared().caCertificate());
        c.executable = executable;
        return c;
    }

    void publish(HttpsTestServer& server, const QByteArray& exe, const QByteArray& manifestLabel) {
        server.put(QStringLiteral("/wp-content/uploads/vestibar/version.txt"), "Ver. 0.26.4\n");
        server.put(QStringLiteral("/wp-content/uploads/vestibar/linux/vestibar"), exe);
        const QByteArray manifest =
            "label=" + manifestLabel + "\nsize=" + QByteArray::number(exe.size()) +
            "\nsha256=" + QCryptographicHash::hash(exe, QCryptographicHash::Sha256).toHex() + "\n";
        server.put(QStringLiteral("/wp-content/uploads/vestibar/linux/vestibar.manifest"),
                   manifest + "signature=" + TestKeys::shared().sign(manifest).toBase64() + "\n");
    }

    QTemporaryDir folder;
    QString executable;
    CaptionDialogs dialogs;
};

// The main window's part: panel 1 shows the restart text in red.
struct MainWindowStandIn : QMainWindow {
    QLabel* panel1 = new QLabel(this);
    QString gperNeedToRestartProgramm;
};

} // namespace

TEST_F(UpdateOnStart, NewerVersionAsksUnderItsCaptionAndAsksForARestart) {
    HttpsTestServer server;
    ASSERT_TRUE(server.started());
    publish(server,
            QByteArray("\x7f"
                       "ELF new"),
            "Ver. 0.26.4");
    MainWindowStandIn window;
    window.show();
    dialogs.answers = {Dialogs::Answer::Yes};
    auto* update = new TUpdateApp(QStringLiteral("Ver. 0.26.3"), &window, dialogs, configFor(server));
    QObject::connect(update, &TUpdateApp::restartNeeded, &window, [&](const QString& text) {
        window.gperNeedToRestartProgramm = text;
        window.panel1->setText(text);
    });
    QSignalSpy finished(update, &TUpdateApp::finished);
    update->start();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(dialogs.captions, QStringList{QStringLiteral("Внимание")});
    EXPECT_EQ(dialogs.questions,
              QStringList{QStringLiteral(
                  "Появилась новая версия программы, ее можно скачать\r\nСкачать новую версию?")});
    EXPECT_EQ(window.gperNeedToRestartProgramm, QStringLiteral("Требуется перезапустить программу"));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(UpdateOnStart, AFailureAfterYesIsShownAndTheProgramGoesOn) {
    HttpsTestServer server;
    ASSERT_TRUE(server.started());
    publish(server,
            QByteArray("\x7f"
                       "ELF new"),
            "Ver. 0.26.9");
    QMainWindow window;
    dialogs.answers = {Dialogs::Answer::Yes};
    TUpdateApp update(QStringLiteral("Ver. 0.26.3"), &window, dialogs, configFor(server));
    QSignalSpy restart(&update, &TUpdateApp::restartNeeded);
    QSignalSpy finished(&update, &TUpdateApp::finished);
    update.start();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(restart.isEmpty());
}

TEST_F(UpdateOnStart, ClosingTheQuestionBoxIsNo) {
    HttpsTestServer server;
    ASSERT_TRUE(server.started());
    publish(server,
            QByteArray("\x7f"
                       "ELF new"),
            "Ver. 0.26.4");
    QMainWindow window;
    TUpdateApp update(QStringLiteral("Ver. 0.26.3"), &window, dialogs, configFor(server));
    QSignalSpy finished(&update, &TUpdateApp::finished);
    update.start();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.first().first().value<UpdateCheck::Outcome>(), UpdateCheck::Outcome::Declined);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(UpdateOnStart, ASilentServerFindsTheMainWindowAlreadyShown) {
    HttpsTestServer silent({true, QString()});
    ASSERT_TRUE(silent.started());
    MainWindowStandIn window;
    // As the main window does it: show first, then start the check from the event loop.
    auto* update = new TUpdateApp(QStringLiteral("Ver. 0.26.3"), &window, dialogs, configFor(silent));
    QElapsedTimer clock;
    clock.start();
    window.show();
    QTimer::singleShot(0, update, &TUpdateApp::start);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_LT(clock.elapsed(), 2000);
    QTest::qWait(200);
    EXPECT_TRUE(update->running());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(dialogs.questions.isEmpty());
    // The window closing mid-check takes the check with it.
}
