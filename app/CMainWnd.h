#pragma once

#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QSize>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/ControlCommands.h"
#include "app/DeviceSwitching.h"
#include "app/KeyCommands.h"
#include "app/MacroCommands.h"
#include "app/MainSkin.h"
#include "app/MainThreads.h"
#include "app/NotifyRouting.h"
#include "app/ProfileCommands.h"
#include "app/ProgramLink.h"
#include "app/ShootCommands.h"
#include "app/TrayStatus.h"
#include "app/WorkToolLink.h"
#include "app/WriteNotice.h"
#include "platform/input/CDeviceHook.h"
#include "platform/ui/CMenuWnd.h"
#include "platform/ui/CTrayIcon.h"
#include "platform/ui/WindowImplBase.h"
#include "windows/CSetWnd.h"
#include "windows/CSkinFrame.h"

namespace q840::pages {
class COrvenixUSBDevice;
}

namespace q840 {

class UpdateStandIn;

// The program's main window: hosts the device strip and pages, the title bar and the tray icon,
// handles the process's window messages and routes the controls' notifications.
class CMainWnd : public ui::WindowImplBase, public IDeviceSwitchHost {
    Q_OBJECT
public:
    CMainWnd();
    ~CMainWnd() override;

    // How the window reaches other programs. Set before Create; may stay unset (tests).
    void SetProgramLink(IProgramLink* link) { m_link = link; }

    // Process-wide handle of the main window, for worker threads (null before InitWindow).
    static HWND MainHandle();

    bool IsLightControlled() const { return m_lightControl != 0; }
    bool IsAwake() const { return m_awake; }
    int UIScale() const { return m_uiScale; }
    int LanguageIndex() const { return m_languageIndex; }
    HWND AboutHandle() const { return m_aboutHandle; }
    HWND SettingsHandle() const { return m_settingsHandle; }
    // The settings window ("setbtn": at the window's top right; the menu and 3093: centred), run
    // modally; nothing when one is open. The default settings opener.
    void OpenSettings(bool besideButton);
    // What the settings window is opened with: languages, scale, the update information list.
    CSetWnd::Options SettingsOptions(bool besideButton);
    // One entry per row of the device model table that has a version: a device's from the page
    // behind the selector entry at the same place, the program's from its package version.
    std::vector<windows::UpdateEntry> BuildUpdateEntries();
    // The skin pop-up below "skinbtn" (the default skin opener); a second click closes it.
    void OpenSkinFrame();
    CSkinFrame* SkinFrame() const { return m_skinFrame; }
    // The simulated devices' stand-in for the outside update process (not owned); null: none.
    void SetUpdateStandIn(UpdateStandIn* standIn);
    QSize ScreenSize() const { return m_screenSize; }
    NotifyRouter& Router() { return m_router; }
    MainThreads& Threads() { return m_threads; }
    const WorkToolBuffers& WorkTool() const { return m_workTool; }
    // The monitor size the scale adaptation reads; tests replace it.
    void SetMonitorSizeSource(std::function<QSize()> source) { m_monitorSize = std::move(source); }
    // Whether a notification area takes the tray icon now (tests stand in for the desktop).
    void SetTrayAvailabilitySource(std::function<bool()> source) {
        m_trayAvailable = std::move(source);
    }
    // The game light reaction changes the current page's lighting; the page code provides it.
    struct GameLightHooks {
        std::function<void(WPARAM wParam, LPARAM lParam)> apply;  // wParam 0..2
        std::function<void()> restore;                            // 5 s after the last message
    };
    void SetGameLightHooks(GameLightHooks hooks) { m_gameLight = std::move(hooks); }
    // Where the input hook's messages go: the captured key to the current page's key
    // assignment, recorded input to its macro editor. The editors install these.
    struct InputHookHandlers {
        std::function<void(WPARAM wParam, LPARAM lParam)> singleKey;
        std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> macro;
    };
    void SetInputHookHandlers(InputHookHandlers handlers) { m_inputHook = std::move(handlers); }
    // The auxiliary windows the title bar and 3093 open; each window's code installs its opener.
    struct WindowOpeners {
        std::function<void()> settings;    // "setbtn", 3093
        std::function<void()> skin;        // "skinbtn"
        std::function<void()> audioStyle;  // "music_setting_btn"
    };
    void SetWindowOpeners(WindowOpeners openers) { m_windowOpeners = std::move(openers); }
    // How a notice reaches the desktop (a battery running low); unset: none is shown.
    using DesktopNotifier = std::function<void(const QString& summary, const QString& body)>;
    void SetDesktopNotifier(DesktopNotifier notifier) { m_desktopNotifier = std::move(notifier); }
    // The tray icon's tooltip: the attached devices and their batteries.
    QString TrayToolTip() const { return m_tray.GetToolTipText(); }
    // The attached devices as the tray tells of them (visible entries of the device strip).
    std::vector<TrayDevice> CollectTrayDevices() const;
    // Refreshes the tooltip and raises the notice of a battery that has just run low.
    void RefreshTrayStatus();
    // Menu commands of the macro editor (delay options, mouse button events to insert).
    void SetMacroMenuHandler(std::function<void(const QString& command)> handler) {
        m_macroMenu = std::move(handler);
    }
    void SetGameLightRestoreMs(int ms) { m_gameLightRestoreMs = ms; }  // 5000; tests shorten it
    // Runs the scale adaptation now (kTimerScaleAdaptation, display changes, showing from the
    // tray).
    void AdaptScale();

