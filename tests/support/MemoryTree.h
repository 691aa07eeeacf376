#pragma once

#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "tree/TreePatchTarget.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <string>
#include <tuple>

namespace testsupport {

// A tree kept in plain containers, standing in for the window's tree: children in
// order per parent, 0 being the top level, plus selection and the loaded object.
class MemoryTree : public TreePatchTarget {
public:
    struct Node {
        int parent = 0;
        QString text;
        int icon = 0;
        bool operator==(const Node&) const = default;
    };

    // Parent, text and picture per identity: what a fresh build must agree on.
    using Shape = QMap<int, std::tuple<int, QString, int>>;

    // Every row under its row's parent, in the table's sibling order; rows whose
    // parent chain does not reach the top level are put at the top level.
    static MemoryTree fromTable(RunDatabase& db) {
        fb::Query q(db.IBDatabase1, db.IBTransaction1);
        q.setSql(QStringLiteral(
            "select ID, ID_PARENT, TEXT, ID_ICO from TREETABLE order by ID_PARENT, POSITION_"));
        QMap<int, Node> rows;
        QVector<int> order;
        for (q.open(); !q.eof(); q.next()) {
            const int id = q.field(0).asInteger();
            rows.insert(id,
                        {q.field(1).asInteger(), q.field(2).asString().trimmed(), q.field(3).asInteger()});
            order << id;
        }
        MemoryTree tree;
        QSet<int> placed;
        bool progress = true;
        while (placed.size() < rows.size()) {
            progress = false;
            for (int id : order) {
                const Node& row = rows[id];
                if (placed.contains(id) || (row.parent != 0 && !placed.contains(row.parent)))
                    continue;
                tree.addChild(row.parent, id, row.text, row.icon);
                placed.insert(id);
                progress = true;
            }
            if (!progress) {
                for (int id : order) {
                    if (!placed.contains(id)) {
                        tree.addChild(0, id, rows[id].text, rows[id].icon);
                        placed.insert(id);
                        break;
                    }
                }
            }
        }
        return tree;
    }

    // The identities whose parent, text or picture differ, for a failure message.
    static std::string differences(const Shape& mine, const Shape& theirs) {
        QStringList lines;
        QSet<int> ids;
        for (int id : mine.keys())
            ids.insert(id);
        for (int id : theirs.keys())
            ids.insert(id);
        const auto describe = [](const Shape& s, int id) {
            if (!s.contains(id))
                return QStringLiteral("missing");
            const auto& [parent, text, icon] = s[id];
            return QStringLiteral("under %1 \"%2\" picture %3").arg(parent).arg(text).arg(icon);
        };
        for (int id : ids) {
            if (mine.value(id) != theirs.value(id) || mine.contains(id) != theirs.contains(id))
                lines << QStringLiteral("%1: %2 / %3").arg(id).arg(describe(mine, id), describe(theirs, id));
        }
        return lines.join(QLatin1Char('\n')).toStdString();
    }

    Shape shape() const {
        Shape s;
        for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
            s.insert(it.key(), {it->parent, it->text, it->icon});
        return s;
    }
    const QVector<int>& childrenOf(int id) const {
        static const QVector<int> none;
        const auto it = m_children.constFind(id);
        return it == m_children.cend() ? none : *it;
    }
    int size() const { return static_cast<int>(m_nodes.size()); }
    QString pathOf(int id) const override {
        QString path;
        for (int at = id; at != 0; at = m_nodes[at].parent)
            path = QLatin1Char('\\') + m_nodes[at].text + path;
        return path;
    }

    void select(int id) { m_selected = id; }
    void load(int id) { m_loaded = id; }
    int changes() const { return m_changes; }

    bool contains(int id) const override { return m_nodes.contains(id); }
    int parentOf(int id) const override { return m_nodes.value(id).parent; }
    QString textOf(int id) const override { return m_nodes.value(id).text; }
    int iconOf(int id) const override { return m_nodes.value(id).icon; }
    bool isBelow(int id, int ancestorId) const override {
        for (int at = parentOf(id); at != 0; at = parentOf(at)) {
            if (at == ancestorId)
                return true;
        }
        return false;
    }
    QVector<int> subtreeOf(int id) const override {
        QVector<int> ids{id};
        for (qsizetype i = 0; i < ids.size(); ++i)
            ids += childrenOf(ids[i]);
        return ids;
    }
    QVector<int> idsWithPath(const QString& path) const override {
        QVector<int> ids;
        for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it) {
            if (pathOf(it.key()) == path)
                ids << it.key();
        }
        return ids;
    }

    void addChild(int parentId, int id, const QString& text, int icon) override {
        m_nodes.insert(id, {parentId, text, icon});
        m_children[parentId].append(id);
        ++m_changes;
    }
    void setTextAndIcon(int id, const QString& text, int icon) override {
        m_nodes[id].text = text;
        m_nodes[id].icon = icon;
        ++m_changes;
    }
    void moveToLastChild(int id, int newParentId) override {
        m_children[m_nodes[id].parent].removeAll(id);
        m_nodes[id].parent = newParentId;
        m_children[newParentId].append(id);
        ++m_changes;
    }
    void removeSubtree(int id) override {
        const QVector<int> ids = subtreeOf(id);
        m_children[m_nodes[id].parent].removeAll(id);
        for (int gone : ids) {
            m_nodes.remove(gone);
            m_children.remove(gone);
        }
        ++m_changes;
    }

    int selectedId() const override { return m_selected; }
    int loadedId() const override { return m_loaded; }
    void clearSelection() override { m_selected = 0; }
    void clearLoadedObject() override { m_loaded = 0; }

private:
    QHash<int, Node> m_nodes;
    QHash<int, QVector<int>> m_children;
    int m_selected = 0;
    int m_loaded = 0;
    int m_changes = 0;
};

} // namespace testsupport
