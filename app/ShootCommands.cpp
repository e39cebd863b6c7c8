#include "app/ShootCommands.h"

#include <QFileInfo>
#include <QGuiApplication>

#include "app/CommandSupport.h"
#include "editors/CShootControlUI.h"
#include "pages/COrvenixUSBDevice.h"

namespace q840 {

namespace {

bool Is(const QString& name, const char* control) {
    return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

}  // namespace

const char* const ShootCommands::kFileFilter = "Shoot Files(*.shoot)";

bool ShootCommands::Current(pages::COrvenixUSBDevice** page,
                            editors::CShootControlUI** editor) const {
    *page = m_host.currentPage ? m_host.currentPage() : nullptr;
    *editor =
        *page != nullptr && (*page)->GetDeviceKind() == kMouseKind
            ? (*page)->findChild<editors::CShootControlUI*>(QStringLiteral("ShootControlItem"))
            : nullptr;
    return *editor != nullptr;
}

bool ShootCommands::HandleCommand(ui::TNotifyUI& msg) {
    if (msg.sType != ui::notify::kClick || msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    if (Is(name, "shootdate_import_btn")) {
        ImportPattern();
        return true;
    }
    if (Is(name, "shootdate_export_btn")) {
        ExportPattern();
        return true;
    }
    return false;
}

bool ShootCommands::HandleEditor(ui::TNotifyUI& msg) {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CShootControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return false;
    }
    switch (editor->ApplyNotification(msg)) {
        case editors::CShootControlUI::Follow::NotMine:
            return false;
        case editors::CShootControlUI::Follow::Nothing:
            return true;
        case editors::CShootControlUI::Follow::Upload:
            SendPatterns();
            return true;
        case editors::CShootControlUI::Follow::Reset:
            ResetGun();
            return true;
        case editors::CShootControlUI::Follow::Failed:
            m_host.showMessage(QStringLiteral("shoot_write_failed"), 0);
            return true;
    }
    return true;
}

void ShootCommands::ImportPattern() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CShootControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    const QString path = m_host.chooseFile(false);
    if (path.isEmpty()) {
        return;
    }
    // A file that is not a pattern of thirty bullets is refused whole: shown or sent, it would
    // be steps nobody chose.
    if (editor->ImportPattern(path) != macro::ShootCheck::Ok) {
        m_host.showMessage(QStringLiteral("shoot_import_bad_file"), 0);
    }
}

void ShootCommands::ExportPattern() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CShootControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    QString path = m_host.chooseFile(true);
    if (path.isEmpty()) {
        return;
    }
    // A name typed without extension still makes a file the import finds.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".shoot");
    }
    if (!editor->ExportPattern(path)) {
        m_host.showMessage(QStringLiteral("shoot_export_failed"), 0);
    }
}

void ShootCommands::ResetGun() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CShootControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    if (m_host.showMessage(QStringLiteral("shoot_reset_confirm"), 1) != 1) {
        return;
    }
    if (!editor->RestoreGun(editor->GetCurrentGun())) {
        m_host.showMessage(QStringLiteral("shoot_reset_failed"), 0);
    }
}

void ShootCommands::SendPatterns() {
    pages::COrvenixUSBDevice* page = nullptr;
    editors::CShootControlUI* editor = nullptr;
    if (!Current(&page, &editor)) {
        return;
    }
    // About fifty packets (through the receiver a link check before each step): the pointer
    // says the window is busy.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    const int result = page->UploadShootPatterns(true);
    QGuiApplication::restoreOverrideCursor();
    if (m_host.onWrite) {
        m_host.onWrite(*page, result);
    }
}

}  // namespace q840
