// The mouse page's exchanges with the mouse (identity, settings block, key table, battery), its
// profile files and the events the mouse sends.

#include "pages/COrvenixMouseDevice.h"

#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "controls/CMpDevicePowerUI.h"
#include "core/base/DebugLine.h"
#include "core/profile/BuiltInEffects.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/JsonAccess.h"
#include "core/profile/JsonFileStore.h"
#include "core/protocol/codecs/DeviceEvents.h"
#include "core/protocol/codecs/MouseDpi.h"
#include "core/session/MouseKeys.h"
#include "core/session/MouseSettings.h"

namespace q840::pages {

namespace {

using Info = protocol::InfoRecord;
using protocol::SettingsBlock;

// The mouse's built-in effects come first in the select-item numbering; custom effects follow.
constexpr int kBuiltInEffects = 12;

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

}  // namespace

int ReadMacroCount(const QString& macroListPath) {
    return session::ReadMacroCount(ToPath(macroListPath));
}

COrvenixMouseDevice::COrvenixMouseDevice(QWidget* parent) : COrvenixUSBDevice(parent) {
    m_keySlotMap.fill(protocol::kNoSlot);
    SetProfileData(std::make_unique<profile::CMouseProfiledata>());
    MouseProfile()->SetDeviceIndex(0);
}

COrvenixMouseDevice::~COrvenixMouseDevice() {
    // The renderers and the event hooks below run on the page's threads.
    StopThreads();
}

profile::CMouseProfiledata* COrvenixMouseDevice::MouseProfile() const {
    return static_cast<profile::CMouseProfiledata*>(GetProfileData());
}

std::array<uint8_t, SettingsBlock::kSize> COrvenixMouseDevice::GetSettingsCopy() const {
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    return m_settings;
}

int COrvenixMouseDevice::GetDeviceProfileIndex() const {
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    return m_settings[SettingsBlock::kOffProfileIndex];
}

int COrvenixMouseDevice::DpiNumber(int index) const {
    return protocol::DpiIndexToNumber(
        m_info.sensorId, m_info.dpiStep, m_info.dpiBase, index,
        protocol::DpiSliderMaximum(m_info.sensorId, m_info.sliderMaxPlus10));
}

int COrvenixMouseDevice::DpiIndex(int number) const {
    return protocol::DpiNumberToIndex(
        m_info.sensorId, m_info.dpiStep, m_info.dpiBase, number,
        protocol::DpiSliderMaximum(m_info.sensorId, m_info.sliderMaxPlus10));
}

bool COrvenixMouseDevice::LinkReady() {
    return Session().LinkReady();
}

// --- reading the mouse ------------------------------------------------------------------------

int COrvenixMouseDevice::ReadIdentity() {
    Info info;
    const session::InfoResult found = Session().ReadInfoRecord(info);
    if (found == session::InfoResult::NoAnswer) {
        return 0;
    }
    if (found == session::InfoResult::Unknown) {
        // Not a record this program knows how to work with: the session muted the protocol.
        m_info = info;
        m_infoValid = false;
        SendInfoValid(false);
        return 0;
    }
    m_info = info;
    m_infoValid = true;
    // The table and slots of an earlier read belong to that record.
    m_keyTableRead = false;
    m_keySlotMap.fill(protocol::kNoSlot);
    SendInfoValid(true);

    std::array<uint8_t, protocol::kKeyTableBufferSize> table{};
    if (Session().ReadKeyTable(info, table) != 1) {
        return 0;
    }
    m_keyTable = table;
    m_keyTableRead = true;

    m_keySlotMap =
        protocol::BuildKeySlotMap(m_keyTable.data(), info.KeyTableBytes(), info.keySlots);
    ApplySliderRanges();
    return 1;
}

int COrvenixMouseDevice::ReadSettingsBlock() {
    SetLightSyncFlag(false);
    std::array<uint8_t, SettingsBlock::kSize> block{};
    if (Session().ReadSettingsBlock(block) != 1) {
        return 0;
    }
    std::array<uint8_t, SettingsBlock::kSize> previous;
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        previous = m_settings;
        m_settings = block;
    }
    const SettingsBlock s = SettingsBlock::Decode(block.data(), block.size());

