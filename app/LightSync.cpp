#include "app/LightSync.h"

#include "pages/PreviewTables.h"

namespace q840 {

int SyncColumnOfKind(int deviceKind) {
    switch (deviceKind) {
        case 1:
            return static_cast<int>(SyncColumn::Keyboard);
        case 2:
            return static_cast<int>(SyncColumn::Mouse);
        case 3:
        case 7:
            return static_cast<int>(SyncColumn::PadOrHeadset);
        default:
            return -1;
    }
}

int SyncEffectOfCode(SyncColumn column, int effectCode) {
    for (int effect = 0; effect < kSyncEffectCount; ++effect) {
        if (kSyncEffectCodes[size_t(effect)][size_t(column)] == effectCode) {
            return effect;
        }
    }
    return -1;
}

int CodeOfSyncEffect(SyncColumn column, int syncEffect) {
    if (syncEffect < 0 || syncEffect >= kSyncEffectCount) {
        return -1;
    }
    return kSyncEffectCodes[size_t(syncEffect)][size_t(column)];
}

namespace {
int Clamp04(int value) {
    return value < 0 ? 0 : (value > 4 ? 4 : value);
}
uint32_t Pack(pages::Rgb c, int brightness) {
    return pages::PackLed(c.r, c.g, c.b, static_cast<uint8_t>(brightness));
}
}  // namespace

int SyncThreshold(int speed) {
    return kSyncStepThresholds[size_t(Clamp04(speed))];
}

int SyncLevelBrightness(int brightness) {
    return kSyncBrightness[size_t(Clamp04(brightness))];
}

void LightSyncEngine::SetParams(const SyncParams& params) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_params = params;
}

SyncParams LightSyncEngine::GetParams() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_params;
}

uint32_t LightSyncEngine::Step(int64_t nowMs) {
    const SyncParams p = GetParams();
    const int level = SyncLevelBrightness(p.brightness);
    const pages::Rgb fixed{p.red, p.green, p.blue};
    switch (static_cast<SyncEffect>(p.effect)) {
        case SyncEffect::Breathing: {
            if (p.direction != 0) {
                m_breathPosition =
                    m_breathPosition >= pages::kBreathSteps - 1 ? 0 : m_breathPosition + 1;
            } else {
                m_breathPosition =
                    m_breathPosition <= 0 ? pages::kBreathSteps - 1 : m_breathPosition - 1;
            }
            if (p.multiColour != 0 && m_breathPosition < 2) {
                m_breathWheel += 16;
                if (m_breathWheel >= pages::kWheelSteps) {
                    m_breathWheel = 0;
                }
            }
            const pages::Rgb colour =
                p.multiColour != 0 ? pages::kColourWheel[size_t(m_breathWheel)] : fixed;
            return Pack(colour, level * pages::kBreathCurve[size_t(m_breathPosition)] / 256);
        }
        case SyncEffect::Steady:
            return Pack(fixed, level);
        case SyncEffect::Flashing: {
            if (nowMs - m_lastFlashMs >= int64_t(SyncThreshold(p.speed)) * 200) {
                m_flashOn = !m_flashOn;
                m_lastFlashMs = nowMs;
                m_flashWheel += 14;
                if (m_flashWheel >= pages::kWheelSteps) {
                    m_flashWheel = 0;
                }
            }
            if (!m_flashOn) {
                return 0;
            }
            const pages::Rgb colour =
                p.multiColour != 0 ? pages::kColourWheel[size_t(m_flashWheel)] : fixed;
            return Pack(colour, level);
        }
        case SyncEffect::ColourCycle:
            m_cycleWheel += 1;
            if (m_cycleWheel >= pages::kWheelSteps) {
                m_cycleWheel = 0;
            }
            return Pack(pages::kColourWheel[size_t(m_cycleWheel)], level);
        case SyncEffect::Off:
        default:
            return 0;
    }
}

}  // namespace q840
