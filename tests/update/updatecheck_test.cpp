#include "support/HttpsTestServer.h"
#include "update/UpdateCheck.h"
#include "update/UpdateHttp.h"
#include "update/UpdateManifest.h"
#include "update/UpdateVersion.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::HttpsTestServer;
using testsupport::TestKeys;

namespace {

const QString kRunning = QStringLiteral("Ver. 0.26.3");
const QString kVersionPath = QStringLiteral("/wp-content/uploads/vestibar/version.txt");
const QString kExecutablePath = QStringLiteral("/wp-content/uploads/vestibar/linux/vestibar");
const QString kManifestPath = QStringLiteral("/wp-content/uploads/vestibar/linux/vestibar.manifest");

QByteArray manifestFor(const QString& label, const QByteArray& executable) {
    return "label=" + label.toLatin1() + "\nsize=" + QByteArray::number(executable.size()) +
           "\nsha256=" + QCryptographicHash::hash(executable, QCryptographicHash::Sha256).toHex() + "\n";
}

QByteArray signedManifest(const QByteArray& manifest, bool otherKey = false) {
    const TestKeys& keys = TestKeys::shared();
    const QByteArray signature = otherKey ? keys.signWithOtherKey(manifest) : keys.sign(manifest);
    return manifest + "signature=" + signature.toBase64() + "\n";
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class UpdateFlow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.started());
        executable = folder.filePath(QStringLiteral("vestibar"));
        QFile exe(executable);
        ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
        exe.write(oldBytes);
        exe.close();
        ASSERT_EQ(::chmod(QFile::encodeName(executable).constData(), 0750), 0);
        http.setExtraCaCertificates(QSslCertificate::fromPath(TestKeys::shared().caCertificate()));
    }

    UpdateConfig config() const {
        UpdateConfig c;
        c.baseUrl = QUrl(server.baseUrl());
        c.publicKey = TestKeys::shared().publicKey();
        c.ca = QSslCertificate::fromPath(TestKeys::shared().caCertificate());
        c.executable = executable;
        return c;
    }

    void publish(const QString& label, const QByteArray& exe, const QByteArray& manifest) {
        server.put(kVersionPath, label.toLatin1());
        server.put(kExecutablePath, exe);
        server.put(kManifestPath, manifest);
    }
    void publish(const QString& label) {
        publish(label, newBytes, signedManifest(manifestFor(label, newBytes)));
    }

    UpdateCheck::Outcome run(const QString& running = kRunning, bool yes = true,
                             std::optional<UpdateConfig> with = std::nullopt) {
        UpdateCheck check(with.value_or(config()), http, running, [&](const QString& offered) {
            questions << offered;
            return yes;
        });
        QSignalSpy done(&check, &UpdateCheck::finished);
        QObject::connect(&check, &UpdateCheck::restartNeeded, [&](const QString& t) { restartTexts << t; });
        QObject::connect(&check, &UpdateCheck::failed, [&](const QString& t) { failures << t; });
        check.start();
        if (done.isEmpty()) {
            EXPECT_TRUE(done.wait(20000));
        }
        return done.isEmpty() ? UpdateCheck::Outcome::NoAnswer
                              : done.first().first().value<UpdateCheck::Outcome>();
    }

    QStringList filesBeside() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    void expectUntouched() {
        EXPECT_EQ(readFile(executable), oldBytes);
        EXPECT_EQ(inodeOf(executable), originalInode);
        EXPECT_EQ(filesBeside(), QStringList{QStringLiteral("vestibar")});
    }

    const QByteArray oldBytes = QByteArray("\x7f"
                                           "ELF") +
                                QByteArray("old build", 9) + QByteArray(3000, 'o');
    const QByteArray newBytes = QByteArray("\x7f"
                                           "ELF") +
                                QByteArray("new build", 9) + QByteArray(200000, 'n');
    HttpsTestServer server;
    QTemporaryDir folder;
    QString executable;
    ino_t originalInode = 0;
    QtUpdateHttp http;
    QStringList questions, restartTexts, failures;
};

} // namespace

// --- labels and manifests ---------------------------------------------------------

