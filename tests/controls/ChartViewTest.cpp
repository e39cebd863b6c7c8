#include <cmath>

#include "controls/CChartViewUI.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;

namespace {

TEST(ChartViewTest, PieSlicesShareTheCircleByValueClockwiseFromTwelve) {
    CChartViewUI chart;
    chart.SetAttribute("view", "pie");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Pie);
    chart.Add("a", 50);
    chart.Add("b", 25);
    chart.Add("c", 0);
    chart.Add("d", -10);  // counts as nothing
    chart.Add("e", 25);
    const auto slices = chart.GetPieSlices(QSize(216, 116));
    ASSERT_EQ(slices.size(), 5);
    // Square of the height less 8 px all round, at the left, centred vertically.
    EXPECT_EQ(slices[0].circle, QRectF(8, 8, 100, 100));
    EXPECT_EQ(slices[0].startAngle, 90 * 16);
    EXPECT_EQ(slices[0].spanAngle, -180 * 16);
    EXPECT_EQ(slices[1].startAngle, -90 * 16);
    EXPECT_EQ(slices[1].spanAngle, -90 * 16);
    EXPECT_EQ(slices[2].spanAngle, 0);
    EXPECT_EQ(slices[3].spanAngle, 0);
    EXPECT_EQ(slices[4].spanAngle, -90 * 16);
    int total = 0;
    for (const auto& slice : slices) {
        total += slice.spanAngle;
    }
    EXPECT_EQ(total, -360 * 16);
}

TEST(ChartViewTest, RoundedSlicesStillCloseTheCircle) {
    CChartViewUI chart;
    for (int i = 0; i < 7; ++i) {
        chart.Add(QString::number(i), 1);
    }
    const auto slices = chart.GetPieSlices(QSize(100, 100));
    int edge = 90 * 16;
    int total = 0;
    for (const auto& slice : slices) {
        EXPECT_EQ(slice.startAngle, edge) << "each slice starts where the last ended";
        edge += slice.spanAngle;
        total += slice.spanAngle;
        EXPECT_NEAR(slice.spanAngle, -5760.0 / 7, 1.0);
    }
    EXPECT_EQ(total, -5760);
}

TEST(ChartViewTest, NothingToChartGivesNoGeometry) {
    CChartViewUI chart;
    EXPECT_TRUE(chart.GetPieSlices(QSize(100, 100)).isEmpty());
    EXPECT_TRUE(chart.GetBars(QSize(100, 100)).isEmpty());
    chart.Add("zero", 0);
    chart.Add("nan", std::nan(""));
    EXPECT_TRUE(chart.GetPieSlices(QSize(100, 100)).isEmpty()) << "a zero total";
    EXPECT_TRUE(chart.GetPieSlices(QSize(10, 10)).isEmpty()) << "no room inside the margins";
    const auto bars = chart.GetBars(QSize(100, 100));
    ASSERT_EQ(bars.size(), 2);
    EXPECT_EQ(bars[0].height(), 0);
    EXPECT_EQ(bars[1].height(), 0);
    EXPECT_FALSE(chart.Remove(2));
    EXPECT_TRUE(chart.Remove(1));
    EXPECT_FALSE(chart.AddAt(5, "x", 1));
    chart.RemoveAll();
    EXPECT_EQ(chart.GetCount(), 0);
    chart.grab();  // paints an empty chart of both kinds
    chart.SetView(CChartViewUI::View::Histogram);
    chart.grab();
}

TEST(ChartViewTest, BarsStandInEqualSlotsWithHeightsRelativeToTheLargest) {
    CChartViewUI chart;
    chart.SetAttribute("view", "histpgram");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Histogram);
    chart.Add("a", 10);
    chart.Add("b", 40);
    chart.Add("c", 20);
    chart.Add("d", -5);
    // Plot area: 8..308 wide (300), 8..208 high (200); slots of 75.
    auto bars = chart.GetBars(QSize(316, 216));
    ASSERT_EQ(bars.size(), 4);
    EXPECT_EQ(bars[1], QRectF(8 + 75 + 15, 8, 45, 200)) << "60 % of the slot, full height";
    EXPECT_EQ(bars[0], QRectF(8 + 15, 158, 45, 50));
    EXPECT_EQ(bars[2].height(), 100);
    EXPECT_EQ(bars[3].height(), 0);
    for (const QRectF& bar : bars) {
        EXPECT_EQ(bar.bottom(), 208) << "all on one base line";
    }

    // A pillar width and labels: labels take a 20 px line under the base.
    chart.SetAttribute("pillarimagewidth", "20");
    chart.SetAttribute("showtext", "true");
    chart.SetAttribute("shadowimageheight", "6");
    bars = chart.GetBars(QSize(316, 216));
    EXPECT_EQ(bars[1], QRectF(8 + 75 + 27.5, 8, 20, 180));
    EXPECT_EQ(chart.GetBarLabelRect(QSize(316, 216), 1), QRectF(83, 188, 75, 20));
    EXPECT_EQ(chart.GetShadowRect(QSize(316, 216)), QRectF(8, 188, 300, 6));

    // A pillar wider than its slot is held to the slot.
    chart.SetAttribute("pillarimagewidth", "500");
    EXPECT_EQ(chart.GetBars(QSize(316, 216))[0].width(), 75);
}

TEST(ChartViewTest, LabelsAndColoursFollowTheAttributes) {
    CChartViewUI chart;
    chart.Add("red", 1, QColor(Qt::red));
    chart.Add("auto", 1);
    EXPECT_EQ(chart.ColourOf(0), QColor(Qt::red));
    EXPECT_TRUE(chart.ColourOf(1).isValid());
    EXPECT_NE(chart.ColourOf(1), chart.ColourOf(2));
    chart.SetAttribute("font", "3");
    EXPECT_EQ(chart.GetFontIndex(), 3);
    // Legend lines right of the pie, centred as a block.
    const QRectF first = chart.GetLegendRect(QSize(316, 116), 0);
    const QRectF second = chart.GetLegendRect(QSize(316, 116), 1);
    EXPECT_EQ(first.left(), 8 + 100 + 16);
    EXPECT_EQ(second.top() - first.top(), 20);
    EXPECT_EQ(first.top(), 8 + (100 - 40) / 2);

    // Painted: with labels, the pie's legend draws the item's colour swatch.
    chart.resize(316, 116);
    chart.SetShowText(true);
    const QImage image = chart.grab().toImage();
    const QPointF swatch(first.left() + 5, first.center().y());
    EXPECT_EQ(image.pixelColor(swatch.toPoint()), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(80, 58), QColor(Qt::red)) << "first slice: from 12 o'clock right";
}

}  // namespace
