#include "ctl/CtlSet.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/base/UserFolders.h"
#include "core/catalogue/Catalogue.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/PendingWrites.h"
#include "core/profile/ProfileList.h"
#include "core/session/MouseSettings.h"
#include "ctl/CtlCommands.h"
#include "ctl/CtlDevice.h"
#include "ctl/CtlMouseProfile.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlReadings.h"
#include "ctl/CtlSettings.h"

namespace q840::ctl {

namespace {

namespace fs = std::filesystem;
using protocol::SettingsBlock;

constexpr const char* kKeptForLater =
    "; the profile keeps the change, and the program writes it to the mouse when it next finds "
    "it";

}  // namespace

int CmdSet(const Options& o, std::ostream& out, std::ostream& err) {
    if (!o.device.empty() && o.device != "mouse") {
        return Fail(err, kExitUsage, "set changes the mouse's settings only");
    }
    const EffectNames effects(LightListIndexOfType(catalogue::kTypeMouse));
    std::string why;
    const std::vector<std::string> words(o.words.begin() + 1, o.words.end());
    const auto changes = ParseChanges(words, effects, &why);
    if (!changes) {
        return Fail(err, kExitUsage, why);
    }

    // The caller holds the program's instance lock: two processes never interleave commands on
    // the mouse, nor write the same profile.
    const std::string userFolder = DefaultUserDataFolder();
    if (userFolder.empty()) {
        return Fail(err, kExitDeviceError, "no folder for the profiles: set HOME or XDG_DATA_HOME");
    }
    const MouseFolders folders = MouseFoldersOf(userFolder);
    MouseProfiles current;
    if (!current.LoadList(folders, &why) || !current.LoadCurrent(folders, &why)) {
        return Fail(err, kExitDeviceError, why);
    }
    // What the profile alone can refuse is refused before the mouse is asked anything.
    {
        profile::CMouseProfiledata trial = current.data;
        for (const Change& c : *changes) {
            if (ApplyChange(c, trial, nullptr, effects, &why) != ApplyResult::Done) {
                return Fail(err, kExitUsage, why);
            }
        }
    }

    auto connection = Connect("mouse", &why);
    if (!connection) {
        return Fail(err, kExitNoDevice, why);
    }
    protocol::InfoRecord info;
    if (const int code = CheckMouseIdentity(connection->Protocol(), &info, err, "written");
        code != kExitOk) {
        return code;
    }
    std::array<uint8_t, SettingsBlock::kSize> held{};
    if (connection->session->ReadSettingsBlock(held) != 1) {
        return Fail(err, kExitDeviceError,
                    "reading the mouse's settings failed: it stopped answering");
    }
    // As the page does on arrival: what the mouse changed by itself (its DPI button, the
    // report rate) is taken into the profile first, unless the profile holds a change the mouse
    // never got.
    if (!current.pending.Has(profile::PendingArea::Settings)) {
        const SettingsBlock s = SettingsBlock::Decode(held.data(), held.size());
        session::TakeBackIntoProfile(current.data, s, session::LightFromBlock(s, effects.Codes()));
    }
    std::vector<std::string> done;
    for (const Change& c : *changes) {
        switch (ApplyChange(c, current.data, &info, effects, &why)) {
            case ApplyResult::Done:
                done.push_back(why);
                break;
            case ApplyResult::Refused:
                return Fail(err, kExitUsage, why + ": nothing was written");
            case ApplyResult::NotThisMouse:
                return Fail(err, kExitDeviceError, why + ": nothing was written");
        }
    }
    if (!current.data.SaveCurrent()) {
        return Fail(err, kExitDeviceError,
                    "the profile " + current.data.GetProfilePath().string() +
                        " could not be written: nothing was sent to the mouse");
    }

    // The page writes profile 0's block with byte 0 = 0; reading address 0 back therefore gives
    // the whole block as written.
    const auto written = session::BuildMouseSettingsBlock(current.data, info.sensorId, 0);
    session::DeviceSession& session = *connection->session;
    if (session.WriteSettingsBlock(written, 0) != 1) {
        current.pending.Mark(profile::PendingArea::Settings);
        return Fail(err, kExitDeviceError,
                    std::string("the mouse did not take the settings (pulled out, asleep or not "
                                "answering)") +
                        kKeptForLater);
    }
    std::array<uint8_t, SettingsBlock::kSize> readBack{};
    const int back = session.LinkReady() ? connection->Protocol().ReadSettings(
                                               readBack.data(), int(readBack.size()), 0)
                                         : protocol::kResultUnreachable;
    if (back != protocol::kResultOk) {
        current.pending.Mark(profile::PendingArea::Settings);
        return Fail(err, kExitDeviceError,
                    "the settings could not be read back from the mouse (" + DescribeResult(back) +
                        ")" + kKeptForLater);
    }
    if (readBack != written) {
        current.pending.Mark(profile::PendingArea::Settings);
        return Fail(err, kExitDeviceError,
                    "the mouse holds other settings than were written: " +
                        DescribeDifference(info, written, readBack, effects) + kKeptForLater);
    }
    current.pending.Clear(profile::PendingArea::Settings);
    for (const std::string& line : done) {
        out << line << "\n";
    }
    out << "profile: " << current.CurrentName() << "\n";
    return kExitOk;
}

}  // namespace q840::ctl
