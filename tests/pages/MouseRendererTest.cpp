// The mouse page's own preview renderers, frame by frame: wave, ripple and reactive.

#include <gtest/gtest.h>

#include <vector>

#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

class MouseRenderers : public ::testing::Test {
protected:
    void SetUp() override {
        auto setup = page.GetSetup();
        setup.ledCount = 15;
        page.Setup(setup);
    }
    void Set(uint8_t effect, bool multi, uint8_t direction = 1) {
        profile::LightSetting s;
        s.effect = effect;
        s.brightness = 4;
        s.direction = direction;
        s.multiColour = multi ? 1 : 0;
        s.red = 255;
        s.green = 10;
        page.SetLightSettingsRecord(s);
    }
    // One frame: the colour of every LED.
    std::vector<uint32_t> Frame(int effect) {
        page.RenderFrame(effect);
        std::vector<uint32_t> leds;
        for (int i = 0; i < 15; ++i) {
            leds.push_back(page.GetLedColour(i));
        }
        return leds;
    }
    static uint32_t Group(const std::vector<uint32_t>& frame, int g) {
        return frame[size_t(kMouseLedGroupTable[size_t(g)][0])];
    }

    TestMousePage page;
};

TEST_F(MouseRenderers, WaveShiftsEachGroupBySevenStepsAndRepeats) {
    for (bool multi : {false, true}) {
        Set(2, multi);
        const int period = multi ? kWheelSteps : kWavePulseSteps;
        std::vector<std::vector<uint32_t>> frames;
        for (int f = 0; f < period + 60; ++f) {
            frames.push_back(Frame(2));
        }
        for (size_t f = 60; f < frames.size(); ++f) {
            for (int g = 0; g < kMouseLedGroups; ++g) {
                for (int led : kMouseLedGroupTable[size_t(g)]) {
                    if (led >= 0) {
                        ASSERT_EQ(Group(frames[f], g), frames[f][size_t(led)]) << "one group";
                    }
                }
                if (g > 0) {
                    ASSERT_EQ(Group(frames[f - 7], g - 1), Group(frames[f], g)) << f << " " << g;
                }
            }
        }
        EXPECT_EQ(frames[10], frames[10 + size_t(period)]) << "multi " << multi;
    }
    // Single colour: the configured colour pulses through every level.
    Set(2, false);
    int highest = 0;
    for (int f = 0; f < kWavePulseSteps; ++f) {
        const uint32_t v = Group(Frame(2), 0);
        EXPECT_EQ(255, LedRed(v));
        EXPECT_EQ(10, LedGreen(v));
        highest = std::max<int>(highest, LedLevel(v));
    }
    EXPECT_EQ(255 * 255 / 256, highest) << "full brightness times the curve's top";
}

TEST_F(MouseRenderers, RippleMovesOutwardAndDiesDown) {
    Set(4, false);
    auto f1 = Frame(4);
    EXPECT_EQ(255, LedLevel(Group(f1, 0)));
    for (int g = 1; g < kMouseLedGroups; ++g) {
        EXPECT_EQ(0, LedLevel(Group(f1, g)));
    }
    auto f2 = Frame(4);
    EXPECT_EQ(240, LedLevel(Group(f2, 0)));
    Frame(4);
    auto f4 = Frame(4);
    EXPECT_EQ(255, LedLevel(Group(f4, 1))) << "the front reached the next group";
    EXPECT_EQ(210, LedLevel(Group(f4, 0)));
    EXPECT_EQ(0, LedLevel(Group(f4, 2)));
    Set(4, true);
    page.ClearPreview();
    auto m = Frame(4);
    auto m2 = Frame(4);
    EXPECT_NE(Group(m, 0) & 0xFFFFFF, Group(m2, 0) & 0xFFFFFF) << "the hue moves every frame";
}

TEST_F(MouseRenderers, ReactiveRisesAndFallsAfterAKeyPress) {
    Set(7, false);
    auto idle = Frame(7);
    for (uint32_t v : idle) {
        EXPECT_EQ(0, LedLevel(v));
    }
    page.OnKeyPressEvent();
    std::vector<int> levels;
    for (int f = 0; f < 40; ++f) {
        levels.push_back(LedLevel(Frame(7)[5]));
    }
    std::vector<int> expected;
    for (int l = 15; l <= 255; l += 15) {
        expected.push_back(l);
    }
    for (int l = 240; l >= 0; l -= 15) {
        expected.push_back(l);
    }
    while (expected.size() < levels.size()) {
        expected.push_back(0);
    }
    EXPECT_EQ(expected, levels);
    EXPECT_EQ(255, LedRed(Frame(7)[0]));

    // Multi-colour: every LED its own random hue; other effects ignore key presses.
    Set(7, true);
    page.OnKeyPressEvent();
    std::vector<uint32_t> lit;
    for (int f = 0; f < 17; ++f) {
        lit = Frame(7);
    }
    int distinct = 0;
    for (size_t i = 1; i < lit.size(); ++i) {
        distinct += (lit[i] & 0xFFFFFF) != (lit[0] & 0xFFFFFF) ? 1 : 0;
    }
    EXPECT_GT(distinct, 0);
    Set(2, false);
    page.ClearPreview();
    page.OnKeyPressEvent();
    Set(7, false);
    EXPECT_EQ(0, LedLevel(Frame(7)[0]));
}

}  // namespace
}  // namespace q840::pages::test