    if (m_effectCodes.empty()) {
        InitLightPreview();
    }
    const profile::LightSetting fromMouse = session::LightFromBlock(s, m_effectCodes);
    const uint8_t effect = fromMouse.effect;

    const profile::LightSetting before = GetLightSettingsRecord();
    const uint8_t oldEffect = before.effect;
    const profile::LightSetting light = profile::TakeBackFromBlock(before, fromMouse);
    SetLightSettingsRecord(light);
    m_stagedLight = light;

    session::TakeBackIntoProfile(*MouseProfile(), s, fromMouse);

    if (oldEffect != effect || previous[SettingsBlock::kOffEffect] != s.light.effect) {
        ClearPreview();
        SeedLedPattern();
    }
    SaveProfile();
    return 1;
}

void COrvenixMouseDevice::ReadDevice() {
    // Whatever the mouse held before is not known for this arrival.
    m_shootAreaHeld.clear();
    const bool identified = ReadIdentity() == 1;
    LoadProfile();
    // A change that never reached the mouse wins over what the mouse holds, which may be half
    // old and half new: that area is written, not read. Writing needs the identity just read.
    if (!m_pending.Has(profile::PendingArea::Settings)) {
        ReadSettingsBlock();
    }
    if (identified) {
        WritePendingAreas();
    }
    RefreshControls();
    StartPreview();
}

void COrvenixMouseDevice::RefreshSettings() {
    if (m_pending.Has(profile::PendingArea::Settings)) {
        WritePendingSettings();
    } else {
        ReadSettingsBlock();
    }
    RefreshControls();
}

void COrvenixMouseDevice::ReadBattery() {
    auto& proto = CommandProtocol();
    // A muted protocol would hand the display a record of nothing.
    if (!proto.IsOpen() || proto.IsMuted() || GetHiddenFlag() || !proto.LinkCheck()) {
        return;
    }
    uint8_t status[2] = {0, 0};
    if (proto.ReadStatus(status, 2, 0) != protocol::kResultOk) {
        return;
    }
    m_lastBatteryPercent = status[0];
    const auto record = protocol::MousePowerRecord(status, OnReceiverChannel());
    if (auto* power = qobject_cast<controls::CMpDevicePowerUI*>(GetBatteryControl())) {
        power->SetPowerInfo(record.data(), int(record.size()));
    }
    SendBatteryRead(record[4]);
}

bool COrvenixMouseDevice::IsWirelessLinkUp() {
    auto& proto = CommandProtocol();
    return proto.IsOpen() && OnReceiverChannel() && LinkReady();
}

// --- writing the mouse ------------------------------------------------------------------------

std::array<uint8_t, SettingsBlock::kSize> COrvenixMouseDevice::BuildSettingsBlock(int value) const {
    return session::BuildMouseSettingsBlock(*MouseProfile(), m_info.sensorId, uint8_t(value));
}

int COrvenixMouseDevice::SendSettingsBlock(const std::array<uint8_t, SettingsBlock::kSize>& block,
                                           int profileNumber) {
    return Session().WriteSettingsBlock(block, profileNumber);
}

int COrvenixMouseDevice::WriteSettingsBlock(int profileNumber, int value) {
    if (profileNumber < 0) {
        return 0;
    }
    // Without a profile the block would be all zeros: every DPI stage of the mouse switched off.
    if (MouseProfile()->GetDeviceNode().isNull()) {
        DebugLine("配置未加载，不写设置");
        return 0;
    }
    const int result = SendSettingsBlock(BuildSettingsBlock(value), profileNumber);
    NoteWrite(profile::PendingArea::Settings, result);
    return result;
}

int COrvenixMouseDevice::SendKeyTable(int bank, const std::vector<int>& keys) {
    const int result = WriteKeys(bank, keys, nullptr);
    NoteWrite(profile::PendingArea::KeyTable, result);
    return result;
}

