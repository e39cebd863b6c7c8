#include "editors/CMacroControlUI.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSignalBlocker>
#include <QWindow>
#include <algorithm>

#include <json/writer.h>

#include "core/keys/KeyNames.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::editors {

namespace {

using macro::MacroEvent;

// The widths of the step row's parts; the list's header uses the same.
constexpr int kNameWidth = 150;
constexpr int kDelayWidth = 72;

// Controls that need a selected macro.
// (Save and Revert as well: without a macro there is nothing to save or to go back to.)
// (Recording as well: the steps it makes go into the selected macro.)
constexpr const char* kMacroControls[] = {
    "macro_action_layout", "mouse_move_layout", "macro_btn_export", "macro_btn_name_sub",
    "macro_btn_name_edit", "macro_btn_save",    "macro_btn_cancel", "macro_btn_starredio"};

// Mouse buttons of the macro action menu: the command's prefix and the button bits.
struct MenuButton {
    const char* prefix;
    int bits;
};
constexpr MenuButton kMenuButtons[] = {
    {"left_", 1}, {"middle_", 4}, {"right_", 2}, {"forward_", 16}, {"back_", 8},
};

// Move buttons: the distance edit, the step type and whether it is the "down" direction.
struct MoveButton {
    const char* button;
    const char* edit;
    int type;
    bool down;
};
constexpr MoveButton kMoveButtons[] = {
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", macro::kStepMoveHorizontal, true},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", macro::kStepMoveHorizontal, false},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", macro::kStepMoveVertical, true},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", macro::kStepMoveVertical, false},
};
// One step carries a distance of at most 255.
constexpr int kMaxMoveDistance = 255;

bool Is(const QString& name, const char* control) {
    return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

// A row keeps its step as compact JSON text.
QString StepText(const MacroEvent& step) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return QString::fromStdString(Json::writeString(builder, step.ToJson()));
}

void SetText(QWidget* control, const QString& keyOrText) {
    ui::CResourceManager::GetInstance().SetControlText(control, keyOrText);
}

bool IsMoveType(int type) {
    return type == macro::kStepMoveHorizontal || type == macro::kStepMoveVertical;
}

}  // namespace

const char* const CMacroControlUI::kLayoutFile = "XML/CustomControlXML/MacroControl.xml";

CMacroControlUI::CMacroControlUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_scrollTimer.setSingleShot(true);
    m_scrollTimer.setInterval(kScrollDelayMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] {
        if (QListWidget* list = StepList(); list != nullptr && list->count() > 0) {
            list->scrollToBottom();
        }
    });
}

void CMacroControlUI::SetAttribute(const QString& /*name*/, const QString& /*value*/) {
    // No attributes of its own.
}

QWidget* CMacroControlUI::Find(const char* name) const {
    return findChild<QWidget*>(QLatin1String(name));
}

QListWidget* CMacroControlUI::NameList() const {
    return qobject_cast<QListWidget*>(Find("macro_name_list"));
}

QListWidget* CMacroControlUI::StepList() const {
    return qobject_cast<QListWidget*>(Find("macro_action_list"));
}

void CMacroControlUI::SetDataFolder(const QString& folder) {
    m_dataFolder = folder;
    m_store.SetFolder(folder.toStdString());
    // The move distances: what one step can carry.
    for (const MoveButton& move : kMoveButtons) {
        if (auto* edit = qobject_cast<QLineEdit*>(Find(move.edit))) {
            edit->setValidator(new QIntValidator(0, kMaxMoveDistance, edit));
            edit->setMaxLength(3);
        }
    }
    if (auto* edit = qobject_cast<QLineEdit*>(Find("macro_fixed_time_edit"))) {
        edit->setValidator(new QIntValidator(0, macro::kMaxStepDelay, edit));
        edit->setMaxLength(5);
    }
}

void CMacroControlUI::LoadMacroIndex() {
    QListWidget* names = NameList();
    if (names != nullptr && !m_nameListWatched) {
        // The arrow keys move the highlight without a notification: the steps follow it here,
        // so that what is shown is always the macro a save or a rename works on.
        connect(names, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row != m_shownMacro) {
                SelectMacro(row);
            }
        });
        m_nameListWatched = true;
    }
    m_store.LoadMacroIndex();
    FillNameList();
    ShowSteps({});
    UpdateEnabled();
}

