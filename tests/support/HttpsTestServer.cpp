#include "HttpsTestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace testsupport {

QByteArray runOpenssl(const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("openssl"), arguments);
    const bool done = process.waitForFinished(60000);
    EXPECT_TRUE(done && process.exitCode() == 0) << "openssl " << arguments.join(u' ').toStdString() << ": "
                                                 << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

const TestKeys& TestKeys::shared() {
    static const TestKeys keys;
    return keys;
}

TestKeys::TestKeys() {
    const QString d = m_dir.path();
    const auto ca = [&](const QString& name) {
        runOpenssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-keyout", name + ".key", "-out", name + ".crt", "-subj", "/CN=vestibar test " + name,
                    "-days", "2"},
                   d);
    };
    ca(QStringLiteral("ca"));
    ca(QStringLiteral("other-ca"));
    runOpenssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"},
               d);
    QFile ext(m_dir.filePath(QStringLiteral("server.ext")));
    EXPECT_TRUE(ext.open(QIODevice::WriteOnly));
    ext.write("subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n");
    ext.close();
    runOpenssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
                "-out", "server.crt", "-days", "2", "-extfile", "server.ext"},
               d);
    runOpenssl({"genpkey", "-algorithm", "ed25519", "-out", "sign.key"}, d);
    runOpenssl({"genpkey", "-algorithm", "ed25519", "-out", "other.key"}, d);
    m_publicKey = rawPublicKey(QStringLiteral("sign.key"));
    m_otherKey = rawPublicKey(QStringLiteral("other.key"));
}

QByteArray TestKeys::rawPublicKey(const QString& privateKey) const {
    // The DER form ends with the 32 bytes of the key itself.
    return runOpenssl({"pkey", "-in", privateKey, "-pubout", "-outform", "DER"}, m_dir.path()).right(32);
}

QByteArray TestKeys::signWith(const QString& key, const QByteArray& message) const {
    QTemporaryDir work;
    QFile in(work.filePath(QStringLiteral("message")));
    EXPECT_TRUE(in.open(QIODevice::WriteOnly));
    in.write(message);
    in.close();
    return runOpenssl({"pkeyutl", "-sign", "-inkey", m_dir.filePath(key), "-rawin", "-in", in.fileName()},
                      work.path());
}

QByteArray TestKeys::sign(const QByteArray& message) const {
    return signWith(QStringLiteral("sign.key"), message);
}

QByteArray TestKeys::signWithOtherKey(const QByteArray& message) const {
    return signWith(QStringLiteral("other.key"), message);
}

HttpsTestServer::HttpsTestServer(const Options& options) {
    const TestKeys& keys = TestKeys::shared();
    QStringList arguments = {QStringLiteral(QT_TESTCASE_SOURCEDIR "/support/https_server.py"),
                             QStringLiteral("--root"),
                             m_root.path(),
                             QStringLiteral("--cert"),
                             keys.serverCertificate(),
                             QStringLiteral("--key"),
                             keys.serverKey(),
                             QStringLiteral("--log"),
                             m_work.filePath(QStringLiteral("requests.log"))};
    if (options.silent)
        arguments << QStringLiteral("--silent");
    if (!options.cutPath.isEmpty())
        arguments << QStringLiteral("--cut") << options.cutPath;
    m_process.start(QStringLiteral("python3"), arguments);
    if (!m_process.waitForStarted(10000))
        return;
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
    }
    m_port = m_process.readLine().trimmed().toInt();
    EXPECT_GT(m_port, 0) << m_process.readAllStandardError().toStdString();
}

HttpsTestServer::~HttpsTestServer() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString HttpsTestServer::baseUrl() const {
    return QStringLiteral("https://127.0.0.1:%1").arg(m_port);
}

void HttpsTestServer::put(const QString& path, const QByteArray& bytes) {
    const QString file = m_root.path() + path;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << file.toStdString();
    out.write(bytes);
}

QStringList HttpsTestServer::requests() const {
    QFile log(m_work.filePath(QStringLiteral("requests.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace testsupport