TEST(UpdateLabels, OnlyExactLabelsParseAndNewerMeansNumericallyNewer) {
    EXPECT_EQ(parseVersionLabel(QByteArray("Ver. 0.26.3"))->text(), QStringLiteral("Ver. 0.26.3"));
    EXPECT_EQ(parseVersionLabel(QByteArray("Ver. 0.26.3\r\n"))->text(), QStringLiteral("Ver. 0.26.3"));
    EXPECT_EQ(parseVersionLabel(QByteArray("  Ver. 1.2.30 \n")), (VersionLabel{1, 2, 30}));
    for (const char* bad :
         {"", "ver. 0.26.3", "Ver.0.26.3", "Ver. 0.26", "Ver. 1/../x", "Ver. 0.26.3 beta",
          "Ver. 0.26.3\nVer. 9.9.9", "<html><body>Ver. 9.9.9</body></html>", "Ver. 0.26.-1"})
        EXPECT_FALSE(parseVersionLabel(QByteArray(bad)).has_value()) << bad;
    EXPECT_FALSE(parseVersionLabel(QByteArray(100, 'x')).has_value());

    const VersionLabel running{0, 26, 3};
    EXPECT_TRUE(isNewer({0, 26, 4}, running));
    EXPECT_TRUE(isNewer({0, 27, 0}, running));
    EXPECT_TRUE(isNewer({0, 26, 10}, {0, 26, 9}));
    EXPECT_FALSE(isNewer({0, 26, 3}, running));
    EXPECT_FALSE(isNewer({0, 26, 2}, running));
    EXPECT_FALSE(isNewer({0, 9, 99}, running));
    EXPECT_EQ(backupExecutableName(QStringLiteral("/opt/v/vestibar"), {0, 26, 4}),
              QStringLiteral("/opt/v/vestibar.bak.Ver. 0.26.4"));
}

TEST(UpdateManifests, SignatureCoversEveryField) {
    const QByteArray exe("\x7f"
                         "ELFxyz");
    const QByteArray body = signedManifest(manifestFor(QStringLiteral("Ver. 0.26.4"), exe));
    const QByteArray key = TestKeys::shared().publicKey();
    const auto manifest = verifyManifest(body, key);
    ASSERT_TRUE(manifest.has_value());
    EXPECT_EQ(manifest->label.text(), QStringLiteral("Ver. 0.26.4"));
    EXPECT_EQ(manifest->size, exe.size());
    EXPECT_EQ(manifest->sha256, QCryptographicHash::hash(exe, QCryptographicHash::Sha256));

    QByteArray tampered = body;
    tampered.replace("size=7", "size=8");
    EXPECT_FALSE(verifyManifest(tampered, key).has_value());
    EXPECT_FALSE(verifyManifest(body, TestKeys::shared().otherPublicKey()).has_value());
    EXPECT_FALSE(verifyManifest(body, key.left(31)).has_value());
    EXPECT_FALSE(verifyManifest(manifestFor(QStringLiteral("Ver. 0.26.4"), exe), key).has_value());
    EXPECT_FALSE(verifyManifest(signedManifest("label=Ver. 0.26.4\nsize=7\n"), key).has_value());
}

// --- the check against a real HTTPS server ----------------------------------------------