void CMacroControlUI::FillNameList() {
    m_shownMacro = -1;
    m_names.clear();
    for (const macro::MacroEntry& entry : m_store.Entries()) {
        m_names << QString::fromStdString(entry.name);
    }
    QListWidget* list = NameList();
    if (list == nullptr) {
        return;
    }
    const QSignalBlocker blocker(list);
    list->clear();
    for (int i = 0; i < m_names.size(); ++i) {
        auto* item = new QListWidgetItem(m_names[i], list);
        item->setData(Qt::UserRole, QString::fromStdString(m_store.Entries()[size_t(i)].guid));
        item->setSizeHint(QSize(0, kRowHeight));
    }
    list->setCurrentRow(-1);
}

int CMacroControlUI::GetSelectedMacro() const {
    return m_shownMacro >= 0 && m_shownMacro < m_store.Count() ? m_shownMacro : -1;
}

void CMacroControlUI::SelectMacro(int number) {
    QListWidget* list = NameList();
    if (list == nullptr) {
        return;
    }
    {
        const QSignalBlocker blocker(list);
        if (number >= 0 && number < list->count()) {
            list->setCurrentRow(number);
            list->item(number)->setSelected(true);
        } else {
            list->setCurrentRow(-1);
            list->clearSelection();
        }
    }
    m_shownMacro = number >= 0 && number < m_store.Count() ? number : -1;
    if (m_shownMacro < 0) {
        ShowSteps({});
    } else {
        ShowSteps(m_store.LoadMacroEvents(m_store.Entries()[size_t(m_shownMacro)].guid));
    }
    UpdateEnabled();
}

void CMacroControlUI::UpdateEnabled() {
    const bool selected = GetSelectedMacro() >= 0;
    for (const char* name : kMacroControls) {
        if (QWidget* control = Find(name)) {
            control->setEnabled(selected);
        }
    }
    ShowEmptyHint();
}

void CMacroControlUI::ShowEmptyHint() {
    // An editor with nothing in it says what to do.
    QWidget* hint = Find("macro_empty_hint");
    if (hint == nullptr) {
        return;
    }
    const char* text = nullptr;
    if (m_store.Count() == 0) {
        text = "macro_hint_no_macros";
    } else if (GetSelectedMacro() < 0) {
        text = "macro_hint_select";
    } else if (StepCount() == 0) {
        text = "macro_hint_no_steps";
    }
    if (text != nullptr) {
        SetText(hint, QLatin1String(text));
    }
    hint->setVisible(text != nullptr);
}

// --- storage -------------------------------------------------------------------------------

macro::MacroResult CMacroControlUI::CreateMacro(QString* name) {
    std::string created;
    const macro::MacroResult result = m_store.CreateMacro(&created);
    if (result == macro::MacroResult::Done) {
        FillNameList();
        SelectMacro(m_store.Count() - 1);
        if (name != nullptr) {
            *name = QString::fromStdString(created);
        }
    }
    return result;
}

macro::MacroResult CMacroControlUI::ImportMacro(const QString& path, QString* name) {
    std::string imported;
    const macro::MacroResult result = m_store.ImportMacro(path.toStdString(), &imported);
    if (result == macro::MacroResult::Done) {
        FillNameList();
        SelectMacro(m_store.Count() - 1);
        if (name != nullptr) {
            *name = QString::fromStdString(imported);
        }
    }
    return result;
}

macro::MacroResult CMacroControlUI::ExportMacro(const QString& path) const {
    const int selected = GetSelectedMacro();
    if (selected < 0 || path.isEmpty()) {
        return macro::MacroResult::NoSelection;
    }
    return m_store.ExportMacro(selected, path.toStdString());
}

macro::MacroResult CMacroControlUI::RenameMacro(QString* name, int* number) {
    const int selected = GetSelectedMacro();
    if (number != nullptr) {
        *number = selected;
    }
    if (selected < 0) {
        return macro::MacroResult::NoSelection;
    }
    auto* edit = qobject_cast<QLineEdit*>(Find("macro_edit_macroname"));
    const QString text = edit != nullptr ? edit->text() : QString();
    const macro::MacroResult result = m_store.RenameMacro(selected, text.toStdString());
    if (name != nullptr) {
        *name = text;
    }
    if (result == macro::MacroResult::Done) {
        m_names[selected] = text;
        if (QListWidget* list = NameList()) {
            list->item(selected)->setText(text);
        }
        edit->clear();
    }
    return result;
}

