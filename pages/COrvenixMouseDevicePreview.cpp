// The mouse page's light preview: its light state from the profile and the renderers of the
// effects the base has none for (wave, ripple, reactive).

#include <algorithm>
#include <cstring>

#include "core/profile/CMouseProfiledata.h"
#include "editors/CLightControlUI.h"
#include "pages/COrvenixMouseDevice.h"

namespace q840::pages {

// The mouse's 15 LEDs from the middle outward: the wave and the ripple move group by group.
const std::array<std::array<int, kMouseGroupWidth>, kMouseLedGroups> kMouseLedGroupTable = {{
    {7, -1, -1},
    {6, 8, -1},
    {5, 9, -1},
    {4, 10, -1},
    {3, 11, -1},
    {1, 2, 12},
    {0, 13, 14},
}};

// A smooth pulse: rises from 0 to 255 over the first half and falls back over the second.
const std::array<uint8_t, kWavePulseSteps> kWavePulseCurve = [] {
    std::array<uint8_t, kWavePulseSteps> curve{};
    constexpr int kHalf = kWavePulseSteps / 2;
    for (int i = 0; i < kWavePulseSteps; ++i) {
        const int x = i <= kHalf ? i : kWavePulseSteps - i;
        // Quadratic ease: x^2 scaled to 0..255 over 0..kHalf.
        curve[size_t(i)] = uint8_t(x * x * 255 / (kHalf * kHalf));
    }
    return curve;
}();

namespace {

constexpr int kEffectWave = 2;
constexpr int kEffectRipple = 4;
constexpr int kEffectReactive = 7;
// A ripple front moves one group outward every this many frames, then pauses before the next.
constexpr int kRippleFramesPerGroup = 3;
constexpr int kRipplePauseGroups = 5;
constexpr int kRippleCycleFrames = (kMouseLedGroups + kRipplePauseGroups) * kRippleFramesPerGroup;
constexpr uint8_t kFullLevel = 255;

int Mod(int a, int m) {
    const int r = a % m;
    return r < 0 ? r + m : r;
}

}  // namespace

void COrvenixMouseDevice::SeedLedPattern() {
    // A hue offset per place, spread over the wheel.
    std::array<uint8_t, kLedPatternLength> pattern{};
    for (int i = 0; i < kLedPatternLength; ++i) {
        pattern[size_t(i)] = uint8_t(i * kWheelSteps / kLedPatternLength);
    }
    SetLedPattern(pattern);
}

void COrvenixMouseDevice::LoadLightState() {
    auto* data = MouseProfile();
    profile::LightSetting ls;
    {
        // The preview thread plays the custom effect's steps under the LED list lock.
        std::lock_guard<std::recursive_mutex> listLock(LedListLock());
        std::lock_guard<std::recursive_mutex> ledLock(LedLock());
        ls = data->ReadLightSetting();
        const profile::LightSetting before = GetLightSettingsRecord();
        SetLightSettingsRecord(ls);
        m_stagedLight = ls;
        if (before.effect != ls.effect) {
            ClearPreview();
            SeedLedPattern();
        }
        std::vector<std::array<uint8_t, kLedRecordSize>> records;
        for (const profile::LightSetting& entry : data->ReadLightList()) {
            std::array<uint8_t, kLedRecordSize> r{};
            static_assert(sizeof(entry) == kLedRecordSize);
            std::memcpy(r.data(), &entry, sizeof(entry));
            records.push_back(r);
        }
        SetLedRecords(std::move(records));
        data->ReadCustomEffectSteps();
    }
    // Whatever changed the lighting (a profile, the game reaction, the same mode of another
    // device), the lighting editor shows it.
    if (editors::CLightControlUI* editor = GetLightEditor()) {
        editor->ShowLightSetting(ls);
    }
}

void COrvenixMouseDevice::RenderFrame(int effect) {
    switch (effect) {
        case kEffectWave:
            RenderWave();
            break;
        case kEffectRipple:
            RenderRipple();
            break;
        case kEffectReactive:
            RenderReactive();
            break;
        default:
            COrvenixUSBDevice::RenderFrame(effect);
            break;
    }
}

bool COrvenixMouseDevice::RenderBaseEffect(int effect, const FrameParams& p) {
    switch (effect) {
        case kEffectWave:
            DoWave(p);
            return true;
        case kEffectRipple:
            DoRipple(p);
            return true;
        case kEffectReactive:
            DoReactive(p);
            return true;
        default:
            return COrvenixUSBDevice::RenderBaseEffect(effect, p);
    }
}

void COrvenixMouseDevice::RenderWave() {
    DoWave(CurrentFrameParams());
}

void COrvenixMouseDevice::RenderRipple() {
    DoRipple(CurrentFrameParams());
}

void COrvenixMouseDevice::RenderReactive() {
    DoReactive(CurrentFrameParams());
}

void COrvenixMouseDevice::DoWave(const FrameParams& p) {
    const int steps = p.multiColour ? kWheelSteps : kWavePulseSteps;
    m_wavePhase = Mod(m_wavePhase + (p.direction != 0 ? 1 : -1), steps);
    const int factor = BrightnessFactor(p.brightness);
    for (int g = 0; g < kMouseLedGroups; ++g) {
        const int step = Mod(m_wavePhase - g * kWaveGroupShift, steps);
        uint32_t value = 0;
        if (p.multiColour) {
            value = PackLed(kColourWheel[size_t(step)], uint8_t(factor));
        } else {
            value = PackLed(p.colour, uint8_t(factor * kWavePulseCurve[size_t(step)] / 256));
        }
        for (int led : kMouseLedGroupTable[size_t(g)]) {
            if (led >= 0) {
                SetLedColour(led, value);
            }
        }
    }
}

void COrvenixMouseDevice::DoRipple(const FrameParams& p) {
    std::lock_guard<std::recursive_mutex> lock(LedLock());
    m_rippleHue = Mod(m_rippleHue + kRippleHueStep, kWheelSteps);
    // The front lights the next group at full level; every group's level then dies down.
    if (m_rippleFrame % kRippleFramesPerGroup == 0) {
        const int front = m_rippleFrame / kRippleFramesPerGroup;
        if (front < kMouseLedGroups) {
            SetLedLevel(kMouseLedGroupTable[size_t(front)][0], kFullLevel);
        }
    }
    m_rippleFrame = (m_rippleFrame + 1) % kRippleCycleFrames;
    const int factor = BrightnessFactor(p.brightness);
    for (int g = 0; g < kMouseLedGroups; ++g) {
        const int lead = kMouseLedGroupTable[size_t(g)][0];
        const int level = GetLedLevel(lead);
        StepLedFade(lead, 0);
        // Outer groups show the hue the middle had a moment before.
        const Rgb colour =
            p.multiColour ? kColourWheel[size_t(Mod(m_rippleHue - g * kRippleHueStep, kWheelSteps))]
                          : p.colour;
        const uint32_t value = PackLed(colour, uint8_t(factor * level / 255));
        for (int led : kMouseLedGroupTable[size_t(g)]) {
            if (led >= 0) {
                SetLedColour(led, value);
            }
        }
    }
}

void COrvenixMouseDevice::DoReactive(const FrameParams& p) {
    std::lock_guard<std::recursive_mutex> lock(LedLock());
    const int factor = BrightnessFactor(p.brightness);
    const int count = GetLedCount();
    for (int led = 0; led < count; ++led) {
        StepLedFade(led, 1);
        const int level = GetLedLevel(led);
        const Rgb colour = p.multiColour
                               ? kColourWheel[size_t(m_reactiveHues[size_t(led)] % kWheelSteps)]
                               : p.colour;
        SetLedColour(led, PackLed(colour, uint8_t(factor * level / 255)));
    }
}

}  // namespace q840::pages
