#include "db/Backup.h"

#include "app/RunDatabase.h"
#include "fb/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <algorithm>
#include <sys/stat.h>

QString replaceQuestion(const QString& target) {
    return QStringLiteral("Файл %1 уже существует. Заменить?").arg(target);
}

QString backupDoneText(const QString& backupFile) {
    return QStringLiteral("Бэкап создан: %1").arg(backupFile);
}

QString restoreDoneText(const QString& database) {
    return QStringLiteral("База восстановлена: %1").arg(database);
}

QString backupFileName(const QDateTime& when) {
    return QStringLiteral("backup_") + when.toString(QStringLiteral("dd_MM_yyyy_HH_mm")) + kBackupExtension;
}

namespace {

bool endsWithSeparator(const QString& path) {
    return path.endsWith(u'/') || path.endsWith(u'\\');
}

QString withSuffix(const QString& name, int number) {
    return number < 2 ? name
                      : name.left(name.size() - kBackupExtension.size()) + QStringLiteral("_%1").arg(number) +
                            kBackupExtension;
}

} // namespace

QString joinServerPath(const QString& folder, const QString& name) {
    if (folder.isEmpty() || endsWithSeparator(folder))
        return folder + name;
    const QChar separator = folder.contains(u'\\') ? u'\\' : u'/';
    return folder + separator + name;
}

QString freeBackupFileName(const QDateTime& when, const std::function<bool(const QString&)>& taken) {
    const QString base = backupFileName(when);
    for (int number = 1;; ++number) {
        const QString candidate = withSuffix(base, number);
        if (!taken || !taken(candidate))
            return candidate;
    }
}

bool CreateDirEx(const QString& Dir) {
    QString folder = Dir;
    while (endsWithSeparator(folder))
        folder.chop(1);
    if (folder.isEmpty())
        return false;
    return QDir().mkpath(folder);
}

bool makeServerFolder(const QString& folder) {
    if (QDir(folder).exists())
        return true;
    if (!CreateDirEx(folder))
        return false;
    // rwx for us, -wx with the sticky bit for the server's account: it may create
    // its files here, nobody else sees or removes ours.
    return ::chmod(QFile::encodeName(folder).constData(), 01733) == 0;
}

QString explainServerError(const QString& serverText, const QString& folder, bool serverIsLocal) {
    // gbak's words for a file it may not create: its own, or the system's.
    static const QString refusals[] = {QStringLiteral("Permission denied"),
                                       QStringLiteral("cannot open backup file"),
                                       QStringLiteral("Error while trying to create file")};
    const bool refused = std::any_of(std::begin(refusals), std::end(refusals), [&](const QString& r) {
        return serverText.contains(r, Qt::CaseInsensitive);
    });
    if (!serverIsLocal || !refused)
        return serverText;
    return serverText +
           QStringLiteral("\n\nСервер баз данных работает от имени своей учётной записи: дайте ей право "
                          "записи в папку %1")
               .arg(folder);
}

