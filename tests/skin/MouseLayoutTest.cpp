// The mouse page's layout: the controls the page and the main window bind by name, the values
// they start with, the tab layouts behind the function panels and the texts in both languages.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSlider>
#include <QStackedWidget>
#include <functional>

#include "core/keys/KeyTables.h"
#include "tests/skin/MouseLayoutSupport.h"

namespace q840::skin::test {
namespace {

using controls::CDeviceKeyButtonUI;
using controls::CSelectPanelUI;

enum class Kind {
    Panel,
    KeyButton,
    Tabs,
    Check,
    Option,
    Button,
    Slider,
    Edit,
    Combo,
    Box,
    Label,
    List
};

bool IsKind(QWidget* w, Kind kind) {
    const QString tag = w->property("dui_tag").toString();
    switch (kind) {
        case Kind::Panel:
            return qobject_cast<CSelectPanelUI*>(w) != nullptr;
        case Kind::KeyButton:
            return qobject_cast<CDeviceKeyButtonUI*>(w) != nullptr;
        case Kind::Tabs:
            return qobject_cast<QStackedWidget*>(w) != nullptr;
        case Kind::Check:
            return qobject_cast<QCheckBox*>(w) != nullptr;
        case Kind::Option:
            return tag == "Option" && qobject_cast<QPushButton*>(w)->isCheckable();
        case Kind::Button:
            return tag == "Button" && qobject_cast<QPushButton*>(w) != nullptr;
        case Kind::Slider:
            return qobject_cast<QSlider*>(w) != nullptr;
        case Kind::Edit:
            return qobject_cast<QLineEdit*>(w) != nullptr;
        case Kind::Combo:
            return qobject_cast<QComboBox*>(w) != nullptr;
        case Kind::Box:
            return tag == "VerticalLayout" || tag == "HorizontalLayout" || tag == "Container" ||
                   tag == "DeviceProfileUI" || tag == "LightSetControlUI" ||
                   tag == "MacroSetControlUI" || tag == "KeySetControlUI" ||
                   tag == "ShootKeySetControlUI";
        case Kind::Label:
            return qobject_cast<QLabel*>(w) != nullptr;
        case Kind::List:
            return qobject_cast<QListWidget*>(w) != nullptr;
    }
    return false;
}

// Every name the page, its editors and the main window look up, with the kind of control.
std::vector<std::pair<QString, Kind>> BoundControls() {
    std::vector<std::pair<QString, Kind>> names = {
        {"mouse_device_seting_layout", Kind::Box},
        {"SelectPanel", Kind::Panel},
        {"logo", Kind::KeyButton},
        {"DeviceProfileItem", Kind::Box},
        {"device_profile_combo", Kind::Combo},
        {"device_profile_name_edit", Kind::Edit},
        {"device_profile_edit_save_btn", Kind::Button},
        {"profile_fun_spread_btn", Kind::Button},
        {"profile_menu_layout", Kind::Box},
        {"device_add_btn", Kind::Button},
        {"device_sub_btn", Kind::Button},
        {"device_copy_btn", Kind::Button},
        {"device_import_btn", Kind::Button},
        {"device_export_btn", Kind::Button},
        {"device_reset_btn", Kind::Button},
        {"default_btn", Kind::Button},
        {"device_function_switch", Kind::Tabs},
        {"device_key_function_switch", Kind::Tabs},
        {"LightControlItem", Kind::Box},
        {"KeySetControlItem", Kind::Box},
        {"MacroControlItem", Kind::Box},
        {"ShootControlItem", Kind::Box},
        {"device_tishi_info", Kind::Label},
        {"mouse_picture_switch", Kind::Tabs},
        {"mouse_keylist_btn", Kind::Button},
        {"mouse_picture_btn", Kind::Button},
        {"device_setkeyinfo_list", Kind::List},
        {"Anti_Shake_combo_timeSelect", Kind::Combo},
        {"ble_sleep1_combo", Kind::Combo},
        {"ble_sleep2_combo", Kind::Combo},
        {"device_sleep1_combo", Kind::Combo},
        {"device_sleep2_combo", Kind::Combo},
        {"pointer_speed_slider", Kind::Slider},
        {"pointer_precision_check", Kind::Check},
        {"scroll_speed_slider", Kind::Slider},
        {"scrolls_page_check", Kind::Check},
        {"double_click_slider", Kind::Slider},
        {"windowdeviceset_1", Kind::Button},
    };
    for (const char* tab :
         {"cursor_Op_tab", "deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab",
          "otherset_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}) {
        names.emplace_back(tab, Kind::Option);
    }
    for (int n = 0; n < 11; ++n) {
        names.emplace_back(QString("key_%1").arg(n), Kind::KeyButton);
    }
    for (int n = 0; n < 15; ++n) {
        names.emplace_back(QString("light_%1").arg(n), Kind::KeyButton);
        names.emplace_back(QString("light_0_%1").arg(n), Kind::KeyButton);
    }
    for (int n = 0; n < 7; ++n) {
        names.emplace_back(QString("DPI_layout_%1").arg(n), Kind::Box);
        names.emplace_back(QString("DPI_enable_check_%1").arg(n), Kind::Check);
        names.emplace_back(QString("DPI_select_check_%1").arg(n), Kind::Option);
        names.emplace_back(QString("DPI_color_option_%1").arg(n), Kind::Button);
        names.emplace_back(QString("DPI_slider_%1").arg(n), Kind::Slider);
        names.emplace_back(QString("DPI_edit_%1").arg(n), Kind::Edit);
    }
    for (int n = 0; n < 5; ++n) {
        names.emplace_back(QString("polling_rate_option_%1").arg(n), Kind::Option);
    }
    for (const char* group :
         {"Silent_Altitude_option_", "Linear_Calibration_option_", "Ripple_option_"}) {
        for (int n = 0; n < 2; ++n) {
            names.emplace_back(QString(group) + QString::number(n), Kind::Option);
        }
    }
    return names;
}

class MouseLayout : public ::testing::Test {
protected:
    MousePage page{96};
};

TEST_F(MouseLayout, EveryBoundControlExistsOnceWithItsKind) {
    ASSERT_NE(page.root, nullptr) << "the layout did not build";
    EXPECT_EQ(page.root->objectName(), "mouse_device");

    QHash<QString, int> counts;
    for (QWidget* w : page.root->findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) {
            ++counts[w->objectName()];
        }
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        EXPECT_EQ(it.value(), 1) << "name used more than once: " << it.key().toStdString();
    }
    for (const auto& [name, kind] : BoundControls()) {
        QWidget* w = page.Find(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_TRUE(IsKind(w, kind))
            << name.toStdString() << " is a " << w->metaObject()->className();
    }
    // Everything the page binds sits inside its content container, the picture's buttons inside
    // the select panel (that is where the page looks for them).
    QWidget* content = page.Find("mouse_device_seting_layout");
    QWidget* panel = page.Find("SelectPanel");
    for (const auto& [name, kind] : BoundControls()) {
        QWidget* w = page.Find(name);
        if (w != content) {
            EXPECT_TRUE(content->isAncestorOf(w)) << name.toStdString();
        }
        if (kind == Kind::KeyButton) {
            EXPECT_TRUE(panel->isAncestorOf(w)) << name.toStdString();
        }
    }
}

TEST_F(MouseLayout, ControlsStartWithTheValuesThePageStores) {
    ASSERT_NE(page.root, nullptr);
    for (int n = 0; n < 7; ++n) {
        auto* slider = page.Find<QSlider>(QString("DPI_slider_%1").arg(n));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), 149);
        auto* edit = page.Find<QLineEdit>(QString("DPI_edit_%1").arg(n));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->maxLength(), 5);
        EXPECT_EQ(edit->property("dui_numberonly").toString(), "true");
        // The colour button is a swatch: its own background colour, no text.
        auto* colour = page.Find<QPushButton>(QString("DPI_color_option_%1").arg(n));
        EXPECT_TRUE(colour->text().isEmpty());
        EXPECT_TRUE(colour->property("dui_style").toMap().contains("background-color"));
    }
    auto range = [&](const char* name, int min, int max) {
        auto* slider = page.Find<QSlider>(name);
        ASSERT_NE(slider, nullptr) << name;
        EXPECT_EQ(slider->minimum(), min) << name;
        EXPECT_EQ(slider->maximum(), max) << name;
        EXPECT_TRUE(slider->value() >= min && slider->value() <= max) << name;
    };
    range("pointer_speed_slider", 1, 20);
    range("scroll_speed_slider", 1, 20);
    range("double_click_slider", 200, 900);

