#include "controls/CDeviceProfileUI.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/ui/CDialogBuilder.h"

namespace q840::controls {

namespace {

std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(text.toStdString());
}

QString FromPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Tabs each device type does without (tab numbers); the headset's own three tabs show only on
// the headset.
struct TabVisibility {
    int deviceType;
    std::array<int, 4> hidden;  // 0 ends the list
};
constexpr TabVisibility kHiddenTabs[] = {
    {1, {5, 0, 0, 0}},  // keyboard: no sensitivity
    {3, {5, 3, 4, 2}},  // mouse pad
    {4, {5, 3, 2, 0}},
    {5, {5, 3, 4, 2}},
    {7, {5, 3, 4, 2}},  // headset
};
constexpr int kHeadsetTabs[] = {6, 7, 8};

}  // namespace

const char* const CDeviceProfileUI::kLayoutFile = "XML/CustomControlXML/DeviceProfile.xml";

const std::array<const char*, CDeviceProfileUI::kTabCount> CDeviceProfileUI::kTabNames = {
    "deng_Op_tab",       "key_Op_tab",   "macro_Op_tab",      "system_Op_tab",   "cursor_Op_tab",
    "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab", "otherset_Op_tab",
};

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent) {
    // A horizontal layout container: the layout's children line up in it.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CDeviceProfileUI::SetAttribute(const QString& /*name*/, const QString& /*value*/) {
    // No attributes of its own; the builder handles size, padding and the rest.
}

void CDeviceProfileUI::SetPaths(const QString& userFolder, const QString& defaultProfile) {
    m_list.SetPaths(ToPath(userFolder), ToPath(defaultProfile));
}

template <typename T>
T* CDeviceProfileUI::Child(QPointer<T>& cache, const char* name) const {
    if (cache.isNull()) {
        cache = findChild<T*>(QLatin1String(name));
    }
    return cache.data();
}

QComboBox* CDeviceProfileUI::Combo() const {
    return Child(m_combo, "device_profile_combo");
}

QLineEdit* CDeviceProfileUI::NameEdit() const {
    return Child(m_nameEdit, "device_profile_name_edit");
}

QWidget* CDeviceProfileUI::Menu() const {
    return Child(m_menu, "profile_menu_layout");
}

QAbstractButton* CDeviceProfileUI::Tab(int index) const {
    return Child(m_tabs[size_t(index)], kTabNames[size_t(index)]);
}

int CDeviceProfileUI::InitProfileList() {
    const bool written = m_list.Init();
    FillCombo();
    SelectProfile(m_list.StoredSelection(), false);
    ShowTabsOfDeviceType();
    return written ? 1 : 0;
}

void CDeviceProfileUI::FillCombo() {
    QComboBox* combo = Combo();
    if (combo == nullptr) {
        return;
    }
    const QSignalBlocker blocker(combo);
    const int selected = combo->currentIndex();
    combo->clear();
    for (const profile::ProfileEntry& entry : m_list.Entries()) {
        const QString name = QString::fromStdString(entry.name);
        combo->addItem(name, name);
        const int row = combo->count() - 1;
        combo->setItemData(row, name, Qt::ToolTipRole);
        combo->setItemData(row, QSize(0, kItemHeight), Qt::SizeHintRole);
    }
    combo->setCurrentIndex(std::min(selected, combo->count() - 1));
    combo->setProperty("dui_previndex", combo->currentIndex());
}

void CDeviceProfileUI::ShowTabsOfDeviceType() {
    const int type = m_list.GetDeviceType();
    for (const TabVisibility& rule : kHiddenTabs) {
        if (rule.deviceType != type) {
            continue;
        }
        for (const int tab : rule.hidden) {
            if (tab > 0 && Tab(tab - 1) != nullptr) {
                Tab(tab - 1)->setVisible(false);
            }
        }
    }
    if (type == profile::kHeadsetDeviceType) {
        for (const int tab : kHeadsetTabs) {
            if (Tab(tab - 1) != nullptr) {
                Tab(tab - 1)->setVisible(true);
            }
        }
    }
}

