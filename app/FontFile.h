#pragma once

#include <QString>

namespace q840 {

// One private font file below the program folder, installed for this process only.
class FontFile {
public:
    explicit FontFile(const QString& relativePath);
    // True when the font was installed; a missing, unreadable or refused file gives false.
    bool Load();
    void Unload();
    bool IsLoaded() const { return m_fontId >= 0; }
    const QString& Path() const { return m_path; }

private:
    QString m_path;
    int m_fontId = -1;
};

// The private fonts, in loading order.
inline constexpr const char* kFontFiles[] = {
    "Font/Simplified_Chinese.ttf",
    "Font/Predator-Regular.otf",
    "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf",
};

}  // namespace q840
