#include "windows/CSetWnd.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QStackedWidget>

#include "core/base/DebugLine.h"
#include "platform/Autostart.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CResourceManager.h"
#include "windows/CMsgWnd.h"

namespace q840 {

using windows::CUpdateInfoListItemUI;

namespace {
// Where a window opened from "setbtn" sits: this far in from the main window's right edge and
// down from its top, at scale 96.
constexpr int kBesideRight = 30;
constexpr int kBesideTop = 60;

bool Is(const QWidget* sender, const char* name) {
    return sender != nullptr &&
           sender->objectName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}
}  // namespace

CSetWnd::CSetWnd() = default;

CSetWnd* CSetWnd::Open(QWidget* owner, const Options& options) {
    auto* wnd = new CSetWnd();
    wnd->m_options = options;
    if (!wnd->Create(owner, QStringLiteral("SetWnd"))) {
        DebugLine("SET_WND layout missing");
        delete wnd;
        return nullptr;
    }
    wnd->SetScale(options.scale);
    wnd->resize(wnd->m_pm.Scale(kWidth), wnd->m_pm.Scale(kHeight));
    wnd->OnWindowInit();
    wnd->Place(owner);
    return wnd;
}

int CSetWnd::ShowSettings(QWidget* owner, HWND& handle, const Options& options) {
    if (handle != nullptr) {
        return -1;  // one settings window at a time
    }
    CSetWnd* wnd = Open(owner, options);
    if (wnd == nullptr) {
        return 0;
    }
    handle = wnd->GetHWND();
    QPointer<CSetWnd> guard(wnd);
    wnd->m_running = true;
    const int result = wnd->ShowModal();
    handle = nullptr;
    if (guard) {
        guard->m_running = false;
        if (guard->IsDestroyed()) {
            guard->deleteLater();
        } else {
            guard->Close();
        }
    }
    return result;
}

void CSetWnd::InitWindow() {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    for (const char* name : {"closebtn", "maxbtn", "restorebtn", "minbtn", "menubtn"}) {
        if (QWidget* button = FindControl(name)) {
            button->setFocusPolicy(Qt::NoFocus);  // title bar buttons are for the mouse
        }
    }
    SyncMaxRestore();
    m_styledScale = m_pm.GetDPI();
    windows::ApplyWindowStyle(this, m_styledScale);
}

void CSetWnd::SetScale(int dpi) {
    if (!windows::IsSupportedScale(dpi)) {
        DebugLine("SET_WND DPI SET ERROR");
        dpi = 96;
    }
    if (dpi != m_pm.GetDPI()) {
        m_pm.SetDPI(dpi);
        OnScaleChanged();
    }
}

void CSetWnd::OnScaleChanged() {
    windows::ReleaseFixedSize(this);
    if (m_styledScale != m_pm.GetDPI()) {
        m_styledScale = m_pm.GetDPI();
        windows::ApplyWindowStyle(this, m_styledScale);
    }
    for (const auto& row : m_rows) {
        if (row != nullptr) {
            row->setFixedHeight(m_pm.Scale(CUpdateInfoListItemUI::kHeight));
        }
    }
    if (!isMaximized()) {
        resize(m_pm.Scale(kWidth), m_pm.Scale(kHeight));
    }
    Relayout();
}

void CSetWnd::Place(QWidget* owner) {
    if (!m_options.besideOwner || owner == nullptr) {
        CenterWindow();
        return;
    }
    // At the main window's top right, scaled with the main window's scale.
    const QRect frame = owner->geometry();
    const int scale = m_options.scale;
    move(frame.x() + frame.width() - width() - kBesideRight * scale / 96,
         frame.y() + kBesideTop * scale / 96);
}

void CSetWnd::OnWindowInit() {
    if (m_initDone) {
        return;
    }
    m_initDone = true;
    FillLanguageCombo();
    m_lastDate =
        windows::LastUpdateDateOrToday(windows::UpdateTimeFilePath(), QDate::currentDate());
    SyncAutostart();
    SetStatus(kGettingInfo);
    FillRows();
    ShowTickedButton();
    if (auto* tabs = qobject_cast<QStackedWidget*>(FindControl("get_update_tab_layout"))) {
        tabs->setCurrentIndex(0);
    }
}

void CSetWnd::FillLanguageCombo() {
    auto* combo = qobject_cast<QComboBox*>(FindControl("Language_combox_info"));
    if (combo == nullptr) {
        return;
    }
    // Programmatic changes send no notification.
    combo->clear();
    for (const QString& text : m_options.languageTexts) {
        combo->addItem(text);
    }
    if (m_options.languageIndex >= 0 && m_options.languageIndex < combo->count()) {
        combo->setCurrentIndex(m_options.languageIndex);
    }
}

void CSetWnd::FillRows() {
    QWidget* list = FindControl("device_update_list_info");
    QLayout* box = list != nullptr ? list->layout() : nullptr;
    for (const windows::UpdateEntry& entry : m_options.entries) {
        auto* row = new CUpdateInfoListItemUI(entry, &m_pm, list);
        if (box != nullptr) {
            box->addWidget(row);
        }
        m_rows.emplace_back(row);
    }
    if (auto* vbox = qobject_cast<QBoxLayout*>(box)) {
        vbox->addStretch(1);
    }
    bool needed = false;
    for (const auto& row : m_rows) {
        needed = needed || row->GetState() == 1 || row->GetState() == 2;
    }
    SetStatus(needed ? kHaveUpdate : m_rows.empty() ? kNoUpdateInfo : kLatest);
}

CUpdateInfoListItemUI* CSetWnd::Row(int index) const {
    return index >= 0 && index < RowCount() ? m_rows[size_t(index)].data() : nullptr;
}

CUpdateInfoListItemUI* CSetWnd::CurrentRow() const {
    for (const auto& row : m_rows) {
        if (row != nullptr && windows::IsWorkingState(row->GetState())) {
            return row;
        }
    }
    return nullptr;
}

bool CSetWnd::AnyRowWorking() const {
    return CurrentRow() != nullptr;
}

void CSetWnd::SetStatus(int status) {
    if (status < kGettingInfo || status > kLatest) {
        return;
    }
    m_status = status;
    if (QWidget* ring = FindControl("update_status_ring")) {
        ring->setVisible(status == kGettingInfo);
    }
    if (QWidget* image = FindControl("update_status_image")) {
        image->setVisible(status != kGettingInfo);
        // A tick once everything is up to date, a notice while something is to do.
        ui::CDialogBuilder::SetAttribute(image, QStringLiteral("bkimage"),
                                         status == kLatest ? QStringLiteral("windows/update_ok.svg")
                                                           : QStringLiteral("windows/notice.svg"),
                                         &m_pm);
    }
    QWidget* text = FindControl("Update_Status_text");
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    static const char* const kKeys[] = {"GetUpdateInfoText", "HaveUpdateInfoText",
                                        "NoUpdateInfoText", "ISUpdateINGText", nullptr};
    if (text != nullptr && status != kLatest) {
        resources.SetControlText(text, QString::fromLatin1(kKeys[status]));
    } else if (auto* label = qobject_cast<QLabel*>(text)) {
        // The text with the date is made here and made again after a language switch.
        label->setProperty("dui_rawtext", QVariant());
        label->setTextFormat(Qt::PlainText);
        label->setText(resources.Resolve(QStringLiteral("UpdateIsLastText")) + m_lastDate);
    }
    if (status == kLatest && m_options.mainHandle != nullptr) {
        SendMessageW(m_options.mainHandle, kMsgClearUpdateBadge, 0, 0);
    }
}

void CSetWnd::OnUpdateProgress(WPARAM wParam, LPARAM lParam) {
    CUpdateInfoListItemUI* row = CurrentRow();
    if (row == nullptr) {
        return;  // no row is at work: nothing the message could be about
    }
    switch (wParam) {
        case 1:
            row->SetOldVersion(row->GetNewVersion());
            row->SetNewVersion(QString());
            row->SetState(7);
            row->SetTicked(false);
            FinishIfDone();
            break;
        case 2:
        case 3:
            row->SetState(8);
            row->SetTicked(false);
            FinishIfDone();
            break;
        case 4: {
            if (lParam < 0 || lParam > 100) {
                return;
            }
            // The first progress of a queued row is its download; the first after the download
            // is the installation.
            if (row->GetState() == 3) {
                row->SetState(4);
            } else if (row->GetState() == 5) {
                row->SetState(6);
            }
            row->SetProgress(int(lParam));
            if (row->GetState() == 4 && lParam == 100) {
                row->SetState(5);
            }
            break;
        }
        default:
            break;
    }
}

void CSetWnd::FinishIfDone() {
    if (AnyRowWorking()) {
        return;  // the update process goes on with the next row
    }
    // Every row that can still be updated (or failed) can be ticked again.
    bool left = false;
    bool failed = false;
    for (const auto& row : m_rows) {
        if (row == nullptr || row->GetState() == 7) {
            continue;
        }
        const bool open = windows::kUpdateRowLooks[size_t(row->GetState())].optionEnabled;
        row->SetOptionEnabled(open);
        left = left || open;
        failed = failed || row->GetState() == 8;
    }
    m_updateRequested = false;
    if (!failed) {
        m_lastDate = windows::UpdateDateText(QDate::currentDate());
        windows::WriteLastUpdateDate(windows::UpdateTimeFilePath(), QDate::currentDate());
    }
    SetStatus(left ? kHaveUpdate : kLatest);
    ShowTickedButton();
}

void CSetWnd::ShowTickedButton() {
    bool ticked = false;
    for (const auto& row : m_rows) {
        ticked = ticked || (row != nullptr && row->IsTicked());
    }
    if (QWidget* button = FindControl("update_fw_and_ap")) {
        button->setEnabled(ticked);
        button->setVisible(ticked);
    }
}

void CSetWnd::ConfirmUpdate() {
    int queued = 0;
    for (const auto& row : m_rows) {
        if (row == nullptr || (row->GetState() != 1 && row->GetState() != 2)) {
            continue;
        }
        if (row->IsTicked()) {
            row->SetState(3);
            ++queued;
        } else {
            row->SetOptionEnabled(false);
        }
    }
    if (QWidget* button = FindControl("update_fw_and_ap")) {
        button->setEnabled(false);
    }
    if (auto* tabs = qobject_cast<QStackedWidget*>(FindControl("get_update_tab_layout"))) {
        tabs->setCurrentIndex(0);
    }
    if (queued == 0) {
        FinishIfDone();
        return;
    }
    m_updateRequested = true;
    SetStatus(kUpdating);
    emit updateRequested();
    if (m_options.onUpdateRequested) {
        m_options.onUpdateRequested(queued);
    }
}

void CSetWnd::SyncAutostart() {
    if (auto* check = qobject_cast<QAbstractButton*>(FindControl("autostart_check"))) {
        check->setChecked(Autostart::IsEnabled());
    }
}

void CSetWnd::ToggleAutostart() {
    auto* check = qobject_cast<QAbstractButton*>(FindControl("autostart_check"));
    if (check == nullptr) {
        return;
    }
    const QString program = m_options.autostartProgram.isEmpty()
                                ? QCoreApplication::applicationFilePath()
                                : m_options.autostartProgram;
    if (!Autostart::SetEnabled(check->isChecked(), program)) {
        CMsgWnd::ShowMessage(this, QString(), "autostart_failed_text", m_pm.GetDPI(), 1, 0);
    }
    SyncAutostart();  // shows what is on the disk now
}

void CSetWnd::OnRowTicked() {
    ShowTickedButton();
}

void CSetWnd::OnClick(QWidget* sender) {
    if (Is(sender, "closebtn") || Is(sender, "laterbtn")) {
        RequestClose(false);
    } else if (Is(sender, "minbtn")) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (Is(sender, "maxbtn")) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (Is(sender, "restorebtn")) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (Is(sender, "set_in_update_wnd_btn")) {
        if (QWidget* hint = FindControl("update_tishi_layout")) {
            hint->hide();
        }
        resize(m_pm.Scale(kWidth), m_pm.Scale(kHeight));
    } else if (Is(sender, "update_fw_and_ap")) {
        if (auto* tabs = qobject_cast<QStackedWidget*>(FindControl("get_update_tab_layout"))) {
            tabs->setCurrentIndex(1);
        }
    } else if (Is(sender, "update_OK_btn")) {
        ConfirmUpdate();
    } else if (Is(sender, "autostart_check")) {
        ToggleAutostart();
    }
    // "menubtn" and "homepage_btn" do nothing.
}

void CSetWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr || IsDestroyed()) {
        return;
    }
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg.pSender);
    } else if (msg.sType == ui::notify::kSelectChanged && Is(msg.pSender, "check_name_select")) {
        OnRowTicked();
    } else if (msg.sType == ui::notify::kItemSelect && Is(msg.pSender, "Language_combox_info")) {
        m_options.languageIndex = int(msg.wParam);
        if (m_options.mainHandle != nullptr) {
            SendMessageW(m_options.mainHandle, windows::kMsgLanguageChanged, msg.wParam, 0);
        }
    }
}

