#include "update/UpdateManifest.h"

#include <QList>
#include <memory>
#include <openssl/evp.h>

bool verifyEd25519(const QByteArray& message, const QByteArray& signature, const QByteArray& publicKey) {
    if (publicKey.size() != 32 || signature.size() != 64)
        return false;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                    reinterpret_cast<const unsigned char*>(publicKey.constData()), 32),
        &EVP_PKEY_free);
    if (!key)
        return false;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
                            static_cast<size_t>(signature.size()),
                            reinterpret_cast<const unsigned char*>(message.constData()),
                            static_cast<size_t>(message.size())) == 1;
}

std::optional<UpdateManifest> verifyManifest(const QByteArray& body, const QByteArray& publicKey) {
    static const QByteArray marker = "signature=";
    const qsizetype at = body.lastIndexOf("\n" + marker);
    if (at < 0)
        return std::nullopt;
    const QByteArray signedPart = body.left(at + 1);
    const QByteArray signature = QByteArray::fromBase64(body.mid(at + 1 + marker.size()).trimmed());
    if (!verifyEd25519(signedPart, signature, publicKey))
        return std::nullopt;

    UpdateManifest manifest;
    bool haveLabel = false, haveSize = false, haveHash = false;
    for (const QByteArray& raw : signedPart.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray name = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        if (name == "label") {
            const auto label = parseVersionLabel(value);
            if (!label)
                return std::nullopt;
            manifest.label = *label;
            haveLabel = true;
        } else if (name == "size") {
            bool ok = false;
            manifest.size = value.toLongLong(&ok);
            haveSize = ok && manifest.size > 0;
        } else if (name == "sha256") {
            manifest.sha256 = QByteArray::fromHex(value);
            haveHash = value.size() == 64 && manifest.sha256.size() == 32;
        }
    }
    if (!haveLabel || !haveSize || !haveHash)
        return std::nullopt;
    return manifest;
}
