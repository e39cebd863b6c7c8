#include "pages/COrvenixUSBDevice.h"

#include <QVBoxLayout>

#include <QDir>
#include <QMetaObject>
#include <QRegularExpression>
#include <QStackedWidget>
#include <algorithm>

#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CDeviceProfileUI.h"
#include "core/base/DebugLine.h"
#include "core/profile/CBasicProfiledata.h"
#include "core/profile/JsonAccess.h"
#include "editors/CKeySetControlUI.h"
#include "editors/CLightControlUI.h"
#include "editors/CMacroControlUI.h"
#include "pages/LedButtonPaint.h"
#include "platform/Paths.h"

namespace q840::pages {

namespace {

constexpr uint32_t kWhiteFullLevel = PackLed(255, 255, 255, 255);
constexpr int kMissCountWrap = 20;  // the link check's miss count runs 0..19
constexpr int kPreviewPeriodPrimaryMs = 5;
constexpr int kPreviewPeriodReceiverMs = 500;
constexpr int kPreviewPeriodHiddenMs = 250;
constexpr int kLinkCheckRetryMs = 5000;
constexpr int kSettingsRereadMs = 50;
constexpr int kBatteryPeriodMs = 10000;
constexpr int kReachabilityFirstMs = 2000;
constexpr int kReachabilityPeriodMs = 3000;

// Only key/LED buttons are bound; other controls under "SelectPanel" may share their names.
bool IsDeviceKeyButton(QWidget* widget) {
    return qobject_cast<controls::CDeviceKeyButtonUI*>(widget) != nullptr;
}

}  // namespace

COrvenixUSBDevice::COrvenixUSBDevice(QWidget* parent) : QWidget(parent) {
    // The page's content fills the page, whatever size the page area has.
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
}

COrvenixUSBDevice::~COrvenixUSBDevice() {
    StopThreads();
    SetProfileData(nullptr);
}

void COrvenixUSBDevice::StopThreads() {
    StopPreview();
    m_session.CloseListeners();
}

// --- set-up ------------------------------------------------------------------------------------

void COrvenixUSBDevice::Setup(const PageSetup& setup) {
    m_setup = setup;
    m_session.SetInterfaceRecord(setup.interfaceRecord);
    m_setup.keyButtonCount = std::clamp(setup.keyButtonCount, 0, kMaxKeys);
    m_preview.SetLedCount(setup.ledCount);
    m_setup.ledCount = m_preview.GetLedCount();
    SetLightListIndex(setup.lightListIndex);
}

void COrvenixUSBDevice::RebindInterface(const catalogue::DeviceListEntry& record) {
    m_setup.interfaceRecord = record;
    m_session.SetInterfaceRecord(record);
}

void COrvenixUSBDevice::SetProfileData(std::unique_ptr<profile::CBasicProfiledata> data) {
    std::lock_guard<std::recursive_mutex> lock(LedListLock());
    m_profileData = std::move(data);
}

QWidget* COrvenixUSBDevice::GetKeyButton(int index) const {
    return index >= 0 && size_t(index) < m_keyButtons.size() ? m_keyButtons[index] : nullptr;
}

QWidget* COrvenixUSBDevice::GetLedButton(int index) const {
    return index >= 0 && size_t(index) < m_ledButtons.size() ? m_ledButtons[index] : nullptr;
}

void COrvenixUSBDevice::ResetButtons() {
    m_keyButtons.assign(m_setup.keyButtonCount, nullptr);
    m_ledButtons.assign(m_preview.GetLedCount(), nullptr);
    m_pushedColours.fill(0);
}

void COrvenixUSBDevice::BuildLayout() {
    if (m_setup.layoutPath.isEmpty()) {
        m_setup.keyButtonCount = 0;
        m_setup.ledCount = 0;
        m_preview.SetLedCount(0);
        m_selectPanel = nullptr;
        ResetButtons();
        return;
    }
    ResetButtons();
    m_selectPanel = findChild<QWidget*>(QStringLiteral("SelectPanel"));
    if (m_selectPanel == nullptr) {
        return;
    }
    static const QRegularExpression kName(QStringLiteral("^(key|light)_([0-9]+)$"));
    const auto children = m_selectPanel->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (!IsDeviceKeyButton(child)) {
            continue;
        }
        const auto match = kName.match(child->objectName());
        if (!match.hasMatch()) {
            continue;
        }
        bool ok = false;
        const int n = match.captured(2).toInt(&ok);
        if (!ok) {
            continue;
        }
        if (match.captured(1) == QLatin1String("key")) {
            if (n < m_setup.keyButtonCount) {
                m_keyButtons[n] = child;
            }
        } else if (n < m_preview.GetLedCount()) {
            m_ledButtons[n] = child;
            PaintLedButton(child, kWhiteFullLevel);
            m_pushedColours[n] = kWhiteFullLevel;
        }
    }
}

