#include "app/MacroCommands.h"

#include <QFileInfo>

#include "app/CommandSupport.h"
#include "controls/CDeviceProfileUI.h"
#include "core/base/DebugLine.h"
#include "core/macro/MacroStore.h"
#include "core/profile/CBasicProfiledata.h"
#include "editors/CMacroControlUI.h"
#include "pages/COrvenixMouseDevice.h"
#include "pages/COrvenixUSBDevice.h"

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
    } else {
        // Recording before, after or into a step comes with the recorder.
        DebugLine("macro menu command waiting: %s", command.toUtf8().constData());
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
