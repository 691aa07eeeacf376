#pragma once

#include "app/SessionTable.h"
#include "tree/ObjectTreeModel.h"
#include "tree/SelectInTreeVieew.h"
#include "ui/GeneralServices.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

struct RunDatabase;
class Dialogs;
class QAction;
class QCheckBox;
class QComboBox;
class QDropEvent;
class QMouseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTextEdit;
class QTimer;
class QToolButton;
class QTreeView;

// The working window: the object tree on the left, the editor of the selected
// object on the right (folded away at start), the status bar below. One window
// serves one client: its attachment, signed-in user, tree and selection are its
// own, so tests can run several in one process. The first one made is fmGeneral.
//
// The window wires widgets to the widget-free rules of src/tree; what other parts
// of the program do (launching, watchers, hotkeys, dialogs, tree editing) goes
// through GeneralServices.
class TfmGeneral : public QMainWindow {
    Q_OBJECT
public:
    TfmGeneral(RunDatabase& db, int userId, Dialogs& dialogs, GeneralServices& services = noGeneralServices(),
               QWidget* parent = nullptr);
    ~TfmGeneral() override;

    RunDatabase& database() const { return m_db; }
    int userId() const { return m_userId; }
    Dialogs& dialogs() const { return m_dialogs; }
    GeneralServices& services() const { return m_services; }
    ObjectTreeModel& treeModel() { return m_tree; }
    ClientSelection& selection() { return m_selection; }
    TSessionTable& sessionTable() { return MAS_PID_PROCESS; }
    // The sign-in window, which the program's own close closes (ending the run).
    void setSignInWindow(QWidget* signIn) { m_signIn = signIn; }

    // Panel 0 holds the version label that the update check compares.
    QLabel* statusPanel(int index) const;
    QTreeView* treeView() const { return TreeView1; }
    QTimer* timer1() const { return Timer1; }
    bool isEditorFolded() const { return visible_menu; }

    // --- for the other parts of the program ---------------------------------------
    TreeNode* selectedNode() const;
    // Makes node the selected one and scrolls to it, without loading it.
    void selectNode(TreeNode* node);
    // One line in the trace log on the "Пароли" tab.
    void appendTrace(const QString& line);
    // The picture the next save writes (the icon picker's choice).
    void setPendingPicture(int imageIndex);
    // Repaints status panel 1 from gperNeedToRestartProgramm.
    void StatusBar1DrawPanel();
    // The program's own close (its exit path, the end of the session): FormClose runs.
    void requestClose();
    // A report of the keyboard hook, handed to the services.
    void WndProc(int wParam, int lParam);

    void BitBtn4Click();
    void ComboBox3Change();
    void TreeView1Click();
    // Whether the tree takes a drop of mime at pos (viewport coordinates): only
    // its own nodes, onto another node that is not below the dragged one.
    bool TreeView1DragOver(const QMimeData* mime, const QPoint& pos) const;
    // Hands such a drop to tree editing; false when it is refused.
    bool TreeView1DragDrop(const QMimeData* mime, const QPoint& pos);
    void ClickCreateObjectOnTreeView();
    void unfoldForNewObject();

    // Selection and saving (GeneralEditor.cpp).
    void IfSelectedObjectOnTreeView();
    void procSelectInTreeViewe();
    void PAST_VARIABLE_IN_COMPONENTS();
    void procSaveDataInBase();
    EditorValues editorValues() const;

    // Key-set selector (GeneralKeySets.cpp).
    void load_login_pass();
    void find_LOGIN_PASS_and_passt_data_to_edits(int perID_LOGIN_PASS, int perDEFAUL_PASS);
    void PastKeyLoginPassToPole();
    // Shows the listed key set with this ID in the box and the fields (the
    // key-set manager's choice when it closes); false when it is not listed.
    bool selectKeySet(int keySetId);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // --- creation and lifecycle (unGeneral.cpp) -----------------------------------
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void FormCanResize();
    void buildTreeAndKeySets();
    void writeWindowHandle();
    void readSessionSettings();
    void setWidthForPanel(int width);
    // Runs one step; a failure shows its text in one box and the next step goes on.
    bool guarded(const std::function<void()>& step);

