#include "FakeDialogs.h"
#include "FakeGeneralServices.h"
#include "app/Connection.h"
#include "app/Ini.h"
#include "fb/Query.h"
#include "journal/ChangeRecord.h"
#include "journal/History.h"
#include "journal/JournalRecords.h"
#include "journal/TableLogs.h"
#include "support/JournalRows.h"
#include "support/SchemaDatabase.h"
#include "tree/ObjectRows.h"
#include "ui/unGeneral.h"
#include "ui/unHistory.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace objectrows;
using testsupport::insertMany;
using testsupport::insertRawBytes;
using testsupport::portUpdate;

constexpr int kAdmin = 1;

// The main window over a tree of
//   1 Офис ├ 10 Сервер
//          └ 11 Шлюз
// with entries by the admin and by Петров.
class HistoryWindow : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(configDir.isValid());
        setConfigFolder(configDir.path());
        petrov = addUser(QStringLiteral("Петров"));
        addObject(1, 0, QStringLiteral("Офис"), 1, 1, 7);
        addObject(10, 1, QStringLiteral("Сервер"), 1, 0, 3);
        addObject(11, 1, QStringLiteral("Шлюз"), 2, 0, 43);
        addServer(10);
        addServer(11);
    }

    void TearDown() override {
        general.reset();
        setConfigFolder(QString());
        SchemaDatabase::TearDown();
    }

    // The entries of object 10 (all four kinds, one of an older copy) and of 11.
    void journalBothObjects() {
        ofServer << insertDataInLOGS(
            db, creationRecord(kAdmin, 10, 1, QStringLiteral("Сервер"), QStringLiteral("\\Офис\\Сервер")));
        insertDataInLOGS(
            db, creationRecord(petrov, 11, 1, QStringLiteral("Шлюз"), QStringLiteral("\\Офис\\Шлюз")));
        ofServer << insertDataInLOGS(
            db, portUpdate(petrov, 10, QStringLiteral("\\Офис\\Сервер"), QStringLiteral("2222")));
        // An older copy's update: no identity, no time.
        ofServer << insertRawBytes(serializeChangeRecord(
            portUpdate(kAdmin, 0, QStringLiteral("\\Офис\\Сервер"), QStringLiteral("23"))));
        insertDataInLOGS(db, portUpdate(petrov, 11, QStringLiteral("\\Офис\\Шлюз"), QStringLiteral("2200")));
        ofServer << insertDataInLOGS(db,
                                     moveRecord(petrov, 10, 1, QStringLiteral("Сервер"),
                                                QStringLiteral("\\Офис\\Сервер"), QStringLiteral("\\Офис")));
        ofServer << insertDataInLOGS(
            db, deletionRecord(kAdmin, 10, QStringLiteral("Сервер"), QStringLiteral("\\Офис\\Сервер")));
        std::reverse(ofServer.begin(), ofServer.end());
    }

    TfmGeneral& openGeneral() {
        general = std::make_unique<TfmGeneral>(db, kAdmin, dialogs, services);
        general->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(general.get()));
        QCoreApplication::processEvents();
        return *general;
    }

    TfmHistory* historyWindow() {
        return general->findChild<TfmHistory*>(QStringLiteral("fmHistory"), Qt::FindDirectChildrenOnly);
    }

    // Through the main window's menu item, for the node (0: the whole tree).
    TfmHistory* openHistory(int nodeId) {
        if (!general)
            openGeneral();
        QAction* item = general->findChild<QAction*>(nodeId ? QStringLiteral("N9") : QStringLiteral("N10"));
        EXPECT_NE(item, nullptr);
        if (nodeId)
            general->selectNode(general->treeModel().nodeById(nodeId));
        item->trigger();
        QCoreApplication::processEvents();
        TfmHistory* window = historyWindow();
        EXPECT_NE(window, nullptr);
        if (window) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        }
        return window;
    }

    template <typename T> T* control(TfmHistory* window, const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static QVector<int> shownIds(QTableView* table) {
        QVector<int> ids;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            ids << table->model()->index(row, 0).data().toInt();
        return ids;
    }

    QTemporaryDir configDir;
    FakeDialogs dialogs;
    FakeGeneralServices services;
    std::unique_ptr<TfmGeneral> general;
    int petrov = 0;
    QVector<int> ofServer;
};

} // namespace

