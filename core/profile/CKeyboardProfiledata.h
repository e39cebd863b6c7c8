#pragma once

// Profile data of the keyboard page: adds the keyboard form of "SystemStages" and the per-key
// custom colours of "CustomLightMode".

#include <vector>

#include "core/profile/CBasicProfiledata.h"

namespace q840::profile {

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // Limits of what ReadCustomColours creates; the keyboard has 5 groups of 170 keys.
    static constexpr int kMaxCustomGroups = 64;
    static constexpr int kMaxCustomColours = 1024;

    // "Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"; all 0 without a
    // node or "SystemStages".
    KeyboardSystemSettings ReadKeyboardSystemSettings();
    void WriteKeyboardSystemSettings(const KeyboardSystemSettings& words);

    // "CustomLightMode"."LightColorInfo"[group][0 .. count-1]. A missing group or entry is created
    // in the device node with four zeros and reads as zeros. A group or count outside the limits
    // above gives an empty result and changes nothing.
    std::vector<KeyColour> ReadCustomColours(int group, int count);
    // Keeps the colours and sets "LightColorInfo"[group][i] for every i.
    void WriteCustomColours(const std::vector<KeyColour>& colours, int group);
    const std::vector<KeyColour>& GetCustomColours() const { return m_customColours; }

    // "CustomLightMode"."CustomLightModeGroupIndex" (get: 0 when missing).
    void SetCustomGroupIndex(int group);
    int GetCustomGroupIndex();

private:
    std::vector<KeyColour> m_customColours;
    int m_customGroupIndex = 0;
    KeyboardSystemSettings m_systemWords{};
};

}  // namespace q840::profile
