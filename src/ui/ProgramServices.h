#pragma once

#include "ui/GeneralServices.h"

#include <memory>

class Dialogs;

// The services of the running program: each method goes to the part that owns
// its concern, so each part stays small and is tested on its own.
//   LaunchServices   - connections, session watchers, hotkeys;
//   TreeEditServices - creating, deleting, moving and searching nodes, following
//                      the other copies' changes;
//   SettingsServices - settings, key-set manager, placement, update check, icon
//                      picker, notes toolbar.
class LaunchServices;
class TreeEditServices;
class SettingsServices;

class ProgramServices : public GeneralServices {
public:
    explicit ProgramServices(Dialogs& dialogs);
    ~ProgramServices() override;

    void TUpdateApp(TfmGeneral& window, const QString& perVersion) override;
    void POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION) override;
    void BitBtn5Click(TfmGeneral& window) override;

    void initialization_hotkey(TfmGeneral& window) override;
    void deinitialization_hotkey(TfmGeneral& window) override;
    void WndProc(TfmGeneral& window, int wParam, int lParam) override;
    void start_potok(TfmGeneral& window) override;
    void stop_potok(TfmGeneral& window) override;
    void start_potok3(TfmGeneral& window) override;
    void stop_potok3(TfmGeneral& window) override;
    void Timer1Timer(TfmGeneral& window) override;
    void BitBtn1Click(TfmGeneral& window) override;

    void Image1Click(TfmGeneral& window) override;
    void BitBtn12Click(TfmGeneral& window, int keySetId) override;

    void CreateObjectOnTreeView(TfmGeneral& window) override;
    void DeleteObjectOnTreeView(TfmGeneral& window) override;
    void N4Click(TfmGeneral& window) override;
    void N5Click(TfmGeneral& window) override;
    void TreeView1DragDrop(TfmGeneral& window, int draggedId, int targetId) override;
    void StartSearchInTreeView(TfmGeneral& window, const QString& text, bool again) override;

    void notesToolbar(TfmGeneral& window, const QString& action) override;
    void RichEditNotesSelectionChange(TfmGeneral& window) override;

    void windowCreated(TfmGeneral& window) override;
    void windowClosing(TfmGeneral& window) override;

private:
    std::unique_ptr<LaunchServices> m_launch;
    std::unique_ptr<TreeEditServices> m_treeEdit;
    std::unique_ptr<SettingsServices> m_settings;
};
