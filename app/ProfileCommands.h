#pragma once

#include <QString>
#include <functional>

#include "platform/ui/UIDefs.h"

namespace q840::controls {
class CDeviceProfileUI;
}

namespace q840::pages {
class COrvenixUSBDevice;
}

namespace q840 {

// The main window's profile commands on the current page's profile bar: add, delete, copy,
// rename, import, export, reset, show/hide the menu, and the switch that follows a selection in
// the drop-down list; and the report of a macro upload's result. The main window routes the
// notifications here and supplies what the commands need of it (the host), so the commands run
// and are tested without a window.
class ProfileCommands {
public:
    struct Host {
        std::function<pages::COrvenixUSBDevice*()> currentPage;
        // Writes the page's settings block (the main window's WritePageSettings): 1 written.
        std::function<int(pages::COrvenixUSBDevice&)> writeSettings;
        // A write's result, for the notice of changes that did not reach the device.
        std::function<void(pages::COrvenixUSBDevice&, int result)> onWrite;
        // Starts (again) the 400 ms timer after which SwitchProfile runs.
        std::function<void()> armSwitchTimer;
        // The message box: `text` is a language key, or shown as it is when `isKey` is false.
        // buttons: 0 confirm only, 1 confirm and cancel. Returns 1 for confirm.
        std::function<int(const QString& text, bool isKey, int buttons)> showMessage;
        // The text of a language key in the current language.
        std::function<QString(const QString& key)> languageText;
        // The open (save false) or save (save true) dialog with the profile filter; empty when
        // the user cancelled.
        std::function<QString(bool save)> chooseFile;
    };
    static constexpr int kSwitchDelayMs = 400;
    // The file dialogs' filter.
    static const char* const kFileFilter;  // "Profile Files(*.json)"

    explicit ProfileCommands(Host host) : m_host(std::move(host)) {}

    // A notification of the main window commands' rows. True when it was a profile command (run
    // or, without a current page or bar, nothing to do); false for the rows of other commands.
    bool Handle(ui::TNotifyUI& msg);
    // The switch after a selection: the bar makes its selected profile current and the page
    // loads it and writes it to the device.
    void SwitchProfile();
    // The same switch on `page`, to its profile at `index` (another program asked for it).
    void SwitchPageProfile(pages::COrvenixUSBDevice& page, int index);
    // Reports the result of a macro upload (0 done, -1 failed, a positive overflow); `capacity`
    // is the device's macro memory in units of 128 bytes.
    void ReportUpload(int result, int capacity);
    // The same for an upload of this page, which knows why it refused one: an area too large
    // names the steps too many of the area, a macro too long those of the macro.
    void ReportUpload(const pages::COrvenixUSBDevice& page, int result);

    // The commands, by control.
    void AddProfile();
    void DeleteProfile();
    void CopyProfile();
    void RenameProfile();
    void ImportProfile();
    void ExportProfile();
    void ResetProfile();
    void ToggleMenu();

private:
    // The current page and its bar; false when either is missing.
    bool Current(pages::COrvenixUSBDevice** page, controls::CDeviceProfileUI** bar) const;
    // The page takes the bar's current profile, loads it and writes it to the device.
    void ApplyCurrentProfile(pages::COrvenixUSBDevice& page, controls::CDeviceProfileUI& bar);
    void ReportRefusal(controls::CDeviceProfileUI& bar, int result);
    // The mouse page's shoot patterns, between its macro area and its key table.
    void WriteShootArea(pages::COrvenixUSBDevice& page);
    QString Format(const char* key, int number) const;

    Host m_host;
};

}  // namespace q840