void CSetWnd::RequestClose(bool forced) {
    if (!forced && AnyRowWorking()) {
        DebugLine("settings window stays open: rows at work");
        return;  // refused silently: the update is not left without its display
    }
    Close();
}

LRESULT CSetWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    if (m_options.progressMessage != 0 && msg == m_options.progressMessage) {
        OnUpdateProgress(wParam, lParam);
        return 0;
    }
    if (msg == WM_CLOSE) {
        RequestClose(wParam == kForceClose);
        return 0;
    }
    if (msg == windows::WM_KEYDOWN &&
        (wParam == windows::VK_RETURN || wParam == windows::VK_ESCAPE)) {
        // Escape closes as the close button does (not while rows are at work); Enter does nothing.
        if (wParam == windows::VK_ESCAPE) {
            RequestClose(false);
            return 1;
        }
        return windows::ResponseDefaultKeyEvent(*this, wParam);
    }
    if (msg == windows::kMsgLanguageChanged) {
        if (m_status == kLatest) {
            SetStatus(kLatest);  // its text is made in the new language
        }
        Relayout();
        return 0;
    }
    if (msg == WM_DPICHANGED) {
        m_pm.SetDPI(int(wParam & 0xFFFF));
        if (const auto* suggested = reinterpret_cast<const QRect*>(lParam)) {
            setGeometry(*suggested);
        }
        OnScaleChanged();
        return 0;
    }
    if (msg == WM_SYSCOMMAND) {
        if (wParam == windows::SC_CLOSE) {
            // Alt+F4 closes this window only, like its close button.
            RequestClose(false);
            return 0;
        }
        const bool wasMaximized = isMaximized();
        SysCommand(wParam);
        if (isMaximized() != wasMaximized) {
            SyncMaxRestore();
        }
        return 0;
    }
    handled = false;
    return 0;
}

