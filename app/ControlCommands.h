#pragma once

#include <functional>
#include <vector>

#include "platform/ipc/ControlEndpoint.h"

namespace q840::controls {
class CDeviceProfileUI;
}  // namespace q840::controls

namespace q840::pages {
class COrvenixUSBDevice;
class COrvenixMouseDevice;
}  // namespace q840::pages

namespace q840 {

// The program's side of the control interface: what other programs and q840ctl ask of the
// running program, done with the code the window and q840ctl share (the settings of `set`
// applied to the page's profile as the page stores them, the same block builder, the same
// reports), and with the window's own switch for profiles, so the window shows every change at
// once and the mouse gets one sequence of commands at a time.
class ControlCommands : public ipc::IControlHandler {
public:
    struct Host {
        // Every page whose command interface is open.
        std::function<std::vector<pages::COrvenixUSBDevice*>()> openPages;
        // Writes the page's settings block (the main window's WritePageSettings): 1 written.
        std::function<int(pages::COrvenixUSBDevice&)> writeSettings;
        // A write's result, for the notice of changes that did not reach the device.
        std::function<void(pages::COrvenixUSBDevice&, int result)> onWrite;
        // The window's profile switch on that page to the profile at `index`.
        std::function<void(pages::COrvenixUSBDevice&, int index)> switchProfile;
    };

    explicit ControlCommands(Host host) : m_host(std::move(host)) {}

    Answer GetDevices() override;
    Answer ReadInfo() override;
    Answer ReadSettings() override;
    Answer ReadBattery() override;
    Answer SetSettings(const QStringList& words) override;
    Answer ListProfiles(QStringList* names, int* current) override;
    Answer SwitchProfile(uint index) override;
    State CurrentState() override;

private:
    // The mouse page the commands work on (the first whose command interface is open), or null
    // with *answer set to the "no mouse" error.
    pages::COrvenixMouseDevice* Mouse(Answer* answer) const;
    // The mouse's page and its profile bar; null with *answer set when either is missing.
    controls::CDeviceProfileUI* MouseProfileBar(Answer* answer,
                                                pages::COrvenixMouseDevice** page) const;

    Host m_host;
    int m_battery = -1;
};

}  // namespace q840
