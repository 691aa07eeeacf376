#pragma once

#include "ui/unKeysCase.h"
#include "ui/unSetings.h"

#include <QPointer>

class TfmGeneral;

// The settings window's view of a main window. The double-press watcher and the
// keyboard hook go through the window's own services, so that the part of the
// program that owns them starts and stops them. Nothing happens once the main
// window is gone.
class GeneralSetingsHost : public SetingsHost {
public:
    explicit GeneralSetingsHost(TfmGeneral& window) : m_window(&window) {}

    TfmGeneral* window() const { return m_window; }

    void applyOnTop(bool on) override;
    void applyTransparency(int value) override;
    void placeMainWindow(int monitor, int position) override;
    void stopDoublePressWatcher() override;
    void startDoublePressWatcher() override;
    void installHotkey() override;
    void removeHotkey() override;
    void restartRequestChanged() override;
    QWidget* mainWindow() override;

private:
    QPointer<TfmGeneral> m_window;
};

// The key-set manager's view of a main window: its key-set box takes the
// manager's choice when the manager closes.
class GeneralKeysCaseHost : public KeysCaseHost {
public:
    explicit GeneralKeysCaseHost(TfmGeneral& window) : m_window(&window) {}

    TfmGeneral* window() const { return m_window; }

    void reloadAndSelectKeySet(int keySetId) override;
    void setMainWindowEnabled(bool enabled) override;
    QWidget* mainWindow() override;

private:
    QPointer<TfmGeneral> m_window;
};
