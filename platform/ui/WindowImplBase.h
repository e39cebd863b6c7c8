#pragma once

#include <QHash>
#include <QWidget>

class QTimer;
#include <functional>
#include <memory>

#include "platform/MessageTarget.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/UIDefs.h"

namespace q840::ui {

// False on the offscreen and minimal platforms (screenshots, tests): nothing there stacks windows
// or takes size hints, and Qt says so on every such request.
bool PlatformHasWindowSystem();

// A top-level window built from a layout of the skin.
//
// Create() builds the layout named by GetSkinFile() (a res.xml key or a file), attaches it to the
// window's paint manager, calls InitWindow(), and sends "windowinit" when the window is first
// shown and "windowsize" (sender: the root control) when its size changes. Window messages sent
// or posted to GetHWND() from any thread reach HandleCustomMessage on the UI thread.
//
// The window draws its own title bar: a press inside the caption area (the layout's
// caption="l,t,r,b", bottom = caption height) that is not on a control moves the window.
class WindowImplBase : public QWidget, public INotifyUI, public IDialogBuilderCallback {
    Q_OBJECT
public:
    WindowImplBase();
    ~WindowImplBase() override;

    bool Create(QWidget* parent, const QString& title);
    HWND GetHWND();
    CPaintManagerUI& PaintManager() { return m_pm; }
    // The window's size at scale 96 as its layout gives it (<Window size="w,h">); empty if none.
    QSize GetInitSize() const { return m_initSize; }
    QWidget* FindControl(const QString& name) const { return m_pm.FindControl(name); }

    void ShowWindow(bool show = true);
    void CenterWindow();
    // WM_SYSCOMMAND stand-in: SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE.
    void SysCommand(WPARAM command);
    // Ends the window: sends WM_DESTROY to the handler, then deletes the window later.
    void Close();
    bool IsDestroyed() const { return m_destroyed; }

    // Window timers: WM_TIMER (wParam = id) reaches HandleCustomMessage every elapseMs.
    void SetTimer(UINT id, int elapseMs);
    void KillTimer(UINT id);
    // Milliseconds until timer `id` fires, or -1 when it is not armed.
    int TimerRemainingMs(UINT id) const;

    // Modal run (settings, message box, ...): shows the window and returns its result once
    // EndModal is called. Tests answer modal windows through ModalSeam.
    int ShowModal();
    void EndModal(int result);

    // INotifyUI
    void Notify(TNotifyUI& msg) override;
    // IDialogBuilderCallback: no tags of its own by default.
    QWidget* CreateControl(const QString& tagName) override;

protected:
    virtual QString GetSkinFile() = 0;
    virtual QString GetWindowClassName() const { return "WindowImplBase"; }
    virtual void InitWindow() {}
    // Every message sent or posted to the window. Set handled to stop the default handling
    // (WM_CLOSE: Close(); WM_SYSCOMMAND: SysCommand).
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual void OnFinalMessage() {}

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    CPaintManagerUI m_pm;

private:
    class Target;
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    bool InCaption(const QPoint& pos) const;

    std::unique_ptr<Target> m_messageTarget;
    QHash<UINT, QTimer*> m_timers;
    QWidget* m_root = nullptr;
    int m_captionHeight = 0;
    QSize m_initSize;
    bool m_initSent = false;
    bool m_destroyed = false;
    bool m_inModal = false;
    int m_modalResult = 0;
};

// Test seam for modal windows: when an answerer is set, ShowModal does not run a loop but asks
// the answerer for the result (it may inspect the window first).
class ModalSeam {
public:
    using Answerer = std::function<int(WindowImplBase& window)>;
    static void SetAnswerer(Answerer answerer);
    static const Answerer& Get();
};

// Ends the application's event loop with the exit code (PostQuitMessage stand-in).
void PostQuitMessage(int exitCode);

}  // namespace q840::ui
