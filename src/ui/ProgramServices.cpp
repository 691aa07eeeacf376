#include "ui/ProgramServices.h"

#include "ui/LaunchServices.h"
#include "ui/SettingsServices.h"
#include "ui/TreeEditServices.h"

ProgramServices::ProgramServices(Dialogs& dialogs)
    : m_launch(std::make_unique<LaunchServices>(dialogs)),
      m_treeEdit(std::make_unique<TreeEditServices>(dialogs)),
      m_settings(std::make_unique<SettingsServices>(dialogs)) {}

ProgramServices::~ProgramServices() = default;

void ProgramServices::TUpdateApp(TfmGeneral& window, const QString& perVersion) {
    m_settings->TUpdateApp(window, perVersion);
}
void ProgramServices::POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION) {
    m_settings->POSITION_FORM_ON_MONITOR(form, perMONITOR, perPOSITION);
}
void ProgramServices::BitBtn5Click(TfmGeneral& window) { m_settings->BitBtn5Click(window); }

void ProgramServices::initialization_hotkey(TfmGeneral& window) { m_launch->initialization_hotkey(window); }
void ProgramServices::deinitialization_hotkey(TfmGeneral& window) { m_launch->deinitialization_hotkey(window); }
void ProgramServices::WndProc(TfmGeneral& window, int wParam, int lParam) {
    m_launch->WndProc(window, wParam, lParam);
}
void ProgramServices::start_potok(TfmGeneral& window) { m_launch->start_potok(window); }
void ProgramServices::stop_potok(TfmGeneral& window) { m_launch->stop_potok(window); }
void ProgramServices::start_potok3(TfmGeneral& window) { m_launch->start_potok3(window); }
void ProgramServices::stop_potok3(TfmGeneral& window) { m_launch->stop_potok3(window); }
void ProgramServices::Timer1Timer(TfmGeneral& window) { m_launch->Timer1Timer(window); }
void ProgramServices::BitBtn1Click(TfmGeneral& window) { m_launch->BitBtn1Click(window); }

void ProgramServices::Image1Click(TfmGeneral& window) { m_settings->Image1Click(window); }
void ProgramServices::BitBtn12Click(TfmGeneral& window, int keySetId) { m_settings->BitBtn12Click(window, keySetId); }

void ProgramServices::CreateObjectOnTreeView(TfmGeneral& window) { m_treeEdit->CreateObjectOnTreeView(window); }
void ProgramServices::DeleteObjectOnTreeView(TfmGeneral& window) { m_treeEdit->DeleteObjectOnTreeView(window); }
void ProgramServices::N4Click(TfmGeneral& window) { m_treeEdit->N4Click(window); }
void ProgramServices::N5Click(TfmGeneral& window) { m_treeEdit->N5Click(window); }
void ProgramServices::TreeView1DragDrop(TfmGeneral& window, int draggedId, int targetId) {
    m_treeEdit->TreeView1DragDrop(window, draggedId, targetId);
}
void ProgramServices::StartSearchInTreeView(TfmGeneral& window, const QString& text, bool again) {
    m_treeEdit->StartSearchInTreeView(window, text, again);
}

void ProgramServices::notesToolbar(TfmGeneral& window, const QString& action) {
    m_settings->notesToolbar(window, action);
}
void ProgramServices::RichEditNotesSelectionChange(TfmGeneral& window) {
    m_settings->RichEditNotesSelectionChange(window);
}

void ProgramServices::windowCreated(TfmGeneral& window) { m_treeEdit->windowCreated(window); }
void ProgramServices::windowClosing(TfmGeneral& window) { m_treeEdit->windowClosing(window); }
