#include "ui/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// On X11 only the primary monitor's work area leaves out panels; the others report
// their whole area.
const MonitorArea kLaptop{QRect(0, 0, 1366, 768), QRect(0, 0, 1366, 728)};
const MonitorArea kLeftOfLaptop{QRect(-1280, 0, 1280, 1024), QRect(-1280, 0, 1280, 1024)};
const MonitorArea kRightOfLaptop{QRect(1366, 0, 1920, 1080), QRect(1366, 0, 1920, 1080)};
const MonitorArea kBelowLaptop{QRect(0, 768, 1920, 1080), QRect(0, 768, 1920, 1080)};

const QRect kFrame(300, 200, 305, 500); // where the window happens to be

struct Case {
    const char* what;
    QList<MonitorArea> monitors;
    int monitor;
    int position;
    QRect expected;
};

class Placement : public ::testing::TestWithParam<Case> {};

TEST_P(Placement, FrameGoesAgainstTheChosenEdgeAtFullWorkAreaHeight) {
    const Case& c = GetParam();
    EXPECT_EQ(placedFrame(c.monitors, kFrame, c.monitor, c.position), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Monitors, Placement,
    ::testing::Values(
        Case{"one monitor, left", {kLaptop}, 0, 0, QRect(0, 0, 305, 728)},
        Case{"one monitor, right edge exact", {kLaptop}, 0, 1, QRect(1366 - 305, 0, 305, 728)},
        Case{"missing settings read as -1: first, left",
             {kLaptop, kRightOfLaptop},
             -1,
             -1,
             QRect(0, 0, 305, 728)},
        Case{"second chosen, only one there", {kLaptop}, 1, 1, QRect(1061, 0, 305, 728)},
        Case{"second at negative x, right", {kLaptop, kLeftOfLaptop}, 1, 1, QRect(-305, 0, 305, 1024)},
        Case{"second at negative x, left", {kLaptop, kLeftOfLaptop}, 1, 0, QRect(-1280, 0, 305, 1024)},
        Case{"second to the right, right", {kLaptop, kRightOfLaptop}, 1, 1, QRect(3286 - 305, 0, 305, 1080)},
        Case{"second stacked below at x 0, left", {kLaptop, kBelowLaptop}, 1, 0, QRect(0, 768, 305, 1080)},
        Case{
            "second stacked below at x 0, right", {kLaptop, kBelowLaptop}, 1, 1, QRect(1615, 768, 305, 1080)},
        Case{
            "other values mean second and right", {kLaptop, kRightOfLaptop}, 7, 2, QRect(2981, 0, 305, 1080)},
        Case{"third monitor is never chosen",
             {kLaptop, kRightOfLaptop, kBelowLaptop},
             2,
             0,
             QRect(1366, 0, 305, 1080)}));

TEST(PlacementWithoutMonitors, FrameStaysWhereItIs) {
    EXPECT_EQ(placedFrame({}, kFrame, 1, 1), kFrame);
}

TEST(PlacementRightEdge, TouchesTheEdgeThatQRectRightMisses) {
    const QRect placed = placedFrame({kLaptop}, kFrame, 0, 1);
    EXPECT_EQ(placed.x() + placed.width(), 1366);
    EXPECT_EQ(placed.right(), 1365);
}

TEST(PlacementOfAWindow, UsesTheScreensAsTheyAreNow) {
    const QList<MonitorArea> monitors = currentMonitors();
    ASSERT_FALSE(monitors.isEmpty());
    EXPECT_EQ(monitors.first().workArea, QGuiApplication::primaryScreen()->availableGeometry());

    QWidget window;
    window.resize(305, 200);
    POSITION_FORM_ON_MONITOR(&window, 0, 1);
    const QRect area = monitors.first().workArea;
    EXPECT_EQ(window.frameGeometry().x() + window.frameGeometry().width(), area.x() + area.width());
    EXPECT_EQ(window.frameGeometry().top(), area.top());
    EXPECT_EQ(window.frameGeometry().height(), area.height());
    EXPECT_EQ(window.width(), 305);
}

} // namespace
