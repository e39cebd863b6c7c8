#pragma once

#include <QString>
#include <optional>

namespace q840 {

// Stored program settings: the "LANGUAGE" value (a registry DWORD on Windows). The skin choice
// ("main.ini" in the per-user data folder) is windows/SkinChoice.h's.
//
// The language value lives in an ini file under the product title in the user's configuration
// folder ($XDG_CONFIG_HOME/<product title>/settings.conf).
class AppSettings {
public:
    // Where the settings file lives; tests point it at a temporary folder. Empty = platform
    // default.
    static void SetConfigFolder(const QString& folder);
    static QString ConfigFile();

    static std::optional<uint32_t> ReadLanguage();
    static bool WriteLanguage(uint32_t languageId);
};

}  // namespace q840
