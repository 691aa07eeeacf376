#pragma once

#include "tree/TreeEditor.h"
#include "ui/GeneralServices.h"

class AlertStack;
class Dialogs;
class TreeEditSession;

// Tree editing and following the other copies' changes in the running program.
// Every operation goes through TreeEditor on the window's own attachment, tree,
// selection and signed-in user; refusals are shown in the window's boxes. Each
// window gets a TreeEditSession when it is created, which keeps its tree in step
// with the journal and shows the alerts on the given stack (the program's own
// unless another is passed, as tests do for several clients in one process).
class TreeEditServices : public GeneralServices {
public:
    explicit TreeEditServices(Dialogs& dialogs, AlertStack* alerts = nullptr);

    void CreateObjectOnTreeView(TfmGeneral& window) override;
    void DeleteObjectOnTreeView(TfmGeneral& window) override;
    void N4Click(TfmGeneral& window) override;
    void N5Click(TfmGeneral& window) override;
    void TreeView1DragDrop(TfmGeneral& window, int draggedId, int targetId) override;
    void StartSearchInTreeView(TfmGeneral& window, const QString& text, bool again) override;

    void windowCreated(TfmGeneral& window) override;
    void windowClosing(TfmGeneral& window) override;

    inline static const QString kDeleteQuestion = QStringLiteral("Удалить?");

private:
    TreeEditSession& session(TfmGeneral& window);
    TreeEditor editorFor(TfmGeneral& window);
    // Shows a refusal and builds the tree anew when the operation says so.
    void finish(TfmGeneral& window, const TreeEditor::Outcome& outcome);
    void moveAmongSiblings(TfmGeneral& window, int direction);

    AlertStack& m_alerts;
};
