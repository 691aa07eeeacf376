#include "FakeDialogs.h"
#include "app/Ini.h"
#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "fb/Query.h"
#include "journal/ChangeRecord.h"
#include "journal/TableLogs.h"
#include "support/JournalRows.h"
#include "support/MemoryTree.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"
#include "tree/TreeEditing.h"
#include "ui/AlertWindow.h"
#include "ui/ProgramServices.h"
#include "ui/TreeEditServices.h"
#include "ui/TreeEditSession.h"
#include "ui/unGeneral.h"
#include "ui/unHistory.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

using namespace objectrows;
using testsupport::countRows;
using testsupport::MemoryTree;

constexpr int kAdmin = 1;
const QString kPetrovName = QStringLiteral("Петров Пётр Иванович");

// Questions answered by a callback, so a test can act while a box "is open".
class ScriptedDialogs : public FakeDialogs {
public:
    std::function<void()> whileAsking;
    Answer askWarning(QWidget* parent, const QString& text) override {
        if (whileAsking)
            whileAsking();
        return FakeDialogs::askWarning(parent, text);
    }
};

// One running copy: its own attachment, boxes, alerts and main window.
struct Client {
    Client(RunDatabase& database, int user) : db(database), services(dialogs, &alerts) {
        window = std::make_unique<TfmGeneral>(db, user, dialogs, services);
        window->show();
    }
    ~Client() {
        window.reset();
        alerts.closeAll();
    }

    TreeEditSession& session() { return *TreeEditSession::of(*window); }
    ObjectTreeModel& tree() { return window->treeModel(); }
    TreeNode* node(int id) { return tree().nodeById(id); }
    int parentOf(int id) {
        const TreeNode* n = node(id);
        return n && n->parent() ? n->parent()->id() : 0;
    }
    QStringList alertHeaders() {
        QStringList headers;
        for (AlertWindow* alert : alerts.alerts())
            headers << alert->windowTitle();
        return headers;
    }
    QStringList alertMessages() {
        QStringList messages;
        for (AlertWindow* alert : alerts.alerts())
            messages << alert->findChild<FittedTextLabel*>(QStringLiteral("labelMessage"))->fullText();
        return messages;
    }

    template <typename T> T* control(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void click(const char* name) {
        QWidget* widget = control<QWidget>(name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    void trigger(const char* action) { control<QAction>(action)->trigger(); }
    void clickNode(int id) {
        QTreeView* view = window->treeView();
        const QModelIndex at = tree().indexOf(node(id));
        ASSERT_TRUE(at.isValid()) << id;
        view->scrollTo(at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at).center());
        QCoreApplication::processEvents();
    }
    int selectedId() {
        const TreeNode* n = window->selectedNode();
        return n ? n->id() : 0;
    }
    // A drop of the tree's own node at the centre of the target node.
    bool drop(int draggedId, int targetId) {
        const std::unique_ptr<QMimeData> mime(tree().mimeData({tree().indexOf(node(draggedId))}));
        QTreeView* view = window->treeView();
        const QModelIndex at = tree().indexOf(node(targetId));
        view->scrollTo(at);
        return window->TreeView1DragDrop(mime.get(), view->visualRect(at).center());
    }
    void typeSearch(const QString& typed) {
        auto* edit = control<QLineEdit>("Edit_SearchInTreeView");
        edit->setFocus();
        edit->clear();
        for (const QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
            QApplication::sendEvent(edit, &release);
        }
    }
    // Parent, text and picture per identity, as the window's tree holds them.
    MemoryTree::Shape shape() {
        MemoryTree::Shape s;
        for (TreeNode* at = tree().firstNode(); at; at = tree().nextInPreOrder(at))
            s.insert(at->id(), {at->parent() ? at->parent()->id() : 0, at->text(), at->imageIndex()});
        return s;
    }
    void waitListening() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return db.IBEvents1.listening(); }, 5000));
        QCoreApplication::processEvents();
    }

    RunDatabase& db;
    ScriptedDialogs dialogs;
    AlertStack alerts;
    TreeEditServices services;
    std::unique_ptr<TfmGeneral> window;
};

