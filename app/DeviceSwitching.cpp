#include "app/DeviceSwitching.h"

#include <set>

#include <QBoxLayout>
#include <QStackedWidget>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "controls/CMpDevicePowerUI.h"
#include "core/base/DebugLine.h"
#include "core/catalogue/Catalogue.h"
#include "core/hid/CHidDevice.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"

namespace q840 {

using catalogue::DeviceListEntry;
using pages::COrvenixUSBDevice;

namespace {

constexpr int kScanPauseMs = 101;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool IsKeyboardType(int type) {
    return type == catalogue::kTypeKeyboard || type == catalogue::kTypeKeyboardReceiver;
}
bool IsMouseType(int type) {
    return type == catalogue::kTypeMouse || type == catalogue::kTypeMouseReceiver;
}

// Debug lines of an arrival or removal, by kind: keyboard, mouse, mouse pad or headset.
struct KindLines {
    const char* keyboard;
    const char* mouse;
    const char* padOrHeadset;
};
constexpr KindLines kArrivalLines = {"添加一个键盘设备", "添加一个鼠标设备", "添加一个鼠标垫设备"};
constexpr KindLines kRemovalLines = {"删除一个键盘设备", "删除一个鼠标设备", "删除一个鼠标垫设备"};

void DebugLineByKind(int type, const KindLines& lines) {
    if (IsKeyboardType(type)) {
        OutputDebugLine(lines.keyboard);
    } else if (IsMouseType(type)) {
        OutputDebugLine(lines.mouse);
    } else if (type == catalogue::kTypeMousePad || type == catalogue::kTypeHeadset) {
        OutputDebugLine(lines.padOrHeadset);
    }
}

// The selector entry a page was linked to.
entry::CDeviceOptionUI* EntryOfPage(const COrvenixUSBDevice* page) {
    return qobject_cast<entry::CDeviceOptionUI*>(dynamic_cast<QObject*>(page->GetEntryHost()));
}

// The page's copy of its interface record with the bound interface's path: the identity stays
// the device's own (for a receiver, its cable partner's), so the page is found again by it.
void HandEntryToPage(COrvenixUSBDevice& page, const DeviceListEntry& bound) {
    DeviceListEntry record = page.GetInterfaceRecord();
    record.path = bound.path;
    record.connected = 1;
    page.RebindInterface(record);
}

}  // namespace

DeviceSwitching::DeviceSwitching(IDeviceSwitchHost& host)
    : m_host(host), m_list(std::make_shared<catalogue::DeviceList>()) {}

DeviceSwitching::~DeviceSwitching() = default;

QWidget* DeviceSwitching::Find(const char* name) const {
    return m_host.PaintManager().FindControl(QString::fromLatin1(name));
}

std::vector<COrvenixUSBDevice*>* DeviceSwitching::PageListOfType(int typeCode) {
    switch (catalogue::PageKindOfType(static_cast<uint16_t>(typeCode))) {
        case catalogue::PageKind::Keyboard:
            return &m_keyboardPages;
        case catalogue::PageKind::Mouse:
            return &m_mousePages;
        case catalogue::PageKind::MousePad:
            return &m_padPages;
        case catalogue::PageKind::Headset:
            return &m_headsetPages;
        default:
            return nullptr;
    }
}

std::vector<COrvenixUSBDevice*> DeviceSwitching::AllPages() const {
    std::lock_guard<std::mutex> lock(m_pagesMutex);
    std::vector<COrvenixUSBDevice*> all;
    for (const auto* list : {&m_keyboardPages, &m_mousePages, &m_padPages, &m_headsetPages}) {
        all.insert(all.end(), list->begin(), list->end());
    }
    return all;
}

int DeviceSwitching::EntryIndexOf(const entry::CDeviceOptionUI* entry) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i] == entry) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DeviceSwitching::VisibleEntryCount() const {
    int visible = 0;
    for (const entry::CDeviceOptionUI* entry : m_entries) {
        visible += entry->IsEntryVisible() ? 1 : 0;
    }
    return visible;
}

COrvenixUSBDevice* DeviceSwitching::PageOfDeviceEntry(const DeviceListEntry& entry) const {
    for (COrvenixUSBDevice* page : AllPages()) {
        if (catalogue::IdenticalEntries(page->GetInterfaceRecord(), entry)) {
            return page;
        }
    }
    return nullptr;
}

