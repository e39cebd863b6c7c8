#include <gtest/gtest.h>

#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include "WindowsTestSupport.h"
#include "windows/CAboutWnd.h"
#include "windows/CMsgWnd.h"

using namespace q840;
using q840::test::OpenWindow;

namespace {

QString Text(ui::WindowImplBase& window, const char* name) {
    auto* label = qobject_cast<QLabel*>(window.FindControl(name));
    return label ? label->text() : QString("<no label %1>").arg(name);
}

bool Shown(ui::WindowImplBase& window, const char* name) {
    QWidget* control = window.FindControl(name);
    return control != nullptr && control->isVisibleTo(&window);
}

void Click(ui::WindowImplBase& window, const char* name) {
    auto* button = qobject_cast<QPushButton*>(window.FindControl(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Whether a quit of the application was posted: a quit ends the next event loop at once.
bool QuitWasPosted() {
    QEventLoop loop;
    QTimer::singleShot(100, &loop, [&loop] { loop.exit(42); });
    return loop.exec() != 42;
}

class OwnerWnd : public ui::WindowImplBase {
protected:
    QString GetSkinFile() override { return "XML_MSG"; }
};

class AboutWndTest : public ::testing::Test {
protected:
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(OpenWindow<CAboutWnd>(), nullptr) << "an about window was left open";
        EXPECT_EQ(m_handle, nullptr);
    }

    int Answer(const std::function<int(CAboutWnd&)>& answerer) {
        bool asked = false;
        ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& window) {
            asked = true;
            auto* about = dynamic_cast<CAboutWnd*>(&window);
            EXPECT_NE(about, nullptr);
            return about ? answerer(*about) : -1;
        });
        const int result = CAboutWnd::ShowAbout(nullptr, m_handle);
        ui::ModalSeam::SetAnswerer(nullptr);
        EXPECT_TRUE(asked) << "the about window did not open";
        return result;
    }

    // A real modal run; act plays the user from inside the window's loop.
    int AsUser(const std::function<void(CAboutWnd&)>& act) {
        bool acted = false;
        QTimer user;
        user.setSingleShot(true);
        QObject::connect(&user, &QTimer::timeout, [&] {
            CAboutWnd* about = OpenWindow<CAboutWnd>();
            ASSERT_NE(about, nullptr);
            acted = true;
            act(*about);
        });
        user.start(0);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (CAboutWnd* about = OpenWindow<CAboutWnd>()) {
                ADD_FAILURE() << "the about window did not close";
                about->Close();
            }
        });
        guard.start(5000);
        const int result = CAboutWnd::ShowAbout(nullptr, m_handle);
        EXPECT_TRUE(acted) << "the about window did not run";
        return result;
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
    EXPECT_EQ(m_handle, nullptr);
}

TEST_F(AboutWndTest, EscapeClosesEnterDoesNothing) {
    EXPECT_EQ(AsUser([](CAboutWnd& about) {
                  QTest::keyClick(&about, Qt::Key_Return);
                  EXPECT_FALSE(about.IsDestroyed());
                  EXPECT_TRUE(about.isVisible());
                  // The same keys as window messages.
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
}

TEST_F(AboutWndTest, TitleBarButtonsCloseMinimiseAndSwapMaximiseWithRestore) {
    Answer([](CAboutWnd& about) {
        EXPECT_TRUE(Shown(about, "maxbtn"));
        EXPECT_FALSE(Shown(about, "restorebtn"));
        Click(about, "maxbtn");
        EXPECT_TRUE(about.isMaximized());
        EXPECT_FALSE(Shown(about, "maxbtn"));
        EXPECT_TRUE(Shown(about, "restorebtn"));
        Click(about, "restorebtn");
        EXPECT_FALSE(about.isMaximized());
        EXPECT_TRUE(Shown(about, "maxbtn"));
        EXPECT_FALSE(Shown(about, "restorebtn"));
        // The same through system commands, and when the window manager does it.
        SendMessageW(about.GetHWND(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        EXPECT_TRUE(Shown(about, "restorebtn"));
        about.showNormal();
        EXPECT_TRUE(Shown(about, "maxbtn"));
        EXPECT_FALSE(Shown(about, "restorebtn"));

        Click(about, "homepage_btn");  // nothing
        Click(about, "menubtn");       // nothing
        EXPECT_FALSE(about.IsDestroyed());
        Click(about, "minbtn");
        EXPECT_TRUE(about.isMinimized());
        SendMessageW(about.GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_FALSE(about.isMinimized());
        return 0;
    });
    EXPECT_EQ(AsUser([](CAboutWnd& about) { Click(about, "closebtn"); }), 0);
}

TEST_F(AboutWndTest, ALanguageSwitchReachesTheVersionTextAndTheLayoutThroughItsMessage) {
    Answer([](CAboutWnd& about) {
        auto* title = qobject_cast<QLabel*>(about.FindControl("about_title"));
        test::SwitchLanguage("lan_cn.xml");
        // Key texts follow at once; the version text was read back, so it waits for 3089.
        EXPECT_EQ(title->text(), QString::fromUtf8("关于"));
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
        EXPECT_EQ(title->text(), "About");
        return 0;
    });
}

TEST_F(AboutWndTest, AltF4ClosesTheAboutWindowAndNotTheProgram) {
    EXPECT_EQ(AsUser([](CAboutWnd& about) { about.close(); }), 0);
    EXPECT_FALSE(QuitWasPosted());
    EXPECT_EQ(AsUser([](CAboutWnd& about) {
                  SendMessageW(about.GetHWND(), WM_SYSCOMMAND, windows::SC_CLOSE, 0);
              }),
              0);
    EXPECT_FALSE(QuitWasPosted());
}

TEST_F(AboutWndTest, OpensAtItsOwnersScaleAndFollowsScaleChanges) {
    OwnerWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    owner.PaintManager().SetDPI(144);
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase& window) {
        EXPECT_EQ(window.PaintManager().GetDPI(), 144);
        EXPECT_EQ(window.size(), QSize(1200, 858));
        EXPECT_EQ(window.FindControl("closebtn")->width(), 48);
        // The scale left no fixed size behind: the window can still be maximised.
        EXPECT_EQ(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        return 0;
    });
    EXPECT_EQ(CAboutWnd::ShowAbout(&owner, m_handle), 0);
    ui::ModalSeam::SetAnswerer(nullptr);

    // A message box at 144 sets every window, an open about window included.
    Answer([](CAboutWnd& about) {
        ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 1; });
        CMsgWnd::ShowMessage(nullptr, QString(), "x", 144, 0, 0);
        EXPECT_EQ(about.PaintManager().GetDPI(), 144);
        EXPECT_EQ(about.size(), QSize(1200, 858));
        windows::SetScaleOfAllWindows(96);
        EXPECT_EQ(about.size(), QSize(800, 572));
        return 0;
    });
}

TEST_F(AboutWndTest, ScreenshotsAt96And144) {
    for (int scale : {96, 144}) {
        Answer([scale](CAboutWnd& about) {
            windows::SetScaleOfAllWindows(scale);
            QCoreApplication::processEvents();
            const QImage image = test::Screenshot(about, QString("aboutwnd_%1").arg(scale));
            EXPECT_EQ(image.size(), QSize(800, 572) * scale / 96);
            windows::SetScaleOfAllWindows(96);
            return 0;
        });
    }
}

}  // namespace