// Two or three clients on a database with a small tree:
//   1 Офис ├ 10 Сервер
//          └ 11 Шлюз
//   2 Сайт
class TreeEditWindows : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        petrov = addUser(kPetrovName);
        addObject(1, 0, QStringLiteral("Офис"), 1, 1);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0);
        addObject(11, 1, QStringLiteral("Шлюз"), 2, 0);
        addObject(2, 0, QStringLiteral("Сайт"), 2, 2);
        for (int id : {1, 10, 11, 2})
            addServer(id);
        testsupport::execUnchecked(QStringLiteral("SET GENERATOR GEN_TREETABLE_ID TO 100"));
        // Read by each window as it is created.
        Write_ini_bool(QStringLiteral("SETINGS"), QStringLiteral("ShowEvents"), true);
    }

    void TearDown() override {
        clients.clear();
        others.clear();
        gperShowEvents = false;
        setConfigFolder(QString());
        SchemaDatabase::TearDown();
    }

    // The first client uses the fixture's attachment, the others their own.
    Client& open(int user) {
        RunDatabase* on = &db;
        if (!clients.empty()) {
            others.push_back(testsupport::connectAnother(dbPath));
            on = others.back().get();
        }
        clients.push_back(std::make_unique<Client>(*on, user));
        Client& client = *clients.back();
        client.waitListening();
        return client;
    }

    // Lets every client run what its deliveries asked for.
    static bool settle(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }

    MemoryTree::Shape tableShape() { return MemoryTree::fromTable(db).shape(); }

    int journalled() { return countRows(QStringLiteral("LOGS")); }

    QTemporaryDir configDir;
    int petrov = 0;
    std::vector<std::unique_ptr<RunDatabase>> others;
    std::vector<std::unique_ptr<Client>> clients;
};

// --- changes travelling between clients ------------------------------------------------------------

TEST_F(TreeEditWindows, CreateMoveAndDeleteInAReachBAndCWithAnAlertNamingA) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    Client& c = open(kAdmin); // a second copy of the same user is patched too

    a.clickNode(1);
    a.click("BitBtn3");
    const int created = a.selectedId();
    ASSERT_NE(created, 1) << a.dialogs.errors.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(a.parentOf(created), 1);
    EXPECT_EQ(a.window->selection().gperServerParametrs.ID_TREETABLE, created); // loaded
    for (Client* other : {&b, &c}) {
        ASSERT_TRUE(settle([&] { return other->node(created) != nullptr; })) << "create";
        EXPECT_EQ(other->parentOf(created), 1);
        EXPECT_EQ(other->alertHeaders(), QStringList{kPetrovName});
        EXPECT_EQ(other->alertMessages(),
                  QStringList{alertPlainText(QStringLiteral("Добавил новый объект:\n\r\\Офис\\Объект"))});
    }

    EXPECT_TRUE(a.drop(created, 2));
    EXPECT_EQ(a.parentOf(created), 2);
    ASSERT_TRUE(settle([&] { return b.parentOf(created) == 2 && c.parentOf(created) == 2; })) << "move";
    EXPECT_EQ(b.alertMessages().last(),
              alertPlainText(QStringLiteral(
                  "Сменил путь расположения объекта с \n\r\\Офис\\Объект\n\rна\n\r\\Сайт\\Объект")));

    a.clickNode(created);
    a.dialogs.answers.push_back(Dialogs::Answer::Yes);
    a.trigger("N1");
    EXPECT_EQ(a.node(created), nullptr);
    ASSERT_TRUE(settle([&] { return !b.node(created) && !c.node(created); })) << "delete";
    EXPECT_EQ(b.alertHeaders(), QStringList(3, kPetrovName));

    // The echoes changed nothing in A, which shows the author's own alerts too.
    ASSERT_TRUE(settle([&] { return a.alerts.alerts().size() == 3; }));
    for (Client* client : {&a, &b, &c})
        EXPECT_EQ(client->shape(), tableShape()) << MemoryTree::differences(client->shape(), tableShape());
    EXPECT_EQ(journalled(), 3);
    EXPECT_TRUE(a.dialogs.errors.isEmpty());
}

