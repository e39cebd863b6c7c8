#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>

#include "WindowsTestSupport.h"
#include "windows/CMsgWnd.h"

using namespace q840;
using test::OpenWindow;
using test::Shown;
using test::Text;

namespace {

// A plain window of the program, to watch what the message box does to the other windows.
class OtherWnd : public ui::WindowImplBase {
protected:
    QString GetSkinFile() override { return "XML_MSG"; }
};

class MsgWndTest : public ::testing::Test {
protected:
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        windows::SetScaleOfAllWindows(96);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(OpenWindow<CMsgWnd>(), nullptr) << "a message box was left open";
    }

    // Shows a box the way the program does; the answerer looks at it and gives the result.
    static int Answer(const QString& text, int kind, int buttons, int scale,
                      const std::function<int(CMsgWnd&)>& answerer) {
        return test::AnswerModal<CMsgWnd>(answerer, [&] {
            return CMsgWnd::ShowMessage(nullptr, QString(), text, scale, kind, buttons);
        });
    }

    // A real modal run; act plays the user on the open box from inside its loop.
    static int AsUser(int buttons, const std::function<void(CMsgWnd&)>& act) {
        return test::RunModal<CMsgWnd>(act, [&] {
            return CMsgWnd::ShowMessage(nullptr, QString(), "Delete it?", 96, 0, buttons);
        });
    }
};

TEST_F(MsgWndTest, LiteralTextsStayLiteralAndKeysShowTheirLanguageText) {
    // Kind 0: already formatted texts, shown exactly as given, markup and all; no title given
    // keeps the layout's.
    Answer("Saved 100% of <b>2</b> macros", 0, 0, 96, [](CMsgWnd& box) {
        EXPECT_EQ(Text(box, "MessageText"), "Saved 100% of <b>2</b> macros");
        EXPECT_EQ(test::Find<QLabel>(box, "MessageText")->textFormat(), Qt::PlainText);
        EXPECT_EQ(Text(box, "MessageTitle"), "Notice");
        return 1;
    });
    // A literal that happens to be a key stays literal, also across a language switch.
    Answer("message_text_32", 0, 0, 96, [](CMsgWnd& box) {
        test::SwitchLanguage("lan_cn.xml");
        EXPECT_EQ(Text(box, "MessageText"), "message_text_32");
        EXPECT_EQ(Text(box, "MessageTitle"), QString::fromUtf8("提示"));
        test::SwitchLanguage("lan_en.xml");
        return 1;
    });
    // Kind 1: a language key, following a language switch.
    Answer("message_text_32", 1, 0, 96, [](CMsgWnd& box) {
        EXPECT_TRUE(Text(box, "MessageText").startsWith("You already have 50 profiles"));
        test::SwitchLanguage("lan_cn.xml");
        EXPECT_TRUE(Text(box, "MessageText").contains(QString::fromUtf8("50 个配置")));
        test::SwitchLanguage("lan_en.xml");
        return 1;
    });
    // A title, when given, replaces the layout's.
    test::AnswerModal<CMsgWnd>(
        [](CMsgWnd& box) {
            EXPECT_EQ(Text(box, "MessageTitle"), "Firmware update");
            return 0;
        },
        [] { return CMsgWnd::ShowMessage(nullptr, "UpdateTiShi", "UpdateTiShiText", 96, 1, 1); });
}

TEST_F(MsgWndTest, ButtonsChooseOneOrTwoButtonsOtherValuesKeepTheLayout) {
    const auto buttonsOf = [](int buttons) {
        QString shown;
        const int result = Answer("x", 0, buttons, 96, [&](CMsgWnd& box) {
            shown = QString("%1%2").arg(Shown(box, "confirm_btn")).arg(Shown(box, "cancel_btn"));
            return buttons == 1 ? 0 : 1;
        });
        EXPECT_EQ(result, buttons == 1 ? 0 : 1);  // the seam's answer is the result
        return shown;
    };
    EXPECT_EQ(buttonsOf(0), "10");
    EXPECT_EQ(buttonsOf(1), "11");
    EXPECT_EQ(buttonsOf(2), "10");  // the layout's own: a notice
    EXPECT_EQ(buttonsOf(-1), "10");
}

TEST_F(MsgWndTest, ClicksAndKeysEndTheBoxWithOneOrZeroAndTheBoxGoesAway) {
    const auto click = [](const char* name) {
        return [name](CMsgWnd& box) {
            QTest::mouseClick(test::Find<QPushButton>(box, name), Qt::LeftButton);
        };
    };
    EXPECT_EQ(AsUser(1, click("confirm_btn")), 1);
    EXPECT_EQ(AsUser(1, click("cancel_btn")), 0);
    EXPECT_EQ(AsUser(1, click("closebtn")), 0);
    EXPECT_EQ(AsUser(0, click("closebtn")), 0);  // a single-button notice closed by its X
    EXPECT_EQ(AsUser(1, [](CMsgWnd& box) { QTest::keyClick(&box, Qt::Key_Return); }), 1);
    EXPECT_EQ(AsUser(1, [](CMsgWnd& box) { QTest::keyClick(&box, Qt::Key_Escape); }), 0);
    // Enter on a focused cancel button cancels: it must not confirm a destructive question.
    EXPECT_EQ(AsUser(1,
                     [](CMsgWnd& box) {
                         box.FindControl("cancel_btn")->setFocus();
                         QTest::keyClick(box.focusWidget(), Qt::Key_Return);
                     }),
              0);
    EXPECT_EQ(AsUser(1, [](CMsgWnd& box) { box.close(); }), 0);  // the window manager's close

    QPointer<CMsgWnd> answered;
    Answer("x", 0, 1, 96, [&](CMsgWnd& box) {
        answered = &box;
        return 1;
    });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(answered.isNull());
}

