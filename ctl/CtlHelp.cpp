#include "ctl/CtlHelp.h"

#include <algorithm>
#include <array>

#include "core/catalogue/Catalogue.h"
#include "ctl/CtlEffects.h"
#include "ctl/CtlSettings.h"

namespace q840::ctl {

namespace {

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* summary;
    const char* details;  // printed after the synopsis by `help COMMAND`
    bool reads;
};

// clang-format off
constexpr std::array<CommandHelp, 9> kCommands = {{
    {"list", "list", "every HID interface, and whether and why the program can use it",
     "Lists every HID interface with its numbers and the catalogue row it matches, or why not\n"
     "(\"permission denied on /dev/hidraw3\", \"not supported\", \"not one the program talks to\").\n"
     "Exit code 3 when no supported device is among them.\n", true},
    {"info", "info", "the device's information record",
     "Reads the information record (signature, state, key slots, macro capacity, sensor).\n", true},
    {"settings", "settings", "the settings of the device's current profile, in units",
     "Reads the settings block of the device's current profile. The mouse: DPI stages in DPI\n"
     "(through its sensor's formulas), report rate in Hz, lift-off, linear correction, ripple\n"
     "control, debounce in ms, sleep times in minutes, the light effect by name. --raw prints\n"
     "the indexes and codes the device holds, and the bytes.\n", true},
    {"battery", "battery", "the battery level and charge state",
     "Reads the battery level in percent and whether the device charges, is full or runs on its\n"
     "battery.\n", true},
    {"set", "set SETTING VALUE... [SETTING VALUE...]", "change settings of the mouse",
     nullptr, false},
    {"profile", "profile list|switch|export|import", "the mouse's named profiles",
     nullptr, false},
    {"raw", "raw CODE [ADDR LEN [BYTE...]]", "one command packet; the result and the reply in hex",
     "Sends one command packet (numbers in decimal or 0x hexadecimal; LEN and the bytes at most\n"
     "56) and prints the result code and the 64-byte reply. Exit code 1 when the device refuses.\n",
     true},
    {"help", "help [COMMAND|effects]", "this text, a command's, or the mouse's light effects",
     nullptr, false},
    {"effects", nullptr, nullptr, nullptr, false},
}};
// clang-format on

const CommandHelp* Find(const std::string& name) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(), [&](const CommandHelp& c) {
        return c.synopsis != nullptr && name == c.name;
    });
    return it == kCommands.end() ? nullptr : &*it;
}

void PrintSetHelp(std::ostream& out) {
    out << "usage: q840ctl [--simulate[=STATE_FILE]] set SETTING VALUE... [SETTING VALUE...]\n\n"
           "Changes settings of the mouse. Every change goes into the current profile (the one\n"
           "the program's profile bar shows), as the program stores it, and to the mouse, which\n"
           "is read back before q840ctl says done. Values the mouse does not offer are refused\n"
           "with the valid ones (exit code 2); nothing is changed then. While the Q840-VEX\n"
           "program runs, q840ctl asks it to make the change, and its window shows it.\n\n"
           "Settings (DPI stages are numbered 1 to 7, as on the program's DPI page):\n";
    for (const SettingRow& s : kSettings) {
        std::string left = std::string(s.name) + " " + s.arguments;
        left.resize(std::max<size_t>(left.size() + 1, 32), ' ');
        out << "  " << left << s.help << "\n";
    }
    out << "\nExamples:\n"
           "  q840ctl set dpi 2 1600          stage 2 at 1600 DPI\n"
           "  q840ctl set dpi 3 800 1200      stage 3 at 800 DPI across, 1200 up and down\n"
           "  q840ctl set report-rate 500 debounce 4\n"
           "  q840ctl set light-effect breathing light-colour 00ff80\n";
}

