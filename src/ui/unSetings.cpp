#include "ui/unSetings.h"

#include "app/ConnectionCheck.h"
#include "app/Ini.h"
#include "app/Variable.h"
#include "fb/Error.h"
#include "ui/Dialogs.h"
#include "ui/Placement.h"
#include "ui/SetingsRules.h"
#include "ui/SignIn.h"
#include "ui/TextRules.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <exception>

TfmSetings* fmSetings = nullptr;

namespace {

const QString kBase = QStringLiteral("BASE");
const QString kSetings = QStringLiteral("SETINGS");

} // namespace

TfmSetings::TfmSetings(SetingsHost& host, Dialogs& dialogs)
    : QWidget(nullptr, Qt::Window), m_host(host), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("fmSetings"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmSetings = this;
    buildWindow();
    setUpBackupTab();
    FormCreate();
}

TfmSetings::~TfmSetings() {
    if (fmSetings == this)
        fmSetings = nullptr;
}

void TfmSetings::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

// Closed means gone for the settings button, although the object itself goes later;
// the next opening reads config.ini afresh.
void TfmSetings::FormClose() {
    if (fmSetings == this)
        fmSetings = nullptr;
}

TfmSetings* TfmSetings::showSettings(SetingsHost& host, Dialogs& dialogs) {
    TfmSetings* window = fmSetings;
    if (!window) {
        window = new TfmSetings(host, dialogs);
        keepAbove(window, host.mainWindow());
    }
    window->show();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
}

bool TfmSetings::guarded(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const fb::Error& error) {
        m_dialogs.showError(this, error.text());
    } catch (const std::exception& error) {
        m_dialogs.showError(this, QString::fromUtf8(error.what()));
    }
    return false;
}

bool TfmSetings::refused(const QString& problem) {
    if (problem.isEmpty())
        return false;
    m_dialogs.showInfo(this, problem);
    return true;
}

