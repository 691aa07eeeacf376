#include "app/Variable.h"
#include "ui/AlertWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QRect area() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QString shownMessage(AlertWindow* alert) {
    return alert->findChild<QLabel*>(QStringLiteral("labelMessage"))->text();
}

class AlertWindowTest : public ::testing::Test {
protected:
    qint64 now = 0;
    AlertStack stack{[this] { return now; }};
};

} // namespace

TEST_F(AlertWindowTest, HeightGrowsByTenPerLineFeedAndStopsAtTheScreen) {
    AlertWindow* alert = stack.show(QStringLiteral("Петров"), QStringLiteral("a\n\rb\n\rc\n\rd"));
    EXPECT_EQ(alert->width(), 400);
    EXPECT_EQ(alert->height(), 130);
    EXPECT_EQ(stack.show(QString(), QString())->height(), 100);

    AlertWindow* tall = stack.show(QStringLiteral("x"), QString(500, QLatin1Char('\n')));
    EXPECT_EQ(tall->height(), area().height() - 2 * AlertStack::kMargin);
    EXPECT_GE(tall->y(), area().top());
}

TEST_F(AlertWindowTest, OtherClientsTextIsShownAsPlainText) {
    AlertWindow* alert =
        stack.show(QStringLiteral("<i>Петров</i>"), QStringLiteral("<b>x</b>\n\r<img src=y>\u0007z"));
    const auto* message = alert->findChild<QLabel*>(QStringLiteral("labelMessage"));
    const auto* header = alert->findChild<QLabel*>(QStringLiteral("labelHeader"));
    ASSERT_NE(message, nullptr);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(message->textFormat(), Qt::PlainText);
    EXPECT_EQ(header->textFormat(), Qt::PlainText);
    EXPECT_EQ(message->text(), "<b>x</b>\n<img src=y>z");
    EXPECT_EQ(header->text(), "<i>Петров</i>");
}

TEST_F(AlertWindowTest, LongTextIsWrappedToTheWidthAndCutAtTheHeight) {
    QString lines;
    for (int i = 0; i < 40; ++i)
        lines += QStringLiteral("строка %1\n\r").arg(i);
    const QString path = QStringLiteral("\\Серверы\\Москва\\") + QString(300, QLatin1Char('w'));
    AlertWindow* alert = stack.show(QStringLiteral("h"), path + QStringLiteral("\n\r") + lines);
    QTest::qWait(10);
    const auto* label = alert->findChild<QLabel*>(QStringLiteral("labelMessage"));
    const QStringList shown = label->text().split(QLatin1Char('\n'));
    const QFontMetrics metrics(label->font());
    EXPECT_TRUE(shown.first().startsWith(QStringLiteral("\\Серверы\\Москва\\w")));
    EXPECT_GT(shown.size(), 3) << "the long path wraps instead of running out of the window";
    for (const QString& line : shown)
        EXPECT_LE(metrics.horizontalAdvance(line), label->contentsRect().width()) << line.toStdString();
    EXPECT_LE(shown.size() * metrics.lineSpacing(), label->contentsRect().height());
    EXPECT_TRUE(shown.last().endsWith(QStringLiteral("…")));
    EXPECT_FALSE(label->text().contains(QStringLiteral("строка 39")));
}

TEST_F(AlertWindowTest, TakesNoFocus) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);

    AlertWindow* alert = stack.show(QStringLiteral("Петров"), QStringLiteral("Удалил объект \n\r\\A"));
    QTest::qWait(50);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_FALSE(alert->isActiveWindow());
    EXPECT_TRUE(alert->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(alert->windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(AlertWindowTest, GoesAfterFourteenSecondsOrOnItsButton) {
    QPointer<AlertWindow> first = stack.show(QStringLiteral("a"), QStringLiteral("1"));
    now += 5000;
    QPointer<AlertWindow> second = stack.show(QStringLiteral("b"), QStringLiteral("2"));
    now += AlertStack::kDisplayMs - 5000 - 1;
    stack.closeExpired();
    EXPECT_EQ(stack.alerts().size(), 2);
    now += 1;
    stack.closeExpired();
    EXPECT_EQ(stack.alerts(), QVector<AlertWindow*>{second.data()});
    QTest::qWait(10);
    EXPECT_TRUE(first.isNull()) << "closed alerts are freed";

    auto* button = second->findChild<QToolButton*>(QStringLiteral("buttonClose"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), "Закрыть");
    EXPECT_EQ(button->accessibleName(), "Закрыть");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(stack.alerts().isEmpty());
    QTest::qWait(10);
    EXPECT_TRUE(second.isNull());
}

TEST_F(AlertWindowTest, StackedUpwardFromTheLowerRightCorner) {
    AlertWindow* low = stack.show(QStringLiteral("1"), QStringLiteral("a"));
    AlertWindow* middle = stack.show(QStringLiteral("2"), QStringLiteral("a\nb"));
    AlertWindow* high = stack.show(QStringLiteral("3"), QStringLiteral("a"));
    const QRect a = area();
    for (AlertWindow* alert : {low, middle, high})
        EXPECT_EQ(alert->geometry().right(), a.right() - AlertStack::kMargin);
    EXPECT_EQ(low->geometry().bottom(), a.bottom() - AlertStack::kMargin);
    EXPECT_EQ(middle->geometry().bottom(), low->geometry().top() - AlertStack::kSpacing - 1);
    EXPECT_EQ(high->geometry().bottom(), middle->geometry().top() - AlertStack::kSpacing - 1);

    QTest::mouseClick(low->findChild<QToolButton*>(QStringLiteral("buttonClose")), Qt::LeftButton);
    EXPECT_EQ(middle->geometry().bottom(), a.bottom() - AlertStack::kMargin) << "the rest move down";
}

TEST_F(AlertWindowTest, ShownWhileTheMainWindowIsMinimised) {
    QMainWindow main;
    main.showMinimized();
    QTest::qWait(20);
    AlertWindow* alert = stack.show(QStringLiteral("Петров"), QStringLiteral("x"));
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->parentWidget(), nullptr);
}

TEST(ChangeAlerts, ThreePerCatchUpThenASummaryAndNoneWhenSwitchedOff) {
    QVector<AlertText> raised;
    for (int i = 0; i < 5; ++i)
        raised.append({QStringLiteral("Петров"), QStringLiteral("Удалил объект \n\r\\%1").arg(i)});

    gperShowEvents = false;
    showChangeAlerts(raised);
    EXPECT_TRUE(alertStack().alerts().isEmpty());

    gperShowEvents = true;
    showChangeAlerts(raised);
    const auto shown = alertStack().alerts();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shownMessage(shown[0]), "Удалил объект\n\\0");
    EXPECT_EQ(shownMessage(shown[3]), "И ещё 2 изменения");
    alertStack().closeAll();
    gperShowEvents = false;
}
