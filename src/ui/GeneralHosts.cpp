#include "ui/GeneralHosts.h"

#include "ui/Appearance.h"
#include "ui/unGeneral.h"


void GeneralSetingsHost::applyOnTop(bool on) {
    if (m_window)
        ONTOP_form(m_window, on);
}

void GeneralSetingsHost::applyTransparency(int value) {
    if (m_window)
        transparency_form(m_window, value);
}

void GeneralSetingsHost::placeMainWindow(int monitor, int position) {
    if (m_window)
        m_window->services().POSITION_FORM_ON_MONITOR(m_window, monitor, position);
}

void GeneralSetingsHost::stopDoublePressWatcher() {
    if (m_window)
        m_window->services().stop_potok(*m_window);
}

void GeneralSetingsHost::startDoublePressWatcher() {
    if (m_window)
        m_window->services().start_potok(*m_window);
}

void GeneralSetingsHost::installHotkey() {
    if (m_window)
        m_window->services().initialization_hotkey(*m_window);
}

void GeneralSetingsHost::removeHotkey() {
    if (m_window)
        m_window->services().deinitialization_hotkey(*m_window);
}

void GeneralSetingsHost::restartRequestChanged() {
    if (m_window)
        m_window->StatusBar1DrawPanel();
}

QWidget* GeneralSetingsHost::mainWindow() {
    return m_window;
}

// The manager's choice, or the key set current when it opened, is shown again
// after the reload: a reload alone would leave no key set current, and the next
// save of the object would then make a new one.
void GeneralKeysCaseHost::reloadAndSelectKeySet(int keySetId) {
    if (!m_window)
        return;
    m_window->load_login_pass();
    if (keySetId > 0)
        m_window->selectKeySet(keySetId);
}

void GeneralKeysCaseHost::setMainWindowEnabled(bool enabled) {
    if (m_window)
        m_window->setEnabled(enabled);
}

QWidget* GeneralKeysCaseHost::mainWindow() {
    return m_window;
}
