#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

// Keys made with the openssl tool for one test program: a certificate
// authority, a certificate for 127.0.0.1 signed by it, and an Ed25519 key pair.
class TestKeys {
public:
    static const TestKeys& shared();

    QString caCertificate() const { return m_dir.filePath(QStringLiteral("ca.crt")); }
    QString serverCertificate() const { return m_dir.filePath(QStringLiteral("server.crt")); }
    QString serverKey() const { return m_dir.filePath(QStringLiteral("server.key")); }
    // A second authority nobody should trust.
    QString otherCaCertificate() const { return m_dir.filePath(QStringLiteral("other-ca.crt")); }
    QByteArray publicKey() const { return m_publicKey; }     // 32 raw bytes
    QByteArray otherPublicKey() const { return m_otherKey; } // of a key that signs nothing
    // An Ed25519 signature of message, made by openssl.
    QByteArray sign(const QByteArray& message) const;
    QByteArray signWithOtherKey(const QByteArray& message) const;

private:
    TestKeys();
    QByteArray rawPublicKey(const QString& privateKey) const;
    QByteArray signWith(const QString& key, const QByteArray& message) const;
    QTemporaryDir m_dir;
    QByteArray m_publicKey;
    QByteArray m_otherKey;
};

// Runs "openssl" with arguments in folder; fails the test on an error.
QByteArray runOpenssl(const QStringList& arguments, const QString& folder);

// The HTTPS file server of https_server.py on 127.0.0.1 and a free port.
class HttpsTestServer {
public:
    struct Options {
        bool silent = false;
        QString cutPath; // this path gets only half of its file
    };
    explicit HttpsTestServer(const Options& options);
    HttpsTestServer() : HttpsTestServer(Options{}) {}
    ~HttpsTestServer();

    bool started() const { return m_port > 0; }
    QString baseUrl() const; // https://127.0.0.1:port
    QString root() const { return m_root.path(); }
    // Writes a file to serve at path ("/wp-content/...").
    void put(const QString& path, const QByteArray& bytes);
    // The paths requested so far.
    QStringList requests() const;

private:
    QTemporaryDir m_root;
    QTemporaryDir m_work;
    QProcess m_process;
    int m_port = 0;
};

} // namespace testsupport