TEST_F(HistoryWindow, OpenedForAnObjectShowsOnlyItsEntriesOfAllFourKinds) {
    journalBothObjects();
    TfmHistory* window = openHistory(10);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Журнал изменений"));
    EXPECT_FALSE(window->isModal());
    auto* table = control<QTableView>(window, "StringGrid1");
    EXPECT_EQ(shownIds(table), ofServer);

    QStringList headers;
    for (int column = 0; column < 6; ++column)
        headers << table->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("№"), QStringLiteral("Время"), QStringLiteral("Автор"),
                                    QStringLiteral("Действие"), QStringLiteral("Объект"),
                                    QStringLiteral("Изменения")}));
    const auto cell = [&](int row, int column) {
        return table->model()->index(row, column).data().toString();
    };
    EXPECT_EQ(cell(0, 3), QStringLiteral("Удаление"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("Перемещение"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("—")); // the older copy's entry has no time
    EXPECT_EQ(cell(2, 5), QStringLiteral("Изменил порт подключения с \"22\" на \"23\" \\Офис\\Сервер"));
    EXPECT_EQ(cell(3, 2), QStringLiteral("Петров"));
    EXPECT_NE(cell(3, 1), QStringLiteral("—"));
    EXPECT_EQ(cell(4, 3), QStringLiteral("Создание"));

    // Unticking the object shows the whole tree.
    auto* onlyObject = control<QCheckBox>(window, "CheckBox1");
    EXPECT_TRUE(onlyObject->isChecked());
    onlyObject->setChecked(false);
    EXPECT_EQ(table->model()->rowCount(), 7);
}

TEST_F(HistoryWindow, FiltersCombine) {
    journalBothObjects();
    TfmHistory* window = openHistory(0);
    ASSERT_NE(window, nullptr);
    auto* table = control<QTableView>(window, "StringGrid1");
    EXPECT_EQ(table->model()->rowCount(), 7);

    auto* author = control<QComboBox>(window, "ComboBox1");
    author->setCurrentIndex(author->findText(QStringLiteral("Петров")));
    EXPECT_EQ(table->model()->rowCount(), 4);
    auto* kind = control<QComboBox>(window, "ComboBox2");
    kind->setCurrentIndex(kind->findText(QStringLiteral("Изменение")));
    EXPECT_EQ(table->model()->rowCount(), 2);

    auto* text = control<QLineEdit>(window, "Edit1");
    text->setText(QStringLiteral("шлюз")); // case ignored
    EXPECT_TRUE(QTest::qWaitFor([&] { return table->model()->rowCount() == 1; }, 2000));
    EXPECT_EQ(table->model()->index(0, 4).data().toString(), QStringLiteral("\\Офис\\Шлюз"));

    author->setCurrentIndex(0); // every author again; the other two still hold
    EXPECT_EQ(table->model()->rowCount(), 1);
    text->clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return table->model()->rowCount() == 3; }, 2000));
}

TEST_F(HistoryWindow, CorruptEntryShowsItsRow) {
    const int a = insertDataInLOGS(
        db, deletionRecord(kAdmin, 11, QStringLiteral("Шлюз"), QStringLiteral("\\Офис\\Шлюз")));
    const int broken = insertRawBytes(QByteArray(17, '\x01'));
    const int b =
        insertDataInLOGS(db, portUpdate(petrov, 10, QStringLiteral("\\Офис\\Сервер"), QStringLiteral("1")));
    TfmHistory* window = openHistory(0);
    ASSERT_NE(window, nullptr);
    auto* table = control<QTableView>(window, "StringGrid1");
    EXPECT_EQ(shownIds(table), (QVector<int>{b, broken, a}));
    EXPECT_EQ(table->model()->index(1, 3).data().toString(), QStringLiteral("повреждённая запись"));
}

