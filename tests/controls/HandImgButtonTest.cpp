#include <QEnterEvent>
#include <QTest>

#include "controls/CHandImgButtonUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;

namespace {

class HandImgButtonTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        UseSourceSkin();
        button = new CHandImgButtonUI(root.get());
        button->setGeometry(20, 20, 96, 96);
        pm.AttachControl(button);  // as the layout builder does
        button->SetAttribute("handimage", "controls/hand_picture.svg");
        button->SetAttribute("deletenormalimage", "controls/delete_normal.svg");
        button->SetAttribute("deletehotimage", "controls/delete_hot.svg");
    }
    void Enter(const QPoint& pos) {
        QEnterEvent enter(pos, button->mapToGlobal(pos), button->mapToGlobal(pos));
        QApplication::sendEvent(button, &enter);
    }
    // A pointer move with no button held (the offscreen platform does not route these by itself).
    void Hover(const QPoint& pos) {
        QMouseEvent move(QEvent::MouseMove, pos, button->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &move);
    }
    CHandImgButtonUI* button = nullptr;
};

TEST_F(HandImgButtonTest, DeleteMarkSitsInTheLowerRightCornerAtEveryScale) {
    EXPECT_EQ(button->GetDeleteRect(), QRect(66, 67, 20, 20));
    pm.SetDPI(144);
    button->resize(144, 144);
    // 30 and 29 from the edges, 20 wide: 45, 43 (43.5 rounded down) and 30 at 150 %.
    EXPECT_EQ(button->GetDeleteRect(), QRect(99, 101, 30, 30));
    button->resize(40, 40);
    EXPECT_EQ(button->GetDeleteRect(), QRect(-5, -3, 30, 30)) << "small buttons keep the offsets";
}

TEST_F(HandImgButtonTest, ReleaseOnTheMarkDeletesElsewhereClicks) {
    ShowRoot();
    const QPoint mark = button->GetDeleteRect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, mark);
    EXPECT_EQ(recorder.Types(), QStringList{"click"}) << "the switch is off: an ordinary click";

    recorder.notices.clear();
    button->SetDeleteSwitch(true);
    QTest::mouseClick(button, Qt::LeftButton, {}, mark);
    EXPECT_EQ(recorder.Types(), QStringList{"click_handdelete"});

    recorder.notices.clear();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(recorder.Types(), QStringList{"click"});
    EXPECT_FALSE(button->isDown());
    EXPECT_FALSE(button->IsCaptured());
}

TEST_F(HandImgButtonTest, PressFollowsThePointerAndAReleaseOutsideDoesNothing) {
    ShowRoot();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->isDown());
    QTest::mouseMove(button, QPoint(200, 10));
    EXPECT_FALSE(button->isDown());
    QTest::mouseMove(button, QPoint(12, 10));
    EXPECT_TRUE(button->isDown());
    QTest::mouseMove(button, QPoint(200, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(recorder.Count("click"), 0);
    EXPECT_FALSE(button->IsCaptured());

    // Disabled: no press at all.
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(recorder.Count("click"), 0);
}

TEST_F(HandImgButtonTest, EnterAndLeaveNotifyAndTheMarkTurnsHotUnderThePointer) {
    ShowRoot();
    button->SetDeleteSwitch(true);
    Enter(QPoint(5, 5));
    EXPECT_TRUE(button->IsHot());
    EXPECT_FALSE(button->IsDeleteHot());
    const QImage normal = button->grab().toImage();
    Hover(button->GetDeleteRect().center());
    EXPECT_TRUE(button->IsDeleteHot());
    Hover(QPoint(5, 5));
    EXPECT_FALSE(button->IsDeleteHot());
    Hover(button->GetDeleteRect().topLeft());
    EXPECT_TRUE(button->IsDeleteHot()) << "the mark's edge belongs to it";
    const QImage hot = button->grab().toImage();
    const QPoint c = button->GetDeleteRect().center();
    EXPECT_NE(normal.pixelColor(c), hot.pixelColor(c));
    EXPECT_GT(hot.pixelColor(c + QPoint(-7, 0)).red(), 200) << "hot mark is red";

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->IsHot());
    EXPECT_EQ(recorder.Types(), (QStringList{"msenter", "msleave"}));
    // Not hot: the mark is not drawn at all.
    const QImage away = button->grab().toImage();
    EXPECT_NE(away.pixelColor(c + QPoint(-7, 0)), hot.pixelColor(c + QPoint(-7, 0)));

    recorder.notices.clear();
    button->setEnabled(false);
    Enter(QPoint(5, 5));
    EXPECT_EQ(recorder.Count("msenter"), 0);
}

class HandImgSelectButtonTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        UseSourceSkin();
        button = new CHandImgSelectButtonUI(root.get());
        button->setGeometry(0, 0, 200, 120);
        pm.AttachControl(button);
        button->SetAttribute("handimage", "controls/drag_picture.svg");  // 320 x 200
        ShowRoot();
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(button, Qt::LeftButton, {}, from);
        QTest::mouseMove(button, to);
        QTest::mouseRelease(button, Qt::LeftButton, {}, to);
    }
    CHandImgSelectButtonUI* button = nullptr;
};

TEST_F(HandImgSelectButtonTest, DragMovesThePartOppositeToThePointerAndStaysInsideThePicture) {
    EXPECT_EQ(button->GetImageSize(), QSize(320, 200));
    EXPECT_EQ(button->GetDrawImage(), "file='controls/drag_picture.svg' source='0,0,200,120'");

    Drag({150, 90}, {90, 60});
    EXPECT_EQ(button->GetSourceRect(), QRect(60, 30, 200, 120));
    EXPECT_EQ(button->GetDrawImage(), "file='controls/drag_picture.svg' source='60,30,260,150'");

    // Far past the right and bottom edges: stops at 320 - 200 and 200 - 120.
    Drag({190, 110}, {-400, -400});
    EXPECT_EQ(button->GetSourceRect().topLeft(), QPoint(120, 80));
    // And back past the origin.
    Drag({0, 0}, {600, 600});
    EXPECT_EQ(button->GetSourceRect().topLeft(), QPoint(0, 0));

    // Moving without the button held changes nothing.
    QTest::mouseMove(button, QPoint(10, 10));
    QTest::mouseMove(button, QPoint(100, 100));
    EXPECT_EQ(button->GetSourceRect().topLeft(), QPoint(0, 0));
}

TEST_F(HandImgSelectButtonTest, ALargerButtonShowsTheWholePictureAndAShrinkKeepsThePartInside) {
    Drag({190, 110}, {-400, -400});
    button->resize(400, 300);
    EXPECT_EQ(button->GetDrawImage(), "controls/drag_picture.svg");
    EXPECT_TRUE(button->GetSourceRect().isNull());
    Drag({100, 100}, {0, 0});  // nothing to drag
    button->resize(300, 190);
    const QRect part = button->GetSourceRect();
    EXPECT_GE(part.left(), 0);
    EXPECT_LE(part.right(), 319);
    EXPECT_LE(part.bottom(), 199);
}

TEST_F(HandImgSelectButtonTest, AtScale144TheVisiblePartIsTheButtonInPicturePixels) {
    pm.SetDPI(144);
    button->resize(300, 180);  // 200 x 120 at 96
    EXPECT_EQ(button->GetSourceRect(), QRect(0, 0, 200, 120));
    Drag({150, 90}, {60, 45});  // 90 x 45 screen pixels = 60 x 30 picture pixels
    EXPECT_EQ(button->GetSourceRect().topLeft(), QPoint(60, 30));
}

TEST_F(HandImgSelectButtonTest, CursorNamesAndAMissingPicture) {
    EXPECT_TRUE(button->SetCursorName("sizeall"));
    EXPECT_EQ(button->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_TRUE(button->SetCursorName("hand"));
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(button->SetCursorName("bogus"));
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);

    button->SetHandImage("controls/no_such_picture.png");
    EXPECT_EQ(button->GetImageSize(), QSize(0, 0));
    Drag({150, 90}, {0, 0});  // no crash, nothing to move
    EXPECT_TRUE(button->GetSourceRect().isNull());
}

TEST_F(HandImgSelectButtonTest, ReleaseInsideClicks) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(recorder.Count("click"), 1);
}

}  // namespace
