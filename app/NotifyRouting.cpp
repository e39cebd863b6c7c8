#include "app/NotifyRouting.h"

#include "core/base/DebugLine.h"

namespace q840 {

const char* RouteAreaName(RouteArea area) {
    static const char* const kNames[] = {"page settings",   "page tabs",           "key editor",
                                         "lighting editor", "keyboard lighting",   "macro editor",
                                         "shoot editor",    "audio light",         "headset",
                                         "device list",     "main window commands"};
    const auto i = static_cast<size_t>(area);
    return i < std::size(kNames) ? kNames[i] : "?";
}

namespace {
const QString& kSel = ui::notify::kSelectChanged;
const QString& kVal = ui::notify::kValueChanged;
const QString& kMove = ui::notify::kMoveValueChanged;
const QString& kItem = ui::notify::kItemSelect;
const QString& kKill = ui::notify::kKillFocus;
const QString& kClick = ui::notify::kClick;
const QString& kColour = ui::notify::kColorChanged;
using A = RouteArea;
}  // namespace

const std::vector<RouteRow>& RouteTable() {
    // clang-format off
    static const std::vector<RouteRow> kTable = {
        // Device settings of the current page (mouse or keyboard, as the page's kind decides).
        {kSel, "DPI_enable_check_", true, A::PageSettings},
        {kSel, "DPI_select_check_", true, A::PageSettings},
        {kSel, "polling_rate_option_", true, A::PageSettings},
        {kSel, "repeat_delay_check_", true, A::PageSettings},
        {kSel, "Silent_Altitude_option_", true, A::PageSettings},
        {kSel, "Linear_Calibration_option_", true, A::PageSettings},
        {kSel, "Ripple_option_", true, A::PageSettings},
        {kSel, "mouse_device_seting_option_", true, A::PageSettings},
        {kSel, "winlockflag_option", false, A::PageSettings},
        {kSel, "wflag_option", false, A::PageSettings},
        {kSel, "6flag_option", false, A::PageSettings},
        {kSel, "pointer_precision_check", false, A::PageSettings},
        {kSel, "scrolls_page_check", false, A::PageSettings},
        {kVal, "DPI_slider_", true, A::PageSettings},
        {kMove, "DPI_slider_", true, A::PageSettings},
        {kVal, "pointer_speed_slider", false, A::PageSettings},
        {kVal, "scroll_speed_slider", false, A::PageSettings},
        {kVal, "double_click_slider", false, A::PageSettings},
        {kVal, "repeat_rate_slider", false, A::PageSettings},
        {kKill, "DPI_edit_", true, A::PageSettings},
        {kItem, "Anti_Shake_combo_timeSelect", false, A::PageSettings},
        {kItem, "ble_sleep1_combo", false, A::PageSettings},
        {kItem, "ble_sleep2_combo", false, A::PageSettings},
        {kItem, "device_sleep1_combo", false, A::PageSettings},
        {kItem, "device_sleep2_combo", false, A::PageSettings},
        {kClick, "reset_repeat_btn", false, A::PageSettings},
        // Tabs of the current page.
        {kSel, "deng_Op_tab", false, A::PageTabs},
        {kSel, "key_Op_tab", false, A::PageTabs},
        {kSel, "macro_Op_tab", false, A::PageTabs},
        {kSel, "system_Op_tab", false, A::PageTabs},
        {kSel, "cursor_Op_tab", false, A::PageTabs},
        {kSel, "6533_voice_Op_tab", false, A::PageTabs},
        {kSel, "magic_Op_tab", false, A::PageTabs},
        {kSel, "Virtual7.1_Op_tab", false, A::PageTabs},
        {kSel, "otherset_Op_tab", false, A::PageTabs},
        // Key assignment editor.
        {kClick, "key_", true, A::KeyEditor},
        {kSel, "key_ComBox_check_", true, A::KeyEditor},
        {kItem, "keyset_function_combo", false, A::KeyEditor},
        {kItem, "keyset_mousekey_combo", false, A::KeyEditor},
        {kItem, "keyset_mouseswing_combo", false, A::KeyEditor},
        {kItem, "keyset_mousewheel_combo", false, A::KeyEditor},
        {kItem, "keyset_mousedpi_combo", false, A::KeyEditor},
        {kItem, "keyset_media_combo", false, A::KeyEditor},
        {kItem, "keyset_system_combo", false, A::KeyEditor},
        {kItem, "keyset_macro_combo", false, A::KeyEditor},
        {kItem, "keyset_macro_over_combo", false, A::KeyEditor},
        {kItem, "keyset_gunkey_combo", false, A::KeyEditor},
        {kItem, "keyset_combokey_combo", false, A::KeyEditor},
        {kKill, "keyset_keyboard_text_edit", false, A::KeyEditor},
        {kKill, "keyset_mouseswing_num_edit", false, A::KeyEditor},
        {kKill, "keyset_mouseswing_delay_edit", false, A::KeyEditor},
        {kKill, "keyset_mouseswing_speed_edit", false, A::KeyEditor},
        {kKill, "keyset_mousewheel_num_edit", false, A::KeyEditor},
        {kKill, "keyset_mousewheel_delay_edit", false, A::KeyEditor},
        {kKill, "keyset_mousewheel_speed_edit", false, A::KeyEditor},
        {kKill, "keyset_mousefire_interval_edit", false, A::KeyEditor},
        {kKill, "keyset_mousefire_num_edit", false, A::KeyEditor},
        {kKill, "keyset_macro_cycle_edit", false, A::KeyEditor},
        {kClick, "key_butt_keysave", false, A::KeyEditor},
        {kClick, "key_butt_keydefalut", false, A::KeyEditor},
        {kClick, "key_butt_keycancel", false, A::KeyEditor},
        {kClick, "key_butt_prosave", false, A::KeyEditor},
        // Lighting editor.
        {kClick, "color_option_", true, A::LightingEditor},
        {kClick, "deng_colordp_btn", false, A::LightingEditor},
        {kColour, "deng_Color_Pallet", false, A::LightingEditor},
        {kSel, "deng_FXL_check", false, A::LightingEditor},
        {kSel, "deng_FXR_check", false, A::LightingEditor},
        {kSel, "deng_7color_check", false, A::LightingEditor},
        {kVal, "deng_light_slider", false, A::LightingEditor},
        {kVal, "deng_speed_slider", false, A::LightingEditor},
        {kMove, "deng_light_slider", false, A::LightingEditor},
        {kMove, "deng_speed_slider", false, A::LightingEditor},
        {kItem, "light_combo_modeSelect", false, A::LightingEditor},
        {kItem, "light_combo_custommodeSelect", false, A::LightingEditor},
        {kItem, "light_combo_ZZCCmodeSelect", false, A::LightingEditor},
        {kKill, "deng_edit_R", false, A::LightingEditor},
        {kKill, "deng_edit_G", false, A::LightingEditor},
        {kKill, "deng_edit_B", false, A::LightingEditor},
        // Keyboard lighting (keyboard page only).
        {kClick, "custom_bright_color_btn", false, A::KeyboardLighting},
        {kClick, "custom_off_color_btn", false, A::KeyboardLighting},
        // Macro editor.
        {kClick, "macro_btn_starredio", false, A::MacroEditor},
        {kClick, "macro_btn_stopredio", false, A::MacroEditor},
        {kClick, "macro_btn_cancel", false, A::MacroEditor},
        {kClick, "macro_btn_up", false, A::MacroEditor},
        {kClick, "macro_btn_down", false, A::MacroEditor},
        {kClick, "macro_btn_uptop", false, A::MacroEditor},
        {kClick, "macro_btn_downbottom", false, A::MacroEditor},
        {kClick, "macro_btn_delete", false, A::MacroEditor},
        {kClick, "macro_btn_deleteall", false, A::MacroEditor},
        {kClick, "macro_inset_moveleftkey_btn", false, A::MacroEditor, true},
        {kClick, "macro_inset_moverightkey_btn", false, A::MacroEditor, true},
        {kClick, "macro_inset_moveupkey_btn", false, A::MacroEditor, true},
        {kClick, "macro_inset_movedownkey_btn", false, A::MacroEditor, true},
        {kItem, "macro_name_list", false, A::MacroEditor},
        {kKill, "macro_delay", false, A::MacroEditor},
        // Our own: the step menu from a button as well as by a double click on a step.
        {kClick, "macro_btn_insert", false, A::MacroEditor},
        {ui::notify::kItemActivate, "macro_action_list", false, A::MacroEditor},
        // Shoot pattern editor (mouse page only).
        {kSel, "shoot_gun_op_", true, A::ShootEditor},
        {kSel, "bullet_op_", true, A::ShootEditor},
        {kSel, "bullet_x_check", false, A::ShootEditor},
        {kSel, "bullet_y_check", false, A::ShootEditor},
        {kClick, "shootdate_save_btn", false, A::ShootEditor},
        {kClick, "shootdate_reset_btn", false, A::ShootEditor},
        {kClick, "bullet_selected_prev", false, A::ShootEditor},
        {kClick, "bullet_selected_next", false, A::ShootEditor},
        {kKill, "bullet_x_eidt", false, A::ShootEditor},
        {kKill, "bullet_y_eidt", false, A::ShootEditor},
        {kKill, "bullet_delay_eidt", false, A::ShootEditor},
        // Audio-reactive lighting.
        {kClick, "audiocolor_option_", true, A::AudioLight},
        {kColour, "deng_audioColor_Pallet", false, A::AudioLight},
        {kClick, "music_setting_btn", false, A::AudioLight},
        {kClick, "Close_bkColor_btn", false, A::AudioLight},
        {kSel, "deng_7audiocolor_check", false, A::AudioLight},
        {kSel, "audio_BkColor_check", false, A::AudioLight},
        {kSel, "audio_FgColor_check", false, A::AudioLight},
        {kItem, "light_combo_audiomodeSelect", false, A::AudioLight},
        {kKill, "deng_audioedit_R", false, A::AudioLight},
        {kKill, "deng_audioedit_G", false, A::AudioLight},
        {kKill, "deng_audioedit_B", false, A::AudioLight},
        // Headset page (kind 7).
        {kSel, "magic_option_", true, A::Headset},
        {kSel, "6533_eq_option_", true, A::Headset},
        {kSel, "magic_enable_option", false, A::Headset},
        {kSel, "6533_MicIn_option", false, A::Headset},
        {kSel, "6533_MicMoniter_option", false, A::Headset},
        {kVal, "6533_eq_hz_slider_", true, A::Headset},
        {kVal, "6533_MicIn_slider", false, A::Headset},
        {kVal, "6533_MicMoniter_slider", false, A::Headset},
        {kItem, "custom_eq_name_combo", false, A::Headset},
        {kClick, "hs_EQ_btn_save", false, A::Headset},
        {kClick, "hs_EQ_btn_delete", false, A::Headset},
        // Device list.
        {kSel, "device_select", false, A::DeviceList},
        {kSel, "synchro_device_select", false, A::DeviceList},
        {kClick, "device_select_prev", false, A::DeviceList},
        {kClick, "device_select_next", false, A::DeviceList},
        {kClick, "deng_same_mode", false, A::DeviceList},
        // Main window commands: profiles, macro and shoot files, DPI stage colours.
        {kClick, "DPI_color_option_", true, A::MainCommands},
        {kClick, "device_add_btn", false, A::MainCommands},
        {kClick, "device_sub_btn", false, A::MainCommands},
        {kClick, "device_copy_btn", false, A::MainCommands},
        {kClick, "device_import_btn", false, A::MainCommands},
        {kClick, "device_export_btn", false, A::MainCommands},
        {kClick, "device_reset_btn", false, A::MainCommands},
        {kClick, "device_profile_edit_save_btn", false, A::MainCommands},
        {kClick, "macro_btn_name_add", false, A::MainCommands},
        {kClick, "macro_btn_name_sub", false, A::MainCommands},
        {kClick, "macro_btn_name_edit", false, A::MainCommands},
        {kClick, "macro_btn_save", false, A::MainCommands},
        {kClick, "macro_btn_import", false, A::MainCommands},
        {kClick, "macro_btn_export", false, A::MainCommands},
        {kClick, "shootdate_import_btn", false, A::MainCommands},
        {kClick, "shootdate_export_btn", false, A::MainCommands},
        {kClick, "profile_fun_spread_btn", false, A::MainCommands, true},
        {kItem, "device_profile_combo", false, A::MainCommands},
    };
    // clang-format on
    return kTable;
}

const RouteRow* FindRoute(const QString& type, const QString& controlName) {
    const IndexedName split = SplitIndexedName(controlName);
    for (const RouteRow& row : RouteTable()) {
        if (type != row.type) {
            continue;
        }
        const Qt::CaseSensitivity cs = row.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const QString& candidate = row.indexed ? split.prefix : controlName;
        if (row.indexed && !split.hasIndex) {
            continue;
        }
        if (candidate.compare(QLatin1String(row.name), cs) == 0) {
            return &row;
        }
    }
    return nullptr;
}

void NotifyRouter::SetHandler(RouteArea area, RouteHandler handler) {
    m_handlers[static_cast<size_t>(area)] = std::move(handler);
}

bool NotifyRouter::HasHandler(RouteArea area) const {
    return static_cast<bool>(m_handlers[static_cast<size_t>(area)]);
}

bool NotifyRouter::Route(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    const RouteRow* row = FindRoute(msg.sType, name);
    if (row == nullptr) {
        return false;
    }
    const RouteHandler& handler = m_handlers[static_cast<size_t>(row->area)];
    if (!handler) {
        DebugLine("route waiting: %s \"%s\" -> %s", row->type.toUtf8().constData(),
                  name.toUtf8().constData(), RouteAreaName(row->area));
        return true;
    }
    handler(msg, SplitIndexedName(name));
    return true;
}

}  // namespace q840
