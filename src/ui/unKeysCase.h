#pragma once

#include <QVector>
#include <QWidget>

class Dialogs;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// What the key-set manager needs of the main window.
class KeysCaseHost {
public:
    virtual ~KeysCaseHost() = default;
    // load_login_pass; then, when a key set with this LOGIN_PASS.ID is listed, select
    // it in ComboBox1 and run PastKeyLoginPassToPole. 0: reload only.
    virtual void reloadAndSelectKeySet(int keySetId) = 0;
    // The main window takes no input while the manager exists.
    virtual void setMainWindowEnabled(bool enabled) = 0;
    // The main window itself (nullptr: none shown), which the manager stays above:
    // the main window may be set to stay on top of all windows.
    virtual QWidget* mainWindow() = 0;
};

// One entry of the manager's list.
struct masLOGIN_PASS {
    int id = 0;
    QString name;
    QString login;
    QString pass;     // stored form (encoded)
    int personal = 0; // owner's USER_DB.ID; 0 for a shared key set
};

// "Ключница": the signed-in user's key sets and the shared ones, to add, change and
// delete, with the servers that use each. It has no parent: the main window is
// disabled while it exists, and a disabled parent would disable it too.
class TfmKeysCase : public QWidget {
    Q_OBJECT
public:
    TfmKeysCase(KeysCaseHost& host, Dialogs& dialogs);
    ~TfmKeysCase() override;

    // The main window's button: makes and shows the manager with the key set that is
    // current there (0 for none) selected, and disables the main window. The manager
    // frees itself when it closes.
    static TfmKeysCase* open(KeysCaseHost& host, Dialogs& dialogs, int currentKeySetId);

    // Reloads the list; selects the entry with this id when perID is 0 or more.
    // Returns the list index of the entry with the largest id (0 when there is none).
    int addItemsToListbox(int perID);
    // Hands over to the main window: the key set of list entry idCombobox, or, for
    // -1, the one that was current there when the manager opened.
    void BeforeCloseForm(int idCombobox);

    void FormCreate();
    void listboxKeysClick();
    void listboxKeysDblClick();
    void BitAddClick();
    void BitSaveClick();
    void BitDeleteClick();
    void BtnShowPassMouseDown();
    void BtnShowPassMouseUp();

    const QVector<masLOGIN_PASS>& entries() const { return masLOGINPASS; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QGroupBox* buildKeySetGroup();
    QWidget* buildFields();
    void connectHandlers();
    void centreOnScreen();

    void FormClose();
    int selectedIndex() const;
    bool isEntryIndex(int index) const;
    void clearFields();
    void fillServers(int keySetId);
    QString refusalOfFields() const;
    void reloadAfterStaleRow();

    // Runs a handler's database work; a failure shows its text and returns false.
    template <typename Step> bool guarded(Step&& step);

    KeysCaseHost& m_host;
    Dialogs& m_dialogs;
    QVector<masLOGIN_PASS> masLOGINPASS;
    int m_openedWithId = 0;
    int m_handOverIndex = -1;
    bool m_closed = false;

    QListWidget* listboxKeys = nullptr;
    QListWidget* listServers = nullptr;
    QLineEdit* editName = nullptr;
    QLineEdit* editLogin = nullptr;
    QLineEdit* editPassword = nullptr;
    QPushButton* BtnShowPass = nullptr;
    QCheckBox* CheckPersonal = nullptr;
    QPushButton* BitAdd = nullptr;
    QPushButton* BitDelete = nullptr;
    QPushButton* BitSave = nullptr;
};

// The open manager, if any.
extern TfmKeysCase* fmKeysCase;

inline const QString kKeySetDeletedByOther = QStringLiteral("Набор ключей удалён другим пользователем");
inline const QString kDeleteQuestion = QStringLiteral("Удалить?");