void TfmSetings::connectHandlers() {
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn8, &QPushButton::clicked, this, [this] { BitBtn8Click(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    for (QRadioButton* radio : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        connect(radio, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
}

// --- opening ----------------------------------------------------------------------------

void TfmSetings::FormCreate() {
    fillConnectionTab();
    fillViewTab();
    fillFunctionsTab();
    guarded([this] { LoadListofBackupFiles(); });
}

void TfmSetings::fillConnectionTab() {
    Edit1->setText(Read_ini_str(kBase, QStringLiteral("PATH")));
    Edit2->setText(Read_ini_str(kBase, QStringLiteral("LOGIN")));
    Edit3->setText(Read_ini_str(kBase, QStringLiteral("PASS")));
    Edit4->setText(Read_ini_str(kBase, QStringLiteral("IP")));
    CheckBox1->setChecked(Read_ini_bool(kBase, QStringLiteral("AUTOCONNECT")));
    EditBackupFolder->setText(shownFolder(Read_ini_str(kSetings, QStringLiteral("BackupFolder")), "backup"));
    EditRestoreFolder->setText(
        shownFolder(Read_ini_str(kSetings, QStringLiteral("RestoreFolder")), "restore"));
}

void TfmSetings::fillViewTab() {
    CheckBox2->setChecked(Read_ini_bool(kSetings, QStringLiteral("ONTOP")));
    {
        // Showing the stored value is not a preview.
        const QSignalBlocker blocker(TrackBar1);
        TrackBar1->setValue(shownTransparency(Read_ini_int(kSetings, QStringLiteral("TRANSPARENCY"))));
    }
    CheckBox3->setChecked(Read_ini_bool(kSetings, QStringLiteral("DOUBLECLICK")));
    Edit10->setText(shownCodeKey(Read_ini_str(kSetings, QStringLiteral("CODEKEY"))));
    Edit11->setText(shownSleep(Read_ini_int(kSetings, QStringLiteral("SLEEP_POTOK"))));
    CheckBox4->setChecked(Read_ini_bool(kSetings, QStringLiteral("SETHOTKEY")));
    Edit13->setText(shownHotkey1(Read_ini_str(kSetings, QStringLiteral("HOTKEY1"))));
    Edit12->setText(shownHotkey2(Read_ini_str(kSetings, QStringLiteral("HOTKEY2"))));
    const bool second = selectsSecond(Read_ini_int(kSetings, QStringLiteral("MONITOR")));
    RadioButton2->setChecked(second);
    RadioButton1->setChecked(!second);
    const bool right = selectsSecond(Read_ini_int(kSetings, QStringLiteral("POSITION")));
    RadioButton4->setChecked(right);
    RadioButton3->setChecked(!right);
}

void TfmSetings::fillFunctionsTab() {
    CheckBox5->setChecked(Read_ini_bool(kSetings, QStringLiteral("CopyPassToBufer")));
    gperBrowserByDefaultBool = Read_ini_bool(kSetings, QStringLiteral("BrowserByDefaultBool"));
    CheckBox6->setChecked(gperBrowserByDefaultBool);
    if (gperBrowserByDefaultBool) {
        grepBrowserByDefaultPath = Read_ini_str(kSetings, QStringLiteral("BrowserByDefaultPath"));
        Edit14->setText(grepBrowserByDefaultPath);
    }
    CheckBox7->setChecked(Read_ini_bool(kSetings, QStringLiteral("ShowEvents")));
}

// --- "Подключение к БД" -------------------------------------------------------------------

QString TfmSetings::connectionTabProblem() const {
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"Путь", Edit1},
        {"Логин", Edit2},
        {"Пароль", Edit3},
        {"IP адрес", Edit4},
        {"Папка для бэкапа БД", EditBackupFolder},
        {"Папка для восстановления БД из бэкапа", EditRestoreFolder},
    };
    for (const auto& [caption, field] : fields) {
        const QString problem = configValueProblem(QString::fromUtf8(caption), field->text());
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

bool TfmSetings::saveConnectionTab() {
    if (refused(connectionTabProblem()))
        return false;
    IniBatch batch;
    batch.str(kBase, QStringLiteral("PATH"), Edit1->text());
    batch.str(kBase, QStringLiteral("LOGIN"), Edit2->text());
    batch.str(kBase, QStringLiteral("PASS"), Edit3->text());
    batch.str(kBase, QStringLiteral("IP"), Edit4->text());
    batch.str(kSetings, QStringLiteral("BackupFolder"), EditBackupFolder->text());
    batch.str(kSetings, QStringLiteral("RestoreFolder"), EditRestoreFolder->text());
    batch.boolean(kBase, QStringLiteral("AUTOCONNECT"), CheckBox1->isChecked());
    return guarded([&batch] { batch.write(); });
}

void TfmSetings::BitBtn1Click() {
    saveConnectionTab();
}

// The run's connection stays as it is: the loaded tree, the key sets and the signed-in
// user belong to its database. The fields are only tried.
void TfmSetings::BitBtn2Click() {
    if (!saveConnectionTab())
        return;
    showConnectionResult();
}

void TfmSetings::showConnectionResult() {
    try {
        const bool sameDatabase = testConnectToBase(readSavedConnection());
        Label5->setText(kStatusConnected);
        Label5->setToolTip(sameDatabase ? QString() : kStatusRestartNeeded);
        if (!sameDatabase) {
            gperNeedToRestartProgramm = kStatusRestartNeeded;
            m_host.restartRequestChanged();
        }
    } catch (const fb::Error& error) {
        Label5->setText(kStatusError);
        Label5->setToolTip(error.text());
    } catch (const std::exception& error) {
        Label5->setText(kStatusError);
        Label5->setToolTip(QString::fromUtf8(error.what()));
    }
}

void TfmSetings::BitBtn8Click() {
    const QString fileName = m_dialogs.openFileName(this);
    if (!fileName.isEmpty())
        Edit1->setText(fileName);
}

// --- "Функционал" -------------------------------------------------------------------------

QString TfmSetings::functionsTabProblem() const {
    if (!CheckBox6->isChecked())
        return {};
    return configValueProblem(QStringLiteral("Браузер по умолчанию"), Edit14->text());
}

void TfmSetings::BitBtn3Click() {
    if (refused(functionsTabProblem()))
        return;
    const bool ownBrowser = CheckBox6->isChecked();
    IniBatch batch;
    batch.boolean(kSetings, QStringLiteral("CopyPassToBufer"), CheckBox5->isChecked());
    batch.boolean(kSetings, QStringLiteral("BrowserByDefaultBool"), ownBrowser);
    if (ownBrowser)
        batch.str(kSetings, QStringLiteral("BrowserByDefaultPath"), Edit14->text());
    batch.boolean(kSetings, QStringLiteral("ShowEvents"), CheckBox7->isChecked());
    if (!guarded([&batch] { batch.write(); }))
        return;
    gperCopyPassToBufer = CheckBox5->isChecked();
    if (ownBrowser)
        grepBrowserByDefaultPath = Edit14->text();
    gperBrowserByDefaultBool = ownBrowser;
    gperShowEvents = CheckBox7->isChecked();
}