int COrvenixMouseDevice::WriteKeys(int bank, const std::vector<int>& keys,
                                   std::array<uint8_t, protocol::kKeyTableBufferSize>* written) {
    auto& proto = CommandProtocol();
    if (!proto.IsOpen() || !LinkReady()) {
        return 0;
    }
    std::array<uint8_t, Info::kSize> raw{};
    if (proto.ReadInfo(raw.data()) != protocol::kResultOk) {
        return 0;
    }
    // Without a table as read there is nothing to start from: a table of zeros would wipe every
    // key of the mouse.
    if (!m_keyTableRead) {
        DebugLine("键表尚未读取，不写键表");
        return 0;
    }
    const size_t tableBytes = m_info.KeyTableBytes();
    std::array<uint8_t, protocol::kKeyTableBufferSize> table = m_keyTable;

    session::FillKeyTable(table, tableBytes, m_keySlotMap, keys,
                          MouseProfile()->GetKeyAssignments(), ReadMacroCount(MacroListPath()));
    if (written != nullptr) {
        *written = table;
    }
    return Session().WriteKeyTable(table, tableBytes, bank);
}

std::vector<int> COrvenixMouseDevice::ProfileKeyCodes() const {
    return session::ProfileKeyCodes(MouseProfile()->GetKeyAssignments());
}

int COrvenixMouseDevice::ApplyKeys(int bank) {
    return SendKeyTable(bank, ProfileKeyCodes());
}

// --- changes the mouse has not got yet ------------------------------------------------------

void COrvenixMouseDevice::SetPending(profile::PendingArea area, bool pending) {
    if (pending ? m_pending.Mark(area) : m_pending.Clear(area)) {
        DebugLine(pending ? "write %d pending until the mouse is back" : "pending write %d done",
                  int(area));
        emit pendingWritesChanged();
        if (area == profile::PendingArea::KeyTable) {
            UpdateKeyEditorButtons();
        }
    }
}

void COrvenixMouseDevice::NoteWrite(profile::PendingArea area, int result) {
    // A muted protocol keeps this program away from a mouse it does not know: nothing was sent,
    // nothing failed, and nothing reached the mouse either.
    if (CommandProtocol().IsMuted()) {
        return;
    }
    SetPending(area, result != 1);
}

int COrvenixMouseDevice::WritePendingAreas() {
    const int settings = WritePendingSettings();
    // The macro area before the key table, whose macro keys name positions in it. The mouse has
    // no command to read the area back: its mark goes once the mouse has answered every packet.
    const int macros = WritePendingMacroArea();
    const int shoot = WritePendingShootArea();
    const int keys = WritePendingKeyTable();
    return settings == 1 && macros == 1 && shoot == 1 && keys == 1 && !m_pending.Any() ? 1 : 0;
}

int COrvenixMouseDevice::WritePendingSettings() {
    if (!m_pending.Has(profile::PendingArea::Settings)) {
        return 1;
    }
    SetLightSyncFlag(false);
    auto& proto = CommandProtocol();
    if (proto.IsMuted() || !m_infoValid || MouseProfile()->GetDeviceNode().isNull()) {
        return 0;
    }
    // The page always writes profile 0 with byte 0 = 0, so the block read back from address 0
    // carries the profile index in its byte 0 as written.
    const auto block = BuildSettingsBlock(0);
    if (SendSettingsBlock(block, 0) != 1 || !LinkReady()) {
        return 0;
    }
    std::array<uint8_t, SettingsBlock::kSize> back{};
    if (proto.ReadSettings(back.data(), int(back.size()), 0) != protocol::kResultOk) {
        return 0;
    }
    if (back != block) {
        DebugLine("settings block read back differs from the one written: still pending");
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        m_settings = back;
    }
    SetPending(profile::PendingArea::Settings, false);
    return 1;
}

int COrvenixMouseDevice::WritePendingKeyTable() {
    if (!m_pending.Has(profile::PendingArea::KeyTable)) {
        return 1;
    }
    auto& proto = CommandProtocol();
    if (proto.IsMuted()) {
        return 0;
    }
    std::array<uint8_t, protocol::kKeyTableBufferSize> table{};
    if (WriteKeys(0, ProfileKeyCodes(), &table) != 1 || !LinkReady()) {
        return 0;
    }
    std::array<uint8_t, protocol::kKeyTableBufferSize> back{};
    if (proto.ReadKeyTable(back.data()) != protocol::kResultOk) {
        return 0;
    }
    const size_t tableBytes = m_info.KeyTableBytes();
    if (!std::equal(table.begin(), table.begin() + tableBytes, back.begin())) {
        DebugLine("key table read back differs from the one written: still pending");
        return 0;
    }
    // What the mouse holds now is the table later writes start from.
    m_keyTable = back;
    SetPending(profile::PendingArea::KeyTable, false);
    return 1;
}

