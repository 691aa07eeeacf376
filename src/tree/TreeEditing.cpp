#include "tree/TreeEditing.h"

#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "fb/Transaction.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QThread>

namespace {

const QString kLockRow = QStringLiteral("select ID, ID_PARENT from TREETABLE where ID = :perID with lock");
const QString kGenId = QStringLiteral("select GEN_ID(GEN_TREETABLE_ID, 1) from RDB$DATABASE");
const QString kLastPosition =
    QStringLiteral("select max(POSITION_) from TREETABLE where ID_PARENT = :perID_PARENT");
const QString kInsertTopLevel = QStringLiteral("insert into  TREETABLE (ID, ID_PARENT, TEXT, POSITION_ ) "
                                               "values (:ID, :perID_PARENT, :perText, :perPOSITION_ )");
const QString kInsertChild = QStringLiteral("insert into  TREETABLE (ID, ID_PARENT, TEXT, POSITION_) values "
                                            "(:ID, :perID_PARENT, :perText, :perPOSITION_)");
const QString kInsertServer =
    QStringLiteral("insert into SERVERS (ID_TREETABLE,DOMAIN_NAME, IP_ADDRES, PORT, TRANSLATION_ ) values "
                   "(:perID_TREETABLE, :perDOMAIN_NAME, :perIP_ADDRES, :perPORT, :per_TRANSLATION_)");
const QString kMoveObject = QStringLiteral("UPDATE TREETABLE SET ID_PARENT =      :per_ID_des, POSITION_ =   "
                                           "   :perPOSITION_ where ID = :per_ID_src");
const QString kSetPosition =
    QStringLiteral("UPDATE treetable SET POSITION_ = :perPOSITION_  where ID = :perID");
const QString kRowById = QStringLiteral("select * from TREETABLE WHERE ID = :perID");

// A lock held by another user is usually a short write: try again a few times.
constexpr int kLockAttempts = 5;
constexpr unsigned long kFirstRetryMs = 20;
// Deeper than this, one read of the whole table beats a scan per level.
constexpr int kLevelsBeforeWholeRead = 8;
constexpr int kIdsPerStatement = 500;

template <typename Work> auto inOwnTransaction(RunDatabase& db, Work&& work) {
    for (int attempt = 1;; ++attempt) {
        fb::Transaction transaction(db.IBDatabase1);
        transaction.start();
        try {
            auto result = work(transaction);
            transaction.commit();
            return result;
        } catch (const fb::Error& error) {
            if (transaction.active()) {
                try {
                    transaction.rollback();
                } catch (const fb::Error&) {
                    // The transaction object releases what is left.
                }
            }
            if (!error.isLockConflict())
                throw;
            if (attempt == kLockAttempts)
                throw TreeEditRefused(kObjectBusyText);
            QThread::msleep(kFirstRetryMs << (attempt - 1));
        }
    }
}

class Statements {
public:
    Statements(RunDatabase& db, fb::Transaction& transaction) : m_db(db), m_tr(transaction) {}

    std::unique_ptr<fb::Query> query(const QString& sql) {
        auto q = std::make_unique<fb::Query>(m_db.IBDatabase1, m_tr);
        q->setSql(sql);
        return q;
    }

    // The row's parent, or nothing when the row is gone.
    std::optional<int> lockRow(int id) {
        auto q = query(kLockRow);
        q->setParamInt(QStringLiteral("perID"), id);
        q->open();
        if (q->eof())
            return std::nullopt;
        return q->fieldByName(QStringLiteral("ID_PARENT")).asInteger();
    }

    int nextId() {
        auto q = query(kGenId);
        q->open();
        return q->fieldByName(QStringLiteral("GEN_ID")).asInteger();
    }

    int lastPosition(int parentId) {
        auto q = query(kLastPosition);
        q->setParamInt(QStringLiteral("perID_PARENT"), parentId);
        q->open();
        return q->field(0).asInteger();
    }

    void setPosition(int id, int position) {
        auto q = query(kSetPosition);
        q->setParamInt(QStringLiteral("perPOSITION_"), position);
        q->setParamInt(QStringLiteral("perID"), id);
        q->execSql();
    }

    // Rows whose parent is among ids.
    QVector<int> childrenOf(const QVector<int>& ids) {
        QVector<int> children;
        forEachBatch(ids, [&](const QString& list) {
            auto q = query(QStringLiteral("select ID from TREETABLE where ID_PARENT in (%1)").arg(list));
            for (q->open(); !q->eof(); q->next())
                children << q->field(0).asInteger();
        });
        return children;
    }

