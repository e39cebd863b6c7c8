#pragma once

// The built-in light effects of a device kind, as the factory file "default_light.json" of the
// DefaultData folder lists them: "DefaultLightName"[light list index], in effect order. An
// effect's position in the list is what the profile's "SelectItem" holds; its "value" is the code
// the device speaks in its settings block.

#include <json/value.h>

#include <string>
#include <vector>

namespace q840::profile {

inline constexpr const char* kBuiltInLightFile = "default_light.json";

struct BuiltInEffect {
    std::string nameKey;  // "LightName": a language key ("Light_Ripple")
    bool visible = false;
    int code = 0;  // "value"
};

// The list of light list index `index` in the parsed file; empty when the file or the entry is
// missing. Members of the wrong type read as missing.
std::vector<BuiltInEffect> ReadBuiltInEffects(const Json::Value& defaultLight, int index);

}  // namespace q840::profile
