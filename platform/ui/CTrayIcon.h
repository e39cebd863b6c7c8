#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "platform/MessageTarget.h"

class QSystemTrayIcon;

namespace q840::ui {

// The notification-area icon. Clicks reach the owner window as its callback message with
// lParam = WM_LBUTTONUP (left click) or WM_RBUTTONUP (right click / context request), the way
// the tray reports mouse messages.
class CTrayIcon : public QObject {
    Q_OBJECT
public:
    CTrayIcon();
    ~CTrayIcon() override;

    // iconFile is relative to the skin folder. False when no tray is available (the icon is still
    // kept, so that it shows when a tray appears).
    bool CreateTrayIcon(HWND owner, const QString& iconFile, const QString& toolTip,
                        UINT callbackMessage);
    void DeleteTrayIcon();
    void SetToolTipText(const QString& toolTip);
    QString GetToolTipText() const;
    bool IsVisible() const;
    static bool IsSystemTrayAvailable();

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    HWND m_owner = nullptr;
    UINT m_callbackMessage = 0;
};

}  // namespace q840::ui
