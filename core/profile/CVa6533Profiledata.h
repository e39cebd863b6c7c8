#pragma once

// Profile data of the headset page: adds the eight "SystemSetStages" settings, the equaliser
// bands of the built-in types ("EQHzValueInfo") and the custom equalisers ("CustomEQNameInfo",
// "CustomEQHzValueInfo").

#include <string>
#include <vector>

#include "core/profile/CBasicProfiledata.h"

namespace q840::profile {

class CVa6533Profiledata : public CBasicProfiledata {
public:
    static constexpr int kBandCount = 10;
    static constexpr int kCustomEqType = 13;
    // Custom presets are limited to 20 by the page; reads and writes beyond this index are ignored.
    static constexpr int kMaxCustomEq = 64;

    // All 0 without a node or "SystemSetStages".
    HeadsetSettings ReadHeadsetSettings();
    void WriteHeadsetSettings(const HeadsetSettings& settings);

    // Bands of equaliser type t: "EQHzValueInfo"[u][0..9]."value" with u = t for 1..12 and u = 1
    // for 0 or above 13; type 13 (custom) gives an empty result. Missing entries are created in
    // the device node with "value" 0 and read as 0.
    std::vector<int32_t> ReadEqBands(int type);
    // Same mapping; type 13 writes nothing.
    void WriteEqBands(int type, const std::vector<int32_t>& values);

    std::vector<std::wstring> ReadCustomEqNames();
    // Replaces "CustomEQNameInfo" with one {"Name"} object per name.
    void WriteCustomEqNames(const std::vector<std::wstring>& names);

    // "CustomEQHzValueInfo"[k][0..9]."value"; missing entries are created with 0.
    std::vector<int32_t> ReadCustomEqBands(int k);
    void WriteCustomEqBands(int k, const std::vector<int32_t>& values);

    const HeadsetSettings& GetHeadsetSettings() const { return m_settings; }
    const std::vector<int32_t>& GetEqBands() const { return m_eqBands; }
    const std::vector<std::wstring>& GetCustomEqNames() const { return m_customEqNames; }

private:
    // Index of "EQHzValueInfo" for an equaliser type; -1 for the custom type.
    static int EqIndexOfType(int type);
    std::vector<int32_t> ReadBands(Json::Value& sets, int index);
    static void WriteBands(Json::Value& sets, int index, const std::vector<int32_t>& values);

    HeadsetSettings m_settings{};
    std::vector<int32_t> m_eqBands;
    std::vector<std::wstring> m_customEqNames;
    std::vector<int32_t> m_customEqBands;
};

}  // namespace q840::profile
