#pragma once

#include <functional>

#include "platform/ui/IndexedName.h"
#include "platform/ui/UIDefs.h"

namespace q840::pages {
class COrvenixUSBDevice;
}

namespace q840 {

// The main window's part in key assignment: a click on a key button of the device picture opens
// the current page's key editor on that key (and the page's key tab); the notifications of the
// editor's controls go to the editor, and what it answers is done here: the page applies the new
// code, or the macros and keys are sent to the device ("key_butt_prosave"), or key capture ends.
// The main window routes the key editor's rows here and supplies what is needed of it (the host),
// so the commands run and are tested without a window.
class KeyCommands {
public:
    struct Host {
        std::function<pages::COrvenixUSBDevice*()> currentPage;
        // A write's result, for the notice of changes that did not reach the device.
        std::function<void(pages::COrvenixUSBDevice&, int result)> onWrite;
        // Reports the page's macro upload result (0 done, -1 failed, a positive overflow).
        std::function<void(pages::COrvenixUSBDevice&, int result)> reportUpload;
        // Single-key capture on (true) or off (false): the input hook in its mode 1.
        std::function<void(bool on)> setCapture;
    };
    // The page's editor tab that holds the key editor.
    static constexpr int kKeyTab = 2;

    explicit KeyCommands(Host host) : m_host(std::move(host)) {}

    // A notification of one of the key editor's rows; false when there is no page or editor to
    // take it.
    bool Handle(ui::TNotifyUI& msg, const ui::IndexedName& name);
    // "key_butt_prosave": the code of the controls is applied, the macros the keys use go to the
    // device, then the key table, and the profile is saved. A macro area that does not fit is
    // reported, the key gets its default back (applied, not sent) and nothing is sent or saved.
    void SendToDevice(pages::COrvenixUSBDevice& page);

private:
    Host m_host;
};

}  // namespace q840
