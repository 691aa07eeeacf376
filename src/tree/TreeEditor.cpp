#include "tree/TreeEditor.h"

#include "journal/JournalRecords.h"
#include "journal/TableLogs.h"
#include "tree/TreeEditing.h"
#include "tree/TreePatchTarget.h"
#include "tree/TreePatcher.h"

TreeEditor::TreeEditor(RunDatabase& db, TreePatchTarget& tree, int userId, type_ParametersOfEvents* pending)
    : m_db(db), m_tree(tree), m_user(userId), m_pending(pending) {}

template <typename Operation> TreeEditor::Outcome TreeEditor::guarded(Operation&& operation) {
    try {
        return operation();
    } catch (const TreeEditRefused& refused) {
        Outcome outcome;
        outcome.refusal = refused.text();
        return outcome;
    }
}

TreeEditor::Outcome TreeEditor::createObject(int parentId) {
    if (parentId != 0 && !m_tree.contains(parentId))
        return {};
    return guarded([&] {
        const CreatedObject created = createObjectInBase(m_db, parentId);
        m_tree.addChild(parentId, created.id, kNewObjectText, 0);
        insertDataInLOGS(
            m_db, creationRecord(m_user, created.id, parentId, kNewObjectText, m_tree.pathOf(created.id)));
        Outcome outcome;
        outcome.done = true;
        outcome.id = created.id;
        return outcome;
    });
}

TreeEditor::Outcome TreeEditor::deleteObject(int id) {
    if (!m_tree.contains(id))
        return {};
    const QString text = m_tree.textOf(id);
    const QString path = m_tree.pathOf(id);
    return guarded([&] {
        const QVector<int> deleted = deleteSubtreeInBase(m_db, id);
        Outcome outcome;
        if (deleted.isEmpty())
            return outcome; // deleted by someone else, whose entry will patch this tree
        outcome.rebuildTree = !removeDeletedSubtree(m_tree, id, deleted);
        insertDataInLOGS(m_db, deletionRecord(m_user, id, text, path));
        outcome.done = true;
        return outcome;
    });
}

TreeEditor::Outcome TreeEditor::moveObject(int id, int targetId) {
    if (!m_tree.contains(id) || (targetId != 0 && !m_tree.contains(targetId)) || targetId == id ||
        (targetId != 0 && m_tree.isBelow(targetId, id)))
        return {};
    const QString text = m_tree.textOf(id);
    const QString before = m_tree.pathOf(id);
    return guarded([&] {
        moveObjectInBase(m_db, id, targetId);
        m_tree.moveToLastChild(id, targetId);
        const type_ParametersOfEvents record = moveRecord(
            m_user, id, targetId, text, before, targetId == 0 ? QString() : m_tree.pathOf(targetId));
        insertDataInLOGS(m_db, record);
        if (m_pending)
            rebasePendingRecord(*m_pending, m_tree.loadedId(), record);
        Outcome outcome;
        outcome.done = true;
        return outcome;
    });
}
