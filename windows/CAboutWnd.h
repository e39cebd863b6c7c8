#pragma once

#include <QPointer>
#include <QString>

#include "platform/ui/WindowImplBase.h"
#include "windows/WindowSupport.h"

namespace q840 {

// The about window: product name, version and a few lines about the program.
//
// The layout ("AboutWnd.xml") provides "closebtn", "minbtn", "maxbtn", "restorebtn", "menubtn",
// "homepage_btn", "software_ver_label" (the version text) and the hidden label "text_test" on
// which the window resolves the language key of the version text.
class CAboutWnd : public ui::WindowImplBase, public windows::IScaledWindow {
    Q_OBJECT
public:
    // Opens the about window over owner and runs it modally, unless one is already open
    // (aboutHandle not null; then it returns -1 at once). aboutHandle holds the window's handle
    // while it runs, so that the owner can forward messages (the language switch) to it.
    // Returns the window's result (0 when closed).
    static int ShowAbout(QWidget* owner, HWND& aboutHandle);

    CAboutWnd();

    // Puts the language text of "software_rev_text", resolved on "text_test", into
    // "software_ver_label".
    void UpdateVersionText();

    // IScaledWindow
    void OnScaleChanged() override;

    void Notify(ui::TNotifyUI& msg) override;

protected:
    QString GetSkinFile() override { return QStringLiteral("XML/AboutWnd.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("AboutWnd"); }
    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage() override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Shows "maxbtn" or "restorebtn" for the window's maximised state.
    void SyncMaxRestore();
    void Relayout();

    QPointer<QWidget> m_closeBtn;
    QPointer<QWidget> m_maxBtn;
    QPointer<QWidget> m_restoreBtn;
    QPointer<QWidget> m_minBtn;
    QPointer<QWidget> m_menuBtn;
    bool m_running = false;
    int m_styledScale = 0;  // the scale the window's style sheet was made for
};

}  // namespace q840
