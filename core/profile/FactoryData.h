#pragma once

// The factory data the program installs in its "DefaultData" folder: the default profile of each
// device kind, the built-in light effect names, the audio style presets, the four shoot patterns,
// the colour picker's palette and an example light configuration with one custom effect. The
// shipped files are generated from here (tool q840_make_factory_data) so that they are in the
// stored form; a test checks that they match.

#include <json/value.h>

#include <string>
#include <vector>

namespace q840::profile {

struct FactoryFile {
    std::string relativePath;  // inside DefaultData, '/' separated
    Json::Value content;
};

// Every factory file, in a fixed order.
std::vector<FactoryFile> BuildFactoryFiles();

// Language keys of the effect and area names in default_light.json, with their English and
// Simplified Chinese texts (the language files of the skin carry the same entries).
struct FactoryText {
    const char* key;
    const char* english;
    const char* chinese;
};
const std::vector<FactoryText>& FactoryTexts();

}  // namespace q840::profile
