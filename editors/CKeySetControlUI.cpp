#include "editors/CKeySetControlUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <vector>

#include "core/keys/KeyNames.h"
#include "core/keys/KeyTables.h"
#include "editors/KeyNameText.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/IndexedName.h"

namespace q840::editors {

namespace {

using keys::EditorField;

bool Is(const QString& name, const char* control) {
    return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

// The list pages and their combo boxes.
struct ListPage {
    int page;
    const char* combo;
};
constexpr ListPage kListPages[] = {
    {keys::kPageMouseButton, "keyset_mousekey_combo"},
    {keys::kPageSensitivity, "keyset_mousedpi_combo"},
    {keys::kPageMedia, "keyset_media_combo"},
    {keys::kPageSystem, "keyset_system_combo"},
    {keys::kPageShortcut, "keyset_combokey_combo"},
};
const char* ListCombo(int page) {
    for (const ListPage& p : kListPages) {
        if (p.page == page) {
            return p.combo;
        }
    }
    return nullptr;
}

// Combo boxes whose choice applies at once.
constexpr const char* kApplyingCombos[] = {"keyset_mousekey_combo",   "keyset_mouseswing_combo",
                                           "keyset_mousewheel_combo", "keyset_mousedpi_combo",
                                           "keyset_media_combo",      "keyset_system_combo",
                                           "keyset_macro_combo",      "keyset_macro_over_combo",
                                           "keyset_gunkey_combo",     "keyset_combokey_combo"};

// The number fields, with the field of the code each one fills; leaving one applies.
struct NumberEdit {
    const char* name;
    EditorField field;
};
constexpr NumberEdit kNumberEdits[] = {
    {"keyset_mouseswing_num_edit", EditorField::SwingCount},
    {"keyset_mouseswing_delay_edit", EditorField::SwingDelay},
    {"keyset_mouseswing_speed_edit", EditorField::SwingSpeed},
    {"keyset_mousewheel_num_edit", EditorField::SwingCount},
    {"keyset_mousewheel_delay_edit", EditorField::SwingDelay},
    {"keyset_mousewheel_speed_edit", EditorField::SwingSpeed},
    {"keyset_mousefire_interval_edit", EditorField::FireInterval},
    {"keyset_mousefire_num_edit", EditorField::FireCount},
    {"keyset_macro_cycle_edit", EditorField::Repeat},
};

constexpr const char* kApplyButtons[] = {"key_butt_keysave", "key_butt_keycancel",
                                         "key_butt_prosave"};

// The names of the play modes (0-3 as the mouse plays them, 4 a number of times).
constexpr const char* kPlayModeNames[keys::kPlayModes] = {
    "keyset_play_mode_0", "keyset_play_mode_1", "keyset_play_mode_2", "keyset_play_mode_3",
    "keyset_play_mode_4"};

constexpr int kCategories = 7;

// An item whose text is a language key: it follows language switches.
void AddKeyItem(QComboBox* combo, const char* key) {
    const QString raw = QString::fromLatin1(key);
    combo->addItem(ui::CResourceManager::GetInstance().Resolve(raw));
    combo->setItemData(combo->count() - 1, raw, Qt::UserRole + 1);
    ui::CResourceManager::GetInstance().TrackControl(combo);
}

QList<int> PagesOf(const QWidget* option) {
    QList<int> pages;
    const QString data = option->property("dui_userdata").toString();
    for (const QString& part : data.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int page = part.trimmed().toInt(&ok);
        if (ok) {
            pages << page;
        }
    }
    return pages;
}

void SetChecked(QWidget* widget, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        const QSignalBlocker blocker(button);
        // Exclusive groups refuse to uncheck their checked button directly.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(checked);
        button->setAutoExclusive(exclusive);
    }
}

}  // namespace

const char* const CKeySetControlUI::kLayoutFile = "XML/CustomControlXML/KeySetControl.xml";

CKeySetControlUI::CKeySetControlUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CKeySetControlUI::SetAttribute(const QString& /*name*/, const QString& /*value*/) {
    // No attributes of its own.
}

QWidget* CKeySetControlUI::Find(const QString& name) const {
    return findChild<QWidget*>(name);
}

QComboBox* CKeySetControlUI::Combo(const char* name) const {
    return qobject_cast<QComboBox*>(Find(QLatin1String(name)));
}

QLineEdit* CKeySetControlUI::Edit(const char* name) const {
    return qobject_cast<QLineEdit*>(Find(QLatin1String(name)));
}

// --- set-up ------------------------------------------------------------------------------------

void CKeySetControlUI::InitControls() {
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    FillCombos();
    // Only numbers go into the number fields, at most what a field can take.
    for (const NumberEdit& e : kNumberEdits) {
        if (QLineEdit* edit = Edit(e.name)) {
            edit->setValidator(new QIntValidator(0, 999, edit));
            edit->setMaxLength(3);
        }
    }
    // The categories and pages are this editor's own view of the function list.
    for (int c = 0; c < kCategories; ++c) {
        if (auto* option = qobject_cast<QAbstractButton*>(
                Find(QStringLiteral("keyset_category_option_%1").arg(c)))) {
            connect(option, &QAbstractButton::clicked, this, [this, c] { OnCategoryClicked(c); });
        }
    }
    for (int page = 0; page < keys::kPageCount; ++page) {
        if (auto* option = qobject_cast<QAbstractButton*>(
                Find(QStringLiteral("keyset_page_option_%1").arg(page)))) {
            connect(option, &QAbstractButton::clicked, this,
                    [this, page] { OnPageOptionClicked(page); });
        }
    }
    // The heading names functions in the current language.
    connect(&ui::CResourceManager::GetInstance(), &ui::CResourceManager::languageChanged, this,
            &CKeySetControlUI::ShowHeading, Qt::UniqueConnection);
    if (!m_hasKey) {
        if (QWidget* layout = Find(QStringLiteral("keyset_layout"))) {
            layout->setVisible(false);
        }
        EnableApplyButtons(false);
        if (QWidget* restore = Find(QStringLiteral("key_butt_keydefalut"))) {
            restore->setEnabled(false);
        }
    }
}

void CKeySetControlUI::FillCombos() {
    for (const ListPage& p : kListPages) {
        QComboBox* combo = Combo(p.combo);
        if (combo == nullptr) {
            continue;
        }
        const QSignalBlocker blocker(combo);
        combo->clear();
        const keys::NameRange names = keys::PageTableNames(p.page);
        for (int row = 0; row < names.count; ++row) {
            AddKeyItem(combo, keys::NameKey(names, row));
        }
        combo->setCurrentIndex(-1);
    }
    if (QComboBox* guns = Combo("keyset_gunkey_combo")) {
        const QSignalBlocker blocker(guns);
        guns->clear();
        for (int gun = 0; gun < keys::kGunNames.count; ++gun) {
            AddKeyItem(guns, keys::NameKey(keys::kGunNames, gun));
        }
        guns->setCurrentIndex(0);
    }
    if (QComboBox* modes = Combo("keyset_macro_over_combo")) {
        const QSignalBlocker blocker(modes);
        modes->clear();
        for (const char* key : kPlayModeNames) {
            AddKeyItem(modes, key);
        }
        modes->setCurrentIndex(-1);
    }
}

void CKeySetControlUI::ApplyDeviceType(int typeCode) {
    m_deviceType = typeCode;
    QComboBox* functions = Combo("keyset_function_combo");
    if (functions == nullptr) {
        return;
    }
    // The keyboard has no sensitivity and no gun key functions.
    const bool keyboard = typeCode == 1;
    auto* view = qobject_cast<QListView*>(functions->view());
    for (int i = 0; i < functions->count(); ++i) {
        const int page = functions->itemData(i).toString().toInt();
        const bool hidden = keyboard && (page == keys::kPageSensitivity || page == keys::kPageGun);
        if (view != nullptr) {
            view->setRowHidden(i, hidden);
        }
        functions->setItemData(i, hidden, Qt::UserRole + 2);
    }
    // A category whose pages are all gone goes with them.
    for (int c = 0; c < kCategories; ++c) {
        QWidget* option = Find(QStringLiteral("keyset_category_option_%1").arg(c));
        if (option == nullptr) {
            continue;
        }
        bool any = false;
        for (int page : PagesOf(option)) {
            for (int i = 0; i < functions->count(); ++i) {
                any = any || (functions->itemData(i).toString().toInt() == page &&
                              !functions->itemData(i, Qt::UserRole + 2).toBool());
            }
        }
        option->setVisible(any);
    }
}

// --- macro names -------------------------------------------------------------------------------

void CKeySetControlUI::SetMacroNames(const QStringList& names) {
    QComboBox* combo = Combo("keyset_macro_combo");
    if (combo == nullptr) {
        return;
    }
    const QSignalBlocker blocker(combo);
    for (const QString& name : names) {
        // Macro names are the user's own text, shown as written (never as a language key).
        combo->addItem(name);
        combo->setItemData(combo->count() - 1, QSize(0, kMacroItemHeight), Qt::SizeHintRole);
    }
    combo->setCurrentIndex(-1);
}

void CKeySetControlUI::AddMacroName(const QString& name) {
    QComboBox* combo = Combo("keyset_macro_combo");
    if (combo == nullptr) {
        return;
    }
    const QSignalBlocker blocker(combo);
    combo->addItem(name);
    combo->setItemData(combo->count() - 1, QSize(0, kMacroItemHeight), Qt::SizeHintRole);
}

void CKeySetControlUI::RenameMacroName(int index, const QString& name) {
    QComboBox* combo = Combo("keyset_macro_combo");
    if (combo == nullptr || index < 0 || index >= combo->count() || name.isEmpty()) {
        return;
    }
    combo->setItemText(index, name);
    ShowHeading();
}

void CKeySetControlUI::RemoveMacroName(int index) {
    QComboBox* combo = Combo("keyset_macro_combo");
    if (combo == nullptr || index < 0 || index >= combo->count()) {
        return;
    }
    const QSignalBlocker blocker(combo);
    combo->removeItem(index);
}

void CKeySetControlUI::ReplaceMacroNames(const QStringList& names) {
    if (names == GetMacroNames()) {
        return;
    }
    if (QComboBox* combo = Combo("keyset_macro_combo")) {
        const QSignalBlocker blocker(combo);
        combo->clear();
    }
    SetMacroNames(names);
    if (m_hasKey) {
        ShowCurrent();  // the macro shown may have another number now, or be gone
    }
}

QStringList CKeySetControlUI::GetMacroNames() const {
    QStringList names;
    if (QComboBox* combo = Combo("keyset_macro_combo")) {
        for (int i = 0; i < combo->count(); ++i) {
            names << combo->itemText(i);
        }
    }
    return names;
}

// --- showing a code ----------------------------------------------------------------------------

void CKeySetControlUI::SetKeyName(const QString& nameKey) {
    m_keyNameKey = nameKey;
    ShowHeading();
}

void CKeySetControlUI::SetKeyAssignment(const profile::KeyAssignmentPair& pair) {
    m_pair = pair;
    m_hasKey = true;
    if (QWidget* restore = Find(QStringLiteral("key_butt_keydefalut"))) {
        restore->setEnabled(true);
    }
    if (QWidget* hint = Find(QStringLiteral("keyset_select_hint"))) {
        hint->setVisible(false);
    }
    if (QWidget* buttons = Find(QStringLiteral("keyset_buttons_layout"))) {
        buttons->setVisible(true);
    }
    ShowCurrent();
}

void CKeySetControlUI::ShowDefault() {
    ShowCode(m_pair.defaults.Code());
}

void CKeySetControlUI::ShowCurrent() {
    ShowCode(m_pair.current.Code());
}

void CKeySetControlUI::ShowCode(uint32_t code) {
    QComboBox* macros = Combo("keyset_macro_combo");
    const int macroCount = macros != nullptr ? macros->count() : 0;
    const keys::EditorView view = keys::ViewOfCode(code, m_pair.defaults.Code(), macroCount);
    if (code == m_pair.current.Code()) {
        m_pair.current.SetCode(view.code);
    }

    if (const char* name = ListCombo(view.page)) {
        if (QComboBox* combo = Combo(name)) {
            if (view.tableRow >= 0 || view.tableRow == keys::kClearRow) {
                combo->setCurrentIndex(view.tableRow >= 0 ? view.tableRow : -1);
            }
        }
    }
    switch (view.page) {
        case keys::kPageSwingHorizontal:
        case keys::kPageSwingVertical: {
            const bool wheel = view.page == keys::kPageSwingVertical;
            if (QComboBox* direction =
                    Combo(wheel ? "keyset_mousewheel_combo" : "keyset_mouseswing_combo")) {
                direction->setCurrentIndex(view.direction);
            }
            SetEditNumber(wheel ? "keyset_mousewheel_num_edit" : "keyset_mouseswing_num_edit",
                          view.count);
            SetEditNumber(wheel ? "keyset_mousewheel_delay_edit" : "keyset_mouseswing_delay_edit",
                          view.delay);
            SetEditNumber(wheel ? "keyset_mousewheel_speed_edit" : "keyset_mouseswing_speed_edit",
                          view.speed);
            break;
        }
        case keys::kPageFire:
            SetEditNumber("keyset_mousefire_interval_edit", view.interval);
            SetEditNumber("keyset_mousefire_num_edit", view.fireCount);
            break;
        case keys::kPageKeyboard:
            SelectModifier(view.modifier);
            ShowKeyField(view.keyRow);
            break;
        case keys::kPageMacro:
            if (macros != nullptr) {
                macros->setCurrentIndex(view.macro);
            }
            if (QComboBox* modes = Combo("keyset_macro_over_combo")) {
                modes->setCurrentIndex(view.playMode);
            }
            if (view.repeatShown) {
                SetEditNumber("keyset_macro_cycle_edit", view.repeat);
            }
            ShowRepeatField();
            break;
        case keys::kPageGun:
            if (QComboBox* guns = Combo("keyset_gunkey_combo")) {
                guns->setCurrentIndex(view.gun < guns->count() ? view.gun : -1);
            }
            break;
        default:
            break;
    }

    QWidget* layout = Find(QStringLiteral("keyset_layout"));
    const bool shown = view.page != keys::kNoPage && SelectFunctionItem(view.page);
    if (layout != nullptr) {
        layout->setVisible(shown);
    }
    if (QWidget* unknown = Find(QStringLiteral("keyset_unknown_hint"))) {
        unknown->setVisible(!shown && m_hasKey);
    }
    if (shown) {
        ShowFunctionPage(view.page);
    }
    ShowHeading();
}

bool CKeySetControlUI::SelectFunctionItem(int page) {
    QComboBox* functions = Combo("keyset_function_combo");
    if (functions == nullptr) {
        return false;
    }
    for (int i = 0; i < functions->count(); ++i) {
        if (functions->itemData(i).toString().toInt() == page &&
            !functions->itemData(i, Qt::UserRole + 2).toBool()) {
            const QSignalBlocker blocker(functions);
            functions->setCurrentIndex(i);
            functions->setProperty("dui_previndex", i);
            return true;
        }
    }
    return false;
}

void CKeySetControlUI::ShowPage(int page) {
    if (auto* pages =
            qobject_cast<QStackedWidget*>(Find(QStringLiteral("function_switch_tablayout")));
        pages != nullptr && page >= 0 && page < pages->count()) {
        pages->setCurrentIndex(page);
    }
}

void CKeySetControlUI::ShowFunctionPage(int page) {
    ShowPage(page);
    SyncCategories(page);
    if (QWidget* hint = Find(QStringLiteral("keyset_macro_empty_hint"))) {
        QComboBox* macros = Combo("keyset_macro_combo");
        hint->setVisible(macros == nullptr || macros->count() == 0);
    }
}

void CKeySetControlUI::SyncCategories(int page) {
    QList<int> pagesOfCategory;
    for (int c = 0; c < kCategories; ++c) {
        QWidget* option = Find(QStringLiteral("keyset_category_option_%1").arg(c));
        if (option == nullptr) {
            continue;
        }
        const QList<int> pages = PagesOf(option);
        const bool mine = pages.contains(page);
        SetChecked(option, mine);
        if (mine) {
            pagesOfCategory = pages;
        }
    }
    // The page row shows the pages of the category, when it has more than one.
    for (int p = 0; p < keys::kPageCount; ++p) {
        QWidget* option = Find(QStringLiteral("keyset_page_option_%1").arg(p));
        if (option == nullptr) {
            continue;
        }
        option->setVisible(pagesOfCategory.size() > 1 && pagesOfCategory.contains(p));
        SetChecked(option, p == page);
    }
    if (QWidget* bar = Find(QStringLiteral("keyset_subpage_bar"))) {
        bar->setVisible(pagesOfCategory.size() > 1);
    }
}

int CKeySetControlUI::SelectedPage() const {
    QComboBox* functions = Combo("keyset_function_combo");
    if (functions == nullptr || functions->currentIndex() < 0) {
        return keys::kNoPage;
    }
    bool ok = false;
    const int page = functions->currentData().toString().toInt(&ok);
    return ok ? page : keys::kNoPage;
}

int CKeySetControlUI::ShownPage() const {
    QWidget* layout = Find(QStringLiteral("keyset_layout"));
    auto* pages = qobject_cast<QStackedWidget*>(Find(QStringLiteral("function_switch_tablayout")));
    if (layout == nullptr || pages == nullptr || layout->isHidden()) {
        return keys::kNoPage;
    }
    return pages->currentIndex();
}

void CKeySetControlUI::ShowHeading() {
    if (QWidget* name = Find(QStringLiteral("keyset_key_name"))) {
        ui::CResourceManager::GetInstance().SetControlText(
            name, m_keyNameKey.isEmpty() ? QStringLiteral("keyset_no_key") : m_keyNameKey);
    }
    std::vector<std::string> macroNames;
    for (const QString& n : GetMacroNames()) {
        macroNames.push_back(n.toStdString());
    }
    if (auto* function = qobject_cast<QLabel*>(Find(QStringLiteral("keyset_current_function")))) {
        function->setTextFormat(Qt::PlainText);
        function->setText(m_hasKey
                              ? CodeNameText(keys::NameOfCode(m_pair.current.Code(), macroNames))
                              : QString());
    }
    if (auto* def = qobject_cast<QLabel*>(Find(QStringLiteral("keyset_default_name")))) {
        def->setTextFormat(Qt::PlainText);
        def->setText(m_hasKey ? CodeNameText(keys::NameOfCode(m_pair.defaults.Code(), macroNames))
                              : QString());
    }
}

int CKeySetControlUI::EditNumber(const char* name) const {
    QLineEdit* edit = Edit(name);
    return edit != nullptr ? edit->text().trimmed().toInt() : 0;  // not a number: 0
}

void CKeySetControlUI::SetEditNumber(const char* name, int value) {
    if (QLineEdit* edit = Edit(name)) {
        edit->setText(QString::number(value));
    }
}

void CKeySetControlUI::ShowRepeatField() {
    QComboBox* modes = Combo("keyset_macro_over_combo");
    if (QWidget* repeat = Find(QStringLiteral("keyset_macro_cycle_layout"))) {
        repeat->setVisible(modes != nullptr && modes->currentIndex() == keys::kPlayModeRepeat);
    }
}

void CKeySetControlUI::ShowKeyField(int keyRow) {
    m_keyRow = keyRow;
    QLineEdit* edit = Edit("keyset_keyboard_text_edit");
    if (edit == nullptr) {
        return;
    }
    const char* key = keys::KeyCodeNameKey(keyRow);
    ui::CResourceManager::GetInstance().SetControlText(
        edit, key != nullptr ? QString::fromLatin1(key) : QString());
}

// --- building a code ---------------------------------------------------------------------------

profile::KeyAssignmentPair CKeySetControlUI::BuildAssignment() {
    if (ShownPage() == keys::kNoPage) {
        return m_pair;  // no page shows the code: the controls hold nothing of it
    }
    keys::EditorInput in;
    in.page = SelectedPage();
    if (const char* name = ListCombo(in.page)) {
        QComboBox* combo = Combo(name);
        in.tableRow = combo != nullptr ? combo->currentIndex() : -1;
    }
    // Each number as the field keeps it; the edit shows what was taken.
    auto number = [this](const char* name, EditorField field) {
        const int value = keys::LimitField(field, EditNumber(name));
        if (QLineEdit* edit = Edit(name);
            edit != nullptr && edit->text() != QString::number(value)) {
            edit->setText(QString::number(value));
        }
        return value;
    };
    const bool wheel = in.page == keys::kPageSwingVertical;
    if (in.page == keys::kPageSwingHorizontal || wheel) {
        QComboBox* direction = Combo(wheel ? "keyset_mousewheel_combo" : "keyset_mouseswing_combo");
        in.direction = direction != nullptr ? direction->currentIndex() : -1;
        in.count = number(wheel ? "keyset_mousewheel_num_edit" : "keyset_mouseswing_num_edit",
                          EditorField::SwingCount);
        in.delay = number(wheel ? "keyset_mousewheel_delay_edit" : "keyset_mouseswing_delay_edit",
                          EditorField::SwingDelay);
        in.speed = number(wheel ? "keyset_mousewheel_speed_edit" : "keyset_mouseswing_speed_edit",
                          EditorField::SwingSpeed);
    } else if (in.page == keys::kPageFire) {
        in.interval = number("keyset_mousefire_interval_edit", EditorField::FireInterval);
        in.fireCount = number("keyset_mousefire_num_edit", EditorField::FireCount);
    } else if (in.page == keys::kPageKeyboard) {
        in.modifier = GetSelectedModifier();
        QLineEdit* edit = Edit("keyset_keyboard_text_edit");
        in.keyShown = edit != nullptr && !edit->text().isEmpty();
    } else if (in.page == keys::kPageMacro) {
        QComboBox* macros = Combo("keyset_macro_combo");
        QComboBox* modes = Combo("keyset_macro_over_combo");
        in.macro = macros != nullptr ? macros->currentIndex() : -1;
        in.macroCount = macros != nullptr ? macros->count() : 0;
        in.playMode = modes != nullptr ? modes->currentIndex() : -1;
        if (in.playMode == keys::kPlayModeRepeat) {
            in.repeat = number("keyset_macro_cycle_edit", EditorField::Repeat);
        }
    } else if (in.page == keys::kPageGun) {
        QComboBox* guns = Combo("keyset_gunkey_combo");
        in.gun = guns != nullptr ? guns->currentIndex() : -1;
    }
    m_pair.current.SetCode(keys::BuildCode(in, m_pair.current.Code(), m_pair.defaults.Code()));
    ShowHeading();
    return m_pair;
}

// --- the keyboard page ------------------------------------------------------------------------

void CKeySetControlUI::SelectModifier(int option) {
    for (int n = 0; n < keys::kModifierOptions; ++n) {
        SetChecked(Find(QStringLiteral("key_ComBox_check_%1").arg(n)), n == option);
    }
}

int CKeySetControlUI::GetSelectedModifier() const {
    for (int n = 0; n < keys::kModifierOptions; ++n) {
        auto* option =
            qobject_cast<QAbstractButton*>(Find(QStringLiteral("key_ComBox_check_%1").arg(n)));
        if (option != nullptr && option->isChecked()) {
            return n;
        }
    }
    return keys::kNoModifierOption;
}

bool CKeySetControlUI::OnCapturedKey(unsigned virtualKey, bool extended) {
    if (!m_hasKey || SelectedPage() != keys::kPageKeyboard || virtualKey > 0xFFFF) {
        return false;
    }
    const keys::CaptureResult capture =
        keys::CaptureKey(uint16_t(virtualKey), extended, GetSelectedModifier());
    if (!capture.accepted) {
        return false;
    }
    SelectModifier(capture.modifier);
    ShowKeyField(capture.keyRow);
    m_pair.current.SetCode(capture.code);
    return true;
}

// --- buttons -----------------------------------------------------------------------------------

void CKeySetControlUI::EnableApplyButtons(bool enabled) {
    for (const char* name : kApplyButtons) {
        if (QWidget* button = Find(QLatin1String(name))) {
            button->setEnabled(enabled && m_hasKey);
        }
    }
    SetKeysPending(m_keysPending);
}

bool CKeySetControlUI::AreApplyButtonsEnabled() const {
    QWidget* apply = Find(QStringLiteral("key_butt_keysave"));
    return apply != nullptr && apply->isEnabled();
}

void CKeySetControlUI::SetKeysPending(bool pending) {
    m_keysPending = pending;
    // Keys the mouse has not got can be sent whatever the other buttons say.
    if (QWidget* send = Find(QStringLiteral("key_butt_prosave")); send != nullptr && pending) {
        send->setEnabled(m_hasKey);
    }
    if (QWidget* hint = Find(QStringLiteral("keyset_pending_hint"))) {
        hint->setVisible(pending && m_hasKey);
    }
}

void CKeySetControlUI::OnCategoryClicked(int category) {
    QWidget* option = Find(QStringLiteral("keyset_category_option_%1").arg(category));
    if (option == nullptr || !m_hasKey) {
        return;
    }
    // The category's first page the device offers, unless one of its pages shows already.
    const QList<int> pages = PagesOf(option);
    if (pages.contains(SelectedPage())) {
        SyncCategories(SelectedPage());
        return;
    }
    for (int page : pages) {
        if (SelectFunctionItem(page)) {
            OnPageOptionClicked(page);
            return;
        }
    }
}

void CKeySetControlUI::OnPageOptionClicked(int page) {
    if (!m_hasKey || !SelectFunctionItem(page)) {
        return;
    }
    // As a choice in the function list: the page shows, and the keyboard page starts empty.
    if (page == keys::kPageKeyboard) {
        ShowKeyField(-1);
        SelectModifier(keys::kNoModifierOption);
    }
    ShowFunctionPage(page);
    EnableApplyButtons(true);
}

CKeySetControlUI::Follow CKeySetControlUI::ApplyNotification(const ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr || !isAncestorOf(msg.pSender)) {
        return Follow::NotMine;
    }
    const QString name = msg.pSender->objectName();
    if (msg.sType == ui::notify::kItemSelect) {
        if (Is(name, "keyset_function_combo")) {
            OnPageOptionClicked(SelectedPage());
            return Follow::Nothing;
        }
        if (Is(name, "keyset_macro_over_combo")) {
            ShowRepeatField();
        }
        for (const char* combo : kApplyingCombos) {
            if (Is(name, combo)) {
                return m_hasKey ? Follow::Apply : Follow::Nothing;
            }
        }
        return Follow::NotMine;
    }
    if (msg.sType == ui::notify::kKillFocus) {
        if (Is(name, "keyset_keyboard_text_edit")) {
            return Follow::CaptureEnded;
        }
        for (const NumberEdit& e : kNumberEdits) {
            if (Is(name, e.name)) {
                return m_hasKey ? Follow::Apply : Follow::Nothing;
            }
        }
        return Follow::NotMine;
    }
    if (msg.sType == ui::notify::kSelectChanged) {
        const ui::IndexedName split = ui::SplitIndexedName(name);
        if (split.hasIndex && Is(split.prefix, "key_ComBox_check_")) {
            if (msg.wParam == 0 || !m_hasKey) {
                return Follow::Nothing;  // the option that was left
            }
            SelectModifier(split.index);
            return Follow::Apply;
        }
        return Follow::NotMine;
    }
    if (msg.sType != ui::notify::kClick) {
        return Follow::NotMine;
    }
    if (Is(name, "key_butt_keysave")) {
        return m_hasKey ? Follow::Apply : Follow::Nothing;
    }
    if (Is(name, "key_butt_prosave")) {
        return m_hasKey ? Follow::Send : Follow::Nothing;
    }
    if (Is(name, "key_butt_keydefalut")) {
        ShowDefault();
        EnableApplyButtons(true);
        return Follow::Nothing;
    }
    if (Is(name, "key_butt_keycancel")) {
        ShowCurrent();
        EnableApplyButtons(false);
        return Follow::Nothing;
    }
    return Follow::NotMine;
}

}  // namespace q840::editors
