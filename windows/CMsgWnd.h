#pragma once

#include <QPointer>
#include <QString>

#include "platform/ui/WindowImplBase.h"
#include "windows/WindowSupport.h"

class QScrollArea;

namespace q840 {

// The program's message box: every question and notice goes through ShowMessage.
//
// The layout ("XML_MSG") provides "MessageTitle", "MessageText", "confirm_btn", "cancel_btn" and
// "closebtn". "confirm_btn" ends the box with 1; "cancel_btn", "closebtn", Escape and the window
// manager's close end it with 0; Enter confirms while "confirm_btn" is shown.
//
// Texts are shown as plain text: a literal message is never taken for markup. A long text wraps;
// the box grows with it up to a maximum size and then scrolls.
class CMsgWnd : public ui::WindowImplBase, public windows::IScaledWindow {
    Q_OBJECT
public:
    // kind: 1 = title and text are language keys, 0 = they are shown as they are.
    // buttons: 0 = only "confirm_btn", 1 = "confirm_btn" and "cancel_btn", other = as laid out.
    // scale: 48, 72, 96, 120, 144, 168 or 192; any other value is taken as 96. The scale is set
    // for every window of the process.
    // Returns 1 for "confirm_btn", 0 for "cancel_btn" or "closebtn".
    static int ShowMessage(QWidget* owner, const QString& title, const QString& text, int scale,
                           int kind, int buttons);

    CMsgWnd();

    // The steps of ShowMessage, usable on their own. Empty texts leave the layout's text.
    void SetTitle(const QString& title, int kind);
    void SetText(const QString& text, int kind);
    // Sets the box's scale (not the other windows'); a box on screen is fitted again.
    void SetScale(int dpi);
    int GetScale() const { return m_scale; }
    void SetButtons(int buttons);
    // Sizes the box for its text: at least the layout's size, at most the maximum.
    void FitToText();

    // IScaledWindow
    void OnScaleChanged() override;

    void Notify(ui::TNotifyUI& msg) override;

protected:
    QString GetSkinFile() override { return QStringLiteral("XML_MSG"); }
    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
    void InitWindow() override;
    // WM_DPICHANGED: wParam's low word is the new scale; lParam points at the suggested
    // rectangle (a QRect in screen pixels) or is 0 to keep the place.
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage() override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void EndWith(int result);
    static void SetLabelText(QWidget* label, const QString& text, int kind);

    QPointer<QWidget> m_closeBtn;
    QPointer<QScrollArea> m_textArea;
    int m_scale = 96;
    int m_styledScale = 0;  // the scale the window's style sheet was made for
    // While ShowMessage runs the box, it is deleted by ShowMessage once the run returns.
    bool m_running = false;
};

}  // namespace q840
