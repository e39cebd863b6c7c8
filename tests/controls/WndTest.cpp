#include <QLabel>
#include <QVBoxLayout>

#include "controls/CWndUI.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;

namespace {

class WndTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        container = new QWidget(root.get());
        container->setGeometry(20, 30, 200, 100);
        host = new CWndUI(container);
        host->setGeometry(10, 5, 120, 40);
    }
    QWidget* container = nullptr;
    CWndUI* host = nullptr;
};

TEST_F(WndTest, AChildWindowTakesTheControlsPlaceAndVisibility) {
    auto* hosted = new QLabel("hosted", root.get());
    host->Attach(hosted);
    ShowRoot();
    EXPECT_EQ(hosted->geometry(), QRect(30, 35, 120, 40));
    EXPECT_TRUE(hosted->isVisible());

    host->move(40, 50);
    EXPECT_EQ(hosted->geometry(), QRect(60, 80, 120, 40));
    host->resize(60, 20);
    EXPECT_EQ(hosted->geometry().size(), QSize(60, 20));
    container->move(0, 0);  // a container moving carries the control along
    EXPECT_EQ(hosted->geometry().topLeft(), QPoint(40, 50));

    host->hide();
    EXPECT_FALSE(hosted->isVisible());
    host->show();
    EXPECT_TRUE(hosted->isVisible());
    container->hide();  // hidden with its container
    EXPECT_FALSE(hosted->isVisible());
}

TEST_F(WndTest, ATopLevelWindowGoesToScreenCoordinatesWithoutActivation) {
    auto hosted = std::make_unique<QWidget>();
    hosted->setAttribute(Qt::WA_DontShowOnScreen);
    host->Attach(hosted.get());
    EXPECT_TRUE(hosted->testAttribute(Qt::WA_ShowWithoutActivating));
    ShowRoot();
    EXPECT_TRUE(hosted->isVisible());
    EXPECT_EQ(hosted->geometry().topLeft(), host->mapToGlobal(QPoint(0, 0)));
    EXPECT_EQ(hosted->geometry().size(), QSize(120, 40));
    host->hide();
    EXPECT_FALSE(hosted->isVisible());
}

TEST_F(WndTest, ASubLayoutThatJoinsItsParentLaterStillCarriesTheWindow) {
    // Built apart from the window, as an included layout is, then added to it.
    auto* part = new QWidget();
    auto* inner = new CWndUI(part);
    inner->setGeometry(5, 5, 50, 20);
    auto* hosted = new QLabel("hosted", root.get());
    inner->Attach(hosted);
    auto* outer = new QWidget(root.get());
    outer->setGeometry(100, 100, 150, 80);
    part->setParent(outer);
    part->setGeometry(10, 10, 100, 50);
    ShowRoot();
    EXPECT_EQ(hosted->geometry(), QRect(115, 115, 50, 20));
    outer->move(0, 0);
    EXPECT_EQ(hosted->geometry().topLeft(), QPoint(15, 15));
}

TEST_F(WndTest, AHostedWindowThatIsGoneIsLeftAlone) {
    auto* hosted = new QLabel("short-lived", root.get());
    host->Attach(hosted);
    ShowRoot();
    delete hosted;
    EXPECT_EQ(host->GetHostedWindow(), nullptr);
    host->move(1, 1);
    host->hide();
    host->show();
    auto* second = new QLabel("second", root.get());
    host->Attach(second);
    EXPECT_EQ(host->Detach(), second);
    host->move(70, 70);
    EXPECT_NE(second->geometry().topLeft(), QPoint(90, 100)) << "a detached window stays put";
}

}  // namespace
