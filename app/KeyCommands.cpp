#include "app/KeyCommands.h"

#include <QGuiApplication>

#include "editors/CKeySetControlUI.h"
#include "pages/COrvenixMouseDevice.h"

namespace q840 {

bool KeyCommands::Handle(ui::TNotifyUI& msg, const ui::IndexedName& name) {
    pages::COrvenixUSBDevice* page = m_host.currentPage ? m_host.currentPage() : nullptr;
    editors::CKeySetControlUI* editor = page != nullptr ? page->GetKeyEditor() : nullptr;
    if (page == nullptr || editor == nullptr) {
        return false;
    }
    if (msg.sType == ui::notify::kClick &&
        name.prefix.compare(QLatin1String("key_"), Qt::CaseInsensitive) == 0) {
        // A key of the picture: the key tab, open on that key.
        page->ShowFunctionPanel(kKeyTab);
        page->SelectKey(name.index);
        return true;
    }
    auto* mouse = qobject_cast<pages::COrvenixMouseDevice*>(page);
    switch (editor->ApplyNotification(msg)) {
        case editors::CKeySetControlUI::Follow::NotMine:
            return false;
        case editors::CKeySetControlUI::Follow::Nothing:
            return true;
        case editors::CKeySetControlUI::Follow::Apply:
            if (mouse != nullptr) {
                mouse->ApplyKeyAssignment();
            }
            return true;
        case editors::CKeySetControlUI::Follow::Send:
            SendToDevice(*page);
            return true;
        case editors::CKeySetControlUI::Follow::CaptureEnded:
            if (m_host.setCapture) {
                m_host.setCapture(false);
            }
            return true;
    }
    return true;
}

void KeyCommands::SendToDevice(pages::COrvenixUSBDevice& page) {
    auto* mouse = qobject_cast<pages::COrvenixMouseDevice*>(&page);
    editors::CKeySetControlUI* editor = page.GetKeyEditor();
    if (mouse == nullptr || editor == nullptr) {
        return;
    }
    // What the controls show is what is sent: a restored default or a choice still in the
    // controls goes in first.
    mouse->ApplyKeyAssignment();
    // The uploads take a few hundred milliseconds (more through the receiver): the pointer says
    // so.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    const int upload = page.UploadMacros(page.GetMacroUseList());
    if (upload != 0 && m_host.reportUpload) {
        m_host.reportUpload(page, upload);
    }
    if (upload > 0) {
        // The macros do not fit: this key goes back to its default, which the user can send.
        editor->ShowDefault();
        editor->EnableApplyButtons(true);
        mouse->ApplyKeyAssignment();
        return;
    }
    // Sent (or failed: the area is then marked, and goes on the next arrival before the keys).
    const int keys = page.ApplyKeys(0);
    if (m_host.onWrite) {
        m_host.onWrite(page, keys);
    }
    page.SaveProfile();
    editor->EnableApplyButtons(false);
    mouse->UpdateKeyEditorButtons();
}

}  // namespace q840