COrvenixUSBDevice* DeviceSwitching::PageOfEventEntry(const DeviceListEntry& entry) const {
    // An event interface belongs to the page whose own device, or whose partner, has the same
    // vendor, product and type code.
    const auto sameDevice = [&entry](const DeviceListEntry& other) {
        return other.vendorId == entry.vendorId && other.productId == entry.productId &&
               other.typeCode == entry.typeCode;
    };
    for (COrvenixUSBDevice* page : AllPages()) {
        if (catalogue::PageKindOfType(static_cast<uint16_t>(page->GetInterfaceRecord().typeCode)) !=
            catalogue::PageKindOfType(entry.typeCode)) {
            continue;
        }
        const DeviceListEntry& own = page->GetInterfaceRecord();
        if (sameDevice(own)) {
            return page;
        }
        const int self = [&] {
            for (size_t i = 0; i < m_list->Size(); ++i) {
                if (catalogue::IdenticalEntries(m_list->Entry(int(i)), own)) {
                    return int(i);
                }
            }
            return -1;
        }();
        const DeviceListEntry& mine = m_list->Entry(self);
        if (self >= 0 && mine.hasPartner && sameDevice(m_list->Entry(mine.partner))) {
            return page;
        }
    }
    return nullptr;
}

// --- building a device's user interface ---------------------------------------------------------

void DeviceSwitching::AttachBuiltInPages() {
    // The mouse and the keyboard get their pages before any device arrives; their entries stay
    // hidden until one does.
    for (size_t record = 0; record < 2 && record < catalogue::kDeviceTypeRowCount; ++record) {
        const catalogue::DeviceTypeRow& type = catalogue::kDeviceTypeTable[record];
        for (size_t row = 0; row < catalogue::kInterfaceRowCount; ++row) {
            const DeviceListEntry& e = m_list->Entry(static_cast<int>(row));
            if (e.vendorId == type.vendorId && e.productId == type.productId &&
                e.typeCode == type.typeCode && type.subIndex == 0) {
                if (!Attach(static_cast<int>(row), type.subIndex)) {
                    DebugLine("built-in page of \"%s\" could not be built", type.kindName);
                }
                break;
            }
        }
    }
}

