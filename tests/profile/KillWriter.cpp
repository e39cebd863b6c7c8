// The writer the kill test kills: it changes a device folder's files for ever, the way the program
// does after edits, until it is killed. Each round renames the profile (its file and the list),
// switches the current profile (the list), renames the macro (the index) and saves its steps (the
// macro file), alternating between two known contents.
//   kill_writer FOLDER
// The folder must hold what KillSaveTest sets up first: a profile list with two profiles and a
// macro index with one macro.

#include <cstdio>
#include <string>
#include <vector>

#include "core/macro/MacroStore.h"
#include "core/profile/ProfileList.h"

using namespace q840;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kill_writer FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    profile::ProfileList profiles;
    profiles.SetDeviceType(2);
    profiles.SetPaths(folder, folder + "factory.Json");
    if (!profiles.Init() || profiles.Count() != 2) {
        std::fprintf(stderr, "kill_writer: no profile list in %s\n", folder.c_str());
        return 1;
    }
    macro::MacroStore macros;
    macros.SetFolder(folder);
    if (macros.LoadMacroIndex().size() != 1) {
        std::fprintf(stderr, "kill_writer: no macro in %s\n", folder.c_str());
        return 1;
    }
    for (unsigned round = 0;; ++round) {
        const int side = static_cast<int>(round % 2);
        profiles.Rename(0, side ? "Beta" : "Alpha");
        profiles.Select(side);
        macros.RenameMacro(0, side ? "macro_b" : "macro_a");
        // 3 steps or 5 steps, each with the side as its delay.
        std::vector<macro::MacroRow> rows;
        for (int i = 0; i < (side ? 5 : 3); ++i) {
            macro::MacroEvent step;
            step.type = macro::kStepKey;
            step.button = 4 + i;
            step.action = "down";
            rows.push_back(
                {profile::JsonFileStore::StoredText(step.ToJson()), std::to_string(side)});
        }
        macros.SaveMacroEvents(0, rows);
    }
}
