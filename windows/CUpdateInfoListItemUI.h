#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "windows/UpdateInfo.h"

namespace q840::ui {
class CPaintManagerUI;
}

namespace q840::windows {

// One row of the settings window's update list: the entry's name on an option that marks it for
// update ("check_name_select"), its version ("OldRev"), the version an update brings
// ("updateRev"), and its state as a text ("update_status_text"), a progress
// ("update_status_ing", "update_progress_value" as "57%") or a done mark ("update_status_ok").
// Built from kLayoutFile into the window's paint manager, so the option's notifications reach the
// window; the row's own parts are found inside the row (every row has the same names).
class CUpdateInfoListItemUI : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kLayoutFile = "XML/CustomControlXML/device_Update_list_item.xml";
    static constexpr int kHeight = 50;

    CUpdateInfoListItemUI(const UpdateEntry& entry, ui::CPaintManagerUI* manager,
                          QWidget* parent = nullptr);

    QString GetClass() const { return QStringLiteral("UpdateInfoListItemUI"); }

    // Shows the state's text, progress or mark and colours; the same state again does nothing.
    void SetState(int state);
    int GetState() const { return m_state; }
    // The progress shown in the working states, 0-100 ("%d%").
    void SetProgress(int percent);
    int GetProgress() const { return m_progress; }

    bool IsTicked() const;
    void SetTicked(bool ticked);
    void SetOptionEnabled(bool enabled);
    bool IsOptionEnabled() const;
    QAbstractButton* Option() const { return m_option; }

    QString GetName() const { return m_name; }
    QString GetOldVersion() const;
    QString GetNewVersion() const;
    void SetOldVersion(const QString& text);
    void SetNewVersion(const QString& text);
    const QString& GetUpdateProgram() const { return m_updateProgram; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyColours();

    QPointer<QAbstractButton> m_option;
    QPointer<QLabel> m_oldRev;
    QPointer<QLabel> m_newRev;
    QPointer<QLabel> m_statusText;
    QPointer<QWidget> m_statusIng;
    QPointer<QLabel> m_progressValue;
    QPointer<QWidget> m_statusOk;
    ui::CPaintManagerUI* m_manager = nullptr;
    QString m_name;
    QString m_updateProgram;
    int m_state = -1;
    int m_progress = 0;
    bool m_hover = false;
};

}  // namespace q840::windows
