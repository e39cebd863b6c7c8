#pragma once

// The common base of every device page: a container control laid out by the device's page layout.
// It is a thin widget over three parts:
// - the device session (core/session/DeviceSession.h): the command and event protocols, the
//   event listeners and their threads, the information record and the exchanges with the device;
// - the preview engine (pages/PreviewEngine.h): the LED colour array, the light settings, the
//   renderers' state and the preview thread;
// - the widget itself: the set-up (PageSetup), the layout's key and LED buttons, painting the
//   preview onto them, the selector entry's timers, notifications, the profile data and its files.
//
// Threads:
// - user-interface thread: set-up, the selector entry's timers (OnEntryTimer), notifications and
//   every operation the main window calls;
// - preview thread (the engine's): renders frames through RenderFrame; PushPreview (UI thread)
//   paints them;
// - two listener threads (the session's): read event reports and hand their work to the page,
//   which passes it on to the UI thread.

#include <json/value.h>

#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "core/catalogue/DeviceList.h"
#include "core/profile/LightSetting.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/session/DeviceSession.h"
#include "pages/IDeviceEntryHost.h"
#include "pages/PageSetup.h"
#include "pages/PreviewEngine.h"
#include "platform/MessageTarget.h"
#include "platform/PageMessages.h"
#include "platform/ui/UIDefs.h"

namespace q840::controls {
class CDeviceProfileUI;
}

namespace q840::editors {
class CLightControlUI;
class CMacroControlUI;
}  // namespace q840::editors

namespace q840::profile {
class CBasicProfiledata;
}

namespace q840::ui {
class CPaintManagerUI;
}