TEST_F(TreeEditWindows, AnOpenHistoryShowsAnotherCopysChangeAsSoonAsItsWindowCaughtUp) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    TfmHistory* history = TfmHistory::open(*b.window, nullptr);
    const auto before = history->rows().size();
    // Its own timer would pick the entry up only much later.
    history->findChild<QTimer*>(QStringLiteral("Timer1"))->setInterval(3'600'000);
    QSignalSpy caughtUp(&b.session(), &TreeEditSession::caughtUp);

    a.clickNode(1);
    a.click("BitBtn3");
    const int created = a.selectedId();
    ASSERT_TRUE(settle([&] { return b.node(created) != nullptr; }));
    ASSERT_TRUE(settle([&] { return history->rows().size() > before; }, 2000));
    EXPECT_GE(caughtUp.size(), 1);
    EXPECT_EQ(history->rows().first().action, QStringLiteral("Создание"));
}

TEST_F(TreeEditWindows, WithAlertsOffTreesArePatchedAndNoAlertShows) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    gperShowEvents = false;
    a.clickNode(11);
    a.dialogs.answers.push_back(Dialogs::Answer::Yes);
    QTest::keyClick(a.window->treeView(), Qt::Key_Delete);
    ASSERT_TRUE(settle([&] { return !b.node(11); }));
    QTest::qWait(50);
    EXPECT_TRUE(b.alerts.alerts().isEmpty());
}

TEST_F(TreeEditWindows, RemoteDeletionOfTheLoadedObjectClearsSelectionAndEditorSoNoSaveJournalsIt) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    b.clickNode(10);
    ASSERT_EQ(b.window->selection().gperServerParametrs.ID_TREETABLE, 10);
    a.clickNode(1);
    a.dialogs.answers.push_back(Dialogs::Answer::Yes);
    a.trigger("N1");
    ASSERT_TRUE(settle([&] { return !b.node(1); }));
    EXPECT_EQ(b.node(10), nullptr);
    EXPECT_EQ(b.selectedId(), 0);
    EXPECT_FALSE(b.window->selection().objectLoaded);
    EXPECT_TRUE(b.control<QLineEdit>("Edit1")->text().isEmpty());
    const int before = journalled();
    b.window->procSaveDataInBase();
    EXPECT_EQ(journalled(), before);
}

TEST_F(TreeEditWindows, AnEntryWrittenTheOldWayAfterItsRowStillReachesTheTree) {
    Client& b = open(kAdmin);
    addObject(50, 2, QStringLiteral("Новый"), 1);
    insertDataInLOGS(testsupport::creationEntry(petrov, 50, 2, 2, QStringLiteral("\\Сайт\\Объект")));
    ASSERT_TRUE(settle([&] { return b.node(50) != nullptr; }));
    EXPECT_EQ(b.parentOf(50), 2);
    EXPECT_EQ(b.node(50)->text(), QStringLiteral("Новый")); // the row says what it is now
    EXPECT_EQ(b.alertHeaders(), QStringList{kPetrovName});
}

// --- what the database refuses -------------------------------------------------------------------------

TEST_F(TreeEditWindows, CreatingUnderOrDroppingOntoANodeDeletedElsewhereIsRefusedAndJournalsNothing) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    b.clickNode(11);
    {
        // A deletes 11 and 2 while B has not caught up yet.
        const TreeEditSession::Hold hold(&b.session());
        a.clickNode(11);
        a.dialogs.answers.push_back(Dialogs::Answer::Yes);
        a.trigger("N1");
        a.clickNode(2);
        a.dialogs.answers.push_back(Dialogs::Answer::Yes);
        a.trigger("N1");
        QTest::qWait(100);
        ASSERT_NE(b.node(11), nullptr);
        const int before = journalled();
        b.click("BitBtn3");
        EXPECT_TRUE(b.drop(10, 2)); // B's tree still shows 2: the database refuses
        EXPECT_EQ(journalled(), before);
        EXPECT_EQ(b.dialogs.errors, QStringList(2, kObjectGoneText));
        EXPECT_EQ(b.parentOf(10), 1);
    }
    ASSERT_TRUE(settle([&] { return !b.node(11) && !b.node(2); }));
    EXPECT_EQ(b.shape(), tableShape()) << MemoryTree::differences(b.shape(), tableShape());
}

