#include "ctl/CtlProfiles.h"

#include <array>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/base/UserFolders.h"
#include "core/profile/ProfileList.h"
#include "core/session/MouseKeys.h"
#include "core/session/MouseSettings.h"
#include "ctl/CtlCommands.h"
#include "ctl/CtlDevice.h"
#include "ctl/CtlMouseProfile.h"
#include "ctl/CtlOutput.h"

namespace q840::ctl {

namespace {

namespace fs = std::filesystem;
using profile::PendingArea;
using profile::ProfileResult;

constexpr const char* kKeptForLater =
    "; the profile keeps it, and the program writes it to the mouse when it next finds it";

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

int CmdList(const Options& o, MouseProfiles& profiles, std::ostream& out) {
    const auto& entries = profiles.list.Entries();
    const int current = profiles.list.StoredSelection();
    if (o.json) {
        Json::Value root(Json::objectValue);
        Json::Value list(Json::arrayValue);
        for (size_t i = 0; i < entries.size(); ++i) {
            Json::Value p(Json::objectValue);
            p["number"] = int(i) + 1;
            p["name"] = entries[i].name;
            p["id"] = entries[i].id;
            p["current"] = int(i) == current;
            list.append(p);
        }
        root["profiles"] = list;
        root["current"] = current + 1;
        root["limit"] = profile::kMaxProfiles;
        WriteJson(out, root);
        return kExitOk;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        out << (int(i) == current ? "* " : "  ") << (i + 1) << "  " << entries[i].name << "\n";
    }
    return kExitOk;
}

int CmdExport(const Options& o, MouseProfiles& profiles, std::ostream& out, std::ostream& err) {
    std::string why;
    const int index = FindProfile(profiles.list, o.words[2], &why);
    if (index < 0) {
        return Fail(err, kExitUsage, why);
    }
    fs::path file = o.words[3];
    // A name typed without an extension gets the one the program's import dialog looks for.
    if (file.extension().empty()) {
        file += ".json";
    }
    if (profiles.list.Export(index, file) != ProfileResult::Done) {
        return Fail(err, kExitDeviceError,
                    file.string() + " could not be written: is the folder there and writable?");
    }
    out << "exported profile " << Quoted(profiles.list.Entries()[size_t(index)].name) << " to "
        << file.string() << "\n";
    return kExitOk;
}

int CmdImport(const Options& o, MouseProfiles& profiles, std::ostream& out, std::ostream& err) {
    const fs::path file = o.words[2];
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        return Fail(err, kExitUsage, file.string() + " is not a file: nothing was imported");
    }
    switch (profiles.list.Import(file)) {
        case ProfileResult::Done:
            break;
        case ProfileResult::LimitReached:
            return Fail(err, kExitUsage,
                        "the mouse has " + std::to_string(profile::kMaxProfiles) +
                            " profiles, as many as it can keep: delete one in the program first");
        case ProfileResult::BadFile:
            return Fail(err, kExitUsage,
                        file.string() +
                            " is not a profile file (it needs \"profilename\" and "
                            "\"profileUUID\"): nothing was imported");
        default:
            return Fail(err, kExitDeviceError,
                        "the imported profile could not be stored in " +
                            profiles.list.ListFilePath().parent_path().string() +
                            ": nothing was imported");
    }
    const auto& entries = profiles.list.Entries();
    out << "imported " << file.string() << " as profile " << entries.size() << " "
        << Quoted(entries.back().name) << "\n";
    return kExitOk;
}

// What the window's switch sends after the settings block: the macro area the keys play (after
// a fresh read of the information record, for the capacity), then the key table.
struct KeyWrite {
    bool macrosTaken = true;
    bool keysTaken = true;
    std::string macroRefusal;
};

KeyWrite WriteKeysAndMacros(Connection& c, const protocol::InfoRecord& info,
                            const std::array<uint8_t, protocol::kKeyTableBufferSize>& keyTable,
                            const session::KeySlotMap& slots, const fs::path& deviceFolder,
                            const profile::CMouseProfiledata& data) {
    KeyWrite result;
    protocol::CDeviceProtocol& proto = c.Protocol();
    session::DeviceSession& session = *c.session;
    const std::vector<int> keys = session::ProfileKeyCodes(data.GetKeyAssignments());
    const int macroCount = session::ReadMacroCount(deviceFolder / "macro.config");

    std::array<uint8_t, protocol::InfoRecord::kSize> raw{};
    if (!session.LinkReady() || proto.ReadInfo(raw.data()) != protocol::kResultOk) {
        result.macrosTaken = false;
    } else {
        const protocol::InfoRecord fresh = protocol::InfoRecord::Decode(raw.data(), raw.size());
        const int capacity = fresh.HasSignature() ? fresh.macroCapacity : info.macroCapacity;
        const auto image = session::BuildMacroAreaImage(
            deviceFolder, session::MacroUseOrder(keys, slots, macroCount), long(capacity) * 128);
        if (image.refusal == session::MacroAreaImage::Refusal::TooManySteps) {
            result.macroRefusal = "a macro of the profile has " + std::to_string(image.excess) +
                                  " steps, more than the mouse plays (64): the macros were not "
                                  "sent";
        } else if (image.refusal == session::MacroAreaImage::Refusal::AreaTooLarge) {
            result.macroRefusal = "the profile's macros do not fit into the mouse's memory (" +
                                  std::to_string(image.excess) +
                                  " steps too many): the macros were not sent";
        } else if (!image.empty) {
            result.macrosTaken = session.LinkReady() && proto.Begin() == protocol::kResultOk &&
                                 session.LinkReady() &&
                                 proto.WriteMacroArea(image.area.data(), int(image.area.size())) ==
                                     protocol::kResultOk &&
                                 session.LinkReady() && proto.End() == protocol::kResultOk;
        }
    }

    // The key table as read, each key's slot filled from the profile.
    std::array<uint8_t, protocol::kKeyTableBufferSize> table = keyTable;
    result.keysTaken = session.LinkReady() && proto.ReadInfo(raw.data()) == protocol::kResultOk;
    if (result.keysTaken) {
        session::FillKeyTable(table, info.KeyTableBytes(), slots, keys, data.GetKeyAssignments(),
                              macroCount);
        result.keysTaken = session.WriteKeyTable(table, info.KeyTableBytes(), 0) == 1;
    }
    return result;
}

int CmdSwitch(const Options& o, MouseProfiles& profiles, const MouseFolders& folders,
              std::ostream& out, std::ostream& err) {
    std::string why;
    const int index = FindProfile(profiles.list, o.words[2], &why);
    if (index < 0) {
        return Fail(err, kExitUsage, why);
    }
    auto connection = Connect("mouse", &why);
    if (!connection) {
        return Fail(err, kExitNoDevice, why);
    }
    protocol::InfoRecord info;
    if (const int code = CheckMouseIdentity(connection->Protocol(), &info, err, "changed");
        code != kExitOk) {
        return code;
    }
    // The key table as the mouse holds it: slots without a key button keep theirs, and the slot
    // of each key button is found in it.
    std::array<uint8_t, protocol::kKeyTableBufferSize> keyTable{};
    connection->Protocol().Begin();
    if (connection->session->ReadKeyTable(info, keyTable) != 1) {
        return Fail(err, kExitDeviceError,
                    "reading the mouse's key table failed: it stopped answering; nothing was "
                    "changed");
    }
    const session::KeySlotMap slots =
        protocol::BuildKeySlotMap(keyTable.data(), info.KeyTableBytes(), info.keySlots);

    if (profiles.list.Select(index) != ProfileResult::Done) {
        return Fail(err, kExitDeviceError,
                    "the profile list " + profiles.list.ListFilePath().string() +
                        " could not be written: nothing was changed");
    }
    if (!profiles.LoadCurrent(folders, &why)) {
        return Fail(err, kExitDeviceError, why);
    }
    // Keys on macros that are gone get their factory function back, in the profile too.
    std::vector<profile::KeyAssignmentPair> pairs = profiles.data.GetKeyAssignments();
    if (session::DropStaleMacroKeys(pairs,
                                    session::ReadMacroCount(folders.device / "macro.config"))) {
        profiles.data.WriteKeyAssignments(pairs);
        profiles.data.SaveCurrent();
        profiles.data.ReadKeyAssignments();
    }

    // The mouse always gets the block of profile 0 with byte 0 = 0, as from the window.
    const auto block = session::BuildMouseSettingsBlock(profiles.data, info.sensorId, 0);
    const bool settingsTaken = connection->session->WriteSettingsBlock(block, 0) == 1;
    const KeyWrite keys =
        WriteKeysAndMacros(*connection, info, keyTable, slots, folders.device, profiles.data);
    const auto note = [&](PendingArea area, bool taken) {
        taken ? profiles.pending.Clear(area) : profiles.pending.Mark(area);
    };
    note(PendingArea::Settings, settingsTaken);
    if (keys.macroRefusal.empty()) {
        note(PendingArea::MacroArea, keys.macrosTaken);
    }
    note(PendingArea::KeyTable, keys.keysTaken);

    const std::string name = Quoted(profiles.CurrentName());
    if (!settingsTaken || !keys.macrosTaken || !keys.keysTaken) {
        return Fail(err, kExitDeviceError,
                    "profile " + name +
                        " is current, but the mouse did not take all of it (pulled out, asleep "
                        "or not answering)" +
                        kKeptForLater);
    }
    if (!keys.macroRefusal.empty()) {
        err << "q840ctl: " << keys.macroRefusal << "\n";
    }
    out << "profile: " << profiles.CurrentName() << "\n";
    return kExitOk;
}

}  // namespace