bool DeviceSwitching::Attach(int row, int key) {
    if (!m_list->IsValidIndex(row)) {
        return false;
    }
    const int deviceIndex = m_list->DeviceEntryOf(row);
    const DeviceListEntry device = m_list->Entry(deviceIndex);
    if (PageListOfType(device.typeCode) == nullptr) {
        return false;
    }
    const int typeRow = catalogue::FindDeviceTypeRow(device.vendorId, device.productId,
                                                     device.typeCode, static_cast<uint16_t>(key));
    if (typeRow < 0) {
        return false;
    }
    const catalogue::DeviceTypeRow& type = catalogue::kDeviceTypeTable[size_t(typeRow)];
    const catalogue::DeviceLayoutRow& layout = catalogue::kDeviceLayoutTable[size_t(typeRow)];

    ui::CPaintManagerUI& pm = m_host.PaintManager();
    auto* strip = Find(kEntryStrip);
    auto* pageTabs = qobject_cast<QStackedWidget*>(Find(kPageTabs));
    auto* powerTabs = qobject_cast<QStackedWidget*>(Find(kPowerTabs));
    if (strip == nullptr || strip->layout() == nullptr || pageTabs == nullptr ||
        powerTabs == nullptr) {
        return false;
    }

    // Power panel, selector entry, page: a layout that yields nothing ends the attach, and what
    // was already built is dropped again.
    ui::CDialogBuilder builder;
    std::unique_ptr<QWidget> power(
        builder.Create(QString::fromLatin1(kPowerLayout), m_host.BuilderCallback(), &pm));
    if (!power) {
        return false;
    }
    std::unique_ptr<QWidget> entryWidget(
        builder.Create(QString::fromLatin1(type.entryLayout), m_host.BuilderCallback(), &pm));
    auto* entry = qobject_cast<entry::CDeviceOptionUI*>(entryWidget.get());
    if (entry == nullptr) {
        return false;
    }
    std::unique_ptr<QWidget> pageWidget(
        builder.Create(QString::fromLatin1(layout.pageLayoutFile), m_host.BuilderCallback(), &pm));
    auto* page = qobject_cast<COrvenixUSBDevice*>(pageWidget.get());
    if (page == nullptr) {
        DebugLine("no page for \"%s\" (%s)", type.kindName, layout.pageLayoutFile);
        return false;
    }

    // The power panel.
    const int powerIndex = powerTabs->count();
    power->setObjectName(QStringLiteral("device_power_%1").arg(powerIndex));
    if (auto* panel = qobject_cast<controls::CMpDevicePowerUI*>(power.get())) {
        panel->SetType(type.typeCode, type.subIndex);
    }
    QWidget* powerControl = power.release();
    powerTabs->addWidget(powerControl);
    m_powerControls.push_back(powerControl);

    // The page: its set-up, then its content.
    pages::PageSetup setup;
    setup.paintManager = &pm;
    setup.layoutPath = QString::fromLatin1(layout.pageLayoutFile);
    setup.mainWindow = m_host.WindowHandle();
    setup.keyButtonCount = layout.keyButtons;
    setup.ledCount = layout.lightButtons;
    setup.deviceTypeRow = typeRow;
    setup.powerDisplayMode = layout.powerDisplayMode;
    setup.logoLed = layout.logoLed;
    // The page's profile bar names its profile when the page lays itself out.
    setup.deviceKindName = QString::fromLatin1(type.kindName);
    setup.batteryControl = powerControl;
    setup.interfaceRecord = device;
    setup.lightListIndex = type.lightListIndex;
    setup.lightConfigName = QString::fromLatin1(layout.lightConfigName);
    page->Setup(setup);
    page->BuildLayout();
    pageWidget.release();
    const int pageIndex = pageTabs->addWidget(page);
    {
        std::lock_guard<std::mutex> lock(m_pagesMutex);
        PageListOfType(device.typeCode)->push_back(page);
    }

    // The selector entry: hidden and not selected until its device is there.
    entryWidget.release();
    qobject_cast<QBoxLayout*>(strip->layout()) != nullptr
        ? qobject_cast<QBoxLayout*>(strip->layout())->addWidget(entry)
        : strip->layout()->addWidget(entry);
    m_entries.push_back(entry);
    entry->SetOptionGroup(QString::fromLatin1(kEntryGroup));
    entry->SelectEntry(false);
    entry->BindTab(QString::fromLatin1(kPageTabs), pageIndex);
    entry->SetPowerControl(powerControl->objectName(),
                           layout.powerDisplayMode != 0 ? powerIndex : -1);
    entry->SetEntryDeviceType(type.typeCode, type.subIndex);
    if (const entry::DeviceIcons* icons = entry::IconsForDeviceType(type.typeCode, type.subIndex)) {
        entry->SetEntryName(QString::fromLatin1(icons->nameKey));
    }
    entry->SetEntryVisible(false);
    entry->SetPage(page);
    page->SetEntryHost(entry);
    QObject::connect(page, &COrvenixUSBDevice::pendingWritesChanged, page,
                     [this] { m_host.OnPendingWritesChanged(); });
    return true;
}

// --- arrival and removal ------------------------------------------------------------------------