TEST_F(TreeEditWindows, DeliveriesWaitWhileTheDeleteQuestionIsOpenAndTheNodeIsFoundAgainAfterwards) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    b.clickNode(10);
    b.dialogs.answers.push_back(Dialogs::Answer::Yes);
    bool patchedWhileAsking = true;
    b.dialogs.whileAsking = [&] {
        a.clickNode(1);
        a.click("BitBtn3"); // a new node above 10's place in pre-order terms
        a.clickNode(10);
        EXPECT_TRUE(a.drop(10, 2));
        QTest::qWait(300); // deliveries arrive meanwhile
        patchedWhileAsking = b.parentOf(10) != 1 || b.tree().nodeCount() != 4;
    };
    b.trigger("N1");
    EXPECT_FALSE(patchedWhileAsking);
    EXPECT_EQ(b.node(10), nullptr); // deleted by identity where it went meanwhile
    ASSERT_TRUE(settle([&] { return b.shape() == tableShape() && a.shape() == tableShape(); }))
        << MemoryTree::differences(b.shape(), tableShape());
    EXPECT_TRUE(b.dialogs.errors.isEmpty());
}

TEST_F(TreeEditWindows, DeliveriesWaitWhileANestedEventLoopOfABoxOrADragRuns) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    bool patchedInside = true;
    bool patchedAfter = false;
    QEventLoop program; // the application's own loop
    QTimer poll;
    QTimer::singleShot(0, &program, [&] {
        a.clickNode(11);
        a.dialogs.answers.push_back(Dialogs::Answer::Yes);
        a.trigger("N1");
        QEventLoop nested; // what a modal box or a drag runs
        QTimer::singleShot(500, &nested, &QEventLoop::quit);
        nested.exec();
        patchedInside = b.node(11) == nullptr;
        poll.start(20);
    });
    QObject::connect(&poll, &QTimer::timeout, &program, [&] {
        if (!b.node(11)) {
            patchedAfter = true;
            program.quit();
        }
    });
    QTimer::singleShot(8000, &program, &QEventLoop::quit);
    program.exec();
    EXPECT_FALSE(patchedInside);
    EXPECT_TRUE(patchedAfter);
}

// --- one client's operations ------------------------------------------------------------------------------

TEST_F(TreeEditWindows, CreateAtTheTopLevelAndDeleteWithNoChangesNothing) {
    Client& a = open(kAdmin);
    a.window->treeView()->selectionModel()->clear();
    a.trigger("N2");
    const int created = a.selectedId();
    EXPECT_EQ(a.parentOf(created), 0);
    EXPECT_EQ(a.tree().topLevelNode(a.tree().topLevelCount() - 1)->id(), created);
    EXPECT_EQ(RequestIDForPosition(db, created), 3);
    EXPECT_FALSE(a.window->isEditorFolded());

    a.clickNode(1);
    a.dialogs.answers.push_back(Dialogs::Answer::No);
    a.trigger("N1");
    EXPECT_EQ(a.dialogs.questions, QStringList{QStringLiteral("Удалить?")});
    EXPECT_NE(a.node(10), nullptr);
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 5);
    EXPECT_EQ(journalled(), 1);

    a.dialogs.answers.push_back(Dialogs::Answer::Yes);
    a.trigger("N1");
    EXPECT_EQ(countRows(QStringLiteral("TREETABLE")), 2);
    EXPECT_EQ(countRows(QStringLiteral("SERVERS")), 2);
    EXPECT_EQ(journalled(), 2);
    EXPECT_EQ(GetBLOBFromLogsTable(Last_ID_To_LOGS(db)).Type_, 4);
}

TEST_F(TreeEditWindows, DropsOnItselfOrBelowMoveNothingAndADropOnTheOwnParentGoesToTheEnd) {
    Client& a = open(kAdmin);
    a.window->treeView()->expandAll();
    EXPECT_FALSE(a.drop(1, 1));
    EXPECT_FALSE(a.drop(1, 10));
    EXPECT_EQ(journalled(), 0);

    EXPECT_TRUE(a.drop(10, 1));
    EXPECT_EQ(a.node(1)->child(1)->id(), 10);
    EXPECT_EQ(RequestIDForPosition(db, 10), 3);
    EXPECT_EQ(a.selectedId(), 1);
    const type_ParametersOfEvents entry = GetBLOBFromLogsTable(Last_ID_To_LOGS(db));
    EXPECT_EQ(entry.Type_, 3);
    EXPECT_EQ(entry.UserID_, kAdmin);
    EXPECT_EQ(entry.Path_before, entry.Path_after);
    EXPECT_EQ(entry.Path_after, QStringLiteral("\\Офис\\Сервер"));
}

