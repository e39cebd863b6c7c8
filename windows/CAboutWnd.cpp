#include "windows/CAboutWnd.h"

#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>

#include "core/base/DebugLine.h"
#include "platform/ui/CResourceManager.h"

namespace q840 {

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 572;
constexpr UINT kIdleTimer = 1;
}  // namespace

CAboutWnd::CAboutWnd() = default;

int CAboutWnd::ShowAbout(QWidget* owner, HWND& aboutHandle) {
    if (aboutHandle != nullptr) {
        return -1;  // one about window at a time
    }
    auto* wnd = new CAboutWnd();
    if (!wnd->Create(owner, QStringLiteral("  "))) {
        DebugLine("ABOUT_WND layout missing");
        delete wnd;
        return 0;
    }
    // The about window opens at the scale its owner runs at.
    if (auto* ownerWindow = dynamic_cast<ui::WindowImplBase*>(owner)) {
        wnd->PaintManager().SetDPI(ownerWindow->PaintManager().GetDPI());
        wnd->OnScaleChanged();
    }
    wnd->resize(wnd->m_pm.Scale(kWidth), wnd->m_pm.Scale(kHeight));
    wnd->show();
    wnd->UpdateVersionText();
    aboutHandle = wnd->GetHWND();
    wnd->CenterWindow();

    QPointer<CAboutWnd> guard(wnd);
    wnd->m_running = true;
    const int result = wnd->ShowModal();
    aboutHandle = nullptr;
    if (guard) {
        guard->m_running = false;
        if (guard->IsDestroyed()) {
            guard->deleteLater();
        } else {
            guard->Close();
        }
    }
    return result;
}

void CAboutWnd::InitWindow() {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_closeBtn = FindControl("closebtn");
    m_maxBtn = FindControl("maxbtn");
    m_restoreBtn = FindControl("restorebtn");
    m_minBtn = FindControl("minbtn");
    m_menuBtn = FindControl("menubtn");
    for (QWidget* button : {m_closeBtn.data(), m_maxBtn.data(), m_restoreBtn.data(),
                            m_minBtn.data(), m_menuBtn.data()}) {
        if (button != nullptr) {
            button->setFocusPolicy(Qt::NoFocus);  // title bar buttons are for the mouse
        }
    }
    if (auto* version = qobject_cast<QLabel*>(FindControl("software_ver_label"))) {
        version->setTextFormat(Qt::PlainText);
    }
    SyncMaxRestore();
    m_styledScale = m_pm.GetDPI();
    windows::ApplyWindowStyle(this, m_styledScale);
}

void CAboutWnd::UpdateVersionText() {
    QWidget* probe = FindControl("text_test");
    auto* version = qobject_cast<QLabel*>(FindControl("software_ver_label"));
    auto* probeLabel = qobject_cast<QLabel*>(probe);
    if (probeLabel == nullptr || version == nullptr) {
        return;
    }
    ui::CResourceManager::GetInstance().SetControlText(probeLabel, "software_rev_text");
    // The version label shows the resolved text itself, not the key: it is refreshed here on a
    // language switch instead.
    version->setProperty("dui_rawtext", QVariant());
    version->setText(probeLabel->text());
}

void CAboutWnd::OnScaleChanged() {
    windows::ReleaseFixedSize(this);
    if (m_styledScale != m_pm.GetDPI()) {
        m_styledScale = m_pm.GetDPI();
        windows::ApplyWindowStyle(this, m_styledScale);
    }
    if (!isMaximized() && GetInitSize().width() > 0) {
        resize(m_pm.Scale(kWidth), m_pm.Scale(kHeight));
    }
    Relayout();
}

void CAboutWnd::Relayout() {
    for (QLayout* layout : findChildren<QLayout*>()) {
        layout->invalidate();
    }
    if (layout() != nullptr) {
        layout()->activate();
    }
    update();
}

void CAboutWnd::SyncMaxRestore() {
    const bool maximized = isMaximized();
    if (m_maxBtn) {
        m_maxBtn->setVisible(!maximized);
    }
    if (m_restoreBtn) {
        m_restoreBtn->setVisible(maximized);
    }
}

void CAboutWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType != ui::notify::kClick || msg.pSender == nullptr || IsDestroyed()) {
        return;
    }
    if (msg.pSender == m_closeBtn) {
        Close();
    } else if (msg.pSender == m_minBtn) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (msg.pSender == m_maxBtn) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (msg.pSender == m_restoreBtn) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    // "homepage_btn" and "menubtn" do nothing.
}

LRESULT CAboutWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    if (msg == windows::WM_KEYDOWN &&
        (wParam == windows::VK_RETURN || wParam == windows::VK_ESCAPE)) {
        return windows::ResponseDefaultKeyEvent(*this, wParam);
    }
    if (msg == windows::kMsgLanguageChanged) {
        UpdateVersionText();
        Relayout();
        return 0;
    }
    if (msg == WM_TIMER && wParam == kIdleTimer) {
        KillTimer(kIdleTimer);
        return 0;
    }
    if (msg == WM_SYSCOMMAND) {
        if (wParam == windows::SC_CLOSE) {
            // Alt+F4 or the window menu's close ends this window only, like its close button;
            // the program goes on running in the tray.
            Close();
            return 0;
        }
        const bool wasMaximized = isMaximized();
        SysCommand(wParam);
        if (isMaximized() != wasMaximized) {
            SyncMaxRestore();
        }
        return 0;
    }
    handled = false;
    return 0;
}

void CAboutWnd::keyPressEvent(QKeyEvent* event) {
    const WPARAM key = windows::VirtualKeyOf(event->key());
    if (key == 0) {
        ui::WindowImplBase::keyPressEvent(event);
        return;
    }
    event->accept();
    SendMessageW(GetHWND(), windows::WM_KEYDOWN, key, 0);
}

void CAboutWnd::closeEvent(QCloseEvent* event) {
    // The window manager's close (Alt+F4) is the system close command.
    event->ignore();
    if (!IsDestroyed()) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, windows::SC_CLOSE, 0);
    }
}

void CAboutWnd::changeEvent(QEvent* event) {
    ui::WindowImplBase::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        SyncMaxRestore();  // also when the window manager maximises or restores the window
    }
}

void CAboutWnd::OnFinalMessage() {
    if (!m_running) {
        deleteLater();
    }
}

}  // namespace q840
