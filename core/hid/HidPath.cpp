#include "core/hid/HidPath.h"

#include "core/base/HexDigit.h"

namespace q840::hid {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

uint32_t ParseHexAfterMarker(std::string_view path, std::string_view marker) {
    if (marker.empty() || path.size() < marker.size()) {
        return 0;
    }
    for (size_t start = 0; start + marker.size() <= path.size(); ++start) {
        size_t i = 0;
        while (i < marker.size() && Lower(path[start + i]) == Lower(marker[i])) {
            ++i;
        }
        if (i != marker.size()) {
            continue;
        }
        uint32_t value = 0;
        size_t pos = start + marker.size();
        for (int digits = 0; digits < 8 && pos < path.size(); ++digits, ++pos) {
            const int d = HexDigitValue(path[pos]);
            if (d < 0) {
                break;
            }
            value = (value << 4) | static_cast<uint32_t>(d);
        }
        return value;
    }
    return 0;
}

}  // namespace q840::hid
