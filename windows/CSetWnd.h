#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/ui/WindowImplBase.h"
#include "windows/CUpdateInfoListItemUI.h"
#include "windows/UpdateInfo.h"
#include "windows/WindowSupport.h"

namespace q840 {

// The settings window: the language of the program, "Start with the desktop session", and the
// firmware and program update list with its overall status.
//
// The window lists, marks and shows; the language is applied by the main window (it gets private
// message 3089 with the chosen index and sends 3089 back once applied), and updates are made by an
// outside update process whose progress messages the main window passes on. The layout
// ("XML/setwnd.xml") provides "closebtn", "maxbtn", "restorebtn", "minbtn", "menubtn",
// "laterbtn", "Language_combox_info", "autostart_check", "device_update_list_info" (the rows),
// "update_status_ring", "Update_Status_text", "update_status_image", "get_update_tab_layout",
// "update_fw_and_ap", "update_OK_btn", "update_tishi_layout" and "set_in_update_wnd_btn".
class CSetWnd : public ui::WindowImplBase, public windows::IScaledWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;
    // Sent by the main window when the program ends: the window closes whatever its rows do.
    static constexpr WPARAM kForceClose = 1;
    // Private messages to the main window.
    static constexpr UINT kMsgClearUpdateBadge = 3094;

    // Overall update status.
    enum Status {
        kGettingInfo = 0,
        kHaveUpdate = 1,
        kNoUpdateInfo = 2,
        kUpdating = 3,
        kLatest = 4
    };

    struct Options {
        HWND mainHandle = nullptr;  // receives 3089 and 3094
        int scale = 96;
        int languageIndex = -1;     // the main window's current language
        QStringList languageTexts;  // "Language_text" of every "Language.config" entry
        std::vector<windows::UpdateEntry> entries;  // those that have a version
        UINT progressMessage = 0;  // the id of the update process's progress message
        // Placed at the main window's top right (from "setbtn"); otherwise centred.
        bool besideOwner = false;
        // The program the autostart entry starts; empty: this process's program.
        QString autostartProgram;
        // "update_OK_btn" queued this many rows for the update process.
        std::function<void(int rows)> onUpdateRequested;
    };

    // Opens the window over owner and runs it modally, unless one is open (handle not null; then
    // -1 at once). handle holds the window's handle while it runs.
    static int ShowSettings(QWidget* owner, HWND& handle, const Options& options);
    // Makes the window, placed, not yet shown (null when its layout is missing).
    static CSetWnd* Open(QWidget* owner, const Options& options);

    CSetWnd();

    void SetScale(int dpi);
    // The date "updatetime.config" holds (today's, written, when it held none).
    const QString& LastUpdateDate() const { return m_lastDate; }
    int GetStatus() const { return m_status; }
    void SetStatus(int status);
    int RowCount() const { return int(m_rows.size()); }
    windows::CUpdateInfoListItemUI* Row(int index) const;
    // The row the update process works on: the first one queued or at work; null when none is.
    windows::CUpdateInfoListItemUI* CurrentRow() const;
    // Set by "update_OK_btn": the outside update process may start.
    bool IsUpdateRequested() const { return m_updateRequested; }
    // Progress from the update process: wParam 1 the current row is done, 2 or 3 it failed,
    // 4 its progress is lParam (0-100).
    void OnUpdateProgress(WPARAM wParam, LPARAM lParam);
    // Whether a row is at work (queued, downloading, downloaded, installing).
    bool AnyRowWorking() const;
    int GetLanguageIndex() const { return m_options.languageIndex; }

    // IScaledWindow
    void OnScaleChanged() override;

    void Notify(ui::TNotifyUI& msg) override;

signals:
    // "update_OK_btn" marked the ticked rows for the update process.
    void updateRequested();

protected:
    QString GetSkinFile() override { return QStringLiteral("XML/setwnd.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage() override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnWindowInit();
    void FillLanguageCombo();
    void FillRows();
    void OnClick(QWidget* sender);
    void OnRowTicked();
    void ConfirmUpdate();
    // After a row ended: when none is left at work, the rows and the status show the outcome.
    void FinishIfDone();
    void ShowTickedButton();
    void SyncAutostart();
    void ToggleAutostart();
    // WM_CLOSE: refused while rows are at work, unless forced.
    void RequestClose(bool forced);
    void SyncMaxRestore();
    void Relayout();
    void Place(QWidget* owner);

    Options m_options;
    std::vector<QPointer<windows::CUpdateInfoListItemUI>> m_rows;
    QString m_lastDate;
    int m_status = kGettingInfo;
    bool m_updateRequested = false;
    bool m_initDone = false;
    bool m_running = false;
    int m_styledScale = 0;
};

}  // namespace q840
