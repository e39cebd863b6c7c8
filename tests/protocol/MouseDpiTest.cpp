// DPI index <-> number of the mouse's sensors, at the edges where the formulas change.

#include <gtest/gtest.h>

#include "core/protocol/codecs/MouseDpi.h"

namespace q840::protocol {
namespace {

constexpr uint16_t k3104 = 0x3104;
constexpr uint16_t k8925 = 0x8925;
constexpr uint16_t k3325 = 0x3325;

TEST(MouseDpi, Sensor3104Edges) {
    EXPECT_EQ(200, DpiIndexToNumber(k3104, 0, 0, 0));
    EXPECT_EQ(400, DpiIndexToNumber(k3104, 0, 0, 1));
    EXPECT_EQ(2900, DpiIndexToNumber(k3104, 0, 0, 52));
    EXPECT_EQ(3000, DpiIndexToNumber(k3104, 0, 0, 54));
    EXPECT_EQ(8000, DpiIndexToNumber(k3104, 0, 0, 104));
    EXPECT_EQ(8000, DpiIndexToNumber(k3104, 0, 0, 105)) << "capped";

    EXPECT_EQ(0, DpiNumberToIndex(k3104, 0, 0, 350));
    EXPECT_EQ(1, DpiNumberToIndex(k3104, 0, 0, 375));
    EXPECT_EQ(3, DpiNumberToIndex(k3104, 0, 0, 450));
    EXPECT_EQ(54, DpiNumberToIndex(k3104, 0, 0, 3000));
    EXPECT_EQ(104, DpiNumberToIndex(k3104, 0, 0, 10000)) << "nothing above 8000 DPI";
    EXPECT_EQ(0, DpiNumberToIndex(k3104, 0, 0, 0));
}

TEST(MouseDpi, Sensor3104TypedNumbersBetween2600And3000ShowWhatWasTyped) {
    EXPECT_EQ(47, DpiNumberToIndex(k3104, 0, 0, 2650));
    EXPECT_EQ(2700, DpiIndexToNumber(k3104, 0, 0, DpiNumberToIndex(k3104, 0, 0, 2700)));
    EXPECT_EQ(2900, DpiIndexToNumber(k3104, 0, 0, DpiNumberToIndex(k3104, 0, 0, 2950)));
    // Every number a slider index shows types back to an index showing the same number.
    for (int i = 0; i <= 104; ++i) {
        const int dpi = DpiIndexToNumber(k3104, 0, 0, i);
        EXPECT_EQ(dpi, DpiIndexToNumber(k3104, 0, 0, DpiNumberToIndex(k3104, 0, 0, dpi))) << i;
    }
}

TEST(MouseDpi, Sensor3104TopIndexOfTheRecord) {
    EXPECT_EQ(10000, DpiIndexToNumber(k3104, 0, 0, 124, 124));
    EXPECT_EQ(10000, DpiIndexToNumber(k3104, 0, 0, 130, 124)) << "capped at the record's top";
    EXPECT_EQ(124, DpiNumberToIndex(k3104, 0, 0, 10000, 124));
    EXPECT_EQ(114, DpiNumberToIndex(k3104, 0, 0, 9000, 124));
    EXPECT_EQ(60, DpiNumberToIndex(k3104, 0, 0, 9000, 60)) << "a smaller top holds as well";
    EXPECT_EQ(3600, DpiIndexToNumber(k3104, 0, 0, 104, 60));
}

TEST(MouseDpi, Sensor8925Edges) {
    EXPECT_EQ(5000, DpiIndexToNumber(k8925, 0, 0, 99));
    EXPECT_EQ(5100, DpiIndexToNumber(k8925, 0, 0, 100));
    EXPECT_EQ(10000, DpiIndexToNumber(k8925, 0, 0, 149));
    EXPECT_EQ(149, DpiNumberToIndex(k8925, 0, 0, 10000));
    EXPECT_EQ(99, DpiNumberToIndex(k8925, 0, 0, 5000));
    EXPECT_EQ(100, DpiNumberToIndex(k8925, 0, 0, 5100));
    EXPECT_EQ(0, DpiNumberToIndex(k8925, 0, 0, 0)) << "an empty box is not index -1";
    for (int i = 0; i <= 149; ++i) {
        EXPECT_EQ(i, DpiNumberToIndex(k8925, 0, 0, DpiIndexToNumber(k8925, 0, 0, i))) << i;
    }
}

TEST(MouseDpi, OtherSensorsUseStepAndBase) {
    EXPECT_EQ(1100, DpiIndexToNumber(0x1234, 50, 100, 20));
    EXPECT_EQ(20, DpiNumberToIndex(0x1234, 50, 100, 1100));
    EXPECT_EQ(4900, DpiIndexToNumber(k3325, 100, 100, 48));
    EXPECT_EQ(5100, DpiIndexToNumber(k3325, 100, 100, 49));
    EXPECT_EQ(48, DpiNumberToIndex(k3325, 100, 100, 4900));
    // A record that was never read has no step: no division by it.
    EXPECT_EQ(0, DpiNumberToIndex(0x1234, 0, 0, 800));
    EXPECT_EQ(0, DpiNumberToIndex(k3325, 0, 0, 800));
}

TEST(MouseDpi, SliderMaximumBySensor) {
    EXPECT_EQ(149, DpiSliderMaximum(k8925, 0));
    EXPECT_EQ(104, DpiSliderMaximum(k3104, 114));
    EXPECT_EQ(0, DpiSliderMaximum(k3104, 3));
    EXPECT_EQ(-1, DpiSliderMaximum(k3325, 114)) << "keeps the layout's range";
}

}  // namespace
}  // namespace q840::protocol