TEST_F(TreeEditWindows, UpAndDownStopAtTheEndsAndEqualPositionsAreKeptAfterARebuild) {
    testsupport::execWrite(QStringLiteral("update TREETABLE set POSITION_ = 0 where ID_PARENT = 1"));
    Client& a = open(kAdmin);
    const int first = a.node(1)->child(0)->id();
    const int second = a.node(1)->child(1)->id();
    a.window->treeView()->expandAll();

    a.clickNode(first);
    a.trigger("N4"); // already first
    EXPECT_EQ(a.node(1)->child(0)->id(), first);
    a.clickNode(second);
    a.trigger("N5"); // already last
    EXPECT_EQ(a.node(1)->child(1)->id(), second);

    a.trigger("N4");
    EXPECT_EQ(a.node(1)->child(0)->id(), second);
    EXPECT_EQ(a.selectedId(), second);
    EXPECT_EQ(journalled(), 0);
    a.session().rebuildTree();
    EXPECT_EQ(a.node(1)->child(0)->id(), second);
    EXPECT_EQ(a.selectedId(), second);
    EXPECT_TRUE(a.window->treeView()->isExpanded(a.tree().indexOf(a.node(1))));
}

TEST_F(TreeEditWindows, SearchIgnoresCaseFindsNextWrapsAndRestartsWhenTheHitIsRemoved) {
    addObject(3, 0, QStringLiteral("Server Казань"), 3);
    addObject(4, 0, QStringLiteral("ещё СЕРВЕР"), 4);
    Client& a = open(kAdmin);
    Client& b = open(petrov);
    a.typeSearch(QStringLiteral("ser"));
    EXPECT_EQ(a.selectedId(), 3);
    EXPECT_FALSE(a.window->selection().objectLoaded); // selected, not loaded
    a.typeSearch(QStringLiteral("сервер"));
    EXPECT_EQ(a.selectedId(), 10);
    a.click("BitBtn11");
    EXPECT_EQ(a.selectedId(), 4);
    a.click("BitBtn11"); // wraps round
    EXPECT_EQ(a.selectedId(), 10);

    a.typeSearch(QStringLiteral("казань"));
    EXPECT_EQ(a.selectedId(), 3);
    a.click("BitBtn11"); // the only hit again
    EXPECT_EQ(a.selectedId(), 3);

    a.typeSearch(QStringLiteral("сервер"));
    a.click("BitBtn11");
    ASSERT_EQ(a.selectedId(), 4);
    b.clickNode(4);
    b.dialogs.answers.push_back(Dialogs::Answer::Yes);
    b.trigger("N1");
    ASSERT_TRUE(settle([&] { return !a.node(4); }));
    a.click("BitBtn11"); // from the top
    EXPECT_EQ(a.selectedId(), 10);

    a.typeSearch(QStringLiteral("щщщ")); // no prefix of it matches either
    EXPECT_EQ(a.selectedId(), 10);
}

// --- many operations at once ---

// Rows whose parent chain does not end at the top level: orphans or cycles.
QStringList unplacedRows(RunDatabase& db) {
    fb::Query q(db.IBDatabase1, db.IBTransaction1);
    q.setSql(QStringLiteral("select ID, ID_PARENT from TREETABLE"));
    QHash<int, int> parents;
    for (q.open(); !q.eof(); q.next())
        parents.insert(q.field(0).asInteger(), q.field(1).asInteger());
    QStringList bad;
    for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
        int at = it.key();
        std::set<int> seen;
        while (at != 0 && parents.contains(at) && seen.insert(at).second)
            at = parents.value(at);
        if (at != 0)
            bad << QString::number(it.key());
    }
    return bad;
}

