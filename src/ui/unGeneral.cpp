#include "ui/unGeneral.h"

#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "fb/Error.h"
#include "tree/TreeLoading.h"
#include "ui/Appearance.h"
#include "ui/Dialogs.h"
#include "ui/Icons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <exception>

TfmGeneral* fmGeneral = nullptr;

namespace {

const QString kSettings = QStringLiteral("SETINGS");

} // namespace

TfmGeneral::TfmGeneral(RunDatabase& db, int userId, Dialogs& dialogs, GeneralServices& services,
                       QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_db(db), m_userId(userId), m_dialogs(dialogs), m_services(services) {
    // The run's own window; further ones (other clients in a test) leave it be.
    if (!fmGeneral)
        fmGeneral = this;
    setObjectName(QStringLiteral("fmGeneral"));
    m_tree.setIcons(treeIcons());
    buildWindow();
    FormCreate();
    // The session manager ends the run: that is the program's own close, not the user's.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_closeRequested = true; });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!m_closed)
            FormClose();
    });
}

TfmGeneral::~TfmGeneral() {
    FormDestroy();
    if (fmGeneral == this)
        fmGeneral = nullptr;
}

bool TfmGeneral::guarded(const std::function<void()>& step) {
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

// --- creation ----------------------------------------------------------------------

// Each step is guarded on its own: one that fails shows its error and the rest
// still run, so a failed setting never leaves the user without a tree. The update
// check waits until the window is on screen (showEvent).
void TfmGeneral::FormCreate() {
    guarded([this] {
        ONTOP_form(this, Read_ini_bool(kSettings, QStringLiteral("ONTOP")));
        transparency_form(this, Read_ini_int(kSettings, QStringLiteral("TRANSPARENCY")));
    });
    start_tab_sheet2 = TabSheet2->width();
    guarded([] { gperCopyPassToBufer = Read_ini_bool(kSettings, QStringLiteral("CopyPassToBufer")); });
    guarded([this] {
        DOUBLECLICK = Read_ini_bool(kSettings, QStringLiteral("DOUBLECLICK"));
        if (DOUBLECLICK)
            m_services.start_potok(*this);
    });
    guarded([this] { m_services.start_potok3(*this); });
    visible_menu = false;
    guarded([] {
        gperMONITOR = Read_ini_int(kSettings, QStringLiteral("MONITOR"));
        gperPOSITION = Read_ini_int(kSettings, QStringLiteral("POSITION"));
    });
    guarded([this] { BitBtn4Click(); });
    setWindowTitle(QStringLiteral("Vestibar"));
    m_selection.gperComboBoxItemIndex = -1;
    // Before the tree is built: whatever is journalled from here on reaches it.
    guarded([this] { m_services.windowCreated(*this); });
    guarded([this] { buildTreeAndKeySets(); });
    assignPictures();
    guarded([this] {
        if (Read_ini_bool(kSettings, QStringLiteral("SETHOTKEY")))
            m_services.initialization_hotkey(*this);
    });
    guarded([this] { writeWindowHandle(); });
    guarded([this] { readSessionSettings(); });
}

// Steps 11, 13 and 14 belong together: the tree, the session table and the key sets.
void TfmGeneral::buildTreeAndKeySets() {
    UseRunDatabase use(m_db);
    const TreeBuildReport report = Creat_Items_To_Treeviwe(m_db.IBQuery1, m_tree);
    if (const QString line = unplaceableRowsLine(report); !line.isEmpty())
        appendTrace(line);
    MAS_PID_PROCESS.clear();
    load_login_pass();
}

void TfmGeneral::writeWindowHandle() {
    Write_ini_int(QStringLiteral("SETING"), QStringLiteral("HANDLEFORM"), static_cast<int>(winId()));
}

void TfmGeneral::readSessionSettings() {
    gperBrowserByDefaultBool = Read_ini_bool(kSettings, QStringLiteral("BrowserByDefaultBool"));
    if (gperBrowserByDefaultBool)
        grepBrowserByDefaultPath = Read_ini_str(kSettings, QStringLiteral("BrowserByDefaultPath"));
    gperShowEvents = Read_ini_bool(kSettings, QStringLiteral("ShowEvents"));
}

void TfmGeneral::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // After the first paint, so that a slow answer of the update server never
    // keeps the window from coming up.
    QTimer::singleShot(0, this,
                       [this] { guarded([this] { m_services.TUpdateApp(*this, statusPanel(0)->text()); }); });
}

