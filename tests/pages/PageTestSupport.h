#pragma once

// Helpers shared by the page tests: a page that counts its device operations, a selector entry
// that records timer requests, a main window that records messages.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "pages/COrvenixUSBDevice.h"
#include "platform/MessageTarget.h"
#include "tests/support/WaitFor.h"

namespace q840::pages::test {

class CountingPage : public COrvenixUSBDevice {
public:
    using COrvenixUSBDevice::COrvenixUSBDevice;
    using COrvenixUSBDevice::SendBatteryRead;
    using COrvenixUSBDevice::SendInfoValid;
    using COrvenixUSBDevice::SetProfileData;
    // The listeners call the overrides below; they must be stopped before this part goes.
    ~CountingPage() override { StopThreads(); }

    void ReadDevice() override { ++reads; }
    void RefreshSettings() override { ++refreshes; }
    void ReadBattery() override { ++batteryReads; }
    bool IsWirelessLinkUp() override { return linkUp; }
    void OnKeyPressEvent() override { ++keyPresses; }
    void OnDeviceEvent(int code) override { lastEvent = code; }
    void HandleNotify(ui::TNotifyUI& msg) override { notified.push_back(msg.pSender); }

    int reads = 0;
    int refreshes = 0;
    int batteryReads = 0;
    bool linkUp = true;
    std::atomic<int> keyPresses{0};
    std::atomic<int> lastEvent{0};
    std::vector<QWidget*> notified;
};

class FakeEntry : public IDeviceEntryHost {
public:
    void ArmTimer(int id, int ms) override { armed.push_back({id, ms}); }
    void KillTimer(int id) override { killed.push_back(id); }
    bool IsEntryVisible() const override { return visible; }
    void SetEntryVisible(bool v) override { visible = v; }
    bool IsEntrySelected() const override { return selected; }
    void RepaintPreview() override { ++repaints; }

    bool WasArmed(int id, int ms) const {
        for (const auto& a : armed) {
            if (a.first == id && a.second == ms) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::pair<int, int>> armed;
    std::vector<int> killed;
    bool visible = true;
    bool selected = false;
    int repaints = 0;
};

struct Message {
    UINT msg;
    WPARAM w;
    LPARAM l;
};

class RecordingWindow : public CMessageTarget {
public:
    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
        messages.push_back({msg, w, l});
        return 1;
    }
    std::vector<Message> messages;
};

// The device list record of an event interface, as the main window hands it to the page.
inline catalogue::DeviceListEntry EventRecord(int type, const char* path) {
    catalogue::DeviceListEntry e;
    e.typeCode = uint16_t(type);
    e.role = 0xFF;
    e.path = path;
    return e;
}

// Runs the event loop until `done` holds or `ms` pass; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    return q840::test::WaitFor(done, ms);
}

}  // namespace q840::pages::test