int CMacroControlUI::DeleteMacro(macro::MacroResult* result) {
    const int selected = GetSelectedMacro();
    if (selected < 0) {
        if (result != nullptr) {
            *result = macro::MacroResult::NoSelection;
        }
        return -1;
    }
    const macro::MacroResult outcome = m_store.DeleteMacro(selected);
    if (result != nullptr) {
        *result = outcome;
    }
    if (outcome != macro::MacroResult::Done) {
        return -1;
    }
    FillNameList();
    SelectMacro(m_store.Count() > 0 ? 0 : -1);
    return selected;
}

int CMacroControlUI::SaveMacroEvents() {
    const int selected = GetSelectedMacro();
    if (selected < 0) {
        return -1;
    }
    std::vector<macro::MacroRow> rows = Rows();
    const int result = m_store.SaveMacroEvents(selected, rows);
    if (result == 0) {
        PutRows(rows);
    }
    return result;
}

void CMacroControlUI::ReloadMacro() {
    SelectMacro(GetSelectedMacro());
}

// --- step rows -----------------------------------------------------------------------------

int CMacroControlUI::StepCount() const {
    QListWidget* list = StepList();
    return list != nullptr ? list->count() : 0;
}

int CMacroControlUI::SelectedStep() const {
    QListWidget* list = StepList();
    if (list == nullptr || list->currentItem() == nullptr || !list->currentItem()->isSelected()) {
        return -1;
    }
    return list->currentRow();
}

void CMacroControlUI::SelectStep(int row) {
    if (QListWidget* list = StepList()) {
        if (row >= 0 && row < list->count()) {
            list->setCurrentRow(row);
        } else {
            list->setCurrentRow(-1);
            list->clearSelection();
        }
    }
}

QWidget* CMacroControlUI::RowWidget(int row) const {
    QListWidget* list = StepList();
    return list != nullptr && row >= 0 && row < list->count() ? list->itemWidget(list->item(row))
                                                              : nullptr;
}

QLineEdit* CMacroControlUI::DelayEdit(int row) const {
    QWidget* widget = RowWidget(row);
    return widget != nullptr ? widget->findChild<QLineEdit*>(QStringLiteral("macro_delay"))
                             : nullptr;
}

macro::MacroEvent CMacroControlUI::StepAt(int row) const {
    QListWidget* list = StepList();
    if (list == nullptr || row < 0 || row >= list->count()) {
        return {};
    }
    const std::string text = list->item(row)->data(Qt::UserRole).toString().toStdString();
    return MacroEvent::FromJson(profile::JsonFileStore::ParseText(text)).value_or(MacroEvent{});
}

QString CMacroControlUI::DelayTextAt(int row) const {
    QLineEdit* edit = DelayEdit(row);
    return edit != nullptr ? edit->text() : QString();
}

std::vector<macro::MacroRow> CMacroControlUI::Rows() const {
    std::vector<macro::MacroRow> rows;
    QListWidget* list = StepList();
    for (int i = 0; list != nullptr && i < list->count(); ++i) {
        rows.push_back({list->item(i)->data(Qt::UserRole).toString().toStdString(),
                        DelayTextAt(i).toStdString()});
    }
    return rows;
}

void CMacroControlUI::PutRows(const std::vector<macro::MacroRow>& rows) {
    QListWidget* list = StepList();
    for (int i = 0; list != nullptr && i < list->count() && size_t(i) < rows.size(); ++i) {
        list->item(i)->setData(Qt::UserRole, QString::fromStdString(rows[size_t(i)].step));
        if (QLineEdit* edit = DelayEdit(i)) {
            edit->setText(QString::fromStdString(rows[size_t(i)].delay));
        }
    }
}

void CMacroControlUI::ShowSteps(const std::vector<macro::MacroEvent>& steps) {
    if (QListWidget* list = StepList()) {
        // One layout pass for all rows instead of one per row.
        list->setUpdatesEnabled(false);
        list->clear();
        for (const MacroEvent& step : steps) {
            AddStepRow(step, QString::number(macro::ShownDelay(step.delay)), -1);
        }
        list->setCurrentRow(-1);
        list->clearSelection();
        list->setUpdatesEnabled(true);
    }
    ShowEmptyHint();
}

