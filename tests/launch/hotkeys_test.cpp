#include "launch/Hotkeys.h"
#include "launch/KeyCodeMap.h"
#include "support/FakePlatform.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr quint32 kControlL = 0xffe3, kControlR = 0xffe4, kAltL = 0xffe9, kAltR = 0xffea;

class FakeHotkeyWindow : public HotkeyWindow {
public:
    bool isMinimized() override { return minimized; }
    bool isActiveWindow() override { return active; }
    void restore() override {
        actions << QStringLiteral("restore");
        minimized = false;
    }
    void minimize() override {
        actions << QStringLiteral("minimize");
        minimized = true;
    }
    void bringForward() override { actions << QStringLiteral("forward"); }

    bool minimized = false;
    bool active = false;
    QStringList actions;
};

struct Event {
    int key;
    bool down;
};

bool feedAll(HotkeyCombination& combination, std::initializer_list<Event> events) {
    bool completed = false;
    for (const Event& e : events)
        completed = combination.feed(e.key, e.down);
    return completed;
}

} // namespace

TEST(HotkeyCombination, FirstKeyThenSecondThenBothUpInEitherOrder) {
    struct Case {
        const char* what;
        std::initializer_list<Event> events;
        bool completes;
    };
    const Case cases[] = {
        {"second released first", {{162, true}, {164, true}, {164, false}, {162, false}}, true},
        {"first released first", {{162, true}, {164, true}, {162, false}, {164, false}}, true},
        {"wrong order of presses", {{164, true}, {162, true}, {164, false}, {162, false}}, false},
        {"repeat of the held first key",
         {{162, true}, {162, true}, {164, true}, {164, false}, {162, false}},
         true},
        {"repeat of the held second key spoils it",
         {{162, true}, {164, true}, {164, true}, {164, false}, {162, false}},
         false},
        {"right-hand keys do not count", {{163, true}, {165, true}, {165, false}, {163, false}}, false},
        {"other keys between are ignored",
         {{162, true}, {65, true}, {164, true}, {65, false}, {164, false}, {162, false}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HotkeyCombination combination;
        combination.MOD_KEY = 162;
        combination.VK_KEY = 164;
        EXPECT_EQ(feedAll(combination, c.events), c.completes);
    }
}

TEST(HotkeyCombination, UnsetKeysStayInertAndHistoryOutlivesAKeyChange) {
    HotkeyCombination inert; // -1, -1 as from a missing config.ini
    EXPECT_FALSE(feedAll(inert, {{-1, true}, {-1, true}, {-1, false}, {-1, false}}));
    EXPECT_FALSE(feedAll(inert, {{0, true}, {0, true}, {0, false}, {0, false}}));

    HotkeyCombination combination;
    combination.MOD_KEY = 162;
    combination.VK_KEY = 164;
    feedAll(combination, {{162, true}, {164, true}});
    combination.MOD_KEY = 162; // keys "changed" to the same values: history kept
    EXPECT_TRUE(feedAll(combination, {{164, false}, {162, false}}));
}

TEST(HotkeyAction, RestoreMinimizeOrBringForward) {
    EXPECT_EQ(hotkeyAction(true, false), HotkeyAction::Restore);
    EXPECT_EQ(hotkeyAction(true, true), HotkeyAction::Restore);
    EXPECT_EQ(hotkeyAction(false, true), HotkeyAction::Minimize);
    EXPECT_EQ(hotkeyAction(false, false), HotkeyAction::BringForward);
}

TEST(DoublePress, TwoSeparateShortPressesWithinFiveSamples) {
    struct Case {
        const char* what;
        std::vector<int> samples;
        int firesAt; // 1-based sample, 0: never
    };
    const Case cases[] = {
        {"taps at 1 and 3", {1, 0, 1, 0, 0, 0}, 4},
        {"one long press", {1, 1, 0, 0, 0}, 0},
        {"presses of two samples each", {1, 1, 0, 1, 1, 0}, 0},
        {"taps too far apart", {1, 0, 0, 0, 0, 1, 0, 0}, 0},
        {"taps at the edge of the window", {1, 0, 0, 1, 0}, 5},
        {"three taps: the third test counts three", {0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0}, 9},
        {"nothing pressed", std::vector<int>(250, 0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DoublePressDetector detector;
        int firedAt = 0;
        for (std::size_t k = 0; k < c.samples.size(); ++k) {
            if (detector.addSample(c.samples[k] != 0)) {
                EXPECT_EQ(firedAt, 0) << "fired twice";
                firedAt = static_cast<int>(k) + 1;
            }
        }
        EXPECT_EQ(firedAt, c.firesAt);
    }
}

TEST(DoublePress, WrapsAroundTheRing) {
    DoublePressDetector detector;
    for (int k = 0; k < 98; ++k)
        detector.addSample(false);
    // Samples 99, 100 | 1, 2: taps at 99 and 1, released at 100 and 2.
    EXPECT_FALSE(detector.addSample(true));
    EXPECT_FALSE(detector.addSample(false));
    EXPECT_FALSE(detector.addSample(true));
    EXPECT_TRUE(detector.addSample(false));
}

TEST(KeyCodeMap, WindowsCodesToKeysyms) {
    EXPECT_EQ(keysymsForVirtualKey(162), QVector<quint32>{kControlL});
    EXPECT_EQ(keysymsForVirtualKey(163), QVector<quint32>{kControlR});
    EXPECT_EQ(keysymsForVirtualKey(164), QVector<quint32>{kAltL});
    EXPECT_TRUE(keysymsForVirtualKey(165).contains(kAltR));
    EXPECT_EQ(keysymsForVirtualKey(17), (QVector<quint32>{kControlL, kControlR}));
    EXPECT_EQ(keysymsForVirtualKey(16), (QVector<quint32>{0xffe1, 0xffe2}));
    EXPECT_TRUE(keysymsForVirtualKey(18).contains(kAltL) && keysymsForVirtualKey(18).contains(kAltR));
    EXPECT_EQ(keysymsForVirtualKey('A'), (QVector<quint32>{'a', 'A'}));
    EXPECT_EQ(keysymsForVirtualKey('7'), QVector<quint32>{'7'});
    EXPECT_EQ(keysymsForVirtualKey(112), QVector<quint32>{0xffbe}); // F1
    EXPECT_EQ(keysymsForVirtualKey(123), QVector<quint32>{0xffc9}); // F12
    EXPECT_TRUE(keysymsForVirtualKey(-1).isEmpty());
    EXPECT_TRUE(keysymsForVirtualKey(0).isEmpty());
    EXPECT_TRUE(keysymsForVirtualKey(255).isEmpty());

    EXPECT_EQ(parseVirtualKeyCode(QStringLiteral("$11")), 17);
    EXPECT_EQ(parseVirtualKeyCode(QStringLiteral("162")), 162);
    EXPECT_EQ(parseVirtualKeyCode(QStringLiteral("0xA2")), 162);
    EXPECT_FALSE(parseVirtualKeyCode(QStringLiteral("Ctrl")));
    EXPECT_FALSE(parseVirtualKeyCode(QString()));
}

class HotkeysTest : public ::testing::Test {
protected:
    HotkeysTest() {
        QObject::connect(&hotkeys, &Hotkeys::trace, [this](const QString& line) { traces << line; });
        QObject::connect(&hotkeys, &Hotkeys::message, [this](const QString& text) { messages << text; });
        QObject::connect(&hotkeys, &Hotkeys::unavailable, [this](const QString& text) { statuses << text; });
    }
    void combination(quint32 first, quint32 second) {
        keys.key(first, true);
        keys.key(second, true);
        keys.key(second, false);
        keys.key(first, false);
    }

    FakeKeySource keys;
    FakeKeymapSampler sampler;
    FakeHotkeyWindow window;
    Hotkeys hotkeys{keys, sampler, window};
    QStringList traces, messages, statuses;
};

TEST_F(HotkeysTest, CombinationRestoresMinimisesOrBringsForward) {
    hotkeys.initialization_hotkey(162, 164);
    window.minimized = true;
    combination(kControlL, kAltL);
    window.active = true;
    combination(kControlL, kAltL);
    window.active = false;
    window.minimized = false; // another program is in front
    combination(kControlL, kAltL);
    EXPECT_EQ(window.actions, (QStringList{"restore", "minimize", "forward"}));
    EXPECT_EQ(traces.first(), QStringLiteral("162 нажата "));
    EXPECT_EQ(traces[2], QStringLiteral("164 отпущена "));
}

TEST_F(HotkeysTest, OnlyTheConfiguredKeysAreObserved) {
    hotkeys.initialization_hotkey(162, 164);
    EXPECT_EQ(keys.keysyms(), (QVector<quint32>{kControlL, kAltL}));
    keys.key('a', true);
    combination(kControlR, kAltR);
    EXPECT_TRUE(traces.isEmpty());
    EXPECT_TRUE(window.actions.isEmpty());

    // "Either Ctrl" and "either Alt" take both sides.
    hotkeys.initialization_hotkey(17, 18);
    combination(kControlR, kAltR);
    EXPECT_EQ(window.actions, QStringList{"forward"});
    EXPECT_EQ(traces.first(), QStringLiteral("17 нажата "));
}

TEST_F(HotkeysTest, RepeatedInitialisationKeepsOneSubscription) {
    hotkeys.initialization_hotkey(162, 164);
    hotkeys.initialization_hotkey(162, 164);
    keys.key(kControlL, true);
    EXPECT_EQ(traces.size(), 1);
    hotkeys.deinitialization_hotkey();
    EXPECT_FALSE(keys.isSubscribed());
    hotkeys.deinitialization_hotkey(); // also when never installed
}

TEST_F(HotkeysTest, MissingKeysLeaveItInertUnknownOnesAreReported) {
    hotkeys.initialization_hotkey(-1, 164);
    EXPECT_FALSE(keys.isSubscribed());
    EXPECT_TRUE(messages.isEmpty());
    hotkeys.initialization_hotkey(162, 255);
    EXPECT_FALSE(keys.isSubscribed());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("255")));
}

TEST_F(HotkeysTest, UnavailableSourceIsToldOnce) {
    keys.available = false;
    hotkeys.initialization_hotkey(162, 164);
    hotkeys.initialization_hotkey(162, 164);
    EXPECT_EQ(statuses,
              QStringList{QStringLiteral("Глобальные горячие клавиши недоступны в сеансе Wayland")});
}

TEST_F(HotkeysTest, DoublePressThreadRestoresTheMinimisedWindow) {
    window.minimized = true;
    sampler.queue({1, 0, 1, 0});
    ASSERT_TRUE(hotkeys.start_potok(QStringLiteral("$11"), 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.actions.isEmpty(); }, 2000));
    EXPECT_EQ(window.actions, QStringList{"restore"});
    hotkeys.stop_potok();
    EXPECT_EQ(sampler.lastKeysyms, (QVector<quint32>{kControlL, kControlR}));
}

TEST_F(HotkeysTest, DoublePressSamplesTheConfiguredKeyAndDoesNothingWhenShown) {
    sampler.queue({1, 0, 1, 0});
    ASSERT_TRUE(hotkeys.start_potok(QStringLiteral("65"), 20)); // "A", not Ctrl
    ASSERT_TRUE(QTest::qWaitFor([&] { return sampler.drained(); }, 2000));
    QTest::qWait(50);
    hotkeys.stop_potok();
    EXPECT_EQ(sampler.lastKeysyms, (QVector<quint32>{'a', 'A'}));
    EXPECT_TRUE(window.actions.isEmpty());
}

TEST_F(HotkeysTest, BadCodeKeyGivesAMessageAndNoThread) {
    EXPECT_FALSE(hotkeys.start_potok(QStringLiteral("Ctrl"), 120));
    EXPECT_FALSE(hotkeys.doublePressThread().isRunning());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("«Ctrl»")));
}

