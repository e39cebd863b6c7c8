#pragma once

namespace q840 {

// The value of one hexadecimal digit (either letter case), or -1 for any other character.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
static_assert(HexDigitValue('F') == 15 && HexDigitValue('a') == 10 && HexDigitValue('g') == -1);

}  // namespace q840
