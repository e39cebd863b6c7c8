#include "app/MacroCommands.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QLineEdit>
#include <chrono>

#include "app/CommandSupport.h"
#include "app/RegisteredMessages.h"
#include "controls/CDeviceProfileUI.h"
#include "core/base/DebugLine.h"
#include "core/macro/MacroStore.h"
#include "core/profile/CBasicProfiledata.h"
#include "editors/CMacroControlUI.h"
#include "pages/COrvenixMouseDevice.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/input/HookRecords.h"

namespace q840 {

namespace {

struct CommandRow {
    const char* control;
    void (MacroCommands::*run)();
};
constexpr CommandRow kCommands[] = {
    {"macro_btn_name_add", &MacroCommands::AddMacro},
    {"macro_btn_name_sub", &MacroCommands::DeleteMacro},
    {"macro_btn_name_edit", &MacroCommands::RenameMacro},
    {"macro_btn_save", &MacroCommands::SaveMacro},
    {"macro_btn_import", &MacroCommands::ImportMacro},
    {"macro_btn_export", &MacroCommands::ExportMacro},
};

bool Is(const QString& name, const char* control) {
    return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

// The recording items of the step menu: position and delay mode (0: constant when
// "macro_check_time" is ticked, measured otherwise).
struct RecordItem {
    const char* item;
    macro::RecordPosition position;
    int delayMode;
};
using RP = macro::RecordPosition;
constexpr RecordItem kRecordItems[] = {
    {"redio_previous_record_time", RP::Before, 0},
    {"redio_previous_constant_time", RP::Before, macro::kDelayConstant},
    {"redio_previous_ignore_time", RP::Before, macro::kDelayIgnored},
    {"redio_later_record_time", RP::After, 0},
    {"redio_later_constant_time", RP::After, macro::kDelayConstant},
    {"redio_later_ignore_time", RP::After, macro::kDelayIgnored},
    {"macro_action_edit", RP::Replace, macro::kDelayIgnored},
};

// The hook's messages: which position they record in, and whether they carry a mouse event.
struct HookRoute {
    UINT RegisteredMessages::*message;
    macro::RecordPosition position;
    bool mouse;
};
constexpr HookRoute kHookRoutes[] = {
    {&RegisteredMessages::WM_HOOK_KEY_KBMACRO_MSG, RP::Append, false},
    {&RegisteredMessages::WM_HOOK_KEY_KBMACROPREVIOUS_MSG, RP::Before, false},
    {&RegisteredMessages::WM_HOOK_KEY_KBMACROLATER_MSG, RP::After, false},
    {&RegisteredMessages::WM_HOOK_KEY_KBMACROSINGLE_MSG, RP::Replace, false},
    {&RegisteredMessages::WM_HOOK_KEY_MSMACRO_MSG, RP::Append, true},
    {&RegisteredMessages::WM_HOOK_KEY_MSMACROPREVIOUS_MSG, RP::Before, true},
    {&RegisteredMessages::WM_HOOK_KEY_MSMACROLATER_MSG, RP::After, true},
    {&RegisteredMessages::WM_HOOK_KEY_MSMACROSINGLE_MSG, RP::Replace, true},
};

bool IsConstantTicked(editors::CMacroControlUI& editor) {
    auto* check = editor.findChild<QAbstractButton*>(QStringLiteral("macro_check_time"));
    return check != nullptr && check->isChecked();
}

uint32_t SystemTick() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool HasMacroEditorKind(const pages::COrvenixUSBDevice& page) {
    return page.GetDeviceKind() == kMouseKind || page.GetDeviceKind() == kKeyboardKind;
}

}  // namespace

const char* const MacroCommands::kFileFilter = "Macro Files(*.mac)";

bool MacroCommands::Current(pages::COrvenixUSBDevice** page,
                            editors::CMacroControlUI** editor) const {
    *page = m_host.currentPage ? m_host.currentPage() : nullptr;
    *editor = *page != nullptr && HasMacroEditorKind(**page) ? (*page)->GetMacroEditor() : nullptr;
    return *editor != nullptr;
}

QString MacroCommands::Format(const char* key, int number) const {
    return FillNumber(m_host.languageText(QString::fromLatin1(key)), number);
}

bool MacroCommands::HandleCommand(ui::TNotifyUI& msg) {
    if (msg.sType != ui::notify::kClick || msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    for (const CommandRow& row : kCommands) {
        if (Is(name, row.control)) {
            (this->*row.run)();
            return true;
        }
    }
    return false;
}

bool MacroCommands::HandleEditor(ui::TNotifyUI& msg) {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return false;
    }
    if (msg.sType == ui::notify::kClick && msg.pSender != nullptr &&
        Is(msg.pSender->objectName(), "macro_btn_starredio")) {
        StartRecording(macro::RecordPosition::Append,
                       IsConstantTicked(*editor) ? macro::kDelayConstant : macro::kDelayRecorded);
        return true;
    }
    if (msg.sType == ui::notify::kClick && msg.pSender != nullptr &&
        Is(msg.pSender->objectName(), "macro_btn_stopredio")) {
        StopRecording(true);
        return true;
    }
    if (msg.sType == ui::notify::kClick && msg.pSender != nullptr &&
        Is(msg.pSender->objectName(), "macro_btn_insert")) {
        if (m_host.openStepMenu) {
            m_host.openStepMenu(msg.pSender);
        }
        return true;
    }
    if (msg.sType == ui::notify::kItemActivate && msg.pSender != nullptr &&
        Is(msg.pSender->objectName(), "macro_action_list")) {
        if (m_host.openStepMenu) {
            m_host.openStepMenu(nullptr);
        }
        return true;
    }
    switch (editor->ApplyNotification(msg)) {
        case editors::CMacroControlUI::Follow::NotMine:
            return false;
        case editors::CMacroControlUI::Follow::Nothing:
            return true;
        case editors::CMacroControlUI::Follow::Save:
            SaveMacro();
            return true;
        case editors::CMacroControlUI::Follow::Write:
            WriteToDevice(*page);
            return true;
    }
    return true;
}

void MacroCommands::HandleMenu(const QString& command) {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor) || editor->GetSelectedMacro() < 0) {
        return;
    }
    if (editor->InsertMenuSteps(command)) {
        SaveMacro();
        return;
    }
    for (const RecordItem& item : kRecordItems) {
        if (Is(command, item.item)) {
            const int mode = item.delayMode != 0         ? item.delayMode
                             : IsConstantTicked(*editor) ? macro::kDelayConstant
                                                         : macro::kDelayRecorded;
            StartRecording(item.position, mode);
            return;
        }
    }
}

