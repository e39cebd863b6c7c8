// Writes the factory data files into a DefaultData folder, in the stored form, and the
// language entries of their effect names into the skin's language folders:
//   q840_make_factory_data <DefaultData folder> [<skin folder>]
// Run it after changing FactoryData.cpp and commit the files it writes.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/profile/FactoryData.h"
#include "core/profile/JsonFileStore.h"

namespace {

std::string XmlEscape(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += *p;
        }
    }
    return out;
}

bool WriteLanguageFile(const std::filesystem::path& file, bool chinese) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<!-- Names of the factory light effects and light areas "
           "(DefaultData/default_light.json).\n"
        << "     Written by q840_make_factory_data. -->\n"
        << "<Language>\n";
    for (const auto& t : q840::profile::FactoryTexts()) {
        out << "  <Text key=\"" << t.key << "\">" << XmlEscape(chinese ? t.chinese : t.english)
            << "</Text>\n";
    }
    out << "</Language>\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <DefaultData folder> [<skin folder>]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    q840::profile::JsonFileStore store;
    int failures = 0;
    for (const auto& file : q840::profile::BuildFactoryFiles()) {
        const std::filesystem::path target = folder / file.relativePath;
        std::error_code ec;
        std::filesystem::create_directories(target.parent_path(), ec);
        if (store.WriteJsonFile(target, file.content) != 0) {
            std::fprintf(stderr, "cannot write %s\n", target.string().c_str());
            ++failures;
        }
    }
    if (argc == 3) {
        const std::filesystem::path skin = argv[2];
        for (const auto& [folder, chinese] : {std::pair{"lan_en.d", false}, {"lan_cn.d", true}}) {
            if (!WriteLanguageFile(skin / folder / "profile.xml", chinese)) {
                std::fprintf(stderr, "cannot write %s language file\n", folder);
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
