#pragma once

// Numbers carried in an interface path ("...vid_320f&pid_226e&mi_01&col02").

#include <cstdint>
#include <string_view>

namespace q840::hid {

// The hexadecimal number right after the first occurrence of `marker` (letter case ignored in
// both the marker and the digits); 0 when the marker is absent or no digit follows. At most
// eight digits are read, so the result never overflows.
uint32_t ParseHexAfterMarker(std::string_view path, std::string_view marker);

}  // namespace q840::hid