int CMacroControlUI::AddStepRow(const MacroEvent& step, const QString& delayText, int position) {
    QListWidget* list = StepList();
    if (list == nullptr) {
        return -1;
    }
    auto* row = new QWidget();
    row->setObjectName(QStringLiteral("macro_action"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 0, 8, 0);
    layout->setSpacing(8);

    // The key, button or move by name.
    auto* name = new QLabel(row);
    const bool keyboard = step.type == macro::kStepKey || step.type == macro::kStepModifierKey;
    name->setProperty("class", keyboard ? "macro_label_keyboard_style" : "macro_label_mouse_style");
    name->setFixedWidth(kNameWidth);
    if (const char* key = keys::MacroStepNameKey(step.type, step.button, step.IsDown())) {
        SetText(name, QLatin1String(key));
    }
    layout->addWidget(name, 0, Qt::AlignVCenter);

    // Press or release, or the distance of a move.
    auto* action = new QLabel(row);
    if (IsMoveType(step.type)) {
        action->setProperty("class", "macro_label_text_style");
        action->setText(QString::number(step.button & 0xFF));
    } else if (step.type == macro::kStepMouseButton || keyboard) {
        action->setProperty("class",
                            step.IsDown() ? "macro_label_down_style" : "macro_label_up_style");
        SetText(action, QLatin1String(step.IsDown() ? "macro_action_down" : "macro_action_up"));
    } else {
        action->setProperty("class", "macro_label_text_style");
    }
    layout->addWidget(action, 1, Qt::AlignVCenter);

    // The delay after the step, in milliseconds.
    auto* delay = new QLineEdit(row);
    delay->setObjectName(QStringLiteral("macro_delay"));
    delay->setProperty("class", "macro_label_text_style");
    delay->setFixedWidth(kDelayWidth);
    delay->setFixedHeight(25);
    delay->setMaxLength(6);
    delay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    delay->setValidator(new QIntValidator(0, macro::kMaxStepDelay, delay));
    delay->setText(delayText);
    layout->addWidget(delay, 0, Qt::AlignVCenter);
    auto* unit = new QLabel(row);
    unit->setProperty("class", "hint");
    SetText(unit, QStringLiteral("macro_delay_unit"));
    layout->addWidget(unit, 0, Qt::AlignVCenter);
    if (ui::CPaintManagerUI* manager = ui::CPaintManagerUI::FromControl(list)) {
        // Leaving the field saves the macro: its focus changes are notifications.
        manager->AttachControl(delay);
    }

    auto* item = new QListWidgetItem();
    item->setData(Qt::UserRole, StepText(step));
    item->setSizeHint(QSize(0, kRowHeight));
    const int at = position < 0 || position > list->count() ? list->count() : position;
    list->insertItem(at, item);
    list->setItemWidget(item, row);
    ShowEmptyHint();
    return at;
}

void CMacroControlUI::InsertStep(const MacroEvent& given) {
    QListWidget* list = StepList();
    if (list == nullptr) {
        return;
    }
    MacroEvent step = given;
    step.delay = std::to_string(m_constantDelay);
    const int selected = SelectedStep();
    int position = 0;
    if (list->count() > 0) {
        position = selected >= 0 ? selected + 1 : 1;
    }
    list->clearSelection();
    const int row = AddStepRow(step, QString::number(macro::ShownDelay(step.delay)), position);
    list->setCurrentRow(row);
    list->setFocus();
    list->scrollToItem(list->item(row));
}

bool CMacroControlUI::InsertMenuSteps(const QString& command) {
    for (const MenuButton& button : kMenuButtons) {
        const QString prefix = QLatin1String(button.prefix);
        if (!command.startsWith(prefix, Qt::CaseInsensitive)) {
            continue;
        }
        const QString what = command.mid(prefix.size()).toLower();
        MacroEvent step;
        step.type = macro::kStepMouseButton;
        step.button = button.bits;
        if (what == QLatin1String("down") || what == QLatin1String("click")) {
            step.action = "down";
            InsertStep(step);
        }
        if (what == QLatin1String("up") || what == QLatin1String("click")) {
            step.action = "up";
            InsertStep(step);
        }
        return what == QLatin1String("down") || what == QLatin1String("up") ||
               what == QLatin1String("click");
    }
    return false;
}

bool CMacroControlUI::InsertMove(const QString& buttonName) {
    for (const MoveButton& move : kMoveButtons) {
        if (!Is(buttonName, move.button)) {
            continue;
        }
        auto* edit = qobject_cast<QLineEdit*>(Find(move.edit));
        // A distance one step cannot carry is not wrapped into another one: it is kept at the
        // largest, and the edit shows what was taken.
        const int distance =
            std::clamp(edit != nullptr ? edit->text().toInt() : 0, 0, kMaxMoveDistance);
        if (edit != nullptr) {
            edit->setText(QString::number(distance));
        }
        MacroEvent step;
        step.type = move.type;
        step.action = move.down ? "down" : "up";
        step.button = distance;
        InsertStep(step);
        return true;
    }
    return false;
}

bool CMacroControlUI::MoveSelectedStep(StepMove move) {
    QListWidget* list = StepList();
    const int selected = SelectedStep();
    if (list == nullptr || selected < 0) {
        return false;
    }
    const int last = list->count() - 1;
    const bool towardsTop = move == StepMove::Up || move == StepMove::Top;
    if ((towardsTop && selected == 0) || (!towardsTop && selected == last)) {
        return false;
    }
    int target = 0;
    switch (move) {
        case StepMove::Up:
            target = selected - 1;
            break;
        case StepMove::Down:
            target = selected + 1;
            break;
        case StepMove::Top:
            target = 0;
            break;
        case StepMove::Bottom:
            target = last;
            break;
    }
    // The row is built again from its step at the new place; the delay typed into it goes along.
    const MacroEvent step = StepAt(selected);
    const QString stepText = list->item(selected)->data(Qt::UserRole).toString();
    const QString delay = DelayTextAt(selected);
    delete list->takeItem(selected);
    const int row = AddStepRow(step, delay, target);
    list->item(row)->setData(Qt::UserRole, stepText);
    list->setCurrentRow(row);
    if (move == StepMove::Top) {
        list->scrollToTop();
    } else if (move == StepMove::Bottom) {
        list->scrollToBottom();
    } else {
        list->scrollToItem(list->item(row));
    }
    return true;
}

bool CMacroControlUI::DeleteSelectedStep() {
    QListWidget* list = StepList();
    const int selected = SelectedStep();
    if (list == nullptr || selected < 0) {
        return false;
    }
    delete list->takeItem(selected);
    ShowEmptyHint();
    return true;
}

void CMacroControlUI::DeleteAllSteps() {
    if (QListWidget* list = StepList()) {
        list->clear();
        list->setCurrentRow(-1);
    }
    ShowEmptyHint();
}

void CMacroControlUI::ScrollToEndSoon() {
    m_scrollTimer.start();
}

CMacroControlUI::Follow CMacroControlUI::ApplyNotification(const ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return Follow::NotMine;
    }
    const QString name = msg.pSender->objectName();
    if (msg.sType == ui::notify::kItemSelect && Is(name, "macro_name_list")) {
        // The list has already made it current (and loaded it) when it changed.
        if (static_cast<int>(msg.wParam) != m_shownMacro) {
            SelectMacro(static_cast<int>(msg.wParam));
        }
        return Follow::Nothing;
    }
    if (msg.sType == ui::notify::kKillFocus && Is(name, "macro_delay")) {
        // A field left empty is saved as 0 and shows 0.
        return GetSelectedMacro() >= 0 ? Follow::Save : Follow::Nothing;
    }
    if (msg.sType != ui::notify::kClick) {
        return Follow::NotMine;
    }
    struct MoveRow {
        const char* button;
        StepMove move;
    };
    static constexpr MoveRow kMoves[] = {{"macro_btn_up", StepMove::Up},
                                         {"macro_btn_down", StepMove::Down},
                                         {"macro_btn_uptop", StepMove::Top},
                                         {"macro_btn_downbottom", StepMove::Bottom}};
    for (const MoveRow& row : kMoves) {
        if (Is(name, row.button)) {
            MoveSelectedStep(row.move);
            return Follow::Nothing;
        }
    }
    if (Is(name, "macro_btn_cancel")) {
        ReloadMacro();
        return Follow::Nothing;
    }
    if (Is(name, "macro_btn_delete")) {
        return DeleteSelectedStep() ? Follow::Write : Follow::Nothing;
    }
    if (Is(name, "macro_btn_deleteall")) {
        DeleteAllSteps();
        return Follow::Write;
    }
    if (InsertMove(name)) {
        return Follow::Save;
    }
    return Follow::NotMine;
}