    // Sleep times: the page picks the item whose user data equals the stored minutes.
    auto items = [&](const char* name, const QStringList& userData, int selected) {
        auto* combo = page.Find<QComboBox>(name);
        ASSERT_NE(combo, nullptr) << name;
        QStringList found;
        for (int i = 0; i < combo->count(); ++i) {
            found << combo->itemData(i).toString();
        }
        EXPECT_EQ(found, userData) << name;
        EXPECT_EQ(combo->currentIndex(), selected) << name;
    };
    items("ble_sleep1_combo", {"1", "2", "3", "5"}, 0);
    items("device_sleep1_combo", {"1", "2", "3", "5"}, 0);
    items("ble_sleep2_combo", {"10", "20", "30", "60"}, 0);
    items("device_sleep2_combo", {"10", "20", "30", "60"}, 0);

    // Debounce goes by position: 2, 4, ... 12 ms; the factory setting is the second.
    auto* debounce = page.Find<QComboBox>("Anti_Shake_combo_timeSelect");
    ASSERT_EQ(debounce->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(debounce->itemText(i).startsWith(QString::number(2 * (i + 1)) + ' '))
            << debounce->itemText(i).toStdString();
    }
    EXPECT_EQ(debounce->currentIndex(), 1);

    // Report rates by option index; 2000 Hz exists for the page but is not offered.
    const QStringList rates = {"125 Hz", "250 Hz", "500 Hz", "1000 Hz", "2000 Hz"};
    for (int n = 0; n < 5; ++n) {
        auto* option = page.Find<QPushButton>(QString("polling_rate_option_%1").arg(n));
        EXPECT_EQ(option->text(), rates[n]);
        EXPECT_EQ(option->isHidden(), n == 4) << n;
    }