void COrvenixMouseDevice::DropStaleMacroKeys() {
    const int macroCount = ReadMacroCount(MacroListPath());
    auto* data = MouseProfile();
    std::vector<profile::KeyAssignmentPair> pairs = data->GetKeyAssignments();
    const bool changed = session::DropStaleMacroKeys(pairs, macroCount);
    if (!changed) {
        return;
    }
    data->WriteKeyAssignments(pairs);
    SaveProfile();
    for (int i = 0; i < GetKeyButtonCount(); ++i) {
        if (QWidget* button = GetKeyButton(i)) {
            button->update();
        }
    }
    RefreshKeyList();
}

// --- profile ----------------------------------------------------------------------------------

void COrvenixMouseDevice::LoadProfileFiles() {
    auto* data = MouseProfile();
    data->SetDefaultProfilePath(ToPath(DefaultProfilePath()));
    data->SetDeviceIndex(0);
    data->SetLightConfigPath(ToPath(LightConfigPath()));
    data->SetCustomEffectSource(GetLightListIndex(), kBuiltInEffects);
    if (GetProfileFileName().isEmpty()) {
        // No profile chosen yet: show the factory profile and keep nothing.
        DebugLine("未选择配置文件，使用默认配置");
        data->LoadDeviceNode(ToPath(DefaultProfilePath()));
    } else {
        data->SetProfilePath(ToPath(ProfilePath()));
        data->LoadDeviceNode(ToPath(ProfilePath()));
    }
    data->LoadLightConfig(ToPath(LightConfigPath()));
    // The marks belong to the profile file; another profile brings its own.
    const bool wasPending = m_pending.Any();
    m_pending.Load(GetProfileFileName().isEmpty() ? std::filesystem::path()
                                                  : data->GetProfilePath());
    if (m_pending.Any() != wasPending) {
        emit pendingWritesChanged();
    }
}

void COrvenixMouseDevice::LoadProfile() {
    LoadProfileFiles();
    auto* data = MouseProfile();
    data->ReadKeyAssignments();
    LoadLightState();
    data->ReadDpiStages();
    data->ReadSystemSettings();
}

void COrvenixMouseDevice::LoadDefaultProfile() {
    auto* data = MouseProfile();
    data->SetDefaultProfilePath(ToPath(DefaultProfilePath()));
    data->SetDeviceIndex(0);
    data->SetLightConfigPath(ToPath(LightConfigPath()));
    data->SetCustomEffectSource(GetLightListIndex(), kBuiltInEffects);
    if (!GetProfileFileName().isEmpty()) {
        data->SetProfilePath(ToPath(ProfilePath()));
    }
    data->LoadDeviceNode(ToPath(DefaultProfilePath()));
    data->LoadLightConfig(ToPath(LightConfigPath()));
    data->ReadKeyAssignments();
    LoadLightState();
    data->ReadDpiStages();
    data->ReadSystemSettings();
    SaveProfile();
    RefreshControls();
}

QString COrvenixMouseDevice::GetProfileName() {
    auto* data = MouseProfile();
    if (!data->GetProfilePath().empty()) {
        const Json::Value root = data->Store().ReadJsonFile(data->GetProfilePath());
        const std::string name = profile::json::String(profile::json::Member(root, "profilename"));
        if (!name.empty()) {
            return QString::fromStdString(name);
        }
    }
    return GetProfileFileName();
}

void COrvenixMouseDevice::SaveProfile() {
    auto* data = MouseProfile();
    if (data->GetProfilePath().empty()) {
        return;
    }
    if (!data->SaveCurrent()) {
        DebugLine("配置文件保存失败");
    }
}