// --- recording -------------------------------------------------------------------------------

void CMacroControlUI::BeginRecording(macro::RecordPosition position, int delayMode, uint32_t now) {
    m_recordPosition = position;
    m_delayMode = delayMode;
    m_lastTick = now;
    if (delayMode == kDelayConstant) {
        if (auto* edit = qobject_cast<QLineEdit*>(Find("macro_fixed_time_edit"))) {
            const qulonglong typed = edit->text().toULongLong();
            if (typed != qulonglong(m_constantDelay)) {
                m_constantDelay = int(std::min<qulonglong>(typed, macro::kMaxStepDelay));
                edit->setText(QString::number(m_constantDelay));
                edit->setCursorPosition(int(edit->text().size()));
            }
        }
    }
    m_recording = true;
    LockForRecording(true);
}

void CMacroControlUI::EndRecording() {
    m_recording = false;
    LockForRecording(false);
}

void CMacroControlUI::LockForRecording(bool locked) {
    for (const char* name : {"macro_name_tab", "macro_action_list"}) {
        if (QWidget* area = Find(name)) {
            area->setAttribute(Qt::WA_TransparentForMouseEvents, locked);
            for (QWidget* child : area->findChildren<QWidget*>()) {
                child->setAttribute(Qt::WA_TransparentForMouseEvents, locked);
            }
        }
    }
    for (const char* name : {"macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"}) {
        if (QWidget* area = Find(name)) {
            area->setEnabled(!locked);
        }
    }
    if (QWidget* start = Find("macro_btn_starredio")) {
        start->setVisible(!locked);
    }
    if (QWidget* stop = Find("macro_btn_stopredio")) {
        stop->setVisible(locked);
    }
}

