#include <QAbstractButton>
#include <QDir>
#include <QLineEdit>
#include <fstream>
#include <memory>

#include "core/profile/JsonFileStore.h"
#include "platform/Paths.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/windows/WindowsTestSupport.h"
#include "windows/CColorSelectWnd.h"

namespace q840 {
namespace {

using test::AnswerModal;
using test::Find;

class ColorSelectWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folders.IsValid());
        SetUserDataFolder(QString::fromStdString((folders / "user").string()) + "/");
        const QString source = qEnvironmentVariable("Q840_SOURCE_DIR");
        SetProgramFolder(source + "/");  // the installed palette file of DefaultData
    }
    void TearDown() override {
        SetUserDataFolder(QString());
        SetProgramFolder(QString());
    }
    static void Send(CColorSelectWnd& w, QWidget* control, const QString& type) {
        w.PaintManager().SendNotify(control, type);
    }
    Json::Value PaletteFile() const {
        return profile::JsonFileStore().ReadJsonFile(CColorSelectWnd::PaletteFilePath());
    }

    test::TempDir folders;
};

TEST_F(ColorSelectWndTest, EditsClampAndAnEmptySlotKeepsTheNextColourInTheFile) {
    uint32_t chosen = 0;
    const int result = AnswerModal<CColorSelectWnd>(
        [&](CColorSelectWnd& w) {
            // The user's palette file was made from the installed copy.
            EXPECT_TRUE(PaletteFile().isObject());
            EXPECT_EQ(Find<QLineEdit>(w, "color_edit_r")->text(), "18");
            auto* blue = Find<QLineEdit>(w, "color_edit_b");
            blue->setText("999");
            Send(w, blue, ui::notify::kKillFocus);
            EXPECT_EQ(blue->text(), "255");
            EXPECT_EQ(w.GetResultColour(), 0xFF12ABFFu);

            // An empty slot, selected, takes the next colour and is written down.
            auto* slot = Find<QAbstractButton>(w, "collect_color_option_3");
            slot->setChecked(true);
            Send(w, slot, ui::notify::kSelectChanged);
            auto* palette = Find<ui::CColorPaletteUI>(w, "Pallet");
            palette->SetSelectColor(0xFF12AB00);
            Send(w, palette, ui::notify::kColorChanged);
            const Json::Value stored =
                PaletteFile()["coloroptioninfo"]["palletDialogcollectcoloroption"][3];
            EXPECT_EQ(stored["color"].asString(), "FF12AB00");
            EXPECT_EQ(stored["UserData"].asString(), "1");
            EXPECT_EQ(PaletteFile()["coloroptioninfo"]["palletDialogcollectcoloroption_selectitem"]
                          .asInt(),
                      3);
            Send(w, w.FindControl("okbtn"), ui::notify::kClick);
            return 1;
        },
        [&] { return CColorSelectWnd::Pick(nullptr, 96, 0xFF12AB56, false, &chosen); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(chosen, 0xFF12AB00u);

    // The next picker shows the kept colour in its slot; a preset chosen there, then cancelled,
    // gives nothing.
    chosen = 0;
    EXPECT_EQ(AnswerModal<CColorSelectWnd>(
                  [&](CColorSelectWnd& w) {
                      auto* slot = Find<QAbstractButton>(w, "collect_color_option_3");
                      EXPECT_EQ(slot->property("dui_userdata").toString(), "1");
                      EXPECT_TRUE(slot->isChecked());
                      auto* preset = Find<QAbstractButton>(w, "color_option_10");
                      preset->setChecked(true);
                      Send(w, preset, ui::notify::kSelectChanged);
                      EXPECT_EQ(w.GetCurrentColour(), 0xFF0000FFu);
                      Send(w, w.FindControl("laterbtn"), ui::notify::kClick);
                      return 0;
                  },
                  [&] { return CColorSelectWnd::Pick(nullptr, 96, 0xFFFFFFFF, false, &chosen); }),
              0);
    EXPECT_EQ(chosen, 0u);
}

TEST_F(ColorSelectWndTest, OpensOverABrokenFileAndItsNextSavesMakeItSound) {
    const std::filesystem::path file = CColorSelectWnd::PaletteFilePath();
    for (const char* broken :
         {"", "not json", "[1]", R"({"coloroptioninfo": 5})",
          R"({"coloroptioninfo": {"palletDialogcollectcoloroption": [7, {"color": "FF00FF00",
             "UserData": "1"}, {"color": "zz"}, {"color": 5, "UserData": 3}],
             "palletDialogcollectcoloroption_selectitem": 99, "kept": true}, "other": [1]})"}) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << broken;
        }
        std::unique_ptr<CColorSelectWnd> w(CColorSelectWnd::Open(nullptr, 96, 0xFF12AB56, false));
        ASSERT_NE(w, nullptr) << broken;
        // A colour the file kept shows in its slot, whatever the entries around it hold.
        const bool kept = std::string(broken).find("FF00FF00") != std::string::npos;
        EXPECT_EQ(Find<QAbstractButton>(*w, "collect_color_option_1")
                      ->property("dui_userdata")
                      .toString() == "1",
                  kept)
            << broken;
        auto* preset = Find<QAbstractButton>(*w, "color_option_2");
        preset->setChecked(true);
        Send(*w, preset, ui::notify::kSelectChanged);
        auto* slot = Find<QAbstractButton>(*w, "collect_color_option_5");
        slot->setChecked(true);
        Send(*w, slot, ui::notify::kSelectChanged);
        auto* palette = Find<ui::CColorPaletteUI>(*w, "Pallet");
        palette->SetSelectColor(0xFF12AB00);
        Send(*w, palette, ui::notify::kColorChanged);
        w->Close();

        const Json::Value info = PaletteFile()["coloroptioninfo"];
        for (const char* list : {"palletDialogcoloroption", "palletDialogcollectcoloroption"}) {
            ASSERT_TRUE(info[list].isArray()) << broken;
            ASSERT_EQ(info[list].size(), 20u) << broken;
            for (const Json::Value& entry : info[list]) {
                EXPECT_EQ(entry["color"].asString().size(), 8u) << broken;
            }
        }
        EXPECT_EQ(info["palletDialogcoloroption_selectitem"].asInt(), 2) << broken;
        EXPECT_EQ(info["palletDialogcollectcoloroption"][5]["color"].asString(), "FF12AB00");
        EXPECT_EQ(info["palletDialogcollectcoloroption"][5]["UserData"].asString(), "1");
        EXPECT_EQ(info["palletDialogcollectcoloroption"][1]["color"].asString(),
                  kept ? "FF00FF00" : "FF272B34")
            << broken;
        EXPECT_EQ(info["palletDialogcollectcoloroption_selectitem"].asInt(), 5) << broken;
        if (kept) {  // what else the file held stays
            EXPECT_TRUE(info["kept"].asBool());
            EXPECT_EQ(PaletteFile()["other"][0].asInt(), 1);
        }
    }
}

