#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

#include "core/base/Win32Types.h"
#include "core/macro/MacroRecorder.h"
#include "core/macro/MacroStore.h"
#include "platform/ui/UIDefs.h"

namespace q840::editors {
class CMacroControlUI;
}

namespace q840::pages {
class COrvenixUSBDevice;
}

namespace q840 {

// The main window's macro commands on the current page's macro editor: add, delete (with the
// renumbering of every profile's macro keys), rename, save, import and export; the notifications
// of the editor's own controls and the commands of its step menu. The main window routes them
// here and supplies what the commands need of it (the host), so they run and are tested without
// a window.
class MacroCommands {
public:
    struct Host {
        std::function<pages::COrvenixUSBDevice*()> currentPage;
        // The message box: `text` is a language key, or shown as it is when `isKey` is false.
        // buttons: 0 confirm only, 1 confirm and cancel. Returns 1 for confirm.
        std::function<int(const QString& text, bool isKey, int buttons)> showMessage;
        // The text of a language key in the current language.
        std::function<QString(const QString& key)> languageText;
        // The open (save false) or save (save true) dialog with the macro filter; empty when
        // the user cancelled.
        std::function<QString(bool save)> chooseFile;
        // A write's result, for the notice of changes that did not reach the device.
        std::function<void(pages::COrvenixUSBDevice&, int result)> onWrite;
        // Reports the page's macro upload result (0 done, -1 failed, a positive overflow).
        std::function<void(pages::COrvenixUSBDevice&, int result)> reportUpload;
        // Opens the macro step menu at the cursor (or below `anchor` when it is given).
        std::function<void(QWidget* anchor)> openStepMenu;
        // Installs the input hook in `mode` for a recording; false, with the reason in *why,
        // when it could not. `ownWindowOnly` tells whether it reaches only this program's
        // windows.
        std::function<bool(int mode, QString* why, bool* ownWindowOnly)> startHook;
        std::function<void()> stopHook;
        // Locks (or unlocks) what must not change while recording: the device strip, the
        // page's profile list and key assignment editor.
        std::function<void(pages::COrvenixUSBDevice&, bool locked)> lockWindow;
        // The system tick count in milliseconds (the delays of recorded steps).
        std::function<uint32_t()> tick;
    };
    // The file dialogs' filter.
    static const char* const kFileFilter;  // "Macro Files(*.mac)"

    explicit MacroCommands(Host host) : m_host(std::move(host)) {}
    // The clock of recorded delays (tests set their own).
    void SetTickSource(std::function<uint32_t()> tick) { m_host.tick = std::move(tick); }

    // A click of one of the main window's macro command buttons ("macro_btn_name_add", ...).
    // True when it was one.
    bool HandleCommand(ui::TNotifyUI& msg);
    // A notification of the editor's own controls (name list, step tools, delay fields). True
    // when the page has an editor and it was one of them.
    bool HandleEditor(ui::TNotifyUI& msg);
    // A command of the macro step menu ("left_click", ...).
    void HandleMenu(const QString& command);

    void AddMacro();
    void DeleteMacro();
    void RenameMacro();
    void SaveMacro();
    void ImportMacro();
    void ExportMacro();

    // Recording: started by the start button or a recording item of the step menu, in one
    // position with one delay mode; stopped by the stop button (and when the page goes away or
    // the window hides), which saves the steps and, with `write`, writes the macros and keys to
    // the device.
    void StartRecording(macro::RecordPosition position, int delayMode);
    void StopRecording(bool write);
    bool IsRecording() const { return m_recording; }
    // A message of the input hook (keyboard or mouse, any position) with its wParam and the
    // record lParam points to.
    void HandleHookMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // The current page and its macro editor; false when either is missing.
    bool Current(pages::COrvenixUSBDevice** page, editors::CMacroControlUI** editor) const;
    // After the set of macros or their names changed: the page reads the names again.
    void MacrosChanged(pages::COrvenixUSBDevice& page);
    // The page's macros and keys go to the device again.
    void WriteToDevice(pages::COrvenixUSBDevice& page);
    // Renumbers the macro keys of every profile of the page for the deletion of macro `n`; the
    // current profile's keys are changed in the page (and saved). True when the current
    // profile changed.
    bool RenumberProfiles(pages::COrvenixUSBDevice& page, int deleted);
    // The message (or the change of the page's macro names) after a create or an import.
    void ReportResult(pages::COrvenixUSBDevice& page, macro::MacroResult result);
    QString Format(const char* key, int number) const;

    Host m_host;
    bool m_recording = false;
    QPointer<pages::COrvenixUSBDevice> m_recordingPage;
    QPointer<editors::CMacroControlUI> m_recordingEditor;
};

}  // namespace q840
