#include "ui/BackupRestoreActions.h"

#include "ui/BackupProgressPanel.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QWidget>

namespace {

const QString kMessageNoServer = QStringLiteral("Укажите IP адрес сервера");
const QString kMessageNoDatabase = QStringLiteral("Укажите путь к базе данных");

QStringList thisMachineAddresses() {
    QStringList addresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        addresses << address.toString();
    return addresses;
}

} // namespace

BackupRestoreActions::BackupRestoreActions(QWidget* window, Dialogs& dialogs, BackupProgressPanel* panel)
    : QObject(window), m_window(window), m_dialogs(dialogs), m_panel(panel), m_connected(&connectedDatabase),
      m_now(&QDateTime::currentDateTime), m_isLocal(&BackupRestoreActions::serverIsThisMachine) {
    connect(&m_runner, &BackupRunner::line, this, [this](const QString& line) {
        if (m_panel)
            m_panel->addLine(line);
    });
    connect(&m_runner, &BackupRunner::finished, this, &BackupRestoreActions::onFinished);
    if (window)
        window->installEventFilter(this);
}

BackupRestoreActions::~BackupRestoreActions() {
    // The server cannot be stopped; stop reading and wait for our thread only.
    m_runner.stop();
}

void BackupRestoreActions::setControlsToDisable(const QVector<QWidget*>& controls) {
    m_controls.clear();
    for (QWidget* w : controls)
        m_controls << w;
}

void BackupRestoreActions::setConnectedDatabase(std::function<std::optional<ServerPath>()> connected) {
    m_connected = std::move(connected);
}

void BackupRestoreActions::setClock(std::function<QDateTime()> now) {
    m_now = std::move(now);
}

void BackupRestoreActions::setServerIsThisMachine(std::function<bool(const QString&)> local) {
    m_isLocal = std::move(local);
}

bool BackupRestoreActions::serverIsThisMachine(const QString& host) {
    return isLocalServer(host, thisMachineAddresses());
}

void BackupRestoreActions::LoadListofBackupFiles(QComboBox* list, const QString& folder,
                                                 const QString& host) {
    list->clear();
    list->clearEditText();
    if (serverIsThisMachine(host))
        list->addItems(::LoadListofBackupFiles(folder));
    list->setCurrentIndex(-1);
    list->clearEditText();
}

bool BackupRestoreActions::checkServerFields(const BackupTabValues& values) {
    if (values.host.trimmed().isEmpty()) {
        m_dialogs.showError(m_window, kMessageNoServer);
        return false;
    }
    return true;
}

ServiceJob BackupRestoreActions::jobFor(const BackupTabValues& values, ServiceJob::Kind kind) const {
    ServiceJob job;
    job.kind = kind;
    job.host = values.host.trimmed();
    job.user = values.user.trimmed();
    job.password = values.password.trimmed();
    job.progressInterval = BackupRunner::kDefaultProgressInterval;
    return job;
}

bool BackupRestoreActions::backupNameTaken(const QString& folder, const QString& name, bool local) const {
    const QString path = joinServerPath(folder, name);
    return m_madeThisRun.contains(path) || (local && QFileInfo::exists(path));
}

void BackupRestoreActions::backup(const BackupTabValues& values) {
    if (busy() || !checkServerFields(values))
        return;
    const QString folder = values.backupFolder.trimmed();
    if (folder.isEmpty()) {
        m_dialogs.showError(m_window, kMessageNoBackupFolder);
        return;
    }
    if (values.database.trimmed().isEmpty()) {
        m_dialogs.showError(m_window, kMessageNoDatabase);
        return;
    }
    const bool local = m_isLocal(values.host);
    if (local)
        makeServerFolder(folder); // a folder that cannot be made is the server's error below
    const QString name = freeBackupFileName(
        m_now(), [&](const QString& candidate) { return backupNameTaken(folder, candidate, local); });

    ServiceJob job = jobFor(values, ServiceJob::Kind::Backup);
    job.database = values.database.trimmed();
    job.backupFile = joinServerPath(folder, name);
    m_jobFolder = folder;
    m_jobLocal = local;
    m_madeThisRun.insert(job.backupFile);
    run(job, QStringLiteral("Бэкап в %1").arg(job.backupFile));
}

bool BackupRestoreActions::askReplace(const QString& target) {
    return m_dialogs.askWarning(m_window, replaceQuestion(target)) == Dialogs::Answer::Yes;
}

void BackupRestoreActions::restore(const BackupTabValues& values) {
    if (busy() || !checkServerFields(values))
        return;
    const RestorePlan plan = planRestore(
        {values.host, values.backupFolder, values.restoreFolder, values.chosenBackup}, m_connected());
    if (!plan.refusal.isEmpty()) {
        m_dialogs.showError(m_window, plan.refusal);
        return;
    }
    const bool local = m_isLocal(values.host);
    if (local)
        makeServerFolder(values.restoreFolder.trimmed());
    // Where we can see the target, ask before anything starts; elsewhere the
    // server's refusal to create it asks (onFinished).
    const RestoreStart start =
        restoreStartFor(local && QFileInfo::exists(plan.database), [&] { return askReplace(plan.database); });
    if (start == RestoreStart::Nothing)
        return;

    ServiceJob job = jobFor(values, ServiceJob::Kind::Restore);
    job.backupFile = plan.backupFile;
    job.database = plan.database;
    job.replace = start == RestoreStart::Replace;
    m_jobFolder = values.restoreFolder.trimmed();
    m_jobLocal = local;
    run(job, QStringLiteral("Восстановление %1 в %2").arg(job.backupFile, job.database));
}

void BackupRestoreActions::run(const ServiceJob& job, const QString& title) {
    m_job = job;
    if (m_panel)
        m_panel->begin(title);
    if (m_runner.start(job))
        setBusy(true);
}

void BackupRestoreActions::onFinished(bool ok, const QString& errorText, bool targetExists) {
    setBusy(false);
    const bool restoring = m_job.kind == ServiceJob::Kind::Restore;
    if (!ok && restoring && targetExists && !m_job.replace) {
        if (m_panel)
            m_panel->finish(false, errorText);
        if (restoreStartFor(true, [&] { return askReplace(m_job.database); }) == RestoreStart::Replace) {
            ServiceJob again = m_job;
            again.replace = true;
            run(again, QStringLiteral("Восстановление %1 в %2").arg(again.backupFile, again.database));
        }
        return;
    }
    if (!ok) {
        const QString shown = explainServerError(errorText, m_jobFolder, m_jobLocal);
        if (m_panel)
            m_panel->finish(false, shown);
        m_dialogs.showError(m_window, shown);
        return;
    }
    const QString done = restoring ? restoreDoneText(m_job.database) : backupDoneText(m_job.backupFile);
    if (m_panel)
        m_panel->finish(true, done);
    if (restoring)
        emit restored(m_job.database);
    else
        emit backupMade(m_job.backupFile);
}

void BackupRestoreActions::setBusy(bool busy) {
    for (const QPointer<QWidget>& w : m_controls) {
        if (w)
            w->setEnabled(!busy);
    }
    emit busyChanged(busy);
}

bool BackupRestoreActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Close && busy()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
