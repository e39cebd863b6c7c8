#include <QPushButton>
#include <QTest>

#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;

namespace {

// A 2 x 3 grid of 40 x 40 key buttons at x = 10, 60, 110 and y = 10, 60, plus a plain button.
class SelectPanelTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        panel = new CSelectPanelUI(root.get());
        panel->setGeometry(0, 0, 300, 200);
        for (int row = 0; row < 2; ++row) {
            for (int col = 0; col < 3; ++col) {
                auto* key = new CDeviceKeyButtonUI(panel);
                key->setObjectName(QString("key_%1").arg(row * 3 + col));
                key->setGeometry(10 + col * 50, 10 + row * 50, 40, 40);
                keys.push_back(key);
            }
        }
        // Inside a plain container too (a padding wrapper of the layout).
        auto* wrapper = new QWidget(panel);
        wrapper->setGeometry(200, 100, 80, 80);
        nested = new CDeviceKeyButtonUI(wrapper);
        nested->setGeometry(10, 10, 40, 40);  // 210..249, 110..149 in the panel
        plain = new QPushButton(panel);
        plain->setCheckable(true);
        plain->setGeometry(160, 10, 30, 30);
        ShowRoot();
    }
    void Band(QPoint from, QPoint to) {
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, (from + to) / 2);
        QTest::mouseMove(panel, to);
        EXPECT_TRUE(panel->IsDragging());
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }
    std::vector<bool> Selected() const {
        std::vector<bool> flags;
        for (auto* key : keys) {
            flags.push_back(key->IsSelected());
        }
        return flags;
    }

    CSelectPanelUI* panel = nullptr;
    std::vector<CDeviceKeyButtonUI*> keys;
    CDeviceKeyButtonUI* nested = nullptr;
    QPushButton* plain = nullptr;
};

TEST_F(SelectPanelTest, BandSelectsExactlyTheButtonsItIntersects) {
    // From the gap left of key 1 to inside key 5: keys 1, 2, 4, 5; the gap rows/columns touch none.
    Band({55, 5}, {115, 65});
    EXPECT_EQ(Selected(), (std::vector<bool>{false, true, true, false, true, true}));
    EXPECT_FALSE(nested->IsSelected());
    EXPECT_FALSE(plain->isChecked());
    EXPECT_EQ(recorder.Types(), QStringList{"click_select_end"});
    EXPECT_EQ(recorder.notices[0].sender, panel);
    EXPECT_FALSE(panel->IsDragging());

    // A second band replaces the selection: what it misses is cleared.
    Band({295, 195}, {205, 105});  // dragged up and left; only the nested button
    EXPECT_EQ(Selected(), std::vector<bool>(6, false));
    EXPECT_TRUE(nested->IsSelected());
}

TEST_F(SelectPanelTest, TheGapBetweenButtonsSelectsNothingAndEdgesCount) {
    Band({51, 51}, {59, 190});  // the column between keys 0/3 and 1/4
    EXPECT_EQ(Selected(), std::vector<bool>(6, false));
    EXPECT_EQ(recorder.Count("click_select_end"), 1);
    Band({49, 49}, {49, 49 + 1});  // a thin band on the last pixel of key 0
    EXPECT_EQ(Selected(), (std::vector<bool>{true, false, false, false, false, false}));
}

TEST_F(SelectPanelTest, AClickWithoutDragChangesNothingAndSendsNothing) {
    keys[0]->SetSelected(true);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(250, 180));
    EXPECT_TRUE(keys[0]->IsSelected());
    EXPECT_TRUE(recorder.notices.empty());
}

TEST_F(SelectPanelTest, DisabledPanelIgnoresTheBand) {
    panel->setEnabled(false);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(panel, QPoint(290, 190));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(290, 190));
    EXPECT_EQ(Selected(), std::vector<bool>(6, false));
    EXPECT_TRUE(recorder.notices.empty());
}

TEST_F(SelectPanelTest, TheBandIsDrawnAboveTheButtonsWhileDragging) {
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(panel, QPoint(100, 100));
    EXPECT_EQ(panel->GetSelectRect(), QRect(QPoint(5, 5), QPoint(100, 100)));
    const QImage during = panel->grab().toImage();
    // Over key 0 (dark fallback look) the translucent accent shows.
    const QColor over = during.pixelColor(30, 30);
    EXPECT_GT(over.blue(), over.red() + 20);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(100, 100));
    const QColor after = panel->grab().toImage().pixelColor(30, 30);
    EXPECT_NE(after, over);
}

}  // namespace
