#include <gtest/gtest.h>

#include "app/LightSync.h"
#include "pages/PreviewTables.h"

using namespace q840;

TEST(LightSync, EffectCodesMapBetweenDeviceKinds) {
    // The mouse's breathing (1) is the keyboard's 5 and the pad's 2.
    const int effect = SyncEffectOfCode(SyncColumn::Mouse, 1);
    EXPECT_EQ(effect, 0);
    EXPECT_EQ(CodeOfSyncEffect(SyncColumn::Keyboard, effect), 5);
    EXPECT_EQ(CodeOfSyncEffect(SyncColumn::PadOrHeadset, effect), 2);
    EXPECT_EQ(SyncEffectOfCode(SyncColumn::Keyboard, 28), 4);  // off
    EXPECT_EQ(SyncEffectOfCode(SyncColumn::Mouse, 2), -1);     // wave has no counterpart
    EXPECT_EQ(SyncColumnOfKind(7), SyncColumnOfKind(3));
    EXPECT_EQ(SyncColumnOfKind(5), -1);
}

TEST(LightSync, BreathingFollowsTheCurveInBothDirectionsAndTurnsTheWheel) {
    LightSyncEngine engine;
    SyncParams p;
    p.effect = 0;
    p.brightness = 4;
    p.direction = 1;
    p.red = 10;
    engine.SetParams(p);
    uint32_t v = engine.Step(0);
    EXPECT_EQ(engine.BreathPosition(), 1);
    EXPECT_EQ(pages::LedLevel(v), 255 * pages::kBreathCurve[1] / 256);
    EXPECT_EQ(pages::LedRed(v), 10);
    for (int i = 0; i < 127; ++i) {
        v = engine.Step(0);
    }
    EXPECT_EQ(engine.BreathPosition(), 0);  // 127 is followed by 0
    EXPECT_EQ(engine.BreathWheel(), 0);     // not colourful: the wheel stays

    p.direction = 0;
    p.multiColour = 1;
    p.brightness = 1;
    engine.SetParams(p);
    engine.Step(0);
    EXPECT_EQ(engine.BreathPosition(), 127);  // 0 is followed by 127 backwards
    for (int i = 0; i < 126; ++i) {
        engine.Step(0);
    }
    EXPECT_EQ(engine.BreathPosition(), 1);
    EXPECT_EQ(engine.BreathWheel(), 16);  // below 2: the wheel advances by 16
    // Twelve such advances wrap at 192.
    for (int i = 0; i < 11 * 128; ++i) {
        engine.Step(0);
    }
    EXPECT_LT(engine.BreathWheel(), 192);
}

TEST(LightSync, FlashingTogglesAfterThresholdTimesTwoHundredMilliseconds) {
    LightSyncEngine engine;
    SyncParams p;
    p.effect = 2;
    p.speed = 4;  // threshold 7 -> 1400 ms
    p.brightness = 2;
    p.green = 200;
    engine.SetParams(p);
    uint32_t v = engine.Step(1400);  // first change: on
    EXPECT_TRUE(engine.FlashOn());
    EXPECT_EQ(pages::LedGreen(v), 200);
    EXPECT_EQ(pages::LedLevel(v), 100);
    EXPECT_EQ(engine.FlashWheel(), 14);
    v = engine.Step(2799);
    EXPECT_TRUE(engine.FlashOn());
    v = engine.Step(2800);
    EXPECT_FALSE(engine.FlashOn());
    EXPECT_EQ(v, 0u);  // black at brightness 0
}

TEST(LightSync, ColourCycleAndSteadyAndOff) {
    LightSyncEngine engine;
    SyncParams p;
    p.effect = 3;
    p.brightness = 3;
    engine.SetParams(p);
    uint32_t v = 0;
    for (int i = 0; i < 192; ++i) {
        v = engine.Step(0);
    }
    EXPECT_EQ(engine.CycleWheel(), 0);  // wrapped at 192
    EXPECT_EQ(pages::LedLevel(v), 175);
    EXPECT_EQ(pages::LedRed(v), pages::kColourWheel[0].r);
    p.effect = 1;
    p.blue = 9;
    engine.SetParams(p);
    v = engine.Step(0);
    EXPECT_EQ(pages::LedBlue(v), 9);
    EXPECT_EQ(pages::LedLevel(v), 175);
    p.effect = 4;
    engine.SetParams(p);
    EXPECT_EQ(engine.Step(0), 0u);
    EXPECT_EQ(SyncThreshold(9), 7);  // out of range speeds use the nearest level
}
