#include "ui/Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Acts on the warning box once it is open.
void whenBoxOpens(std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
}

Dialogs::Answer ask() {
    QtDialogs dialogs;
    return dialogs.askWarning(nullptr, QStringLiteral("Обновить Базу данных?"));
}

} // namespace

TEST(WarningQuestion, ButtonsGiveYesAndNo) {
    whenBoxOpens([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(ask(), Dialogs::Answer::Yes);
    whenBoxOpens([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    EXPECT_EQ(ask(), Dialogs::Answer::No);
}

// "No" ends the process, so merely closing the box must not count as "No".
TEST(WarningQuestion, EscapeOrCloseIsNotTakenForNo) {
    whenBoxOpens([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(ask(), Dialogs::Answer::Closed);
    whenBoxOpens([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(ask(), Dialogs::Answer::Closed);
}

TEST(WarningQuestion, ShowsOnlyYesAndNo) {
    bool onlyTwoVisible = false;
    whenBoxOpens([&](QMessageBox& box) {
        int visible = 0;
        for (QAbstractButton* button : box.buttons())
            visible += button->isVisible() ? 1 : 0;
        onlyTwoVisible = visible == 2;
        box.button(QMessageBox::Yes)->click();
    });
    ask();
    EXPECT_TRUE(onlyTwoVisible);
}

TEST(InformationBox, ShowsTheTextWithOneOkButton) {
    QString shownText;
    int visibleButtons = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenBoxOpens([&](QMessageBox& box) {
        shownText = box.text();
        icon = box.icon();
        for (QAbstractButton* button : box.buttons())
            visibleButtons += button->isVisible() ? 1 : 0;
        box.button(QMessageBox::Ok)->click();
    });
    QtDialogs dialogs;
    dialogs.showInfo(nullptr, QStringLiteral("Пароль изменен"));
    EXPECT_EQ(shownText, QStringLiteral("Пароль изменен"));
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(visibleButtons, 1);
}
