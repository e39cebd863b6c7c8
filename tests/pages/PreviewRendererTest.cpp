// The LED preview: tables and the frames each effect renders, driven frame by frame.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "core/profile/CBasicProfiledata.h"
#include "pages/PreviewTables.h"
#include "tests/pages/PageTestSupport.h"

namespace q840::pages {
namespace {

using test::CountingPage;

TEST(PreviewTables, CurveAndWheelHaveTheirShape) {
    // The curve rises to 255 in 64 steps and falls back symmetrically.
    EXPECT_EQ(0, kBreathCurve[0]);
    EXPECT_EQ(255, kBreathCurve[63]);
    EXPECT_EQ(255, kBreathCurve[64]);
    EXPECT_EQ(0, kBreathCurve[127]);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(kBreathCurve[i], kBreathCurve[127 - i]) << i;
        if (i > 0) {
            EXPECT_GT(kBreathCurve[i], kBreathCurve[i - 1]) << i;
        }
    }
    // Six runs of 32: each run holds one channel at 255 and moves one other.
    EXPECT_EQ(255, kColourWheel[0].r);
    EXPECT_EQ(1, kColourWheel[0].g);
    EXPECT_EQ(0, kColourWheel[0].b);
    EXPECT_EQ(248, kColourWheel[32].r);
    EXPECT_EQ(255, kColourWheel[32].g);
    EXPECT_EQ(255, kColourWheel[95].b);
    EXPECT_EQ(0, kColourWheel[127].g);
    EXPECT_EQ(255, kColourWheel[159].r);
    EXPECT_EQ(0, kColourWheel[191].b);
    // Out-of-range speed and brightness values clamp rather than read past the tables.
    EXPECT_EQ(28, FrameIntervalMs(-1));
    EXPECT_EQ(7, FrameIntervalMs(9));
    EXPECT_EQ(255, BrightnessFactor(200));
    EXPECT_EQ(7 * 200, BlinkPeriodMs(4));
}

class Renderers : public ::testing::Test {
protected:
    void SetUp() override {
        {
            auto setup = page.GetSetup();
            setup.ledCount = 15;
            page.Setup(setup);
        }
        settings.brightness = 4;
        settings.speed = 4;
        settings.direction = 1;
        settings.red = 10;
        settings.green = 20;
        settings.blue = 30;
        page.SetLightSettingsRecord(settings);
    }
    void Apply() { page.SetLightSettingsRecord(settings); }
    // Every LED holds the same value after a frame; returns it.
    uint32_t Uniform() {
        const uint32_t v = page.GetLedColour(0);
        for (int i = 1; i < page.GetLedCount(); ++i) {
            EXPECT_EQ(v, page.GetLedColour(i)) << "LED " << i;
        }
        return v;
    }