    // Option groups are exclusive sets of the right size with one member selected.
    auto group = [&](const char* name, int size) {
        const auto members = page.pm.GetOptionGroup(name);
        EXPECT_EQ(members.size(), size) << name;
        int checked = 0;
        for (QAbstractButton* b : members) {
            checked += b->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, 1) << name;
    };
    group("Op_tab", 9);
    group("DPI_select", 7);
    group("polling_rate", 5);
    group("Silent_Altitude", 2);
    group("Linear_Calibration", 2);
    group("Ripple", 2);
    EXPECT_EQ(page.Find<QPushButton>("Silent_Altitude_option_0")->text(), "Low 1 mm");
    EXPECT_EQ(page.Find<QPushButton>("Silent_Altitude_option_1")->text(), "High 2 mm");
}

// The page disables a stage's "DPI_layout_N" while the stage is off; its switch must not go with
// it, or a stage once switched off could never be switched on again.
TEST_F(MouseLayout, SwitchingAStageOffLeavesItsSwitchUsable) {
    ASSERT_NE(page.root, nullptr);
    for (int n = 0; n < 7; ++n) {
        QWidget* layout = page.Find(QString("DPI_layout_%1").arg(n));
        auto* check = page.Find<QCheckBox>(QString("DPI_enable_check_%1").arg(n));
        layout->setEnabled(false);
        EXPECT_TRUE(check->isEnabled()) << n;
        EXPECT_FALSE(page.Find(QString("DPI_slider_%1").arg(n))->isEnabled()) << n;
        EXPECT_FALSE(page.Find(QString("DPI_edit_%1").arg(n))->isEnabled()) << n;
        layout->setEnabled(true);
        EXPECT_TRUE(page.Find(QString("DPI_slider_%1").arg(n))->isEnabled()) << n;
    }
}

