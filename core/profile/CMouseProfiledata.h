#pragma once

// Profile data of the mouse page: adds the sensitivity stages ("DPIStages") and the system and
// report settings ("SystemStages", "ReportStages").

#include <vector>

#include "core/profile/CBasicProfiledata.h"

namespace q840::profile {

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Reads "DPIStages" and merges the stages read into the kept sequence: stage j replaces kept
    // element j or is appended; kept elements beyond those read stay. Returns the kept sequence.
    std::vector<DpiStage> ReadDpiStages();
    // Keeps stages and sets the seven members of "StageDPIs"[i] for each i.
    void WriteDpiStages(const std::vector<DpiStage>& stages);
    const std::vector<DpiStage>& GetDpiStages() const { return m_dpiStages; }

    int GetActiveDpiStage() const { return m_activeDpiStage; }
    // Also writes "DPIStages"."StageActive".
    void SetActiveDpiStage(int index);

    // All fifteen words start at 0; "SystemStages" gives five, "ReportStages" (when present too)
    // nine more; the reserved word stays 0.
    MouseSystemSettings ReadSystemSettings();
    // Keeps settings and writes the five "SystemStages" and nine "ReportStages" members.
    void WriteSystemSettings(const MouseSystemSettings& settings);
    const MouseSystemSettings& GetSystemSettings() const { return m_systemSettings; }

private:
    std::vector<DpiStage> m_dpiStages;
    int m_activeDpiStage = 0;
    MouseSystemSettings m_systemSettings;
};

}  // namespace q840::profile
