#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

#include "controls/ControlCommon.h"
#include "core/profile/ProfileList.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace q840::controls {

// A device page's profile bar: the drop-down list of the device's profiles, the name edit, the
// profile menu and the editor tabs. It owns the device's profile list (core/profile/ProfileList)
// and shows it; the main window runs the commands (asks the user, shows the messages) and calls
// the operations below on the current page's bar. The window builds it from kLayoutFile, whose
// root element is this control; the children carry the names below. A child missing from the
// layout makes the operations that need it do nothing.
//
// Result codes: NewProfile, CopyProfile, ImportProfile 0 done, 1 refused (50 profiles), -1 failed
// (LastResult says why: the file is no profile, or a write failed and nothing changed);
// RenameProfile 1 done, 0 name in use, 2 blank, -1 failed; ExportProfile, ResetProfile and
// DeleteProfile 0 done, -1 failed or nothing to do.
class CDeviceProfileUI : public QWidget, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    static const char* const kLayoutFile;  // "XML/CustomControlXML/DeviceProfile.xml"
    static constexpr int kTabCount = 9;
    // The editor tabs, tab number - 1 as index: lighting, key assignment, macros, system,
    // sensitivity, headset voice, voice effects, virtual surround, other settings.
    static const std::array<const char*, kTabCount> kTabNames;
    static constexpr int kItemHeight = 30;

    explicit CDeviceProfileUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CDeviceProfileUI(); }

    QString GetClass() const override { return QStringLiteral("DeviceProfile"); }
    void SetAttribute(const QString& name, const QString& value) override;

    void SetDeviceType(int type) { m_list.SetDeviceType(type); }
    int GetDeviceType() const { return m_list.GetDeviceType(); }
    void SetPaths(const QString& userFolder, const QString& defaultProfile);
    // Loads or makes the list, fills the drop-down list, selects the stored current profile and
    // shows the editor tabs of the device type. 0 when a list that had to be made could not be
    // written (the bar then works from memory), 1 otherwise.
    int InitProfileList();
    // Makes the profile at index current; with notify the drop-down list notifies "itemselect"
    // as if the user had picked it.
    void SelectProfile(int index, bool notify);
    int GetSelectedIndex() const;
    QString GetCurrentProfileId() const;
    int GetProfileCount() const { return m_list.Count(); }
    QString GetProfileFilePath(int index) const;
    QString GetNameEditText() const;
    void SetNameEditText(const QString& text);
    void ShowProfileMenu(bool show);
    bool IsProfileMenuVisible() const;
    // Checks tab 1..9 and clears the others; any other number clears all nine.
    void SelectEditorTab(int tab);

    int NewProfile();
    int CopyProfile();
    int ImportProfile(const QString& path);
    int ExportProfile(const QString& path);
    // The drop-down list then shows the profile before the deleted one (or the first); the main
    // window makes it current. *newSelection (may be null) receives its index.
    int DeleteProfile(int* newSelection = nullptr);
    int RenameProfile(const QString& name);
    int ResetProfile();
    profile::ProfileResult LastResult() const { return m_last; }

    const profile::ProfileList& List() const { return m_list; }

private:
    QComboBox* Combo() const;
    QLineEdit* NameEdit() const;
    QWidget* Menu() const;
    QAbstractButton* Tab(int index) const;
    template <typename T>
    T* Child(QPointer<T>& cache, const char* name) const;
    void FillCombo();
    void ShowTabsOfDeviceType();
    int Appended(profile::ProfileResult result);

    profile::ProfileList m_list;
    profile::ProfileResult m_last = profile::ProfileResult::Done;
    mutable QPointer<QComboBox> m_combo;
    mutable QPointer<QLineEdit> m_nameEdit;
    mutable QPointer<QWidget> m_menu;
    mutable std::array<QPointer<QAbstractButton>, kTabCount> m_tabs;
};

}  // namespace q840::controls