// --- light settings and LED state ---------------------------------------------------------

void COrvenixUSBDevice::SetLightSettings(const profile::LightSetting& settings) {
    SetLightSettingsRecord(settings);
}

void COrvenixUSBDevice::SetAudioLightValues(const AudioLightValues& values) {
    m_audioLightValues = values;
    if (m_audioLightControl != nullptr) {
        m_audioLightControl->SetAudioLightValues(values);
    }
}

AudioLightValues COrvenixUSBDevice::GetAudioLightValues() {
    if (m_audioLightControl != nullptr) {
        m_audioLightValues = m_audioLightControl->GetAudioLightValues();
    }
    return m_audioLightValues;
}

void COrvenixUSBDevice::SetKeyMap(const std::map<int, int>& map) {
    m_keyMaps[2] = map;
}

void COrvenixUSBDevice::SetLedColour(int index, uint32_t value) {
    m_preview.SetLedColour(index, value);
}

uint32_t COrvenixUSBDevice::GetLedColour(int index) const {
    return m_preview.GetLedColour(index);
}

void COrvenixUSBDevice::StepLedFade(int led, int mode) {
    m_preview.StepLedFade(led, mode);
}

void COrvenixUSBDevice::ArmLedFades() {
    m_preview.ArmLedFades();
}

void COrvenixUSBDevice::RotateLedPattern(int direction) {
    m_preview.RotateLedPattern(direction);
}

void COrvenixUSBDevice::ClearPreview() {
    m_preview.ClearPerLedState();
}

// --- renderers ----------------------------------------------------------------------------

void COrvenixUSBDevice::RenderStatic() {
    m_preview.DoStatic(CurrentFrameParams());
}
void COrvenixUSBDevice::RenderBreathing() {
    m_preview.DoBreathing(CurrentFrameParams(), false);
}
void COrvenixUSBDevice::RenderBreathingFourColours() {
    m_preview.DoBreathing(CurrentFrameParams(), true);
}
void COrvenixUSBDevice::RenderSpectrum() {
    m_preview.DoSpectrum(CurrentFrameParams());
}
void COrvenixUSBDevice::RenderBlink() {
    m_preview.DoBlink(CurrentFrameParams(), false);
}
void COrvenixUSBDevice::RenderBlinkFourColours() {
    m_preview.DoBlink(CurrentFrameParams(), true);
}
void COrvenixUSBDevice::RenderOff() {
    m_preview.FillAll(0);
}

bool COrvenixUSBDevice::RenderBaseEffect(int effect, const FrameParams& p) {
    return m_preview.RenderBaseEffect(effect, p);
}

void COrvenixUSBDevice::RenderFrame(int effect) {
    switch (effect) {
        case 0:
            RenderStatic();
            break;
        case 1:
            RenderBreathing();
            break;
        case 3:
            RenderSpectrum();
            break;
        case 5:
            RenderBreathingFourColours();
            break;
        case 6:
            RenderBlink();
            break;
        case 8:
            RenderBlinkFourColours();
            break;
        case 10:
            RenderOff();
            break;
        default:
            RenderCustomEffect();
            break;
    }
}

void COrvenixUSBDevice::RenderCustomEffect() {
    std::lock_guard<std::recursive_mutex> lock(LedListLock());
    static const std::vector<profile::LightEffectStep> kNoSteps;
    m_preview.RenderCustomEffect(
        m_profileData != nullptr ? m_profileData->GetCustomEffectSteps() : kNoSteps,
        [this](int effect, const FrameParams& p) { return RenderBaseEffect(effect, p); });
}

void COrvenixUSBDevice::PushPreview() {
    if (!m_softwareLightControl.load()) {
        return;
    }
    const int count = std::min<int>(m_preview.GetLedCount(), int(m_ledButtons.size()));
    for (int i = 0; i < count; ++i) {
        QWidget* button = m_ledButtons[i];
        const uint32_t value = m_preview.GetLedColour(i);
        // Only changed colours are painted: the timer runs every 5 ms.
        if (button != nullptr && value != m_pushedColours[i]) {
            PaintLedButton(button, value);
            m_pushedColours[i] = value;
        }
    }
}

// --- preview thread -----------------------------------------------------------------------

bool COrvenixUSBDevice::IsPreviewWanted() const {
    // Nothing to render for: no device, or a preview nobody can see that drives nothing.
    return m_session.CommandProtocol().IsOpen() && !(m_hidden.load() && !PreviewDrivesDevice());
}

bool COrvenixUSBDevice::MayRenderPreviewFrame() const {
    return !m_lightSync.load() && m_session.CommandProtocol().IsOpen();
}

