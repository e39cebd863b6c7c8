// The key code tables: the look-ups the key editor and the macro recorder make, and the
// properties of the data those look-ups rely on.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "core/keys/KeyTables.h"

namespace q840::keys {
namespace {

std::string Name(const char* key) {
    return key != nullptr ? key : "(none)";
}

TEST(KeyLookups, DuplicateVirtualKeysFindTheEarlierRow) {
    EXPECT_EQ(106, FindKeyByVirtualKey(0xFF));
    EXPECT_EQ(59, FindKeyByVirtualKey(0xBF));
    EXPECT_EQ("keyboard_key_/", Name(KeyCodeNameKey(59)));
    EXPECT_EQ(-1, FindKeyByVirtualKey(0x07));
}

TEST(KeyLookups, NonUsHashIsOnlyOnItsOwnRow) {
    const uint32_t code = 0x200032;
    EXPECT_EQ(kNonUsHashRow, FindByBytes(kKeyCodeTable, code));
    EXPECT_EQ("keyboard_key_K42", Name(KeyCodeNameKey(kNonUsHashRow)));
}

TEST(KeyLookups, ExtendedFlagTellsTheTwinKeysApart) {
    EXPECT_EQ(0, FindKeyByVirtualKey(0xA2, false));  // left Ctrl
    EXPECT_EQ(4, FindKeyByVirtualKey(0xA3, true));   // right Ctrl
    EXPECT_EQ(-1, FindKeyByVirtualKey(0xA3, false));
    EXPECT_EQ(44, FindKeyByVirtualKey(0x0D, false));  // Enter
    // The keypad Enter comes as Enter with the extended flag; its row carries the mark.
    EXPECT_EQ("keyboard_key_Num Enter", Name(KeyCodeNameKey(FindKeyByVirtualKey(0x0D, true))));
    EXPECT_EQ("keyboard_key_Num Enter", Name(KeyCodeNameKey(FindKeyByVirtualKey(0x10D, true))));
    // Power, sleep and wake up carry the mark too, but they are no keyboard keys.
    EXPECT_EQ(-1, FindKeyByVirtualKey(0x03, true));

    EXPECT_EQ(75, FindKeyByScanCode(0x45, false));  // Pause
    EXPECT_EQ(86, FindKeyByScanCode(0x45, true));   // Num Lock
    EXPECT_EQ(-1, FindKeyByScanCode(0x1E, true));
}

TEST(KeyLookups, RowsAndNamesOutsideTheTablesAreNone) {
    EXPECT_EQ(nullptr, RowAt(kMediaTable, -1));
    EXPECT_EQ(nullptr, RowAt(kMediaTable, 18));
    EXPECT_EQ(0xE9, RowAt(kMediaTable, 6)->byte1);
    EXPECT_EQ(nullptr, NameKey(-5));
    EXPECT_EQ(nullptr, NameKey(kNameCount));
    EXPECT_EQ("gun_1_txt", Name(NameKey(-4)));
    EXPECT_EQ(nullptr, NameKey(kSwingNames, 4));
    EXPECT_EQ(nullptr, KeyCodeNameKey(142)) << "the colour key has a name but no row";
    EXPECT_EQ("keyboard_key_COLOR", Name(NameKey(kKeyCodeNames, 142)));
}

// Every keyboard key can be found back from what the system reports for it: a mistyped scan code
// or extended flag would make the recorder take one key for another.
TEST(KeyTableData, EveryKeyIsFoundByItsScanCodeAndItsVirtualKey) {
    for (int i = 0; i < int(kMacroKeyTable.size()); ++i) {
        const MacroKeyRow& key = kMacroKeyTable[size_t(i)];
        EXPECT_EQ(i, FindKeyByScanCode(key.scanCode, key.extended)) << key.nameKey;
        const uint16_t virtualKey = kKeyCodeTable[size_t(i)].first;
        if (virtualKey != 0xFF) {
            EXPECT_EQ(i, FindKeyByVirtualKey(virtualKey, key.extended)) << key.nameKey;
        }
    }
}

TEST(KeyTableData, EveryCodeAppearsOnceInItsGroupAndEveryReservedByteIsZero) {
    std::set<uint32_t> codes;
    std::set<std::string> names;
    for (int i = 0; i < int(kKeyCodeTable.size()); ++i) {
        const CodeRow& row = kKeyCodeTable[size_t(i)];
        EXPECT_EQ(0, row.reserved) << i;
        EXPECT_TRUE(codes.insert(row.Code()).second) << "code twice, row " << i;
        EXPECT_TRUE(names.insert(Name(KeyCodeNameKey(i))).second) << "name twice, row " << i;
    }
    const std::pair<const char*, std::span<const CodeRow>> tables[] = {
        {"mouse buttons", kMouseButtonTable},
        {"sensitivity", kSensitivityTable},
        {"system", kSystemTable},
        {"media", kMediaTable},
        {"shortcuts", kShortcutTable},
        {"group 0x22", kGroup22Table},
        {"special", kSpecialTable},
        {"swing", kSwingTable},
        {"gun keys", kGunKeyTable}};
    for (const auto& [what, table] : tables) {
        std::set<uint32_t> seen;
        for (const CodeRow& row : table) {
            EXPECT_EQ(0, row.reserved) << what;
            EXPECT_TRUE(seen.insert(row.Code()).second) << what << ": code twice";
        }
    }
}

TEST(KeyTableData, TablesOfOneGroupAgreeWithTheKeyCodeTable) {
    // Each media key row is one of the media functions, and each modifier + key shortcut names a
    // real modifier and key of the keyboard.
    std::set<uint32_t> media;
    for (const CodeRow& row : kMediaTable) {
        EXPECT_EQ(group::kMedia, row.group);
        media.insert(row.Code());
    }
    for (size_t i = kFirstMediaKeyRow; i < kFirstMediaKeyRow + kMediaTable.size(); ++i) {
        EXPECT_EQ(1u, media.count(kKeyCodeTable[i].Code())) << i;
    }
    for (const CodeRow& row : kShortcutTable) {
        EXPECT_GE(FindByBytes(std::span(kKeyCodeTable).first(kModifierRows), row.byte1 << 8), 0);
        EXPECT_GE(FindByBytes(kKeyCodeTable, row.byte0), kModifierRows);
    }
    // The names of the macro's mouse steps are the names of the mouse buttons.
    std::set<std::string> buttons;
    for (int i = 0; i < kMouseButtonNames.count; ++i) {
        buttons.insert(Name(NameKey(kMouseButtonNames, i)));
    }
    for (int i = 0; i < kMouseButtonEventRows; ++i) {
        EXPECT_EQ(1u, buttons.count(kMouseEventTable[size_t(i)].nameKey)) << i;
    }
}

}  // namespace
}  // namespace q840::keys
