#include <gtest/gtest.h>

#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "WindowsTestSupport.h"
#include "windows/CAboutWnd.h"
#include "windows/CMsgWnd.h"

using namespace q840;
using test::Shown;
using test::Text;

namespace {

void Click(ui::WindowImplBase& window, const char* name) {
    QTest::mouseClick(test::Find<QPushButton>(window, name), Qt::LeftButton);
}

// Whether a quit of the application was posted: a quit ends the next event loop at once.
bool QuitWasPosted() {
    QEventLoop loop;
    QTimer::singleShot(100, &loop, [&loop] { loop.exit(42); });
    return loop.exec() != 42;
}

class AboutWndTest : public ::testing::Test {
protected:
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        windows::SetScaleOfAllWindows(96);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(test::OpenWindow<CAboutWnd>(), nullptr) << "an about window was left open";
        EXPECT_EQ(m_handle, nullptr);
    }

    int Answer(const std::function<int(CAboutWnd&)>& answerer, QWidget* owner = nullptr) {
        return test::AnswerModal<CAboutWnd>(answerer,
                                            [&] { return CAboutWnd::ShowAbout(owner, m_handle); });
    }
    int AsUser(const std::function<void(CAboutWnd&)>& act) {
        return test::RunModal<CAboutWnd>(act,
                                         [&] { return CAboutWnd::ShowAbout(nullptr, m_handle); });
    }

    HWND m_handle = nullptr;
};

TEST_F(AboutWndTest, OpensVisibleWithTheVersionTextAndItsHandleWhileItRuns) {
    Answer([this](CAboutWnd& about) {
        EXPECT_TRUE(about.isVisible());
        EXPECT_EQ(about.size(), QSize(800, 572));
        EXPECT_EQ(about.windowTitle(), "  ");
        EXPECT_EQ(Text(about, "software_ver_label"), "Version 1.0.0");
        EXPECT_FALSE(Shown(about, "text_test"));
        EXPECT_EQ(m_handle, about.GetHWND());
        // While one is open, the menu entry opens no second one.
        EXPECT_EQ(CAboutWnd::ShowAbout(nullptr, m_handle), -1);
        return 0;
    });
}

TEST_F(AboutWndTest, EscapeClosesEnterDoesNothingAltF4ClosesOnlyThisWindow) {
    EXPECT_EQ(AsUser([](CAboutWnd& about) {
                  QTest::keyClick(&about, Qt::Key_Return);
                  SendMessageW(about.GetHWND(), windows::WM_KEYDOWN, windows::VK_RETURN, 0);
                  EXPECT_FALSE(about.IsDestroyed());
                  QTest::keyClick(&about, Qt::Key_Escape);
                  EXPECT_TRUE(about.IsDestroyed());
              }),
              0);
    EXPECT_EQ(AsUser([](CAboutWnd& about) {
                  SendMessageW(about.GetHWND(), windows::WM_KEYDOWN, windows::VK_ESCAPE, 0);
              }),
              0);
    // The window manager's close and the system close command end the window, not the program.
    EXPECT_EQ(AsUser([](CAboutWnd& about) { about.close(); }), 0);
    EXPECT_EQ(AsUser([](CAboutWnd& about) {
                  SendMessageW(about.GetHWND(), WM_SYSCOMMAND, windows::SC_CLOSE, 0);
              }),
              0);
    EXPECT_FALSE(QuitWasPosted());
}

TEST_F(AboutWndTest, TitleBarButtonsCloseMinimiseAndSwapMaximiseWithRestore) {
    Answer([](CAboutWnd& about) {
        const auto buttons = [&] {
            return QString("%1%2").arg(Shown(about, "maxbtn")).arg(Shown(about, "restorebtn"));
        };
        EXPECT_EQ(buttons(), "10");
        Click(about, "maxbtn");
        EXPECT_TRUE(about.isMaximized());
        EXPECT_EQ(buttons(), "01");
        Click(about, "restorebtn");
        EXPECT_FALSE(about.isMaximized());
        EXPECT_EQ(buttons(), "10");
        // Also when the window manager maximises it.
        about.showMaximized();
        EXPECT_EQ(buttons(), "01");

        Click(about, "homepage_btn");  // nothing
        Click(about, "menubtn");       // nothing
        Click(about, "minbtn");
        EXPECT_TRUE(about.isMinimized());
        EXPECT_FALSE(about.IsDestroyed());
        return 0;
    });
    EXPECT_EQ(AsUser([](CAboutWnd& about) { Click(about, "closebtn"); }), 0);
}

TEST_F(AboutWndTest, ALanguageSwitchReachesTheVersionTextAndTheLayoutThroughItsMessage) {
    Answer([](CAboutWnd& about) {
        test::SwitchLanguage("lan_cn.xml");
        // Key texts follow at once; the version text was read back, so it waits for 3089.
        EXPECT_EQ(Text(about, "about_title"), QString::fromUtf8("关于"));
        EXPECT_EQ(Text(about, "software_ver_label"), "Version 1.0.0");
        SendMessageW(about.GetHWND(), windows::kMsgLanguageChanged, 1, 0);
        EXPECT_EQ(Text(about, "software_ver_label"), QString::fromUtf8("版本 1.0.0"));
        // Laid out for the new texts at once: nothing is left for the event loop to move.
        QHash<QLabel*, QRect> laidOut;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            laidOut.insert(label, label->geometry());
        }
        QCoreApplication::processEvents();
        for (QLabel* label : about.findChildren<QLabel*>()) {
            EXPECT_EQ(label->geometry(), laidOut.value(label)) << label->objectName().toStdString();
        }
        test::SwitchLanguage("lan_en.xml");
        SendMessageW(about.GetHWND(), windows::kMsgLanguageChanged, 0, 0);
        EXPECT_EQ(Text(about, "software_ver_label"), "Version 1.0.0");
        return 0;
    });
}

TEST_F(AboutWndTest, FollowsTheScaleOfTheProcessScreenshotsAt96And144) {
    for (int scale : {96, 144}) {
        Answer([scale](CAboutWnd& about) {
            // A message box sets the scale of every window, an open about window included.
            ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 1; });
            CMsgWnd::ShowMessage(nullptr, QString(), "x", scale, 0, 0);
            const QImage image = test::Screenshot(about, QString("aboutwnd_%1").arg(scale));
            EXPECT_EQ(image.size(), QSize(800, 572) * scale / 96);
            // The scale left no fixed size behind: the window can still be maximised.
            EXPECT_EQ(about.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
            return 0;
        });
    }
}

}  // namespace