// --- event channels -----------------------------------------------------------------------

void COrvenixUSBDevice::OnSettingsChangedEvent() {
    // The entry's timers live on the UI thread; a queued call to a page that is gone by then is
    // dropped by Qt.
    QMetaObject::invokeMethod(
        this, [this] { ArmEntryTimer(kTimerSettingsReread, kSettingsRereadMs); },
        Qt::QueuedConnection);
}

// --- selector entry timers ----------------------------------------------------------------

void COrvenixUSBDevice::ArmEntryTimer(int id, int ms) {
    if (m_entry != nullptr) {
        m_entry->ArmTimer(id, ms);
    }
}

LRESULT COrvenixUSBDevice::SendToMainWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_setup.mainWindow == nullptr) {
        return 0;
    }
    return SendMessageW(m_setup.mainWindow, msg, wParam, lParam);
}

void COrvenixUSBDevice::OnEntryTimer(int id) {
    const bool entryVisible = m_entry == nullptr || m_entry->IsEntryVisible();
    switch (id) {
        case kTimerPreview:
            // While the window is hidden the preview is seen by nobody; unless it drives the
            // device's own lighting it waits, and looks again a few times a second.
            if (m_hidden.load() && !PreviewDrivesDevice()) {
                if (CommandProtocol().IsOpen()) {
                    ArmEntryTimer(kTimerPreview, kPreviewPeriodHiddenMs);
                }
                break;
            }
            PushPreview();
            if (m_entry != nullptr && m_entry->IsEntrySelected() && m_hover.load()) {
                m_entry->RepaintPreview();
            }
            if (CommandProtocol().IsOpen()) {
                ArmEntryTimer(kTimerPreview, OnReceiverChannel() ? kPreviewPeriodReceiverMs
                                                                 : kPreviewPeriodPrimaryMs);
            }
            break;
        case kTimerLinkCheck:
            if (OnReceiverChannel()) {
                if (!IsWirelessLinkUp()) {
                    m_linkMisses = (m_linkMisses + 1) % kMissCountWrap;
                    if (entryVisible) {
                        SendReachable(false);
                        if (m_entry != nullptr) {
                            m_entry->SetEntryVisible(false);
                        }
                    }
                    ArmEntryTimer(kTimerLinkCheck, kLinkCheckRetryMs);
                    break;
                }
                SendReachable(true);
            }
            ReadDevice();
            m_linkMisses = 0;
            ArmEntryTimer(kTimerPreview, kPreviewPeriodPrimaryMs);
            if (OnReceiverChannel()) {
                ArmEntryTimer(kTimerReachability, kReachabilityFirstMs);
            }
            break;
        case kTimerSettingsReread:
            RefreshSettings();
            break;
        case kTimerBattery:
            ReadBattery();
            if (m_setup.powerDisplayMode != 0) {
                ArmEntryTimer(kTimerBattery, kBatteryPeriodMs);
            }
            break;
        case kTimerReachability:
            if (!OnReceiverChannel()) {
                break;
            }
            if (IsWirelessLinkUp()) {
                if (!entryVisible) {
                    SendReachable(true);
                    ReadDevice();
                    if (m_setup.powerDisplayMode != 0) {
                        ReadBattery();
                    }
                }
            } else if (entryVisible) {
                SendReachable(false);
            }
            ArmEntryTimer(kTimerReachability, kReachabilityPeriodMs);
            break;
        default:
            break;
    }
}

// --- light control, panels, notifications -------------------------------------------------

void COrvenixUSBDevice::SetSoftwareLightControl(bool on) {
    m_softwareLightControl.store(on);
    if (on) {
        m_session.TakeBackLighting();
    }
}

controls::CDeviceProfileUI* COrvenixUSBDevice::GetProfileBar() const {
    return findChild<controls::CDeviceProfileUI*>(QStringLiteral("DeviceProfileItem"));
}

editors::CLightControlUI* COrvenixUSBDevice::GetLightEditor() const {
    return findChild<editors::CLightControlUI*>(QStringLiteral("LightControlItem"));
}

editors::CMacroControlUI* COrvenixUSBDevice::GetMacroEditor() const {
    return findChild<editors::CMacroControlUI*>(QStringLiteral("MacroControlItem"));
}

editors::CKeySetControlUI* COrvenixUSBDevice::GetKeyEditor() const {
    return findChild<editors::CKeySetControlUI*>(QStringLiteral("KeySetControlItem"));
}

void COrvenixUSBDevice::BindKeyEditor(const QStringList& macroNames) {
    if (editors::CKeySetControlUI* editor = GetKeyEditor()) {
        editor->InitControls();
        editor->ApplyDeviceType(GetTypeCode());
        editor->ReplaceMacroNames(macroNames);
    }
}