    // The page of the first selector entry that is visible and selected; null when there is none.
    pages::COrvenixUSBDevice* CurrentPage() const;
    bool IsDeviceInfoValid() const { return m_deviceInfoValid; }
    // Where the firmware upgrade program is started from, and how; tests replace the launcher.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments,
                                        const QString& workingFolder)>;
    void SetLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    // The profile file dialogs (open: save false); tests answer them instead of the user.
    using FileChooser = std::function<QString(bool save)>;
    void SetProfileFileChooser(FileChooser chooser) { m_chooseProfileFile = std::move(chooser); }
    ProfileCommands& Profiles() { return *m_profileCommands; }
    // What other programs and q840ctl ask of the running program (the control interface).
    ControlCommands& Control() { return *m_controlCommands; }
    // The macro file dialogs (open: save false); tests answer them instead of the user.
    void SetMacroFileChooser(FileChooser chooser) { m_chooseMacroFile = std::move(chooser); }
    MacroCommands& Macros() { return *m_macroCommands; }
    // The shoot file dialogs (open: save false); tests answer them instead of the user.
    void SetShootFileChooser(FileChooser chooser) { m_chooseShootFile = std::move(chooser); }
    // The text of a language key, read back through the hidden label "str_test".
    QString LanguageText(const QString& key);
    // A language file ("lan_en.xml") shown instead of the stored choice, which stays as it is
    // (screenshots); empty: the stored choice.
    void SetLanguageOverride(const QString& file) { m_languageOverride = file; }
    // The first activation (the end of the first device scan) leaves the window in the tray
    // (minimised where there is none); later ones show it as usual. The autostart entry's start.
    void SetStartHidden(bool hidden) { m_startHidden = hidden; }
    // Still in a hidden start-up (the first scan and its activation not yet over).
    bool IsStartingHidden() const { return m_startHidden; }

    void Notify(ui::TNotifyUI& msg) override;
    QWidget* CreateControl(const QString& tagName) override;

