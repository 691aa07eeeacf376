#include "platform/KeyInput.h"
#include "platform/WindowRaiser.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

constexpr quint32 kControlL = 0xffe3, kAltL = 0xffe9, kLetterA = 'a';

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

// A virtual X server of our own for the duration of one test suite.
class VirtualDisplay {
public:
    bool start() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return false;
        m_oldDisplay = qgetenv("DISPLAY");
        m_server.setProgram(xvfb);
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-noreset"),
                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        m_server.start();
        if (!m_server.waitForStarted(5000))
            return false;
        QByteArray number;
        while (!number.contains('\n') && m_server.waitForReadyRead(5000))
            number += m_server.readAllStandardOutput();
        if (!number.contains('\n'))
            return false;
        qputenv("DISPLAY", ":" + number.trimmed());
        return true;
    }
    ~VirtualDisplay() {
        m_server.terminate();
        m_server.waitForFinished(3000);
        qputenv("DISPLAY", m_oldDisplay);
    }

private:
    QProcess m_server;
    QByteArray m_oldDisplay;
};

xcb_keycode_t keycodeOf(xcb_connection_t* c, quint32 keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr),
        &std::free);
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    for (int i = 0; i < count; ++i) {
        if (syms[i * reply->keysyms_per_keycode] == keysym)
            return static_cast<xcb_keycode_t>(setup->min_keycode + i);
    }
    return 0;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return reply->atom;
}

class X11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display = new VirtualDisplay;
        if (!display->start()) {
            delete display;
            display = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete display;
        display = nullptr;
    }
    void SetUp() override {
        if (!display)
            GTEST_SKIP() << "no Xvfb";
        c = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(c));
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    void TearDown() override {
        if (c)
            xcb_disconnect(c);
    }
    void fakeKey(quint32 keysym, bool down) {
        const xcb_keycode_t keycode = keycodeOf(c, keysym);
        ASSERT_NE(keycode, 0);
        xcb_test_fake_input(c, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0,
                            0, 0);
        xcb_flush(c);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // round trip: it has happened
    }

    static inline VirtualDisplay* display = nullptr;
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
};

} // namespace

TEST_F(X11Test, KeySourceReportsOnlyTheChosenKeysWithoutPolling) {
    XInputKeySource source;
    std::vector<std::pair<quint32, bool>> seen;
    ASSERT_TRUE(source.subscribe({kControlL, kAltL}, [&](quint32 keysym, bool down) {
        seen.emplace_back(keysym, down);
    })) << source.unavailableReason().toStdString();
    fakeKey(kLetterA, true);
    fakeKey(kLetterA, false);
    fakeKey(kControlL, true);
    fakeKey(kAltL, true);
    fakeKey(kAltL, false);
    fakeKey(kControlL, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 4; }, 3000)) << seen.size();
    const std::vector<std::pair<quint32, bool>> expected = {
        {kControlL, true}, {kAltL, true}, {kAltL, false}, {kControlL, false}};
    EXPECT_EQ(seen, expected);

    source.unsubscribe();
    fakeKey(kControlL, true);
    fakeKey(kControlL, false);
    QTest::qWait(100);
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(X11Test, KeymapSamplerSeesHeldKeys) {
    XcbKeymapSampler sampler;
    ASSERT_TRUE(sampler.isConnected());
    EXPECT_FALSE(sampler.isAnyPressed({kControlL}));
    fakeKey(kControlL, true);
    EXPECT_TRUE(sampler.isAnyPressed({kControlL, 0xffe4}));
    EXPECT_FALSE(sampler.isAnyPressed({kAltL}));
    fakeKey(kControlL, false);
    EXPECT_FALSE(sampler.isAnyPressed({kControlL}));
}

TEST_F(X11Test, RaiserAsksTheWindowManagerToActivateTheProcessWindows) {
    // This connection plays the window manager: it receives the requests.
    const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &redirect);
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const uint32_t pid = 4242;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 32, 1,
                        &window);
    xcb_flush(c);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    X11WindowRaiser raiser;
    EXPECT_EQ(raiser.raiseWindowsOf(999), 0);
    EXPECT_EQ(raiser.raiseWindowsOf(4242), 1);

    const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
    bool requested = false;
    for (int tries = 0; tries < 50 && !requested; ++tries) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                requested =
                    message->type == active && message->window == window && message->data.data32[0] == 2;
            }
            free(event);
        }
        QTest::qWait(20);
    }
    EXPECT_TRUE(requested);
}
