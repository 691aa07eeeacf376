#pragma once

#include "app/RunDatabase.h"
#include "app/Variable.h"

#include <QWidget>

class Dialogs;
class GeneralServices;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The first window of the run: it holds the run's database objects, connects
// (creating a new database on request), lists the users, checks a password and
// opens the main window. It lives, hidden after sign-in, until the program ends.
class TfmConnectToBase : public QWidget {
    Q_OBJECT
public:
    explicit TfmConnectToBase(Dialogs& dialogs, QWidget* parent = nullptr);
    // services: what the main window hands to the rest of the program.
    TfmConnectToBase(Dialogs& dialogs, GeneralServices& services, QWidget* parent = nullptr);
    ~TfmConnectToBase() override;

    // Reads config.ini and, when configured, connects and signs in at once. Kept
    // out of the constructor so that tests can prepare config.ini first.
    void start();

    RunDatabase& database() { return db; }
    bool signedIn() const { return m_signedIn; }

    void add_item_in_ComboBox_and_mas_USER_DB();
    // Checks the schema version and opens the main window for the given user.
    void pusk_programmi(int userId);

    void FormCreate();
    void ComboBox1Change();
    void Button1Click();
    void CheckBox3Click();
    void BitBtn2Click();
    void BitBtn1Click();

private:
    void buildWindow();
    QWidget* buildSignInTab();
    QWidget* buildDatabaseTab();
    void centreOnScreen();

    void fillConnectionFieldsFromConfig();
    void connectAutomatically();
    void signInAutomatically();
    bool createDatabaseIfAsked();
    void writeConnectionConfig();
    bool reconnect();
    void closeConnection();
    void rememberForAutomaticSignIn(const type_USER_DB& user);
    int readSchemaVersion();
    bool upgradeAccepted();

    // Runs a step that may fail; a failure shows its text and returns false.
    template <typename Step> bool guarded(Step&& step);

    RunDatabase db;
    Dialogs& m_dialogs;
    GeneralServices* m_services;
    bool m_signedIn = false;
    int ComboBoxItemIndex1 = 0;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QGroupBox* GroupBoxUser = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QPushButton* Button1 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QLabel* Label5 = nullptr;
};

extern TfmConnectToBase* fmConnectToBase;

// Key-press length filter: for an edit box, combo box or memo whose text already
// holds i characters the key is dropped (a null character comes back). Editing
// keys that arrive as control characters, such as Backspace, always pass.
QChar input_string(QWidget* Sender, QChar key, int i);
