#pragma once

// What the page needs from its device selector entry: the entry owns the timers that drive the
// page's periodic work and the entry's visibility in the selector. The entry calls
// COrvenixUSBDevice::OnEntryTimer(id) when one of its timers fires.
//
// Timers are one-shot from the page's point of view: the entry stops a timer before it hands the
// tick to the page, and the page arms it again when it wants another tick. Every call here is
// made on the user-interface thread.

namespace q840::pages {

// Timer numbers of the selector entry.
constexpr int kTimerPreview = 1000;
constexpr int kTimerLinkCheck = 1001;
constexpr int kTimerSettingsReread = 1002;
constexpr int kTimerReservedFirst = 1003;
constexpr int kTimerReservedSecond = 1004;
constexpr int kTimerBattery = 1005;
constexpr int kTimerReachability = 1007;

class IDeviceEntryHost {
public:
    virtual ~IDeviceEntryHost() = default;
    virtual void ArmTimer(int id, int elapseMs) = 0;
    virtual void KillTimer(int id) = 0;
    virtual bool IsEntryVisible() const = 0;
    virtual void SetEntryVisible(bool visible) = 0;
    virtual bool IsEntrySelected() const = 0;
    // Repaints the device picture (the preview) in the selector's page.
    virtual void RepaintPreview() = 0;
};

}  // namespace q840::pages
