// The mouse page and its key assignment editor: opening the editor on a key of the picture,
// storing what the editor builds, and the keys the input hook captures for it.

#include "controls/CDeviceKeyButtonUI.h"
#include "core/base/DebugLine.h"
#include "core/keys/KeyTables.h"
#include "core/profile/CMouseProfiledata.h"
#include "editors/CKeySetControlUI.h"
#include "pages/COrvenixMouseDevice.h"

namespace q840::pages {

namespace {

bool SamePair(const profile::KeyAssignmentPair& a, const profile::KeyAssignmentPair& b) {
    return a.current.Code() == b.current.Code() && a.defaults.Code() == b.defaults.Code();
}

}  // namespace

void COrvenixMouseDevice::SelectKey(int index) {
    COrvenixUSBDevice::SelectKey(index);
    // The picture marks the key being edited, and only that one.
    for (int i = 0; i < GetKeyButtonCount(); ++i) {
        if (auto* button = qobject_cast<controls::CDeviceKeyButtonUI*>(GetKeyButton(i))) {
            button->SetSelected(i == index);
        }
    }
    const auto& pairs = MouseProfile()->GetKeyAssignments();
    editors::CKeySetControlUI* editor = GetKeyEditor();
    if (index < 0 || size_t(index) >= pairs.size() || index >= GetKeyButtonCount()) {
        return;
    }
    if (editor == nullptr) {
        DebugLine("鼠标页面：无按键编辑器，按键 %d 功能 %06X 接收器 %d", index,
                  pairs[size_t(index)].current.Code(), OnReceiverChannel() ? 1 : 0);
        return;
    }
    editor->SetKeyName(size_t(index) < keys::kKeyButtonNames.size()
                           ? QLatin1String(keys::kKeyButtonNames[size_t(index)])
                           : QString());
    editor->SetKeyAssignment(pairs[size_t(index)]);
    editor->EnableApplyButtons(false);
    UpdateKeyEditorButtons();
}

void COrvenixMouseDevice::ShowSelectedKeyAgain() {
    editors::CKeySetControlUI* editor = GetKeyEditor();
    const int index = GetSelectedKey();
    const auto& pairs = MouseProfile()->GetKeyAssignments();
    if (editor == nullptr || !editor->HasKey() || index < 0 || size_t(index) >= pairs.size()) {
        return;
    }
    if (!SamePair(editor->GetKeyAssignment(), pairs[size_t(index)])) {
        SelectKey(index);
    } else {
        UpdateKeyEditorButtons();
    }
}

bool COrvenixMouseDevice::ApplyKeyAssignment() {
    editors::CKeySetControlUI* editor = GetKeyEditor();
    const int index = GetSelectedKey();
    auto* data = MouseProfile();
    std::vector<profile::KeyAssignmentPair> pairs = data->GetKeyAssignments();
    if (editor == nullptr || !editor->HasKey() || index < 0 || size_t(index) >= pairs.size()) {
        return false;
    }
    const profile::KeyAssignmentPair built = editor->BuildAssignment();
    profile::KeyAssignmentPair& stored = pairs[size_t(index)];
    if (!SamePair(stored, built)) {
        // The key keeps its index; only the codes change.
        stored.current.SetCode(built.current.Code());
        stored.defaults.SetCode(built.defaults.Code());
        data->WriteKeyAssignments(pairs);
        SaveProfile();
        // Kept in the profile, and on the mouse once sent (or on its next arrival).
        if (!CommandProtocol().IsMuted()) {
            SetPending(profile::PendingArea::KeyTable, true);
        }
        RefreshKeyList();
    }
    editor->EnableApplyButtons(true);
    UpdateKeyEditorButtons();
    return true;
}

void COrvenixMouseDevice::UpdateKeyEditorButtons() {
    if (editors::CKeySetControlUI* editor = GetKeyEditor()) {
        editor->SetKeysPending(m_pending.Has(profile::PendingArea::KeyTable));
    }
}

void COrvenixMouseDevice::HandleCapturedKey(unsigned virtualKey, bool extended) {
    editors::CKeySetControlUI* editor = GetKeyEditor();
    if (editor != nullptr && editor->OnCapturedKey(virtualKey, extended)) {
        ApplyKeyAssignment();
    }
}

}  // namespace q840::pages
