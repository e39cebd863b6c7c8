#include "app/CMainWnd.h"

#include <QAbstractButton>
#include <QCursor>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmapCache>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <thread>

#include "app/ControlTables.h"
#include "app/Language.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "app/WindowPlacement.h"
#include "controls/CDeviceProfileUI.h"
#include "core/base/DebugLine.h"
#include "core/base/RegisteredMessage.h"
#include "editors/CLightControlUI.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixMouseDevice.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/Paths.h"
#include "platform/input/HookRecords.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"
#include "windows/CAboutWnd.h"
#include "windows/CColorSelectWnd.h"
#include "windows/CMsgWnd.h"
#include "windows/CSkinFrame.h"

namespace q840 {

namespace {
std::atomic<HWND> g_mainHandle{nullptr};

const char* const kWorkToolTitle = "WorkTool";

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Commands of the macro editor's menus: delay options and mouse button events to insert.
constexpr const char* kMacroMenuCommands[] = {
    "redio_previous_record_time",
    "redio_previous_constant_time",
    "redio_previous_ignore_time",
    "redio_later_record_time",
    "redio_later_constant_time",
    "redio_later_ignore_time",
    "macro_action_edit",
    "left_down",
    "left_up",
    "left_click",
    "middle_down",
    "middle_up",
    "middle_click",
    "right_down",
    "right_up",
    "right_click",
    "forward_down",
    "forward_up",
    "forward_click",
    "back_down",
    "back_up",
    "back_click",
};
bool IsMacroMenuCommand(const QString& name) {
    for (const char* command : kMacroMenuCommands) {
        if (name.compare(QLatin1String(command), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

constexpr int kMouseKind = 2;

// Editor tab numbers of the page tab options.
struct PageTab {
    const char* name;
    int tab;
};
constexpr PageTab kPageTabs[] = {
    {"deng_Op_tab", 1},   {"key_Op_tab", 2},        {"macro_Op_tab", 3},
    {"system_Op_tab", 4}, {"cursor_Op_tab", 5},     {"6533_voice_Op_tab", 6},
    {"magic_Op_tab", 7},  {"Virtual7.1_Op_tab", 8}, {"otherset_Op_tab", 9},
};
}  // namespace

namespace {
// The firmware and program upgrade program in the "Update" folder (a constant of the build).
const char* const kUpgradeProgram = "q840update";
}  // namespace

CMainWnd::CMainWnd() : m_devices(std::make_unique<DeviceSwitching>(*this)) {
    InstallRouteHandlers();
    InstallGameLightHooks();
    InstallProfileCommands();
    InstallMacroCommands();
    InstallKeyCommands();
    InstallShootCommands();
    m_inputHook.singleKey = [this](WPARAM wParam, LPARAM lParam) {
        // A press of the key capture: the current page's key assignment takes it.
        pages::COrvenixUSBDevice* page = CurrentPage();
        if (page != nullptr && lParam != 0 && input::IsKeyPress(wParam)) {
            const auto& record = *reinterpret_cast<const input::KeyHookRecord*>(lParam);
            page->HandleCapturedKey(record.vkCode, record.Extended());
        }
    };
    m_inputHook.macro = [this](UINT msg, WPARAM wParam, LPARAM lParam) {
        m_macroCommands->HandleHookMessage(msg, wParam, lParam);
    };
    InstallControlCommands();
    m_launcher = [](const QString& program, const QStringList& arguments, const QString& folder) {
        return QProcess::startDetached(program, arguments, folder);
    };
    m_trayAvailable = [] { return ui::CTrayIcon::IsSystemTrayAvailable(); };
    m_windowOpeners.settings = [this] { OpenSettings(m_settingsFromButton); };
    m_windowOpeners.skin = [this] { OpenSkinFrame(); };
    m_monitorSize = [this]() -> QSize {
        QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        return screen ? screen->geometry().size() : QSize(1000, 640);
    };
}

CMainWnd::~CMainWnd() {
    // A window destroyed without its WM_DESTROY (never shown, or torn down by its owner) still
    // stops its threads before the device lists and pages they read are gone.
    if (m_threads.AnyStarted()) {
        StopThreads();
    }
    if (m_trayMenu) {
        m_trayMenu->close();
    }
    HWND self = GetHWND();
    g_mainHandle.compare_exchange_strong(self, nullptr);
}

HWND CMainWnd::MainHandle() {
    return g_mainHandle.load();
}

QWidget* CMainWnd::CreateControl(const QString& tagName) {
    return CreateMainWindowControl(tagName, &m_pm);
}

void CMainWnd::InitWindow() {
    DebugLine("InitWindow");
    ui::CResourceManager::GetInstance().LoadLanguage("lan_cn.xml");
    g_mainHandle.store(GetHWND());
    setWindowIcon(QIcon(ui::CResourceManager::GetInstance().GetResourcePath() + "icons/app.svg"));
    m_tray.CreateTrayIcon(GetHWND(), "icons/app.svg", kProductTitle, kMsgTrayIcon);
    // The background chosen in the skin pop-up, now and as it was left at the last run.
    windows::SkinObserver().AddReceiver(&m_skinReceiver);
    m_skinReceiver.Restore();
}

void CMainWnd::OnWindowInit() {
    // Other programs learn that this program drives the lighting.
    Broadcast(Messages().UWM_LIGHT_OWNER_NOTIFY_MSG, 1, 1);
    m_languageIndex = ReadStoredLanguageIndex();
    const int chosen = FindLanguageIndex(m_languageOverride);
    if (chosen >= 0) {
        m_languageIndex = chosen;
        ApplyLanguageIndex(chosen, false);
    } else {
        ApplyLanguageIndex(m_languageIndex);
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        m_screenSize = screen->geometry().size();
    }
    m_writeNotice.SetLabel(FindControl("write_pending_notice"));
    // The device list and the built-in mouse and keyboard pages.
    m_devices->AttachBuiltInPages();
    // Hidden until the activation message: the device scan posts it after its first pass.
    hide();
    m_threads.Start(kThreadDeviceScan, m_devices->ScanBody());
    m_threads.Start(kThreadLightSync, m_devices->LightSyncBody());
    SetTimer(kTimerScaleAdaptation, 100);
}

void CMainWnd::Broadcast(UINT registeredMessage, quint64 wParam, qint64 lParam) {
    if (m_link != nullptr) {
        m_link->Broadcast(QString::fromStdString(RegisteredMessageName(registeredMessage)), wParam,
                          lParam);
    }
}

void CMainWnd::BringToFront() {
    SysCommand(SC_RESTORE);
    show();
    if (ui::PlatformHasWindowSystem()) {
        raise();
    }
    activateWindow();
}

void CMainWnd::RefreshNoDeviceIndicator() {
    QWidget* strip = FindControl("device_select_layout");
    QWidget* noDevice = FindControl("No_device_Link");
    if (strip == nullptr || noDevice == nullptr) {
        return;
    }
    int visibleEntries = 0;
    for (QObject* child : strip->children()) {
        auto* entry = qobject_cast<QWidget*>(child);
        visibleEntries += entry != nullptr && !entry->isHidden();
    }
    if (visibleEntries == 0) {
        ShowNoDevice(true);
    } else if (m_deviceInfoValid) {
        ShowNoDevice(false);
    }
}

void CMainWnd::ShowNoDevice(bool show) {
    // The empty state and the device pages share one place: one of them is shown.
    if (m_noDeviceShown != int(show)) {
        m_noDeviceShown = int(show);
        DebugLine(show ? "no device: the empty state shows" : "a device page shows");
    }
    if (QWidget* noDevice = FindControl("No_device_Link")) {
        noDevice->setVisible(show);
    }
    if (QWidget* pages = FindControl("device_switch")) {
        pages->setVisible(!show);
    }
}

void CMainWnd::OnDeviceNodeAccess(const std::string& path, const std::string& error) {
    if (path.empty()) {
        if (m_deniedNodes.empty()) {
            return;  // the usual case: nothing was out of reach
        }
        m_deniedNodes.clear();
        if (QWidget* hint = FindControl("nodevice_hint")) {
            ui::CResourceManager::GetInstance().SetControlText(hint, "nodevice_hint");
        }
        return;
    }
    if (!m_deniedNodes.insert(path).second) {
        return;
    }
    // Said once per node where a user starting the program from a terminal sees it.
    std::fprintf(stderr,
                 "q840vex: found %s but cannot open it (%s): does the udev rule give you access? "
                 "see docs/hidraw-permissions.md\n",
                 path.c_str(), error.empty() ? "no access" : error.c_str());
    if (QWidget* hint = FindControl("nodevice_hint")) {
        ui::CResourceManager::GetInstance().SetControlText(hint, "nodevice_denied_hint");
    }
}

void CMainWnd::OnActivate() {
    RefreshNoDeviceIndicator();
    RefreshTrayStatus();
    if (m_startHidden) {
        // Started with the desktop session: the window stays away through start-up, that is the
        // arrivals of the first scan and the activation that ends it; a device plugged in later
        // shows the window as usual.
        if (m_devices->FirstScanDone()) {
            m_startHidden = false;
            DebugLine("started hidden in the tray");
        }
        if (m_trayAvailable ? m_trayAvailable() : true) {
            hide();
        } else {
            showMinimized();
        }
        SetPagesHidden(true);
        emit activated();
        return;
    }
    SetPagesHidden(false);
    BringToFront();
    emit activated();
}

void CMainWnd::ToggleFromTray() {
    RefreshNoDeviceIndicator();
    // A minimised window counts as hidden.
    const bool visible = isVisible() && !isMinimized();
    CloseAuxiliaryWindows();
    if (visible) {
        hide();
        SetPagesHidden(true);
    } else {
        BringToFront();
        AdaptScale();
        update();
        SetPagesHidden(false);
    }
}

void CMainWnd::AdaptScale() {
    int scale = ChooseWindowScale(m_monitorSize ? m_monitorSize() : QSize());
    if (!IsSupportedScale(scale)) {
        DebugLine("MAIN_WND DPI SET ERROR");
        scale = 96;
    }
    const bool wasVisible = isVisible() && !isMinimized();
    if (scale != m_uiScale) {
        // Fonts and lengths of the global style follow the window's scale.
        ui::ApplyGlobalStyleSheet("style.qss", scale);
    }
    m_uiScale = scale;
    m_pm.SetDPI(scale);
    resize(m_pm.Scale(1000), m_pm.Scale(640));
    CenterWindow();
    wasVisible ? show() : hide();
}

void CMainWnd::ShowTrayMenu() {
    if (m_trayMenu) {
        m_trayMenu->close();
    }
    m_trayMenu = new ui::CMenuWnd(GetHWND(), kMsgMenuCommand);
    m_trayMenu->LoadFromFile("menu.xml");
    const QPoint cursor = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const MenuPlacement placement =
        screen ? PlaceTrayMenu(cursor, screen->geometry(), screen->availableGeometry())
               : MenuPlacement{cursor, 6};
    m_trayMenu->ShowAt(placement.anchor, placement.alignment);
}

void CMainWnd::OnMenuCommand(const ui::MenuCmd& cmd) {
    if (cmd.name.compare("exit", Qt::CaseInsensitive) == 0) {
        CloseAuxiliaryWindows();
        Close();
    } else if (cmd.name.compare("show", Qt::CaseInsensitive) == 0) {
        BringToFront();
    } else if (cmd.name.compare("about_menu", Qt::CaseInsensitive) == 0) {
        CAboutWnd::ShowAbout(this, m_aboutHandle);
    } else if (cmd.name.compare("setwnd_menu", Qt::CaseInsensitive) == 0) {
        OpenAuxiliaryWindow(m_windowOpeners.settings, "settings");
    } else if (IsMacroMenuCommand(cmd.name)) {
        if (m_macroMenu) {
            m_macroMenu(cmd.name);
        } else {
            DebugLine("macro menu command waiting: %s", cmd.name.toUtf8().constData());
        }
    }
}

void CMainWnd::SetLightControl(int flag, bool broadcast) {
    m_lightControl = flag;
    if (QWidget* status = FindControl("control_light_status")) {
        ui::CResourceManager::GetInstance().SetControlText(status,
                                                           Utf8(flag ? "控制灯光" : "不控制灯光"));
    }
    if (broadcast) {
        Broadcast(Messages().UWM_LIGHT_OWNER_NOTIFY_MSG, 1, flag);
    }
    ForEachPage(
        [flag](pages::COrvenixUSBDevice& page) { page.SetSoftwareLightControl(flag != 0); });
}

void CMainWnd::OnGameMessage(UINT /*msg*/, WPARAM wParam, LPARAM lParam) {
    // The effect change itself belongs to the current page's lighting; the restore timer runs
    // whatever wParam is, and another game message within the 5 s starts it again.
    if (wParam <= 2) {
        if (m_gameLight.apply) {
            m_gameLight.apply(wParam, lParam);
        } else {
            DebugLine("game light waiting: no page lighting to change");
        }
    }
    SetTimer(kTimerGameLightRestore, m_gameLightRestoreMs);
}

void CMainWnd::ReplyToWorkTool() {
    if (m_link == nullptr) {
        return;
    }
    const std::array<int32_t, 256> block = BuildWorkToolReply();
    m_link->CopyDataToWindow(
        kWorkToolTitle, kWorkToolReplyDataId,
        QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<int>(sizeof(block))));
}

void CMainWnd::OnCopyData(const COPYDATASTRUCT& data) {
    const int stored = m_workTool.Store(data);
    if (stored == 1) {
        DebugLine("audio levels arrived (%u bytes)", data.cbData);
    } else if (stored == 2) {
        DebugLine("WorkTool command arrived (%u bytes)", data.cbData);
    }
}

pages::COrvenixUSBDevice* CMainWnd::CurrentPage() const {
    QWidget* strip = FindControl("device_select_layout");
    if (strip == nullptr) {
        return nullptr;
    }
    for (QObject* child : strip->children()) {
        auto* entry = qobject_cast<entry::CDeviceOptionUI*>(child);
        if (entry != nullptr && entry->IsEntryVisible() && entry->IsEntrySelected()) {
            return entry->GetPage();
        }
    }
    return nullptr;
}

void CMainWnd::ForEachPage(const std::function<void(pages::COrvenixUSBDevice&)>& action) const {
    // Every page that has a selector entry in the strip.
    QWidget* strip = FindControl("device_select_layout");
    if (strip == nullptr) {
        return;
    }
    for (QObject* child : strip->children()) {
        auto* entry = qobject_cast<entry::CDeviceOptionUI*>(child);
        if (entry != nullptr && entry->GetPage() != nullptr) {
            action(*entry->GetPage());
        }
    }
}

void CMainWnd::HideToTray() {
    // Keys stay captured while recording: the window and its stop button go nowhere the user
    // cannot reach them without stopping first.
    m_macroCommands->StopRecording(true);
    // Asked each time: a tray can appear or go away while the program runs.
    if (m_trayAvailable ? m_trayAvailable() : true) {
        hide();
    } else {
        // Without a notification area (stock GNOME has none) a hidden window could only come
        // back through a second start: it stays in the task bar, minimised, and the user is
        // told once where it went.
        if (!m_toldTrayMissing) {
            m_toldTrayMissing = true;
            CMsgWnd::ShowMessage(this, QString(), "tray_missing_text", m_uiScale, 1, 0);
        }
        showMinimized();
    }
    SetPagesHidden(true);
}

void CMainWnd::SetPagesHidden(bool hidden) {
    // A hidden window pauses the pages' device polling.
    ForEachPage([hidden](pages::COrvenixUSBDevice& page) { page.SetHiddenFlag(hidden); });
    if (hidden) {
        QTimer::singleShot(0, this, [this] { ReleaseWhileHidden(); });
    }
}

void CMainWnd::ReleaseWhileHidden() {
    if (isVisible() || IsDestroyed()) {
        return;
    }
    // Nothing is drawn until the window comes back: the drawing surface (the window's size in
    // shared memory) and the cached pictures are made again when it does, and the heap gives
    // back what the pages freed.
    QPixmapCache::clear();
    if (testAttribute(Qt::WA_WState_Created) && ui::PlatformHasWindowSystem()) {
        destroy(true, true);
    }
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

int CMainWnd::WritePageSettings(pages::COrvenixUSBDevice& page) {
    // The mouse always writes the block of profile 0 with byte 0 = 0; its two arguments are the
    // profile and byte 0, so the screen size other pages take would address far past its
    // settings area.
    if (page.GetDeviceKind() == kMouseKind) {
        return page.WriteSettingsBlock(0, 0);
    }
    return page.WriteSettingsBlock(m_screenSize.width(), m_screenSize.height());
}

void CMainWnd::OnPageWrite(pages::COrvenixUSBDevice& page, int result) {
    // The change stays in the profile and the page writes it when the device is back; the user
    // hears of it once, quietly. A page that writes nothing (0, nothing pending) says nothing.
    if (result != 1 && page.HasPendingWrites()) {
        m_writeNotice.Raise();
    }
}

void CMainWnd::OnPendingWritesChanged() {
    bool pending = false;
    for (pages::COrvenixUSBDevice* page : m_devices->AllPages()) {
        pending = pending || page->HasPendingWrites();
    }
    m_writeNotice.Settle(pending);
}

bool CMainWnd::FirstReadsDone() const {
    int open = 0;
    for (pages::COrvenixUSBDevice* page : m_devices->AllPages()) {
        open += page->CommandProtocol().IsOpen() ? 1 : 0;
    }
    return m_devices->FirstScanDone() && m_infoMessages >= open;
}

void CMainWnd::InstallRouteHandlers() {
    m_router.SetHandler(RouteArea::PageSettings, [this](ui::TNotifyUI& msg, const IndexedName&) {
        pages::COrvenixUSBDevice* page = CurrentPage();
        if (page == nullptr) {
            return false;
        }
        if (page->ApplySettingsControl(msg)) {
            page->SaveProfile();
            OnPageWrite(*page, WritePageSettings(*page));
        }
        return true;
    });
    m_router.SetHandler(RouteArea::PageTabs, [this](ui::TNotifyUI& msg, const IndexedName&) {
        pages::COrvenixUSBDevice* page = CurrentPage();
        auto* option = qobject_cast<QAbstractButton*>(msg.pSender);
        if (page == nullptr || (option != nullptr && !option->isChecked())) {
            return false;
        }
        const QString name = msg.pSender->objectName();
        for (const PageTab& tab : kPageTabs) {
            if (name.compare(QLatin1String(tab.name), Qt::CaseInsensitive) == 0) {
                page->ShowFunctionPanel(tab.tab);
                return true;
            }
        }
        return false;
    });
    m_router.SetHandler(RouteArea::LightingEditor, [this](ui::TNotifyUI& msg, const IndexedName&) {
        pages::COrvenixUSBDevice* page = CurrentPage();
        editors::CLightControlUI* editor = page != nullptr ? page->GetLightEditor() : nullptr;
        if (editor == nullptr) {
            return false;
        }
        profile::LightSetting record = page->GetLightSettingsRecord();
        if (msg.sType == ui::notify::kClick &&
            msg.pSender->objectName().compare(QLatin1String("deng_colordp_btn"),
                                              Qt::CaseInsensitive) == 0) {
            // The colour button opens the picker, with the colour cycle on offer.
            uint32_t chosen = 0;
            bool cycle = false;
            if (m_colourPickerOpen) {
                return true;
            }
            m_colourPickerOpen = true;
            const int result = CColorSelectWnd::Pick(this, m_uiScale, editor->GetPaletteColour(),
                                                     true, &chosen, &cycle);
            m_colourPickerOpen = false;
            if (result != 1 || CurrentPage() != page) {
                return true;
            }
            record.red = uint8_t(chosen >> 16);
            record.green = uint8_t(chosen >> 8);
            record.blue = uint8_t(chosen);
            record.multiColour = cycle ? 1 : 0;
        } else if (!editor->ApplyNotification(msg, record)) {
            return false;
        }
        // The page keeps the record and its profile's "LightInfo", the preview follows, and the
        // mouse gets it with its settings block.
        page->SetLightSyncFlag(false);
        page->SetLightSettings(record);
        page->LoadLightState();
        if (IsLightSliderChange(msg)) {
            // A slider sends a change per step (a drag, held arrow keys, the wheel): the preview
            // takes each at once, the profile and the mouse the latest at the mouse's pace.
            QueueLightWrite(*page);
            return true;
        }
        FlushLightWrite();
        page->SaveProfile();
        OnPageWrite(*page, WritePageSettings(*page));
        return true;
    });
    m_router.SetHandler(RouteArea::DeviceList, [this](ui::TNotifyUI& msg, const IndexedName&) {
        if (msg.pSender->objectName().compare("deng_same_mode", Qt::CaseInsensitive) == 0) {
            m_devices->ApplySameMode(CurrentPage());
            return true;
        }
        return m_devices->OnNotify(msg);
    });
}

bool CMainWnd::LightWriteWaiting() const {
    return m_lightWritePage != nullptr;
}

bool CMainWnd::IsLightSliderChange(const ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr ||
        (msg.sType != ui::notify::kValueChanged && msg.sType != ui::notify::kMoveValueChanged)) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    return name.compare(QLatin1String("deng_light_slider"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("deng_speed_slider"), Qt::CaseInsensitive) == 0;
}

void CMainWnd::QueueLightWrite(pages::COrvenixUSBDevice& page) {
    ++m_lightWrites.changes;
    if (m_lightWritePage != nullptr && m_lightWritePage != &page) {
        FlushLightWrite();  // another page's change goes to its device first
    }
    if (m_lightWritePage != nullptr) {
        ++m_lightWrites.coalesced;  // the armed write takes this record instead
        return;
    }
    m_lightWritePage = &page;
    // The write holds the window while it lasts, so the picture gets its frame first; and the
    // mouse is given the time the last write took before the next one.
    qint64 wait = m_lightWriteMinGapMs;
    if (m_lightWriteDone.isValid()) {
        wait = std::max(wait, m_lightWritePaceMs - m_lightWriteDone.elapsed());
    }
    SetTimer(kTimerLightWrite, int(std::min<qint64>(wait, INT_MAX)));
}

void CMainWnd::FlushLightWrite() {
    KillTimer(kTimerLightWrite);
    QPointer<pages::COrvenixUSBDevice> page = m_lightWritePage;
    m_lightWritePage = nullptr;
    if (page == nullptr) {
        return;
    }
    QElapsedTimer took;
    took.start();
    page->SaveProfile();
    OnPageWrite(*page, WritePageSettings(*page));
    ++m_lightWrites.writes;
    m_lightWrites.lastWriteUs = took.nsecsElapsed() / 1000;
    m_lightWritePaceMs = std::max<qint64>(m_lightWriteMinGapMs, took.elapsed());
    m_lightWriteDone.start();
}

void CMainWnd::InstallGameLightHooks() {
    GameLightHooks hooks;
    hooks.apply = [this](WPARAM wParam, LPARAM lParam) {
        pages::COrvenixUSBDevice* page = CurrentPage();
        if (page == nullptr) {
            return;
        }
        page->SetLightSyncFlag(false);
        profile::LightSetting record = page->GetLightSettingsRecord();
        if (wParam == 0) {
            // Remember the effect to go back to; an effect of 0 or above 20 goes back to 1.
            const uint8_t current = record.effect;
            record.previousMode = (current == 0 || current > 20) ? 1 : current;
        }
        record.effect = static_cast<uint8_t>(lParam & 0xFF);
        page->SetLightSettings(record);
        page->SaveProfile();
        page->LoadLightState();
        OnPageWrite(*page, WritePageSettings(*page));
    };
    hooks.restore = [this] {
        pages::COrvenixUSBDevice* page = CurrentPage();
        if (page == nullptr) {
            DebugLine("game light over: no page whose own effect comes back");
            return;
        }
        page->SetLightSyncFlag(false);
        profile::LightSetting record = page->GetLightSettingsRecord();
        record.effect = record.previousMode;
        page->SetLightSettings(record);
        page->SaveProfile();
        page->LoadLightState();
        OnPageWrite(*page, WritePageSettings(*page));
    };
    m_gameLight = std::move(hooks);
}

QString CMainWnd::LanguageText(const QString& key) {
    if (auto* label = m_pm.FindControl<QLabel>(QStringLiteral("str_test"))) {
        ui::CDialogBuilder::SetAttribute(label, QStringLiteral("text"), key, &m_pm);
        return label->text();
    }
    return ui::CResourceManager::GetInstance().GetText(key);
}

void CMainWnd::InstallProfileCommands() {
    ProfileCommands::Host host;
    host.currentPage = [this] { return CurrentPage(); };
    host.writeSettings = [this](pages::COrvenixUSBDevice& page) { return WritePageSettings(page); };
    host.onWrite = [this](pages::COrvenixUSBDevice& page, int result) {
        OnPageWrite(page, result);
    };
    host.armSwitchTimer = [this] {
        SetTimer(kTimerProfileSwitch, ProfileCommands::kSwitchDelayMs);
    };
    host.showMessage = [this](const QString& text, bool isKey, int buttons) {
        return CMsgWnd::ShowMessage(this, QString(), text, m_uiScale, isKey ? 1 : 0, buttons);
    };
    host.languageText = [this](const QString& key) { return LanguageText(key); };
    host.chooseFile = [this](bool save) {
        if (m_chooseProfileFile) {
            return m_chooseProfileFile(save);
        }
        const QString filter = QString::fromLatin1(ProfileCommands::kFileFilter);
        return save ? QFileDialog::getSaveFileName(this, QString(), QString(), filter)
                    : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    };
    m_profileCommands = std::make_unique<ProfileCommands>(std::move(host));
    m_router.SetHandler(
        RouteArea::MainCommands, [this](ui::TNotifyUI& msg, const IndexedName& name) {
            if (msg.sType == ui::notify::kClick &&
                name.prefix.compare(QLatin1String("DPI_color_option_"), Qt::CaseInsensitive) == 0) {
                OpenStageColourPicker(msg.pSender, name.index);
                return true;
            }
            return m_macroCommands->HandleCommand(msg) || m_shootCommands->HandleCommand(msg) ||
                   m_profileCommands->Handle(msg);
        });
}

void CMainWnd::InstallControlCommands() {
    ControlCommands::Host host;
    host.openPages = [this] {
        std::vector<pages::COrvenixUSBDevice*> open;
        for (pages::COrvenixUSBDevice* page : m_devices->AllPages()) {
            if (page->CommandProtocol().IsOpen()) {
                open.push_back(page);
            }
        }
        return open;
    };
    host.writeSettings = [this](pages::COrvenixUSBDevice& page) { return WritePageSettings(page); };
    host.onWrite = [this](pages::COrvenixUSBDevice& page, int result) {
        OnPageWrite(page, result);
    };
    host.switchProfile = [this](pages::COrvenixUSBDevice& page, int index) {
        m_profileCommands->SwitchPageProfile(page, index);
    };
    m_controlCommands = std::make_unique<ControlCommands>(std::move(host));
}

void CMainWnd::InstallMacroCommands() {
    MacroCommands::Host host;
    host.currentPage = [this] { return CurrentPage(); };
    host.showMessage = [this](const QString& text, bool isKey, int buttons) {
        return CMsgWnd::ShowMessage(this, QString(), text, m_uiScale, isKey ? 1 : 0, buttons);
    };
    host.languageText = [this](const QString& key) { return LanguageText(key); };
    host.chooseFile = [this](bool save) {
        if (m_chooseMacroFile) {
            return m_chooseMacroFile(save);
        }
        const QString filter = QString::fromLatin1(MacroCommands::kFileFilter);
        return save ? QFileDialog::getSaveFileName(this, QString(), QString(), filter)
                    : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    };
    host.onWrite = [this](pages::COrvenixUSBDevice& page, int result) {
        OnPageWrite(page, result);
    };
    host.reportUpload = [this](pages::COrvenixUSBDevice& page, int result) {
        m_profileCommands->ReportUpload(page, result);
    };
    host.openStepMenu = [this](QWidget* anchor) { OpenMacroStepMenu(anchor); };
    host.startHook = [this](int mode, QString* why, bool* ownWindowOnly) {
        const bool started = m_hook.Start(mode, GetHWND(), true, true);
        *why = QString::fromStdString(m_hook.Error());
        *ownWindowOnly = started && m_hook.Reach() == input::InputReach::OwnWindows;
        return started;
    };
    host.stopHook = [this] { m_hook.Stop(); };
    host.lockWindow = [this](pages::COrvenixUSBDevice& page, bool locked) {
        LockForRecording(page, locked);
    };
    m_macroCommands = std::make_unique<MacroCommands>(std::move(host));
    m_macroMenu = [this](const QString& command) { m_macroCommands->HandleMenu(command); };
    m_router.SetHandler(RouteArea::MacroEditor, [this](ui::TNotifyUI& msg, const IndexedName&) {
        return m_macroCommands->HandleEditor(msg);
    });
}

void CMainWnd::InstallKeyCommands() {
    KeyCommands::Host host;
    host.currentPage = [this] { return CurrentPage(); };
    host.onWrite = [this](pages::COrvenixUSBDevice& page, int result) {
        OnPageWrite(page, result);
    };
    host.reportUpload = [this](pages::COrvenixUSBDevice& page, int result) {
        m_profileCommands->ReportUpload(page, result);
    };
    host.setCapture = [this](bool on) { SendMessageW(GetHWND(), kMsgInputHook, on ? 1 : 0, 0); };
    m_keyCommands = std::make_unique<KeyCommands>(std::move(host));
    m_router.SetHandler(RouteArea::KeyEditor, [this](ui::TNotifyUI& msg, const IndexedName& name) {
        return m_keyCommands->Handle(msg, name);
    });
}

void CMainWnd::InstallShootCommands() {
    ShootCommands::Host host;
    host.currentPage = [this] { return CurrentPage(); };
    host.showMessage = [this](const QString& key, int buttons) {
        return CMsgWnd::ShowMessage(this, QString(), key, m_uiScale, 1, buttons);
    };
    host.chooseFile = [this](bool save) {
        if (m_chooseShootFile) {
            return m_chooseShootFile(save);
        }
        const QString filter = QString::fromLatin1(ShootCommands::kFileFilter);
        return save ? QFileDialog::getSaveFileName(this, QString(), QString(), filter)
                    : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    };
    host.onWrite = [this](pages::COrvenixUSBDevice& page, int result) {
        OnPageWrite(page, result);
    };
    m_shootCommands = std::make_unique<ShootCommands>(std::move(host));
    m_router.SetHandler(RouteArea::ShootEditor, [this](ui::TNotifyUI& msg, const IndexedName&) {
        return m_shootCommands->HandleEditor(msg);
    });
}

void CMainWnd::LockForRecording(pages::COrvenixUSBDevice& page, bool locked) {
    QWidget* parts[] = {FindControl("device_select_layout"), page.GetProfileBar(),
                        page.findChild<QWidget*>(QStringLiteral("KeySetControlItem"))};
    for (QWidget* part : parts) {
        if (part != nullptr) {
            part->setEnabled(!locked);
        }
    }
}

bool CMainWnd::IsInputHookInstalled() const {
    return m_hook.IsInstalled() || m_macroCommands->IsRecording();
}

void CMainWnd::StopInputHook() {
    if (m_macroCommands->IsRecording()) {
        // The device is going: what was recorded is kept, nothing is written.
        m_macroCommands->StopRecording(false);
    }
    m_hook.Stop();
}

void CMainWnd::OnKeyCaptureMessage(WPARAM wParam) {
    // A recording's hook is never taken over or removed by the key capture (the key editor
    // loses the focus when the recording disables it).
    const bool recording =
        m_macroCommands->IsRecording() ||
        (m_hook.IsInstalled() && m_hook.GetMode() != input::CDeviceHook::kSingleKey);
    if (recording) {
        return;
    }
    if (wParam != 0) {
        if (!m_hook.Start(input::CDeviceHook::kSingleKey, GetHWND(), true, false)) {
            DebugLine("key capture: %s", m_hook.Error().c_str());
        }
    } else {
        m_hook.Stop();
    }
}

void CMainWnd::OpenMacroStepMenu(QWidget* anchor) {
    if (m_stepMenu) {
        m_stepMenu->close();
    }
    auto* menu = new ui::CMenuWnd(GetHWND(), kMsgMenuCommand);
    if (!menu->LoadFromFile("XML/Menus/macro_action_menu.xml")) {
        DebugLine("macro action menu: no menu file");
        menu->deleteLater();
        return;
    }
    m_stepMenu = menu;
    const QPoint at =
        anchor != nullptr ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos();
    menu->ShowAt(at, 6);
}

void CMainWnd::OpenStageColourPicker(QWidget* button, int stage) {
    auto* page = qobject_cast<pages::COrvenixMouseDevice*>(CurrentPage());
    if (page == nullptr || m_colourPickerOpen) {
        return;  // one picker at a time
    }
    bool known = false;
    const uint32_t initial = button->property("stageColour").toUInt(&known);
    uint32_t chosen = 0;
    m_colourPickerOpen = true;
    const int result =
        CColorSelectWnd::Pick(this, m_uiScale, known ? initial : 0xFFFFFFFFu, false, &chosen);
    m_colourPickerOpen = false;
    // The page may have gone while the picker was open.
    if (result == 1 && CurrentPage() == page && page->SetStageColour(stage, chosen)) {
        page->SaveProfile();
        OnPageWrite(*page, WritePageSettings(*page));
    }
}

void CMainWnd::RestoreDefaults() {
    pages::COrvenixUSBDevice* page = CurrentPage();
    if (page == nullptr) {
        return;
    }
    if (CMsgWnd::ShowMessage(this, QString(), "message_text_22", m_uiScale, 1, 1) != 1) {
        return;
    }
    page->LoadDefaultProfile();
    OnPageWrite(*page, page->ApplyKeys(0));
    OnPageWrite(*page, WritePageSettings(*page));
}

void CMainWnd::CheckFirmware(LPARAM version) {
    pages::COrvenixUSBDevice* page = CurrentPage();
    if (page == nullptr) {
        return;
    }
    if (version >= 294) {
        page->SetUpgradeRequest(false);
        m_deviceInfoValid = true;
        return;
    }
    m_deviceInfoValid = false;
    ShowNoDevice(true);
    if (CMsgWnd::ShowMessage(this, "UpdateTiShi", "UpdateTiShiText", m_uiScale, 1, 1) == 1) {
        page->SetUpgradeRequest(true);
        const QString folder = ProgramFolder() + "Update";
        m_launcher(folder + '/' + kUpgradeProgram, {"On", "the", "upgrade"}, folder);
    } else {
        // The user declined an upgrade the device needs: the program ends (cleanly, with 0).
        CloseAuxiliaryWindows();
        Close();
    }
}

void CMainWnd::OpenAuxiliaryWindow(const std::function<void()>& opener, const char* what) {
    if (opener) {
        opener();
    } else {
        DebugLine("%s window: no opener installed", what);
    }
}

void CMainWnd::CloseAuxiliaryWindows() {
    if (m_aboutHandle != nullptr) {
        SendMessageW(m_aboutHandle, WM_CLOSE, 0, 0);
    }
    if (m_settingsHandle != nullptr) {
        // Closed even while rows are at work: the window goes, the update process goes on.
        SendMessageW(m_settingsHandle, WM_CLOSE, CSetWnd::kForceClose, 0);
    }
}

void CMainWnd::OnDestroy() {
    FlushLightWrite();
    // A recording ends with the window: its steps are kept, the keyboard is given back.
    m_macroCommands->StopRecording(false);
    m_hook.Stop();
    m_tray.DeleteTrayIcon();
    ui::PostQuitMessage(0);
    OutputDebugLine("退出测试");
    hide();
    StopThreads();
}

void CMainWnd::StopThreads() {
    // A worker may be waiting in SendMessageW for this window (a device arrived as the window
    // closes) while the window waits for the worker: the window takes such messages without
    // handling them until its threads have ended, so none overstays to find the window gone.
    GetHWND()->RefuseMessages();
    m_threads.StopAll(MainThreads::kStopWaitMs, [this] { GetHWND()->ServeWaitingSenders(); });
}

void CMainWnd::OnTimer(UINT id) {
    KillTimer(id);
    switch (id) {
        case kTimerScaleAdaptation:
            AdaptScale();
            update();
            break;
        case kTimerTrayMenu:
            ShowTrayMenu();
            break;
        case kTimerLightWrite:
            FlushLightWrite();
            break;
        case kTimerGameLightRestore:
            if (m_gameLight.restore) {
                m_gameLight.restore();
            }
            break;
        case kTimerProfileSwitch:
            m_profileCommands->SwitchProfile();
            break;
        default:
            break;
    }
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        m_activeFlags = isActiveWindow() ? 1 : 0;
        const bool active = m_activeFlags != 0;
        ForEachPage([active](pages::COrvenixUSBDevice& page) { page.SetHover(active); });
    }
    ui::WindowImplBase::changeEvent(event);
}

// The registered messages the window handles, as data. `whileAsleep` rows are handled whatever
// the power state; the others wait for the resume like every other message.
struct CMainWnd::RegisteredRoute {
    UINT RegisteredMessages::*message;
    bool whileAsleep;
    void (CMainWnd::*handler)(UINT msg, WPARAM wParam, LPARAM lParam);
};

const CMainWnd::RegisteredRoute* CMainWnd::FindRegisteredRoute(UINT msg) {
    using M = RegisteredMessages;
    static const RegisteredRoute kRoutes[] = {
        {&M::UWM_APP_ACTIVATE_MSG, true, &CMainWnd::OnActivateMessage},
        {&M::UWM_LIGHT_OWNER_REQUEST_MSG, true, &CMainWnd::OnLightOwnerRequest},
        {&M::UWM_WORKTOOL_QUERY_MSG, true, &CMainWnd::OnWorkToolQuery},
        // Forwarded to the settings window while it is open.
        {&M::UWM_UPDATE_PROGRESS_MSG, true, &CMainWnd::OnUpdateProgress},
        {&M::WM_HOOK_KEY_HITKEY_MSG, false, &CMainWnd::OnIgnoredMessage},
        {&M::WM_HOOK_KEY_SINGLEKEY_MSG, false, &CMainWnd::OnSingleKeyCaptured},
        {&M::WM_HOOK_KEY_KBMACRO_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_KBMACROLATER_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_KBMACROPREVIOUS_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_KBMACROSINGLE_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_MSMACRO_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_MSMACROLATER_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_MSMACROPREVIOUS_MSG, false, &CMainWnd::OnMacroInput},
        {&M::WM_HOOK_KEY_MSMACROSINGLE_MSG, false, &CMainWnd::OnMacroInput},
        {&M::Game_Start, false, &CMainWnd::OnGameMessage},
        {&M::Game_End, false, &CMainWnd::OnGameMessage},
        {&M::Game_Kill, false, &CMainWnd::OnGameMessage},
        {&M::Game_Death, false, &CMainWnd::OnGameMessage},
    };
    if (msg == 0) {
        return nullptr;  // a name that was never registered has id 0
    }
    const RegisteredMessages& messages = Messages();
    for (const RegisteredRoute& route : kRoutes) {
        if (messages.*route.message == msg) {
            return &route;
        }
    }
    return nullptr;
}

void CMainWnd::OnActivateMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    DebugLine("软件标示 %u，%llx%llx", msg, static_cast<unsigned long long>(wParam),
              static_cast<unsigned long long>(lParam));
    OnActivate();
}

void CMainWnd::OnLightOwnerRequest(UINT /*msg*/, WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        SetLightControl(lParam == 0 ? 0 : 1, false);
    }
}

void CMainWnd::OnWorkToolQuery(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    ReplyToWorkTool();
}

void CMainWnd::OnSingleKeyCaptured(UINT /*msg*/, WPARAM wParam, LPARAM lParam) {
    if (m_inputHook.singleKey) {
        m_inputHook.singleKey(wParam, lParam);
    } else {
        DebugLine("captured key waiting: no key assignment editor");
    }
}

void CMainWnd::OnMacroInput(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == Messages().WM_HOOK_KEY_MSMACRO_MSG) {
        DebugLine("WM_HOOK_KEY_MSMACRO");
    }
    if (m_inputHook.macro) {
        m_inputHook.macro(msg, wParam, lParam);
    } else {
        DebugLine("recorded input waiting: no macro editor");
    }
}

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    if (const RegisteredRoute* route = FindRegisteredRoute(msg)) {
        if (route->whileAsleep || m_awake) {
            (this->*route->handler)(msg, wParam, lParam);
        }
        return 0;
    }
    if (msg == WM_DESTROY) {
        OnDestroy();
        return 0;
    }
    if (msg == WM_POWERBROADCAST) {
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            m_awake = true;
            const int flag = m_lightControl;
            ForEachPage([flag](pages::COrvenixUSBDevice& page) {
                page.SetSoftwareLightControl(flag != 0);
            });
        } else if (wParam == PBT_APMSUSPEND) {
            m_awake = false;
            ForEachPage(
                [](pages::COrvenixUSBDevice& page) { page.SetSoftwareLightControl(false); });
        }
        return 0;
    }
    if (!m_awake) {
        return 0;  // asleep: everything below waits for the resume
    }
    switch (msg) {
        case kMsgTrayIcon:
            if (lParam == WM_LBUTTONUP) {
                ToggleFromTray();
            } else if (lParam == WM_RBUTTONUP) {
                SetTimer(kTimerTrayMenu, 10);
            }
            return 0;
        case kMsgMenuCommand: {
            std::unique_ptr<ui::MenuCmd> cmd(reinterpret_cast<ui::MenuCmd*>(wParam));
            if (cmd) {
                OnMenuCommand(*cmd);
            }
            return 0;
        }
        case kMsgFirmwareCheck:
            CheckFirmware(lParam);
            return 0;
        case kMsgShowSettingProgress:
            if (QWidget* progress = FindControl("setting_progress")) {
                progress->show();
            }
            return 0;
        case kMsgBatteryRead:
            RefreshTrayStatus();
            return 0;
        case kMsgProfileIndexRead:
        case kMsgIgnored:
            return 0;
        case kMsgOpenSettings:
            OpenAuxiliaryWindow(m_windowOpeners.settings, "settings");
            return 0;
        case kMsgLanguageChosen:
            ApplyLanguage(static_cast<int>(wParam));
            return 0;
        case kMsgClearUpdateBadge:
            if (QWidget* setbtn = FindControl("setbtn")) {
                setbtn->setProperty("dui_foreimage", QVariant());
                setbtn->update();
            }
            return 0;
        case kMsgDeviceArrived:
            m_devices->Bind(static_cast<int>(wParam));
            RefreshTrayStatus();
            return 0;
        case kMsgDeviceRemoved:
            m_devices->Release(static_cast<int>(wParam));
            RefreshTrayStatus();
            return 0;
        case kMsgDeviceNodeDenied:
            if (wParam != 0) {
                OnDeviceNodeAccess(reinterpret_cast<const char*>(wParam),
                                   lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
            }
            return 0;
        case kMsgEntryReachable:
            m_devices->OnEntryReachable(static_cast<int>(wParam), lParam != 0);
            RefreshTrayStatus();
            return 0;
        case kMsgInputHook:
            OnKeyCaptureMessage(wParam);
            return 0;
        case WM_DPICHANGED: {
            const int dpi = static_cast<int>(wParam & 0xFFFF);
            const int scale = IsSupportedScale(dpi) ? dpi : 96;
            if (scale != m_uiScale) {
                ui::ApplyGlobalStyleSheet("style.qss", scale);  // fonts and lengths follow
            }
            m_uiScale = scale;
            m_pm.SetDPI(m_uiScale);
            if (const auto* suggested = reinterpret_cast<const QRect*>(lParam)) {
                setGeometry(*suggested);
            } else {
                resize(m_pm.Scale(1000), m_pm.Scale(640));
            }
            CenterWindow();
            DebugLine("界面 DPI 发生变化");
            return 0;
        }
        case kMsgDeviceInfoValid:
            ++m_infoMessages;
            m_deviceInfoValid = wParam != 0;
            ShowNoDevice(!m_deviceInfoValid);
            return 0;
        case WM_COPYDATA:
            if (lParam != 0) {
                OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            }
            return 0;
        case WM_DISPLAYCHANGE:
            DebugLine("显示器分辨率发生变化");
            m_displayChanged = true;
            AdaptScale();
            return 0;
        case WM_TIMER:
            OnTimer(static_cast<UINT>(wParam));
            return 0;
        default:
            break;
    }
    handled = false;
    return 0;
}

