#pragma once

// The built-in light effects of a device kind with their English names, as the program's
// lighting editor lists them: the effect list of DefaultData/default_light.json beside q840ctl
// (the factory list when the file is missing) and the English texts of its language keys.

#include <cstdint>
#include <string>
#include <vector>

#include "core/profile/BuiltInEffects.h"

namespace q840::ctl {

class EffectNames {
public:
    explicit EffectNames(int lightListIndex);

    const std::vector<profile::BuiltInEffect>& List() const { return m_list; }
    // The "value" of each entry: the codes the device speaks.
    std::vector<int> Codes() const;
    // The English name of the effect at that list position; "" when there is none.
    std::string NameAt(int position) const;
    // The position of the effect whose English name is `typed`, letter case, spaces, hyphens and
    // underscores aside ("four-colour-breathing"); only effects the program offers (visible).
    // -1 when none is.
    int FindOffered(const std::string& typed) const;
    // The English names of the effects the program offers, in list order.
    std::vector<std::string> OfferedNames() const;

private:
    std::vector<profile::BuiltInEffect> m_list;
};

// The light list index of the device type table's row of that type (kTypeMouse, kTypeMousePad,
// kTypeHeadset); -1 when the table has none.
int LightListIndexOfType(uint16_t typeCode);

// The English text of a factory language key ("Light_Ripple" -> "Ripple"); the key itself when
// it is not one.
std::string EnglishText(const std::string& key);

}  // namespace q840::ctl
