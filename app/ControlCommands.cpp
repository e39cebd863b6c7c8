#include "app/ControlCommands.h"

#include <array>
#include <sstream>
#include <string>

#include "controls/CDeviceProfileUI.h"
#include "core/base/ControlInterface.h"
#include "core/catalogue/Catalogue.h"
#include "core/session/DeviceSession.h"
#include "core/session/MouseSettings.h"
#include "ctl/CtlEffects.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlReadings.h"
#include "ctl/CtlReport.h"
#include "ctl/CtlSettings.h"
#include "pages/COrvenixMouseDevice.h"

namespace q840 {

namespace {

using Answer = ipc::IControlHandler::Answer;
using protocol::SettingsBlock;

Answer Error(const char* name, const std::string& text) {
    return {QString::fromLatin1(name), QString::fromStdString(text)};
}

Answer Done(const std::string& text) {
    return {QString(), QString::fromStdString(text)};
}

std::string JsonText(const Json::Value& value) {
    std::ostringstream out;
    ctl::WriteJson(out, value);
    std::string text = out.str();
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// The interface the page talks to now. The page's record keeps its device's identity (a mouse
// through its receiver is still the cable's device there); the path names the interface bound.
Json::Value DeviceOf(pages::COrvenixUSBDevice& page) {
    const catalogue::DeviceListEntry& r = page.GetInterfaceRecord();
    uint16_t type = r.typeCode;
    if (page.Session().OnReceiverChannel() &&
        catalogue::CableTypeOf(type) == catalogue::kTypeMouse) {
        type = session::kReceiverMouseType;
    }
    const uint32_t vendor = catalogue::PathVendorId(r.path);
    const uint32_t product = catalogue::PathProductId(r.path);
    return ctl::DeviceJson(type, vendor != 0 ? uint16_t(vendor) : r.vendorId,
                           product != 0 ? uint16_t(product) : r.productId, r.path);
}

ctl::EffectNames MouseEffects() {
    return ctl::EffectNames(ctl::LightListIndexOfType(catalogue::kTypeMouse));
}

// The device is not one this program works with: nothing is sent to it.
bool Muted(pages::COrvenixMouseDevice& page) {
    return page.CommandProtocol().IsMuted();
}

constexpr const char* kNoMouse =
    "no mouse found: is it plugged in, and does the udev rule give you access? see "
    "docs/hidraw-permissions.md";
constexpr const char* kUnknownMouse =
    "the mouse's information record is not one the program knows: nothing is sent to it";
constexpr const char* kKeptForLater =
    "; the profile keeps the change, and the program writes it to the mouse when it is back";

}  // namespace

pages::COrvenixMouseDevice* ControlCommands::Mouse(Answer* answer) const {
    for (pages::COrvenixUSBDevice* page : m_host.openPages()) {
        if (auto* mouse = qobject_cast<pages::COrvenixMouseDevice*>(page)) {
            if (mouse->MouseProfile()->GetDeviceNode().isNull()) {
                // Just arrived: its first read has not loaded its profile yet.
                *answer = Error(control::kErrorBusy,
                                "the program is still reading the mouse: try again in a moment");
                return nullptr;
            }
            return mouse;
        }
    }
    *answer = Error(control::kErrorNoDevice, kNoMouse);
    return nullptr;
}

Answer ControlCommands::GetDevices() {
    Json::Value list(Json::arrayValue);
    for (pages::COrvenixUSBDevice* page : m_host.openPages()) {
        list.append(DeviceOf(*page));
    }
    Json::Value root(Json::objectValue);
    root["devices"] = list;
    return Done(JsonText(root));
}

Answer ControlCommands::ReadInfo() {
    Answer answer;
    pages::COrvenixMouseDevice* page = Mouse(&answer);
    if (page == nullptr) {
        return answer;
    }
    const auto& bytes = page->Session().InfoRecord();
    const auto info = protocol::InfoRecord::Decode(bytes.data(), bytes.size());
    return Done(JsonText(ctl::InfoReport(DeviceOf(*page), info)));
}

Answer ControlCommands::ReadSettings() {
    Answer answer;
    pages::COrvenixMouseDevice* page = Mouse(&answer);
    if (page == nullptr) {
        return answer;
    }
    if (Muted(*page)) {
        return Error(control::kErrorDevice, kUnknownMouse);
    }
    std::array<uint8_t, SettingsBlock::kSize> block{};
    if (page->Session().ReadSettingsBlock(block) != 1) {
        return Error(control::kErrorDevice,
                     "reading the settings failed: the mouse did not answer (asleep, out of "
                     "range or pulled out)");
    }
    return Done(JsonText(
        ctl::MouseSettingsReport(DeviceOf(*page), page->GetInfo(), block, MouseEffects())));
}

Answer ControlCommands::ReadBattery() {
    Answer answer;
    pages::COrvenixMouseDevice* page = Mouse(&answer);
    if (page == nullptr) {
        return answer;
    }
    auto& proto = page->CommandProtocol();
    uint8_t status[2] = {0, 0};
    if (Muted(*page) || !proto.LinkCheck() ||
        proto.ReadStatus(status, 2, 0) != protocol::kResultOk) {
        return Error(control::kErrorDevice, "reading the battery failed: the mouse did not answer");
    }
    m_battery = status[0];
    return Done(JsonText(ctl::BatteryReport(DeviceOf(*page), status[0], status[1])));
}

Answer ControlCommands::SetSettings(const QStringList& words) {
    const ctl::EffectNames effects = MouseEffects();
    std::vector<std::string> typed;
    for (const QString& w : words) {
        typed.push_back(w.toStdString());
    }
    std::string why;
    const auto changes = ctl::ParseChanges(typed, effects, &why);
    if (!changes) {
        return Error(control::kErrorUsage, why);
    }
    Answer answer;
    pages::COrvenixMouseDevice* page = Mouse(&answer);
    if (page == nullptr) {
        return answer;
    }
    if (Muted(*page)) {
        return Error(control::kErrorDevice, kUnknownMouse);
    }
    profile::CMouseProfiledata& data = *page->MouseProfile();
    if (data.GetDeviceNode().isNull()) {
        return Error(control::kErrorDevice,
                     "the mouse's profile is not loaded: nothing was written");
    }
    const protocol::InfoRecord info = page->GetInfo();
    // Every change is tried on a copy first: one refused changes nothing at all.
    {
        profile::CMouseProfiledata trial = data;
        for (const ctl::Change& c : *changes) {
            switch (ctl::ApplyChange(c, trial, &info, effects, &why)) {
                case ctl::ApplyResult::Done:
                    break;
                case ctl::ApplyResult::Refused:
                    return Error(control::kErrorUsage, why + ": nothing was written");
                case ctl::ApplyResult::NotThisMouse:
                    return Error(control::kErrorDevice, why + ": nothing was written");
            }
        }
    }
    std::string done;
    for (const ctl::Change& c : *changes) {
        ctl::ApplyChange(c, data, &info, effects, &why);
        done += why + "\n";
    }
    // The page's preview and lighting editor follow the profile's light record.
    page->SetLightSettings(data.GetLightSetting());
    page->SaveProfile();
    const int result = m_host.writeSettings(*page);
    m_host.onWrite(*page, result);
    page->RefreshControls();
    if (result != 1) {
        return Error(control::kErrorDevice,
                     std::string("the mouse did not take the settings (asleep, out of range or "
                                 "pulled out)") +
                         kKeptForLater);
    }
    const auto written = session::BuildMouseSettingsBlock(data, info.sensorId, 0);
    std::array<uint8_t, SettingsBlock::kSize> back{};
    if (!page->Session().LinkReady() ||
        page->CommandProtocol().ReadSettings(back.data(), int(back.size()), 0) !=
            protocol::kResultOk) {
        return Error(
            control::kErrorDevice,
            std::string("the settings could not be read back from the mouse") + kKeptForLater);
    }
    if (back != written) {
        return Error(control::kErrorDevice,
                     "the mouse holds other settings than were written: " +
                         ctl::DescribeDifference(info, written, back, effects));
    }
    if (controls::CDeviceProfileUI* bar = page->GetProfileBar()) {
        const int selected = bar->List().StoredSelection();
        if (selected >= 0 && selected < bar->List().Count()) {
            done += "profile: " + bar->List().Entries()[size_t(selected)].name + "\n";
        }
    }
    if (!done.empty()) {
        done.pop_back();
    }
    return Done(done);
}

controls::CDeviceProfileUI* ControlCommands::MouseProfileBar(
    Answer* answer, pages::COrvenixMouseDevice** page) const {
    *page = Mouse(answer);
    if (*page == nullptr) {
        return nullptr;
    }
    controls::CDeviceProfileUI* bar = (*page)->GetProfileBar();
    if (bar == nullptr) {
        *answer = Error(control::kErrorDevice, "the mouse's page has no profiles");
    }
    return bar;
}

Answer ControlCommands::ListProfiles(QStringList* names, int* current) {
    Answer answer;
    pages::COrvenixMouseDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = MouseProfileBar(&answer, &page);
    if (bar == nullptr) {
        return answer;
    }
    for (const auto& entry : bar->List().Entries()) {
        names->append(QString::fromStdString(entry.name));
    }
    *current = bar->List().StoredSelection();
    return Done({});
}

Answer ControlCommands::SwitchProfile(uint index) {
    Answer answer;
    pages::COrvenixMouseDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = MouseProfileBar(&answer, &page);
    if (bar == nullptr) {
        return answer;
    }
    const int count = bar->List().Count();
    if (index >= uint(count)) {
        return Error(control::kErrorUsage, "there is no profile " + std::to_string(index) +
                                               ": the mouse has " + std::to_string(count) +
                                               ", numbered from 0");
    }
    if (Muted(*page)) {
        return Error(control::kErrorDevice, kUnknownMouse);
    }
    m_host.switchProfile(*page, int(index));
    const std::string name = bar->List().Entries()[index].name;
    if (page->HasPendingWrites()) {
        return Error(control::kErrorDevice,
                     "profile \"" + name +
                         "\" is current, but the mouse did not take all of it (asleep, out of "
                         "range or pulled out)" +
                         kKeptForLater);
    }
    return Done(name);
}

ipc::IControlHandler::State ControlCommands::CurrentState() {
    State state;
    for (pages::COrvenixUSBDevice* page : m_host.openPages()) {
        const Json::Value device = DeviceOf(*page);
        state.devices.emplace_back(QString::fromStdString(device["kind"].asString()),
                                   QString::fromStdString(device["path"].asString()));
        auto* mouse = qobject_cast<pages::COrvenixMouseDevice*>(page);
        if (mouse == nullptr || state.activeProfile >= 0) {
            continue;
        }
        if (controls::CDeviceProfileUI* bar = mouse->GetProfileBar()) {
            const int selected = bar->List().StoredSelection();
            if (selected >= 0 && selected < bar->List().Count()) {
                state.activeProfile = selected;
                state.activeProfileName =
                    QString::fromStdString(bar->List().Entries()[size_t(selected)].name);
            }
        }
        const int battery = mouse->GetLastBatteryPercent();
        state.batteryLevel = battery >= 0 ? battery : m_battery;
    }
    if (state.activeProfile < 0) {
        // No mouse: nothing to say about its battery either.
        m_battery = -1;
    }
    return state;
}

}  // namespace q840
