#include "TreeTestSupport.h"
#include "db/TableUserDB.h"
#include "fb/EventListener.h"
#include "journal/CatchUpScheduler.h"
#include "support/SchemaDatabase.h"
#include "tree/JournalFollower.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

using namespace treetest;
using testsupport::MemoryTree;

// One running copy: its attachment, its tree, its follower.
struct Copy {
    Copy(RunDatabase& database, int userId, std::function<qint64()> clock)
        : db(database), user(userId), follower(db, tree, std::move(clock)) {
        follower.markJournalEnd(); // before the tree is built
        tree = MemoryTree::fromTable(db);
    }

    JournalFollower::Result catchUp() {
        JournalFollower::Result result = follower.catchUp();
        if (result.rebuildTree) {
            ++rebuilds;
            rebuild();
        }
        alerts += result.alerts;
        return result;
    }
    void rebuild() {
        const int selected = tree.selectedId();
        tree = MemoryTree::fromTable(db);
        tree.select(tree.contains(selected) ? selected : 0);
    }
    Client ops() { return Client{db, tree, user}; }

    // A save of a new name, as the editor's save journals it (kind 2, identity included).
    void rename(int id, const QString& text) {
        const auto row = readTreeRow(db, id);
        if (!row)
            return;
        exec(db, QStringLiteral("update TREETABLE set TEXT = '%1' where ID = %2").arg(text).arg(id));
        type_ParametersOfEvents e;
        e.UserID_ = user;
        e.Type_ = 2;
        e.IDchildren_ = id;
        e.Path_before = tree.pathOf(id);
        e.Text_ = tree.textOf(id);
        e.TEXT_TREETABLE_after = text;
        tree.setTextAndIcon(id, text, tree.iconOf(id));
        insertDataInLOGS(db, e);
    }

    RunDatabase& db;
    int user;
    MemoryTree tree;
    JournalFollower follower;
    QVector<AlertText> alerts;
    int rebuilds = 0;
};

class JournalFollowerTest : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        insert_data_for_table_USER_DB(QStringLiteral("Петров Пётр Петрович"), QStringLiteral("x"));
        insert_data_for_table_USER_DB(QStringLiteral("Сидорова Анна"), QStringLiteral("y"));
        insertRow(db, 1, 0, QStringLiteral("Серверы"), 1);
        insertRow(db, 2, 1, QStringLiteral("web1"), 1);
        insertRow(db, 3, 0, QStringLiteral("Сайты"), 2);
        dbB = testsupport::connectAnother(dbPath);
        dbC = testsupport::connectAnother(dbPath);
        a = std::make_unique<Copy>(db, 2, clock());
        b = std::make_unique<Copy>(*dbB, 3, clock());
        c = std::make_unique<Copy>(*dbC, 1, clock());
    }
    void TearDown() override {
        a.reset();
        b.reset();
        c.reset();
        dbB.reset();
        dbC.reset();
        SchemaDatabase::TearDown();
    }

    std::function<qint64()> clock() {
        return [this] { return now; };
    }
    void expectInStep(Copy& copy) {
        const auto fresh = MemoryTree::fromTable(db).shape();
        EXPECT_TRUE(copy.tree.shape() == fresh) << "copy of user " << copy.user << ", tree / table:\n"
                                                << MemoryTree::differences(copy.tree.shape(), fresh);
    }

    qint64 now = 0;
    std::unique_ptr<RunDatabase> dbB;
    std::unique_ptr<RunDatabase> dbC;
    std::unique_ptr<Copy> a;
    std::unique_ptr<Copy> b;
    std::unique_ptr<Copy> c;
};

const QString kAuthor = QStringLiteral("Петров Пётр Петрович");

} // namespace

TEST_F(JournalFollowerTest, EveryKindArrivesInTheOtherCopiesWithItsAlert) {
    int created = 0;
    ASSERT_EQ(a->ops().create(1, &created), "");
    a->rename(created, QStringLiteral("db1"));
    ASSERT_EQ(a->ops().move(created, 3), "");
    ASSERT_EQ(a->ops().remove(2), "");

    for (Copy* copy : {b.get(), c.get()}) {
        copy->catchUp();
        expectInStep(*copy);
        ASSERT_EQ(copy->alerts.size(), 4);
        for (const AlertText& alert : copy->alerts)
            EXPECT_EQ(alert.header, kAuthor);
        EXPECT_EQ(copy->alerts[0].message, QStringLiteral("Добавил новый объект:\n\r\\Серверы\\Объект"));
        EXPECT_EQ(copy->alerts[1].message,
                  QStringLiteral("Обновил название существующего объекта c \"Объект\" на \"db1\":\n\r"
                                 "\\Серверы\\Объект"));
        EXPECT_EQ(
            copy->alerts[2].message,
            QStringLiteral("Сменил путь расположения объекта с \n\r\\Серверы\\db1\n\rна\n\r\\Сайты\\db1"));
        EXPECT_EQ(copy->alerts[3].message, QStringLiteral("Удалил объект \n\r\\Серверы\\web1"));
    }
    EXPECT_EQ(b->tree.parentOf(created), 3);
    EXPECT_EQ(b->tree.textOf(created), "db1");
    EXPECT_FALSE(c->tree.contains(2));
}

