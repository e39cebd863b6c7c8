#include "app/CMainWnd.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <atomic>

#include "app/ControlTables.h"
#include "app/Language.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "platform/Paths.h"
#include "platform/base/DebugLine.h"
#include "platform/base/RegisteredMessage.h"
#include "platform/ui/CResourceManager.h"

namespace q840 {

namespace {
std::atomic<HWND> g_mainHandle{nullptr};

// Menu alignment: left|top at the cursor.
constexpr int kTrayMenuAlignment = ui::eMenuAlignment_Left | ui::eMenuAlignment_Top;
}  // namespace

CMainWnd::CMainWnd() = default;

CMainWnd::~CMainWnd() {
    HWND self = GetHWND();
    g_mainHandle.compare_exchange_strong(self, nullptr);
}

HWND CMainWnd::MainHandle() { return g_mainHandle.load(); }

QWidget* CMainWnd::CreateControl(const QString& tagName) {
    return CreateMainWindowControl(tagName, &m_pm);
}

void CMainWnd::InitWindow() {
    DebugLine("InitWindow");
    ui::CResourceManager::GetInstance().LoadLanguage("lan_cn.xml");
    g_mainHandle.store(GetHWND());
    setWindowIcon(QIcon(ui::CResourceManager::GetInstance().GetResourcePath() + "icons/app.svg"));
    m_tray.CreateTrayIcon(GetHWND(), "icons/app.svg", kProductTitle, kMsgTrayIcon);
}

void CMainWnd::OnWindowInit() {
    // Other programs learn that this program drives the lighting.
    Broadcast(Messages().UWM_LIGHT_OWNER_NOTIFY_MSG, 1, 1);
    m_languageIndex = ReadStoredLanguageIndex();
    ApplyLanguageIndex(m_languageIndex);
    // Hidden until the activation message: the device scan posts it after its first pass.
    // Until the scan exists, the window activates itself once the event loop runs.
    hide();
    PostMessageW(GetHWND(), Messages().UWM_APP_ACTIVATE_MSG, 0, 0);
    SetTimer(kTimerScaleAdaptation, 100);
}

void CMainWnd::Broadcast(UINT registeredMessage, quint64 wParam, qint64 lParam) {
    if (m_broadcast) {
        m_broadcast(QString::fromStdString(RegisteredMessageName(registeredMessage)), wParam,
                    lParam);
    }
}

void CMainWnd::BringToFront() {
    SysCommand(SC_RESTORE);
    show();
    raise();
    activateWindow();
}

void CMainWnd::OnActivate() {
    BringToFront();
    emit activated();
}

void CMainWnd::ToggleFromTray() {
    const bool visible = isVisible() && !isMinimized();
    if (visible) {
        hide();
    } else {
        BringToFront();
    }
}

void CMainWnd::ShowTrayMenu() {
    if (m_trayMenu) {
        m_trayMenu->close();
    }
    m_trayMenu = new ui::CMenuWnd(GetHWND(), kMsgMenuCommand);
    m_trayMenu->LoadFromFile("menu.xml");
    m_trayMenu->ShowAt(QCursor::pos(), kTrayMenuAlignment);
}

void CMainWnd::OnMenuCommand(const ui::MenuCmd& cmd) {
    if (cmd.name == "exit") {
        Close();
    } else if (cmd.name == "show") {
        BringToFront();
    }
}

void CMainWnd::SetLightControl(int flag, bool broadcast) {
    m_lightControl = flag;
    if (QWidget* status = FindControl("control_light_status")) {
        ui::CResourceManager::GetInstance().SetControlText(status, flag ? "控制灯光" : "不控制灯光");
    }
    if (broadcast) {
        Broadcast(Messages().UWM_LIGHT_OWNER_NOTIFY_MSG, 1, flag);
    }
}

void CMainWnd::OnTimer(UINT id) {
    KillTimer(id);
    if (id == kTimerTrayMenu) {
        ShowTrayMenu();
    } else if (id == kTimerScaleAdaptation) {
        update();
    }
}

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    const RegisteredMessages& messages = Messages();
    handled = true;
    if (msg == messages.UWM_APP_ACTIVATE_MSG && msg != 0) {
        DebugLine("软件标示 %u，%llx%llx", msg, static_cast<unsigned long long>(wParam),
                  static_cast<unsigned long long>(lParam));
        OnActivate();
        return 0;
    }
    if (msg == messages.UWM_LIGHT_OWNER_REQUEST_MSG && msg != 0) {
        if (wParam == 1) {
            SetLightControl(lParam == 0 ? 0 : 1, false);
        }
        return 0;
    }
    if (msg == WM_DESTROY) {
        m_tray.DeleteTrayIcon();
        ui::PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_POWERBROADCAST) {
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            m_awake = true;
        } else if (wParam == PBT_APMSUSPEND) {
            m_awake = false;
        }
        return 0;
    }
    if (!m_awake) {
        return 0;
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
        case WM_TIMER:
            OnTimer(static_cast<UINT>(wParam));
            return 0;
        default:
            break;
    }
    handled = false;
    return 0;
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::notify::kWindowInit) {
        OnWindowInit();
        return;
    }
    if (msg.sType != ui::notify::kClick || msg.pSender == nullptr) {
        return;
    }
    const QString name = msg.pSender->objectName();
    if (name == "closebtn") {
        hide();
    } else if (name == "minbtn") {
        SysCommand(SC_MINIMIZE);
    } else if (name == "maxbtn") {
        SysCommand(SC_MAXIMIZE);
    } else if (name == "restorebtn") {
        SysCommand(SC_RESTORE);
    } else if (name == "nodevice_ok_btn") {
        hide();
    } else if (name == "control_light_status") {
        SetLightControl(m_lightControl ? 0 : 1, true);
    }
}

}  // namespace q840