    QMultiHash<int, int> childrenByParent() {
        QMultiHash<int, int> children;
        auto q = query(QStringLiteral("select ID, ID_PARENT from TREETABLE"));
        for (q->open(); !q->eof(); q->next())
            children.insert(q->field(1).asInteger(), q->field(0).asInteger());
        return children;
    }

    void deleteRows(const QVector<int>& ids) {
        forEachBatch(ids, [&](const QString& list) {
            query(QStringLiteral("DELETE FROM treetable WHERE treetable.id in (%1)").arg(list))->execSql();
        });
    }

    QHash<int, int> positionsOf(const QVector<int>& ids) {
        QHash<int, int> positions;
        forEachBatch(ids, [&](const QString& list) {
            auto q = query(QStringLiteral("select ID, POSITION_ from TREETABLE where ID in (%1)").arg(list));
            for (q->open(); !q->eof(); q->next())
                positions.insert(q->field(0).asInteger(), q->field(1).asInteger());
        });
        return positions;
    }

private:
    // The lists hold only decimal numbers.
    template <typename F> static void forEachBatch(const QVector<int>& ids, F&& f) {
        for (qsizetype from = 0; from < ids.size(); from += kIdsPerStatement) {
            QStringList parts;
            for (qsizetype i = from; i < qMin<qsizetype>(ids.size(), from + kIdsPerStatement); ++i)
                parts << QString::number(ids[i]);
            f(parts.join(QLatin1Char(',')));
        }
    }

    RunDatabase& m_db;
    fb::Transaction& m_tr;
};

// Everything below the given rows that has not been seen yet, level by level.
QVector<int> descendants(Statements& s, const QVector<int>& roots, QSet<int>& seen) {
    QVector<int> found;
    QVector<int> level = roots;
    int depth = 0;
    while (!level.isEmpty() && depth++ < kLevelsBeforeWholeRead) {
        QVector<int> next;
        for (int child : s.childrenOf(level)) {
            if (!seen.contains(child)) {
                seen.insert(child);
                next << child;
            }
        }
        found += next;
        level = next;
    }
    if (level.isEmpty())
        return found;
    const QMultiHash<int, int> children = s.childrenByParent();
    while (!level.isEmpty()) {
        QVector<int> next;
        for (int parent : level) {
            for (auto it = children.constFind(parent); it != children.cend() && it.key() == parent; ++it) {
                if (!seen.contains(it.value())) {
                    seen.insert(it.value());
                    next << it.value();
                }
            }
        }
        found += next;
        level = next;
    }
    return found;
}

} // namespace

namespace {

const QString kRowColumns = QStringLiteral("ID, ID_PARENT, TEXT, ID_ICO, POSITION_");

TreeRow rowOf(const fb::Query& q) {
    return TreeRow{q.field(0).asInteger(), q.field(1).asInteger(), q.field(2).asString().trimmed(),
                   q.field(3).asInteger(), q.field(4).asInteger()};
}

} // namespace

std::optional<TreeRow> readTreeRow(RunDatabase& db, int id) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select %1 from TREETABLE where ID = :perID").arg(kRowColumns));
    q.setParamInt(QStringLiteral("perID"), id);
    q.open();
    if (q.eof())
        return std::nullopt;
    return rowOf(q);
}

QHash<int, TreeRow> readTreeRows(RunDatabase& db, const QVector<int>& ids) {
    QHash<int, TreeRow> rows;
    for (qsizetype from = 0; from < ids.size(); from += kIdsPerStatement) {
        QStringList parts;
        for (qsizetype i = from; i < qMin<qsizetype>(ids.size(), from + kIdsPerStatement); ++i)
            parts << QString::number(ids[i]);
        fb::Query q(db.IBDatabase1, db.IBTransaction1);
        q.setSql(QStringLiteral("select %1 from TREETABLE where ID in (%2)")
                     .arg(kRowColumns, parts.join(QLatin1Char(','))));
        for (q.open(); !q.eof(); q.next())
            rows.insert(q.field(0).asInteger(), rowOf(q));
    }
    return rows;
}

