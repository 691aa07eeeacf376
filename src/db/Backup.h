#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The rules of backup and restore that need neither a widget nor the server:
// file names, folders on this machine, and the checks that keep a restore from
// overwriting a database by mistake. Paths are the server's; the folders on this
// machine are only made and listed when the server is this machine.

inline const QString kBackupExtension = QStringLiteral(".fdk");
inline const QString kDatabaseExtension = QStringLiteral(".fdb");

inline const QString kMessageChooseBackup = QStringLiteral("Выберите бэкап для восстановления");
inline const QString kMessageBareBackupName =
    QStringLiteral("Укажите имя файла бэкапа из папки бэкапов: без папок, с расширением \".fdk\"");
inline const QString kMessageNoBackupFolder = QStringLiteral("Укажите папку для бэкапа");
inline const QString kMessageNoRestoreFolder = QStringLiteral("Укажите папку для восстановления");
inline const QString kMessageConnectedDatabase =
    QStringLiteral("Нельзя восстанавливать поверх базы, к которой подключена программа:\n%1");

// "Файл … уже существует. Заменить?"
QString replaceQuestion(const QString& target);
QString backupDoneText(const QString& backupFile);
QString restoreDoneText(const QString& database);

// "backup_" + DD_MM_YYYY_hh_mm of the local time + ".fdk".
QString backupFileName(const QDateTime& when);

// folder + name. The separator is "/" unless the folder uses "\" (a Windows
// server's path); none is added when the folder already ends with one.
QString joinServerPath(const QString& folder, const QString& name);

// The backup name for this minute, with "_2", "_3"... before ".fdk" as long as
// taken(name) says a file of that name is already there.
QString freeBackupFileName(const QDateTime& when, const std::function<bool(const QString& name)>& taken);

// Creates Dir and every missing folder above it; false for an empty Dir or when
// a folder cannot be made.
bool CreateDirEx(const QString& Dir);

// For a server on this machine, which runs under an account of its own: makes
// the missing folders, and lets that account create files in the folder made
// last (without listing it or removing files of others). An existing folder is
// left as it is.
bool makeServerFolder(const QString& folder);
// The server's error, with a hint where it lacked the right to write there.
QString explainServerError(const QString& serverText, const QString& folder, bool serverIsLocal);

// The bare names of the backups in folder: every file matching *.fdk in any
// letter case, hidden ones included, in the order NTFS lists a folder (by the
// upper-cased name).
QStringList LoadListofBackupFiles(const QString& folder);
bool lessInNtfsOrder(const QString& a, const QString& b);

// The folders the settings window shows when none is set.
QString defaultBackupFolder();
QString defaultRestoreFolder();

// A name chosen or typed for a restore: a bare file name ending in ".fdk",
// nothing that reaches into another folder.
bool isBareBackupName(const QString& name);
// backup_27_07_2018_14_05.fdk -> backup_27_07_2018_14_05.fdb
QString restoredDatabaseName(const QString& backupName);

// True when host names this machine, so that its folders are the server's: a
// loopback name or address, this machine's name, or one of its addresses.
bool isLocalServer(const QString& host, const QStringList& thisMachineAddresses = {});

struct ServerPath {
    QString host;
    QString path;
};

// The database this run is attached to, if any ("host:path" split).
std::optional<ServerPath> connectedDatabase();
ServerPath splitDatabaseName(const QString& name);
// Same server and, after normalising, the same file. Windows-style paths
// ("C:\..." or with "\") compare without regard to case.
bool sameDatabase(const ServerPath& a, const ServerPath& b);

struct RestoreRequest {
    QString host;
    QString backupFolder;
    QString restoreFolder;
    QString chosenName; // the text of the backup list
};

struct RestorePlan {
    QString backupFile; // server path
    QString database;   // server path
    QString refusal;    // non-empty: nothing may start, show this
};

// Checks a restore before anything starts: a bare backup name, both folders,
// and never the database the program is connected to.
RestorePlan planRestore(const RestoreRequest& request, const std::optional<ServerPath>& connected);

// How a restore may go on once the target is known to exist (a file of that
// name on this machine, or the server refused to create it): only a Yes to
// replaceQuestion replaces it; any other answer starts nothing.
enum class RestoreStart { CreateOnly, Replace, Nothing };
RestoreStart restoreStartFor(bool targetExists, const std::function<bool()>& userAgreesToReplace);
