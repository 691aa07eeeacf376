#pragma once

#include <QWidget>
#include <functional>

class BackupProgressPanel;
class BackupRestoreActions;
class Dialogs;
class IniBatch;
struct BackupTabValues;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

// What the settings window needs of the main window.
class SetingsHost {
public:
    virtual ~SetingsHost() = default;
    // ONTOP_form on the main window.
    virtual void applyOnTop(bool on) = 0;
    // transparency_form on the main window.
    virtual void applyTransparency(int value) = 0;
    // POSITION_FORM_ON_MONITOR on the main window.
    virtual void placeMainWindow(int monitor, int position) = 0;
    // stop_potok: ends the double-press watcher if one runs; nothing otherwise.
    virtual void stopDoublePressWatcher() = 0;
    // start_potok: a new watcher with CODEKEY and SLEEP_POTOK as config.ini has them.
    virtual void startDoublePressWatcher() = 0;
    // initialization_hotkey (HOTKEY1, HOTKEY2 as config.ini has them) and
    // deinitialization_hotkey.
    virtual void installHotkey() = 0;
    virtual void removeHotkey() = 0;
    // gperNeedToRestartProgramm has changed: show it in the status bar.
    virtual void restartRequestChanged() = 0;
    // The main window itself (nullptr: none shown), which the settings window stays
    // above: the main window may be set to stay on top of all windows.
    virtual QWidget* mainWindow() = 0;
};

// "Настройки": config.ini's connection, look and functions, the program's users and
// passwords, backup and restore. At most one exists; it frees itself on closing.
class TfmSetings : public QWidget {
    Q_OBJECT
public:
    TfmSetings(SetingsHost& host, Dialogs& dialogs);
    ~TfmSetings() override;

    // The main window's settings button: shows the window, making it if there is
    // none, else bringing the open one to the front.
    static TfmSetings* showSettings(SetingsHost& host, Dialogs& dialogs);

    void FormCreate();
    void FormClose();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn8Click();
    void TrackBar1Change();
    void RadioButton1Click();
    void BitBtn5Click();
    void BitBtn3Click();
    void Button2Click();
    void BitBtn4Click();

    // Backup and restore (unSetingsBackup.cpp).
    void BtnSelectBackupFolderClick();
    void BtnSelectRestoreFolderClick();
    void BtnBackupClick();
    void BtnRestoreClick();
    // Refills the backup list from the backup folder field.
    void LoadListofBackupFiles();
    bool backupRunning() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildConnectionTab();
    QGroupBox* buildConnectionGroup(QWidget* tab);
    QGroupBox* buildBackupGroup(QWidget* tab);
    QGroupBox* buildRestoreGroup(QWidget* tab);
    QWidget* buildUpdatesTab();
    QWidget* buildNewUserTab();
    QWidget* buildPasswordTab();
    QWidget* buildViewTab();
    QGroupBox* buildDoublePressGroup(QWidget* tab);
    QGroupBox* buildHotkeyGroup(QWidget* tab);
    QGroupBox* buildPlacementGroup(QWidget* tab);
    QWidget* buildFunctionsTab();
    void connectHandlers();
    void centreOnScreen();

    void fillConnectionTab();
    void fillViewTab();
    void fillFunctionsTab();

    bool saveConnectionTab();
    QString connectionTabProblem() const;
    void showConnectionResult();
    QString viewTabProblem() const;
    void addViewTab(IniBatch& batch) const;
    void applyViewTab();
    QString functionsTabProblem() const;

    void setUpBackupTab();
    BackupTabValues backupTabValues() const;
    void makeRoomForProgress();

    QString newUserProblem() const;
    void changeOwnPassword();

    // Shows a refusal when there is one; true when there was.
    bool refused(const QString& problem);
    // Runs a step that may fail; a failure shows its text and returns false.
    bool guarded(const std::function<void()>& step);

    SetingsHost& m_host;
    Dialogs& m_dialogs;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;
    QWidget* TabSheet6 = nullptr;

    // "Подключение к БД"
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QLineEdit* EditBackupFolder = nullptr;
    QPushButton* BtnSelectBackupFolder = nullptr;
    QPushButton* BtnBackup = nullptr;
    QLineEdit* EditRestoreFolder = nullptr;
    QPushButton* BtnSelectRestoreFolder = nullptr;
    QComboBox* ComboSelectBackupFile = nullptr;
    QPushButton* BtnRestore = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    BackupProgressPanel* BackupProgress = nullptr;
    BackupRestoreActions* m_backup = nullptr;

    // "Обновления"
    QLabel* LabelVersionDB = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    // "Создание пользователей", "Смена пароля"
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QPushButton* Button2 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QPushButton* BitBtn4 = nullptr;

    // "Вид"
    QSlider* TrackBar1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QPushButton* BitBtn5 = nullptr;

    // "Функционал"
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QPushButton* BitBtn3 = nullptr;
};

extern TfmSetings* fmSetings;

inline const QString kStatusRestartNeeded = QStringLiteral("Требуется перезапустить программу");
inline const QString kWrongOldPassword = QStringLiteral("Неверный старый пароль");
inline const QString kPasswordsDiffer = QStringLiteral("Пароли не совпадают");
inline const QString kPasswordChanged = QStringLiteral("Пароль изменен");
inline const QString kUserNotFound = QStringLiteral("Пользователь не найден");
