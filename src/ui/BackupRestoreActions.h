#pragma once

#include "db/Backup.h"
#include "db/BackupRunner.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>

class BackupProgressPanel;
class Dialogs;
class QComboBox;
class QWidget;

// The values of the settings tab at the moment of a click.
struct BackupTabValues {
    QString host;     // Edit4
    QString user;     // Edit2
    QString password; // Edit3
    QString database; // Edit1
    QString backupFolder;
    QString restoreFolder;
    QString chosenBackup; // ComboSelectBackupFile
};

// The backup and restore handlers of the settings tab. One job runs at a time,
// on a thread of its own; meanwhile the given controls are disabled and the
// window refuses to close. The end, or the server's error, is shown on the panel.
class BackupRestoreActions : public QObject {
    Q_OBJECT
public:
    BackupRestoreActions(QWidget* window, Dialogs& dialogs, BackupProgressPanel* panel);
    ~BackupRestoreActions() override;

    void setControlsToDisable(const QVector<QWidget*>& controls);
    // The database the program is connected to; a restore never goes onto it.
    void setConnectedDatabase(std::function<std::optional<ServerPath>()> connected);
    void setClock(std::function<QDateTime()> now);
    // Whether the server's folders are this machine's (tests pretend otherwise).
    void setServerIsThisMachine(std::function<bool(const QString& host)> local);

    void backup(const BackupTabValues& values);
    void restore(const BackupTabValues& values);
    bool busy() const { return m_runner.busy(); }

    // Refills the list with the backups in folder, when the server is this
    // machine; nothing is chosen afterwards.
    static void LoadListofBackupFiles(QComboBox* list, const QString& folder, const QString& host);
    static bool serverIsThisMachine(const QString& host);

signals:
    void backupMade(const QString& backupFile);
    void restored(const QString& database);
    void busyChanged(bool busy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool checkServerFields(const BackupTabValues& values);
    ServiceJob jobFor(const BackupTabValues& values, ServiceJob::Kind kind) const;
    void run(const ServiceJob& job, const QString& title);
    void onFinished(bool ok, const QString& errorText, bool targetExists);
    void setBusy(bool busy);
    bool askReplace(const QString& target);
    bool backupNameTaken(const QString& folder, const QString& name, bool local) const;

    QPointer<QWidget> m_window;
    Dialogs& m_dialogs;
    QPointer<BackupProgressPanel> m_panel;
    QVector<QPointer<QWidget>> m_controls;
    std::function<std::optional<ServerPath>()> m_connected;
    std::function<QDateTime()> m_now;
    std::function<bool(const QString&)> m_isLocal;
    BackupRunner m_runner;
    ServiceJob m_job;
    QString m_jobFolder; // where the server writes
    bool m_jobLocal = false;
    QSet<QString> m_madeThisRun; // for servers whose folders we cannot see
};