TEST_F(HistoryWindow, NewEntryArrivesAtTheTopWhileScrolledDownWithoutMovingTheView) {
    insertMany(300, [&](int i) {
        return portUpdate(petrov, 10, QStringLiteral("\\Офис\\Сервер"), QString::number(i));
    });
    TfmHistory* window = openHistory(0);
    ASSERT_NE(window, nullptr);
    auto* table = control<QTableView>(window, "StringGrid1");
    ASSERT_GE(table->model()->rowCount(), 100);

    table->verticalScrollBar()->setValue(40);
    QCoreApplication::processEvents();
    const QModelIndex selected = table->model()->index(45, 0);
    table->selectionModel()->setCurrentIndex(selected,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const int topId = table->indexAt(QPoint(2, 2)).data().toInt();
    const int selectedId = selected.data().toInt();
    const int rowsBefore = table->model()->rowCount();

    const int fresh = insertDataInLOGS(
        db, deletionRecord(kAdmin, 11, QStringLiteral("Шлюз"), QStringLiteral("\\Офис\\Шлюз")));
    const int fresher =
        insertDataInLOGS(db, portUpdate(kAdmin, 11, QStringLiteral("\\Офис\\Шлюз"), QStringLiteral("7")));
    window->refreshNewest();
    QCoreApplication::processEvents();

    EXPECT_EQ(table->model()->rowCount(), rowsBefore + 2);
    EXPECT_EQ(table->model()->index(0, 0).data().toInt(), fresher);
    EXPECT_EQ(table->model()->index(1, 0).data().toInt(), fresh);
    EXPECT_EQ(table->indexAt(QPoint(2, 2)).data().toInt(), topId);
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().data().toInt(), selectedId);
    EXPECT_EQ(table->currentIndex().data().toInt(), selectedId);

    // At the very top the new entry is what the user sees.
    table->verticalScrollBar()->setValue(0);
    const int newest = insertDataInLOGS(
        db, deletionRecord(kAdmin, 10, QStringLiteral("Сервер"), QStringLiteral("\\Офис\\Сервер")));
    window->refreshNewest();
    QCoreApplication::processEvents();
    EXPECT_EQ(table->indexAt(QPoint(2, 2)).data().toInt(), newest);
}

TEST_F(HistoryWindow, ScrollingToTheEndLoadsTheNextPage) {
    insertMany(450, [&](int i) {
        return portUpdate(petrov, 10, QStringLiteral("\\Офис\\Сервер"), QString::number(i));
    });
    TfmHistory* window = openHistory(0);
    ASSERT_NE(window, nullptr);
    auto* table = control<QTableView>(window, "StringGrid1");
    const int firstPage = table->model()->rowCount();
    ASSERT_LT(firstPage, 450);
    QScrollBar* bar = table->verticalScrollBar();
    for (int turn = 0; turn < 10 && table->model()->rowCount() < 450; ++turn) {
        bar->setValue(bar->maximum());
        QTest::qWait(20);
    }
    EXPECT_EQ(table->model()->rowCount(), 450);
    EXPECT_EQ(table->model()->index(449, 0).data().toInt(), 1);
    EXPECT_TRUE(control<QLabel>(window, "Label1")->text().contains(QStringLiteral("до начала")));
}