bool lessInNtfsOrder(const QString& a, const QString& b) {
    // NTFS keeps a folder's names in a tree ordered by their UTF-16 code units
    // after a one-to-one upper-casing; names equal that way cannot both exist
    // there, so the exact name breaks the tie here.
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t ua = a.at(i).toUpper().unicode();
        const char16_t ub = b.at(i).toUpper().unicode();
        if (ua != ub)
            return ua < ub;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

QStringList LoadListofBackupFiles(const QString& folder) {
    if (folder.trimmed().isEmpty())
        return {};
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*") + kBackupExtension});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Unsorted);
    QStringList names = dir.entryList();
    std::sort(names.begin(), names.end(), lessInNtfsOrder);
    return names;
}

QString defaultBackupFolder() {
    return QDir::currentPath() + QStringLiteral("/backup/");
}

QString defaultRestoreFolder() {
    return QDir::currentPath() + QStringLiteral("/restore/");
}

bool isBareBackupName(const QString& name) {
    if (!name.endsWith(kBackupExtension, Qt::CaseInsensitive))
        return false;
    const QString stem = name.left(name.size() - kBackupExtension.size());
    if (stem.isEmpty() || stem.trimmed() != stem)
        return false;
    static const QRegularExpression onlyDots(QStringLiteral("^\\.+$"));
    if (onlyDots.match(stem).hasMatch())
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString restoredDatabaseName(const QString& backupName) {
    return backupName.left(backupName.size() - kBackupExtension.size()) + kDatabaseExtension;
}

namespace {

QString normalHost(const QString& host) {
    QString h = host.trimmed().toLower();
    while (h.endsWith(u'.'))
        h.chop(1);
    if (h.startsWith(u'[') && h.endsWith(u']'))
        h = h.mid(1, h.size() - 2);
    return h;
}

bool isLoopback(const QString& h) {
    return h == u"localhost" || h == u"localhost.localdomain" || h == u"::1" ||
           h.startsWith(QStringLiteral("127."));
}

bool isWindowsStyle(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    return path.contains(u'\\') || drive.match(path).hasMatch();
}

QString normalPath(const QString& path) {
    QString p = path.trimmed();
    const bool windows = isWindowsStyle(p);
    p.replace(u'\\', u'/');
    p = QDir::cleanPath(p);
    return windows ? p.toLower() : p;
}

} // namespace

bool isLocalServer(const QString& host, const QStringList& thisMachineAddresses) {
    const QString h = normalHost(host);
    if (h.isEmpty())
        return false;
    if (isLoopback(h))
        return true;
    for (const QString& address : thisMachineAddresses) {
        if (normalHost(address) == h)
            return true;
    }
    const QString machine = normalHost(QSysInfo::machineHostName());
    return !machine.isEmpty() && (h == machine || h.section(u'.', 0, 0) == machine.section(u'.', 0, 0));
}

ServerPath splitDatabaseName(const QString& name) {
    const qsizetype colon = name.indexOf(u':');
    // "C:\base.fdb" names a local file, not the host "C".
    if (colon < 0 || (colon == 1 && name.size() > 2 && (name.at(2) == u'\\' || name.at(2) == u'/')))
        return {QString(), name};
    return {name.left(colon), name.mid(colon + 1)};
}

std::optional<ServerPath> connectedDatabase() {
    try {
        const fb::Database& db = runDatabase().IBDatabase1;
        if (!db.connected())
            return std::nullopt;
        return splitDatabaseName(db.databaseName());
    } catch (const fb::Error&) {
        return std::nullopt; // no database objects in this run
    }
}

bool sameDatabase(const ServerPath& a, const ServerPath& b) {
    const QString hostA = normalHost(a.host);
    const QString hostB = normalHost(b.host);
    const bool localA = hostA.isEmpty() || isLocalServer(hostA);
    const bool localB = hostB.isEmpty() || isLocalServer(hostB);
    if (localA != localB || (!localA && hostA != hostB))
        return false;
    if (normalPath(a.path) == normalPath(b.path))
        return true;
    if (!localA)
        return false;
    // On this machine a link or a second spelling may lead to the same file.
    const QString realA = QFileInfo(a.path).canonicalFilePath();
    return !realA.isEmpty() && realA == QFileInfo(b.path).canonicalFilePath();
}

RestorePlan planRestore(const RestoreRequest& request, const std::optional<ServerPath>& connected) {
    RestorePlan plan;
    const QString name = request.chosenName.trimmed();
    if (name.isEmpty()) {
        plan.refusal = kMessageChooseBackup;
        return plan;
    }
    if (!isBareBackupName(name)) {
        plan.refusal = kMessageBareBackupName;
        return plan;
    }
    if (request.backupFolder.trimmed().isEmpty()) {
        plan.refusal = kMessageNoBackupFolder;
        return plan;
    }
    if (request.restoreFolder.trimmed().isEmpty()) {
        plan.refusal = kMessageNoRestoreFolder;
        return plan;
    }
    plan.backupFile = joinServerPath(request.backupFolder.trimmed(), name);
    plan.database = joinServerPath(request.restoreFolder.trimmed(), restoredDatabaseName(name));
    if (connected && sameDatabase({request.host, plan.database}, *connected))
        plan.refusal = kMessageConnectedDatabase.arg(plan.database);
    return plan;
}

RestoreStart restoreStartFor(bool targetExists, const std::function<bool()>& userAgreesToReplace) {
    if (!targetExists)
        return RestoreStart::CreateOnly;
    return userAgreesToReplace && userAgreesToReplace() ? RestoreStart::Replace : RestoreStart::Nothing;
}