    // IDeviceSwitchHost
    ui::CPaintManagerUI& PaintManager() override { return m_pm; }
    ui::IDialogBuilderCallback* BuilderCallback() override { return this; }
    HWND WindowHandle() override { return GetHWND(); }
    void RunActivation() override { OnActivate(); }
    void CloseAuxiliaryWindows() override;
    // The input hook is in (key capture or a recording), or a recording holds the window
    // locked although its hook could not start.
    bool IsInputHookInstalled() const override;
    void StopInputHook() override;
    // The process's input hook (tests give it a source of their own).
    input::CDeviceHook& InputHook() { return m_hook; }
    void OnPageWrite(pages::COrvenixUSBDevice& page, int result) override;
    void OnPendingWritesChanged() override;
    // A node that cannot be opened: one line on stderr per node, and the empty state's hint says
    // that the device is there but out of reach; an opened node brings the usual hint back.
    void OnDeviceNodeAccess(const std::string& path, const std::string& error) override;
    // The mouse's block of profile 0; other kinds take the screen size.
    int WritePageSettings(pages::COrvenixUSBDevice& page) override;
    // The notice of a change that has not reached its device yet.
    const WriteNotice& PendingWriteNotice() const { return m_writeNotice; }
    // Light slider changes and the writes that carried them: at most one write waits at a time,
    // holding the latest record, so `changes` - `writes` steps never reached the wire.
    struct LightWriteCounts {
        int changes = 0;    // slider steps taken by the page
        int writes = 0;     // profile saves and settings writes they caused
        int coalesced = 0;  // steps that replaced the record of a write already waiting
        qint64 lastWriteUs = 0;
    };
    const LightWriteCounts& LightWrites() const { return m_lightWrites; }
    bool LightWriteWaiting() const;
    // How long a slider change waits for its write at least, and the shortest time between two
    // such writes: a preview frame at the slowest speed (28 ms) and its push to the picture
    // (5 ms), so the picture shows the step before the write holds the window; tests lengthen it.
    void SetLightWriteMinGapMs(qint64 ms) { m_lightWriteMinGapMs = ms; }

