#include "platform/ProgramLocator.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString SystemProgramLocator::findProgram(const QString& name, bool besideUsFirst) {
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/')))
        return isExecutableFile(name) ? QFileInfo(name).absoluteFilePath() : QString();
    if (besideUsFirst && QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
        if (isExecutableFile(beside))
            return beside;
    }
    return QStandardPaths::findExecutable(name);
}