void MacroCommands::StartRecording(macro::RecordPosition position, int delayMode) {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (m_recording || !Current(&page, &editor) || editor->GetSelectedMacro() < 0) {
        return;
    }
    m_recording = true;
    m_recordingPage = page;
    m_recordingEditor = editor;
    editor->BeginRecording(position, delayMode, m_host.tick ? m_host.tick() : SystemTick());
    QString why;
    bool ownWindowOnly = false;
    const bool started =
        m_host.startHook && m_host.startHook(macro::HookModeOf(position), &why, &ownWindowOnly);
    if (m_host.lockWindow) {
        m_host.lockWindow(*page, true);
    }
    if (!started) {
        // The editor stays locked until the stop button, which saves as usual.
        editor->SetRecordHint(QStringLiteral("macro_record_failed_hint"));
        m_host.showMessage(
            m_host.languageText(QStringLiteral("macro_record_failed")) + QStringLiteral("\n") + why,
            false, 0);
        return;
    }
    editor->SetRecordHint(ownWindowOnly ? QStringLiteral("macro_record_window_only")
                                        : QStringLiteral("macro_record_desktop"));
}

void MacroCommands::StopRecording(bool write) {
    if (!m_recording) {
        return;
    }
    m_recording = false;
    if (m_recordingEditor) {
        m_recordingEditor->EndRecording();
        m_recordingEditor->SetRecordHint(QString());
    }
    if (m_host.stopHook) {
        m_host.stopHook();
    }
    pages::COrvenixUSBDevice* page = m_recordingPage;
    if (page != nullptr && m_host.lockWindow) {
        m_host.lockWindow(*page, false);
    }
    if (page == nullptr || m_recordingEditor == nullptr) {
        return;
    }
    const int saved = m_recordingEditor->SaveMacroEvents();
    if (saved > 0 && page->GetDeviceKind() == kMouseKind) {
        m_host.showMessage(Format("message_text_26", saved), false, 0);
    } else if (saved == -2) {
        m_host.showMessage(QStringLiteral("macro_write_failed"), true, 0);
    }
    if (write) {
        WriteToDevice(*page);
    }
}

