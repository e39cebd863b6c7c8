#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>

#include "core/keys/KeyEditorCodes.h"
#include "core/profile/ProfileRecords.h"
#include "platform/ui/UIDefs.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace q840::editors {

// The key assignment editor: what one button of the device does. The page hands it the button's
// current and default assignment (SetKeyAssignment); the editor shows the code on the function
// page that owns it and builds a new code from its controls (BuildAssignment), which the page
// stores at the button. The main window routes the notifications of its controls here
// (ApplyNotification) and does what the answer asks: the page applies the built code, or sends
// the macros and keys to the device.
//
// The function pages are chosen with "keyset_function_combo", whose items carry their page
// number as user data, so the skin decides which functions a device offers and in which order.
// Above it the editor shows the same choice as a segmented row of categories (mouse, keyboard,
// media, DPI, macro, shoot) and, for a category of several pages, a second row of its pages.
//
// Built from kLayoutFile, whose root element is this control.
class CKeySetControlUI : public QWidget, public ui::IUIAttributes {
    Q_OBJECT
public:
    static const char* const kLayoutFile;  // "XML/CustomControlXML/KeySetControl.xml"
    static constexpr int kMacroItemHeight = 30;

    explicit CKeySetControlUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CKeySetControlUI(); }
    QString GetClass() const { return QStringLiteral("KeySetControl"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // Looks up the named controls and fills the list pages from the key code tables. Runs once
    // the layout is built (the page's bind calls it); a second call only looks up again.
    void InitControls();
    // The keyboard (type 1) has no sensitivity and no gun key functions.
    void ApplyDeviceType(int typeCode);

    // The macro choice: names appended as items (SetMacroNames does not clear the list first),
    // renamed, removed. ReplaceMacroNames empties it first and keeps the macro shown, if any.
    void SetMacroNames(const QStringList& names);
    void AddMacroName(const QString& name);
    void RenameMacroName(int index, const QString& name);
    void RemoveMacroName(int index);
    void ReplaceMacroNames(const QStringList& names);
    QStringList GetMacroNames() const;

    // The button being edited: its name key (the heading) and its assignment pair, shown at once.
    void SetKeyName(const QString& nameKey);
    void SetKeyAssignment(const profile::KeyAssignmentPair& pair);
    const profile::KeyAssignmentPair& GetKeyAssignment() const { return m_pair; }
    bool HasKey() const { return m_hasKey; }
    void ShowDefault();
    void ShowCurrent();
    // Replaces the current assignment without showing it.
    void SetCurrentCode(const profile::KeyAssignment& current) { m_pair.current = current; }
    // Builds the code from the controls, makes it the current assignment and returns the pair.
    // Numbers beyond their field are taken as its limit, and the edit shows what was taken.
    profile::KeyAssignmentPair BuildAssignment();

    void SelectModifier(int option);
    int GetSelectedModifier() const;
    void EnableApplyButtons(bool enabled);
    bool AreApplyButtonsEnabled() const;
    // Whether the page holds keys the device has not got: a hint says so, and the send button
    // ("key_butt_prosave") stays enabled while it does.
    void SetKeysPending(bool pending);
    void ShowPage(int page);
    // The page of the selected "keyset_function_combo" item; kNoPage with none.
    int SelectedPage() const;
    // The page the editor shows (the tab layout's), kNoPage while the editor is hidden.
    int ShownPage() const;

    // A key press captured for the keyboard page (while its key field has the focus). True when
    // the key was taken: the caller applies the new code.
    bool OnCapturedKey(unsigned virtualKey, bool extended);

    // What the main window does after a notification of the editor's controls.
    enum class Follow {
        NotMine,       // not one of the editor's notifications
        Nothing,       // handled here
        Apply,         // the page applies BuildAssignment at its selected key
        Send,          // "key_butt_prosave": apply, then send the macros and keys to the device
        CaptureEnded,  // the key field lost the focus: stop capturing keys
    };
    Follow ApplyNotification(const ui::TNotifyUI& msg);

private:
    QWidget* Find(const QString& name) const;
    QComboBox* Combo(const char* name) const;
    QLineEdit* Edit(const char* name) const;
    void FillCombos();
    void ShowCode(uint32_t code);
    // Selects the "keyset_function_combo" item of `page`; false when the skin offers none.
    bool SelectFunctionItem(int page);
    void SyncCategories(int page);
    void OnCategoryClicked(int category);
    void OnPageOptionClicked(int page);
    void ShowFunctionPage(int page);
    void ShowHeading();
    int EditNumber(const char* name) const;
    void SetEditNumber(const char* name, int value);
    // Shows the repeat field only for play mode 4.
    void ShowRepeatField();
    void ShowKeyField(int keyRow);

    bool m_initialised = false;
    bool m_hasKey = false;
    profile::KeyAssignmentPair m_pair{};
    QString m_keyNameKey;
    int m_deviceType = 0;
    // The key code table row the key field names (-1: empty).
    int m_keyRow = -1;
    bool m_keysPending = false;
};

}  // namespace q840::editors
