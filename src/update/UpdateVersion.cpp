#include "update/UpdateVersion.h"

#include <QRegularExpression>
#include <tuple>

QString VersionLabel::text() const {
    return QStringLiteral("Ver. %1.%2.%3").arg(major).arg(minor).arg(patch);
}

std::optional<VersionLabel> parseVersionLabel(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^Ver\\. (\\d{1,6})\\.(\\d{1,6})\\.(\\d{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return VersionLabel{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
}

std::optional<VersionLabel> parseVersionLabel(const QByteArray& body) {
    if (body.size() > 64)
        return std::nullopt; // a page, not a label
    for (const char c : body) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0')
            return std::nullopt;
    }
    return parseVersionLabel(QString::fromLatin1(body));
}

bool isNewer(const VersionLabel& offered, const VersionLabel& running) {
    return std::tie(offered.major, offered.minor, offered.patch) >
           std::tie(running.major, running.minor, running.patch);
}

QString backupExecutableName(const QString& iFileName, const VersionLabel& label) {
    return iFileName + QStringLiteral(".bak.") + label.text();
}
