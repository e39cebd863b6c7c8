#include <limits>

#include "controls/CAudioRecordUI.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;

namespace {

TEST(AudioRecordTest, StartsWithItsIndexAsValueAndTakesUpTo500Values) {
    CAudioRecordUI audio;
    EXPECT_EQ(audio.GetValue(0), 0);
    EXPECT_EQ(audio.GetValue(499), 499);
    EXPECT_EQ(audio.GetValue(500), 0);
    EXPECT_EQ(audio.GetValue(-1), 0);
    std::vector<int> many(600, 7);
    audio.SetValues(many.data(), static_cast<int>(many.size()));
    EXPECT_EQ(audio.GetValue(499), 7);
    const int two[] = {1, 2};
    audio.SetValues(two, 2);
    EXPECT_EQ(audio.GetValue(1), 2);
    EXPECT_EQ(audio.GetValue(2), 7) << "values past the count keep theirs";
    audio.SetValues(nullptr, 5);
    EXPECT_EQ(audio.GetValue(0), 1);
}

TEST(AudioRecordTest, LineHeightsFollowTheValueOver8192) {
    CAudioRecordUI audio;
    const int values[] = {8192, 4096, 2048, 0, 1, 8191, 100};
    audio.SetValues(values, 7);
    const QVector<QLine> lines = audio.GetLines(QSize(14, 100));
    ASSERT_EQ(lines.size(), 7);
    // line i: x = 2i, from 100 - v * 100 / 8192 down to 99.
    const int tops[] = {0, 50, 75, 99, 99, 1, 99};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(lines[i].x1(), 2 * i);
        EXPECT_EQ(lines[i].x2(), 2 * i);
        EXPECT_EQ(lines[i].y2(), 99) << i;
        EXPECT_EQ(lines[i].y1(), tops[i]) << i;
    }
    // 100 / 8192 * 100 = 1.2 -> 1: top 99
    EXPECT_EQ(audio.GetLines(QSize(2, 100)).size(), 1) << "only lines inside the width";
}

TEST(AudioRecordTest, WidthLimitsTheLinesTo500AndWildValuesStayInside) {
    CAudioRecordUI audio;
    EXPECT_EQ(audio.GetLines(QSize(2000, 50)).size(), 500);
    EXPECT_EQ(audio.GetLines(QSize(999, 50)).size(), 500);
    EXPECT_EQ(audio.GetLines(QSize(998, 50)).size(), 499);
    EXPECT_TRUE(audio.GetLines(QSize(0, 50)).isEmpty());
    EXPECT_TRUE(audio.GetLines(QSize(50, 0)).isEmpty());

    const int wild[] = {std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), -8192,
                        9000};
    audio.SetValues(wild, 4);
    const QVector<QLine> lines = audio.GetLines(QSize(8, 64));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].y1(), 0);
    EXPECT_EQ(lines[1].y1(), 63);
    EXPECT_EQ(lines[2].y1(), 63);
    EXPECT_EQ(lines[3].y1(), 0);
}

TEST(AudioRecordTest, PaintsBlackLinesOnWhite) {
    CAudioRecordUI audio;
    audio.resize(20, 40);
    std::vector<int> full(500, 8192);
    full[1] = 4096;
    audio.SetValues(full.data(), 500);
    const QImage image = audio.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, 39), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 20), QColor(Qt::white)) << "odd columns stay white";
    EXPECT_EQ(image.pixelColor(2, 19), QColor(Qt::white)) << "half a value: the top half is white";
    EXPECT_EQ(image.pixelColor(2, 20), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(19, 39), QColor(Qt::white));
}

}  // namespace