TEST_F(UpdateFlow, SameCrlfOlderHtmlOrStrangeLabelsAskNothing) {
    originalInode = inodeOf(executable);
    const QByteArray page = "<!DOCTYPE html><html><head><title>Not found</title></head><body>" +
                            QByteArray(400, ' ') + "</body></html>";
    for (const QByteArray& body : {QByteArray("Ver. 0.26.3"), QByteArray("Ver. 0.26.3\r\n"),
                                   QByteArray("Ver. 0.26.2"), page, QByteArray("Ver. 1/../x")}) {
        server.put(kVersionPath, body);
        const UpdateCheck::Outcome outcome = run();
        // A page longer than any label is cut off unread.
        EXPECT_EQ(outcome, body == page ? UpdateCheck::Outcome::NoAnswer : UpdateCheck::Outcome::NoUpdate)
            << body.left(20).toStdString();
        EXPECT_TRUE(questions.isEmpty()) << body.left(20).toStdString();
        expectUntouched();
    }
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(UpdateFlow, NewerAndYesSwapsInTheVerifiedFileAtomically) {
    publish(QStringLiteral("Ver. 0.26.4"));
    const ino_t oldInode = inodeOf(executable);
    // The running program holds its file open, as a process holds its image.
    const int running = ::open(QFile::encodeName(executable).constData(), O_RDONLY);
    ASSERT_GE(running, 0);

    EXPECT_EQ(run(), UpdateCheck::Outcome::Installed) << failures.join(u'\n').toStdString();
    EXPECT_EQ(questions, QStringList{QStringLiteral("Ver. 0.26.4")});
    EXPECT_EQ(restartTexts, QStringList{QStringLiteral("Требуется перезапустить программу")});
    EXPECT_EQ(readFile(executable), newBytes);
    EXPECT_NE(inodeOf(executable), oldInode);
    EXPECT_EQ(modeOf(executable), 0750u);
    const QString bak = executable + QStringLiteral(".bak.Ver. 0.26.4");
    EXPECT_EQ(readFile(bak), oldBytes);
    EXPECT_EQ(inodeOf(bak), oldInode);
    EXPECT_EQ(filesBeside(),
              (QStringList{QStringLiteral("vestibar"), QStringLiteral("vestibar.bak.Ver. 0.26.4")}));

    char head[4] = {};
    EXPECT_EQ(::pread(running, head, 4, 0), 4);
    EXPECT_EQ(QByteArray(head, 4), QByteArray("\x7f"
                                              "ELF"));
    ::close(running);

    // The first start of the new version removes the old file and asks nothing.
    questions.clear();
    EXPECT_EQ(run(QStringLiteral("Ver. 0.26.4")), UpdateCheck::Outcome::LeftoverRemoved);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(filesBeside(), QStringList{QStringLiteral("vestibar")});
    EXPECT_EQ(run(QStringLiteral("Ver. 0.26.4")), UpdateCheck::Outcome::NoUpdate);
}

TEST_F(UpdateFlow, LeftoverTableOfOlderSwapsIsKept) {
    publish(QStringLiteral("Ver. 0.26.4"));
    const QString twin = executable + QStringLiteral(".bak.Ver. 0.26.41");
    QFile(twin).open(QIODevice::WriteOnly);
    EXPECT_EQ(run(), UpdateCheck::Outcome::LeftoverRemoved);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_FALSE(QFile::exists(twin));
    // The start after that offers the update again.
    EXPECT_EQ(run(kRunning, false), UpdateCheck::Outcome::Declined);
    EXPECT_EQ(questions.size(), 1);
}

TEST_F(UpdateFlow, NoLeavesEverythingAndDownloadsNothing) {
    publish(QStringLiteral("Ver. 0.26.4"));
    originalInode = inodeOf(executable);
    EXPECT_EQ(run(kRunning, false), UpdateCheck::Outcome::Declined);
    expectUntouched();
    EXPECT_EQ(server.requests(), QStringList{kVersionPath});
}

TEST_F(UpdateFlow, BadDownloadsLeaveTheExecutableAndNoTemporaryFile) {
    originalInode = inodeOf(executable);
    const QString label = QStringLiteral("Ver. 0.26.4");
    const QByteArray good = manifestFor(label, newBytes);
    QByteArray wrongHash = good;
    wrongHash.replace(QCryptographicHash::hash(newBytes, QCryptographicHash::Sha256).toHex(),
                      QByteArray(64, 'a'));
    const QByteArray page = "<html><body>update</body></html>";
    const struct {
        const char* what;
        QByteArray exe;
        QByteArray manifest;
    } cases[] = {
        {"wrong hash", newBytes, signedManifest(wrongHash)},
        {"wrong signature", newBytes, signedManifest(good, true)},
        {"wrong label", newBytes, signedManifest(manifestFor(QStringLiteral("Ver. 0.26.5"), newBytes))},
        {"unsigned", newBytes, good},
        {"longer than announced", newBytes + "extra", signedManifest(good)},
        {"not a program", page, signedManifest(manifestFor(label, page))},
    };
    for (const auto& c : cases) {
        failures.clear();
        publish(label, c.exe, c.manifest);
        EXPECT_EQ(run(), UpdateCheck::Outcome::Failed) << c.what;
        EXPECT_EQ(failures.size(), 1) << c.what;
        EXPECT_TRUE(restartTexts.isEmpty()) << c.what;
        expectUntouched();
    }
    server.put(kManifestPath, QByteArray());
    QFile::remove(server.root() + kManifestPath);
    EXPECT_EQ(run(), UpdateCheck::Outcome::Failed); // 404
    expectUntouched();
}

TEST_F(UpdateFlow, ACutDownloadIsNotSwappedIn) {
    HttpsTestServer cutting({false, kExecutablePath});
    ASSERT_TRUE(cutting.started());
    const QString label = QStringLiteral("Ver. 0.26.4");
    cutting.put(kVersionPath, label.toLatin1());
    cutting.put(kExecutablePath, newBytes);
    cutting.put(kManifestPath, signedManifest(manifestFor(label, newBytes)));
    UpdateConfig c = config();
    c.baseUrl = QUrl(cutting.baseUrl());
    originalInode = inodeOf(executable);
    EXPECT_EQ(run(kRunning, true, c), UpdateCheck::Outcome::Failed);
    EXPECT_EQ(failures.size(), 1);
    expectUntouched();
}

TEST_F(UpdateFlow, PlainHttpIsNeverRequested) {
    publish(QStringLiteral("Ver. 0.26.4"));
    UpdateConfig c = config();
    c.baseUrl = QUrl(server.baseUrl().replace(QStringLiteral("https://"), QStringLiteral("http://")));
    EXPECT_EQ(run(kRunning, true, c), UpdateCheck::Outcome::Insecure);
    QTest::qWait(200);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(questions.isEmpty());

    // The HTTP client refuses it as well.
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QObject context;
    HttpReply reply;
    bool done = false;
    http.get(QUrl(c.versionUrl()), sink, 100, &context, [&](const HttpReply& r) {
        reply = r;
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    EXPECT_FALSE(reply.error.isEmpty());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(UpdateFlow, AServerWithoutOurCertificateIsNotTrusted) {
    publish(QStringLiteral("Ver. 0.26.4"));
    UpdateConfig c = config();
    c.ca = QSslCertificate::fromPath(TestKeys::shared().otherCaCertificate());
    QtUpdateHttp strict;
    strict.setExtraCaCertificates(c.ca);
    UpdateCheck check(c, strict, kRunning, [&](const QString&) { return true; });
    QSignalSpy done(&check, &UpdateCheck::finished);
    check.start();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(done.first().first().value<UpdateCheck::Outcome>(), UpdateCheck::Outcome::NoAnswer);
}

TEST_F(UpdateFlow, ASilentServerDoesNotHoldAnythingUp) {
    HttpsTestServer silent({true, QString()});
    ASSERT_TRUE(silent.started());
    UpdateConfig c = config();
    c.baseUrl = QUrl(silent.baseUrl());
    QElapsedTimer clock;
    clock.start();
    auto check = std::make_unique<UpdateCheck>(c, http, kRunning, [](const QString&) { return true; });
    check->start();
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_TRUE(check->running());
    QTest::qWait(300);
    EXPECT_TRUE(check->running());
    check.reset(); // giving up mid-request is clean
    QTest::qWait(50);
}

TEST_F(UpdateFlow, AFolderThatTakesNoFilesGetsNoOffer) {
    publish(QStringLiteral("Ver. 0.26.4"));
    UpdateConfig c = config();
    c.executable = QStringLiteral("/proc/vestibar-test/vestibar");
    EXPECT_EQ(run(kRunning, true, c), UpdateCheck::Outcome::NotWritable);
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(UpdateFlow, TwoUpdatersAtOnceMakeOneSwap) {
    publish(QStringLiteral("Ver. 0.26.4"));
    int asked = 0;
    UpdateCheck first(config(), http, kRunning, [&](const QString&) { return ++asked, true; });
    UpdateCheck second(config(), http, kRunning, [&](const QString&) { return ++asked, true; });
    QSignalSpy firstDone(&first, &UpdateCheck::finished);
    QSignalSpy secondDone(&second, &UpdateCheck::finished);
    first.start();
    second.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !firstDone.isEmpty() && !secondDone.isEmpty(); }, 20000));
    EXPECT_EQ(firstDone.first().first().value<UpdateCheck::Outcome>(), UpdateCheck::Outcome::Installed);
    EXPECT_EQ(secondDone.first().first().value<UpdateCheck::Outcome>(), UpdateCheck::Outcome::Busy);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(executable), newBytes);
}

TEST_F(UpdateFlow, ABuildWithoutUrlOrKeyChecksNothing) {
    publish(QStringLiteral("Ver. 0.26.4"));
    UpdateConfig noUrl = config();
    noUrl.baseUrl = QUrl();
    EXPECT_EQ(run(kRunning, true, noUrl), UpdateCheck::Outcome::NotConfigured);
    UpdateConfig noKey = config();
    noKey.publicKey.clear();
    EXPECT_EQ(run(kRunning, true, noKey), UpdateCheck::Outcome::NotConfigured);
    EXPECT_TRUE(server.requests().isEmpty());
}
