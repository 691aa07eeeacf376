#pragma once

#include "update/UpdateVersion.h"

#include <QByteArray>
#include <optional>

// What the update server says about its executable, signed with Ed25519:
//
//   label=Ver. 0.26.4
//   size=123456
//   sha256=<64 hex digits>
//   signature=<base64 of the signature of every byte before this line>
struct UpdateManifest {
    VersionLabel label;
    qint64 size = 0;
    QByteArray sha256; // 32 bytes
};

// The manifest when its signature verifies with publicKey (32 raw bytes) and its
// fields are complete; none otherwise.
std::optional<UpdateManifest> verifyManifest(const QByteArray& body, const QByteArray& publicKey);

bool verifyEd25519(const QByteArray& message, const QByteArray& signature, const QByteArray& publicKey);
