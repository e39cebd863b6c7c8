// Fuzz target: arbitrary bytes as the colour picker's stored file (color_option_info.config).
// The picker opens on whatever the file holds without crashing, and the next save of the presets
// and of the collected colours writes a sound file: an object whose twenty entries of each list
// carry a colour as 8 upper-case hexadecimal digits (and the collected ones their mark).
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <QAbstractButton>
#include <QApplication>
#include <QRegularExpression>

#include "core/profile/JsonFileStore.h"
#include "platform/Paths.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/UIDefs.h"
#include "support/FuzzWorkDir.h"
#include "windows/CColorSelectWnd.h"

using namespace q840;

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "palette file after a save: %s\n", what);
    std::abort();
}

bool IsColourText(const Json::Value& v) {
    static const QRegularExpression kForm(QStringLiteral("^[0-9A-F]{8}$"));
    return v.isString() && kForm.match(QString::fromStdString(v.asString())).hasMatch();
}

void CheckList(const Json::Value& info, const char* key, bool marked) {
    const Json::Value& list = info[key];
    if (!list.isArray() || list.size() < Json::ArrayIndex(CColorSelectWnd::kSlots)) {
        Fail(key);
    }
    for (Json::ArrayIndex i = 0; i < Json::ArrayIndex(CColorSelectWnd::kSlots); ++i) {
        const Json::Value& entry = list[i];
        if (!entry.isObject() || !IsColourText(entry["color"])) {
            Fail("a colour entry");
        }
        if (marked && !entry["UserData"].isString()) {
            Fail("a slot's mark");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "palette_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    const QString source = QStringLiteral(Q840_SOURCE_DIR "/");
    ui::CPaintManagerUI::SetResourcePath(source + "skin/");
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    resources.SetResourcePath(source + "skin/");
    resources.LoadResource("res.xml");
    resources.LoadLanguage("lan_en.xml");
    SetProgramFolder(source);  // the installed copy in DefaultData
    SetUserDataFolder(QString::fromStdString(test::FuzzWorkDir().string()) + "/");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = CColorSelectWnd::PaletteFilePath();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    CColorSelectWnd w;
    if (!w.Create(nullptr, QStringLiteral("PalletDialog"))) {
        Fail("no picker");
    }
    // A preset, then a colour kept in slot 5: both lists are written back.
    if (auto* preset = qobject_cast<QAbstractButton*>(w.FindControl("color_option_2"))) {
        preset->setChecked(true);
        w.PaintManager().SendNotify(preset, ui::notify::kSelectChanged);
    }
    if (auto* slot = qobject_cast<QAbstractButton*>(w.FindControl("collect_color_option_5"))) {
        slot->setChecked(true);
        w.PaintManager().SendNotify(slot, ui::notify::kSelectChanged);
    }
    if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(w.FindControl("Pallet"))) {
        palette->SetSelectColor(0xFF12AB00);
        w.PaintManager().SendNotify(palette, ui::notify::kColorChanged);
    }
    w.Close();

    const Json::Value root = profile::JsonFileStore().ReadJsonFile(file);
    const Json::Value& info =
        root.isObject() ? root["coloroptioninfo"] : Json::Value::nullSingleton();
    if (!info.isObject()) {
        Fail("coloroptioninfo");
    }
    CheckList(info, "palletDialogcoloroption", false);
    CheckList(info, "palletDialogcollectcoloroption", true);
    if (info["palletDialogcollectcoloroption"][5]["color"].asString() != "FF12AB00" ||
        info["palletDialogcollectcoloroption"][5]["UserData"].asString() != "1" ||
        info["palletDialogcollectcoloroption_selectitem"].asInt() != 5 ||
        info["palletDialogcoloroption_selectitem"].asInt() != 2) {
        Fail("the colour kept in slot 5");
    }
    return 0;
}
