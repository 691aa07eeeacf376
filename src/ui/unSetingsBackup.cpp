// The backup and restore of the connection tab: the folders, the list of
// backups and the two jobs, which run on a thread of their own.

#include "ui/BackupProgressPanel.h"
#include "ui/BackupRestoreActions.h"
#include "ui/Dialogs.h"
#include "ui/unSetings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

void TfmSetings::setUpBackupTab() {
    m_backup = new BackupRestoreActions(this, m_dialogs, BackupProgress);
    m_backup->setObjectName(QStringLiteral("BackupRestoreActions"));
    m_backup->setControlsToDisable({BtnBackup, BtnRestore, BtnSelectBackupFolder, BtnSelectRestoreFolder,
                                    EditBackupFolder, EditRestoreFolder, ComboSelectBackupFile});
    connect(m_backup, &BackupRestoreActions::backupMade, this, [this] { LoadListofBackupFiles(); });
    connect(BtnSelectBackupFolder, &QPushButton::clicked, this, [this] { BtnSelectBackupFolderClick(); });
    connect(BtnSelectRestoreFolder, &QPushButton::clicked, this, [this] { BtnSelectRestoreFolderClick(); });
    connect(BtnBackup, &QPushButton::clicked, this, [this] { BtnBackupClick(); });
    connect(BtnRestore, &QPushButton::clicked, this, [this] { BtnRestoreClick(); });
}

// The fields as they stand, saved or not.
BackupTabValues TfmSetings::backupTabValues() const {
    BackupTabValues values;
    values.host = Edit4->text();
    values.user = Edit2->text();
    values.password = Edit3->text();
    values.database = Edit1->text();
    values.backupFolder = EditBackupFolder->text();
    values.restoreFolder = EditRestoreFolder->text();
    values.chosenBackup = ComboSelectBackupFile->currentText();
    return values;
}

bool TfmSetings::backupRunning() const {
    return m_backup && m_backup->busy();
}

void TfmSetings::LoadListofBackupFiles() {
    BackupRestoreActions::LoadListofBackupFiles(ComboSelectBackupFile, EditBackupFolder->text().trimmed(),
                                                Edit4->text().trimmed());
}

void TfmSetings::BtnSelectBackupFolderClick() {
    const QString folder = m_dialogs.folderName(this);
    if (folder.isEmpty())
        return;
    EditBackupFolder->setText(folder);
    LoadListofBackupFiles();
}

void TfmSetings::BtnSelectRestoreFolderClick() {
    const QString folder = m_dialogs.folderName(this);
    if (!folder.isEmpty())
        EditRestoreFolder->setText(folder);
}

void TfmSetings::BtnBackupClick() {
    m_backup->backup(backupTabValues());
}

void TfmSetings::BtnRestoreClick() {
    m_backup->restore(backupTabValues());
}