    // --- building the controls (GeneralLayout.cpp) ---------------------------------
    void buildWindow();
    QWidget* buildLeftColumn();
    QWidget* buildEditorPanel();
    QWidget* buildConnectionTab();
    QGroupBox* buildObjectGroup();
    QGroupBox* buildComputerGroup();
    QGroupBox* buildKeySetGroup();
    QGroupBox* buildProtocolGroup();
    QGroupBox* buildNotesGroup();
    QWidget* buildDiagnosticTab();
    void buildStatusBar();
    void buildMenus();
    void assignPictures();
    void setTabOrderTopToBottom();
    void connectHandlers();

    // --- tree handlers (GeneralTree.cpp) ----------------------------------------------
    void setUpTreeView();
    bool treeMouseEvent(QMouseEvent* event);
    bool treeDropEvent(QDropEvent* event);
    TreeNode* dropTarget(const QMimeData* mime, const QPoint& pos) const;
    void TreeView1DblClick();
    void N6Click();
    void N7Click();

    // --- editor (GeneralEditor.cpp) ---------------------------------------------------
    void RadioButton3Click();
    void RadioButton4Click();
    void showAddressChoice(int choice);
    void showProtocol(int protocol);
    void showPicture(int imageIndex);
    void showNotes(const QByteArray& stored);
    QByteArray notesToStore() const;
    void Image1Click();
    void showSaveOutcome(const SaveOutcome& outcome);

    // --- key-set selector (GeneralKeySets.cpp) ------------------------------------
    void fillKeySetBox();
    void ComboBox1Change();
    void ComboBox1KeyUp();
    void BitBtn8MouseDown();
    void BitBtn8MouseUp();
    void BitBtn6Click();
    void BitBtn12Click();

    // --- diagnostic tab (GeneralDiagnostics.cpp) ----------------------------------
    void BitBtn7Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void stretchDiagnosticButtons();

    RunDatabase& m_db;
    int m_userId;
    Dialogs& m_dialogs;
    GeneralServices& m_services;
    QPointer<QWidget> m_signIn;
    ObjectTreeModel m_tree;
    ClientSelection m_selection;
    TSessionTable MAS_PID_PROCESS;

    bool visible_menu = false; // true while the editor panel is folded away
    int start_tab_sheet2 = 0;
    bool DOUBLECLICK = false;
    bool m_closeRequested = false;
    bool m_closed = false;
    bool m_shownOnce = false;
    QByteArray m_loadedNotes; // as stored, for an unedited save
    int m_diagnosticButtonsRight = 0;

    // Controls, named as the program names them.
    QLineEdit* Edit_SearchInTreeView = nullptr;
    QPushButton* BitBtn11 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QTreeView* TreeView1 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QToolButton* Image1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn12 = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QGroupBox* GroupBox8 = nullptr;
    QPushButton* BtnBold = nullptr;
    QPushButton* BtnItalic = nullptr;
    QPushButton* BtnUnder = nullptr;
    QPushButton* BtnStrikeout = nullptr;
    QToolButton* JvOfficeColorButton1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QPushButton* BtnAlignLeft = nullptr;
    QPushButton* BtnAlignCentr = nullptr;
    QPushButton* BtnAlignRight = nullptr;
    QTextEdit* RichEditNotes = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QPushButton* Button1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* m_panels[3] = {};
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* N6 = nullptr;
    QAction* N7 = nullptr;
    QAction* N3 = nullptr;
    QAction* N1 = nullptr;
    QAction* N4 = nullptr;
    QAction* N5 = nullptr;
    QAction* N8 = nullptr;
    QAction* N2 = nullptr;
    QAction* N9 = nullptr;  // the history of the selected object (Ctrl+H)
    QAction* N10 = nullptr; // the history of the whole tree
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
};

extern TfmGeneral* fmGeneral;

inline const QString kProgramVersionLabel = QStringLiteral("Ver. 0.26.3");

// Sets gperNeedToRestartProgramm and repaints the main window's status panel.
void setNeedToRestartProgramm(const QString& text);

// The window width with the editor panel folded away and shown.
inline constexpr int kFoldedWidth = 305;
inline constexpr int kUnfoldedWidth = 800;
