#include "ui/unSelectIcon.h"

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Stands in for the main window's 77 tree icons.
QVector<QIcon> treeIcons(int count = 77) {
    QVector<QIcon> icons;
    for (int i = 0; i < count; ++i) {
        QPixmap p(16, 16);
        p.fill(QColor::fromHsv((i * 37) % 360, 200, 220));
        icons << QIcon(p);
    }
    return icons;
}

class IconPicker : public ::testing::Test {
protected:
    TfmSelectIcon* open(int currentIcon, int iconCount = 77) {
        picker = new TfmSelectIcon(treeIcons(iconCount), currentIcon);
        picker->setOnClose([this] { ++closes; });
        chosen = std::make_unique<QSignalSpy>(picker.data(), &TfmSelectIcon::iconChosen);
        picker->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(picker));
        return picker;
    }

    void TearDown() override { delete picker.data(); }

    QTableWidget* grid() { return picker->findChild<QTableWidget*>(QStringLiteral("StringGrid1")); }
    QPushButton* ok() { return picker->findChild<QPushButton*>(QStringLiteral("BitBtn1")); }

    void clickCell(int row, int column) {
        QTableWidget* g = grid();
        const QRect cell = g->visualRect(g->model()->index(row, column));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    }

    int lastChosen() const { return chosen->isEmpty() ? -100 : chosen->last().at(0).toInt(); }

    QPointer<TfmSelectIcon> picker;
    std::unique_ptr<QSignalSpy> chosen;
    int closes = 0;
};

} // namespace

TEST_F(IconPicker, WindowGridAndButtonAsDescribed) {
    open(0);
    EXPECT_EQ(picker->windowTitle(), QStringLiteral("Выбор иконки"));
    EXPECT_EQ(picker->size(), QSize(384, 275));
    ASSERT_NE(grid(), nullptr);
    EXPECT_EQ(grid()->rowCount(), 11);
    EXPECT_EQ(grid()->columnCount(), 21);
    EXPECT_FALSE(grid()->horizontalHeader()->isVisible());
    EXPECT_FALSE(grid()->verticalHeader()->isVisible());
    EXPECT_EQ(grid()->iconSize(), QSize(16, 16));
    EXPECT_EQ(ok()->text(), QStringLiteral("ОК"));
    EXPECT_FALSE(grid()->item(0, 5)->icon().isNull());
    EXPECT_TRUE(grid()->item(3, 14)->icon().isNull()); // 77: past the list
}

TEST_F(IconPicker, CellInRowOneColumnZeroIsIcon21) {
    open(0);
    clickCell(1, 0);
    EXPECT_EQ(picker->chosenIndex(), 21);
    EXPECT_EQ(ID_ico, 21);
    QTest::mouseClick(ok(), Qt::LeftButton);
    EXPECT_EQ(lastChosen(), 21);
    EXPECT_EQ(closes, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(picker.isNull()); // freed on closing
}

TEST_F(IconPicker, OpensOnTheObjectsOwnIconNotTheLastChoice) {
    open(0);
    clickCell(0, 9);
    QTest::mouseClick(ok(), Qt::LeftButton);
    ASSERT_EQ(lastChosen(), 9);

    open(3); // another object, whose icon is 3
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_EQ(grid()->currentColumn(), 3);
    QTest::mouseClick(ok(), Qt::LeftButton);
    EXPECT_EQ(lastChosen(), 3);
}

TEST_F(IconPicker, EmptyCellsCannotBeChosen) {
    open(12);
    clickCell(3, 14);  // index 77
    clickCell(10, 20); // index 230
    EXPECT_EQ(picker->chosenIndex(), 12);
    QTest::keyClick(grid(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_LT(picker->chosenIndex(), 77);
    QTest::mouseClick(ok(), Qt::LeftButton);
    EXPECT_GE(lastChosen(), 0);
    EXPECT_LT(lastChosen(), 77);
}

TEST_F(IconPicker, AStoredIndexWithoutIconChoosesNothing) {
    for (int stored : {-1, 77, 500}) {
        open(stored);
        EXPECT_EQ(picker->chosenIndex(), -1);
        QTest::mouseClick(ok(), Qt::LeftButton);
        EXPECT_TRUE(chosen->isEmpty()) << stored;
    }
    open(5, 0); // no icons at all
    clickCell(0, 0);
    QTest::mouseClick(ok(), Qt::LeftButton);
    EXPECT_TRUE(chosen->isEmpty());
}

TEST_F(IconPicker, DoubleClickChoosesAndCloses) {
    open(0);
    QTableWidget* g = grid();
    const QPoint at = g->visualRect(g->model()->index(2, 4)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(lastChosen(), 46);
    EXPECT_EQ(chosen->size(), 1);
    EXPECT_EQ(closes, 1);
}

TEST_F(IconPicker, CloseBoxChangesNothingButReenablesTheMainWindow) {
    QWidget mainWindow;
    mainWindow.show();
    open(7);
    mainWindow.setEnabled(false);
    picker->setOnClose([&] {
        ++closes;
        mainWindow.setEnabled(true);
    });
    clickCell(0, 8);
    picker->close();
    EXPECT_TRUE(chosen->isEmpty());
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(IconPicker, DestroyedWithoutClosingStillReportsTheClose) {
    open(1);
    delete picker.data();
    EXPECT_EQ(closes, 1);
}

TEST_F(IconPicker, StaysUsableWhileTheMainWindowIsDisabled) {
    QWidget mainWindow;
    mainWindow.show();
    open(2);
    mainWindow.setEnabled(false);
    EXPECT_TRUE(picker->isEnabled());
    QTest::mouseClick(ok(), Qt::LeftButton);
    EXPECT_EQ(lastChosen(), 2);

    // As a child window it would be disabled with its parent: no parent, then.
    QWidget parent;
    parent.show();
    TfmSelectIcon child(treeIcons(), 0, &parent);
    child.setAttribute(Qt::WA_DeleteOnClose, false);
    parent.setEnabled(false);
    EXPECT_FALSE(child.isEnabled());
}