void DeviceSwitching::Bind(int index) {
    if (!m_list->IsValidIndex(index)) {
        return;
    }
    const DeviceListEntry e = m_list->Entry(index);
    DebugLineByKind(e.typeCode, kArrivalLines);

    const DeviceListEntry device = m_list->Entry(m_list->DeviceEntryOf(index));
    if (e.role == catalogue::kRoleCommand) {
        if (PageOfDeviceEntry(device) == nullptr) {
            Attach(index, 0);
        }
    } else if (PageOfEventEntry(e) == nullptr) {
        // An event interface never gets a page of its own: the page is its device's, built from
        // the device's command interface row when the event interface comes first.
        const int commandRow = catalogue::FindInterfaceRow(e.vendorId, e.productId, e.typeCode,
                                                           catalogue::kRoleCommand);
        if (commandRow >= 0 &&
            PageOfDeviceEntry(m_list->Entry(m_list->DeviceEntryOf(commandRow))) == nullptr) {
            Attach(commandRow, 0);
        }
    }

    if (e.role == catalogue::kRoleCommand && m_list->ShouldBindCommandInterface(index)) {
        COrvenixUSBDevice* page = PageOfDeviceEntry(device);
        if (page != nullptr) {
            protocol::CDeviceProtocol& protocol = page->CommandProtocol();
            const bool receiver = catalogue::IsReceiverType(e.typeCode);
            if (!protocol.IsOpen()) {
                std::lock_guard<std::recursive_mutex> lock(protocol.IoLock());
                hid::CHidDevice& channel =
                    receiver ? protocol.ReceiverChannel() : protocol.PrimaryChannel();
                if (channel.Open(e.path, true, true, true, false)) {
                    protocol.SetOpen(true);
                    protocol.SetChannel(receiver ? 2 : 1);
                    m_host.OnDeviceNodeAccess(std::string(), std::string());
                    HandEntryToPage(*page, e);
                } else {
                    DebugLine("could not open %s (no access to the device node?)", e.path.c_str());
                    m_host.OnDeviceNodeAccess(e.path, channel.GetLastOpenError());
                }
            }
            auto* entry = EntryOfPage(page);
            const int entryIndex = EntryIndexOf(entry);
            // A device the program cannot open (no access to its node) is not offered: its page
            // could show nothing of it. The removal check frees its entry once it goes.
            if (entryIndex >= 0 && protocol.IsOpen()) {
                if (e.typeCode != catalogue::kTypeMouseReceiver) {
                    ShowEntry(entryIndex, true, VisibleEntryCount() == 0);
                }
                entry->ArmLinkCheck();
            }
        }
    } else if (e.role == catalogue::kRoleCommand && m_list->SwitchesChannel(index)) {
        InterfaceSwitch(index);
    } else if (e.role == catalogue::kRoleEvent) {
        if (COrvenixUSBDevice* page = PageOfEventEntry(e)) {
            page->OpenListener(e);
        }
    }
    m_host.RunActivation();
}

void DeviceSwitching::Release(int index) {
    if (!m_list->IsValidIndex(index)) {
        return;
    }
    const DeviceListEntry e = m_list->Entry(index);
    DebugLineByKind(e.typeCode, kRemovalLines);
    if (e.role == catalogue::kRoleCommand && !m_list->PartnerBound(index)) {
        if (IsMouseType(e.typeCode)) {
            OutputDebugLine("鼠标设备丢失");
        }
        COrvenixUSBDevice* page = PageOfDeviceEntry(m_list->Entry(m_list->DeviceEntryOf(index)));
        if (page == nullptr) {
            return;
        }
        protocol::CDeviceProtocol& protocol = page->CommandProtocol();
        protocol.SetOpen(false);
        protocol.PrimaryChannel().Close();
        protocol.ReceiverChannel().Close();
        DeviceListEntry record = page->GetInterfaceRecord();
        record.path.clear();
        record.connected = 0;
        page->RebindInterface(record);
        const int entryIndex = EntryIndexOf(EntryOfPage(page));
        HideEntry(entryIndex);
    } else if (e.role == catalogue::kRoleCommand && m_list->SwitchesChannel(index)) {
        InterfaceSwitch(index);
    } else if (e.role == catalogue::kRoleEvent) {
        if (COrvenixUSBDevice* page = PageOfEventEntry(e)) {
            page->CloseListener(e.typeCode);
        }
    }
}

void DeviceSwitching::InterfaceSwitch(int index) {
    // `index` is the cable entry (type 2) whose receiver partner is bound.
    const DeviceListEntry cable = m_list->Entry(index);
    const DeviceListEntry receiver = m_list->Entry(cable.partner);
    COrvenixUSBDevice* page = PageOfDeviceEntry(cable);
    if (page == nullptr) {
        page = PageOfDeviceEntry(receiver);
    }
    if (page == nullptr) {
        return;
    }
    protocol::CDeviceProtocol& protocol = page->CommandProtocol();
    const bool onReceiver = protocol.GetChannel() == protocol::CDeviceProtocol::kReceiverChannel;
    bool opened = false;
    {
        std::lock_guard<std::recursive_mutex> lock(protocol.IoLock());
        protocol.SetOpen(false);
        if (onReceiver) {
            protocol.PrimaryChannel().Close();
            opened = !cable.path.empty() &&
                     protocol.PrimaryChannel().Open(cable.path, true, true, true, false);
            if (opened) {
                HandEntryToPage(*page, cable);
            }
        } else {
            protocol.ReceiverChannel().Close();
            opened = !receiver.path.empty() &&
                     protocol.ReceiverChannel().Open(receiver.path, true, true, true, false);
            if (opened) {
                HandEntryToPage(*page, receiver);
            }
        }
    }
    if (!opened) {
        DebugLine("interface switch: the other interface could not be opened");
        return;
    }
    protocol.SetOpen(true);
    auto* entry = EntryOfPage(page);
    if (onReceiver) {
        // Now on the cable.
        protocol.SetChannel(1);
        if (entry != nullptr) {
            entry->ArmLinkCheck();
        }
        SendMessageW(m_host.WindowHandle(), kMsgEntryReachable, WPARAM(page->GetDeviceTypeRow()),
                     1);
        page->ReadBattery();
        return;
    }
    // Now on the receiver: wait until the mouse answers through it, within a bounded time.
    protocol.SetChannel(2);
    const int64_t started = NowMs();
    for (int misses = 0; !protocol.LinkCheck();) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kSwitchLinkPauseMs));
        if (++misses >= kSwitchLinkChecks || NowMs() - started > kSwitchLinkBudgetMs) {
            break;
        }
        OutputDebugLine("获取2.4G模式失败");
    }
    OutputDebugLine("获取2");
    page->ReadBattery();
    if (entry != nullptr) {
        entry->ArmReachability(2000);
    }
}

