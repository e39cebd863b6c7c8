#include "core/keys/KeyEditorCodes.h"

#include <algorithm>

namespace q840::keys {

namespace {

constexpr uint8_t Group(uint32_t code) {
    return uint8_t(code >> 16);
}
constexpr uint8_t Byte1(uint32_t code) {
    return uint8_t(code >> 8);
}
constexpr uint8_t Byte0(uint32_t code) {
    return uint8_t(code);
}
constexpr uint32_t Code(int group, int byte1, int byte0) {
    return (uint32_t(group & 0xFF) << 16) | (uint32_t(byte1 & 0xFF) << 8) | uint32_t(byte0 & 0xFF);
}

// The first four key code rows are the left-hand modifiers, one bit each: Ctrl, Shift, Alt, Win.
constexpr int kLeftModifierRows = 4;

// The modifier bit of option 1-4 (Ctrl, Shift, Alt, Win); 0 for option 0 or none.
constexpr uint8_t ModifierBit(int option) {
    return option >= 1 && option <= kLeftModifierRows ? uint8_t(1u << (option - 1)) : 0;
}

// The page a group's codes show on; the keyboard group is decided by its caller.
int PageOfGroup(uint8_t grp) {
    switch (grp) {
        case group::kKeyboardPlain:
            return kPageDefault;
        case group::kMouseButton:
            return kPageMouseButton;
        case group::kSwingHorizontal:
            return kPageSwingHorizontal;
        case group::kSwingVertical:
            return kPageSwingVertical;
        case group::kSensitivity:
            return kPageSensitivity;
        case group::kFire:
            return kPageFire;
        case group::kKeyboard:
            return kPageKeyboard;
        case group::kMedia:
            return kPageMedia;
        case group::kSystem:
            return kPageSystem;
        case group::kMacro:
        case group::kMacroRepeat:
            return kPageMacro;
        case group::kGun:
            return kPageGun;
        case 0xB0:
            return kPageShortcut;
        default:
            return kNoPage;
    }
}

// The first key code table row from row 8 on (the keys, not the modifiers) for this key usage.
int KeyRowOfUsage(uint8_t usage) {
    for (size_t i = kModifierRows; i < kKeyCodeTable.size(); ++i) {
        if (kKeyCodeTable[i].byte1 == 0 && kKeyCodeTable[i].byte0 == usage) {
            return int(i);
        }
    }
    return -1;
}

void ShowKeyboard(uint32_t code, EditorView& view) {
    const uint8_t byte1 = Byte1(code);
    if (byte1 == 0) {
        const int row = FindByBytes(kKeyCodeTable, code);
        if (row >= 0) {
            view.modifier = 0;
            view.keyRow = row;
        } else {
            // A key the tables do not know: nothing is shown, and applying keeps no stray bytes.
            view.modifier = kNoModifierOption;
            view.keyRow = -1;
            view.code = Code(Group(code), 0, 0);
        }
        return;
    }
    if (byte1 <= 8) {
        view.modifier = 0;  // a value that is not one modifier's bit shows as "none"
        for (int k = 0; k < kLeftModifierRows; ++k) {
            if (kKeyCodeTable[size_t(k)].byte1 == byte1) {
                view.modifier = k + 1;
                break;
            }
        }
        view.keyRow = KeyRowOfUsage(Byte0(code));
        return;
    }
    // Right-hand modifiers and combinations: the shortcut list.
    view.page = kPageShortcut;
    const int row = FindByBytes(kShortcutTable, code);
    view.tableRow = row >= 0 ? row : kKeepRow;
}

}  // namespace

std::span<const CodeRow> PageTable(int page) {
    switch (page) {
        case kPageMouseButton:
            return kMouseButtonTable;
        case kPageSensitivity:
            return kSensitivityTable;
        case kPageMedia:
            return kMediaTable;
        case kPageSystem:
            return kSystemTable;
        case kPageShortcut:
            return kShortcutTable;
        default:
            return {};
    }
}

NameRange PageTableNames(int page) {
    switch (page) {
        case kPageMouseButton:
            return kMouseButtonNames;
        case kPageSensitivity:
            return kSensitivityNames;
        case kPageMedia:
            return kMediaNames;
        case kPageSystem:
            return kSystemNames;
        case kPageShortcut:
            return kShortcutNames;
        default:
            return {};
    }
}

EditorView ViewOfCode(uint32_t code, uint32_t defaultCode, int macroCount) {
    EditorView view;
    view.code = code;
    if (code == defaultCode) {
        view.page = kPageDefault;
        return view;
    }
    const uint8_t grp = Group(code), byte1 = Byte1(code), byte0 = Byte0(code);
    view.page = PageOfGroup(grp);
    switch (view.page) {
        case kPageMouseButton:
        case kPageSensitivity:
        case kPageMedia:
        case kPageSystem: {
            const int row = FindByBytes(PageTable(view.page), code);
            view.tableRow = row >= 0 ? row : kKeepRow;
            break;
        }
        case kPageShortcut:  // group 0xB0: the shortcut page with nothing chosen
            view.tableRow = kClearRow;
            break;
        case kPageSwingHorizontal:
        case kPageSwingVertical:
            view.delay = byte1 >> 4;
            view.speed = byte1 & 0x0F;
            if ((byte0 & kSwingSecondDirection) != 0) {
                view.direction = 1;
                // The wheel's second direction counts down from 0x80.
                view.count =
                    view.page == kPageSwingHorizontal ? (byte0 & 0x7F) : 0x80 - (byte0 & 0x7F);
            } else {
                view.direction = 0;
                view.count = byte0;
            }
            break;
        case kPageFire:
            view.interval = byte1;
            view.fireCount = byte0;
            break;
        case kPageKeyboard:
            ShowKeyboard(code, view);
            break;
        case kPageMacro:
            if (byte1 >= macroCount) {
                break;  // the macro is gone: neither choice shows anything
            }
            view.macro = byte1;
            if (grp == group::kMacroRepeat) {
                view.playMode = kPlayModeRepeat;
                view.repeat = byte0;
                view.repeatShown = true;
            } else {
                view.playMode = byte0;
            }
            break;
        case kPageGun:
            view.gun = byte1;
            break;
        default:
            break;
    }
    return view;
}

int LimitField(EditorField field, int typed) {
    switch (field) {
        case EditorField::SwingCount:
            return std::clamp(typed, kSwingMinCount, kSwingMaxCount);
        case EditorField::SwingDelay:
        case EditorField::SwingSpeed:
            return std::clamp(typed, 0, kSwingMaxNibble);
        case EditorField::FireInterval:
        case EditorField::FireCount:
        case EditorField::Repeat:
            return std::clamp(typed, 0, kByteMax);
    }
    return 0;
}

uint32_t BuildCode(const EditorInput& in, uint32_t current, uint32_t defaultCode) {
    switch (in.page) {
        case kPageMouseButton:
        case kPageSensitivity:
        case kPageMedia:
        case kPageSystem:
        case kPageShortcut: {
            const std::span<const CodeRow> table = PageTable(in.page);
            if (in.tableRow < 0 || size_t(in.tableRow) >= table.size()) {
                return current;  // nothing chosen: the code stays
            }
            return table[size_t(in.tableRow)].Code();
        }
        case kPageSwingHorizontal:
        case kPageSwingVertical: {
            const int delay = LimitField(EditorField::SwingDelay, in.delay);
            const int speed = LimitField(EditorField::SwingSpeed, in.speed);
            const int count = LimitField(EditorField::SwingCount, in.count);
            const int byte1 = (delay << 4) | speed;
            int byte0 = count & 0x7F;
            if (in.direction == 1) {
                byte0 = in.page == kPageSwingHorizontal ? (count | 0x80) : ((0x80 - count) | 0x80);
            }
            const int grp =
                in.page == kPageSwingHorizontal ? group::kSwingHorizontal : group::kSwingVertical;
            return Code(grp, byte1, byte0);
        }
        case kPageFire:
            return Code(group::kFire, LimitField(EditorField::FireInterval, in.interval),
                        LimitField(EditorField::FireCount, in.fireCount));
        case kPageKeyboard:
            return Code(group::kKeyboard, ModifierBit(in.modifier),
                        in.keyShown ? Byte0(current) : 0);
        case kPageMacro: {
            if (in.macro < 0 || in.macro >= in.macroCount) {
                return current;
            }
            if (in.playMode == kPlayModeRepeat) {
                return Code(group::kMacroRepeat, in.macro,
                            LimitField(EditorField::Repeat, in.repeat));
            }
            return Code(group::kMacro, in.macro, std::clamp(in.playMode, 0, kPlayModeRepeat - 1));
        }
        case kPageGun:
            return Code(group::kGun, std::max(in.gun, 0), 0);
        default:
            return defaultCode;  // page 0, and any page the editor does not have
    }
}

CaptureResult CaptureKey(uint16_t virtualKey, bool extended, int modifier) {
    CaptureResult result;
    const int row = FindKeyByVirtualKey(virtualKey, extended);
    if (row < 0 || kKeyCodeTable[size_t(row)].group != group::kKeyboard) {
        return result;
    }
    result.accepted = true;
    if (row < kModifierRows) {
        // A modifier alone: its option (left and right alike), and no key yet.
        result.modifier = row % kLeftModifierRows + 1;
        result.keyRow = -1;
        result.code = Code(group::kKeyboard, ModifierBit(result.modifier), 0);
        return result;
    }
    result.modifier = modifier == kNoModifierOption ? 0 : modifier;
    result.keyRow = row;
    result.code =
        Code(group::kKeyboard, ModifierBit(result.modifier), kKeyCodeTable[size_t(row)].byte0);
    return result;
}

}  // namespace q840::keys
