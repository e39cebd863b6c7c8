#pragma once

#include <QPointer>
#include <memory>

#include "platform/ui/CMenuWnd.h"
#include "platform/ui/CTrayIcon.h"
#include "platform/ui/WindowImplBase.h"

namespace q840 {

class BusLinkAdapter;

// The program's main window: hosts the device strip and pages, the title bar and the tray icon,
// and handles the process's window messages.
class CMainWnd : public ui::WindowImplBase {
    Q_OBJECT
public:
    CMainWnd();
    ~CMainWnd() override;

    // Outgoing messages to other programs (broadcasts). Set by the entry function before Create.
    using BroadcastFn = std::function<void(const QString& name, quint64 wParam, qint64 lParam)>;
    void SetBroadcaster(BroadcastFn broadcast) { m_broadcast = std::move(broadcast); }

    // Process-wide handle of the main window, for worker threads (null before InitWindow).
    static HWND MainHandle();

    bool IsLightControlled() const { return m_lightControl != 0; }
    int UIScale() const { return m_uiScale; }
    // The control that shows whether this program drives the lighting.
    QWidget* TitleControl(const QString& name) const { return FindControl(name); }

    void Notify(ui::TNotifyUI& msg) override;
    QWidget* CreateControl(const QString& tagName) override;

signals:
    // The window was restored and raised by the activation message (start-up complete).
    void activated();

protected:
    QString GetSkinFile() override { return QStringLiteral("XML_MAIN"); }
    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void OnWindowInit();
    void OnTimer(UINT id);
    void OnActivate();
    void ToggleFromTray();
    void ShowTrayMenu();
    void OnMenuCommand(const ui::MenuCmd& cmd);
    void SetLightControl(int flag, bool broadcast);
    void Broadcast(UINT registeredMessage, quint64 wParam, qint64 lParam);
    void BringToFront();

    ui::CTrayIcon m_tray;
    QPointer<ui::CMenuWnd> m_trayMenu;
    BroadcastFn m_broadcast;
    int m_lightControl = 1;
    int m_uiScale = 96;
    bool m_awake = true;
    int m_languageIndex = -1;
};

}  // namespace q840
