#include "tree/TreeLoading.h"

#include "fb/Query.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace {

const QString kSelectTree = QStringLiteral("select * from TREETABLE ORDER BY ID_PARENT, POSITION_ ASC");

// The deferred rows and what the passes need to know about them. Positions are
// places in the deferred list, in reading order.
class DeferredRows {
public:
    DeferredRows(ObjectTreeModel& tree, const QVector<TRecordIBQuery>& rows, const QVector<int>& deferred)
        : m_tree(tree), m_rows(rows), m_deferred(deferred), m_placed(deferred.size(), false),
          m_pass(deferred.size(), 0), m_seen(deferred.size(), 0) {
        for (int k = 0; k < deferred.size(); ++k) {
            const TRecordIBQuery& row = this->row(k);
            m_positionById.insert(row.ID, k);
            m_childrenOf[row.ID_PARENT].append(k);
        }
    }

    // The passes up to the first one that places nothing.
    void placeWhatHasAParent() {
        QVector<int> firstPass;
        for (int k = 0; k < count(); ++k) {
            if (m_tree.contains(row(k).ID_PARENT))
                firstPass.append(k);
        }
        placeInPassOrder(firstPass);
    }

    // Every remaining row, one stuck subtree after the other; returns how many.
    int placeTheRestFromTheTopLevel() {
        int placed = 0;
        for (int first = nextRemaining(0); first < count(); first = nextRemaining(first)) {
            const int top = topOfStuckChain(first);
            place(top, nullptr);
            placed += 1 + placeInPassOrder(remainingChildrenOf(row(top).ID));
        }
        return placed;
    }

private:
    int count() const { return static_cast<int>(m_deferred.size()); }
    const TRecordIBQuery& row(int k) const { return m_rows[m_deferred[k]]; }

    int nextRemaining(int from) const {
        while (from < count() && m_placed[static_cast<std::size_t>(from)])
            ++from;
        return from;
    }

    QVector<int> remainingChildrenOf(int id) const {
        QVector<int> children;
        for (int k : m_childrenOf.value(id)) {
            if (!m_placed[static_cast<std::size_t>(k)])
                children.append(k);
        }
        return children;
    }

    // Walks up the parent links among the remaining rows: the row whose parent is
    // not among them, or on a cycle the first row met twice.
    int topOfStuckChain(int k) {
        ++m_walk;
        for (;;) {
            m_seen[static_cast<std::size_t>(k)] = m_walk;
            const int parent = m_positionById.value(row(k).ID_PARENT, -1);
            if (parent < 0 || m_placed[static_cast<std::size_t>(parent)])
                return k;
            if (m_seen[static_cast<std::size_t>(parent)] == m_walk)
                return parent;
            k = parent;
        }
    }

    // firstPass: rows whose parent node exists now, so the next pass places them.
    // A pass walks backwards, so a row whose parent is placed in pass p goes in
    // pass p when it stands before its parent in the list, else in pass p + 1.
    // Placing in (pass, backwards) order then equals running the passes.
    int placeInPassOrder(const QVector<int>& firstPass) {
        std::vector<int> order;
        for (int k : firstPass) {
            m_pass[static_cast<std::size_t>(k)] = 1;
            order.push_back(k);
        }
        for (std::size_t i = 0; i < order.size(); ++i) {
            const int parent = order[i];
            const int parentPass = m_pass[static_cast<std::size_t>(parent)];
            for (int child : m_childrenOf.value(row(parent).ID)) {
                if (m_placed[static_cast<std::size_t>(child)] || m_pass[static_cast<std::size_t>(child)])
                    continue;
                m_pass[static_cast<std::size_t>(child)] = parentPass + (child > parent ? 1 : 0);
                order.push_back(child);
            }
        }
        std::sort(order.begin(), order.end(), [this](int a, int b) {
            const int passA = m_pass[static_cast<std::size_t>(a)];
            const int passB = m_pass[static_cast<std::size_t>(b)];
            return passA != passB ? passA < passB : a > b;
        });
        for (int k : order)
            place(k, m_tree.nodeById(row(k).ID_PARENT));
        return static_cast<int>(order.size());
    }