void CMacroControlUI::SetRecordHint(const QString& key) {
    if (QWidget* hint = Find("macro_record_hint")) {
        if (!key.isEmpty()) {
            SetText(hint, key);
        }
        hint->setVisible(!key.isEmpty());
    }
}

QRect CMacroControlUI::StopButtonScreenRect() const {
    QWidget* stop = Find("macro_btn_stopredio");
    if (stop == nullptr || !stop->isVisible()) {
        return {};
    }
    // The hook reports the windowing system's pixels; the widgets count scaled ones.
    const qreal ratio = stop->window()->windowHandle() != nullptr
                            ? stop->window()->windowHandle()->devicePixelRatio()
                            : stop->devicePixelRatioF();
    const QRect logical(stop->mapToGlobal(QPoint(0, 0)), stop->size());
    return QRect(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)),
                 QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
}

void CMacroControlUI::SetRowDelay(int row, int delay) {
    QListWidget* list = StepList();
    if (list == nullptr || row < 0 || row >= list->count()) {
        return;
    }
    MacroEvent step = StepAt(row);
    step.delay = std::to_string(delay);
    list->item(row)->setData(Qt::UserRole, StepText(step));
    if (QLineEdit* edit = DelayEdit(row)) {
        edit->setText(QString::number(delay));
    }
}

bool CMacroControlUI::PlaceRecordedStep(const macro::RecordedInput& input, uint32_t now) {
    QListWidget* list = StepList();
    if (list == nullptr) {
        return false;
    }
    const int delay = macro::RecordedDelay(m_delayMode, now, &m_lastTick, m_constantDelay);
    const int rows = list->count();
    const int selected = SelectedStep();
    using macro::RecordPosition;
    if (m_recordPosition == RecordPosition::Replace) {
        if (selected < 0) {
            return false;
        }
        // The step keeps its press or release and its delay; the key or button is the new one.
        MacroEvent step = StepAt(selected);
        step.button = input.step.button;
        step.type = input.step.type;
        const QString delayText = DelayTextAt(selected);
        delete list->takeItem(selected);
        const int row = AddStepRow(step, delayText, selected);
        list->setCurrentRow(row);
        return true;
    }
    if (rows >= macro::kMaxRecordedSteps) {
        return false;
    }
    if (m_recordPosition != RecordPosition::Append && selected < 0) {
        return false;
    }
    // The new step waits for the next input; the step before it takes the time that passed.
    const int followingDelay = m_delayMode == kDelayConstant ? m_constantDelay : 0;
    int position = rows;
    int previous = rows - 1;
    if (m_recordPosition == RecordPosition::Before) {
        position = selected;
        previous = selected - 1;
    } else if (m_recordPosition == RecordPosition::After) {
        position = selected + 1;
        previous = selected;
    }
    MacroEvent step = input.step;
    const int ownDelay = previous < 0 ? 0 : followingDelay;
    step.delay = std::to_string(ownDelay);
    list->clearSelection();
    const int row = AddStepRow(step, QString::number(ownDelay), position);
    if (m_recorded && previous >= 0) {
        SetRowDelay(previous, delay);
    }
    if (m_recordPosition == RecordPosition::Before) {
        // The step recorded before stays selected: the next one goes after this one.
        list->setCurrentRow(row + 1);
        list->setFocus();
    } else {
        list->setCurrentRow(row);
    }
    m_recorded = true;
    ScrollToEndSoon();
    return true;
}

}  // namespace q840::editors
