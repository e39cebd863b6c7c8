#include "platform/ui/CTrayIcon.h"

#include <QIcon>
#include <QSystemTrayIcon>

#include "platform/ui/CResourceManager.h"

namespace q840::ui {

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() {
    DeleteTrayIcon();
}

bool CTrayIcon::CreateTrayIcon(HWND owner, const QString& iconFile, const QString& toolTip,
                               UINT callbackMessage) {
    m_owner = owner;
    m_callbackMessage = callbackMessage;
    m_icon = std::make_unique<QSystemTrayIcon>(
        QIcon(CResourceManager::GetInstance().GetResourcePath() + iconFile));
    m_icon->setToolTip(toolTip);
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    PostMessageW(m_owner, m_callbackMessage, 0, WM_LBUTTONUP);
                } else if (reason == QSystemTrayIcon::Context) {
                    PostMessageW(m_owner, m_callbackMessage, 0, WM_RBUTTONUP);
                }
            });
    m_icon->show();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::DeleteTrayIcon() {
    if (m_icon) {
        m_icon->hide();
        m_icon.reset();
    }
}

void CTrayIcon::SetToolTipText(const QString& toolTip) {
    if (m_icon) {
        m_icon->setToolTip(toolTip);
    }
}

QString CTrayIcon::GetToolTipText() const {
    return m_icon ? m_icon->toolTip() : QString();
}

bool CTrayIcon::IsVisible() const {
    return m_icon && m_icon->isVisible();
}

bool CTrayIcon::IsSystemTrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace q840::ui
