#include "editors/CShootControlUI.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>

#include "core/base/DebugLine.h"
#include "core/macro/MacroEvent.h"
#include "core/profile/JsonFileStore.h"
#include "platform/ui/CResourceManager.h"

namespace q840::editors {

namespace {

bool Is(const QString& name, const char* control) {
    return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

// The number after `prefix` in `name` ("bullet_op_12" -> 12); -1 when it is not one.
int IndexAfter(const QString& name, const char* prefix) {
    const QLatin1String p(prefix);
    if (!name.startsWith(p, Qt::CaseInsensitive)) {
        return -1;
    }
    bool ok = false;
    const int n = name.mid(p.size()).toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

// The leading decimal digits of an edit (an empty or non-numeric text is 0), limited to `max`.
int EditValue(const QLineEdit* edit, int max) {
    if (edit == nullptr) {
        return 0;
    }
    const long long value = macro::ParseDelay(edit->text().toStdString());
    return int(std::clamp<long long>(value, 0, max));
}

void SetText(QWidget* control, const QString& keyOrText) {
    if (control != nullptr) {
        ui::CResourceManager::GetInstance().SetControlText(control, keyOrText);
    }
}

}  // namespace

const char* const CShootControlUI::kLayoutFile = "XML/CustomControlXML/ShootControl.xml";

CShootControlUI::CShootControlUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CShootControlUI::SetAttribute(const QString& /*name*/, const QString& /*value*/) {
    // No attributes of its own.
}

void CShootControlUI::SetWorkFolder(const QString& folder) {
    m_workFolder = folder;
    m_store.SetFolders(folder.toStdString(), m_defaultFolder.toStdString());
}

void CShootControlUI::SetDefaultFolder(const QString& folder) {
    m_defaultFolder = folder;
    m_store.SetFolders(m_workFolder.toStdString(), folder.toStdString());
}

void CShootControlUI::InitShootEditor() {
    for (int n = 0; n < kGunCount; ++n) {
        m_gunOptions[size_t(n)] = Find<QAbstractButton>(QStringLiteral("shoot_gun_op_%1").arg(n));
    }
    for (int n = 0; n < kBulletCount; ++n) {
        m_bulletOptions[size_t(n)] = Find<QAbstractButton>(QStringLiteral("bullet_op_%1").arg(n));
    }
    m_picture = Find<QStackedWidget>(QStringLiteral("shoot_image_display_switch"));
    m_index = Find<QLabel>(QStringLiteral("bullet_select_index"));
    m_xCheck = Find<QAbstractButton>(QStringLiteral("bullet_x_check"));
    m_yCheck = Find<QAbstractButton>(QStringLiteral("bullet_y_check"));
    m_xEdit = Find<QLineEdit>(QStringLiteral("bullet_x_eidt"));
    m_yEdit = Find<QLineEdit>(QStringLiteral("bullet_y_eidt"));
    m_delayEdit = Find<QLineEdit>(QStringLiteral("bullet_delay_eidt"));
    // What one step carries; a longer number typed is taken as the largest at the save.
    for (QLineEdit* edit : {m_xEdit.data(), m_yEdit.data()}) {
        if (edit != nullptr) {
            edit->setValidator(new QIntValidator(0, macro::kMaxShootMove, edit));
            edit->setMaxLength(3);
        }
    }
    if (m_delayEdit != nullptr) {
        m_delayEdit->setValidator(new QIntValidator(0, macro::kMaxStepDelay, m_delayEdit));
        m_delayEdit->setMaxLength(5);
    }
    const int ready = m_store.InitWorkingFiles();
    if (ready < kGunCount) {
        DebugLine("shoot editor: %d of %d patterns usable", ready, kGunCount);
    }
}

void CShootControlUI::SelectGun(int gun) {
    m_gun = std::clamp(gun, 0, kGunCount - 1);
    for (int n = 0; n < kGunCount; ++n) {
        if (QAbstractButton* option = m_gunOptions[size_t(n)]) {
            const QSignalBlocker quiet(option);
            option->setChecked(n == m_gun);
        }
    }
    if (m_picture != nullptr && m_gun < m_picture->count()) {
        m_picture->setCurrentIndex(m_gun);
    }
    if (m_bullet >= 0) {
        ShowBullet();
    }
}

void CShootControlUI::SelectBullet(int bullet) {
    m_bullet = std::clamp(bullet, 0, kBulletCount - 1);
    for (int n = 0; n < kBulletCount; ++n) {
        if (QAbstractButton* option = m_bulletOptions[size_t(n)]) {
            const QSignalBlocker quiet(option);
            option->setChecked(n == m_bullet);
        }
    }
    if (m_index != nullptr) {
        m_index->setText(QString::number(m_bullet + 1));
    }
    ShowBullet();
}

void CShootControlUI::ShowDirection(QAbstractButton* check, bool horizontal) {
    if (check == nullptr) {
        return;
    }
    const bool on = check->isChecked();
    SetText(check,
            QLatin1String(horizontal ? (on ? "mouse_move_to_left_text" : "mouse_move_to_right_text")
                                     : (on ? "mouse_move_to_up_text" : "mouse_move_to_down_text")));
}

void CShootControlUI::ShowBulletView(const macro::ShootBullet& bullet) {
    for (auto [check, on, horizontal] : {std::tuple{m_xCheck.data(), bullet.left, true},
                                         std::tuple{m_yCheck.data(), bullet.up, false}}) {
        if (check != nullptr) {
            const QSignalBlocker quiet(check);
            check->setChecked(on);
            ShowDirection(check, horizontal);
        }
    }
    if (m_xEdit != nullptr) {
        m_xEdit->setText(QString::number(bullet.x));
    }
    if (m_yEdit != nullptr) {
        m_yEdit->setText(QString::number(bullet.y));
    }
    if (m_delayEdit != nullptr) {
        m_delayEdit->setText(QString::number(bullet.delay));
    }
}

void CShootControlUI::ShowBullet() {
    if (m_bullet < 0) {
        return;
    }
    Json::Value root;
    macro::ShootFile::Read(m_store.WorkFile(m_gun), &root);
    ShowBulletView(macro::ShootFile::GetBullet(root, m_bullet));
}

bool CShootControlUI::SaveBullet() {
    if (m_bullet < 0) {
        return false;
    }
    macro::ShootBullet bullet;
    bullet.x = EditValue(m_xEdit, macro::kMaxShootMove);
    bullet.y = EditValue(m_yEdit, macro::kMaxShootMove);
    bullet.delay = EditValue(m_delayEdit, macro::kMaxStepDelay);
    bullet.left = m_xCheck != nullptr && m_xCheck->isChecked();
    bullet.up = m_yCheck != nullptr && m_yCheck->isChecked();
    // A file that is not a pattern starts again as a blank one (its other members kept).
    const std::filesystem::path file = m_store.WorkFile(m_gun);
    Json::Value root = profile::JsonFileStore().ReadJsonFile(file);
    macro::ShootFile::SetBullet(root, m_bullet, bullet);
    const bool written = profile::JsonFileStore().WriteJsonFile(file, root) == 0;
    // The edits show what is kept (255 for a longer distance typed).
    ShowBullet();
    return written;
}

bool CShootControlUI::RestoreGun(int gun) {
    const bool restored = m_store.RestoreGun(gun);
    ShowBullet();
    return restored;
}

macro::ShootCheck CShootControlUI::ImportPattern(const QString& path) {
    const macro::ShootCheck check = m_store.ImportGun(m_gun, path.toStdString());
    ShowBullet();
    return check;
}

bool CShootControlUI::ExportPattern(const QString& path) const {
    return m_store.ExportGun(m_gun, path.toStdString());
}

CShootControlUI::Follow CShootControlUI::ApplyNotification(const ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return Follow::NotMine;
    }
    const QString name = msg.pSender->objectName();
    if (msg.sType == ui::notify::kSelectChanged) {
        if (const int gun = IndexAfter(name, "shoot_gun_op_"); gun >= 0) {
            SelectGun(gun);
            return Follow::Nothing;
        }
        if (const int bullet = IndexAfter(name, "bullet_op_"); bullet >= 0) {
            SelectBullet(bullet);
            return Follow::Nothing;
        }
        // A direction is an edit of the bullet like its distances: the file takes it at once,
        // so that the pattern sent is the one shown, and choosing another bullet loses nothing.
        const bool x = Is(name, "bullet_x_check");
        if (x || Is(name, "bullet_y_check")) {
            ShowDirection(x ? m_xCheck : m_yCheck, x);
            return SaveBullet() || m_bullet < 0 ? Follow::Nothing : Follow::Failed;
        }
        return Follow::NotMine;
    }
    if (msg.sType == ui::notify::kKillFocus) {
        if (Is(name, "bullet_x_eidt") || Is(name, "bullet_y_eidt") ||
            Is(name, "bullet_delay_eidt")) {
            return SaveBullet() || m_bullet < 0 ? Follow::Nothing : Follow::Failed;
        }
        return Follow::NotMine;
    }
    if (msg.sType != ui::notify::kClick) {
        return Follow::NotMine;
    }
    if (Is(name, "bullet_selected_prev")) {
        SelectBullet(m_bullet - 1);
        return Follow::Nothing;
    }
    if (Is(name, "bullet_selected_next")) {
        SelectBullet(m_bullet + 1);
        return Follow::Nothing;
    }
    if (Is(name, "shootdate_reset_btn")) {
        return Follow::Reset;
    }
    if (Is(name, "shootdate_save_btn")) {
        return Follow::Upload;
    }
    return Follow::NotMine;
}

}  // namespace q840::editors