TEST_F(HistoryWindow, SavesTheShownRowsAsCsvExactly) {
    journalBothObjects();
    TfmHistory* window = openHistory(11);
    ASSERT_NE(window, nullptr);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("история.csv"));
    dialogs.nextSaveFileName = file;
    QTest::mouseClick(control<QPushButton>(window, "BitBtn1"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(dialogs.offeredSaveName, QStringLiteral("Журнал изменений.csv"));

    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QVector<HistoryRow>& rows = window->rows();
    ASSERT_EQ(rows.size(), 2);
    const QString expected =
        QStringLiteral("№,Время,Автор,Действие,Объект,Изменения\r\n") +
        QStringLiteral("%1,%2,Петров,Изменение,\\Офис\\Шлюз,"
                       "\"Изменил порт подключения с \"\"22\"\" на \"\"2200\"\" \\Офис\\Шлюз\"\r\n")
            .arg(rows[0].id)
            .arg(rows[0].timeText()) +
        QStringLiteral("%1,%2,Петров,Создание,\\Офис\\Шлюз,Добавил новый объект: \\Офис\\Шлюз\r\n")
            .arg(rows[1].id)
            .arg(rows[1].timeText());
    EXPECT_EQ(saved.readAll(), QByteArray("\xEF\xBB\xBF") + expected.toUtf8());
    EXPECT_NE(rows[0].timeText(), QStringLiteral("—"));

    // A cancelled dialog writes nothing; a folder that cannot be written says so.
    dialogs.nextSaveFileName.clear();
    QTest::mouseClick(control<QPushButton>(window, "BitBtn1"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    dialogs.nextSaveFileName = out.filePath(QStringLiteral("нет/такой/папки.csv"));
    QTest::mouseClick(control<QPushButton>(window, "BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.first().startsWith(QStringLiteral("Не удалось сохранить файл")));
}

TEST_F(HistoryWindow, OneAtATimeEscapeClosesAndCtrlHOpensForTheSelection) {
    journalBothObjects();
    TfmHistory* first = openHistory(10);
    ASSERT_NE(first, nullptr);
    TfmHistory* again = openHistory(0);
    EXPECT_EQ(again, first);
    EXPECT_EQ(general->findChildren<TfmHistory*>().size(), 1);
    EXPECT_FALSE(control<QCheckBox>(first, "CheckBox1")->isChecked()); // now for the whole tree

    QTest::keyClick(first, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(historyWindow(), nullptr);

    general->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(general.get()));
    general->selectNode(general->treeModel().nodeById(11));
    QTest::keyClick(general->treeView(), Qt::Key_H, Qt::ControlModifier);
    QCoreApplication::processEvents();
    TfmHistory* byKey = historyWindow();
    ASSERT_NE(byKey, nullptr);
    EXPECT_EQ(byKey->currentFilter().objectId, 11);
}

TEST_F(HistoryWindow, DoubleClickSelectsTheObjectInTheTreeWhenItStillExists) {
    journalBothObjects();
    TfmHistory* window = openHistory(0);
    ASSERT_NE(window, nullptr);
    general->selectNode(general->treeModel().nodeById(1));
    auto* table = control<QTableView>(window, "StringGrid1");
    const QVector<int> ids = shownIds(table);
    const auto doubleClick = [&](int entryId) {
        const int row = static_cast<int>(ids.indexOf(entryId));
        const QRect cell = table->visualRect(table->model()->index(row, 1));
        // As a user's double click comes: a click, then the second press.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QCoreApplication::processEvents();
    };
    const int gatewayUpdate = ids[2]; // Петров's port change of Шлюз
    ASSERT_EQ(table->model()->index(2, 4).data().toString(), QStringLiteral("\\Офис\\Шлюз"));
    doubleClick(gatewayUpdate);
    ASSERT_NE(general->selectedNode(), nullptr);
    EXPECT_EQ(general->selectedNode()->id(), 11);

    // The older copy's update names the object only by its path.
    doubleClick(ofServer[2]);
    ASSERT_NE(general->selectedNode(), nullptr);
    EXPECT_EQ(general->selectedNode()->id(), 10);

    // An object no longer in the tree leaves the selection alone and says so.
    general->treeModel().removeSubtree(general->treeModel().nodeById(10));
    general->selectNode(general->treeModel().nodeById(11));
    doubleClick(ofServer[0]);
    EXPECT_EQ(general->selectedNode()->id(), 11);
    EXPECT_TRUE(control<QLabel>(window, "Label1")->text().contains(QStringLiteral("больше нет")));
}