void CDeviceProfileUI::SelectProfile(int index, bool notify) {
    if (index < 0 || index >= m_list.Count()) {
        return;
    }
    if (QComboBox* combo = Combo()) {
        const int previous = combo->currentIndex();
        {
            const QSignalBlocker blocker(combo);
            combo->setCurrentIndex(index);
            combo->setProperty("dui_previndex", index);
        }
        combo->setFocus();
        if (notify) {
            NotifyFrom(combo, ui::notify::kItemSelect, quint64(index), previous);
        }
    }
    SetNameEditText(QString::fromStdString(m_list.Entries()[size_t(index)].name));
    m_last = m_list.Select(index);
}

int CDeviceProfileUI::GetSelectedIndex() const {
    QComboBox* combo = Combo();
    return combo != nullptr ? combo->currentIndex() : -1;
}

QString CDeviceProfileUI::GetCurrentProfileId() const {
    return QString::fromStdString(m_list.CurrentId());
}

QString CDeviceProfileUI::GetProfileFilePath(int index) const {
    return FromPath(m_list.ProfileFilePath(index));
}

QString CDeviceProfileUI::GetNameEditText() const {
    QLineEdit* edit = NameEdit();
    return edit != nullptr ? edit->text() : QString();
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
    if (QLineEdit* edit = NameEdit()) {
        edit->setText(text);
        edit->setCursorPosition(0);
    }
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    if (QWidget* menu = Menu()) {
        menu->setVisible(show);
    }
}

bool CDeviceProfileUI::IsProfileMenuVisible() const {
    QWidget* menu = Menu();
    return menu != nullptr && !menu->isHidden();
}

void CDeviceProfileUI::SelectEditorTab(int tab) {
    for (int i = 0; i < kTabCount; ++i) {
        QAbstractButton* option = Tab(i);
        if (option == nullptr) {
            continue;
        }
        // An exclusive group keeps one option checked; clearing them all needs it lifted.
        QButtonGroup* group = option->group();
        const bool exclusive = group != nullptr && group->exclusive();
        if (exclusive) {
            group->setExclusive(false);
        }
        {
            const QSignalBlocker blocker(option);
            option->setChecked(i + 1 == tab);
        }
        if (exclusive) {
            group->setExclusive(true);
        }
    }
}

int CDeviceProfileUI::Appended(profile::ProfileResult result) {
    m_last = result;
    switch (result) {
        case profile::ProfileResult::Done:
            FillCombo();
            return 0;
        case profile::ProfileResult::LimitReached:
            return 1;
        default:
            return -1;
    }
}

int CDeviceProfileUI::NewProfile() {
    return Appended(m_list.New());
}

int CDeviceProfileUI::CopyProfile() {
    return Appended(m_list.Copy(GetSelectedIndex()));
}

int CDeviceProfileUI::ImportProfile(const QString& path) {
    return Appended(m_list.Import(ToPath(path)));
}

int CDeviceProfileUI::ExportProfile(const QString& path) {
    m_last = m_list.Export(GetSelectedIndex(), ToPath(path));
    return m_last == profile::ProfileResult::Done ? 0 : -1;
}

int CDeviceProfileUI::DeleteProfile(int* newSelection) {
    int next = 0;
    m_last = m_list.Delete(GetSelectedIndex(), &next);
    if (m_last != profile::ProfileResult::Done) {
        return -1;
    }
    if (QComboBox* combo = Combo()) {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(next);
    }
    FillCombo();
    SetNameEditText(QString::fromStdString(m_list.Entries()[size_t(next)].name));
    if (newSelection != nullptr) {
        *newSelection = next;
    }
    return 0;
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
    const int selected = GetSelectedIndex();
    m_last = m_list.Rename(selected, name.toStdString());
    switch (m_last) {
        case profile::ProfileResult::Done:
            break;
        case profile::ProfileResult::NameInUse:
            return 0;
        case profile::ProfileResult::BlankName:
            return 2;
        default:
            return -1;
    }
    if (QComboBox* combo = Combo()) {
        combo->setItemText(selected, name);
        combo->setItemData(selected, name, Qt::UserRole);
        combo->setItemData(selected, name, Qt::ToolTipRole);
    }
    SetNameEditText(name);
    return 1;
}

int CDeviceProfileUI::ResetProfile() {
    m_last = m_list.Reset(GetSelectedIndex());
    return m_last == profile::ProfileResult::Done ? 0 : -1;
}

}  // namespace q840::controls
