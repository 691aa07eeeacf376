#include "ui/GeneralServices.h"

void GeneralServices::TUpdateApp(TfmGeneral&, const QString&) {}
void GeneralServices::POSITION_FORM_ON_MONITOR(QWidget*, int, int) {}
void GeneralServices::BitBtn5Click(TfmGeneral&) {}
void GeneralServices::initialization_hotkey(TfmGeneral&) {}
void GeneralServices::deinitialization_hotkey(TfmGeneral&) {}
void GeneralServices::WndProc(TfmGeneral&, int, int) {}
void GeneralServices::start_potok(TfmGeneral&) {}
void GeneralServices::stop_potok(TfmGeneral&) {}
void GeneralServices::start_potok3(TfmGeneral&) {}
void GeneralServices::stop_potok3(TfmGeneral&) {}
void GeneralServices::Timer1Timer(TfmGeneral&) {}
void GeneralServices::BitBtn1Click(TfmGeneral&) {}
void GeneralServices::Image1Click(TfmGeneral&) {}
void GeneralServices::BitBtn12Click(TfmGeneral&, int) {}
void GeneralServices::CreateObjectOnTreeView(TfmGeneral&) {}
void GeneralServices::DeleteObjectOnTreeView(TfmGeneral&) {}
void GeneralServices::N4Click(TfmGeneral&) {}
void GeneralServices::N5Click(TfmGeneral&) {}
void GeneralServices::TreeView1DragDrop(TfmGeneral&, int, int) {}
void GeneralServices::StartSearchInTreeView(TfmGeneral&, const QString&, bool) {}
void GeneralServices::notesToolbar(TfmGeneral&, const QString&) {}
void GeneralServices::RichEditNotesSelectionChange(TfmGeneral&) {}
void GeneralServices::windowCreated(TfmGeneral&) {}
void GeneralServices::windowClosing(TfmGeneral&) {}

GeneralServices& noGeneralServices() {
    static GeneralServices instance;
    return instance;
}
