#pragma once

#include "tree/TreePatchTarget.h"

class TfmGeneral;
class TreeNode;

// The main window's tree, selection and editor as patching and tree editing see
// them: nodes by identity through the model's index, the selection of TreeView1
// and the object loaded into the editor.
class WindowTree : public TreePatchTarget {
public:
    explicit WindowTree(TfmGeneral& window) : m_window(window) {}

    bool contains(int id) const override;
    int parentOf(int id) const override;
    QString textOf(int id) const override;
    int iconOf(int id) const override;
    bool isBelow(int id, int ancestorId) const override;
    QVector<int> subtreeOf(int id) const override;
    QString pathOf(int id) const override;
    QVector<int> idsWithPath(const QString& path) const override;

    void addChild(int parentId, int id, const QString& text, int icon) override;
    void setTextAndIcon(int id, const QString& text, int icon) override;
    void moveToLastChild(int id, int newParentId) override;
    void removeSubtree(int id) override;

    int selectedId() const override;
    int loadedId() const override;
    void clearSelection() override;
    void clearLoadedObject() override;

private:
    TreeNode* node(int id) const;

    TfmGeneral& m_window;
};
