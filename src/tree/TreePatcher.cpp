#include "tree/TreePatcher.h"

#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "journal/JournalRecords.h"
#include "tree/TreeEditing.h"
#include "tree/TreePatchTarget.h"

#include <QSet>
#include <QStringList>

namespace {

constexpr int kIdsPerStatement = 500;

// Whether any of these rows still exists.
bool anyRowExists(RunDatabase& db, const QVector<int>& ids) {
    for (qsizetype from = 0; from < ids.size(); from += kIdsPerStatement) {
        QStringList parts;
        for (qsizetype i = from; i < qMin<qsizetype>(ids.size(), from + kIdsPerStatement); ++i)
            parts << QString::number(ids[i]);
        fb::Query q(db.IBDatabase1, db.IBTransaction1);
        q.setSql(QStringLiteral("select first 1 ID from TREETABLE where ID in (%1)")
                     .arg(parts.join(QLatin1Char(','))));
        q.open();
        if (!q.eof())
            return true;
    }
    return false;
}

void removeNodes(TreePatchTarget& tree, int id, const QVector<int>& subtree) {
    const QSet<int> removed(subtree.cbegin(), subtree.cend());
    const bool selectionGone = tree.selectedId() != 0 && removed.contains(tree.selectedId());
    const bool loadedGone = tree.loadedId() != 0 && removed.contains(tree.loadedId());
    tree.removeSubtree(id);
    if (selectionGone)
        tree.clearSelection();
    if (loadedGone)
        tree.clearLoadedObject();
}

} // namespace

void TreePatcher::prefetchRows(const QVector<type_ParametersOfEvents>& entries) {
    QVector<int> ids;
    for (const type_ParametersOfEvents& entry : entries) {
        const int id = objectIdOf(entry);
        if (id != 0 && !m_rows.contains(id))
            ids << id;
    }
    const QHash<int, TreeRow> found = readTreeRows(m_db, ids);
    for (int id : ids)
        m_rows.insert(id, found.contains(id) ? std::optional<TreeRow>(found[id]) : std::nullopt);
}

std::optional<TreeRow> TreePatcher::currentRow(int id) {
    const auto known = m_rows.constFind(id);
    if (known != m_rows.cend())
        return *known;
    return readTreeRow(m_db, id);
}

TreePatcher::Result TreePatcher::apply(const type_ParametersOfEvents& entry) {
    switch (entry.Type_) {
    case 1:
        return place(objectIdOf(entry), true);
    case 2:
        return updateTextAndIcon(entry);
    case 3:
        return place(objectIdOf(entry), false);
    case 4:
        return remove(objectIdOf(entry));
    default:
        return Result::Done;
    }
}

TreePatcher::Result TreePatcher::parentNodeMissing(int parentId) {
    // A parent row without a node: its own entry has not been applied yet.
    return currentRow(parentId) ? Result::Unplaced : Result::Done;
}

// Kind 1 adds a missing node; kind 3 also moves a present one. Both put it
// where its row says, so they agree with a fresh build from the table.
TreePatcher::Result TreePatcher::place(int id, bool created) {
    if (id == 0)
        return Result::Done;
    const std::optional<TreeRow> row = currentRow(id);
    if (!row)
        return removeGone(id);
    const int parent = row->ID_PARENT;
    if (parent == id)
        return Result::Done;
    if (m_tree.contains(id)) {
        if (created || m_tree.parentOf(id) == parent)
            return Result::Done;
        if (parent != 0 && !m_tree.contains(parent))
            return parentNodeMissing(parent);
        // Below itself in this tree: an earlier move of the parent has not arrived.
        if (parent != 0 && m_tree.isBelow(parent, id))
            return Result::Unplaced;
        m_tree.moveToLastChild(id, parent);
        return Result::Done;
    }
    if (parent != 0 && !m_tree.contains(parent))
        return parentNodeMissing(parent);
    m_tree.addChild(parent, id, row->TEXT, row->ID_ICO);
    return Result::Done;
}

TreePatcher::Result TreePatcher::updateTextAndIcon(const type_ParametersOfEvents& entry) {
    int id = objectIdOf(entry);
    if (id == 0) {
        // Older copies name the object by the author's node index only; the
        // path is the one clue that does not depend on that tree's order.
        const QVector<int> candidates = m_tree.idsWithPath(entry.Path_before);
        if (candidates.size() != 1)
            return Result::Done;
        id = candidates.front();
    }
    if (!m_tree.contains(id))
        return Result::Done;
    const std::optional<TreeRow> row = currentRow(id);
    if (!row)
        return removeGone(id);
    if (m_tree.textOf(id) != row->TEXT || m_tree.iconOf(id) != row->ID_ICO)
        m_tree.setTextAndIcon(id, row->TEXT, row->ID_ICO);
    return Result::Done;
}

TreePatcher::Result TreePatcher::remove(int id) {
    if (id == 0 || !m_tree.contains(id))
        return Result::Done;
    if (currentRow(id))
        return Result::RetryLater;
    return removeGone(id);
}

// The row is gone, so is the object, whichever entry tells: a deletion entry
// names only the top of what it deleted, and this node may have been moved
// below it after this tree last heard of it.
TreePatcher::Result TreePatcher::removeGone(int id) {
    if (!m_tree.contains(id))
        return Result::Done;
    const QVector<int> subtree = m_tree.subtreeOf(id);
    // A node moved out before the deletion, whose move has not arrived, still has a row.
    const bool outOfStep = subtree.size() > 1 && anyRowExists(m_db, subtree.mid(1));
    removeNodes(m_tree, id, subtree);
    return outOfStep ? Result::OutOfStep : Result::Done;
}

bool removeDeletedSubtree(TreePatchTarget& tree, int id, const QVector<int>& deleted) {
    if (!tree.contains(id))
        return true;
    const QVector<int> subtree = tree.subtreeOf(id);
    const QSet<int> gone(deleted.cbegin(), deleted.cend());
    bool allGone = true;
    for (int node : subtree)
        allGone = allGone && gone.contains(node);
    removeNodes(tree, id, subtree);
    return allGone;
}
