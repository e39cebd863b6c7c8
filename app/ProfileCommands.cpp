#include "app/ProfileCommands.h"

#include <QFileInfo>
#include <QGuiApplication>

#include "app/CommandSupport.h"
#include "controls/CDeviceProfileUI.h"
#include "core/base/DebugLine.h"
#include "core/profile/ProfileList.h"
#include "core/protocol/codecs/EventArea.h"
#include "pages/COrvenixUSBDevice.h"

namespace q840 {

namespace {

struct CommandRow {
    const char* control;
    void (ProfileCommands::*run)();
};
constexpr CommandRow kCommands[] = {
    {"device_add_btn", &ProfileCommands::AddProfile},
    {"device_sub_btn", &ProfileCommands::DeleteProfile},
    {"device_copy_btn", &ProfileCommands::CopyProfile},
    {"device_import_btn", &ProfileCommands::ImportProfile},
    {"device_export_btn", &ProfileCommands::ExportProfile},
    {"device_reset_btn", &ProfileCommands::ResetProfile},
    {"device_profile_edit_save_btn", &ProfileCommands::RenameProfile},
    {"profile_fun_spread_btn", &ProfileCommands::ToggleMenu},
};

}  // namespace

const char* const ProfileCommands::kFileFilter = "Profile Files(*.json)";

bool ProfileCommands::Handle(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (msg.sType == ui::notify::kItemSelect &&
        name.compare(QLatin1String("device_profile_combo"), Qt::CaseInsensitive) == 0) {
        m_host.armSwitchTimer();
        return true;
    }
    if (msg.sType != ui::notify::kClick) {
        return false;
    }
    for (const CommandRow& row : kCommands) {
        // "profile_fun_spread_btn" is the one name compared with its case.
        const Qt::CaseSensitivity cs =
            row.run == &ProfileCommands::ToggleMenu ? Qt::CaseSensitive : Qt::CaseInsensitive;
        if (name.compare(QLatin1String(row.control), cs) == 0) {
            (this->*row.run)();
            return true;
        }
    }
    return false;
}

bool ProfileCommands::Current(pages::COrvenixUSBDevice** page,
                              controls::CDeviceProfileUI** bar) const {
    *page = m_host.currentPage ? m_host.currentPage() : nullptr;
    *bar = *page != nullptr ? (*page)->GetProfileBar() : nullptr;
    return *bar != nullptr;
}

QString ProfileCommands::Format(const char* key, int number) const {
    return FillNumber(m_host.languageText(QString::fromLatin1(key)), number);
}

void ProfileCommands::ReportUpload(int result, int capacity) {
    if (result == 0) {
        return;
    }
    if (result < 0) {
        m_host.showMessage(QStringLiteral("message_text_7"), true, 0);
        return;
    }
    const int room = capacity * 128;
    const QString text = room < result * 4 ? Format("message_text_16", (result - room) / 4 + 1)
                                           : Format("message_text_26", result - 250);
    m_host.showMessage(text, false, 0);
}

void ProfileCommands::ReportUpload(const pages::COrvenixUSBDevice& page, int result) {
    using Refusal = pages::COrvenixUSBDevice::UploadRefusal;
    const Refusal why = result > 0 ? page.GetLastUploadRefusal() : Refusal::None;
    if (why == Refusal::AreaTooLarge) {
        m_host.showMessage(Format("message_text_16", result), false, 0);
    } else if (why == Refusal::TooManySteps) {
        m_host.showMessage(Format("message_text_26", result - int(protocol::kMaxMacroEvents)),
                           false, 0);
    } else {
        ReportUpload(result, page.GetMacroCapacity());
    }
}

void ProfileCommands::ApplyCurrentProfile(pages::COrvenixUSBDevice& page,
                                          controls::CDeviceProfileUI& bar) {
    // The writes take a few hundred milliseconds (more through the receiver): the pointer says so.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    page.SetProfileFileName(bar.GetCurrentProfileId());
    page.LoadProfile();
    page.DropStaleMacroKeys();
    page.RefreshControls();
    m_host.onWrite(page, m_host.writeSettings(page));
    const int upload = page.UploadMacros(page.GetMacroUseList());
    ReportUpload(page, upload);
    WriteShootArea(page);
    m_host.onWrite(page, page.ApplyKeys(0));
}

void ProfileCommands::WriteShootArea(pages::COrvenixUSBDevice& page) {
    // The mouse gets its shoot patterns with the rest of the profile: after the macro area and
    // before the key table whose fire keys play them (not again when it holds them already).
    if (page.GetDeviceKind() == kMouseKind) {
        m_host.onWrite(page, page.UploadShootPatterns(false));
    }
}

void ProfileCommands::SwitchProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (Current(&page, &bar) && bar->GetSelectedIndex() >= 0) {
        SwitchPageProfile(*page, bar->GetSelectedIndex());
    }
}

