#include "ctl/CtlThroughProgram.h"

#include <memory>
#include <string>

#include "core/base/ControlInterface.h"
#include "core/base/UserFolders.h"
#include "core/catalogue/Catalogue.h"
#include "ctl/CtlBusClient.h"
#include "ctl/CtlEffects.h"
#include "ctl/CtlMouseProfile.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlReport.h"

namespace q840::ctl {

namespace {

int ExitCodeOf(const std::string& errorName) {
    if (errorName == control::kErrorUsage) {
        return kExitUsage;
    }
    if (errorName == control::kErrorNoDevice) {
        return kExitNoDevice;
    }
    return kExitDeviceError;
}

int FailedCall(const BusClient::Reply& reply, std::ostream& err) {
    const bool ours = reply.errorName.rfind("com.halvorn.Q840Vex.Error.", 0) == 0;
    return Fail(err, ExitCodeOf(reply.errorName),
                ours ? reply.errorText
                     : "the Q840-VEX program did not answer the request (" + reply.errorName +
                           ": " + reply.errorText + ")");
}

bool ParseReport(const BusClient::Reply& reply, Json::Value* root) {
    if (reply.strings.empty()) {
        return false;
    }
    return ParseReportText(reply.strings[0], root);
}

// A reading: the program's report, printed as q840ctl prints its own.
int Reading(BusClient& bus, const Options& o, const char* member, std::ostream& out,
            std::ostream& err) {
    const BusClient::Reply reply = bus.Call(member, nullptr, std::nullopt, kProgramAnswerMs);
    if (!reply.ok) {
        return FailedCall(reply, err);
    }
    Json::Value report;
    if (!ParseReport(reply, &report)) {
        return Fail(err, kExitDeviceError, "the Q840-VEX program answered with no report");
    }
    if (o.json) {
        WriteJson(out, report);
        return kExitOk;
    }
    const std::string& command = o.words[0];
    if (command == "info") {
        PrintInfoReport(report, out);
    } else if (command == "battery") {
        PrintBatteryReport(report, out);
    } else if (!PrintMouseSettingsReport(
                   report, o.raw, EffectNames(LightListIndexOfType(catalogue::kTypeMouse)), out)) {
        return Fail(err, kExitDeviceError, "the Q840-VEX program answered with no settings");
    }
    return kExitOk;
}

int Lines(const BusClient::Reply& reply, std::ostream& out, std::ostream& err) {
    if (!reply.ok) {
        return FailedCall(reply, err);
    }
    for (const std::string& text : reply.strings) {
        out << text << (text.empty() || text.back() != '\n' ? "\n" : "");
    }
    return kExitOk;
}

int SwitchProfile(BusClient& bus, const Options& o, std::ostream& out, std::ostream& err) {
    // The program's profile bar and q840ctl read the same list file, so a name finds the same
    // profile; the program checks the number again against its list.
    const std::string userFolder = DefaultUserDataFolder();
    MouseProfiles profiles;
    std::string why;
    if (userFolder.empty() || !profiles.LoadList(MouseFoldersOf(userFolder), &why)) {
        return Fail(err, kExitDeviceError,
                    why.empty() ? "no folder for the profiles: set HOME or XDG_DATA_HOME" : why);
    }
    const int index = FindProfile(profiles.list, o.words[2], &why);
    if (index < 0) {
        return Fail(err, kExitUsage, why);
    }
    const BusClient::Reply reply =
        bus.Call(control::kSwitchProfile, nullptr, uint32_t(index), kProgramAnswerMs);
    if (!reply.ok) {
        return FailedCall(reply, err);
    }
    out << "profile: " << (reply.strings.empty() ? "" : reply.strings[0]) << "\n";
    return kExitOk;
}

}  // namespace

int RunThroughProgram(const Options& o, std::ostream& out, std::ostream& err) {
    const std::string& command = o.words[0];
    const std::string sub = o.words.size() > 1 ? o.words[1] : "";
    if (command == "raw") {
        return Fail(err, kExitDeviceError,
                    "the Q840-VEX program is running: raw commands go only to a mouse no program "
                    "talks to; quit it first");
    }
    if (!o.device.empty() && o.device != "mouse") {
        return Fail(err, kExitDeviceError,
                    "the Q840-VEX program is running: through it q840ctl reaches the mouse only; "
                    "quit it to read the " +
                        o.device);
    }
    if (command == "profile" && sub == "import") {
        return Fail(err, kExitDeviceError,
                    "the Q840-VEX program is running: import the profile in its profile menu, or "
                    "quit it first");
    }
    if (command == "profile" && o.words.size() != 3) {
        return Fail(err, kExitUsage,
                    "profile switch takes NAME-OR-NUMBER: see q840ctl help profile");
    }
    BusClient bus;
    std::string why;
    if (!bus.Connect(&why)) {
        return Fail(err, kExitDeviceError,
                    "the Q840-VEX program (or another q840ctl) is using the mouse, and " + why +
                        ": try again when it is done, or quit the program");
    }
    if (!bus.NameHasOwner(control::kBusName)) {
        return Fail(err, kExitDeviceError,
                    "the Q840-VEX program (or another q840ctl) is using the mouse, and no program "
                    "answers on the session bus: try again when it is done, or quit the program");
    }
    if (command == "settings") {
        return Reading(bus, o, control::kReadSettings, out, err);
    }
    if (command == "info") {
        return Reading(bus, o, control::kReadInfo, out, err);
    }
    if (command == "battery") {
        return Reading(bus, o, control::kReadBattery, out, err);
    }
    if (command == "set") {
        const std::vector<std::string> words(o.words.begin() + 1, o.words.end());
        return Lines(bus.Call(control::kSetSettings, &words, std::nullopt, kProgramAnswerMs), out,
                     err);
    }
    return SwitchProfile(bus, o, out, err);
}

}  // namespace q840::ctl