// --- the selector -------------------------------------------------------------------------------

void DeviceSwitching::ShowPowerOf(entry::CDeviceOptionUI* entry) {
    auto* powerTabs = qobject_cast<QStackedWidget*>(Find(kPowerTabs));
    if (powerTabs == nullptr) {
        return;
    }
    const int battery = entry->GetBatteryValue();
    if (battery < 0 || battery >= powerTabs->count()) {
        powerTabs->hide();
        return;
    }
    powerTabs->show();
    powerTabs->setCurrentIndex(battery);
}

void DeviceSwitching::ShowEntry(int index, bool visible, bool select) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return;
    }
    entry::CDeviceOptionUI* entry = m_entries[size_t(index)];
    entry->SetEntryVisible(visible);
    if (select) {
        if (auto* tabs = qobject_cast<QStackedWidget*>(
                m_host.PaintManager().FindControl(entry->GetBoundTabName()))) {
            if (entry->GetBoundTabIndex() >= 0 && entry->GetBoundTabIndex() < tabs->count()) {
                tabs->setCurrentIndex(entry->GetBoundTabIndex());
            }
        }
        ShowPowerOf(entry);
        entry->ArmBattery();
        // One selected entry at a time, also where the option group does not enforce it.
        for (entry::CDeviceOptionUI* other : m_entries) {
            if (other != entry && other->IsEntrySelected()) {
                other->SelectEntry(false);
            }
        }
    }
    entry->SelectEntry(select);

    const int visibleCount = VisibleEntryCount();
    if (visibleCount > 0) {
        m_host.ShowNoDevice(false);
    } else {
        m_host.ShowNoDevice(true);
        if (auto* power = qobject_cast<QStackedWidget*>(Find(kPowerTabs));
            power && power->count()) {
            power->setCurrentIndex(0);
        }
        if (auto* pages = qobject_cast<QStackedWidget*>(Find(kPageTabs)); pages && pages->count()) {
            pages->setCurrentIndex(0);
        }
    }
    SetPagesMultiDevice(visibleCount > 1);
    // Synchronised lighting only means something with more than one device.
    if (QWidget* sameMode = Find("deng_same_mode")) {
        sameMode->setVisible(visibleCount > 1);
    }
    ClearSynchroWhenAlone();
}

void DeviceSwitching::SetPagesMultiDevice(bool multi) {
    for (COrvenixUSBDevice* page : AllPages()) {
        page->SetMultiDevice(multi);
    }
    if (!multi) {
        std::lock_guard<std::mutex> lock(m_pagesMutex);
        for (COrvenixUSBDevice* page : m_headsetPages) {
            page->SetLightSyncFlag(false);
        }
    }
}

void DeviceSwitching::ClearSynchroWhenAlone() {
    int synchro = 0;
    for (entry::CDeviceOptionUI* entry : m_entries) {
        synchro += entry->IsEntryVisible() && entry->IsSynchro() ? 1 : 0;
    }
    if (synchro > 1) {
        return;
    }
    for (entry::CDeviceOptionUI* entry : m_entries) {
        if (entry->IsSynchro()) {
            entry->SetSynchro(false);
        }
    }
}