void COrvenixUSBDevice::BindMacroEditor() {
    if (editors::CMacroControlUI* editor = GetMacroEditor()) {
        editor->SetDataFolder(DeviceFolder());
        editor->LoadMacroIndex();
    }
}

void COrvenixUSBDevice::SetMultiDevice(bool multi) {
    m_multiDevice = multi;
    if (editors::CLightControlUI* editor = GetLightEditor()) {
        editor->SetSameModeAllowed(multi);
    }
}

void COrvenixUSBDevice::BindLightEditor() {
    editors::CLightControlUI* editor = GetLightEditor();
    if (editor == nullptr) {
        return;
    }
    editor->SetLightDeviceType(GetTypeCode());
    std::vector<editors::CLightControlUI::EffectEntry> effects;
    for (const Json::Value& e : LightConfigList(0)) {
        effects.push_back(
            {QString::fromStdString(profile::json::String(profile::json::Member(e, "LightName"))),
             profile::json::Flag(profile::json::Member(e, "visible"))});
    }
    editor->SetEffectList(effects, 4, 4);
    editor->SetSameModeAllowed(m_multiDevice);
    editor->ShowLightSetting(GetLightSettingsRecord());
}

void COrvenixUSBDevice::BindProfileBar(int tab) {
    controls::CDeviceProfileUI* bar = GetProfileBar();
    if (bar == nullptr) {
        return;
    }
    bar->SetDeviceType(GetTypeCode());
    bar->SetPaths(DeviceFolder(), DefaultProfilePath());
    bar->InitProfileList();
    bar->SelectEditorTab(tab);
    m_setup.profileName = bar->GetCurrentProfileId();
}

void COrvenixUSBDevice::ShowFunctionPanel(int type) {
    m_functionPanel = type;
    if (controls::CDeviceProfileUI* bar = GetProfileBar()) {
        bar->SelectEditorTab(type);
    }
    auto* functions = findChild<QStackedWidget*>(QStringLiteral("device_function_switch"));
    auto* keys = findChild<QStackedWidget*>(QStringLiteral("device_key_function_switch"));
    auto select = [](QStackedWidget* tabs, int index) {
        if (tabs != nullptr && index < tabs->count()) {
            tabs->setCurrentIndex(index);
        }
    };
    if (type == 4 && GetTypeCode() != 1 && GetTypeCode() != 2) {
        type = 7;
    }
    switch (type) {
        case 2:
        case 6:
            select(functions, 0);
            select(keys, 1);
            break;
        case 3:
        case 8:
            select(functions, 1);
            break;
        case 4:
            select(functions, 3);
            break;
        case 7:
            select(functions, 0);
            select(keys, 2);
            break;
        case 5:
            select(functions, 2);
            break;
        case 9:
            select(functions, 4);
            break;
        default:
            select(functions, 0);
            select(keys, 0);
            break;
    }
}

void COrvenixUSBDevice::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return;
    }
    const QString name = msg.pSender->objectName();
    if (name.isEmpty() || findChild<QWidget*>(name) == nullptr) {
        return;
    }
    DebugLine("测试成功   、n");
    HandleNotify(msg);
}

void COrvenixUSBDevice::SetAttribute(const QString& /*name*/, const QString& /*value*/) {
    // The page takes no attributes of its own; the builder handles size and placement.
}

// --- files --------------------------------------------------------------------------------

QString COrvenixUSBDevice::DeviceFolder() const {
    const QString folder = UserDataFolder() + m_setup.deviceKindName + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

QString COrvenixUSBDevice::ProfilePath() const {
    return DeviceFolder() + m_setup.profileName + QStringLiteral(".Json");
}

QString COrvenixUSBDevice::DefaultProfilePath() const {
    return DefaultDataFolder() + m_setup.deviceKindName + QStringLiteral(".Json");
}

QString COrvenixUSBDevice::DefaultDataFolder() const {
    return DefaultsFolder();
}

QString COrvenixUSBDevice::LightConfigPath() const {
    return DeviceFolder() + m_setup.lightConfigName + QStringLiteral(".config");
}

QString COrvenixUSBDevice::MacroListPath() const {
    return DeviceFolder() + QStringLiteral("macro.config");
}

QString COrvenixUSBDevice::MacroEventsPath(const QString& guid) const {
    return DeviceFolder() + guid + QStringLiteral(".mac");
}

QString COrvenixUSBDevice::ShootPatternPath(int n) const {
    if (n < 0 || n > 3) {
        return QString();
    }
    return DeviceFolder() + QStringLiteral("ShootData_%1.Shoot").arg(n);
}

}  // namespace q840::pages