void ProfileCommands::SwitchPageProfile(pages::COrvenixUSBDevice& page, int index) {
    controls::CDeviceProfileUI* bar = page.GetProfileBar();
    if (bar == nullptr || index < 0 || index >= bar->GetProfileCount()) {
        return;
    }
    bar->SelectProfile(index, false);
    if (bar->LastResult() == profile::ProfileResult::WriteFailed) {
        // The switch itself works; only the next start would open the previous profile.
        DebugLine("profile selection not stored");
    }
    ApplyCurrentProfile(page, *bar);
}

void ProfileCommands::ReportRefusal(controls::CDeviceProfileUI& bar, int result) {
    if (result == 1) {
        m_host.showMessage(QStringLiteral("message_text_32"), true, 0);
    } else if (result != 0) {
        m_host.showMessage(bar.LastResult() == profile::ProfileResult::BadFile
                               ? QStringLiteral("profile_import_bad_file")
                               : QStringLiteral("profile_write_failed"),
                           true, 0);
    }
}

void ProfileCommands::AddProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (Current(&page, &bar)) {
        ReportRefusal(*bar, bar->NewProfile());
    }
}

void ProfileCommands::CopyProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (Current(&page, &bar)) {
        ReportRefusal(*bar, bar->CopyProfile());
    }
}

void ProfileCommands::DeleteProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (!Current(&page, &bar) || bar->GetSelectedIndex() < 0 || bar->GetProfileCount() < 2) {
        return;
    }
    // A profile is the user's work: one click on a small button must not take it away.
    if (m_host.showMessage(QStringLiteral("profile_delete_confirm"), true, 1) != 1) {
        return;
    }
    int next = 0;
    if (bar->DeleteProfile(&next) != 0) {
        if (bar->LastResult() == profile::ProfileResult::WriteFailed) {
            m_host.showMessage(QStringLiteral("profile_write_failed"), true, 0);
        }
        return;
    }
    // The profile before the deleted one becomes current at once: the page must not save into
    // the file just deleted.
    bar->SelectProfile(next, false);
    ApplyCurrentProfile(*page, *bar);
}

void ProfileCommands::RenameProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (!Current(&page, &bar)) {
        return;
    }
    const QString name = bar->GetNameEditText();
    switch (profile::CheckProfileName(name.toStdString())) {
        case profile::NameCheck::Empty:
            return;
        case profile::NameCheck::TooLong:
            m_host.showMessage(QStringLiteral("message_text_34"), true, 0);
            return;
        case profile::NameCheck::ForbiddenCharacter:
            m_host.showMessage(QStringLiteral("message_text_35"), true, 0);
            return;
        case profile::NameCheck::Ok:
            break;
    }
    switch (bar->RenameProfile(name)) {
        case 0:
            m_host.showMessage(QStringLiteral("message_text_5"), true, 0);
            break;
        case 2:
            m_host.showMessage(QStringLiteral("message_text_25"), true, 0);
            break;
        case 1:
            break;
        default:
            m_host.showMessage(QStringLiteral("profile_write_failed"), true, 0);
            break;
    }
}

void ProfileCommands::ImportProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (!Current(&page, &bar) || bar->GetSelectedIndex() < 0) {
        return;
    }
    const QString path = m_host.chooseFile(false);
    if (path.isEmpty()) {
        return;
    }
    ReportRefusal(*bar, bar->ImportProfile(path));
}

void ProfileCommands::ExportProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (!Current(&page, &bar) || bar->GetSelectedIndex() < 0) {
        return;
    }
    QString path = m_host.chooseFile(true);
    if (path.isEmpty()) {
        return;
    }
    // A name typed without an extension gets the one the import dialog looks for.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".json");
    }
    if (bar->ExportProfile(path) != 0) {
        m_host.showMessage(QStringLiteral("profile_export_failed"), true, 0);
    }
}

void ProfileCommands::ResetProfile() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (!Current(&page, &bar)) {
        return;
    }
    if (m_host.showMessage(QStringLiteral("message_text_22"), true, 1) != 1) {
        return;
    }
    if (bar->ResetProfile() != 0) {
        m_host.showMessage(QStringLiteral("profile_write_failed"), true, 0);
        return;
    }
    // The page takes the reset file (its settings in memory are the old ones) and writes it.
    page->LoadProfile();
    page->RefreshControls();
    m_host.onWrite(*page, m_host.writeSettings(*page));
    if (page->GetDeviceKind() == kMouseKind || page->GetDeviceKind() == kKeyboardKind) {
        const int upload = page->UploadMacros(page->GetMacroUseList());
        ReportUpload(*page, upload);
        WriteShootArea(*page);
        m_host.onWrite(*page, page->ApplyKeys(0));
    }
}

void ProfileCommands::ToggleMenu() {
    pages::COrvenixUSBDevice* page = nullptr;
    controls::CDeviceProfileUI* bar = nullptr;
    if (Current(&page, &bar)) {
        bar->ShowProfileMenu(!bar->IsProfileMenuVisible());
    }
}

}  // namespace q840