CreatedObject createObjectInBase(RunDatabase& db, int parentId) {
    return inOwnTransaction(db, [&](fb::Transaction& transaction) {
        Statements s(db, transaction);
        // Held until the commit: a deletion of the parent cannot pass meanwhile.
        if (parentId != 0 && !s.lockRow(parentId))
            throw TreeEditRefused(kObjectGoneText);
        CreatedObject created{s.nextId(), parentId, s.lastPosition(parentId) + 1};

        auto tree = s.query(parentId == 0 ? kInsertTopLevel : kInsertChild);
        tree->setParamInt(QStringLiteral("ID"), created.id);
        tree->setParamInt(QStringLiteral("perID_PARENT"), parentId);
        tree->setParam(QStringLiteral("perText"), kNewObjectText);
        tree->setParamInt(QStringLiteral("perPOSITION_"), created.position);
        tree->execSql();

        auto server = s.query(kInsertServer);
        server->setParam(QStringLiteral("perID_TREETABLE"), created.id);
        server->setParam(QStringLiteral("perDOMAIN_NAME"), kNewObjectDomainName);
        server->setParam(QStringLiteral("perIP_ADDRES"), kNewObjectIp);
        server->setParam(QStringLiteral("perPORT"), QString());
        server->setParam(QStringLiteral("per_TRANSLATION_"), QString());
        server->execSql();
        return created;
    });
}

QVector<int> deleteSubtreeInBase(RunDatabase& db, int id) {
    return inOwnTransaction(db, [&](fb::Transaction& transaction) {
        Statements s(db, transaction);
        QVector<int> deleted;
        if (!s.lockRow(id))
            return deleted;
        QSet<int> seen{id};
        QVector<int> batch{id};
        batch += descendants(s, batch, seen);
        while (!batch.isEmpty()) {
            s.deleteRows(batch);
            deleted += batch;
            // Rows added below them by someone who committed before our deletes.
            QVector<int> added;
            for (int child : s.childrenOf(batch)) {
                if (!seen.contains(child)) {
                    seen.insert(child);
                    added << child;
                }
            }
            added += descendants(s, added, seen);
            batch = added;
        }
        return deleted;
    });
}

int moveObjectInBase(RunDatabase& db, int srcId, int targetId) {
    return inOwnTransaction(db, [&](fb::Transaction& transaction) {
        Statements s(db, transaction);
        if (!s.lockRow(srcId))
            throw TreeEditRefused(kObjectGoneText);
        QSet<int> seen;
        for (int ancestor = targetId; ancestor != 0;) {
            if (ancestor == srcId)
                throw TreeEditRefused(kMoveBelowItselfText);
            if (seen.contains(ancestor)) // a cycle of older copies: the target hangs nowhere
                throw TreeEditRefused(kObjectGoneText);
            seen.insert(ancestor);
            const std::optional<int> parent = s.lockRow(ancestor);
            if (!parent)
                throw TreeEditRefused(kObjectGoneText);
            ancestor = *parent;
        }
        const int position = s.lastPosition(targetId) + 1;
        auto move = s.query(kMoveObject);
        move->setParamInt(QStringLiteral("per_ID_des"), targetId);
        move->setParamInt(QStringLiteral("perPOSITION_"), position);
        move->setParamInt(QStringLiteral("per_ID_src"), srcId);
        move->execSql();
        return position;
    });
}

bool moveAmongSiblingsInBase(RunDatabase& db, const QVector<int>& siblings, int index, int direction) {
    const qsizetype neighbour = qsizetype(index) + direction;
    if ((direction != -1 && direction != 1) || index < 0 || index >= siblings.size() || neighbour < 0 ||
        neighbour >= siblings.size())
        return false;
    const int moved = siblings[index];
    const int other = siblings[neighbour];
    return inOwnTransaction(db, [&](fb::Transaction& transaction) {
        Statements s(db, transaction);
        if (!s.lockRow(moved) || !s.lockRow(other))
            throw TreeEditRefused(kObjectGoneText);
        QHash<int, int> positions = s.positionsOf(siblings);
        bool ordered = true;
        int previous = 0;
        bool first = true;
        for (int id : siblings) {
            if (!positions.contains(id))
                continue; // gone meanwhile; its place does not matter any more
            if (!first && positions[id] <= previous)
                ordered = false;
            previous = positions[id];
            first = false;
        }
        if (!ordered) {
            int number = 0;
            for (int id : siblings) {
                if (positions.contains(id)) {
                    positions[id] = ++number;
                    s.setPosition(id, number);
                }
            }
        }
        s.setPosition(moved, positions[other]);
        s.setPosition(other, positions[moved]);
        return true;
    });
}

int RequestIDForPosition(int perID) {
    return RequestIDForPosition(runDatabase(), perID);
}

int RequestIDForPosition(RunDatabase& db, int perID) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(kRowById);
    q.setParam(QStringLiteral("perID"), perID);
    q.open();
    return q.eof() ? 0 : q.fieldByName(QStringLiteral("POSITION_")).asInteger();
}

int FindLastNumberPositionNode(RunDatabase& db, int perID_PARENT) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(kLastPosition);
    q.setParamInt(QStringLiteral("perID_PARENT"), perID_PARENT);
    q.open();
    return q.field(0).asInteger();
}
