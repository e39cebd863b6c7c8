#include <QVBoxLayout>

#include "controls/CCircleProgressUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/power/PowerTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;

namespace {

TEST(CircleProgressTest, SweepIsTheValueShareOfTheRangeInWholeDegreesFromTheBottom) {
    CCircleProgressUI circle;
    EXPECT_EQ(circle.GetClass(), "CircleProgress");
    circle.setRange(0, 100);
    circle.setValue(25);
    EXPECT_EQ(circle.GetSweepDegrees(), 90);
    EXPECT_EQ(circle.GetStartAngle(), -90 * 16) << "starts at the bottom";
    EXPECT_EQ(circle.GetSpanAngle(), -90 * 16) << "runs clockwise";

    circle.setRange(0, 7);
    circle.setValue(1);
    EXPECT_EQ(circle.GetSweepDegrees(), 51) << "360/7 = 51.4 is cut to whole degrees";
    circle.setValue(7);
    EXPECT_EQ(circle.GetSweepDegrees(), 360);
    circle.setValue(0);
    EXPECT_EQ(circle.GetSweepDegrees(), 0);
    EXPECT_EQ(circle.GetSpanAngle(), 0);

    // The value is taken against the width of the range; a sweep never exceeds a full turn.
    circle.setRange(50, 150);
    circle.setValue(150);
    EXPECT_EQ(circle.GetSweepDegrees(), 360);
    // An empty range draws no pie instead of dividing by zero.
    circle.setRange(5, 5);
    circle.setValue(5);
    EXPECT_EQ(circle.GetSweepDegrees(), 0);
}

class CircleProgressScaleTest : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override {
        root.reset();
        q840::ui::CControlFactory::GetInstance().Clear();
    }
    // Draws the ring from a layout at a scale and returns the picture.
    QImage PaintRing(int dpi, int value, CCircleProgressUI** made = nullptr) {
        UsePowerSkin(dpi);
        pm.SetDPI(dpi);
        q840::ui::CDialogBuilder builder;
        root.reset(builder.CreateFromText(
            QString(R"(<VerticalLayout><CircleProgress name="ring" width="100" height="100"
                      min="0" max="100" value="%1" bkcolor="#FF0000FF" forecolor="#FFFF0000"/>
                   </VerticalLayout>)")
                .arg(value),
            nullptr, &pm));
        pm.AttachRoot(root.get());
        auto* ring = pm.FindControl<CCircleProgressUI>("ring");
        EXPECT_NE(ring, nullptr);
        if (ring == nullptr) {
            return {};
        }
        if (made != nullptr) {
            *made = ring;
        }
        root->setAttribute(Qt::WA_DontShowOnScreen);
        root->show();
        QApplication::processEvents();
        return ring->grab().toImage();
    }

    q840::ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> root;
};

TEST_P(CircleProgressScaleTest, AQuarterRingStartsAtTheBottomAndRunsTowardsTheLeft) {
    const int dpi = GetParam();
    CCircleProgressUI* ring = nullptr;
    const QImage image = PaintRing(dpi, 25, &ring);
    ASSERT_FALSE(image.isNull());
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->value(), 25);
    EXPECT_EQ(ring->GetBkColor(), QColor(0, 0, 255)) << "from the layout's bkcolor";
    EXPECT_EQ(ring->GetForeColor(), QColor(255, 0, 0));
    const int size = 100 * dpi / 96;
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(SaveShot(image, QString("circle-progress-%1.png").arg(dpi)));

    const double c = size / 2.0;
    const double onRing = c - 5.0 * dpi / 96;  // the middle of the 10 px ring
    auto at = [&](double degreesClockwiseFromRight) {
        const double r = degreesClockwiseFromRight * M_PI / 180.0;
        return image.pixelColor(int(c + onRing * std::cos(r)), int(c + onRing * std::sin(r)));
    };
    EXPECT_EQ(at(135), QColor(255, 0, 0)) << "bottom-left quarter is filled";
    EXPECT_EQ(at(100), QColor(255, 0, 0));
    EXPECT_EQ(at(45), QColor(0, 0, 255)) << "bottom-right is background";
    EXPECT_EQ(at(270), QColor(0, 0, 255)) << "top is background";
    EXPECT_EQ(at(315), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(int(c), int(c)), QColor(Qt::white)) << "hollow middle";
    EXPECT_NE(image.pixelColor(1, 1), QColor(0, 0, 255)) << "the corners are not the circle";
    // The white disc is inset by 10 px at scale 96.
    EXPECT_EQ(
        ring->GetInnerRect(QSizeF(size, size)),
        QRectF(10.0 * dpi / 96, 10.0 * dpi / 96, size - 20.0 * dpi / 96, size - 20.0 * dpi / 96));
    EXPECT_EQ(image.pixelColor(int(c), int(c - 13.0 * dpi / 96)), QColor(Qt::white));
}

TEST_P(CircleProgressScaleTest, EmptyAndFullRings) {
    const int dpi = GetParam();
    const QImage empty = PaintRing(dpi, 0);
    const QImage full = PaintRing(dpi, 100);
    const int size = 100 * dpi / 96;
    const int x = size / 2;
    const int y = size - int(5.0 * dpi / 96);  // the ring straight below the middle
    EXPECT_EQ(empty.pixelColor(x - 3, y), QColor(0, 0, 255));
    EXPECT_EQ(full.pixelColor(x - 3, y), QColor(255, 0, 0));
    EXPECT_EQ(full.pixelColor(x, int(5.0 * dpi / 96)), QColor(255, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Scales, CircleProgressScaleTest, ::testing::Values(96, 144));

}  // namespace
