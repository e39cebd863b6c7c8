#include "core/protocol/codecs/MouseDpi.h"

#include <algorithm>

#include "core/protocol/codecs/InfoRecord.h"

namespace q840::protocol {

namespace {

// 0x3104 moves in steps of 50 DPI up to index 52 (2900 DPI) and in steps of 100 from index 54
// (3000 DPI) on; index 53 shows 2900 as well.
constexpr int k3104LastFineIndex = 52;
constexpr int k3104FineTop = 2600;     // typed numbers up to here follow the 50-step formula
constexpr int k3104CoarseFrom = 3000;  // typed numbers from here follow the 100-step formula
constexpr int k3104CoarseFirstIndex = 54;

// 0x8925 moves in steps of 50 DPI below index 100 (5000 DPI) and of 100 above.
constexpr int k8925FineIndices = 100;
constexpr int k8925FineTop = 5000;

constexpr int k3325FineIndices = 48;
constexpr int k3325FineTop = 5000;

int TopIndex3104(int topIndex) {
    return topIndex > 0 ? topIndex : kDpi3104DefaultTopIndex;
}

}  // namespace

int DpiIndexToNumber(uint16_t sensor, int step, int base, int index, int topIndex) {
    index = std::max(index, 0);
    switch (sensor) {
        case kSensor3104: {
            index = std::min(index, TopIndex3104(topIndex));
            int dpi = 0;
            if (index == 0) {
                dpi = 200;
            } else if (index == 1) {
                dpi = 400;
            } else if (index <= k3104LastFineIndex) {
                dpi = 50 * index + 300;
            } else {
                dpi = 100 * index - 2400;
            }
            return dpi;
        }
        case kSensor8925:
            return index < k8925FineIndices ? 50 * index + 50 : 100 * index - 4900;
        case kSensor3325:
            return index <= k3325FineIndices ? step * index + base
                                             : k3325FineIndices * step + 200 * index + base - 9600;
        default:
            return step * index + base;
    }
}

int DpiNumberToIndex(uint16_t sensor, int step, int base, int number, int topIndex) {
    int index = 0;
    switch (sensor) {
        case kSensor3104:
            if (number <= 350) {
                index = 0;
            } else if (number < 450) {
                index = 1;
            } else if (number <= k3104FineTop) {
                index = (number - 400) / 50 + 2;
            } else if (number < k3104CoarseFrom) {
                // Between 2600 and 3000 the 100-step formula would give indices that show other
                // numbers (2700 -> 51 -> 2850); the 50-step range reaches 2900 at index 52.
                index = std::min((number - 400) / 50 + 2, k3104LastFineIndex);
            } else {
                index = (number - k3104CoarseFrom) / 100 + k3104CoarseFirstIndex;
            }
            // Nothing above the record's top exists on this sensor: a larger number takes the
            // top index instead of one the slider cannot show.
            index = std::min(index, TopIndex3104(topIndex));
            break;
        case kSensor8925:
            index = number <= k8925FineTop ? (number - 50) / 50 : (number / 2 - 50) / 50 + 50;
            index = std::min(index, kDpiSlider8925Max);
            break;
        case kSensor3325:
            if (step == 0) {
                return 0;
            }
            index = number <= k3325FineTop ? (number - base) / step
                                           : (number - base - 5000) / 200 + k3325FineIndices;
            break;
        default:
            if (step == 0) {
                return 0;
            }
            index = (number - base) / step;
            break;
    }
    // An empty box counts as 0, which lies below the first index of several sensors: store the
    // lowest index rather than a negative one that would wrap to 65535 on the wire.
    return std::max(index, 0);
}

int DpiSliderMaximum(uint16_t sensor, int sliderMaxPlus10) {
    if (sensor == kSensor8925) {
        return kDpiSlider8925Max;
    }
    if (sensor == kSensor3104) {
        return std::max(sliderMaxPlus10 - 10, 0);
    }
    return -1;
}

bool DpiValuesWritable(uint16_t sensor) {
    return sensor == kSensor8925 || sensor == kSensor3104;
}

}  // namespace q840::protocol