void MacroCommands::HandleHookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    editors::CMacroControlUI* editor = m_recordingEditor;
    if (!m_recording || editor == nullptr || !editor->IsRecording() || lParam == 0) {
        return;
    }
    const HookRoute* route = nullptr;
    for (const HookRoute& row : kHookRoutes) {
        if (Messages().*row.message == message) {
            route = &row;
        }
    }
    if (route == nullptr || route->position != editor->RecordingPosition()) {
        return;
    }
    macro::RecordFilters& filters = macro::RecordFilters::Shared();
    std::optional<macro::RecordedInput> input;
    if (route->mouse) {
        const auto& record = *reinterpret_cast<const input::MouseHookRecord*>(lParam);
        const bool onStop = editor->StopButtonScreenRect().contains(record.x, record.y);
        input = filters.Mouse(route->position, uint32_t(wParam), record.mouseData >> 16, onStop);
    } else {
        const auto& record = *reinterpret_cast<const input::KeyHookRecord*>(lParam);
        input = filters.Key(route->position, input::IsKeyPress(wParam), record.scanCode,
                            record.Extended());
    }
    if (input) {
        editor->PlaceRecordedStep(*input, m_host.tick ? m_host.tick() : SystemTick());
    }
}

void MacroCommands::MacrosChanged(pages::COrvenixUSBDevice& page) {
    // The page reads its macro names again (the key list and the key editor name macros).
    page.InitLightPreview();
    if (auto* mouse = qobject_cast<pages::COrvenixMouseDevice*>(&page)) {
        mouse->RefreshKeyList();
    }
}

void MacroCommands::WriteToDevice(pages::COrvenixUSBDevice& page) {
    const int upload = page.UploadMacros(page.GetMacroUseList());
    if (m_host.reportUpload) {
        m_host.reportUpload(page, upload);
    }
    if (m_host.onWrite) {
        m_host.onWrite(page, page.ApplyKeys(0));
    }
}

void MacroCommands::ReportResult(pages::COrvenixUSBDevice& page, macro::MacroResult result) {
    switch (result) {
        case macro::MacroResult::Done:
            MacrosChanged(page);
            break;
        case macro::MacroResult::LimitReached:
            if (page.GetDeviceKind() == kMouseKind) {
                m_host.showMessage(QStringLiteral("message_text_33"), true, 1);
            }
            break;
        case macro::MacroResult::BadFile:
            m_host.showMessage(QStringLiteral("macro_import_bad_file"), true, 0);
            break;
        case macro::MacroResult::WriteFailed:
            m_host.showMessage(QStringLiteral("macro_write_failed"), true, 0);
            break;
        default:
            break;
    }
}

void MacroCommands::AddMacro() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    QString name;
    ReportResult(*page, editor->CreateMacro(&name));
}

void MacroCommands::ImportMacro() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    const QString path = m_host.chooseFile(false);
    if (path.isEmpty()) {
        return;
    }
    QString name;
    ReportResult(*page, editor->ImportMacro(path, &name));
}

