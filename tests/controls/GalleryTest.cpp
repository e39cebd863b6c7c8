#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "platform/ui/CControlFactory.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tools/gallery/Gallery.h"

using namespace q840::controls;
using namespace q840::controls::test;

namespace {

// Renders the gallery at both scales into the build folder (gallery.png, gallery-144.png) so a
// person can look at it, and checks what a broken control would spoil.
class GalleryTest : public ::testing::TestWithParam<int> {};

TEST_P(GalleryTest, RendersEveryControlInItsState) {
    const int dpi = GetParam();
    q840::ui::CControlFactory::GetInstance().Clear();
    q840::gallery::Gallery gallery = q840::gallery::BuildGallery(SourceSkin(), dpi);
    ASSERT_NE(gallery.root, nullptr);
    q840::ui::CPaintManagerUI& pm = *gallery.manager;
    for (const char* name :
         {"gallery_select_panel", "key_0", "light_3", "gallery_hand_button",
          "gallery_select_button", "gallery_record_button", "gallery_wnd", "gallery_row_0",
          "gallery_audio", "gallery_pie", "gallery_bars", "text1", "delay_edit"}) {
        EXPECT_NE(pm.FindControl(name), nullptr) << name;
    }
    // The rubber band of the gallery selected the last two key buttons only.
    for (int i = 0; i < 4; ++i) {
        auto* key = pm.FindControl<CDeviceKeyButtonUI>(QString("key_%1").arg(i));
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->IsSelected(), i >= 2) << i;
    }
    auto* drag = pm.FindControl<CHandImgSelectButtonUI>("gallery_select_button");
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->GetSourceRect().topLeft(), QPoint(60, 30));

    const QImage image = gallery.root->grab().toImage();
    EXPECT_EQ(image.size(), QSize(840 * dpi / 96, 560 * dpi / 96));
    // The level display is white with black lines.
    QWidget* audio = pm.FindControl("gallery_audio");
    const QPoint audioOrigin = audio->mapTo(gallery.root.get(), QPoint(0, 0));
    EXPECT_EQ(image.pixelColor(audioOrigin + QPoint(1, 1)), QColor(Qt::white));
    const QString out = QString::fromLocal8Bit(qgetenv("Q840_BUILD_DIR")) +
                        (dpi == 96 ? "/gallery.png" : "/gallery-144.png");
    EXPECT_TRUE(image.save(out, "PNG")) << out.toStdString();
    gallery.root.reset();
    q840::ui::CControlFactory::GetInstance().Clear();
}

INSTANTIATE_TEST_SUITE_P(Scales, GalleryTest, ::testing::Values(96, 144));

}  // namespace
