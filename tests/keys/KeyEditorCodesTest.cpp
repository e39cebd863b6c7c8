// The key assignment editor's arithmetic: every code a page builds shows again on the same page
// with the same values, the bytes the mouse gets for the documented examples, numbers beyond a
// field, and what a captured key makes of the keyboard page.
#include <gtest/gtest.h>

#include "core/keys/KeyEditorCodes.h"

namespace q840::keys {
namespace {

constexpr uint32_t kLeftButton = 0x100100;  // a key's factory default in these tests

EditorInput Swing(int page, int direction, int count, int delay, int speed) {
    EditorInput in;
    in.page = page;
    in.direction = direction;
    in.count = count;
    in.delay = delay;
    in.speed = speed;
    return in;
}

TEST(KeyEditorCodes, SwingAndWheelBytesShowAgainAsTyped) {
    // Delay 3, speed 5, ten steps the second way.
    EXPECT_EQ(BuildCode(Swing(kPageSwingHorizontal, 1, 10, 3, 5), 0, kLeftButton), 0x11358Au);
    EXPECT_EQ(BuildCode(Swing(kPageSwingVertical, 1, 10, 3, 5), 0, kLeftButton), 0x1235F6u);
    // Every count, delay and speed of both pages and directions comes back as it went in.
    for (int page : {kPageSwingHorizontal, kPageSwingVertical}) {
        for (int direction : {0, 1}) {
            for (int count = kSwingMinCount; count <= kSwingMaxCount; ++count) {
                const int delay = count % 16, speed = 15 - count % 16;
                const uint32_t code =
                    BuildCode(Swing(page, direction, count, delay, speed), 0, kLeftButton);
                const EditorView view = ViewOfCode(code, kLeftButton, 0);
                ASSERT_EQ(view.page, page) << std::hex << code;
                ASSERT_EQ(view.direction, direction) << std::hex << code;
                ASSERT_EQ(view.count, count) << std::hex << code;
                ASSERT_EQ(view.delay, delay);
                ASSERT_EQ(view.speed, speed);
                ASSERT_EQ(view.code, code);
            }
        }
    }
    // No direction chosen goes the first way.
    EXPECT_EQ(BuildCode(Swing(kPageSwingHorizontal, -1, 10, 3, 5), 0, kLeftButton), 0x11350Au);
}

TEST(KeyEditorCodes, NumbersBeyondAFieldAreTakenAsItsLimitNotItsLowBits) {
    // A delay of 20 would be 4 in four bits: the mouse gets the longest delay instead.
    EXPECT_EQ(BuildCode(Swing(kPageSwingHorizontal, 0, 10, 20, 5), 0, kLeftButton), 0x11F50Au);
    EXPECT_EQ(LimitField(EditorField::SwingDelay, 20), 15);
    EXPECT_EQ(LimitField(EditorField::SwingSpeed, -3), 0);
    // 200 steps are 127; no steps are one (a wheel swing of 0 down would be 0x80: 128 down).
    EXPECT_EQ(BuildCode(Swing(kPageSwingVertical, 0, 200, 0, 0), 0, kLeftButton), 0x12007Fu);
    EXPECT_EQ(BuildCode(Swing(kPageSwingVertical, 1, 0, 0, 0), 0, kLeftButton), 0x1200FFu);
    EXPECT_EQ(ViewOfCode(0x1200FFu, kLeftButton, 0).count, 1);
    // Fire: 300 ms and 999 shots are the largest a byte holds.
    EditorInput fire;
    fire.page = kPageFire;
    fire.interval = 300;
    fire.fireCount = 999;
    EXPECT_EQ(BuildCode(fire, 0, kLeftButton), 0x14FFFFu);
    fire.interval = 120;
    fire.fireCount = 2;
    const uint32_t code = BuildCode(fire, 0, kLeftButton);
    EXPECT_EQ(code, 0x147802u);
    const EditorView view = ViewOfCode(code, kLeftButton, 0);
    EXPECT_EQ(view.page, kPageFire);
    EXPECT_EQ(view.interval, 120);
    EXPECT_EQ(view.fireCount, 2);
}

TEST(KeyEditorCodes, MacroPlayModesAndGoneMacros) {
    EditorInput in;
    in.page = kPageMacro;
    in.macro = 2;
    in.macroCount = 3;
    in.playMode = kPlayModeRepeat;
    in.repeat = 7;
    EXPECT_EQ(BuildCode(in, 0, kLeftButton), 0x710207u);
    in.playMode = 1;
    EXPECT_EQ(BuildCode(in, 0, kLeftButton), 0x700201u);
    for (int mode = 0; mode < kPlayModes; ++mode) {
        in.playMode = mode;
        in.repeat = 255;
        const EditorView view = ViewOfCode(BuildCode(in, 0, kLeftButton), kLeftButton, 3);
        EXPECT_EQ(view.page, kPageMacro);
        EXPECT_EQ(view.macro, 2);
        EXPECT_EQ(view.playMode, mode);
        EXPECT_EQ(view.repeatShown, mode == kPlayModeRepeat);
        EXPECT_EQ(view.repeat, mode == kPlayModeRepeat ? 255 : 0);
    }
    // Macro 3 of three does not exist: nothing is shown, and applying keeps the code as it is.
    const EditorView gone = ViewOfCode(0x700300u, kLeftButton, 3);
    EXPECT_EQ(gone.page, kPageMacro);
    EXPECT_EQ(gone.macro, -1);
    EXPECT_EQ(gone.playMode, -1);
    in.macro = 3;
    EXPECT_EQ(BuildCode(in, 0x700300u, kLeftButton), 0x700300u);
    in.macro = -1;
    EXPECT_EQ(BuildCode(in, 0x130100u, kLeftButton), 0x130100u);
}

TEST(KeyEditorCodes, ListPagesGunKeysAndWhatNoPageShows) {
    // Every row of every list page shows again on its page with its row.
    for (int page : {kPageMouseButton, kPageSensitivity, kPageMedia, kPageSystem, kPageShortcut}) {
        const auto table = PageTable(page);
        ASSERT_FALSE(table.empty());
        EXPECT_EQ(PageTableNames(page).count, int(table.size()));
        for (size_t row = 0; row < table.size(); ++row) {
            EditorInput in;
            in.page = page;
            in.tableRow = int(row);
            const uint32_t code = BuildCode(in, 0, 0x999999u);
            const EditorView view = ViewOfCode(code, 0x999999u, 0);
            EXPECT_EQ(view.page, page) << std::hex << code;
            EXPECT_EQ(view.tableRow, int(row)) << std::hex << code;
        }
    }
    for (int gun = 0; gun < 4; ++gun) {
        EditorInput in;
        in.page = kPageGun;
        in.gun = gun;
        const uint32_t code = BuildCode(in, 0, kLeftButton);
        EXPECT_EQ(code, 0x720000u | uint32_t(gun) << 8);
        EXPECT_EQ(ViewOfCode(code, kLeftButton, 0).gun, gun);
    }
    // The key's default shows the default page whatever it is; the default page builds it.
    EXPECT_EQ(ViewOfCode(0x147802u, 0x147802u, 0).page, kPageDefault);
    EditorInput def;
    def.page = kPageDefault;
    EXPECT_EQ(BuildCode(def, 0x130100u, 0x147802u), 0x147802u);
    def.page = 42;
    EXPECT_EQ(BuildCode(def, 0x130100u, 0x147802u), 0x147802u);
    // Groups no page takes, and a media code no row has (the list keeps its choice).
    EXPECT_EQ(ViewOfCode(0x150000u, kLeftButton, 0).page, kNoPage);
    EXPECT_EQ(ViewOfCode(0xA01B00u, kLeftButton, 0).page, kNoPage);
    EXPECT_EQ(ViewOfCode(0x301234u, kLeftButton, 0).tableRow, kKeepRow);
    EXPECT_EQ(ViewOfCode(0xB00000u, kLeftButton, 0).page, kPageShortcut);
    EXPECT_EQ(ViewOfCode(0xB00000u, kLeftButton, 0).tableRow, kClearRow);
}

TEST(KeyEditorCodes, KeyboardCodesAndCapturedKeys) {
    // Shift, then A: option 2 and no key, then Shift+A.
    CaptureResult shift = CaptureKey(0xA0, false, kNoModifierOption);
    ASSERT_TRUE(shift.accepted);
    EXPECT_EQ(shift.modifier, 2);
    EXPECT_EQ(shift.keyRow, -1);
    EXPECT_EQ(shift.code, 0x200200u);
    const CaptureResult a = CaptureKey(0x41, false, shift.modifier);
    ASSERT_TRUE(a.accepted);
    EXPECT_EQ(a.code, 0x200204u);
    EXPECT_EQ(a.keyRow, 8);
    // It shows again as Shift with A.
    EditorView view = ViewOfCode(a.code, kLeftButton, 0);
    EXPECT_EQ(view.page, kPageKeyboard);
    EXPECT_EQ(view.modifier, 2);
    EXPECT_EQ(view.keyRow, 8);
    // And builds the same code from those controls.
    EditorInput in;
    in.page = kPageKeyboard;
    in.modifier = view.modifier;
    in.keyShown = true;
    EXPECT_EQ(BuildCode(in, a.code, kLeftButton), a.code);
    in.keyShown = false;
    EXPECT_EQ(BuildCode(in, a.code, kLeftButton), 0x200200u);

    // Right Ctrl alone is option 1 with the left Ctrl's bit and no key.
    const CaptureResult rctrl = CaptureKey(0xA3, true, 3);  // right Ctrl is an extended key
    EXPECT_EQ(rctrl.modifier, 1);
    EXPECT_EQ(rctrl.keyRow, -1);
    EXPECT_EQ(rctrl.code, 0x200100u);
    // A key with nothing chosen takes option 0; the keypad Enter comes as Enter, extended.
    const CaptureResult enter = CaptureKey(0x0D, true, kNoModifierOption);
    ASSERT_TRUE(enter.accepted);
    EXPECT_EQ(enter.modifier, 0);
    EXPECT_EQ(enter.code, 0x200058u);
    EXPECT_EQ(CaptureKey(0x0D, false, 0).code, 0x200028u);
    // A key the tables do not have is ignored.
    EXPECT_FALSE(CaptureKey(0x07, false, 0).accepted);

    // Right-hand modifiers are shortcuts; a byte 1 of two bits shows as no modifier.
    EXPECT_EQ(ViewOfCode(0x201006u, kLeftButton, 0).page, kPageShortcut);
    EXPECT_EQ(ViewOfCode(0x201006u, kLeftButton, 0).tableRow, 4);
    view = ViewOfCode(0x200304u, kLeftButton, 0);
    EXPECT_EQ(view.page, kPageKeyboard);
    EXPECT_EQ(view.modifier, 0);
    EXPECT_EQ(view.keyRow, 8);
    // A plain key the tables do not know shows nothing and loses its key byte.
    view = ViewOfCode(0x2000F0u, kLeftButton, 0);
    EXPECT_EQ(view.modifier, kNoModifierOption);
    EXPECT_EQ(view.keyRow, -1);
    EXPECT_EQ(view.code, 0x200000u);
    // Usage 0x32 is only on the non-US # row.
    EXPECT_EQ(ViewOfCode(0x200032u, kLeftButton, 0).keyRow, kNonUsHashRow);
}

}  // namespace
}  // namespace q840::keys
