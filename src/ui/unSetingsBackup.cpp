// The backup and restore of the connection tab: the folders, the list of
// backups and the two jobs, which run on a thread of their own.

#include "ui/BackupProgressPanel.h"
#include "ui/BackupRestoreActions.h"
#include "ui/Dialogs.h"
#include "ui/unSetings.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

void TfmSetings::setUpBackupTab() {
    m_backup = new BackupRestoreActions(this, m_dialogs, BackupProgress);
    m_backup->setObjectName(QStringLiteral("BackupRestoreActions"));
    m_backup->setControlsToDisable({BtnBackup, BtnRestore, BtnSelectBackupFolder, BtnSelectRestoreFolder,
                                    EditBackupFolder, EditRestoreFolder, ComboSelectBackupFile});
    connect(m_backup, &BackupRestoreActions::backupMade, this, [this] { LoadListofBackupFiles(); });
    connect(m_backup, &BackupRestoreActions::busyChanged, this, [this](bool busy) {
        // Once the shown panel is in the layout.
        if (busy)
            QTimer::singleShot(0, this, [this] { makeRoomForProgress(); });
    });
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

// The window's own minimum is worked out from the tabs' cached sizes and comes
// out a few pixels short once the panel shows: the fields above it would be
// squeezed. Grow to the size the tab asks for, as far as the screen allows.
void TfmSetings::makeRoomForProgress() {
    if (QLayout* outer = layout())
        outer->activate();
    int need = sizeHint().height();
    if (const QScreen* shown = screen())
        need = std::min(need, shown->availableGeometry().height());
    if (height() < need)
        resize(width(), need);
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
