// The mouse page's key list and key tool tips: what each key does now, in words.

#include <QLabel>
#include <QListWidget>
#include <string>
#include <vector>

#include "controls/CDeviceKeyButtonUI.h"
#include "core/keys/KeyNames.h"
#include "core/keys/KeyTables.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/JsonAccess.h"
#include "editors/CKeySetControlUI.h"
#include "editors/KeyNameText.h"
#include "pages/COrvenixMouseDevice.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::pages {

namespace {

constexpr int kBuiltInEffects = 12;

// One row of the key list: the key's name on the left, its function on the right in the accent
// colour, cut with an ellipsis when it is too long. Together they fit the picture's card.
constexpr const char* kKeyListRow =
    R"(<HorizontalLayout height="25" childpadding="0">
         <Label name="key_list_name" width="140" textcolor="#FFE6E8EB" align="left"/>
         <Label name="key_list_function" width="180" textcolor="#FF00B4FF" align="left"/>
       </HorizontalLayout>)";

QString Text(const char* key) {
    return ui::CResourceManager::GetInstance().Resolve(QString::fromUtf8(key));
}

// A tool tip of a title over a text. Rich text, so that the title stands out and the parts are
// shown as written: a macro name may hold anything, including what looks like markup.
void SetTitledToolTip(QWidget* button, const QString& title, const QString& text) {
    button->setProperty("tooltipTitle", title);
    button->setProperty("tooltipText", text);
    QString body = text.toHtmlEscaped();
    body.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    button->setToolTip(QStringLiteral("<b>%1</b><br>%2").arg(title.toHtmlEscaped(), body));
}

void SetElided(QLabel* label, const QString& text) {
    label->setTextFormat(Qt::PlainText);
    const int width = label->maximumWidth() < QWIDGETSIZE_MAX ? label->maximumWidth() : 0;
    label->setText(width > 0 ? label->fontMetrics().elidedText(text, Qt::ElideRight, width) : text);
    // The whole text stays within reach when the row cuts it.
    label->setToolTip(label->text() != text ? text : QString());
}

// A new row at the end of the list: hidden and disabled until a key fills it.
QWidget* AppendRow(QListWidget* list, ui::CPaintManagerUI* manager) {
    ui::CDialogBuilder builder;
    QWidget* row = builder.CreateFromText(QLatin1String(kKeyListRow), nullptr, manager);
    if (row == nullptr) {
        return nullptr;
    }
    auto* item = new QListWidgetItem(list);
    item->setSizeHint(QSize(row->sizeHint().width(), row->minimumHeight()));
    item->setFlags(Qt::NoItemFlags);
    item->setHidden(true);
    row->setEnabled(false);
    list->setItemWidget(item, row);
    return row;
}

}  // namespace

QString COrvenixMouseDevice::CurrentEffectName() {
    const int effect = GetLightSettingsRecord().effect;
    const bool builtIn = effect < kBuiltInEffects;
    const Json::Value& list = LightConfigList(builtIn ? 0 : 2);
    const int index = builtIn ? effect : effect - kBuiltInEffects;
    if (!list.isArray() || index < 0 || Json::ArrayIndex(index) >= list.size()) {
        return QString();
    }
    const std::string name =
        profile::json::String(profile::json::Member(list[Json::ArrayIndex(index)], "LightName"));
    // A built-in effect's name is a language key; a custom effect's name is the user's own text.
    return builtIn ? Text(name.c_str()) : QString::fromStdString(name);
}

void COrvenixMouseDevice::RefreshKeyList() {
    auto* list = qobject_cast<QListWidget*>(Control(QStringLiteral("device_setkeyinfo_list")));
    if (list != nullptr) {
        list->clear();
    }
    ReadMacroNames();
    std::vector<std::string> macroNames;
    macroNames.reserve(size_t(m_macroNames.size()));
    for (const QString& name : m_macroNames) {
        macroNames.push_back(name.toStdString());
    }

    const auto& pairs = MouseProfile()->GetKeyAssignments();
    for (int i = 0; i < int(pairs.size()) && i < GetKeyButtonCount(); ++i) {
        const keys::CodeName name = keys::NameOfCode(pairs[size_t(i)].current.Code(), macroNames);
        QWidget* button = GetKeyButton(i);
        // A key that does something else than from the factory carries the picture's mark.
        if (auto* key = qobject_cast<controls::CDeviceKeyButtonUI*>(button)) {
            key->SetKeySet(pairs[size_t(i)].current.Code() == pairs[size_t(i)].defaults.Code());
        }
        if (!name.HasName() || button == nullptr) {
            continue;
        }
        const QString title =
            size_t(i) < keys::kKeyButtonNames.size() ? Text(keys::kKeyButtonNames[size_t(i)]) : "";
        const QString text = editors::CodeNameText(name);
        SetTitledToolTip(button, title, text);
        if (list == nullptr) {
            continue;
        }
        while (list->count() < i + 1) {
            if (AppendRow(list, GetPaintManager()) == nullptr) {
                return;
            }
        }
        QListWidgetItem* item = list->item(i);
        QWidget* row = list->itemWidget(item);
        if (auto* label = row->findChild<QLabel*>(QStringLiteral("key_list_name"))) {
            SetElided(label, title);
        }
        if (auto* label = row->findChild<QLabel*>(QStringLiteral("key_list_function"))) {
            SetElided(label, text);
        }
        // A key the layout does not show has no row either. Only the button's own flag counts:
        // the picture may be turned over to this very list.
        QWidget* panel = button->parentWidget();
        item->setHidden(panel != nullptr ? !button->isVisibleTo(panel) : button->isHidden());
    }

    if (m_logo != nullptr) {
        SetTitledToolTip(m_logo, QStringLiteral("Logo"),
                         Text("Light_Set") + QLatin1Char('\n') + Text("Overall_Light_Set") +
                             CurrentEffectName());
    }
    if (list != nullptr) {
        list->show();
        list->update();
    }
    // The key editor offers the macros as they are now.
    if (editors::CKeySetControlUI* editor = GetKeyEditor()) {
        editor->ReplaceMacroNames(m_macroNames);
    }
}

}  // namespace q840::pages
