#include "ui/SettingsServices.h"

#include "ui/GeneralHosts.h"
#include "ui/GeneralNotesToolbar.h"
#include "ui/Icons.h"
#include "ui/Placement.h"
#include "ui/UpdateApp.h"
#include "ui/unGeneral.h"
#include "ui/unKeysCase.h"
#include "ui/unSelectIcon.h"
#include "ui/unSetings.h"

#include <algorithm>

struct SettingsServices::Hosts {
    explicit Hosts(TfmGeneral& window) : setings(window), keysCase(window) {}
    GeneralSetingsHost setings;
    GeneralKeysCaseHost keysCase;
};

SettingsServices::SettingsServices(Dialogs& dialogs, UpdateConfig updates, UpdateHttp* http)
    : m_dialogs(dialogs), m_updates(std::move(updates)), m_http(http) {}

// The windows refer to the hosts; they go first. The manager and the picker give
// the main window its input back as they go.
SettingsServices::~SettingsServices() {
    delete m_picker.data();
    delete m_keysCase.data();
    delete m_setings.data();
}

SettingsServices::Hosts& SettingsServices::hostsFor(TfmGeneral& window) {
    const auto found = std::find_if(m_hosts.begin(), m_hosts.end(),
                                    [&window](const auto& hosts) { return hosts->setings.window() == &window; });
    if (found != m_hosts.end())
        return **found;
    return *m_hosts.emplace_back(std::make_unique<Hosts>(window));
}

// After the window is on screen; the answer comes later on the event loop, so an
// update server that is slow or gone never holds up the start, and without an
// answer nothing is said.
void SettingsServices::TUpdateApp(TfmGeneral& window, const QString& perVersion) {
    auto* check = new ::TUpdateApp(perVersion, &window, m_dialogs, m_updates, m_http);
    check->setObjectName(QStringLiteral("TUpdateApp"));
    QPointer<TfmGeneral> shown(&window);
    QObject::connect(check, &::TUpdateApp::restartNeeded, &window, [shown](const QString& text) {
        setNeedToRestartProgramm(text);
        if (shown)
            shown->StatusBar1DrawPanel();
    });
    QObject::connect(check, &::TUpdateApp::finished, check, &QObject::deleteLater);
    check->start();
}

void SettingsServices::POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION) {
    ::POSITION_FORM_ON_MONITOR(form, perMONITOR, perPOSITION);
}

// One settings window at a time; the button brings an open one to the front.
void SettingsServices::BitBtn5Click(TfmGeneral& window) {
    m_setings = TfmSetings::showSettings(hostsFor(window).setings, m_dialogs);
}

// The main window takes no input while the manager is open; its key-set box gets
// the manager's choice when it closes.
void SettingsServices::BitBtn12Click(TfmGeneral& window, int keySetId) {
    if (fmKeysCase) {
        fmKeysCase->raise();
        fmKeysCase->activateWindow();
        return;
    }
    m_keysCase = TfmKeysCase::open(hostsFor(window).keysCase, m_dialogs, keySetId);
}

// The picker opens on the object's own icon (the pending one, if the user chose
// one since the load); the choice shows in the editor and is stored by the next save.
void SettingsServices::Image1Click(TfmGeneral& window) {
    if (fmSelectIcon) {
        fmSelectIcon->raise();
        fmSelectIcon->activateWindow();
        return;
    }
    QPointer<TfmGeneral> owner(&window);
    auto* picker = new TfmSelectIcon(treeIcons(), window.selection().gperServerParametrs2.ID_ICO_TREETABLE);
    picker->setOnClose([owner] {
        if (owner)
            owner->setEnabled(true);
    });
    QObject::connect(picker, &TfmSelectIcon::iconChosen, &window, [owner](int index) {
        if (owner)
            owner->setPendingPicture(index);
    });
    m_picker = picker;
    keepAbove(picker, &window);
    picker->show();
    window.setEnabled(false);
}

void SettingsServices::notesToolbar(TfmGeneral& window, const QString& action) {
    runNotesToolbar(window, action);
}

void SettingsServices::RichEditNotesSelectionChange(TfmGeneral& window) {
    showNotesSelection(window);
}
