#pragma once

// The device page of the mouse. It reads the mouse's information record, key table and settings
// block, merges them with the profile on disk, shows them in its controls and writes the settings
// block and the key table back when the user changes something. The mouse is reached by cable or
// through its receiver; on the receiver every exchange is preceded by a link check, so a sleeping
// or out-of-range mouse ends a sequence before any data is sent.
//
// Threads: everything runs on the user-interface thread except the renderers (preview thread),
// OnKeyPressEvent and OnDeviceEvent (listener threads). The listener hands profile events to the
// user-interface thread with a queued call; the key-press hook only touches the LED fade state
// under the LED lock.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/profile/MouseOptions.h"
#include "core/profile/PendingWrites.h"
#include "core/profile/ProfileRecords.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/KeyTable.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "pages/COrvenixUSBDevice.h"

namespace q840::profile {
class CMouseProfiledata;
}

namespace q840::editors {
class CShootControlUI;
}

namespace q840::pages {

// LED groups of the wave and ripple previews: 7 groups of up to three LEDs, -1 an empty place.
constexpr int kMouseLedGroups = 7;
constexpr int kMouseGroupWidth = 3;
extern const std::array<std::array<int, kMouseGroupWidth>, kMouseLedGroups> kMouseLedGroupTable;
// Steps of the single-colour wave's pulse.
constexpr int kWavePulseSteps = 96;
extern const std::array<uint8_t, kWavePulseSteps> kWavePulseCurve;
// Steps between neighbouring groups of the wave, and hue steps per ripple frame.
constexpr int kWaveGroupShift = 7;
constexpr int kRippleHueStep = 12;

// Number of macros listed in a macro list file ("MacroInfo"); 0 for a missing or unreadable file.
int ReadMacroCount(const QString& macroListPath);

class COrvenixMouseDevice : public COrvenixUSBDevice {
    Q_OBJECT
public:
    static constexpr int kDeviceKind = 2;
    static constexpr int kKeyButtons = int(protocol::kMouseKeyButtons);
    static constexpr int kDpiStages = int(protocol::SettingsBlock::kStageCount);
    static constexpr int kPollingOptions = 5;
    // Hz of the report-rate options 0-3, for display.
    static constexpr std::array<int, 4> kReportRatesHz = profile::kReportRatesHz;

    explicit COrvenixMouseDevice(QWidget* parent = nullptr);
    ~COrvenixMouseDevice() override;
    static QWidget* Create() { return new COrvenixMouseDevice(); }

    // The layout tag is "OrvenixMouseDevice"; the class keeps the base's class name.
    int GetDeviceKind() const override { return kDeviceKind; }
    bool ApplySettingsControl(ui::TNotifyUI& msg) override;

    // --- operations of the page base ----------------------------------------------------------
    void BuildLayout() override;
    void LoadLightState() override;
    void PushPreview() override;
    void ReadDevice() override;
    void RefreshSettings() override;
    void ReadBattery() override;
    bool IsWirelessLinkUp() override;
    void LoadProfile() override;
    void RefreshControls() override;
    void DropStaleMacroKeys() override;
    void LoadDefaultProfile() override;
    // The writes return 1 only when every command of theirs was answered. One that did not run
    // to its end marks its area as not yet on the mouse (a muted protocol sends nothing and
    // marks nothing); one that did clears the mark.
    int SendKeyTable(int bank, const std::vector<int>& keys) override;
    int ApplyKeys(int bank) override;
    // The macros the profile's keys use: distinct macro numbers in the order key buttons first
    // use them, keys without a slot and numbers of macros that no longer exist left out. The key
    // table names a macro by its position in this list, which is its position in the macro area.
    std::vector<int> GetMacroUseList() override;
    // Builds the macro area from the files of these macros, in this order, and sends it whole.
    // 0 when it was sent, or there was nothing to send (no macros, no mouse behind the receiver);
    // -1 when the mouse did not take it to the end (the area is then marked as not yet on the
    // mouse); k > 0 when it was refused before anything was sent: k is the step count of a macro
    // with more than 64 steps, or (area size - capacity) / 4 + 1 for an area that does not fit.
    int UploadMacros(const std::vector<int>& macros) override;
    // Sends the four shoot patterns of the device folder as the shoot area, whole. 1 when the
    // mouse took every packet; 0 when it did not (or there is no mouse to take it), and the area
    // is then marked as not yet on the mouse. A pattern file that is missing or not a pattern
    // goes as a record without steps. With `always` false an area the mouse took whole since
    // its arrival is not sent again (the patterns belong to the device, not to a profile, and a
    // profile switch need not wait a second for them).
    int UploadShootPatterns(bool always) override;
    int WriteSettingsBlock(int profile, int value) override;
    bool HasPendingWrites() const override { return m_pending.Any(); }
    void InitLightPreview() override;
    void ShowFunctionPanel(int type) override;
    void LoadProfileFiles() override;
    QString GetProfileName() override;
    void SaveProfile() override;
    void SetLightListIndex(int index) override;
    void SetLightSettings(const profile::LightSetting& settings) override;
    // Opens the key editor on key button `index` (its assignment pair and name) and marks the
    // button on the picture; the picture's other key buttons lose the mark.
    void SelectKey(int index) override;
    void HandleCapturedKey(unsigned virtualKey, bool extended) override;
    void RenderFrame(int effect) override;