void DeviceSwitching::HideEntry(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return;
    }
    entry::CDeviceOptionUI* entry = m_entries[size_t(index)];
    int other = -1;
    if (entry->IsEntryVisible() && entry->IsEntrySelected()) {
        m_host.CloseAuxiliaryWindows();
        if (m_host.IsInputHookInstalled()) {
            // Key capture and a macro recording both end; the strip is usable again.
            m_host.StopInputHook();
            if (QWidget* strip = Find(kEntryStrip)) {
                strip->setEnabled(true);
            }
            if (COrvenixUSBDevice* page = entry->GetPage()) {
                page->setEnabled(true);
            }
        }
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (int(i) != index && m_entries[i]->IsEntryVisible()) {
                other = int(i);
                break;
            }
        }
    }
    ShowEntry(index, false, false);
    if (other >= 0) {
        ShowEntry(other, true, true);
    }
}

void DeviceSwitching::OnEntryReachable(int row, bool reachable) {
    // The message names the page's device type row; its entry is the one whose page has it.
    int index = -1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        COrvenixUSBDevice* page = m_entries[i]->GetPage();
        if (page != nullptr && page->GetDeviceTypeRow() == row) {
            index = int(i);
            break;
        }
    }
    if (index < 0) {
        return;
    }
    if (!reachable) {
        OutputDebugLine("2.4gcesvdfherhue 1");
        HideEntry(index);
        return;
    }
    if (!m_entries[size_t(index)]->IsEntryVisible()) {
        ShowEntry(index, true, VisibleEntryCount() == 0);
    }
}

void DeviceSwitching::OnSelectionChanged() {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        entry::CDeviceOptionUI* entry = m_entries[i];
        if (entry->IsEntrySelected()) {
            m_selected = int(i);
            m_selectedType = entry->GetEntryDeviceType();
            m_selectedVariant = entry->GetEntryDeviceVariant();
            ShowPowerOf(entry);
            return;
        }
    }
}

void DeviceSwitching::SelectNeighbour(int direction) {
    int selected = -1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i]->IsEntryVisible() && m_entries[i]->IsEntrySelected()) {
            selected = int(i);
            break;
        }
    }
    if (selected < 0) {
        return;
    }
    if (direction < 0) {
        for (int i = selected - 1; i >= 0; --i) {
            if (m_entries[size_t(i)]->IsEntryVisible()) {
                ShowEntry(i, true, true);
                return;
            }
        }
    } else {
        for (int i = selected + 1; i < int(m_entries.size()); ++i) {
            if (m_entries[size_t(i)]->IsEntryVisible()) {
                ShowEntry(i, true, true);
                return;
            }
        }
    }
}

bool DeviceSwitching::OnNotify(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (msg.sType == ui::notify::kSelectChanged && name == "device_select") {
        OnSelectionChanged();
        return true;
    }
    if (msg.sType == ui::notify::kSelectChanged && name == "synchro_device_select") {
        return true;
    }
    if (msg.sType == ui::notify::kClick && name == "device_select_prev") {
        SelectNeighbour(-1);
        return true;
    }
    if (msg.sType == ui::notify::kClick && name == "device_select_next") {
        SelectNeighbour(1);
        return true;
    }
    return false;
}

// --- synchronised lighting ----------------------------------------------------------------------

void DeviceSwitching::ApplySameMode(COrvenixUSBDevice* current) {
    if (current == nullptr) {
        return;
    }
    const int column = SyncColumnOfKind(current->GetDeviceKind());
    if (column < 0) {
        return;
    }
    const profile::LightSetting record = current->GetLightSettingsRecord();
    const int effect = SyncEffectOfCode(static_cast<SyncColumn>(column), record.effect);
    if (effect < 0) {
        return;
    }
    SyncParams params = record;
    params.effect = static_cast<uint8_t>(effect);
    m_sync.SetParams(params);

    for (COrvenixUSBDevice* page : AllPages()) {
        const int pageColumn = SyncColumnOfKind(page->GetDeviceKind());
        if (pageColumn < 0 || !page->CommandProtocol().IsOpen()) {
            continue;
        }
        profile::LightSetting settings = page->GetLightSettingsRecord();
        settings.effect =
            static_cast<uint8_t>(CodeOfSyncEffect(static_cast<SyncColumn>(pageColumn), effect));
        page->SetLightSettings(settings);
        page->SaveProfile();
        page->LoadLightState();
        m_host.OnPageWrite(*page, m_host.WritePageSettings(*page));
        // From now on the synchronisation thread drives the page's preview.
        page->SetLightSyncFlag(true);
    }
}

