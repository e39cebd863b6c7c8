// The reports the running program sends q840ctl over the session bus (JSON text): whatever
// arrives, q840ctl prints what it can and never crashes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ctl/CtlEffects.h"
#include "ctl/CtlReport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const q840::ctl::EffectNames effects(0);
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> bytes;
    q840::ctl::ParseHexBytes(text, &bytes);

    Json::Value report;
    if (!q840::ctl::ParseReportText(text, &report)) {
        return 0;
    }
    std::ostringstream out;
    q840::ctl::PrintMouseSettingsReport(report, false, effects, out);
    q840::ctl::PrintMouseSettingsReport(report, true, effects, out);
    q840::ctl::PrintInfoReport(report, out);
    q840::ctl::PrintBatteryReport(report, out);
    return 0;
}