TEST_F(ColorSelectWndTest, TheHexEditTakesSixDigitsAndTheOpeningColourStaysBeside) {
    uint32_t chosen = 0;
    EXPECT_EQ(AnswerModal<CColorSelectWnd>(
                  [&](CColorSelectWnd& w) {
                      auto* hex = Find<QLineEdit>(w, "color_edit_hex");
                      EXPECT_EQ(hex->text(), "123456");
                      hex->setText("#12ab00");
                      Send(w, hex, ui::notify::kKillFocus);
                      EXPECT_EQ(w.GetResultColour(), 0xFF12AB00u);
                      EXPECT_EQ(hex->text(), "12AB00");
                      EXPECT_EQ(Find<QLineEdit>(w, "color_edit_g")->text(), "171");
                      // Not a colour: the edit shows the colour as it was.
                      for (const char* wrong : {"12ab0", "12ab00ff", "ghijkl", ""}) {
                          hex->setText(wrong);
                          Send(w, hex, ui::notify::kKillFocus);
                          EXPECT_EQ(hex->text(), "12AB00") << wrong;
                          EXPECT_EQ(w.GetResultColour(), 0xFF12AB00u) << wrong;
                      }
                      // Typed components show in hexadecimal too; the opening colour stays.
                      auto* red = Find<QLineEdit>(w, "color_edit_r");
                      red->setText("300");
                      Send(w, red, ui::notify::kKillFocus);
                      EXPECT_EQ(hex->text(), "FFAB00");
                      auto* old = w.FindControl("color_old_show");
                      EXPECT_EQ(ui::CDialogBuilder::StylePieceColour(old, "background-color"),
                                QColor(0x12, 0x34, 0x56));
                      Send(w, w.FindControl("okbtn"), ui::notify::kClick);
                      return 1;
                  },
                  [&] { return CColorSelectWnd::Pick(nullptr, 96, 0xFF123456, false, &chosen); }),
              1);
    EXPECT_EQ(chosen, 0xFFFFAB00u);
}

TEST(ColorSelectWnd, TextsAndScales) {
    EXPECT_EQ(CColorSelectWnd::ColourText(0xFF12AB00), "FF12AB00");
    CColorSelectWnd w;
    ASSERT_TRUE(w.Create(nullptr, "PalletDialog"));
    w.SetDialogDpi(100);
    EXPECT_EQ(w.PaintManager().GetDPI(), 96);
    w.SetDialogDpi(144);
    EXPECT_EQ(w.PaintManager().GetDPI(), 144);
    w.ShowSevenColourOption(false);
    EXPECT_FALSE(test::Shown(w, "7color_layout"));
    EXPECT_FALSE(w.GetSevenColour());
    w.Close();
}

}  // namespace
}  // namespace q840