// The function panels select tabs by index; each index must bring its editor (and the picture
// stays on screen whichever editor is shown).
TEST_F(MouseLayout, FunctionPanelTabsShowTheirEditors) {
    ASSERT_NE(page.root, nullptr);
    auto* function = page.Find<QStackedWidget>("device_function_switch");
    auto* keys = page.Find<QStackedWidget>("device_key_function_switch");
    ASSERT_EQ(function->count(), 5);
    ASSERT_EQ(keys->count(), 3);
    EXPECT_EQ(function->widget(0), keys);

    struct Panel {
        int function;
        int key;
        std::vector<const char*> shown;
    };
    const std::vector<Panel> panels = {
        {0, 0, {"LightControlItem"}},
        {0, 1, {"KeySetControlItem"}},
        {0, 2, {}},
        // The macro editor shows first; the bar above it turns to the shoot pattern editor.
        {1, -1, {"MacroControlItem"}},
        {2,
         -1,
         {"DPI_slider_0", "DPI_edit_6", "polling_rate_option_0", "Ripple_option_1",
          "Anti_Shake_combo_timeSelect"}},
        {3, -1, {"pointer_speed_slider", "scrolls_page_check", "windowdeviceset_1"}},
        {4,
         -1,
         {"ble_sleep1_combo", "ble_sleep2_combo", "device_sleep1_combo", "device_sleep2_combo"}},
    };
    const char* editors[] = {"LightControlItem", "KeySetControlItem", "MacroControlItem",
                             "ShootControlItem", "DPI_slider_0",      "pointer_speed_slider",
                             "ble_sleep1_combo"};
    for (const Panel& p : panels) {
        function->setCurrentIndex(p.function);
        if (p.key >= 0) {
            keys->setCurrentIndex(p.key);
        }
        MousePage::Settle();
        for (const char* name : editors) {
            const bool expected = std::find_if(p.shown.begin(), p.shown.end(), [&](const char* s) {
                                      return QString(s) == name;
                                  }) != p.shown.end();
            EXPECT_EQ(page.Find(name)->isVisible(), expected)
                << name << " on function tab " << p.function << " key tab " << p.key;
        }
        for (const char* name : p.shown) {
            EXPECT_TRUE(page.Find(name)->isVisible()) << name;
        }
        EXPECT_TRUE(page.Find("SelectPanel")->isVisible()) << "function tab " << p.function;
    }
}

// Keys of the mouse texts in a language file of the skin.
QSet<QString> KeysOf(const QString& file) {
    QDomDocument doc;
    QFile source(SourceSkin() + file);
    if (!source.open(QIODevice::ReadOnly) || !doc.setContent(&source)) {
        ADD_FAILURE() << "cannot read " << file.toStdString();
        return {};
    }
    QSet<QString> keys;
    for (QDomElement e = doc.documentElement().firstChildElement("Text"); !e.isNull();
         e = e.nextSiblingElement("Text")) {
        EXPECT_FALSE(keys.contains(e.attribute("key")))
            << "twice: " << e.attribute("key").toStdString();
        EXPECT_FALSE(e.text().trimmed().isEmpty()) << e.attribute("key").toStdString();
        keys.insert(e.attribute("key"));
    }
    return keys;
}

TEST(MouseTexts, BothLanguagesCarryTheSameKeys) {
    for (const char* file : {"mouse.xml", "keys.xml", "keyset.xml", "shoot.xml"}) {
        const QSet<QString> en = KeysOf(QString("lan_en.d/") + file);
        const QSet<QString> cn = KeysOf(QString("lan_cn.d/") + file);
        EXPECT_FALSE(en.isEmpty()) << file;
        for (const QString& key : en - cn) {
            ADD_FAILURE() << "no Chinese text for " << key.toStdString() << " in " << file;
        }
        for (const QString& key : cn - en) {
            ADD_FAILURE() << "no English text for " << key.toStdString() << " in " << file;
        }
    }
}