bool DeviceSwitching::SyncStep(int64_t nowMs) {
    std::vector<COrvenixUSBDevice*> open;
    bool active = false;
    for (COrvenixUSBDevice* page : AllPages()) {
        if (page->CommandProtocol().IsOpen()) {
            open.push_back(page);
            active = active || page->GetLightSyncFlag();
        }
    }
    if (!active) {
        return false;
    }
    const uint32_t colour = m_sync.Step(nowMs);
    for (COrvenixUSBDevice* page : open) {
        for (int led = 0; led < page->GetLedCount(); ++led) {
            page->SetLedColour(led, colour);
        }
    }
    return true;
}

WorkerThread::Body DeviceSwitching::LightSyncBody() {
    return [this](const StopEvent& stop) {
        // The step counter moves once a millisecond and a step runs when it reaches the speed's
        // threshold; the thread sleeps until then instead of waking every millisecond. With no
        // synchronised page it looks again a second later.
        bool active = false;
        for (;;) {
            if (stop.Wait(active ? SyncThreshold(m_sync.GetParams().speed) : 1000)) {
                OutputDebugLine("同步灯光线程设定退出");
                return;
            }
            active = SyncStep(NowMs());
        }
    };
}

WorkerThread::Body DeviceSwitching::ScanBody() {
    std::shared_ptr<catalogue::DeviceList> list = m_list;
    const HWND main = m_host.WindowHandle();
    std::shared_ptr<std::atomic<bool>> firstDone = m_firstScanDone;
    return [list, main, firstDone](const StopEvent& stop) {
        bool firstPass = true;
        std::set<std::string> denied;  // nodes reported as out of reach
        for (;;) {
            // (The 1 ms look at the stop event each pass is folded into the pause at the end.)
            if (stop.IsSet()) {
                OutputDebugLine("抓取设备线程设定退出");
                return;
            }
            if (!list->AllConnected()) {
                hid::CHidDevice scanner;
                if (!scanner.Enumerate()) {
                    DebugLine("device scan: enumeration failed, the scan ends");
                    // The window waits for the first pass to show itself: it must not stay
                    // hidden because the scan could not run.
                    if (firstPass) {
                        firstDone->store(true);
                        PostMessageW(main, Messages().UWM_APP_ACTIVATE_MSG, 0, 0);
                    }
                    return;
                }
                while (const char* path = scanner.NextPath()) {
                    if (stop.IsSet()) {
                        break;
                    }
                    const catalogue::PathNumbers numbers = catalogue::ReadPathNumbers(path);
                    if (!list->PreMatch(numbers)) {
                        continue;
                    }
                    hid::CHidDevice probe;
                    if (!probe.Open(path, true, false, true, false)) {
                        // Most often the udev rule is missing: the window says so, once a node.
                        if (denied.insert(path).second) {
                            const std::string reason = probe.GetLastOpenError();
                            SendMessageW(main, kMsgDeviceNodeDenied, reinterpret_cast<WPARAM>(path),
                                         reinterpret_cast<LPARAM>(reason.c_str()));
                        }
                        continue;
                    }
                    denied.erase(path);
                    const int index = list->FullMatch(
                        numbers, probe.GetAttributes().vendorId, probe.GetAttributes().productId,
                        probe.GetCaps().usagePage, probe.GetCaps().usage, path);
                    probe.Close();
                    if (index >= 0) {
                        SendMessageW(main, kMsgDeviceArrived, WPARAM(index), 0);
                    }
                }
                scanner.FreePaths();
                if (firstPass) {
                    firstPass = false;
                    firstDone->store(true);
                    PostMessageW(main, Messages().UWM_APP_ACTIVATE_MSG, 0, 0);
                }
            }
            for (int i = 0; i < static_cast<int>(list->Size()) && !stop.IsSet(); ++i) {
                const catalogue::DeviceListEntry& e = list->Entry(i);
                if (e.connected == 0) {
                    continue;
                }
                hid::CHidDevice check;
                if (!check.Open(e.path, false, false, false, false)) {
                    list->Release(i);
                    SendMessageW(main, kMsgDeviceRemoved, WPARAM(i), 0);
                } else {
                    check.Close();
                }
            }
            // Another pass 100 ms later; a stop ends the wait at once.
            stop.Wait(kScanPauseMs);
        }
    };
}

}  // namespace q840
