#pragma once

// Synchronised lighting: one software effect that drives the preview colour of every attached
// device at once. The user picks it with "deng_same_mode" from the current page's own effect;
// the light synchronisation thread then steps it and hands the colour to each page.

#include <array>
#include <cstdint>
#include <mutex>

#include "core/profile/LightSetting.h"

namespace q840 {

// The five synchronised effects.
enum class SyncEffect : int { Breathing = 0, Steady = 1, Flashing = 2, ColourCycle = 3, Off = 4 };
constexpr int kSyncEffectCount = 5;

// Which column of the effect code table a page uses.
enum class SyncColumn : int { Keyboard = 0, Mouse = 1, PadOrHeadset = 2 };
// The column of a page's device kind (1 keyboard, 2 mouse, 3 mouse pad, 7 headset); -1 otherwise.
int SyncColumnOfKind(int deviceKind);

// Each device kind names the same effect with its own effect code.
// clang-format off
constexpr std::array<std::array<int, 3>, kSyncEffectCount> kSyncEffectCodes = {{
    //  keyboard  mouse  pad/headset
    {{   5,        1,     2 }},   // breathing
    {{   6,        0,     3 }},   // steady
    {{  23,        6,     4 }},   // flashing
    {{   4,        3,     1 }},   // colour cycle
    {{  28,       10,     8 }},   // off
}};
// clang-format on

// The synchronised effect a page's effect code stands for, or -1 when the code is none of them.
int SyncEffectOfCode(SyncColumn column, int effectCode);
// The effect code of a synchronised effect for a column (-1 for a bad effect).
int CodeOfSyncEffect(SyncColumn column, int syncEffect);

// The synchronised effect's light settings: the page's light record, whose effect holds the
// SyncEffect instead of a device's effect code.
using SyncParams = profile::LightSetting;

// Milliseconds between two steps at speed level 0-4 (the step counter's thresholds).
constexpr std::array<int, 5> kSyncStepThresholds = {28, 23, 18, 13, 7};
// Brightness of levels 0-4.
constexpr std::array<int, 5> kSyncBrightness = {0, 50, 100, 175, 255};
int SyncThreshold(int speed);
int SyncLevelBrightness(int brightness);

// Steps the synchronised effect. Parameters are set by the UI thread and read by the thread that
// steps; both go through one small lock.
class LightSyncEngine {
public:
    void SetParams(const SyncParams& params);
    SyncParams GetParams() const;

    // One step at time `nowMs` (a steady clock in milliseconds): the colour and brightness,
    // packed red bits 0-7, green 8-15, blue 16-23, brightness 24-31.
    uint32_t Step(int64_t nowMs);

    int BreathPosition() const { return m_breathPosition; }
    int BreathWheel() const { return m_breathWheel; }
    int FlashWheel() const { return m_flashWheel; }
    int CycleWheel() const { return m_cycleWheel; }
    bool FlashOn() const { return m_flashOn; }

private:
    mutable std::mutex m_mutex;
    SyncParams m_params;
    int m_breathPosition = 0;
    int m_breathWheel = 0;
    int m_flashWheel = 0;
    int m_cycleWheel = 0;
    bool m_flashOn = false;
    int64_t m_lastFlashMs = 0;
};

}  // namespace q840