    // --- operations of the mouse page ---------------------------------------------------------
    virtual void BuildPage();
    // The page's light settings (the profile's light record).
    virtual profile::LightSetting GetLightSettings();
    virtual void RenderWave();
    virtual void RenderRipple();
    virtual void RenderReactive();

    // The two halves of ReadDevice, each 1 when it ran to its end and 0 when it stopped.
    int ReadIdentity();
    int ReadSettingsBlock();
    // Writes every area marked as not yet on the mouse from the profile, reads it back and
    // compares; a mark goes only when the mouse holds what was written. 1 when nothing is left
    // pending. ReadDevice runs it after the identity read, in place of taking a marked area from
    // the mouse into the profile.
    int WritePendingAreas();
    const profile::PendingWrites& GetPendingWrites() const { return m_pending; }

    // --- state, for the main window, the editors and tests ------------------------------------
    protocol::InfoRecord GetInfo() const { return m_info; }
    bool HasKeyTable() const { return m_keyTableRead; }
    const std::array<uint8_t, protocol::kKeyTableBufferSize>& GetKeyTableCopy() const {
        return m_keyTable;
    }
    const std::array<uint8_t, protocol::kMouseKeyButtons>& GetKeySlotMap() const {
        return m_keySlotMap;
    }
    std::array<uint8_t, protocol::SettingsBlock::kSize> GetSettingsCopy() const;
    int GetDeviceProfileIndex() const;
    uint16_t GetSensorId() const { return m_info.sensorId; }
    // The battery percentage of the last status read; -1 before one.
    int GetLastBatteryPercent() const { return m_lastBatteryPercent; }
    // The "value" of each "DefaultLightName" entry of the page's light list index.
    const std::vector<int>& GetEffectCodes() const { return m_effectCodes; }
    // DPI stage n takes the colour (0xFFRRGGBB) in the profile and on its colour button; true when
    // it changed (the caller saves the profile and writes the settings block).
    bool SetStageColour(int n, uint32_t argb);
    const QStringList& GetMacroNames() const { return m_macroNames; }

    // Names each key's current function in the key list ("device_setkeyinfo_list", one row per
    // key button that has a name for its function, the rows of hidden key buttons hidden) and in
    // the key buttons' tool tips, and the logo's current lighting effect in the logo's tool tip.
    // The macro names are read again first, so a renamed or deleted macro shows as it is now.
    // Runs from RefreshControls, after DropStaleMacroKeys changed a key, on a language switch and
    // at a change of scale; the key and macro editors call it after they change a key, rename a
    // macro or delete one. A key whose function has no name keeps its tool tip as it was.
    // A key button's tool tip is a title over a text; both are kept in its properties
    // "tooltipTitle" and "tooltipText".
    void RefreshKeyList();
    profile::CMouseProfiledata* MouseProfile() const;

    // --- the key assignment editor (COrvenixMouseDeviceKeyEditor.cpp) ---------------------------
    // Stores the code the key editor builds at the selected key: in the key list, the profile's
    // "KeyList" and its file, with the key list and tool tips refreshed. The key table waits for
    // the editor's send ("key_butt_prosave"); until then it is marked as not yet on the mouse,
    // which writes it on its next arrival if it is not sent before. False without an editor or a
    // selected key.
    bool ApplyKeyAssignment();
    // After the key table went to the mouse (or did not): the editor's send button follows.
    void UpdateKeyEditorButtons();

    // The DPI number stage `index` shows with the current sensor.
    int DpiNumber(int index) const;
    int DpiIndex(int number) const;

    // Editors of the layout (null until they exist in the layout).
    QWidget* GetEditor(const char* name) const;
    // The shoot pattern editor ("ShootControlItem"), null when the layout has none.
    editors::CShootControlUI* GetShootEditor() const;

protected:
    void OnKeyPressEvent() override;
    void OnDeviceEvent(int code) override;
    bool RenderBaseEffect(int effect, const FrameParams& p) override;