    void place(int k, TreeNode* parent) {
        const TRecordIBQuery& r = row(k);
        m_tree.appendChild(parent, r.ID, r.TEXT, r.ID_ICO);
        m_placed[static_cast<std::size_t>(k)] = true;
    }

    ObjectTreeModel& m_tree;
    const QVector<TRecordIBQuery>& m_rows;
    const QVector<int>& m_deferred;
    QHash<int, int> m_positionById;
    QHash<int, QVector<int>> m_childrenOf; // parent identity -> positions, ascending
    std::vector<bool> m_placed;
    std::vector<int> m_pass; // 0: not reached yet
    std::vector<int> m_seen;
    int m_walk = 0;
};

int columnIndex(const fb::Query& query, const QString& name) {
    for (int i = 0; i < query.fieldCount(); ++i) {
        if (query.field(i).name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    query.fieldByName(name); // throws: the table lacks the column
    return -1;
}

} // namespace

TreeBuildReport buildTree(ObjectTreeModel& tree, const QVector<TRecordIBQuery>& rows) {
    ObjectTreeModel::BulkChange bulk(tree);
    tree.clear();
    TreeBuildReport report;
    report.rows = static_cast<int>(rows.size());

    QVector<int> deferred;
    QHash<int, bool> deferredIds;
    for (int i = 0; i < rows.size(); ++i) {
        const TRecordIBQuery& row = rows[i];
        if (tree.contains(row.ID) || deferredIds.contains(row.ID)) {
            ++report.duplicates;
            continue;
        }
        if (row.ID_PARENT == 0) {
            tree.appendTopLevel(row.ID, row.TEXT, row.ID_ICO);
        } else if (TreeNode* parent = tree.nodeById(row.ID_PARENT)) {
            tree.appendChild(parent, row.ID, row.TEXT, row.ID_ICO);
        } else {
            deferred.append(i);
            deferredIds.insert(row.ID, true);
        }
    }
    report.deferred = static_cast<int>(deferred.size());
    if (deferred.isEmpty())
        return report;

    DeferredRows passes(tree, rows, deferred);
    passes.placeWhatHasAParent();
    report.unplaceable = passes.placeTheRestFromTheTopLevel();
    return report;
}

TreeBuildReport Creat_Items_To_Treeviwe(fb::Query& perIBQuery, ObjectTreeModel& perTreeView) {
    perIBQuery.close();
    perIBQuery.setSql(kSelectTree);
    perIBQuery.open();
    const int id = columnIndex(perIBQuery, QStringLiteral("ID"));
    const int idParent = columnIndex(perIBQuery, QStringLiteral("ID_PARENT"));
    const int text = columnIndex(perIBQuery, QStringLiteral("TEXT"));
    const int idIco = columnIndex(perIBQuery, QStringLiteral("ID_ICO"));

    QVector<TRecordIBQuery> rows;
    for (; !perIBQuery.eof(); perIBQuery.next()) {
        rows.append({perIBQuery.field(id).asInteger(), perIBQuery.field(idParent).asInteger(),
                     perIBQuery.field(text).asString().trimmed(), perIBQuery.field(idIco).asInteger()});
    }
    return buildTree(perTreeView, rows);
}

QString unplaceableRowsLine(const TreeBuildReport& report) {
    if (report.unplaceable == 0)
        return {};
    return QStringLiteral(
               "Объектов дерева без места (нет родителя или цикл): %1; показаны от верхнего уровня")
        .arg(report.unplaceable);
}

TreeNode* FindParent(const ObjectTreeModel& tree, int id) {
    return tree.nodeById(id);
}

int Find_item_index_Parent_TreeView(const ObjectTreeModel& perTreeView, int perIDparent) {
    return perTreeView.absoluteIndex(perTreeView.nodeById(perIDparent));
}

QString GetNodePath(const TreeNode* TN) {
    return ObjectTreeModel::path(TN);
}

void SetNodeState(ObjectTreeModel& tree, TreeNode* node, int Flags) {
    tree.setBold(node, (Flags & TVIS_BOLD) != 0);
}