TEST_F(HotkeysTest, PeriodNeverSpinsNorSleepsForGood) {
    EXPECT_EQ(Hotkeys::samplingPeriodMs(-1), 120);
    EXPECT_EQ(Hotkeys::samplingPeriodMs(0), 120);
    EXPECT_EQ(Hotkeys::samplingPeriodMs(1), 20);
    EXPECT_EQ(Hotkeys::samplingPeriodMs(19), 20);
    EXPECT_EQ(Hotkeys::samplingPeriodMs(20), 20);
    EXPECT_EQ(Hotkeys::samplingPeriodMs(250), 250);

    // With -1 the thread samples at 120 ms and a stop ends it at once.
    ASSERT_TRUE(hotkeys.start_potok(QStringLiteral("$11"), -1));
    QTest::qWait(300);
    const auto before = std::chrono::steady_clock::now();
    hotkeys.stop_potok();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
    EXPECT_GE(sampler.taken(), 2);
    EXPECT_LE(sampler.taken(), 4);
}

TEST_F(HotkeysTest, RestartReplacesTheThread) {
    ASSERT_TRUE(hotkeys.start_potok(QStringLiteral("$11"), 20));
    ASSERT_TRUE(hotkeys.start_potok(QStringLiteral("$11"), 20));
    EXPECT_TRUE(hotkeys.doublePressThread().isRunning());
    hotkeys.stop_potok();
    EXPECT_FALSE(hotkeys.doublePressThread().isRunning());
    hotkeys.stop_potok(); // on a stopped thread: harmless
}
