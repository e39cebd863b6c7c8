#include "windows/CUpdateInfoListItemUI.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include "core/base/DebugLine.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::windows {

namespace {
QString Argb(uint32_t colour) {
    return QStringLiteral("#%1").arg(colour & 0x00FFFFFFu, 6, 16, QLatin1Char('0'));
}
// The frame drawn around a row the pointer is over: the list's divider colour.
constexpr QRgb kHoverFrame = 0xFF2F343E;
}  // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(const UpdateEntry& entry, ui::CPaintManagerUI* manager,
                                             QWidget* parent)
    : QWidget(parent),
      m_manager(manager),
      m_name(RowName(entry)),
      m_updateProgram(entry.updateProgram) {
    setObjectName(QStringLiteral("update_list_item"));
    setFixedHeight(manager != nullptr ? manager->Scale(kHeight) : kHeight);
    setAttribute(Qt::WA_Hover);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    ui::CDialogBuilder builder;
    QWidget* content = builder.Create(QString::fromLatin1(kLayoutFile), nullptr, manager, this);
    if (content == nullptr) {
        DebugLine("update row: no layout %s", kLayoutFile);
        return;
    }
    box->addWidget(content);
    m_option = content->findChild<QAbstractButton*>(QStringLiteral("check_name_select"));
    m_oldRev = content->findChild<QLabel*>(QStringLiteral("OldRev"));
    m_newRev = content->findChild<QLabel*>(QStringLiteral("updateRev"));
    m_statusText = content->findChild<QLabel*>(QStringLiteral("update_status_text"));
    m_statusIng = content->findChild<QWidget*>(QStringLiteral("update_status_ing"));
    m_progressValue = content->findChild<QLabel*>(QStringLiteral("update_progress_value"));
    m_statusOk = content->findChild<QWidget*>(QStringLiteral("update_status_ok"));
    if (m_option != nullptr) {
        // A name the language files know reads as words ("Mouse"); others show as they are.
        const QString key = "update_name_" + m_name;
        ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
        resources.SetControlText(m_option, resources.GetText(key).isNull() ? m_name : key);
    }
    SetOldVersion(RowVersionText(entry));
    SetNewVersion(entry.newVersionText);
    SetState(IsUpdateState(entry.state) ? entry.state : 0);
}

void CUpdateInfoListItemUI::SetState(int state) {
    if (state == m_state || !IsUpdateState(state)) {
        return;
    }
    m_state = state;
    const UpdateRowLook& look = kUpdateRowLooks[size_t(state)];
    if (m_statusText != nullptr) {
        ui::CResourceManager::GetInstance().SetControlText(m_statusText,
                                                           QString::fromLatin1(look.statusKey));
        m_statusText->setVisible(!look.progress);
    }
    if (m_statusIng != nullptr) {
        m_statusIng->setVisible(look.progress);
    }
    if (m_progressValue != nullptr) {
        m_progressValue->setVisible(look.progress);
    }
    if (m_statusOk != nullptr) {
        m_statusOk->setVisible(look.ok);
    }
    if (look.progress) {
        SetProgress(0);
    }
    SetOptionEnabled(look.optionEnabled);
    ApplyColours();
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    if (percent < 0 || percent > 100) {
        return;
    }
    m_progress = percent;
    if (m_progressValue != nullptr) {
        m_progressValue->setText(QString::asprintf("%d%%", percent));
    }
    if (auto* bar = qobject_cast<QProgressBar*>(m_statusIng)) {
        bar->setValue(percent);
    }
}

bool CUpdateInfoListItemUI::IsTicked() const {
    return m_option != nullptr && m_option->isChecked();
}

void CUpdateInfoListItemUI::SetTicked(bool ticked) {
    if (m_option != nullptr) {
        const bool blocked =
            m_option->blockSignals(true);  // no notification for the program's own change
        m_option->setChecked(ticked);
        m_option->blockSignals(blocked);
    }
    update();
}

void CUpdateInfoListItemUI::SetOptionEnabled(bool enabled) {
    if (m_option != nullptr) {
        m_option->setEnabled(enabled);
    }
    update();
}

bool CUpdateInfoListItemUI::IsOptionEnabled() const {
    return m_option != nullptr && m_option->isEnabled();
}

QString CUpdateInfoListItemUI::GetOldVersion() const {
    return m_oldRev != nullptr ? m_oldRev->text() : QString();
}

QString CUpdateInfoListItemUI::GetNewVersion() const {
    return m_newRev != nullptr ? m_newRev->text() : QString();
}

void CUpdateInfoListItemUI::SetOldVersion(const QString& text) {
    if (m_oldRev != nullptr) {
        m_oldRev->setText(text);
    }
}

void CUpdateInfoListItemUI::SetNewVersion(const QString& text) {
    if (m_newRev != nullptr) {
        m_newRev->setText(text);
    }
}

void CUpdateInfoListItemUI::ApplyColours() {
    if (m_option == nullptr || m_state < 0) {
        return;
    }
    const UpdateRowLook& look = kUpdateRowLooks[size_t(m_state)];
    // The colours of the state for the option's text, ticked or not, and while disabled.
    m_option->setStyleSheet(QStringLiteral("QAbstractButton { color: %1; }"
                                           "QAbstractButton:checked { color: %1; }"
                                           "QAbstractButton:disabled { color: %2; }")
                                .arg(Argb(look.textColour), Argb(look.disabledColour)));
}

void CUpdateInfoListItemUI::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QWidget::enterEvent(event);
}

void CUpdateInfoListItemUI::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QWidget::leaveEvent(event);
}

void CUpdateInfoListItemUI::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // A row that can be ticked and is not yet shows a thin frame while the pointer is on it.
    if (m_hover && IsOptionEnabled() && !IsTicked()) {
        QPainter painter(this);
        painter.setPen(QColor::fromRgba(kHoverFrame));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace q840::windows
