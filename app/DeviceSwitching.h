#pragma once

// The main window's side of the attached devices: the device list (which HID interface is bound
// where), the page lists by device kind, building a device's selector entry, power panel and page
// on its first arrival, binding and releasing interfaces, the selector's selection rules, the
// device scan thread and the synchronised lighting.
//
// Threads: everything here runs on the UI thread except the two thread bodies. The scan thread
// changes device list entries and then hands each change to the UI thread with a blocking call
// (kMsgDeviceArrived / kMsgDeviceRemoved), so the two never touch an entry at the same time. The
// light synchronisation thread reads the page lists under m_pagesMutex and only writes whole 32-bit
// LED colours.

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/LightSync.h"
#include "core/base/WorkerThread.h"
#include "core/catalogue/DeviceList.h"
#include "platform/MessageTarget.h"
#include "platform/ui/UIDefs.h"

namespace q840::pages {
class COrvenixUSBDevice;
}
namespace q840::entry {
class CDeviceOptionUI;
}
namespace q840::ui {
class CPaintManagerUI;
class IDialogBuilderCallback;
}  // namespace q840::ui

namespace q840 {

// What the device code needs from the main window.
class IDeviceSwitchHost {
public:
    virtual ~IDeviceSwitchHost() = default;
    virtual ui::CPaintManagerUI& PaintManager() = 0;
    virtual ui::IDialogBuilderCallback* BuilderCallback() = 0;
    virtual HWND WindowHandle() = 0;
    // The window shows itself and comes to the front (every device arrival).
    virtual void RunActivation() = 0;
    virtual void CloseAuxiliaryWindows() = 0;
    // Shows the empty state ("No_device_Link") in place of the pages, or the pages.
    virtual void ShowNoDevice(bool show) = 0;
    virtual bool IsInputHookInstalled() const = 0;
    // Removes the input hook; a recording in progress stops (its steps are saved).
    virtual void StopInputHook() = 0;
    // A write to the device of `page` ended with `result` (1: the device took it). A failed one
    // that left the page's change pending brings up the quiet notice.
    // Writes the current settings of `page` to its device with the arguments its kind takes;
    // the page's result, 1 when the device took them.
    virtual int WritePageSettings(pages::COrvenixUSBDevice& page) = 0;
    virtual void OnPageWrite(pages::COrvenixUSBDevice& page, int result) = 0;
    // A page's pending writes changed: the notice goes once no page holds one.
    virtual void OnPendingWritesChanged() = 0;
    // A supported device is plugged in but its node cannot be opened (`error` says why, most
    // often no access to the node), or (empty path) a device node was opened.
    virtual void OnDeviceNodeAccess(const std::string& path, const std::string& error) = 0;
};

class DeviceSwitching {
public:
    // Names of the main layout's containers.
    static constexpr const char* kEntryStrip = "device_select_layout";
    static constexpr const char* kPageTabs = "device_switch";
    static constexpr const char* kPowerTabs = "device_power_switch";
    static constexpr const char* kNoDevice = "No_device_Link";
    static constexpr const char* kPowerLayout = "XML\\CustomControlXML\\MpDevicePower.xml";
    static constexpr const char* kEntryGroup = "device_select";
    // Budget of the receiver link check after an interface switch: 26 misses 50 ms apart, but
    // never longer than this in all, so a receiver that does not answer cannot hold the window.
    static constexpr int kSwitchLinkChecks = 26;
    static constexpr int kSwitchLinkPauseMs = 50;
    static constexpr int kSwitchLinkBudgetMs = 1500;

    explicit DeviceSwitching(IDeviceSwitchHost& host);
    ~DeviceSwitching();

    catalogue::DeviceList& List() { return *m_list; }

    // "windowinit": a mouse page and a keyboard page exist before any device arrives.
    void AttachBuiltInPages();
    // Builds power panel, selector entry and page for the device of catalogue row `row`.
    bool Attach(int row, int key);
    void Bind(int index);     // kMsgDeviceArrived
    void Release(int index);  // kMsgDeviceRemoved

    void ShowEntry(int index, bool visible, bool select);
    void HideEntry(int index);
    // kMsgEntryReachable: the page of device type row `row` became reachable (1) or unreachable
    // (0).
    void OnEntryReachable(int row, bool reachable);

    // Handles the selector's notifications ("device_select", "synchro_device_select",
    // "device_select_prev", "device_select_next", "deng_same_mode").
    bool OnNotify(ui::TNotifyUI& msg);
    // "deng_same_mode": the current page's effect becomes every open page's effect.
    void ApplySameMode(pages::COrvenixUSBDevice* current);

    // --- what the main window and tests read -------------------------------------------------
    const std::vector<entry::CDeviceOptionUI*>& Entries() const { return m_entries; }
    int EntryIndexOf(const entry::CDeviceOptionUI* entry) const;
    int VisibleEntryCount() const;
    int SelectedIndex() const { return m_selected; }
    int SelectedType() const { return m_selectedType; }
    std::vector<pages::COrvenixUSBDevice*> AllPages() const;
    const std::vector<pages::COrvenixUSBDevice*>& MousePages() const { return m_mousePages; }
    pages::COrvenixUSBDevice* PageOfDeviceEntry(const catalogue::DeviceListEntry& entry) const;
    LightSyncEngine& SyncEngine() { return m_sync; }

    // --- threads ------------------------------------------------------------------------------
    // Body of the device scan thread (thread slot 0). The list is shared with the body, so a
    // thread that overstays its stop wait never reads a freed list.
    WorkerThread::Body ScanBody();
    // Body of the light synchronisation thread (thread slot 8).
    WorkerThread::Body LightSyncBody();
    // One step of the synchronised lighting: when any open page has its synchronisation flag
    // set, the next colour goes to every open page. False when nothing was active.
    bool SyncStep(int64_t nowMs);
    // Set once the scan thread finished its first pass.
    bool FirstScanDone() const { return m_firstScanDone->load(); }

private:
    void InterfaceSwitch(int index);
    pages::COrvenixUSBDevice* PageOfEventEntry(const catalogue::DeviceListEntry& entry) const;
    std::vector<pages::COrvenixUSBDevice*>* PageListOfType(int typeCode);
    void SetPagesMultiDevice(bool multi);
    void ClearSynchroWhenAlone();
    void SelectNeighbour(int direction);
    void OnSelectionChanged();
    void ShowPowerOf(entry::CDeviceOptionUI* entry);
    QWidget* Find(const char* name) const;

    IDeviceSwitchHost& m_host;
    std::shared_ptr<catalogue::DeviceList> m_list;
    std::vector<entry::CDeviceOptionUI*> m_entries;  // in strip order
    std::vector<QWidget*> m_powerControls;
    // The page lists. Changed on the UI thread only; the light synchronisation thread reads them
    // under the mutex (a list can grow while it runs).
    mutable std::mutex m_pagesMutex;
    std::vector<pages::COrvenixUSBDevice*> m_mousePages;
    std::vector<pages::COrvenixUSBDevice*> m_keyboardPages;
    std::vector<pages::COrvenixUSBDevice*> m_padPages;
    std::vector<pages::COrvenixUSBDevice*> m_headsetPages;
    int m_selected = -1;
    int m_selectedType = 0;
    int m_selectedVariant = 0;
    LightSyncEngine m_sync;
    std::shared_ptr<std::atomic<bool>> m_firstScanDone = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace q840