bool ProfileCommandWrites(const Options& o) {
    return o.words.size() > 1 && (o.words[1] == "switch" || o.words[1] == "import");
}

int CmdProfile(const Options& o, std::ostream& out, std::ostream& err) {
    if (!o.device.empty() && o.device != "mouse") {
        return Fail(err, kExitUsage, "profile works on the mouse's profiles only");
    }
    const std::string sub = o.words.size() > 1 ? o.words[1] : "";
    const size_t wanted = sub == "list"                        ? 2
                          : sub == "switch" || sub == "import" ? 3
                          : sub == "export"                    ? 4
                                                               : 0;
    if (wanted == 0 || o.words.size() != wanted) {
        return Fail(err, kExitUsage,
                    "profile takes list, switch NAME-OR-NUMBER, export NAME-OR-NUMBER FILE or "
                    "import FILE: see q840ctl help profile");
    }
    if (o.json && sub != "list") {
        return Fail(err, kExitUsage, "--json goes with profile list");
    }
    const std::string userFolder = DefaultUserDataFolder();
    if (userFolder.empty()) {
        return Fail(err, kExitDeviceError, "no folder for the profiles: set HOME or XDG_DATA_HOME");
    }
    const MouseFolders folders = MouseFoldersOf(userFolder);
    MouseProfiles profiles;
    std::string why;
    if (!profiles.LoadList(folders, &why)) {
        return Fail(err, kExitDeviceError, why);
    }
    if (sub == "list") {
        return CmdList(o, profiles, out);
    }
    if (sub == "export") {
        return CmdExport(o, profiles, out, err);
    }
    if (sub == "import") {
        return CmdImport(o, profiles, out, err);
    }
    return CmdSwitch(o, profiles, folders, out, err);
}

}  // namespace q840::ctl
