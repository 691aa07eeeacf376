#include "ui/TreeEditServices.h"

#include "app/RunDatabase.h"
#include "tree/TreeEditing.h"
#include "ui/AlertWindow.h"
#include "ui/Dialogs.h"
#include "ui/TreeEditSession.h"
#include "ui/unGeneral.h"

#include <QTreeView>

// Messages go to each window's own dialogs.
TreeEditServices::TreeEditServices(Dialogs&, AlertStack* alerts)
    : m_alerts(alerts ? *alerts : alertStack()) {}

void TreeEditServices::windowCreated(TfmGeneral& window) {
    session(window).start();
}

void TreeEditServices::windowClosing(TfmGeneral& window) {
    if (TreeEditSession* existing = TreeEditSession::of(window))
        existing->stop();
}

TreeEditSession& TreeEditServices::session(TfmGeneral& window) {
    if (TreeEditSession* existing = TreeEditSession::of(window))
        return *existing;
    return *new TreeEditSession(window, m_alerts);
}

TreeEditor TreeEditServices::editorFor(TfmGeneral& window) {
    return TreeEditor(window.database(), session(window).tree(), window.userId(),
                      &window.selection().gperParametersOfEventsUPDATE);
}

void TreeEditServices::finish(TfmGeneral& window, const TreeEditor::Outcome& outcome) {
    TreeEditSession& s = session(window);
    if (outcome.rebuildTree)
        s.rebuildTree();
    if (!outcome.refusal.isEmpty()) {
        const TreeEditSession::Hold hold(&s);
        window.dialogs().showError(&window, outcome.refusal);
    }
}

void TreeEditServices::CreateObjectOnTreeView(TfmGeneral& window) {
    const TreeNode* selected = window.selectedNode();
    const TreeEditor::Outcome outcome = editorFor(window).createObject(selected ? selected->id() : 0);
    if (outcome.done) {
        window.selectNode(window.treeModel().nodeById(outcome.id));
        window.IfSelectedObjectOnTreeView();
    }
    finish(window, outcome);
}

void TreeEditServices::DeleteObjectOnTreeView(TfmGeneral& window) {
    const TreeNode* selected = window.selectedNode();
    if (!selected)
        return;
    const int id = selected->id(); // the node may go while the question waits
    Dialogs::Answer answer;
    {
        const TreeEditSession::Hold hold(&session(window));
        answer = window.dialogs().askWarning(&window, kDeleteQuestion);
    }
    if (answer != Dialogs::Answer::Yes)
        return;
    finish(window, editorFor(window).deleteObject(id));
}

void TreeEditServices::TreeView1DragDrop(TfmGeneral& window, int draggedId, int targetId) {
    ObjectTreeModel& model = window.treeModel();
    WindowTree& tree = session(window).tree();
    if (!model.contains(draggedId) || !model.contains(targetId))
        return;
    const auto expandAndSelect = [&] {
        const QModelIndex target = model.indexOf(model.nodeById(targetId));
        window.treeView()->expand(target);
        window.treeView()->setCurrentIndex(target);
    };
    if (targetId == draggedId || tree.isBelow(targetId, draggedId)) {
        expandAndSelect();
        return;
    }
    const TreeEditor::Outcome outcome = editorFor(window).moveObject(draggedId, targetId);
    if (outcome.done && model.contains(targetId))
        expandAndSelect();
    finish(window, outcome);
}

void TreeEditServices::N4Click(TfmGeneral& window) {
    moveAmongSiblings(window, -1);
}

void TreeEditServices::N5Click(TfmGeneral& window) {
    moveAmongSiblings(window, +1);
}

// The table first, then the screen; nothing is journalled (the others see the
// new order at their next start).
void TreeEditServices::moveAmongSiblings(TfmGeneral& window, int direction) {
    TreeNode* moved = window.selectedNode();
    if (!moved)
        return;
    ObjectTreeModel& model = window.treeModel();
    const TreeNode* parent = moved->parent();
    const int count = parent ? parent->childCount() : model.topLevelCount();
    const int index = moved->row();
    if (index + direction < 0 || index + direction >= count)
        return;
    QVector<int> siblings;
    siblings.reserve(count);
    for (int row = 0; row < count; ++row)
        siblings << (parent ? parent->child(row) : model.topLevelNode(row))->id();
    TreeNode* other = parent ? parent->child(index + direction) : model.topLevelNode(index + direction);
    TreeEditor::Outcome outcome;
    try {
        outcome.done = moveAmongSiblingsInBase(window.database(), siblings, index, direction);
    } catch (const TreeEditRefused& refused) {
        outcome.refusal = refused.text();
    }
    if (outcome.done)
        model.swapSiblings(moved, other);
    window.treeView()->setFocus();
    window.selectNode(moved);
    finish(window, outcome);
}

void TreeEditServices::StartSearchInTreeView(TfmGeneral& window, const QString& text, bool again) {
    TreeSearch& search = session(window).search();
    const ObjectTreeModel& model = window.treeModel();
    if (TreeNode* hit = again ? search.next(model, text) : search.first(model, text))
        window.selectNode(hit);
}
