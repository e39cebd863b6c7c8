#include "core/keys/KeyNames.h"

#include "core/keys/KeyTables.h"

namespace q840::keys {

namespace {

// The off text the mouse's other groups show, in every language.
constexpr const char* kOffLiteral = "关闭";

CodeName Key(const char* nameKey) {
    CodeName name;
    if (nameKey != nullptr) {
        name.keys.emplace_back(nameKey);
    }
    return name;
}

CodeName Literal(std::string text) {
    CodeName name;
    name.literal = std::move(text);
    name.isLiteral = true;
    return name;
}

// The row of `table` whose byte 1 (and byte 0 when `withByte0`) equal the code's, named from
// `range`.
CodeName FromTable(std::span<const CodeRow> table, NameRange range, uint32_t code, bool withByte0) {
    const auto byte1 = uint8_t(code >> 8), byte0 = uint8_t(code);
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].byte1 == byte1 && (!withByte0 || table[i].byte0 == byte0)) {
            return Key(NameKey(range, int(i)));
        }
    }
    return {};
}

// A keyboard code: the key it is, or its modifiers and key joined.
CodeName KeyboardName(uint32_t code) {
    const auto grp = uint8_t(code >> 16), byte1 = uint8_t(code >> 8), byte0 = uint8_t(code);
    const int exact = FindByBytes(kKeyCodeTable, code);
    if (exact >= 0) {
        return Key(KeyCodeNameKey(exact));
    }
    if (byte1 == 0 && byte0 == 0) {
        return Key("close_text");
    }
    // A modifier row takes part when its bit is in byte 1, a key row when it is byte 0's key.
    // Comparing whole bytes instead would drop all but one of several modifiers, and a zero byte
    // would pull in every key (or every modifier) of the table.
    CodeName name;
    for (size_t i = 0; i < kKeyCodeTable.size(); ++i) {
        const CodeRow& row = kKeyCodeTable[i];
        if (row.group != grp) {
            continue;
        }
        const bool modifier = row.byte1 != 0 && row.byte0 == 0 && (byte1 & row.byte1) != 0;
        const bool key = row.byte1 == 0 && row.byte0 == byte0;
        if (modifier || key) {
            name.keys.emplace_back(KeyCodeNameKey(int(i)));
        }
    }
    return name;
}

}  // namespace

CodeName NameOfCode(uint32_t code, const std::vector<std::string>& macroNames) {
    const auto grp = uint8_t(code >> 16), byte1 = uint8_t(code >> 8), byte0 = uint8_t(code);
    switch (grp) {
        case group::kKeyboardPlain:
        case group::kKeyboard:
            return KeyboardName(code);
        case group::kMouseButton:
            return FromTable(kMouseButtonTable, kMouseButtonNames, code, false);
        case group::kSwingHorizontal:
            return Key(NameKey(kSwingNames, (byte0 & kSwingSecondDirection) ? 3 : 2));
        case group::kSwingVertical:
            return Key(NameKey(kSwingNames, (byte0 & kSwingSecondDirection) ? 1 : 0));
        case group::kSensitivity:
            return FromTable(kSensitivityTable, kSensitivityNames, code, false);
        case group::kFire:
            return Key(NameKey(kFireName, 0));
        case group::kDpiShift:
            for (size_t i = 0; i < kSpecialTable.size(); ++i) {
                if (kSpecialTable[i].group == group::kDpiShift) {
                    return Key(NameKey(kSpecialNames, int(i)));
                }
            }
            return {};
        case group::kShortcut:
            return FromTable(kGroup22Table, kGroup22Names, code, true);
        case group::kShowWindow:
            for (size_t i = 0; i < kSpecialTable.size(); ++i) {
                if (kSpecialTable[i].Code() == code) {
                    return Key(NameKey(kSpecialNames, int(i)));
                }
            }
            return {};
        case group::kMedia:
            return FromTable(kMediaTable, kMediaNames, code, true);
        case group::kSystem:
            return FromTable(kSystemTable, kSystemNames, code, true);
        case group::kMacro:
        case group::kMacroRepeat:
            if (byte1 < macroNames.size()) {
                return Literal(macroNames[byte1]);
            }
            return {};
        case group::kGun:
            return Key(NameKey(kGunNames, byte1));
        case group::kSpecial:
            for (size_t i = 0; i < kSpecialTable.size(); ++i) {
                if (kSpecialTable[i].group == group::kSpecial && kSpecialTable[i].byte1 == byte1) {
                    return Key(NameKey(kSpecialNames, int(i)));
                }
            }
            for (size_t i = 0; i < kKeyCodeTable.size(); ++i) {
                if (kKeyCodeTable[i].Code() == code) {
                    return Key(KeyCodeNameKey(int(i)));
                }
            }
            return {};
        case 0x15:
        case 0x21:
        case 0x50:
        case 0x60:
        case 0xB0:
        case 0xC0:
            return {};
        default:
            return Literal(kOffLiteral);
    }
}

const char* MacroStepNameKey(int type, int button, bool down) {
    switch (type) {
        case 10:  // keyboard key: its usage
            for (size_t i = kModifierRows; i < kKeyCodeTable.size(); ++i) {
                const CodeRow& row = kKeyCodeTable[i];
                if (row.group == group::kKeyboard && row.byte1 == 0 && row.byte0 == button) {
                    return KeyCodeNameKey(int(i));
                }
            }
            return nullptr;
        case 9:  // modifier: its bit
            for (int i = 0; i < kModifierRows; ++i) {
                const CodeRow& row = kKeyCodeTable[size_t(i)];
                if (row.byte1 == button && row.byte0 == 0) {
                    return KeyCodeNameKey(i);
                }
            }
            return nullptr;
        case 1:  // mouse button: its bits
            for (int i = 0; i < kMouseButtonEventRows; ++i) {
                if (kMouseEventTable[size_t(i)].button == button) {
                    return kMouseEventTable[size_t(i)].nameKey;
                }
            }
            return nullptr;
        case 4:
        case 5: {  // moves: the direction comes from the type and the press flag
            const int typeByte = type | (down ? kStepDownBit : 0);
            for (int i = kFirstMoveEventRow; i < kFirstMoveEventRow + kMoveEventRows; ++i) {
                if (kMouseEventTable[size_t(i)].type == typeByte) {
                    return kMouseEventTable[size_t(i)].nameKey;
                }
            }
            return nullptr;
        }
        default:
            return nullptr;
    }
}

}  // namespace q840::keys
