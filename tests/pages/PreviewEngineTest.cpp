// The preview engine on its own: the frames its renderers leave in the LED colour array, the
// custom effect's steps, and its thread's dealings with the page that hosts it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "pages/PreviewEngine.h"
#include "tests/support/WaitFor.h"

namespace q840::pages {
namespace {

using q840::test::WaitFor;

struct Host : IPreviewHost {
    bool IsPreviewWanted() const override { return wanted.load(); }
    bool MayRenderPreviewFrame() const override { return mayRender.load(); }
    void RenderPreviewFrame(int effect) override {
        lastEffect.store(effect);
        ++frames;
    }
    std::atomic<bool> wanted{false};
    std::atomic<bool> mayRender{true};
    std::atomic<int> lastEffect{-1};
    std::atomic<int> frames{0};
};

profile::LightSetting Light(uint8_t effect, uint8_t brightness, Rgb colour) {
    profile::LightSetting s;
    s.effect = effect;
    s.brightness = brightness;
    s.speed = 4;
    s.red = colour.r;
    s.green = colour.g;
    s.blue = colour.b;
    return s;
}

TEST(PreviewEngineFrames, RenderersFillOnlyTheDevicesLeds) {
    Host host;
    PreviewEngine engine(host);
    engine.SetLedCount(300);
    EXPECT_EQ(PreviewEngine::kMaxLeds, engine.GetLedCount());
    engine.SetLedCount(3);
    engine.SetLedColour(3, 0x12345678u);  // beyond the device's LEDs: ignored
    EXPECT_EQ(0u, engine.GetLedColour(3));

    engine.SetLightSettings(Light(0, 2, {10, 20, 30}));
    ASSERT_TRUE(engine.RenderBaseEffect(0, engine.CurrentFrameParams()));
    for (int led = 0; led < 3; ++led) {
        EXPECT_EQ(PackLed(10, 20, 30, uint8_t(BrightnessFactor(2))), engine.GetLedColour(led));
    }
    // Codes the base has no renderer for are the page's to draw.
    EXPECT_FALSE(engine.RenderBaseEffect(2, engine.CurrentFrameParams()));
    ASSERT_TRUE(engine.RenderBaseEffect(10, engine.CurrentFrameParams()));
    EXPECT_EQ(0u, engine.GetLedColour(0));
}

TEST(PreviewEngineFrames, CustomStepsPlayInTurnForTheirTime) {
    Host host;
    PreviewEngine engine(host);
    engine.SetLedCount(2);
    profile::LightEffectStep lit;
    lit.mode = 0;
    lit.brightness = 4;
    lit.speed = 4;  // 7 ms frames
    lit.red = 255;
    lit.time = 14;  // two frames
    lit.repetitions = 1;
    profile::LightEffectStep unknown = lit;
    unknown.mode = 42;
    unknown.time = 7;
    const std::vector<profile::LightEffectStep> steps = {lit, unknown};

    std::vector<int> asked;
    auto render = [&](int effect, const PreviewEngine::FrameParams& p) {
        asked.push_back(effect);
        return engine.RenderBaseEffect(effect, p);
    };
    const uint32_t red = PackLed(255, 0, 0, 255);
    engine.RenderCustomEffect(steps, render);
    EXPECT_EQ(red, engine.GetLedColour(1));
    engine.RenderCustomEffect(steps, render);
    engine.RenderCustomEffect(steps, render);  // the unknown step: dark for its time
    EXPECT_EQ(0u, engine.GetLedColour(1));
    engine.RenderCustomEffect(steps, render);  // and round again
    EXPECT_EQ(red, engine.GetLedColour(0));
    EXPECT_EQ((std::vector<int>{0, 0, 42, 0}), asked);

    engine.RenderCustomEffect({}, render);
    EXPECT_EQ(0u, engine.GetLedColour(0)) << "no steps: off";
}

TEST(PreviewEngineThread, RendersOnlyWhileWantedAndAllowed) {
    Host host;
    PreviewEngine engine(host);
    engine.SetLightSettings(Light(6, 4, {1, 2, 3}));
    const auto started = std::chrono::steady_clock::now();
    engine.Start();
    // Two idle passes: the second comes only after the thread has slept its idle time.
    ASSERT_TRUE(WaitFor([&] { return engine.Passes() >= 2; }));
    EXPECT_GE(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(PreviewEngine::kIdleMs))
        << "idle, it looks again only every 100 ms";
    EXPECT_EQ(0, host.frames.load()) << "nobody wants a frame";
    EXPECT_LE(engine.Wakeups(), 4u) << "idle, it looks again only every 100 ms";

    host.wanted.store(true);
    ASSERT_TRUE(WaitFor([&] { return host.frames.load() >= 5; }, 2000));
    EXPECT_GE(host.frames.load(), 5);
    EXPECT_EQ(6, host.lastEffect.load());

    host.mayRender.store(false);
    // A frame begun before the change is drawn once the next pass is counted; every pass after
    // that looks after the change.
    const uint64_t passesAtChange = engine.Passes();
    ASSERT_TRUE(WaitFor([&] { return engine.Passes() > passesAtChange; }));
    const int frozen = host.frames.load();
    const uint64_t passesAtFrozen = engine.Passes();
    ASSERT_TRUE(WaitFor([&] { return engine.Passes() >= passesAtFrozen + 3; }));
    EXPECT_EQ(frozen, host.frames.load()) << "the synchronised lighting owns the colours";

    engine.Stop();
    EXPECT_FALSE(engine.IsRunning());
}

}  // namespace
}  // namespace q840::pages
