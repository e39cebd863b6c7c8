// The X11 input source against an X server of the test's own: keys and buttons injected through
// XTEST by another client, as the hardware would produce them, and what the source reports, what
// other clients still get and whether the keyboard is free again afterwards.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "core/keys/KeyTables.h"
#include "core/macro/MacroRecorder.h"
#include "platform/input/CDeviceHook.h"
#include "platform/input/CX11InputSource.h"
#include "platform/input/X11KeyTable.h"
#include "tests/support/WaitFor.h"
#include "tests/support/X11TestClient.h"
#include "tests/support/XvfbServer.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace q840;
using namespace q840::input;
using q840::test::OtherClient;

namespace {

// X key codes (Linux input code + 8).
constexpr unsigned kKeyA = 38;
constexpr unsigned kKeyB = 56;
constexpr unsigned kRightCtrl = 105;
constexpr unsigned kUp = 111;
constexpr unsigned kCapsLock = 66;

struct Seen {
    UINT message;
    KeyHookRecord key;
    MouseHookRecord mouse;
};

class Recorder : public IInputSink {
public:
    void OnKey(UINT message, const KeyHookRecord& record) override {
        if (throwOnKey) {
            throw std::runtime_error("handler fault");
        }
        keys.push_back({message, record, {}});
    }
    void OnMouse(UINT message, const MouseHookRecord& record) override {
        buttons.push_back({message, {}, record});
    }
    std::vector<Seen> keys;
    std::vector<Seen> buttons;
    bool throwOnKey = false;
};

class X11SourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_server.Display().empty()) << "Xvfb did not start";
        m_other = std::make_unique<OtherClient>(m_server.Display());
        ASSERT_NE(m_other->Dpy(), nullptr);
        m_source = std::make_unique<CX11InputSource>(m_server.Display());
    }
    bool WaitKeys(size_t count) {
        return test::WaitFor([&] { return m_sink.keys.size() >= count; }, 3000);
    }

    test::XvfbServer m_server;
    std::unique_ptr<OtherClient> m_other;
    std::unique_ptr<CX11InputSource> m_source;
    Recorder m_sink;
};

TEST(X11KeyTable, ReachesEveryKeyOfTheMacroTableOnce) {
    std::vector<int> hits(keys::kMacroKeyTable.size(), 0);
    for (const X11KeyRow& row : kX11KeyTable) {
        const int key = keys::FindKeyByScanCode(row.scanCode, row.extended);
        ASSERT_GE(key, 0) << "X key " << int(row.keycode) << " has no row";
        ++hits[size_t(key)];
    }
    for (size_t i = 0; i < hits.size(); ++i) {
        EXPECT_EQ(hits[i], 1) << keys::kMacroKeyTable[i].nameKey;
    }
    // Num Lock and Pause share their make code; only the E0 flag tells them apart.
    EXPECT_EQ(MakeKeyRecord(77, true, 0).vkCode, 0x90u);
    EXPECT_TRUE(MakeKeyRecord(77, true, 0).Extended());
    EXPECT_EQ(MakeKeyRecord(127, true, 0).vkCode, 0x13u);
    EXPECT_FALSE(MakeKeyRecord(127, true, 0).Extended());
    // Keypad Enter: Enter's virtual key with the flag.
    EXPECT_EQ(MakeKeyRecord(104, false, 0).vkCode, 0x0Du);
    EXPECT_EQ(MakeKeyRecord(104, false, 0).flags, kKeyFlagExtended | kKeyFlagUp);
    // A key the tables do not know carries nothing the recorder could take for a key.
    const KeyHookRecord unknown = MakeKeyRecord(191 /* F13 */, true, 0);
    EXPECT_EQ(unknown.scanCode, 0u);
    EXPECT_EQ(unknown.vkCode, 0u);
}

TEST_F(X11SourceTest, KeysComeWithTheirCodesAndNoOtherClientSeesThem) {
    m_other->OpenWindow();
    ASSERT_TRUE(m_source->Start(true, true, &m_sink)) << m_source->Error();
    EXPECT_FALSE(m_other->CanGrabKeyboard());
    m_other->Tap(kKeyA);
    m_other->Tap(kRightCtrl);
    m_other->Tap(kUp);
    ASSERT_TRUE(WaitKeys(6));
    struct Want {
        UINT message;
        uint32_t scan;
        bool extended;
        uint32_t vk;
    };
    const Want want[] = {{kKeyDown, 0x1E, false, 0x41}, {kKeyUp, 0x1E, false, 0x41},
                         {kKeyDown, 0x1D, true, 0xA3},  {kKeyUp, 0x1D, true, 0xA3},
                         {kKeyDown, 0x48, true, 0x26},  {kKeyUp, 0x48, true, 0x26}};
    for (size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(m_sink.keys[i].message, want[i].message) << i;
        EXPECT_EQ(m_sink.keys[i].key.scanCode, want[i].scan) << i;
        EXPECT_EQ(m_sink.keys[i].key.Extended(), want[i].extended) << i;
        EXPECT_EQ(m_sink.keys[i].key.vkCode, want[i].vk) << i;
    }

    // After the stop the keyboard is free and keys reach the focused window again; the keys
    // typed while recording never did (they would have come before this one).
    m_source->Stop();
    EXPECT_TRUE(m_other->CanGrabKeyboard());
    m_other->Tap(kKeyB);
    ASSERT_TRUE(test::WaitFor([&] { return m_other->Next(KeyPress) != 0; }));
    EXPECT_EQ(m_other->keyPresses, std::vector<unsigned>{kKeyB});
    EXPECT_EQ(m_sink.keys.size(), 6u);
}

