#pragma once

#include "fb/Error.h"
#include "ui/GeneralServices.h"

#include <QStringList>
#include <QWidget>

// Records every call the main window makes to the rest of the program, with its
// arguments; failOn makes one of them throw, as a broken part would.
class FakeGeneralServices : public GeneralServices {
public:
    QStringList calls;
    QString failOn;

    void TUpdateApp(TfmGeneral&, const QString& version) override {
        record(QStringLiteral("TUpdateApp ") + version);
    }
    void POSITION_FORM_ON_MONITOR(QWidget*, int monitor, int position) override {
        record(QStringLiteral("POSITION_FORM_ON_MONITOR %1 %2").arg(monitor).arg(position));
    }
    void BitBtn5Click(TfmGeneral&) override { record(QStringLiteral("BitBtn5Click")); }
    void initialization_hotkey(TfmGeneral&) override { record(QStringLiteral("initialization_hotkey")); }
    void deinitialization_hotkey(TfmGeneral&) override { record(QStringLiteral("deinitialization_hotkey")); }
    void WndProc(TfmGeneral&, int wParam, int lParam) override {
        record(QStringLiteral("WndProc %1 %2").arg(wParam).arg(lParam));
    }
    void start_potok(TfmGeneral&) override { record(QStringLiteral("start_potok")); }
    void stop_potok(TfmGeneral&) override { record(QStringLiteral("stop_potok")); }
    void start_potok3(TfmGeneral&) override { record(QStringLiteral("start_potok3")); }
    void stop_potok3(TfmGeneral&) override { record(QStringLiteral("stop_potok3")); }
    void Timer1Timer(TfmGeneral&) override { record(QStringLiteral("Timer1Timer")); }
    void BitBtn1Click(TfmGeneral&) override { record(QStringLiteral("BitBtn1Click")); }
    void Image1Click(TfmGeneral&) override { record(QStringLiteral("Image1Click")); }
    void BitBtn12Click(TfmGeneral&, int keySetId) override {
        record(QStringLiteral("BitBtn12Click %1").arg(keySetId));
    }
    void CreateObjectOnTreeView(TfmGeneral&) override { record(QStringLiteral("CreateObjectOnTreeView")); }
    void DeleteObjectOnTreeView(TfmGeneral&) override { record(QStringLiteral("DeleteObjectOnTreeView")); }
    void N4Click(TfmGeneral&) override { record(QStringLiteral("N4Click")); }
    void N5Click(TfmGeneral&) override { record(QStringLiteral("N5Click")); }
    void TreeView1DragDrop(TfmGeneral&, int dragged, int target) override {
        record(QStringLiteral("TreeView1DragDrop %1 %2").arg(dragged).arg(target));
    }
    void StartSearchInTreeView(TfmGeneral&, const QString& text, bool again) override {
        record(QStringLiteral("StartSearchInTreeView %1 %2").arg(text).arg(again));
    }
    void notesToolbar(TfmGeneral&, const QString& action) override {
        record(QStringLiteral("notesToolbar ") + action);
    }
    void RichEditNotesSelectionChange(TfmGeneral&) override {
        record(QStringLiteral("RichEditNotesSelectionChange"));
    }

    // The calls whose name starts with prefix.
    QStringList named(const QString& prefix) const {
        QStringList found;
        for (const QString& call : calls) {
            if (call.startsWith(prefix))
                found << call;
        }
        return found;
    }

private:
    void record(const QString& call) {
        calls << call;
        if (!failOn.isEmpty() && call.startsWith(failOn))
            throw fb::Error(QStringLiteral("%1 failed").arg(failOn));
    }
};