TEST_F(JournalFollowerTest, OwnChangesAreNotAppliedTwiceButASecondCopyOfTheSameUserIsPatched) {
    auto dbA2 = testsupport::connectAnother(dbPath);
    Copy a2(*dbA2, a->user, clock());
    int created = 0;
    ASSERT_EQ(a->ops().create(1, &created), "");
    ASSERT_EQ(a->ops().move(2, 3), "");
    a->tree.select(created);
    a->tree.load(created);
    const MemoryTree before = a->tree;
    const int changes = a->tree.changes();

    a->catchUp(); // the echoes
    EXPECT_EQ(a->tree.changes(), changes);
    EXPECT_EQ(a->tree.childrenOf(1), before.childrenOf(1));
    EXPECT_EQ(a->tree.childrenOf(3), before.childrenOf(3));
    EXPECT_EQ(a->tree.selectedId(), created);
    EXPECT_EQ(a->tree.loadedId(), created);
    EXPECT_EQ(a->alerts.size(), 2) << "the author's own copy shows its alerts too";

    a2.catchUp();
    EXPECT_TRUE(a2.tree.contains(created));
    EXPECT_EQ(a2.tree.parentOf(2), 3);
    expectInStep(a2);
}

TEST_F(JournalFollowerTest, ARemoteDeletionOfTheLoadedObjectClearsSelectionAndEditor) {
    b->tree.select(2);
    b->tree.load(2);
    ASSERT_EQ(a->ops().remove(1), "");
    b->catchUp();
    EXPECT_EQ(b->tree.selectedId(), 0);
    EXPECT_EQ(b->tree.loadedId(), 0);
    expectInStep(*b);
}

TEST_F(JournalFollowerTest, ALowerIdentityCommittedAfterAHigherOneStillArrives) {
    // A's creation: rows committed, its journal insert drawn but not committed yet.
    const CreatedObject slow = createObjectInBase(db, 3);
    fb::Transaction journalling(db.IBDatabase1);
    fb::Query insert(db.IBDatabase1, journalling);
    insert.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perPARAMETERS)"));
    insert.setParamBlob(QStringLiteral("perPARAMETERS"),
                        serializeChangeRecord(creationRecord(2, slow.id, 3, kNewObjectText,
                                                             QStringLiteral("\\Сайты\\Объект"))));
    insert.execSql();
    ASSERT_EQ(b->ops().create(1), "");

    c->catchUp();
    EXPECT_FALSE(c->tree.contains(slow.id));
    EXPECT_EQ(c->follower.journal().revisits().size(), 1);
    EXPECT_EQ(c->alerts.size(), 1);

    now += 5000;
    journalling.commit();
    c->catchUp();
    EXPECT_EQ(c->tree.parentOf(slow.id), 3);
    ASSERT_EQ(c->alerts.size(), 2);
    EXPECT_EQ(c->alerts[1].header, kAuthor);
    EXPECT_TRUE(c->follower.journal().revisits().isEmpty());
    expectInStep(*c);
}

TEST_F(JournalFollowerTest, CorruptEntryBetweenTwoGoodOnesRebuildsAfterApplyingBoth) {
    int first = 0;
    ASSERT_EQ(a->ops().create(1, &first), "");
    const int broken =
        insertDataInLOGS(db, creationRecord(2, 999, 1, QStringLiteral("x"), QStringLiteral("\\x")));
    exec(db, QStringLiteral("update LOGS set PARAMETERS = 'broken' where ID = %1").arg(broken));
    ASSERT_EQ(a->ops().move(2, 3), "");
    type_ParametersOfEvents unknown = deletionRecord(2, 4242, QStringLiteral("?"), QStringLiteral("\\?"));
    insertDataInLOGS(db, unknown);

    const auto result = b->follower.catchUp();
    EXPECT_TRUE(result.rebuildTree);
    ASSERT_EQ(result.trace.size(), 1);
    EXPECT_TRUE(result.trace[0].contains(QString::number(broken)));
    EXPECT_TRUE(b->tree.contains(first));
    EXPECT_EQ(b->tree.parentOf(2), 3);
    EXPECT_EQ(b->follower.mark(), Last_ID_To_LOGS(db));
    EXPECT_EQ(result.alerts.size(), 3) << "the unreadable entry raises none";
    expectInStep(*b);
}