void MacroCommands::ExportMacro() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor) || editor->GetSelectedMacro() < 0) {
        return;
    }
    QString path = m_host.chooseFile(true);
    if (path.isEmpty()) {
        return;
    }
    // A name typed without extension still makes a file the import finds.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".mac");
    }
    const macro::MacroResult result = editor->ExportMacro(path);
    if (result == macro::MacroResult::WriteFailed) {
        m_host.showMessage(QStringLiteral("macro_export_failed"), true, 0);
    } else if (result == macro::MacroResult::NoSelection) {
        // The macro has never been saved: there is no file to copy yet. Saving first makes one.
        if (editor->SaveMacroEvents() == 0 &&
            editor->ExportMacro(path) == macro::MacroResult::Done) {
            return;
        }
        m_host.showMessage(QStringLiteral("macro_export_failed"), true, 0);
    }
}

void MacroCommands::RenameMacro() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    QString name;
    int number = -1;
    const macro::MacroResult result = editor->RenameMacro(&name, &number);
    if (number < 0) {
        return;
    }
    switch (result) {
        case macro::MacroResult::Done:
            MacrosChanged(*page);
            break;
        case macro::MacroResult::NameInUse:
            m_host.showMessage(QStringLiteral("message_text_5"), true, 0);
            break;
        case macro::MacroResult::WriteFailed:
            m_host.showMessage(QStringLiteral("macro_write_failed"), true, 0);
            break;
        default:
            break;  // a blank name changes nothing and says nothing
    }
}

void MacroCommands::SaveMacro() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    const int result = editor->SaveMacroEvents();
    if (result > 0 && page->GetDeviceKind() == kMouseKind) {
        m_host.showMessage(Format("message_text_26", result), false, 0);
    } else if (result == -2) {
        m_host.showMessage(QStringLiteral("macro_write_failed"), true, 0);
    }
}

bool MacroCommands::RenumberProfiles(pages::COrvenixUSBDevice& page, int deleted) {
    profile::CBasicProfiledata* data = page.GetProfileData();
    if (data == nullptr) {
        return false;
    }
    // Every other profile of the page: its file is read, renumbered and written back.
    if (controls::CDeviceProfileUI* bar = page.GetProfileBar()) {
        const std::filesystem::path current = data->GetProfilePath();
        for (int i = 0; i < bar->GetProfileCount(); ++i) {
            const std::filesystem::path file = bar->GetProfileFilePath(i).toStdString();
            if (file.empty() || file == current) {
                continue;
            }
            if (!macro::RenumberMacroKeysInProfile(file, data->GetDeviceIndex(), deleted)) {
                DebugLine("macro keys of %s not renumbered", file.string().c_str());
            }
        }
    }
    std::vector<profile::KeyAssignmentPair> pairs = data->GetKeyAssignments();
    if (!macro::RenumberMacroKeys(pairs, deleted)) {
        return false;
    }
    data->WriteKeyAssignments(pairs);
    page.SaveProfile();
    return true;
}

void MacroCommands::DeleteMacro() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CMacroControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    if (m_host.showMessage(QStringLiteral("message_text_4"), true, 1) != 1) {
        return;
    }
    const int number = editor->GetSelectedMacro();
    if (number < 0) {
        return;
    }
    profile::CBasicProfiledata* data = page->GetProfileData();
    if (data != nullptr && macro::UsesMacro(data->GetKeyAssignments(), number) &&
        m_host.showMessage(QStringLiteral("message_text_2"), true, 1) != 1) {
        return;
    }
    // The macro goes first: should its index not be written, no profile has been renumbered
    // for a deletion that did not happen.
    macro::MacroResult result = macro::MacroResult::Done;
    if (editor->DeleteMacro(&result) < 0) {
        if (result == macro::MacroResult::WriteFailed) {
            m_host.showMessage(QStringLiteral("macro_write_failed"), true, 0);
        }
        return;
    }
    const bool currentChanged = RenumberProfiles(*page, number);
    MacrosChanged(*page);
    if (currentChanged) {
        page->RefreshControls();
        WriteToDevice(*page);
    }
}

}  // namespace q840