TEST_F(TreeEditWindows, ASeededRandomRunOfThreeClientsEndsWithEveryTreeEqualToTheTable) {
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    QRandomGenerator random(seed);
    Client* all[] = {&open(petrov), &open(kAdmin), &open(kAdmin)};
    const auto anyNode = [&](Client& client) -> int {
        const int count = client.tree().nodeCount();
        if (count == 0)
            return 0;
        TreeNode* at = client.tree().nodeAtAbsoluteIndex(static_cast<int>(random.bounded(count)));
        return at ? at->id() : 0;
    };
    for (int step = 0; step < 200; ++step) {
        Client& client = *all[random.bounded(3)];
        const int id = anyNode(client);
        if (id != 0)
            client.window->selectNode(client.node(id));
        else
            client.window->treeView()->selectionModel()->clear();
        switch (random.bounded(6)) {
        case 0:
        case 1:
            client.services.CreateObjectOnTreeView(*client.window);
            break;
        case 2:
            if (id != 0 && client.tree().nodeCount() > 6) {
                client.dialogs.answers.push_back(Dialogs::Answer::Yes);
                client.services.DeleteObjectOnTreeView(*client.window);
            }
            break;
        case 3:
        case 4:
            if (const int target = anyNode(client); id != 0 && target != 0)
                client.services.TreeView1DragDrop(*client.window, id, target);
            break;
        case 5:
            if (id != 0) {
                if (random.bounded(2) == 0)
                    client.services.N4Click(*client.window);
                else
                    client.services.N5Click(*client.window);
            }
            break;
        }
        // Sometimes the others run their deliveries at once, sometimes later.
        if (random.bounded(3) == 0)
            QCoreApplication::processEvents();
    }
    const MemoryTree::Shape table = tableShape();
    for (Client* client : all) {
        EXPECT_TRUE(settle([&] { return client->shape() == table; }))
            << MemoryTree::differences(client->shape(), table);
        EXPECT_FALSE(client->session().listeningLost());
    }
    EXPECT_EQ(unplacedRows(db), QStringList());
    // The refusals are the database's own words, nothing else.
    for (Client* client : all) {
        for (const QString& error : client->dialogs.errors)
            EXPECT_TRUE(error == kObjectGoneText || error == kObjectBusyText || error == kMoveBelowItselfText)
                << error.toStdString();
    }
}

// --- the running program's services ---

TEST_F(TreeEditWindows, TheProgramsServicesGiveEachWindowItsFollowingAndStopItAtClose) {
    FakeDialogs dialogs;
    ProgramServices program(dialogs);
    auto otherDb = testsupport::connectAnother(dbPath);
    TfmGeneral window(*otherDb, kAdmin, dialogs, program);
    window.show();
    TreeEditSession* session = TreeEditSession::of(window);
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherDb->IBEvents1.listening(); }, 5000));

    Client& a = open(petrov);
    a.clickNode(2);
    a.click("BitBtn3");
    const int created = a.selectedId();
    ASSERT_TRUE(settle([&] { return window.treeModel().contains(created); }));

    window.requestClose();
    EXPECT_TRUE(session->stopped());
    a.clickNode(created);
    a.dialogs.answers.push_back(Dialogs::Answer::Yes);
    a.trigger("N1");
    QTest::qWait(200);
    EXPECT_TRUE(window.treeModel().contains(created)); // closed: followed no more
}

// --- listening ---

TEST_F(TreeEditWindows, ALostConnectionIsShownAndAReconnectCatchesUp) {
    Client& a = open(petrov);
    Client& b = open(kAdmin);
    b.session().setReattachInterval(200);
    b.db.IBEvents1.setConnectionCheckInterval(200);
    testsupport::killAttachment(a.db, testsupport::attachmentId(b.db));
    ASSERT_TRUE(settle([&] { return b.session().listeningLost(); }));
    EXPECT_EQ(b.window->statusPanel(2)->text(), QStringLiteral("Нет связи"));
    a.clickNode(11);
    a.dialogs.answers.push_back(Dialogs::Answer::Yes);
    a.trigger("N1");
    ASSERT_TRUE(settle([&] { return !b.session().listeningLost() && !b.node(11); }, 10000));
    EXPECT_TRUE(b.window->statusPanel(2)->text().isEmpty());
    EXPECT_TRUE(b.control<QWidget>("Memo1") != nullptr);
}

} // namespace