    CountingPage page;
    profile::LightSetting settings;
};

TEST_F(Renderers, StaticUsesColourAtEachBrightnessFactor) {
    const int factors[] = {0, 50, 100, 175, 255};
    for (int b = 0; b < 5; ++b) {
        settings.brightness = uint8_t(b);
        Apply();
        page.RenderFrame(0);
        EXPECT_EQ(PackLed(10, 20, 30, uint8_t(factors[b])), Uniform()) << b;
    }
    page.RenderFrame(10);
    EXPECT_EQ(0u, Uniform());
}

TEST_F(Renderers, BreathingFollowsTheCurveAndMovesTheHueAfterEachBreath) {
    settings.brightness = 2;  // factor 100
    Apply();
    for (int frame = 1; frame <= 128; ++frame) {
        page.RenderFrame(1);
        const uint32_t v = Uniform();
        EXPECT_EQ(100 * kBreathCurve[frame % 128] / 256, LedLevel(v)) << frame;
        EXPECT_EQ(10, LedRed(v));
    }
    // Multi-colour: the wheel colour, 16 hue steps further at the end of each breath.
    settings.multiColour = 1;
    Apply();
    std::vector<int> hues;
    for (int frame = 0; frame < 3 * 128 - 1; ++frame) {
        page.RenderFrame(1);
        const uint32_t v = Uniform();
        for (int h = 0; h < kWheelSteps; ++h) {
            const Rgb c = kColourWheel[h];
            if (c.r == LedRed(v) && c.g == LedGreen(v) && c.b == LedBlue(v)) {
                if (hues.empty() || hues.back() != h) {
                    hues.push_back(h);
                }
                break;
            }
        }
    }
    ASSERT_EQ(3u, hues.size());
    EXPECT_EQ((hues[0] + 16) % kWheelSteps, hues[1]);
    EXPECT_EQ((hues[1] + 16) % kWheelSteps, hues[2]);
}

TEST_F(Renderers, BreathingBackwardsRunsTheCurveTheOtherWay) {
    settings.direction = 0;
    Apply();
    for (int i = 0; i < 10; ++i) {
        page.RenderFrame(1);  // 127, 126, ..., 118
    }
    const int level = LedLevel(Uniform());
    EXPECT_EQ(255 * kBreathCurve[118] / 256, level);
    EXPECT_GT(level, 0);
}

TEST_F(Renderers, BreathingFourColoursCyclesTheFixedColours) {
    std::vector<Rgb> seen;
    for (int frame = 0; frame < 4 * 128 + 1; ++frame) {
        page.RenderFrame(5);
        const uint32_t v = Uniform();
        const Rgb c{LedRed(v), LedGreen(v), LedBlue(v)};
        if (seen.empty() || seen.back().r != c.r || seen.back().g != c.g || seen.back().b != c.b) {
            seen.push_back(c);
        }
    }
    ASSERT_GE(seen.size(), 4u);
    std::set<uint32_t> distinct;
    for (int i = 0; i < 4; ++i) {
        distinct.insert(PackLed(seen[i], 0));
    }
    EXPECT_EQ(4u, distinct.size());
    // After the fourth colour the first comes back.
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(PackLed(seen[0], 0), PackLed(seen[4], 0));
}

TEST_F(Renderers, SpectrumStepsThroughTheWheelAtFullFactor) {
    settings.brightness = 3;
    Apply();
    page.RenderFrame(3);
    const uint32_t first = Uniform();
    EXPECT_EQ(175, LedLevel(first));
    EXPECT_EQ(PackLed(kColourWheel[1], 175), first);
    for (int i = 0; i < kWheelSteps; ++i) {
        page.RenderFrame(3);
    }
    EXPECT_EQ(PackLed(kColourWheel[1], 175), Uniform()) << "the wheel wraps after 192 frames";
    settings.direction = 0;
    Apply();
    page.RenderFrame(3);
    EXPECT_EQ(PackLed(kColourWheel[0], 175), Uniform());
}

TEST_F(Renderers, BlinkTogglesOncePerPeriodAndMovesTheHueInMultiColour) {
    // Speed 4: 7 ms frames, a period of 1400 ms = 200 frames.
    page.RenderFrame(6);
    EXPECT_EQ(PackLed(10, 20, 30, 255), Uniform());
    for (int i = 1; i < 199; ++i) {
        page.RenderFrame(6);
    }
    EXPECT_EQ(255, LedLevel(Uniform())) << "still on before the period ends";
    page.RenderFrame(6);
    EXPECT_EQ(0u, Uniform()) << "off after one period";
    for (int i = 0; i < 200; ++i) {
        page.RenderFrame(6);
    }
    EXPECT_EQ(PackLed(10, 20, 30, 255), Uniform()) << "on again";

    settings.multiColour = 1;
    Apply();
    int onSwitches = 0;
    uint32_t last = Uniform();
    std::vector<uint32_t> onColours;
    for (int i = 0; i < 800; ++i) {
        page.RenderFrame(6);
        const uint32_t v = Uniform();
        if (v != last && LedLevel(v) != 0) {
            ++onSwitches;
            onColours.push_back(v);
        }
        last = v;
    }
    ASSERT_GE(onColours.size(), 2u);
    // Two successive flashes lie 16 hue steps apart on the wheel.
    int h0 = -1, h1 = -1;
    for (int h = 0; h < kWheelSteps; ++h) {
        if (PackLed(kColourWheel[h], 255) == onColours[0] && h0 < 0) {
            h0 = h;
        }
        if (PackLed(kColourWheel[h], 255) == onColours[1] && h1 < 0) {
            h1 = h;
        }
    }
    ASSERT_GE(h0, 0);
    EXPECT_EQ((h0 + 16) % kWheelSteps, h1);
}

TEST_F(Renderers, BlinkFourColoursTakesTheNextColourOnEachFlash) {
    settings.speed = 4;
    Apply();
    std::vector<uint32_t> flashes;
    uint32_t last = 1;
    for (int i = 0; i < 200 * 10; ++i) {
        page.RenderFrame(8);
        const uint32_t v = Uniform();
        if (v != last && LedLevel(v) != 0) {
            flashes.push_back(v);
        }
        last = v;
    }
    ASSERT_GE(flashes.size(), 5u);
    std::set<uint32_t> distinct(flashes.begin(), flashes.begin() + 4);
    EXPECT_EQ(4u, distinct.size());
    EXPECT_EQ(flashes[0], flashes[4]);
}

TEST_F(Renderers, CustomEffectWithoutStepsIsDarkAndUnknownCodesAreCustom) {
    page.RenderFrame(0);
    ASSERT_NE(0u, Uniform());
    page.RenderFrame(9);
    EXPECT_EQ(0u, Uniform());
    page.RenderFrame(0);
    page.RenderFrame(42);
    EXPECT_EQ(0u, Uniform());
}

TEST_F(Renderers, CustomEffectPlaysItsStepsInOrderForTheirTime) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("zelta_light.config", R"({"LightInfo":[[{"LightName":"mine","Guid":"g1"}]]})");
    // Step 1: static red at full brightness for 14 ms (two 7 ms frames); step 2: static blue,
    // 7 ms twice over.
    write("g1.light", R"({"LEDEffectList":[
        {"LEDREGMode":0,"LEDBrightness":4,"LEDSpeed":4,"LEDDirection":0,"LEDMultiColor":0,
         "red":255,"green":0,"blue":0,"Time":14,"Cyle":1},
        {"LEDREGMode":0,"LEDBrightness":4,"LEDSpeed":4,"LEDDirection":0,"LEDMultiColor":0,
         "red":0,"green":0,"blue":255,"Time":7,"Cyle":2}]})");
    auto data = std::make_unique<profile::CBasicProfiledata>();
    Json::Value node;
    node["LightInfo"]["SelectItem"] = 0;
    data->SetDeviceNode(node);
    data->ReadLightSetting();
    data->LoadLightConfig(dir.filePath("zelta_light.config").toStdString());
    ASSERT_EQ(2u, data->ReadCustomEffectSteps().size());
    page.SetProfileData(std::move(data));

    const uint32_t red = PackLed(255, 0, 0, 255);
    const uint32_t blue = PackLed(0, 0, 255, 255);
    const uint32_t expected[] = {red, red, blue, blue, red, red, blue};
    for (uint32_t e : expected) {
        page.RenderFrame(9);
        EXPECT_EQ(e, Uniform());
    }
}

}  // namespace
}  // namespace q840::pages