    // The attached devices: device list, pages, selector.
    DeviceSwitching& Devices() { return *m_devices; }
    // Every page whose command interface is open has had its first read (the information
    // message arrived once per open page), or there is none.
    bool FirstReadsDone() const;

signals:
    // The window was restored and raised by the activation message (start-up complete).
    void activated();

protected:
    QString GetSkinFile() override { return QStringLiteral("XML_MAIN"); }
    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void changeEvent(QEvent* event) override;

private:
    void OnWindowInit();
    void OnTimer(UINT id);
    void OnActivate();
    void OnDestroy();
    void StopThreads();
    void ToggleFromTray();
    void ShowTrayMenu();
    void OnMenuCommand(const ui::MenuCmd& cmd);
    void OnClick(ui::TNotifyUI& msg);
    // Registered messages, handled from a table (HandleCustomMessage).
    struct RegisteredRoute;
    static const RegisteredRoute* FindRegisteredRoute(UINT msg);
    void OnActivateMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnLightOwnerRequest(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnWorkToolQuery(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnSingleKeyCaptured(UINT msg, WPARAM wParam, LPARAM lParam);
    // Private message 1054: the key capture of the key assignment editor on (1) or off (0).
    void OnKeyCaptureMessage(WPARAM wParam);
    void LockForRecording(pages::COrvenixUSBDevice& page, bool locked);
    void OnMacroInput(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnIgnoredMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    // The update process's progress, passed on to the open settings window.
    void OnUpdateProgress(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnGameMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCopyData(const COPYDATASTRUCT& data);
    void ReplyToWorkTool();
    void SetLightControl(int flag, bool broadcast);
    void ApplyLanguage(int index);
    void ForEachPage(const std::function<void(pages::COrvenixUSBDevice&)>& action) const;
    // The close button: hidden in the tray, or minimised where there is no tray.
    void HideToTray();
    void SetPagesHidden(bool hidden);
    // Lets go of what only a shown window needs (run once the window is hidden to the tray).
    void ReleaseWhileHidden();
    void CheckFirmware(LPARAM version);
    void RestoreDefaults();
    // The colour picker for DPI stage `stage` (its colour button `button`).
    void OpenStageColourPicker(QWidget* button, int stage);
    void OpenSystemSettings(int index);
    void Broadcast(UINT registeredMessage, quint64 wParam, qint64 lParam);
    void BringToFront();
    void RefreshNoDeviceIndicator();
    void ShowNoDevice(bool show) override;
    void OpenAuxiliaryWindow(const std::function<void()>& opener, const char* what);
    void InstallRouteHandlers();
    void InstallGameLightHooks();
    static bool IsLightSliderChange(const ui::TNotifyUI& msg);
    // A slider's light change: written by kTimerLightWrite a frame later, or once the mouse has
    // had its pause since the last write, with whatever record the page holds by then.
    void QueueLightWrite(pages::COrvenixUSBDevice& page);
    void FlushLightWrite();
    void InstallProfileCommands();
    void InstallMacroCommands();
    void InstallKeyCommands();
    void InstallShootCommands();
    void InstallControlCommands();
    // The macro step menu at the cursor, or below `anchor`; one open at a time.
    void OpenMacroStepMenu(QWidget* anchor);

    ui::CTrayIcon m_tray;
    TrayStatus m_trayStatus{[this](const QString& key) { return LanguageText(key); }};
    DesktopNotifier m_desktopNotifier;
    QPointer<ui::CMenuWnd> m_trayMenu;
    HWND m_aboutHandle = nullptr;     // while the about window runs
    HWND m_settingsHandle = nullptr;  // while the settings window runs
    bool m_settingsFromButton = false;
    UpdateStandIn* m_updateStandIn = nullptr;
    MainSkinReceiver m_skinReceiver{*this};
    QPointer<CSkinFrame> m_skinFrame;
    IProgramLink* m_link = nullptr;
    NotifyRouter m_router;
    MainThreads m_threads;
    WorkToolBuffers m_workTool;
    std::function<QSize()> m_monitorSize;
    std::function<bool()> m_trayAvailable;
    bool m_toldTrayMissing = false;
    GameLightHooks m_gameLight;
    InputHookHandlers m_inputHook;
    WindowOpeners m_windowOpeners;
    std::function<void(const QString&)> m_macroMenu;
    Launcher m_launcher;
    FileChooser m_chooseProfileFile;
    FileChooser m_chooseMacroFile;
    std::unique_ptr<MacroCommands> m_macroCommands;
    std::unique_ptr<KeyCommands> m_keyCommands;
    FileChooser m_chooseShootFile;
    std::unique_ptr<ShootCommands> m_shootCommands;
    QPointer<QMenu> m_stepMenu;
    QString m_languageOverride;
    bool m_startHidden = false;
    bool m_colourPickerOpen = false;
    std::unique_ptr<ProfileCommands> m_profileCommands;
    std::unique_ptr<ControlCommands> m_controlCommands;
    int m_gameLightRestoreMs = 5000;
    QSize m_screenSize;
    int m_lightControl = 1;
    int m_uiScale = 96;
    bool m_awake = true;
    bool m_displayChanged = false;
    bool m_deviceInfoValid = false;
    int m_noDeviceShown = -1;  // whether the empty state shows; -1 before the first decision
    int m_activeFlags = 0;
    int m_languageIndex = -1;
    input::CDeviceHook m_hook;
    int m_infoMessages = 0;
    WriteNotice m_writeNotice;
    QPointer<pages::COrvenixUSBDevice> m_lightWritePage;  // a light write waiting
    QElapsedTimer m_lightWriteDone;
    qint64 m_lightWritePaceMs = 0;
    qint64 m_lightWriteMinGapMs = 40;
    LightWriteCounts m_lightWrites;
    std::unique_ptr<DeviceSwitching> m_devices;
    std::set<std::string> m_deniedNodes;  // nodes already reported as out of reach
};

}  // namespace q840
