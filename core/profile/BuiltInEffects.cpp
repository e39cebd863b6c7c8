#include "core/profile/BuiltInEffects.h"

#include "core/profile/JsonAccess.h"

namespace q840::profile {

std::vector<BuiltInEffect> ReadBuiltInEffects(const Json::Value& defaultLight, int index) {
    std::vector<BuiltInEffect> effects;
    if (index < 0) {
        return effects;
    }
    const Json::Value& list =
        json::Element(json::Member(defaultLight, "DefaultLightName"), Json::ArrayIndex(index));
    if (!list.isArray()) {
        return effects;
    }
    for (const Json::Value& e : list) {
        BuiltInEffect effect;
        effect.nameKey = json::String(json::Member(e, "LightName"));
        effect.visible = json::Flag(json::Member(e, "visible"));
        effect.code = json::Int32(json::Member(e, "value"));
        effects.push_back(std::move(effect));
    }
    return effects;
}

}  // namespace q840::profile