    void DoWave(const FrameParams& p);
    void DoRipple(const FrameParams& p);
    void DoReactive(const FrameParams& p);

private:
    // On the receiver channel the mouse must answer the link check; a muted protocol sends
    // nothing, so it needs none.
    bool LinkReady();
    // The settings block of profile 0 as the profile has it, byte 0 = value.
    std::array<uint8_t, protocol::SettingsBlock::kSize> BuildSettingsBlock(int value) const;
    // Begin, the block at profile number x 128 and End, each on the receiver channel only after
    // a true link check; 1 when every step was answered.
    int SendSettingsBlock(const std::array<uint8_t, protocol::SettingsBlock::kSize>& block,
                          int profileNumber);
    // The key table write; `written` (may be null) receives the table sent.
    int WriteKeys(int bank, const std::vector<int>& keys,
                  std::array<uint8_t, protocol::kKeyTableBufferSize>* written);
    // The profile's key assignments, in key button order.
    std::vector<int> ProfileKeyCodes() const;
    // The distinct macro numbers below macroCount of these key codes, in order of first use by a
    // key button that has a slot. The upload and the key table both take positions from it.
    std::vector<int> MacroUseOrder(const std::vector<int>& keys, int macroCount) const;
    // The capacity byte of a fresh information record (kept for GetMacroCapacity); false when
    // the mouse did not answer.
    bool RefreshMacroCapacity();
    // Marks or clears `area` after a write of it ended with `result`.
    void NoteWrite(profile::PendingArea area, int result);
    void SetPending(profile::PendingArea area, bool pending);
    int WritePendingSettings();
    int WritePendingKeyTable();
    int WritePendingMacroArea();
    int WritePendingShootArea();
    // Gives the shoot editor its folders and shows gun 0, bullet 0.
    void BindShootEditor();
    // A control of this page by name: first among the page's own children (two pages may carry
    // the same names), then through the paint manager. Null when missing.
    QWidget* Control(const QString& name) const;
    void ApplyProfileEvent(int code);
    void UpdateDpiStageControls();
    void ShowDpiStage(int n);
    void ShowSystemControls();
    // Puts a value into a system slider and its value label.
    void ShowSystemSlider(const QString& name, int value);
    void ApplySliderRanges();
    void SelectOption(const QString& prefix, int count, int value);
    bool StoreStageEnabled(int n, bool enabled);
    bool StoreStageIndex(int n, int index);
    std::vector<profile::DpiStage> Stages() const;
    void PaintSecondRow();
    void SeedLedPattern();
    // The key editor shows the selected key's pair as the profile has it now (after a profile
    // switch, a reset or a renumbering); an unchanged pair leaves the editor as it is.
    void ShowSelectedKeyAgain();
    // Reads the macro names of the macro list file into m_macroNames.
    void ReadMacroNames();
    // The name of the current lighting effect, for the logo's tool tip; empty when the effect is
    // beyond its list.
    QString CurrentEffectName();

    protocol::InfoRecord m_info;
    int m_lastBatteryPercent = -1;
    bool m_infoValid = false;
    std::array<uint8_t, protocol::kKeyTableBufferSize> m_keyTable{};
    bool m_keyTableRead = false;
    std::array<uint8_t, protocol::kMouseKeyButtons> m_keySlotMap{};

    // The settings block as last read (byte 0 the profile index); events change bytes 0 and 12.
    mutable std::mutex m_settingsMutex;
    std::array<uint8_t, protocol::SettingsBlock::kSize> m_settings{};

    profile::LightSetting m_stagedLight;
    std::vector<int> m_effectCodes;
    QStringList m_macroNames;

    // Second row of LED buttons and the logo button, with what was painted last.
    std::vector<QPointer<QWidget>> m_secondRow;
    std::vector<uint32_t> m_secondRowPushed;
    QPointer<QWidget> m_logo;
    uint32_t m_logoPushed = 0;
    bool m_logoPainted = false;

    std::array<QPointer<QWidget>, 5> m_editors;

    // The shoot area the mouse took whole since it was last identified (empty: none).
    std::vector<uint8_t> m_shootAreaHeld;

    // Areas of the profile the mouse has not got yet (kept beside the profile file).
    profile::PendingWrites m_pending;

    // Preview state of the mouse's own renderers (preview thread).
    int m_wavePhase = 0;
    int m_rippleHue = 0;
    int m_rippleFrame = 0;
    // Random hues of the reactive effect, under the LED lock.
    std::array<uint8_t, kMaxLeds> m_reactiveHues{};
    uint32_t m_randomState = 0x2545F491u;
};

}  // namespace q840::pages