// A language's files are read one after the other into one table: a key in two files would show
// whichever text was read last.
TEST(MouseTexts, NoKeyIsInTwoFilesOfALanguage) {
    for (const QString language : {"lan_en", "lan_cn"}) {
        QStringList files = {language + ".xml"};
        for (const QString& name :
             QDir(SourceSkin() + language + ".d").entryList({"*.xml"}, QDir::Files, QDir::Name)) {
            files << language + ".d/" + name;
        }
        QHash<QString, QString> fileOf;
        for (const QString& file : files) {
            for (const QString& key : KeysOf(file)) {
                EXPECT_FALSE(fileOf.contains(key))
                    << key.toStdString() << " in " << file.toStdString() << " and "
                    << fileOf[key].toStdString();
                fileOf.insert(key, file);
            }
        }
    }
}

// Every name the key tables give a key function, and what the key list and tool tips add to them.
TEST(MouseTexts, EveryKeyFunctionHasATextInBothLanguages) {
    QSet<QString> names = {"Light_Set", "Overall_Light_Set", "close_text"};
    for (int i = keys::kFirstNameIndex; i < keys::kNameCount; ++i) {
        names.insert(keys::NameKey(i));
    }
    for (const char* name : keys::kKeyButtonNames) {
        names.insert(name);
    }
    for (const char* file : {"lan_en.d/keys.xml", "lan_cn.d/keys.xml"}) {
        const QSet<QString> texts = KeysOf(file);
        for (const QString& name : names - texts) {
            ADD_FAILURE() << "no text for " << name.toStdString() << " in " << file;
        }
    }
}

// Every text the page shows is a key of the current language (numbers and symbols such as "+" or
// "↑" excepted: they read the same in both), in both languages and after switching between them.
class MouseTextsIn : public ::testing::TestWithParam<const char*> {};

TEST_P(MouseTextsIn, EveryShownTextComesFromTheLanguage) {
    MousePage page(96, GetParam());
    ASSERT_NE(page.root, nullptr);
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    // Built in the other language first, then switched: the texts must follow.
    const QString other = QString(GetParam()) == "lan_en.xml" ? "lan_cn.xml" : "lan_en.xml";
    resources.LoadLanguage(other);
    resources.ReloadText();
    resources.LoadLanguage(GetParam());
    resources.ReloadText();

    static const QRegularExpression kNumber(R"(^[^\p{L}]+$)");
    auto check = [&](QWidget* w, const QString& raw, const QString& shown, const char* what) {
        if (raw.isEmpty() || kNumber.match(raw).hasMatch()) {
            return;
        }
        const QString text = resources.GetText(raw);
        EXPECT_FALSE(text.isNull()) << what << " of " << w->objectName().toStdString()
                                    << " is not a key: " << raw.toStdString();
        EXPECT_EQ(shown, text) << what << " of " << w->objectName().toStdString();
    };
    int texts = 0;
    for (QWidget* w : page.root->findChildren<QWidget*>()) {
        const QString rawText = ui::CResourceManager::RawText(w);
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            shown = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            shown = button->text();
        }
        check(w, rawText, shown, "text");
        check(w, w->property("dui_rawtooltip").toString(), w->toolTip(), "tool tip");
        texts += rawText.isEmpty() ? 0 : 1;
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                check(w, combo->itemData(i, Qt::UserRole + 1).toString(), combo->itemText(i),
                      "item");
            }
        }
        // Controls that show no text of their own explain themselves in a tool tip.
        const bool iconOnly =
            (qobject_cast<QAbstractButton*>(w) || qobject_cast<QSlider*>(w)) && rawText.isEmpty();
        if (iconOnly && w->objectName() != "") {
            EXPECT_FALSE(w->toolTip().isEmpty()) << w->objectName().toStdString();
        }
    }
    EXPECT_GT(texts, 60);
}

INSTANTIATE_TEST_SUITE_P(Languages, MouseTextsIn, ::testing::Values("lan_en.xml", "lan_cn.xml"),
                         [](const auto& info) { return std::string(info.param).substr(4, 2); });

}  // namespace
}  // namespace q840::skin::test
