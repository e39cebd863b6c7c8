#include "core/protocol/codecs/HeadsetLedReport.h"

#include <algorithm>

namespace q840::protocol {

namespace {
constexpr uint8_t kReportId = 0xFF;
constexpr uint8_t kZones[2] = {0x22, 0x44};
constexpr size_t kFirstGroup = 7;  // LEDs 0-6 in the first part, 7-12 in the second
constexpr size_t kOffZone = 1;
constexpr size_t kOffPart = 2;
constexpr size_t kOffValues = 4;
// Part codes: red, green, blue of LEDs 0-6 are 0xAA-0xAC, of LEDs 7-12 0xAD-0xAF.
constexpr uint8_t kPartFirst = 0xAA;
constexpr uint8_t kPartSecond = 0xAD;
}  // namespace

uint8_t HeadsetChannelValue(uint8_t component, uint8_t level) {
    return static_cast<uint8_t>(std::min<unsigned>(component * level / 256u, kHeadsetChannelMax));
}

std::array<HeadsetLedReport, kHeadsetFrameReports> BuildHeadsetLedFrame(
    const std::array<uint8_t, kHeadsetLeds * 4>& leds) {
    std::array<HeadsetLedReport, kHeadsetFrameReports> frame{};
    size_t n = 0;
    for (uint8_t channel = 0; channel < 3; ++channel) {
        for (uint8_t zone : kZones) {
            for (int group = 0; group < 2; ++group) {
                HeadsetLedReport& r = frame[n++];
                r[0] = kReportId;
                r[kOffZone] = zone;
                r[kOffPart] = static_cast<uint8_t>((group ? kPartSecond : kPartFirst) + channel);
                const size_t first = group ? kFirstGroup : 0;
                const size_t last = group ? kHeadsetLeds : kFirstGroup;
                for (size_t led = first; led < last; ++led) {
                    r[kOffValues + led - first] =
                        HeadsetChannelValue(leds[led * 4 + channel], leds[led * 4 + 3]);
                }
            }
        }
    }
    return frame;
}

}  // namespace q840::protocol