void PrintProfileHelp(std::ostream& out) {
    out << "usage: q840ctl profile list [--json]\n"
           "       q840ctl profile switch NAME-OR-NUMBER\n"
           "       q840ctl profile export NAME-OR-NUMBER FILE\n"
           "       q840ctl profile import FILE\n\n"
           "The mouse's named profiles, those of the program's profile bar (at most 50). A\n"
           "profile is named by its name (letter case does not matter) or its number in the\n"
           "list, 1 the first; a name wins over a number.\n\n"
           "  list     the profiles in list order, the current one marked with *\n"
           "  switch   makes the profile current and writes it to the mouse as the program does:\n"
           "           settings, the macros its keys play, the key table\n"
           "  export   writes the profile to FILE (\".json\" is added to a name without an\n"
           "           extension)\n"
           "  import   adds the profile of FILE to the list, named after the file (\"(1)\" added\n"
           "           while the name is taken); a file that is not a profile is refused\n\n"
           "While the Q840-VEX program runs, switch goes through it (the window shows the\n"
           "profile at once); import is refused then: use the program's profile menu.\n";
}

void PrintEffects(std::ostream& out) {
    const EffectNames effects(LightListIndexOfType(catalogue::kTypeMouse));
    out << "The mouse's light effects (q840ctl set light-effect NAME; letter case, spaces and\n"
           "hyphens do not matter):\n";
    for (const std::string& name : effects.OfferedNames()) {
        out << "  " << name << "\n";
    }
}

}  // namespace

bool IsCommand(const std::string& command) {
    return Find(command) != nullptr;
}

bool IsReadingCommand(const std::string& command) {
    const CommandHelp* c = Find(command);
    return c != nullptr && c->reads;
}

void PrintUsage(std::ostream& out) {
    out << "usage: q840ctl [OPTIONS] COMMAND [ARGUMENTS]\n\n"
           "Reads and changes the settings of the Halvorn Q840-VEX mouse, and reads its mouse pad\n"
           "and headset, without the program's window.\n\nCommands:\n";
    for (const CommandHelp& c : kCommands) {
        if (c.synopsis == nullptr) {
            continue;
        }
        std::string left = c.synopsis;
        left.resize(std::max<size_t>(left.size() + 1, 32), ' ');
        out << "  " << left << c.summary << "\n";
    }
    out << "\nOptions:\n"
           "  --simulate[=STATE_FILE]         the simulated devices instead of the HID bus; with\n"
           "                                  a state file they keep their memory between runs\n"
           "  --device=mouse|pad|headset      which device; the first that answers otherwise (the\n"
           "                                  mouse by cable, through its receiver, the pad, the\n"
           "                                  headset)\n"
           "  --json                          reading commands print one JSON object\n"
           "                                  (docs/q840ctl.md describes its members)\n"
           "  --raw                           settings: the indexes and codes the device holds\n"
           "  -h, --help                      this text (q840ctl help COMMAND: a command's)\n"
           "  --version                       the version\n\n"
           "While the Q840-VEX program runs, q840ctl opens no device: it asks the program over\n"
           "the session bus (raw, the mouse pad and the headset wait until it has ended).\n\n"
           "Exit codes: 0 done, 1 device error, 2 usage error, 3 no device.\n";
}

bool PrintCommandHelp(const std::string& command, std::ostream& out) {
    if (command == "effects") {
        PrintEffects(out);
        return true;
    }
    if (command == "set") {
        PrintSetHelp(out);
        return true;
    }
    if (command == "profile") {
        PrintProfileHelp(out);
        return true;
    }
    if (command == "help") {
        PrintUsage(out);
        return true;
    }
    const CommandHelp* c = Find(command);
    if (c == nullptr) {
        return false;
    }
    out << "usage: q840ctl [--simulate[=STATE_FILE]] [--device=mouse|pad|headset]"
        << (c->reads ? " [--json]" : "") << (command == "settings" ? " [--raw]" : "") << " "
        << c->synopsis << "\n\n"
        << c->details;
    if (c->reads) {
        out << "With --json: one JSON object (docs/q840ctl.md).\n";
    }
    return true;
}

}  // namespace q840::ctl
