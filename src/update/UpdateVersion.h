#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A release's label, "Ver. N.N.N", as the status bar shows it and version.txt
// holds it.
struct VersionLabel {
    int major = 0;
    int minor = 0;
    int patch = 0;

    QString text() const;
    bool operator==(const VersionLabel&) const = default;
};

// The label in text or in a body from the server: blanks and line breaks around
// it are dropped; anything else that is not exactly "Ver. N.N.N" gives none.
std::optional<VersionLabel> parseVersionLabel(const QString& text);
std::optional<VersionLabel> parseVersionLabel(const QByteArray& body);

bool isNewer(const VersionLabel& offered, const VersionLabel& running);

// iFileName + ".bak." + the label; built from a parsed label only, so that the
// server's text never reaches a path.
QString backupExecutableName(const QString& iFileName, const VersionLabel& label);
