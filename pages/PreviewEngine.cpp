#include "pages/PreviewEngine.h"

#include <algorithm>
#include <chrono>

#include "core/base/DebugLine.h"

namespace q840::pages {

namespace {

constexpr int kFadeStep = 15;

enum FadeState : uint8_t { kFadeIdle = 0, kFadeRising = 1, kFadeFalling = 2 };

bool IsLed(int led) {
    return led >= 0 && led < PreviewEngine::kMaxLeds;
}

}  // namespace

PreviewEngine::PreviewEngine(IPreviewHost& host) : m_host(host) {}

PreviewEngine::~PreviewEngine() {
    Stop();
}

// --- thread -------------------------------------------------------------------------------------

void PreviewEngine::Start() {
    Stop();
    m_wakeups.store(0);
    m_passes.store(0);
    m_thread.Start([this](const StopEvent& stop) { Body(stop); });
}

void PreviewEngine::Stop() {
    if (!m_thread.IsRunning()) {
        m_thread.Stop(0);
        return;
    }
    DebugThreadStopResult(m_thread.Stop(kStopWaitMs));
}

void PreviewEngine::Body(const StopEvent& stop) {
    using Clock = std::chrono::steady_clock;
    auto last = Clock::now();
    for (;;) {
        m_wakeups.fetch_add(1, std::memory_order_relaxed);
        if (!m_host.IsPreviewWanted()) {
            m_passes.fetch_add(1);
            if (stop.Wait(kIdleMs)) {
                break;
            }
            last = Clock::now();
            continue;
        }
        const profile::LightSetting settings = GetLightSettings();
        const auto interval = std::chrono::milliseconds(FrameIntervalMs(settings.speed));
        // Sleep until the next frame is due rather than polling every millisecond.
        const auto due = last + interval;
        if (stop.WaitUntil(due)) {
            break;
        }
        if (m_host.MayRenderPreviewFrame()) {
            m_host.RenderPreviewFrame(settings.effect);
        }
        m_passes.fetch_add(1);
        const auto now = Clock::now();
        // After a stall (suspend, a loaded machine) start counting again instead of catching up.
        last = now - due >= interval ? now : due;
    }
    DebugLine("MS灯光线程设定退出");
}

// --- LEDs and settings --------------------------------------------------------------------------

void PreviewEngine::SetLedCount(int count) {
    m_ledCount.store(std::clamp(count, 0, kMaxLeds));
}

void PreviewEngine::SetLedColour(int index, uint32_t value) {
    if (index < 0 || index >= m_ledCount.load()) {
        return;
    }
    m_ledColours[size_t(index)].store(value, std::memory_order_relaxed);
}

uint32_t PreviewEngine::GetLedColour(int index) const {
    if (index < 0 || index >= m_ledCount.load()) {
        return 0;
    }
    return m_ledColours[size_t(index)].load(std::memory_order_relaxed);
}

void PreviewEngine::FillAll(uint32_t value) {
    const int count = m_ledCount.load();
    for (int i = 0; i < count; ++i) {
        m_ledColours[size_t(i)].store(value, std::memory_order_relaxed);
    }
}

void PreviewEngine::SetLightSettings(const profile::LightSetting& settings) {
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    m_settings = settings;
}

profile::LightSetting PreviewEngine::GetLightSettings() const {
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    return m_settings;
}

PreviewEngine::FrameParams PreviewEngine::CurrentFrameParams() const {
    const profile::LightSetting s = GetLightSettings();
    FrameParams p;
    p.brightness = s.brightness;
    p.speed = s.speed;
    p.direction = s.direction;
    p.multiColour = s.multiColour != 0;
    p.colour = {s.red, s.green, s.blue};
    return p;
}

// --- renderers ----------------------------------------------------------------------------------

void PreviewEngine::DoStatic(const FrameParams& p) {
    FillAll(PackLed(p.colour, uint8_t(BrightnessFactor(p.brightness))));
}

void PreviewEngine::DoBreathing(const FrameParams& p, bool fourColours) {
    // One breath is one pass over the curve; the colour moves on when a breath ends.
    bool breathEnded = false;
    if (p.direction != 0) {
        m_breathPhase = (m_breathPhase + 1) % kBreathSteps;
        breathEnded = m_breathPhase == 0;
    } else {
        m_breathPhase = (m_breathPhase + kBreathSteps - 1) % kBreathSteps;
        breathEnded = m_breathPhase == kBreathSteps - 1;
    }
    Rgb colour = p.colour;
    if (fourColours) {
        if (breathEnded) {
            m_fixedColourIndex = (m_fixedColourIndex + 1) % kFixedColourCount;
        }
        colour = kFixedColours[m_fixedColourIndex % kFixedColourCount];
    } else if (p.multiColour) {
        if (breathEnded) {
            m_hue = (m_hue + kHueStepPerCycle) % kWheelSteps;
        }
        colour = kColourWheel[m_hue % kWheelSteps];
    }
    const int level = BrightnessFactor(p.brightness) * kBreathCurve[m_breathPhase] / 256;
    FillAll(PackLed(colour, uint8_t(level)));
}

void PreviewEngine::DoSpectrum(const FrameParams& p) {
    m_hue = p.direction != 0 ? (m_hue + 1) % kWheelSteps : (m_hue + kWheelSteps - 1) % kWheelSteps;
    FillAll(PackLed(kColourWheel[m_hue], uint8_t(BrightnessFactor(p.brightness))));
}

void PreviewEngine::DoBlink(const FrameParams& p, bool fourColours) {
    m_blinkElapsedMs += FrameIntervalMs(p.speed);
    if (m_blinkElapsedMs >= BlinkPeriodMs(p.speed)) {
        m_blinkElapsedMs = 0;
        m_blinkOn = !m_blinkOn;
        if (m_blinkOn) {
            // Each new flash takes the next colour.
            if (fourColours) {
                m_fixedColourIndex = (m_fixedColourIndex + 1) % kFixedColourCount;
            } else if (p.multiColour) {
                m_hue = (m_hue + kHueStepPerCycle) % kWheelSteps;
            }
        }
    }
    if (!m_blinkOn) {
        FillAll(0);
        return;
    }
    Rgb colour = p.colour;
    if (fourColours) {
        colour = kFixedColours[m_fixedColourIndex % kFixedColourCount];
    } else if (p.multiColour) {
        colour = kColourWheel[m_hue % kWheelSteps];
    }
    FillAll(PackLed(colour, uint8_t(BrightnessFactor(p.brightness))));
}

bool PreviewEngine::RenderBaseEffect(int effect, const FrameParams& p) {
    switch (effect) {
        case 0:
            DoStatic(p);
            return true;
        case 1:
            DoBreathing(p, false);
            return true;
        case 3:
            DoSpectrum(p);
            return true;
        case 5:
            DoBreathing(p, true);
            return true;
        case 6:
            DoBlink(p, false);
            return true;
        case 8:
            DoBlink(p, true);
            return true;
        case 10:
            FillAll(0);
            return true;
        default:
            return false;
    }
}

void PreviewEngine::RenderCustomEffect(const std::vector<profile::LightEffectStep>& steps,
                                       const EffectRenderer& render) {
    if (steps.empty()) {
        m_customStep = 0;
        m_customElapsedMs = 0;
        FillAll(0);
        return;
    }
    if (m_customStep >= steps.size()) {
        m_customStep = 0;
        m_customElapsedMs = 0;
    }
    const profile::LightEffectStep& step = steps[m_customStep];
    FrameParams p;
    p.brightness = step.brightness;
    p.speed = step.speed;
    p.direction = step.direction;
    p.multiColour = step.multiColour != 0;
    p.colour = {step.red, step.green, step.blue};
    if (!render(step.mode, p)) {
        FillAll(0);
    }
    m_customElapsedMs += FrameIntervalMs(step.speed);
    const int64_t duration =
        int64_t(std::max<int32_t>(step.time, 0)) * std::max<int32_t>(step.repetitions, 1);
    if (m_customElapsedMs >= duration) {
        m_customElapsedMs = 0;
        m_customStep = (m_customStep + 1) % steps.size();
    }
}

// --- per-LED state ------------------------------------------------------------------------------

uint8_t PreviewEngine::GetLedLevel(int led) const {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    return IsLed(led) ? m_ledLevels[size_t(led)] : 0;
}

void PreviewEngine::SetLedLevel(int led, uint8_t level) {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    if (IsLed(led)) {
        m_ledLevels[size_t(led)] = level;
    }
}

void PreviewEngine::FlagLedFade(int led) {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    if (IsLed(led)) {
        m_ledFadeFlags[size_t(led)] = 1;
    }
}

void PreviewEngine::StartLedRise(int led) {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    if (IsLed(led)) {
        m_ledLevels[size_t(led)] = 0;
        m_ledFadeStates[size_t(led)] = kFadeRising;
    }
}

void PreviewEngine::StepLedFade(int led, int mode) {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    if (!IsLed(led)) {
        return;
    }
    uint8_t& level = m_ledLevels[size_t(led)];
    uint8_t& state = m_ledFadeStates[size_t(led)];
    if (state == kFadeRising && mode != 0) {
        level = uint8_t(std::min(255, level + kFadeStep));
        if (level == 255) {
            state = kFadeFalling;
        }
    } else if (state != kFadeIdle || level > 0) {
        level = uint8_t(std::max(0, level - kFadeStep));
        state = level == 0 ? kFadeIdle : kFadeFalling;
    }
}

void PreviewEngine::ArmLedFades() {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    const int count = m_ledCount.load();
    for (int i = 0; i < count; ++i) {
        if (m_ledFadeFlags[size_t(i)] != 0) {
            m_ledFadeFlags[size_t(i)] = 0;
            m_ledLevels[size_t(i)] = 255;
            m_ledFadeStates[size_t(i)] = kFadeFalling;
        }
    }
}

void PreviewEngine::RotateLedPattern(int direction) {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    if (direction != 0) {
        std::rotate(m_ledPattern.begin(), m_ledPattern.begin() + 1, m_ledPattern.end());
    } else {
        std::rotate(m_ledPattern.rbegin(), m_ledPattern.rbegin() + 1, m_ledPattern.rend());
    }
}

PreviewEngine::LedPattern PreviewEngine::GetLedPattern() const {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    return m_ledPattern;
}

void PreviewEngine::SetLedPattern(const LedPattern& pattern) {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    m_ledPattern = pattern;
}

void PreviewEngine::ClearPerLedState() {
    std::lock_guard<std::recursive_mutex> lock(m_ledLock);
    m_ledLevels.fill(0);
    m_ledFadeStates.fill(kFadeIdle);
    m_ledPattern.fill(0);
}

void PreviewEngine::SetLedRecords(std::vector<LedRecord> records) {
    std::lock_guard<std::recursive_mutex> lock(m_ledListLock);
    m_ledRecords = std::move(records);
}

std::vector<PreviewEngine::LedRecord> PreviewEngine::GetLedRecords() const {
    std::lock_guard<std::recursive_mutex> lock(m_ledListLock);
    return m_ledRecords;
}

}  // namespace q840::pages