void CMainWnd::ApplyLanguage(int index) {
    // Nothing to do when the index is the one applied.
    if (index == m_languageIndex) {
        return;
    }
    if (ApplyLanguageIndex(index)) {
        m_languageIndex = index;
    }
    update();
    RefreshTrayStatus();
    // The open auxiliary windows rebuild their texts and layout.
    if (m_aboutHandle != nullptr) {
        SendMessageW(m_aboutHandle, kMsgLanguageChosen, 0, 0);
    }
    if (m_settingsHandle != nullptr) {
        SendMessageW(m_settingsHandle, kMsgLanguageChosen, 0, 0);
    }
}

void CMainWnd::OpenSystemSettings(int index) {
    // The system's own mouse (index 1) and keyboard (index 0) settings, started on a short-lived
    // thread so a slow start never holds up the window.
    const QStringList panel = index == 0 ? QStringList{"keyboard"} : QStringList{"mouse"};
    std::thread([panel] {
        for (const char* program :
             {"gnome-control-center", "systemsettings", "xfce4-mouse-settings"}) {
            if (QProcess::startDetached(QString::fromLatin1(program), panel)) {
                return;
            }
        }
        DebugLine("no system settings program found");
    }).detach();
}

void CMainWnd::OnClick(ui::TNotifyUI& msg) {
    QWidget* sender = msg.pSender;
    const QString name = sender->objectName();
    if (name == "closebtn") {
        CloseAuxiliaryWindows();
        HideToTray();
        return;
    }
    if (sender == FindControl("minbtn")) {
        SysCommand(SC_MINIMIZE);
    } else if (sender == FindControl("maxbtn")) {
        SysCommand(SC_MAXIMIZE);
    } else if (sender == FindControl("restorebtn")) {
        SysCommand(SC_RESTORE);
    } else if (sender == FindControl("setbtn")) {
        m_settingsFromButton = true;  // placed beside the button rather than centred
        OpenAuxiliaryWindow(m_windowOpeners.settings, "settings");
        m_settingsFromButton = false;
    } else if (sender == FindControl("skinbtn")) {
        OpenAuxiliaryWindow(m_windowOpeners.skin, "skin");
    } else if (name.compare("music_setting_btn", Qt::CaseInsensitive) == 0) {
        OpenAuxiliaryWindow(m_windowOpeners.audioStyle, "audio style");
    } else if (name.compare("nodevice_ok_btn", Qt::CaseInsensitive) == 0) {
        HideToTray();
    } else if (name.compare("default_btn", Qt::CaseInsensitive) == 0) {
        RestoreDefaults();
    } else if (name.compare("control_light_status", Qt::CaseInsensitive) == 0) {
        SetLightControl(m_lightControl ? 0 : 1, true);
    } else if (SplitIndexedName(name).prefix.compare("windowdeviceset_", Qt::CaseInsensitive) ==
               0) {
        OpenSystemSettings(SplitIndexedName(name).index);
    } else {
        m_router.Route(msg);
    }
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    const QString sender = msg.pSender ? msg.pSender->objectName() : QString();
    // A light change still waiting for its write goes first: what follows may switch the
    // profile or the page it belongs to.
    if (m_lightWritePage != nullptr && msg.sType != ui::notify::kTimer &&
        !IsLightSliderChange(msg)) {
        FlushLightWrite();
    }
    if (msg.sType != ui::notify::kTimer) {
        DebugLine("%s", msg.sType.toUtf8().constData());
        DebugLine("%s", sender.toUtf8().constData());
    }
    if (msg.sType == ui::notify::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == ui::notify::kWindowSize) {
        if (sender == "root" && m_displayChanged) {
            m_displayChanged = false;
            AdaptScale();
        }
    } else if (msg.sType == ui::notify::kSetFocus && sender == "keyset_keyboard_text_edit") {
        SendMessageW(GetHWND(), kMsgInputHook, 1, 0);
    } else if (msg.sType == ui::notify::kItemActivate && sender == "macro_action") {
        // The macro action menu, at the cursor.
        OpenMacroStepMenu(nullptr);
    } else if (msg.sType == ui::notify::kClick && msg.pSender != nullptr) {
        OnClick(msg);
    } else if (msg.sType == ui::notify::kMoveValueChanged &&
               SplitIndexedName(sender).prefix == "zelta_DPI_slider_") {
        // The main window's own DPI pair: the slider's value shows in the edit of the same index.
        const IndexedName split = SplitIndexedName(sender);
        if (auto* edit =
                m_pm.FindControl<QLineEdit>("zelta_DPI_edit_" + QString::number(split.index))) {
            edit->setText(QString::number(static_cast<int>(msg.wParam)));
        }
    } else if (msg.sType == ui::notify::kKillFocus &&
               SplitIndexedName(sender).prefix == "zelta_DPI_edit_") {
        auto* edit = qobject_cast<QLineEdit*>(msg.pSender);
        const IndexedName split = SplitIndexedName(sender);
        if (edit != nullptr) {
            const int value = std::clamp(edit->text().toInt(), 200, 6500);
            edit->setText(QString::number(value));
            if (auto* slider =
                    m_pm.FindControl<QSlider>("zelta_DPI_slider_" + QString::number(split.index))) {
                slider->setValue(value);
            }
        }
    } else if (msg.sType == ui::notify::kValueChanged &&
               (sender == "R_light_slider" || sender == "G_light_slider" ||
                sender == "B_light_slider")) {
        const QString channel = sender.left(1);
        if (auto* label = m_pm.FindControl<QLabel>(channel + "_light_label")) {
            label->setText(QString("%1 %2").arg(channel).arg(static_cast<int>(msg.wParam)));
        }
    } else {
        m_router.Route(msg);
    }
}

}  // namespace q840