// --- folding -------------------------------------------------------------------------

// The layouts must take in the panel's new state first, or the old minimum
// width would hold the window wide.
void TfmGeneral::setWidthForPanel(int width) {
    if (QLayout* central = centralWidget()->layout())
        central->activate();
    if (QLayout* main = layout())
        main->activate();
    resize(width, height());
}

void TfmGeneral::BitBtn4Click() {
    if (!visible_menu) {
        visible_menu = true;
        GroupBox1->hide();
        BitBtn4->setText(QStringLiteral(">"));
        setWidthForPanel(kFoldedWidth);
    } else {
        visible_menu = false;
        GroupBox1->show();
        BitBtn4->setText(QStringLiteral("<"));
        setWidthForPanel(kUnfoldedWidth);
    }
    m_services.POSITION_FORM_ON_MONITOR(this, gperMONITOR, gperPOSITION);
}

// As the fold button opens the panel, but the window stays where it is.
void TfmGeneral::unfoldForNewObject() {
    visible_menu = false;
    GroupBox1->show();
    BitBtn4->setText(QStringLiteral("<"));
    setWidthForPanel(kUnfoldedWidth);
    Edit1->setFocus();
}

void TfmGeneral::ClickCreateObjectOnTreeView() {
    guarded([this] { m_services.CreateObjectOnTreeView(*this); });
    unfoldForNewObject();
}

// --- closing -----------------------------------------------------------------------

void TfmGeneral::requestClose() {
    m_closeRequested = true;
    close();
}

// The close box and Alt+F4 only minimise: admins keep the window at hand and
// call it back with a hotkey. Only the program's own close request ends the run.
void TfmGeneral::closeEvent(QCloseEvent* event) {
    if (!m_closeRequested) {
        event->ignore();
        showMinimized();
        return;
    }
    FormClose();
    event->accept();
}

void TfmGeneral::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    guarded([this] { m_services.windowClosing(*this); });
    // The watchers read the session table: they stop, and have stopped, before it goes.
    guarded([this] { m_services.stop_potok3(*this); });
    guarded([this] { m_services.stop_potok(*this); });
    MAS_PID_PROCESS.clear();
    guarded([this] { m_services.deinitialization_hotkey(*this); });
    if (m_signIn)
        m_signIn->close();
}

void TfmGeneral::FormDestroy() {
    if (!m_closed)
        guarded([this] { m_services.stop_potok3(*this); });
}

// --- sizes ---------------------------------------------------------------------------

void TfmGeneral::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormCanResize();
    FormResize();
}

void TfmGeneral::FormCanResize() {
    if (Label2)
        Label2->setText(QString::number(width()));
}

void TfmGeneral::FormResize() {
    stretchDiagnosticButtons();
}

// --- status bar -----------------------------------------------------------------------

QLabel* TfmGeneral::statusPanel(int index) const {
    return index >= 0 && index < 3 ? m_panels[index] : nullptr;
}

void TfmGeneral::StatusBar1DrawPanel() {
    m_panels[1]->setText(gperNeedToRestartProgramm);
}

void setNeedToRestartProgramm(const QString& text) {
    gperNeedToRestartProgramm = text;
    if (fmGeneral)
        fmGeneral->StatusBar1DrawPanel();
}

void TfmGeneral::WndProc(int wParam, int lParam) {
    guarded([&] { m_services.WndProc(*this, wParam, lParam); });
}