TEST_F(JournalFollowerTest, PlacementsWaitForParentsThatComeLaterInTheSameCatchUp) {
    int p = 0;
    int q = 0;
    int child = 0;
    ASSERT_EQ(a->ops().create(0, &p), "");
    ASSERT_EQ(a->ops().create(p, &child), "");
    ASSERT_EQ(a->ops().create(0, &q), "");
    ASSERT_EQ(a->ops().move(p, q), "");
    const auto result = c->follower.catchUp();
    EXPECT_FALSE(result.rebuildTree);
    EXPECT_EQ(c->tree.parentOf(p), q);
    EXPECT_EQ(c->tree.parentOf(child), p);
    expectInStep(*c);
}

TEST_F(JournalFollowerTest, MergedDeliveriesAndAReconnectCatchUp) {
    int runs = 0;
    CatchUpScheduler scheduler([&] {
        ++runs;
        c->catchUp();
    });
    scheduler.watch(dbC->IBEvents1);
    QSignalSpy deliveries(&dbC->IBEvents1, &fb::EventListener::posted);
    dbC->IBEvents1.attach(dbC->IBDatabase1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 5000));

    // Several changes of two authors before C's event loop runs again.
    int created = 0;
    ASSERT_EQ(a->ops().create(1, &created), "");
    ASSERT_EQ(b->ops().create(3), "");
    a->rename(created, QStringLiteral("renamed"));
    ASSERT_EQ(b->ops().move(2, 3), "");
    ASSERT_EQ(a->ops().remove(created), "");
    const int posts = 5;
    ASSERT_TRUE(QTest::qWaitFor([&] { return c->tree.shape() == MemoryTree::fromTable(db).shape(); }, 5000));
    QTest::qWait(200);
    EXPECT_LT(deliveries.count(), posts);
    EXPECT_LT(runs - 1, posts);
    EXPECT_EQ(c->alerts.size(), posts);

    // Listening ends (connection trouble); changes meanwhile arrive after re-attaching.
    dbC->IBEvents1.detach();
    ASSERT_EQ(a->ops().create(2), "");
    QTest::qWait(200);
    EXPECT_NE(c->tree.shape(), MemoryTree::fromTable(db).shape());
    dbC->IBEvents1.attach(dbC->IBDatabase1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c->tree.shape() == MemoryTree::fromTable(db).shape(); }, 5000));
    dbC->IBEvents1.detach();
}

TEST_F(JournalFollowerTest, SeededRandomRunOfThreeCopiesEndsWithEveryTreeAsAFreshBuild) {
    const quint32 seed = qEnvironmentVariableIsSet("VESTIBAR_SEED")
                             ? qEnvironmentVariableIntValue("VESTIBAR_SEED")
                             : QRandomGenerator::global()->generate();
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (rerun with VESTIBAR_SEED=" << seed << ")");
    QRandomGenerator random(seed);
    Copy* copies[] = {a.get(), b.get(), c.get()};
    const auto anyNode = [&](const MemoryTree& tree) {
        const auto shape = tree.shape();
        if (shape.isEmpty())
            return 0;
        return shape.keys().at(random.bounded(static_cast<int>(shape.size())));
    };

    int refusals = 0;
    for (int step = 0; step < 200; ++step) {
        Copy& copy = *copies[random.bounded(3)];
        Client ops = copy.ops();
        const int node = anyNode(copy.tree);
        QString refusal;
        switch (random.bounded(10)) {
        case 0:
        case 1:
        case 2:
            refusal = ops.create(random.bounded(4) == 0 ? 0 : node);
            break;
        case 3:
        case 4:
            if (node != 0)
                copy.rename(node, QStringLiteral("n%1").arg(step));
            break;
        case 5:
            if (node != 0)
                refusal = ops.remove(node);
            break;
        default: {
            const int target = anyNode(copy.tree);
            if (node != 0 && target != node && !copy.tree.isBelow(target, node))
                refusal = ops.move(node, target);
        }
        }
        if (!refusal.isEmpty())
            ++refusals;
        if (random.bounded(2) == 0)
            copies[random.bounded(3)]->catchUp();
        if (HasFatalFailure())
            return;
    }
    for (Copy* copy : copies) {
        copy->catchUp();
        expectInStep(*copy);
    }
    expectNoOrphansOrCycles(db);
    RecordProperty("refusals", refusals);
    RecordProperty("rebuilds", a->rebuilds + b->rebuilds + c->rebuilds);
}
