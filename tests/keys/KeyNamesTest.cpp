// What the user is shown for a key's assignment code and for a macro step.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/keys/KeyNames.h"

namespace q840::keys {
namespace {

using Keys = std::vector<std::string>;

const std::vector<std::string> kMacros = {"Reload", "Combo <2>"};

Keys NameKeys(uint32_t code) {
    const CodeName name = NameOfCode(code, kMacros);
    EXPECT_FALSE(name.isLiteral) << std::hex << code;
    return name.keys;
}

TEST(NameOfCode, KeyboardCodesNameTheirKeyOrTheirModifiersAndKey) {
    EXPECT_EQ(Keys{"keyboard_key_A"}, NameKeys(0x200004));
    EXPECT_EQ(Keys{"keyboard_key_A"}, NameKeys(0x000004)) << "group 0 reads the same table";
    EXPECT_EQ(Keys{"keyboard_key_K42"}, NameKeys(0x200032));
    EXPECT_EQ(Keys{"keyboard_key_LShift"}, NameKeys(0x200200));
    // The exact row is looked for whatever its group: byte 1 0xE9 is the volume key.
    EXPECT_EQ(Keys{"keyboard_key_Volume Up"}, NameKeys(0x20E900));

    EXPECT_EQ((Keys{"keyboard_key_LShift", "keyboard_key_A"}), NameKeys(0x200204));
    EXPECT_EQ((Keys{"keyboard_key_RCtrl", "keyboard_key_O"}), NameKeys(0x201012));
    EXPECT_EQ((Keys{"keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_Esc"}),
              NameKeys(0x200329));
    EXPECT_EQ((Keys{"keyboard_key_LCtrl", "keyboard_key_RAlt"}), NameKeys(0x204100));

    EXPECT_EQ(Keys{"close_text"}, NameKeys(0x200000));
    EXPECT_EQ(Keys{"close_text"}, NameKeys(0x000000));
    // A usage no key has names nothing, rather than every key of the keyboard.
    EXPECT_FALSE(NameOfCode(0x200066, kMacros).HasName());
    EXPECT_EQ(Keys{"keyboard_key_LCtrl"}, NameKeys(0x200166));
    EXPECT_FALSE(NameOfCode(0x000204, kMacros).HasName()) << "no key row has group 0";
}

TEST(NameOfCode, FunctionGroupsNameTheirTableRow) {
    EXPECT_EQ(Keys{"media_vol_add"}, NameKeys(0x30E900));
    EXPECT_EQ(Keys{"web_text"}, NameKeys(0x302302));
    EXPECT_EQ(Keys{"mouse_key_middle"}, NameKeys(0x100400));
    EXPECT_EQ(Keys{"mouse_key_forward"}, NameKeys(0x1010FF)) << "byte 0 is not compared";
    EXPECT_EQ(Keys{"mouse_key_DPI_loop"}, NameKeys(0x130300));
    EXPECT_EQ(Keys{"mouse_key_fire_key"}, NameKeys(0x147802));
    EXPECT_EQ(Keys{"mouse_key_DPI_shift"}, NameKeys(0x169001));
    EXPECT_EQ(Keys{"custem_paste"}, NameKeys(0x220002));
    EXPECT_EQ(Keys{"show_window"}, NameKeys(0x230000));
    EXPECT_EQ(Keys{"system_sleep"}, NameKeys(0x400100));
    EXPECT_EQ(Keys{"mouse_key_smart_key"}, NameKeys(0xA00200));
    EXPECT_EQ(Keys{"close_text"}, NameKeys(0xA00000));
    EXPECT_EQ(Keys{"keyboard_key_FN"}, NameKeys(0xA00100));
    EXPECT_EQ(Keys{"keyboard_key_GM"}, NameKeys(0xA01B00));
    EXPECT_EQ(Keys{"gun_4_txt"}, NameKeys(0x720300));

    EXPECT_EQ(Keys{"mouse_key_right_Swing"}, NameKeys(0x11358A));
    EXPECT_EQ(Keys{"mouse_key_left_Swing"}, NameKeys(0x11350A));
    EXPECT_EQ(Keys{"mouse_key_up_Swing"}, NameKeys(0x12350A));
    EXPECT_EQ(Keys{"mouse_key_down_Swing"}, NameKeys(0x123580));

    // Codes of a known group that no row holds.
    for (uint32_t code : {0x100300u, 0x130400u, 0x220009u, 0x230001u, 0x30E901u, 0x400800u,
                          0xA00500u, 0xA01B01u, 0x720400u}) {
        EXPECT_FALSE(NameOfCode(code, kMacros).HasName()) << std::hex << code;
    }
}

TEST(NameOfCode, MacrosShowTheirNamesAndOtherGroupsShowNothingOrOff) {
    const CodeName macro = NameOfCode(0x710100, kMacros);
    EXPECT_TRUE(macro.HasName());
    EXPECT_TRUE(macro.isLiteral);
    EXPECT_EQ("Combo <2>", macro.literal);
    EXPECT_EQ("Reload", NameOfCode(0x700000, kMacros).literal);
    EXPECT_FALSE(NameOfCode(0x700200, kMacros).HasName()) << "there are two macros";
    EXPECT_FALSE(NameOfCode(0x700000, {}).HasName());
    // A macro may be called nothing at all; it is still a macro.
    EXPECT_TRUE(NameOfCode(0x700000, {""}).HasName());

    for (uint32_t group : {0x15u, 0x21u, 0x50u, 0x60u, 0xB0u, 0xC0u}) {
        EXPECT_FALSE(NameOfCode(group << 16, kMacros).HasName()) << std::hex << group;
    }
    for (uint32_t code : {0x170000u, 0xFF0102u, 0xD0A201u}) {
        const CodeName off = NameOfCode(code, kMacros);
        EXPECT_TRUE(off.isLiteral) << std::hex << code;
        EXPECT_EQ("关闭", off.literal);
        EXPECT_TRUE(off.keys.empty());
    }
}

std::string Step(int type, int button, bool down) {
    const char* key = MacroStepNameKey(type, button, down);
    return key != nullptr ? key : "(none)";
}

TEST(MacroStepNameKey, EachStepTypeIsNamedFromItsTable) {
    EXPECT_EQ("keyboard_key_A", Step(10, 0x04, true));
    EXPECT_EQ("keyboard_key_K42", Step(10, 0x32, false));
    EXPECT_EQ("keyboard_key_Num Enter", Step(10, 0x58, true));
    EXPECT_EQ("(none)", Step(10, 0x00, true)) << "a usage of 0 is no key, not a modifier";
    EXPECT_EQ("(none)", Step(10, 0x104, true));

    EXPECT_EQ("keyboard_key_LCtrl", Step(9, 0x01, true));
    EXPECT_EQ("keyboard_key_RWin", Step(9, 0x80, false));
    EXPECT_EQ("(none)", Step(9, 0x03, true)) << "one modifier per step";

    EXPECT_EQ("mouse_key_left", Step(1, 1, true));
    EXPECT_EQ("mouse_key_back", Step(1, 8, false));
    EXPECT_EQ("mouse_key_forward", Step(1, 16, true));
    EXPECT_EQ("(none)", Step(1, 0, true)) << "the move rows have no button";

    EXPECT_EQ("mouse_move_to_left_text", Step(4, 30, true));
    EXPECT_EQ("mouse_move_to_right_text", Step(4, 30, false));
    EXPECT_EQ("mouse_move_to_up_text", Step(5, 2, true));
    EXPECT_EQ("mouse_move_to_down_text", Step(5, 2, false));

    for (int type : {0, 2, 3, 6, 0x84, -1}) {
        EXPECT_EQ("(none)", Step(type, 1, true)) << type;
    }
}

}  // namespace
}  // namespace q840::keys
