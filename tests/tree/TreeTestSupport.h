#pragma once

#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "fb/Transaction.h"
#include "journal/JournalRecords.h"
#include "journal/TableLogs.h"
#include "support/MemoryTree.h"
#include "tree/TreeEditing.h"
#include "tree/TreeEditor.h"
#include "tree/TreePatcher.h"

#include <QHash>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

namespace treetest {

inline void insertRow(RunDatabase& db, int id, int parent, const QString& text, int position = 0,
                      int icon = 0) {
    fb::Transaction tr(db.IBDatabase1);
    fb::Query q(db.IBDatabase1, tr);
    q.setSql(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_, ID_ICO) values "
                            "(:perID, :perPARENT, :perTEXT, :perPOS, :perICO)"));
    q.setParamInt(QStringLiteral("perID"), id);
    q.setParamInt(QStringLiteral("perPARENT"), parent);
    q.setParamText(QStringLiteral("perTEXT"), text);
    q.setParamInt(QStringLiteral("perPOS"), position);
    q.setParamInt(QStringLiteral("perICO"), icon);
    q.execSql();
    fb::Query s(db.IBDatabase1, tr);
    s.setSql(QStringLiteral("insert into SERVERS (ID_TREETABLE) values (:perID)"));
    s.setParamInt(QStringLiteral("perID"), id);
    s.execSql();
    // Keep the generator ahead of the identities given here, as the program's own inserts do.
    fb::Query g(db.IBDatabase1, tr);
    g.setSql(QStringLiteral("select gen_id(GEN_TREETABLE_ID, 0) from RDB$DATABASE"));
    g.open();
    const qint64 current = g.field(0).asInt64();
    g.close();
    if (id > current) {
        g.setSql(QStringLiteral("select gen_id(GEN_TREETABLE_ID, %1) from RDB$DATABASE").arg(id - current));
        g.open();
    }
    tr.commit();
}

inline void exec(RunDatabase& db, const QString& sql) {
    fb::Transaction tr(db.IBDatabase1);
    fb::Query q(db.IBDatabase1, tr);
    q.setSql(sql);
    q.execSql();
    tr.commit();
}

inline int count(RunDatabase& db, const QString& sql) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(sql);
    q.open();
    return q.field(0).asInteger();
}

inline int rowsIn(RunDatabase& db, const QString& table) {
    return count(db, QStringLiteral("select count(*) from %1").arg(table));
}

// Another client's write that has not committed yet.
class InFlight {
public:
    explicit InFlight(RunDatabase& db) : m_db(db), m_tr(db.IBDatabase1) { m_tr.start(); }
    void exec(const QString& sql) {
        fb::Query q(m_db.IBDatabase1, m_tr);
        q.setSql(sql);
        if (q.paramNames().isEmpty() &&
            sql.trimmed().startsWith(QStringLiteral("select"), Qt::CaseInsensitive))
            q.open();
        else
            q.execSql();
    }
    void commit() { m_tr.commit(); }

private:
    RunDatabase& m_db;
    fb::Transaction m_tr;
};

// Neither a row whose parent is missing nor a parent chain that never ends.
inline void expectNoOrphansOrCycles(RunDatabase& db) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select ID, ID_PARENT from TREETABLE"));
    QHash<int, int> parent;
    for (q.open(); !q.eof(); q.next())
        parent.insert(q.field(0).asInteger(), q.field(1).asInteger());
    for (auto it = parent.cbegin(); it != parent.cend(); ++it) {
        QSet<int> seen;
        for (int at = it.key(); at != 0; at = parent.value(at)) {
            ASSERT_TRUE(parent.contains(at)) << "row " << it.key() << " hangs below missing row " << at;
            ASSERT_FALSE(seen.contains(at)) << "row " << it.key() << " is in a cycle";
            seen.insert(at);
        }
    }
}

// The operations as the window runs them, returning the refusal text, empty when
// the database let them through.
struct Client {
    RunDatabase& db;
    testsupport::MemoryTree& tree;
    int user;

    QString create(int parentId, int* newId = nullptr) {
        const TreeEditor::Outcome outcome = TreeEditor(db, tree, user).createObject(parentId);
        if (newId)
            *newId = outcome.id;
        return outcome.refusal;
    }
    QString remove(int id) {
        const TreeEditor::Outcome outcome = TreeEditor(db, tree, user).deleteObject(id);
        if (outcome.rebuildTree)
            tree = testsupport::MemoryTree::fromTable(db);
        return outcome.refusal;
    }
    QString move(int id, int targetId) { return TreeEditor(db, tree, user).moveObject(id, targetId).refusal; }
};

} // namespace treetest
