#pragma once

#include <QString>
#include <vector>

namespace q840 {

// One entry of "Language.config" in the defaults folder.
struct LanguageEntry {
    int id = 0;    // "Language_ID": the stored value
    QString name;  // "Language_name"
    QString file;  // "Language_file": the language file of the skin
    QString text;  // "Language_text": shown in the language combo
};

// The language list; empty when the file is missing or not JSON.
std::vector<LanguageEntry> ReadLanguageList();

// The index of the stored language: the first entry whose id equals the stored value (520 when
// nothing is stored); 0 when nothing matches.
int ReadStoredLanguageIndex();

// Loads entry `index`'s language file, updates every control's text and stores its id (unless
// `store` is false). False (and nothing changes) when the index is outside the list.
bool ApplyLanguageIndex(int index, bool store = true);
// The index of the entry whose language file is `file`; -1 when none is (or `file` is empty).
int FindLanguageIndex(const QString& file);

}  // namespace q840