void CSetWnd::Relayout() {
    for (QLayout* layout : findChildren<QLayout*>()) {
        layout->invalidate();
    }
    if (layout() != nullptr) {
        layout()->activate();
    }
    update();
}

void CSetWnd::SyncMaxRestore() {
    const bool maximized = isMaximized();
    if (QWidget* max = FindControl("maxbtn")) {
        max->setVisible(!maximized);
    }
    if (QWidget* restore = FindControl("restorebtn")) {
        restore->setVisible(maximized);
    }
}

void CSetWnd::keyPressEvent(QKeyEvent* event) {
    const WPARAM key = windows::VirtualKeyOf(event->key());
    if (key == 0) {
        ui::WindowImplBase::keyPressEvent(event);
        return;
    }
    event->accept();
    SendMessageW(GetHWND(), windows::WM_KEYDOWN, key, 0);
}

void CSetWnd::closeEvent(QCloseEvent* event) {
    // The window manager's close (Alt+F4) is the system close command.
    event->ignore();
    if (!IsDestroyed()) {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, windows::SC_CLOSE, 0);
    }
}

void CSetWnd::changeEvent(QEvent* event) {
    ui::WindowImplBase::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        SyncMaxRestore();
    }
}

void CSetWnd::OnFinalMessage() {
    if (!m_running) {
        deleteLater();
    }
}

}  // namespace q840
