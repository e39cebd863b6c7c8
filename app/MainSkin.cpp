#include "app/MainSkin.h"

#include "app/CMainWnd.h"
#include "core/base/DebugLine.h"
#include "windows/CSkinFrame.h"
#include "windows/SkinChoice.h"

namespace q840 {

int MainSkinReceiver::Receive(windows::SkinChangedParam choice) {
    DebugLine("background: %s", choice.isColour
                                    ? QString::number(choice.colour, 16).toUtf8().constData()
                                    : choice.image.toUtf8().constData());
    windows::ApplySkin(m_window.FindControl("root"), choice, &m_window.PaintManager());
    return 1;
}

void MainSkinReceiver::Restore() {
    if (const std::optional<windows::SkinChangedParam> choice = windows::ReadSkinChoice()) {
        Receive(*choice);
    }
}

void CMainWnd::OpenSkinFrame() {
    if (m_skinFrame != nullptr && !m_skinFrame->IsDestroyed()) {
        m_skinFrame->Close();  // a second click on the button puts it away
        return;
    }
    m_skinFrame = CSkinFrame::Open(this, FindControl("skinbtn"), m_uiScale);
}

}  // namespace q840