TEST_F(X11SourceTest, HeldKeyRepeatsAsPressesThatTheRecorderTakesOnce) {
    ASSERT_TRUE(m_source->Start(true, false, &m_sink));
    m_other->Key(kKeyA, true);
    // The server's auto-repeat: the press comes again and again while the key is held.
    ASSERT_TRUE(test::WaitFor([&] { return m_source->KeyEventsRead() >= 4; }, 3000));
    m_other->Key(kKeyA, false);
    ASSERT_TRUE(test::WaitFor(
        [&] { return !m_sink.keys.empty() && m_sink.keys.back().message == kKeyUp; }));
    int presses = 0, releases = 0;
    macro::RecordFilters filters;
    for (const Seen& seen : m_sink.keys) {
        const bool press = IsKeyPress(seen.message);
        (press ? presses : releases) += 1;
        if (auto step = filters.Key(macro::RecordPosition::Append, press, seen.key.scanCode,
                                    seen.key.Extended())) {
            presses += press ? 100 : 0;  // accepted presses counted apart
            releases += press ? 0 : 100;
        }
    }
    // At least three presses from the source, no release in between, one of each accepted.
    EXPECT_GE(presses % 100, 3);
    EXPECT_EQ(releases % 100, 1);
    EXPECT_EQ(presses / 100, 1);
    EXPECT_EQ(releases / 100, 1);
}

TEST_F(X11SourceTest, ClicksAreObservedAndStillReachTheirWindow) {
    m_other->OpenWindow();
    ASSERT_TRUE(m_source->Start(true, true, &m_sink));
    m_other->Click(1, 40, 50);
    m_other->Click(3, 41, 51);
    m_other->Click(9, 42, 52);  // forward
    m_other->Click(8, 43, 53);  // back
    m_other->Click(4, 44, 54);  // the wheel is no button
    ASSERT_TRUE(test::WaitFor([&] { return m_sink.buttons.size() >= 8; }));
    const UINT messages[] = {kLeftDown,  kLeftUp,  kRightDown, kRightUp,
                             kExtraDown, kExtraUp, kExtraDown, kExtraUp};
    for (size_t i = 0; i < std::size(messages); ++i) {
        EXPECT_EQ(m_sink.buttons[i].message, messages[i]) << i;
    }
    EXPECT_EQ(m_sink.buttons[0].mouse.x, 40);
    EXPECT_EQ(m_sink.buttons[0].mouse.y, 50);
    EXPECT_EQ(m_sink.buttons[4].mouse.mouseData >> 16, kExtraForward);
    EXPECT_EQ(m_sink.buttons[6].mouse.mouseData >> 16, kExtraBack);
    // The window under the pointer got every press, the wheel included.
    ASSERT_TRUE(test::WaitFor([&] {
        m_other->Next(-1);
        return m_other->buttonPresses.size() >= 5;
    }));
    EXPECT_EQ(m_other->buttonPresses, (std::vector<int>{1, 3, 9, 8, 4}));
    EXPECT_EQ(m_sink.buttons.size(), 8u);
}

TEST_F(X11SourceTest, CapsLockStillLocksWhileTheKeyboardIsTaken) {
    ASSERT_TRUE(m_source->Start(true, false, &m_sink));
    ASSERT_FALSE(m_other->CapsLocked());
    m_other->Tap(kCapsLock);
    ASSERT_TRUE(WaitKeys(2));
    EXPECT_EQ(m_sink.keys[0].key.scanCode, 0x3Au);
    EXPECT_EQ(m_sink.keys[0].key.vkCode, kVirtualCapsLock);
    EXPECT_TRUE(m_other->CapsLocked());
}

// Every way a capture can end gives the keyboard back, and the program goes on.
TEST_F(X11SourceTest, KeyboardIsGivenBackHoweverTheCaptureEnds) {
    // The hook that owns the source is destroyed (the main window going away).
    {
        CDeviceHook hook;
        const std::string display = m_server.Display();
        hook.SetSourceFactory(
            [display](std::string*) { return std::make_unique<CX11InputSource>(display); });
        ASSERT_TRUE(hook.Start(CDeviceHook::kAppend, nullptr, true, true)) << hook.Error();
        EXPECT_FALSE(m_other->CanGrabKeyboard());
    }
    EXPECT_TRUE(m_other->CanGrabKeyboard());

    // The handler of a key throws: the capture ends at once.
    ASSERT_TRUE(m_source->Start(true, true, &m_sink));
    m_sink.throwOnKey = true;
    m_other->Tap(kKeyA);
    ASSERT_TRUE(test::WaitFor([&] { return !m_source->IsStarted(); }));
    EXPECT_TRUE(m_other->CanGrabKeyboard());
    EXPECT_FALSE(m_source->Error().empty());
    m_sink.throwOnKey = false;

    // The connection to the server breaks under the source.
    ASSERT_TRUE(m_source->Start(true, true, &m_sink));
    EXPECT_FALSE(m_other->CanGrabKeyboard());
    ASSERT_EQ(shutdown(m_source->KeyConnectionFd(), SHUT_RDWR), 0);
    ASSERT_TRUE(test::WaitFor([&] { return !m_source->IsStarted(); }));
    ASSERT_TRUE(test::WaitFor([&] { return m_other->CanGrabKeyboard(); }));
    // And a new capture works as before.
    ASSERT_TRUE(m_source->Start(true, false, &m_sink));
    m_sink.keys.clear();
    m_other->Tap(kKeyB);
    ASSERT_TRUE(WaitKeys(2));
    EXPECT_EQ(m_sink.keys[0].key.scanCode, 0x30u);
    m_source->Stop();
    EXPECT_TRUE(m_other->CanGrabKeyboard());
}

}  // namespace