void COrvenixMouseDevice::SetLightListIndex(int index) {
    COrvenixUSBDevice::SetLightListIndex(index);
    MouseProfile()->SetDeviceIndex(0);
    MouseProfile()->SetCustomEffectSource(index, kBuiltInEffects);
}

void COrvenixMouseDevice::SetLightSettings(const profile::LightSetting& settings) {
    COrvenixUSBDevice::SetLightSettings(settings);
    MouseProfile()->WriteLightSetting(settings);
}

profile::LightSetting COrvenixMouseDevice::GetLightSettings() {
    return GetLightSettingsRecord();
}

void COrvenixMouseDevice::InitLightPreview() {
    const int index = GetLightListIndex();
    profile::JsonFileStore store;
    const Json::Value builtIn =
        store.ReadJsonFile(ToPath(DefaultDataFolder() + QLatin1String(profile::kBuiltInLightFile)));
    using profile::json::Element;
    using profile::json::Member;
    const Json::Value& areas = Element(Member(builtIn, "AreaLightName"), Json::ArrayIndex(index));
    const Json::Value& custom =
        Element(Member(MouseProfile()->GetLightConfig(), "LightInfo"), Json::ArrayIndex(index));
    std::vector<int> codes;
    Json::Value effectList(Json::arrayValue);
    for (const profile::BuiltInEffect& e : profile::ReadBuiltInEffects(builtIn, index)) {
        Json::Value entry(Json::objectValue);
        entry["LightName"] = e.nameKey;
        entry["visible"] = e.visible ? 1 : 0;
        entry["value"] = Json::Int(e.code);
        codes.push_back(e.code);
        effectList.append(entry);
    }
    LightConfigList(0) = effectList;
    LightConfigList(1) = areas.isArray() ? areas : Json::Value(Json::arrayValue);
    LightConfigList(2) = custom.isArray() ? custom : Json::Value(Json::arrayValue);
    m_effectCodes = std::move(codes);

    // The key editor offers the macros by name.
    ReadMacroNames();
}

void COrvenixMouseDevice::ReadMacroNames() {
    using profile::json::Member;
    m_macroNames.clear();
    const Json::Value macros = profile::JsonFileStore().ReadJsonFile(ToPath(MacroListPath()));
    const Json::Value& list = Member(macros, "MacroInfo");
    if (list.isArray()) {
        for (const Json::Value& m : list) {
            m_macroNames << QString::fromStdString(profile::json::String(Member(m, "MacroName")));
        }
    }
}

// --- events -----------------------------------------------------------------------------------

void COrvenixMouseDevice::OnDeviceEvent(int code) {
    // Listener thread: only decide here; the page's state and widgets belong to the UI thread.
    if (!protocol::IsProfileEvent(uint16_t(code)) || !CommandProtocol().IsOpen()) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, code] { ApplyProfileEvent(code); }, Qt::QueuedConnection);
}

void COrvenixMouseDevice::ApplyProfileEvent(int code) {
    if (!CommandProtocol().IsOpen()) {
        return;
    }
    const auto event = uint16_t(code);
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        m_settings[SettingsBlock::kOffProfileIndex] = protocol::EventProfile(event);
        if (protocol::CarriesDpiStage(event)) {
            m_settings[SettingsBlock::kOffActiveStage] = protocol::EventDpiStage(event);
        }
    }
    if (protocol::CarriesDpiStage(event)) {
        // The mouse's own button chose the stage: keep it, or the next write would undo it.
        MouseProfile()->SetActiveDpiStage(protocol::EventDpiStage(event));
        SaveProfile();
    }
    RefreshControls();
}

void COrvenixMouseDevice::OnKeyPressEvent() {
    if (GetLightSettingsRecord().effect != 7) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(LedLock());
    const int count = GetLedCount();
    for (int led = 0; led < count; ++led) {
        // xorshift: cheap and good enough for colours.
        m_randomState ^= m_randomState << 13;
        m_randomState ^= m_randomState >> 17;
        m_randomState ^= m_randomState << 5;
        m_reactiveHues[size_t(led)] = uint8_t(m_randomState % kWheelSteps);
        StartLedRise(led);
    }
}

}  // namespace q840::pages
