#pragma once

#include <QString>
#include <functional>

#include "platform/ui/UIDefs.h"

namespace q840::editors {
class CShootControlUI;
}

namespace q840::pages {
class COrvenixUSBDevice;
}

namespace q840 {

// The main window's shoot pattern commands on the mouse page's shoot editor: import and export
// of the current gun's pattern (".shoot" files), and what follows the editor's own controls:
// asking before a gun is reset, sending the patterns to the mouse, saying when something could
// not be done. The main window routes them here and supplies what they need of it (the host),
// so they run and are tested without a window.
class ShootCommands {
public:
    struct Host {
        std::function<pages::COrvenixUSBDevice*()> currentPage;
        // The message box with a language key; buttons: 0 confirm only, 1 confirm and cancel.
        // Returns 1 for confirm.
        std::function<int(const QString& key, int buttons)> showMessage;
        // The open (save false) or save (save true) dialog with the shoot filter; empty when the
        // user cancelled.
        std::function<QString(bool save)> chooseFile;
        // A write's result, for the notice of changes that did not reach the device.
        std::function<void(pages::COrvenixUSBDevice&, int result)> onWrite;
    };
    static const char* const kFileFilter;  // "Shoot Files(*.shoot)"

    explicit ShootCommands(Host host) : m_host(std::move(host)) {}

    // A click of "shootdate_import_btn" or "shootdate_export_btn"; true when it was one.
    bool HandleCommand(ui::TNotifyUI& msg);
    // A notification of the shoot editor's own controls; true when the current page has the
    // editor and it was one of them.
    bool HandleEditor(ui::TNotifyUI& msg);

    void ImportPattern();
    void ExportPattern();
    // Asks first; then the current gun's factory pattern.
    void ResetGun();
    // The four patterns to the mouse.
    void SendPatterns();

private:
    // The current page when it is the mouse page, and its shoot editor; false without either.
    bool Current(pages::COrvenixUSBDevice** page, editors::CShootControlUI** editor) const;

    Host m_host;
};

}  // namespace q840