TEST_F(MsgWndTest, TheScaleGoesToEveryWindowAndABadScaleBecomes96WithTheDebugLine) {
    OtherWnd other;
    ASSERT_TRUE(other.Create(nullptr, "other"));
    Answer("x", 0, 0, 144, [](CMsgWnd& box) {
        EXPECT_EQ(box.GetScale(), 144);
        EXPECT_EQ(box.size(), QSize(600, 300));  // 400 x 200 at 96
        return 1;
    });
    EXPECT_EQ(other.PaintManager().GetDPI(), 144);
    EXPECT_EQ(other.FindControl("confirm_btn")->width(), 144);  // 96 wide at 96

    for (int bad : {0, 100, -96, 240}) {
        test::DebugLines lines;
        Answer("x", 0, 0, bad, [](CMsgWnd& box) {
            EXPECT_EQ(box.GetScale(), 96);
            return 1;
        });
        EXPECT_TRUE(lines.Contains("MSG_WND DPI SET ERROR")) << bad;
        // The other windows are back at 96.
        EXPECT_EQ(other.PaintManager().GetDPI(), 96);
        EXPECT_EQ(other.FindControl("confirm_btn")->width(), 96);
    }
    for (int good : {48, 72, 120, 168, 192}) {
        test::DebugLines lines;
        Answer("x", 0, 0, good, [good](CMsgWnd& box) {
            EXPECT_EQ(box.PaintManager().GetDPI(), good);
            return 1;
        });
        EXPECT_FALSE(lines.Contains("MSG_WND DPI SET ERROR")) << good;
    }
}

TEST_F(MsgWndTest, LongTextsWrapAndTheBoxGrowsUpToItsMaximumThenScrolls) {
    const QString medium =
        QString("The macros do not fit into the memory of the mouse. ").repeated(8);
    const QString huge = QString("A very long message that goes on and on. ").repeated(200);
    for (int scale : {96, 144}) {
        const auto px = [scale](int v) { return v * scale / 96; };
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize maximum(qMin(px(560), screen.width() * 9 / 10),
                            qMin(px(480), screen.height() * 8 / 10));
        const auto sizeFor = [scale](const QString& text) {
            QSize size;
            Answer(text, 0, 1, scale, [&](CMsgWnd& box) {
                size = box.size();
                box.show();
                auto* label = test::Find<QLabel>(box, "MessageText");
                auto* area = box.findChild<QScrollArea*>();
                const bool scrolls = area->verticalScrollBar()->maximum() > 0;
                // Either the whole wrapped text is shown or the rest can be scrolled to.
                EXPECT_TRUE(scrolls || label->height() >= label->heightForWidth(label->width()));
                box.hide();
                return 1;
            });
            return size;
        };
        EXPECT_EQ(sizeFor("Delete it?"), QSize(px(400), px(200)));
        const QSize mediumSize = sizeFor(medium);
        EXPECT_GT(mediumSize.height(), px(200));
        EXPECT_LE(mediumSize.height(), maximum.height());
        EXPECT_EQ(sizeFor(huge), maximum) << scale;
    }
}

TEST_F(MsgWndTest, DpiChangeRescalesTheBoxAndMovesItToTheSuggestedPlace) {
    Answer("Delete it?", 0, 1, 96, [](CMsgWnd& box) {
        const QRect suggested(100, 50, 600, 300);
        SendMessageW(box.GetHWND(), WM_DPICHANGED, (144 << 16) | 144,
                     reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(box.GetScale(), 144);
        EXPECT_EQ(box.geometry(), suggested);
        EXPECT_EQ(box.FindControl("confirm_btn")->width(), 144);
        return 1;
    });
}

TEST_F(MsgWndTest, ScreenshotsAt96And144) {
    const QString longText = QString("A very long message that goes on and on. ").repeated(12);
    for (int scale : {96, 144}) {
        for (const auto& [name, text, kind] : {std::tuple{"notice", "message_text_32", 1},
                                               std::tuple{"question", "message_text_22", 1}}) {
            Answer(text, kind, QString(name) == "question", scale, [&](CMsgWnd& box) {
                const QImage image =
                    test::Screenshot(box, QString("msgwnd_%1_%2").arg(scale).arg(name));
                // The accent marks the confirm button.
                const QPoint confirm = box.FindControl("confirm_btn")->mapTo(&box, QPoint(4, 4));
                EXPECT_EQ(image.pixelColor(confirm).name(), "#00b4ff");
                return 1;
            });
        }
        Answer(longText, 0, 1, scale, [&](CMsgWnd& box) {
            test::Screenshot(box, QString("msgwnd_%1_long").arg(scale));
            return 1;
        });
    }
}

}  // namespace