namespace q840::pages {

using session::kEventKeyPressed;
using session::kEventSettingsChanged;
using session::kReceiverMouseType;
using session::kWiredKeyboardType;
using session::kWiredMouseType;

// The audio-reactive light values the page mirrors to the lighting editor (the keyboard's
// "AudioLightInfo"): the audio mode, the background colour and the foreground colour.
struct AudioLightValues {
    int mode = 0;
    int background = 0;
    int foreground = 0;
    bool operator==(const AudioLightValues&) const = default;
};

// The lighting editor's audio-reactive controls. The page talks to the editor through this, so
// it does not depend on the editor's class.
class IAudioLightControl {
public:
    virtual ~IAudioLightControl() = default;
    virtual void SetAudioLightValues(const AudioLightValues& values) = 0;
    virtual AudioLightValues GetAudioLightValues() = 0;
};

class COrvenixUSBDevice : public QWidget,
                          public ui::INotifyUI,
                          public ui::IUIAttributes,
                          private IPreviewHost,
                          private session::IDeviceEventSink {
    Q_OBJECT
public:
    static constexpr int kMaxLeds = PreviewEngine::kMaxLeds;
    static constexpr int kMaxKeys = 256;
    static constexpr int kLedPatternLength = PreviewEngine::kLedPatternLength;
    static constexpr int kLedRecordSize = PreviewEngine::kLedRecordSize;
    static constexpr int kListenerStopWaitMs = session::DeviceSession::kListenerStopWaitMs;
    static constexpr int kPreviewStopWaitMs = PreviewEngine::kStopWaitMs;

    explicit COrvenixUSBDevice(QWidget* parent = nullptr);
    // Stops the preview thread and both listeners. A derived page whose overrides run on those
    // threads calls StopThreads() in its own destructor, before its part of the object is gone.
    ~COrvenixUSBDevice() override;
    void StopThreads();

    virtual QString GetClass() const { return QStringLiteral("OrvenixUSBDevice"); }
    // Device kind the main window routes by: 1 keyboard, 2 mouse, 3 mouse pad, 7 headset; 0 for
    // a page of no kind.
    virtual int GetDeviceKind() const { return 0; }
    // The main window hands the page every notification of its settings controls (DPI stages,
    // report rate, sensor, sleep and system options). The page stores the value in its profile
    // data, updates its other controls and returns true when the profile changed; the main window
    // then calls SaveProfile() and WriteSettingsBlock(0, 0).
    virtual bool ApplySettingsControl(ui::TNotifyUI& /*msg*/) { return false; }

    // --- set-up --------------------------------------------------------------------------------
    // Takes the page's set-up whole (the main window, right after the builder made the page and
    // before BuildLayout). Counts are clamped to 0-256.
    void Setup(const PageSetup& setup);
    const PageSetup& GetSetup() const { return m_setup; }
    // The command interface came back on another path, or left (path empty): the page's copy of
    // its interface record follows.
    void RebindInterface(const catalogue::DeviceListEntry& record);
    // The selector entry links itself to the page (and unlinks itself, with null).
    void SetEntryHost(IDeviceEntryHost* entry) { m_entry = entry; }
    void SetAudioLightControl(IAudioLightControl* control) { m_audioLightControl = control; }

    ui::CPaintManagerUI* GetPaintManager() const { return m_setup.paintManager; }
    QString GetLayoutPath() const { return m_setup.layoutPath; }
    HWND GetMainWindow() const { return m_setup.mainWindow; }
    int GetKeyButtonCount() const { return m_setup.keyButtonCount; }
    int GetLedCount() const { return m_preview.GetLedCount(); }
    int GetDeviceTypeRow() const { return m_setup.deviceTypeRow; }
    int GetPowerDisplayMode() const { return m_setup.powerDisplayMode; }
    int GetLogoLed() const { return m_setup.logoLed; }
    // The profile name of the set-up: it names the profile file (GetProfileName is the name the
    // profile itself carries).
    QString GetProfileFileName() const { return m_setup.profileName; }
    // The page takes another profile file (the profile bar's current profile identifier); the
    // caller then has the page load it.
    void SetProfileFileName(const QString& name) { m_setup.profileName = name; }
    // The page's profile bar ("DeviceProfileItem"), null when the layout has none.
    controls::CDeviceProfileUI* GetProfileBar() const;
    // The page's lighting editor ("LightControlItem"), null when the layout has none.
    editors::CLightControlUI* GetLightEditor() const;
    // The page's macro editor ("MacroControlItem"), null when the layout has none.
    editors::CMacroControlUI* GetMacroEditor() const;
    QString GetDeviceKindName() const { return m_setup.deviceKindName; }
    QWidget* GetBatteryControl() const { return m_setup.batteryControl; }
    const catalogue::DeviceListEntry& GetInterfaceRecord() const { return m_setup.interfaceRecord; }
    int GetTypeCode() const { return m_setup.interfaceRecord.typeCode; }
    int GetRole() const { return m_setup.interfaceRecord.role; }
    QString GetLightConfigName() const { return m_setup.lightConfigName; }
    IDeviceEntryHost* GetEntryHost() const { return m_entry; }

    QWidget* GetKeyButton(int index) const;
    QWidget* GetLedButton(int index) const;

    // --- virtual operations, in slot order ----------------------------------------------------
    virtual void BuildLayout();
    virtual void LoadLightState() {}
    virtual void RenderBreathing();
    virtual void RenderBreathingFourColours();
    virtual void RenderStatic();
    virtual void RenderSpectrum();
    virtual void RenderBlink();
    virtual void RenderBlinkFourColours();
    virtual void RenderOff();
    virtual void PushPreview();
    // True for a page whose PushPreview sends the frames to the device (its lighting follows the
    // program's preview); such a preview keeps running while the window is hidden.
    virtual bool PreviewDrivesDevice() const { return false; }
    virtual void SetLedColour(int index, uint32_t value);
    virtual uint32_t GetLedColour(int index) const;
    virtual void ReadDevice() {}
    virtual void RefreshSettings() {}
    virtual void ReadBattery() {}
    virtual bool IsWirelessLinkUp() { return true; }
    virtual void LoadProfile() {}
    virtual void RefreshControls() {}
    virtual void DropStaleMacroKeys() {}
    virtual void LoadDefaultProfile() {}
    virtual std::vector<int> GetMacroUseList() { return {}; }
    virtual int SendKeyTable(int /*bank*/, const std::vector<int>& /*keys*/) { return 0; }
    virtual int ApplyKeys(int /*bank*/) { return 0; }
    virtual int UploadMacros(const std::vector<int>& /*macros*/) { return 0; }
    // Why the last UploadMacros returned a positive number: the same number means steps too many
    // in the area or a macro of that many steps, and the user is told which.
    enum class UploadRefusal { None, TooManySteps, AreaTooLarge };
    UploadRefusal GetLastUploadRefusal() const { return m_uploadRefusal; }
    // The device's macro memory in units of 128 bytes (byte 6 of the information record).
    int GetMacroCapacity() const { return m_session.InfoRecord()[6]; }
    virtual int WriteSettingsBlock(int /*profile*/, int /*value*/) { return 0; }
    // Whether a change of the profile has not reached the device yet: a write failed and the
    // page writes the change on the device's next arrival. A page that writes nothing holds none.
    virtual bool HasPendingWrites() const { return false; }
    virtual void InitLightPreview() {}
    virtual void SetKeyMap(const std::map<int, int>& map);
    virtual void StepLedFade(int led, int mode);
    virtual void ArmLedFades();
    virtual void RotateLedPattern(int direction);
    virtual void ClearPreview();
    virtual void ShowFunctionPanel(int type);
    virtual int GetFunctionPanel() const { return m_functionPanel; }
    virtual void LoadProfileFiles() {}
    virtual QString GetProfileName() { return QString(); }
    virtual void SaveProfile() {}
    // Setup sets the light list index through this.
    virtual void SetLightListIndex(int index) { m_setup.lightListIndex = index; }
    virtual int GetLightListIndex() const { return m_setup.lightListIndex; }
    virtual void SetLightSettings(const profile::LightSetting& settings);
    // Stores the values and forwards them to the lighting editor.
    virtual void SetAudioLightValues(const AudioLightValues& values);
    // Asks the lighting editor, stores and returns its values.
    virtual AudioLightValues GetAudioLightValues();
    virtual void SelectKey(int index) { m_selectedKey = index; }
    // A key pressed while the key capture is on (its virtual key and extended flag): the page's
    // key assignment takes it.
    virtual void HandleCapturedKey(unsigned virtualKey, bool extended) {}
    virtual void SetAudioLevels(const int* /*levels*/, int /*count*/) {}
    virtual void SetAudioColours(const uint32_t* /*colours*/, int /*count*/) {}

    // --- state the main window sets -----------------------------------------------------------
    // Software light control broadcast; switching it on makes the wired keyboard take the lighting
    // back from the device (LightControl); other pages only store it.
    void SetSoftwareLightControl(bool on);
    bool GetSoftwareLightControl() const { return m_softwareLightControl.load(); }
    void SetLightSyncFlag(bool on) { m_lightSync.store(on); }
    bool GetLightSyncFlag() const { return m_lightSync.load(); }
    void SetHiddenFlag(bool hidden) { m_hidden.store(hidden); }
    bool GetHiddenFlag() const { return m_hidden.load(); }
    void SetHover(bool hover) { m_hover.store(hover); }
    // Set while the user has agreed to a firmware upgrade of this device.
    void SetUpgradeRequest(bool requested) { m_upgradeRequest.store(requested); }
    bool GetUpgradeRequest() const { return m_upgradeRequest.load(); }
    bool GetHover() const { return m_hover.load(); }
    // More than one device is attached: the lighting editor offers to carry its effect over.
    void SetMultiDevice(bool multi);
    bool IsMultiDevice() const { return m_multiDevice; }

    int GetSelectedKey() const { return m_selectedKey; }
    profile::LightSetting GetLightSettingsRecord() const { return m_preview.GetLightSettings(); }
    void SetLightSettingsRecord(const profile::LightSetting& settings) {
        m_preview.SetLightSettings(settings);
    }
    const std::map<int, int>& GetKeyMap(int which) const { return m_keyMaps[which % 3]; }
    uint8_t GetLedLevel(int led) const { return m_preview.GetLedLevel(led); }
    void SetLedLevel(int led, uint8_t level) { m_preview.SetLedLevel(led, level); }
    void FlagLedFade(int led) { m_preview.FlagLedFade(led); }
    void StartLedRise(int led) { m_preview.StartLedRise(led); }
    PreviewEngine::LedPattern GetLedPattern() const { return m_preview.GetLedPattern(); }
    void SetLedPattern(const PreviewEngine::LedPattern& pattern) {
        m_preview.SetLedPattern(pattern);
    }

    // --- files of the page --------------------------------------------------------------------
    // The user's data folder + device kind name + '/', created when missing.
    QString DeviceFolder() const;
    QString ProfilePath() const;         // device folder + profile name + ".Json"
    QString DefaultProfilePath() const;  // DefaultData/ + kind name + ".Json"
    QString DefaultDataFolder() const;   // DefaultData/
    QString LightConfigPath() const;     // device folder + light configuration name + ".config"
    QString MacroListPath() const;       // device folder + "macro.config"
    QString MacroEventsPath(const QString& guid) const;  // device folder + guid + ".mac"
    QString ShootPatternPath(int n) const;  // device folder + "ShootData_N.Shoot", N 0-3; "" else

    // --- protocols and event channels ---------------------------------------------------------
    session::DeviceSession& Session() { return m_session; }
    protocol::CDeviceProtocol& CommandProtocol() { return m_session.CommandProtocol(); }
    protocol::CDeviceProtocol& EventProtocol() { return m_session.EventProtocol(); }

    // The session's event listeners (type code 2: wired channel, 6: receiver channel).
    bool OpenListener(const catalogue::DeviceListEntry& record) {
        return m_session.OpenListener(record);
    }
    void CloseListener(int typeCode) { m_session.CloseListener(typeCode); }
    bool ReopenListener(const catalogue::DeviceListEntry& record) {
        return m_session.ReopenListener(record);
    }
    bool IsListenerOpen(int typeCode) const { return m_session.IsListenerOpen(typeCode); }
    bool IsListenerRunning(int typeCode) const { return m_session.IsListenerRunning(typeCode); }

    // --- preview thread -----------------------------------------------------------------------
    // (Re)starts the thread that renders the preview frames.
    void StartPreview() { m_preview.Start(); }
    void StopPreview() { m_preview.Stop(); }
    bool IsPreviewRunning() const { return m_preview.IsRunning(); }
    // Wake-ups of the preview thread since it started (for measurements).
    uint64_t PreviewWakeups() const { return m_preview.Wakeups(); }
    PreviewEngine& Preview() { return m_preview; }
    // One frame of the current effect, as the preview thread renders it.
    virtual void RenderFrame(int effect);

    // --- timers of the selector entry ---------------------------------------------------------
    // Runs the page's work for one tick of the entry's timer `id` and arms what follows.
    void OnEntryTimer(int id);
    int GetLinkMissCount() const { return m_linkMisses; }

    // --- notifications ------------------------------------------------------------------------
    void Notify(ui::TNotifyUI& msg) override;
    void SetAttribute(const QString& name, const QString& value) override;

    // Light configuration lists (three JSON values the lighting editor fills).
    Json::Value& LightConfigList(int which) { return m_lightConfigLists[size_t(which) % 3]; }
    // Per-LED records (custom colours and areas): replaced whole under the LED list lock, so the
    // preview never sees a half-rebuilt list.
    void SetLedRecords(std::vector<PreviewEngine::LedRecord> records) {
        m_preview.SetLedRecords(std::move(records));
    }
    std::vector<PreviewEngine::LedRecord> GetLedRecords() const {
        return m_preview.GetLedRecords();
    }

    std::recursive_mutex& LedLock() { return m_preview.LedLock(); }
    std::recursive_mutex& LedListLock() { return m_preview.LedListLock(); }

    profile::CBasicProfiledata* GetProfileData() const { return m_profileData.get(); }

signals:
    // The page's pending writes changed: a write failed, or the device took the change at last.
    void pendingWritesChanged();

protected:
    void SetUploadRefusal(UploadRefusal why) { m_uploadRefusal = why; }
    // Parameters of one rendered frame: the page's light settings or a custom effect's step.
    using FrameParams = PreviewEngine::FrameParams;
    FrameParams CurrentFrameParams() const { return m_preview.CurrentFrameParams(); }
    // Renders effect code `effect` with the parameters; false for codes the base has no renderer
    // for.
    virtual bool RenderBaseEffect(int effect, const FrameParams& p);
    // One frame of the profile's custom light effect (under the LED list lock); off with no steps.
    virtual void RenderCustomEffect();

    // Listener hooks (called on the listener's thread).
    void OnKeyPressEvent() override {}
    void OnDeviceEvent(int /*code*/) override {}
    // The page's own notification handling, for notifications from controls inside it.
    virtual void HandleNotify(ui::TNotifyUI& /*msg*/) {}

    LRESULT SendToMainWindow(UINT msg, WPARAM wParam, LPARAM lParam);
    // The battery status was read; wParam is byte 4 of the 6-byte battery record.
    void SendBatteryRead(uint8_t recordByte4) { SendToMainWindow(kMsgBatteryRead, recordByte4, 0); }
    // The device information record is valid (1) or not (0).
    void SendInfoValid(bool valid) { SendToMainWindow(kMsgDeviceInfoValid, valid ? 1 : 0, 0); }
    // The wireless device became reachable (1) or unreachable (0).
    void SendReachable(bool reachable) {
        SendToMainWindow(kMsgEntryReachable, WPARAM(m_setup.deviceTypeRow), reachable ? 1 : 0);
    }
    void ArmEntryTimer(int id, int ms);
    // Sets up the profile bar of the layout (device type, folders), loads its list, opens it on
    // editor tab `tab` and takes its current profile as the page's profile file.
    void BindProfileBar(int tab);
    // Sets up the lighting editor of the layout: device type, the effect list of the light list
    // (LightConfigList(0), filled by InitLightPreview) with brightness and speed 0-4.
    void BindLightEditor();
    // Sets up the macro editor of the layout on the device folder and loads its macro list.
    void BindMacroEditor();
    bool OnReceiverChannel() const { return m_session.OnReceiverChannel(); }
    void SetProfileData(std::unique_ptr<profile::CBasicProfiledata> data);
    // The 34-byte device information record (filled by the derived page's identity read).
    session::DeviceSession::InfoRecordBytes& InfoRecord() { return m_session.InfoRecord(); }

private:
    UploadRefusal m_uploadRefusal = UploadRefusal::None;
    // The three parts of the page: the device, the preview, and this widget with its set-up.
    session::DeviceSession m_session{static_cast<session::IDeviceEventSink&>(*this)};
    PreviewEngine m_preview{static_cast<IPreviewHost&>(*this)};
    PageSetup m_setup;

    void ResetButtons();
    // IDeviceEventSink: 0x0401 arms the settings re-read on the UI thread.
    void OnSettingsChangedEvent() override;
    // IPreviewHost: what the preview thread asks of the page.
    bool IsPreviewWanted() const override;
    bool MayRenderPreviewFrame() const override;
    void RenderPreviewFrame(int effect) override { RenderFrame(effect); }

    QWidget* m_selectPanel = nullptr;
    IDeviceEntryHost* m_entry = nullptr;
    IAudioLightControl* m_audioLightControl = nullptr;
    int m_selectedKey = -1;
    int m_functionPanel = 1;
    std::vector<QWidget*> m_keyButtons;
    std::vector<QWidget*> m_ledButtons;
    std::array<std::map<int, int>, 3> m_keyMaps;
    std::array<uint32_t, kMaxLeds> m_pushedColours{};

    std::array<Json::Value, 3> m_lightConfigLists;
    std::atomic<bool> m_softwareLightControl{true};
    std::atomic<bool> m_hover{true};
    std::atomic<bool> m_upgradeRequest{false};

    AudioLightValues m_audioLightValues;
    std::atomic<bool> m_lightSync{false};
    std::atomic<bool> m_hidden{false};
    bool m_multiDevice = false;
    int m_linkMisses = 0;

    std::unique_ptr<profile::CBasicProfiledata> m_profileData;
};

}  // namespace q840::pages
