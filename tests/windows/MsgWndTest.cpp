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
#include "platform/ui/CResourceManager.h"
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

// A plain window of the program, to watch what the message box does to the other windows.
class OtherWnd : public ui::WindowImplBase {
protected:
    QString GetSkinFile() override { return "XML_MSG"; }
};

class MsgWndTest : public ::testing::Test {
protected:
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(OpenWindow<CMsgWnd>(), nullptr) << "a message box was left open";
    }

    // Shows a box the way the program does and lets the answerer look at it first.
    static int Answer(const QString& text, int kind, int buttons, int scale,
                      const std::function<int(CMsgWnd&)>& answerer) {
        bool asked = false;
        ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& window) {
            asked = true;
            auto* box = dynamic_cast<CMsgWnd*>(&window);
            EXPECT_NE(box, nullptr);
            return box ? answerer(*box) : -1;
        });
        const int result = CMsgWnd::ShowMessage(nullptr, QString(), text, scale, kind, buttons);
        ui::ModalSeam::SetAnswerer(nullptr);
        EXPECT_TRUE(asked) << "the box did not open";
        return result;
    }

    // Runs a real modal box; act plays the user on the open box from inside its loop.
    static int AsUser(int buttons, const std::function<void(CMsgWnd&)>& act) {
        bool acted = false;
        QTimer user;
        user.setSingleShot(true);
        QObject::connect(&user, &QTimer::timeout, [&] {
            CMsgWnd* box = OpenWindow<CMsgWnd>();
            ASSERT_NE(box, nullptr);
            acted = true;
            act(*box);
        });
        user.start(0);
        // Never hang the suite on a box nobody closed.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (CMsgWnd* box = OpenWindow<CMsgWnd>()) {
                ADD_FAILURE() << "the box did not close";
                box->Close();
            }
        });
        guard.start(5000);
        const int result =
            CMsgWnd::ShowMessage(nullptr, QString(), "Delete the selected macro?", 96, 0, buttons);
        EXPECT_TRUE(acted) << "the box did not run";
        return result;
    }
};

TEST_F(MsgWndTest, LiteralTextsStayLiteralAndKeysShowTheirLanguageText) {
    // Kind 0: already formatted texts, shown exactly as given, markup and all.
    Answer("Saved 100% of <b>2</b> macros", 0, 0, 96, [](CMsgWnd& box) {
        EXPECT_EQ(Text(box, "MessageText"), "Saved 100% of <b>2</b> macros");
        EXPECT_EQ(qobject_cast<QLabel*>(box.FindControl("MessageText"))->textFormat(),
                  Qt::PlainText);
        EXPECT_EQ(Text(box, "MessageTitle"), "Notice");  // no title given: the layout's
        return 1;
    });
    // A literal that happens to be a key is still literal, also across a language switch.
    Answer("message_text_32", 0, 0, 96, [](CMsgWnd& box) {
        EXPECT_EQ(Text(box, "MessageText"), "message_text_32");
        test::SwitchLanguage("lan_cn.xml");
        EXPECT_EQ(Text(box, "MessageText"), "message_text_32");
        EXPECT_EQ(Text(box, "MessageTitle"), QString::fromUtf8("提示"));
        test::SwitchLanguage("lan_en.xml");
        return 1;
    });
    // Kind 1: a language key, which follows a language switch.
    const QString english = ui::CResourceManager::GetInstance().GetText("message_text_32");
    ASSERT_FALSE(english.isEmpty());
    Answer("message_text_32", 1, 0, 96, [&](CMsgWnd& box) {
        EXPECT_EQ(Text(box, "MessageText"), english);
        test::SwitchLanguage("lan_cn.xml");
        EXPECT_TRUE(Text(box, "MessageText").contains(QString::fromUtf8("50 个配置")));
        test::SwitchLanguage("lan_en.xml");
        return 1;
    });
    // A title, when given, replaces the layout's.
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase& box) {
        EXPECT_EQ(Text(box, "MessageTitle"), "Firmware update");
        return 0;
    });
    EXPECT_EQ(CMsgWnd::ShowMessage(nullptr, "UpdateTiShi", "UpdateTiShiText", 96, 1, 1), 0);
}

TEST_F(MsgWndTest, ButtonsChooseOneOrTwoButtonsAndOtherValuesKeepTheLayout) {
    Answer("x", 0, 0, 96, [](CMsgWnd& box) {
        EXPECT_TRUE(Shown(box, "confirm_btn"));
        EXPECT_FALSE(Shown(box, "cancel_btn"));
        EXPECT_TRUE(Shown(box, "closebtn"));
        return 1;
    });
    Answer("x", 0, 1, 96, [](CMsgWnd& box) {
        EXPECT_TRUE(Shown(box, "confirm_btn"));
        EXPECT_TRUE(Shown(box, "cancel_btn"));
        return 1;
    });
    for (int other : {2, -1, 7}) {
        Answer("x", 0, other, 96, [](CMsgWnd& box) {
            // The layout's own: a notice with its confirm button only.
            EXPECT_TRUE(Shown(box, "confirm_btn"));
            EXPECT_FALSE(Shown(box, "cancel_btn"));
            return 1;
        });
    }
}

TEST_F(MsgWndTest, TheSeamsAnswerIsTheResult) {
    EXPECT_EQ(Answer("x", 0, 1, 96, [](CMsgWnd&) { return 1; }), 1);
    EXPECT_EQ(Answer("x", 0, 1, 96, [](CMsgWnd&) { return 0; }), 0);
}

TEST_F(MsgWndTest, ClicksAndKeysEndTheBoxWithOneOrZero) {
    auto click = [](const char* name) {
        return [name](CMsgWnd& box) {
            auto* button = qobject_cast<QPushButton*>(box.FindControl(name));
            ASSERT_NE(button, nullptr) << name;
            QTest::mouseClick(button, Qt::LeftButton);
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
    // The window manager's close is a cancel.
    EXPECT_EQ(AsUser(1, [](CMsgWnd& box) { box.close(); }), 0);
}

TEST_F(MsgWndTest, ABoxIsDeletedOnceItHasBeenAnswered) {
    QPointer<CMsgWnd> seen;
    Answer("x", 0, 1, 96, [&](CMsgWnd& box) {
        seen = &box;
        return 1;
    });
    ASSERT_FALSE(seen.isNull());  // still there until the event loop runs
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(seen.isNull());

    QPointer<CMsgWnd> clicked;
    AsUser(1, [&](CMsgWnd& box) {
        clicked = &box;
        QTest::mouseClick(qobject_cast<QPushButton*>(box.FindControl("confirm_btn")),
                          Qt::LeftButton);
    });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(clicked.isNull());
}

TEST_F(MsgWndTest, AScaleOutsideTheAllowedValuesBecomes96WithTheDebugLine) {
    for (int bad : {0, 100, 97, -96, 240}) {
        test::DebugLines lines;
        Answer("x", 0, 0, bad, [](CMsgWnd& box) {
            EXPECT_EQ(box.GetScale(), 96);
            EXPECT_EQ(box.PaintManager().GetDPI(), 96);
            return 1;
        });
        EXPECT_TRUE(lines.Contains("MSG_WND DPI SET ERROR")) << bad;
    }
    for (int good : {48, 72, 96, 120, 144, 168, 192}) {
        test::DebugLines lines;
        Answer("x", 0, 0, good, [good](CMsgWnd& box) {
            EXPECT_EQ(box.GetScale(), good);
            return 1;
        });
        EXPECT_FALSE(lines.Contains("MSG_WND DPI SET ERROR")) << good;
    }
    // Leave the process at 96 for the tests that follow.
    windows::SetScaleOfAllWindows(96);
}

TEST_F(MsgWndTest, TheScaleIsSetForEveryWindowOfTheProcess) {
    OtherWnd other;
    ASSERT_TRUE(other.Create(nullptr, "other"));
    const QSize at96 = other.size();
    Answer("x", 0, 0, 144, [](CMsgWnd& box) {
        EXPECT_EQ(box.width(), 600);  // 400 at 96
        EXPECT_EQ(box.height(), 300);
        return 1;
    });
    EXPECT_EQ(other.PaintManager().GetDPI(), 144);
    EXPECT_EQ(other.FindControl("confirm_btn")->width(), 144);  // 96 wide at 96
    Answer("x", 0, 0, 96, [](CMsgWnd&) { return 1; });
    EXPECT_EQ(other.PaintManager().GetDPI(), 96);
    EXPECT_EQ(other.size(), at96);
}

TEST_F(MsgWndTest, LongTextsWrapAndTheBoxGrowsUpToItsMaximumThenScrolls) {
    const QString shortText = "Delete the selected macro?";
    const QString medium =
        QString("The macros do not fit into the memory of the mouse. ").repeated(8);
    const QString huge = QString("A very long message that goes on and on. ").repeated(200);
    for (int scale : {96, 144}) {
        const auto px = [scale](int v) { return v * scale / 96; };
        QSize shortSize, mediumSize, hugeSize;
        Answer(shortText, 0, 1, scale, [&](CMsgWnd& box) {
            shortSize = box.size();
            return 1;
        });
        Answer(medium, 0, 1, scale, [&](CMsgWnd& box) {
            mediumSize = box.size();
            auto* label = qobject_cast<QLabel*>(box.FindControl("MessageText"));
            box.show();
            // The whole text is visible: the label got the height its wrapped text needs.
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
            box.hide();
            return 1;
        });
        Answer(huge, 0, 1, scale, [&](CMsgWnd& box) {
            hugeSize = box.size();
            box.show();
            auto* area = box.findChild<QScrollArea*>();
            EXPECT_NE(area, nullptr);
            if (area != nullptr) {
                EXPECT_GT(area->verticalScrollBar()->maximum(), 0);  // the rest scrolls
            }
            box.hide();
            return 1;
        });
        EXPECT_EQ(shortSize, QSize(px(400), px(200))) << scale;
        EXPECT_GT(mediumSize.height() + mediumSize.width(), shortSize.height() + shortSize.width());
        // The maximum: 560 x 480 at 96, and never more than most of the screen.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize maximum(qMin(px(560), screen.width() * 9 / 10),
                            qMin(px(480), screen.height() * 8 / 10));
        EXPECT_LE(mediumSize.width(), maximum.width());
        EXPECT_LE(mediumSize.height(), maximum.height());
        EXPECT_EQ(hugeSize, maximum) << scale;
    }
    windows::SetScaleOfAllWindows(96);
}

TEST_F(MsgWndTest, DpiChangeRescalesTheBoxAndMovesItToTheSuggestedPlace) {
    Answer("Delete the selected macro?", 0, 1, 96, [](CMsgWnd& box) {
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
    for (int scale : {96, 144}) {
        for (int buttons : {0, 1}) {
            const QString text = buttons ? QString("message_text_22") : QString("message_text_32");
            Answer(text, 1, buttons, scale, [&](CMsgWnd& box) {
                box.show();
                QCoreApplication::processEvents();
                const QImage image = test::Screenshot(
                    box, QString("msgwnd_%1_%2").arg(scale).arg(buttons ? "question" : "notice"));
                EXPECT_EQ(image.size(), box.size() * box.devicePixelRatio());
                // The card's colour fills the middle; the accent marks the confirm button.
                const QPoint confirm = box.FindControl("confirm_btn")->mapTo(&box, QPoint(4, 4));
                EXPECT_EQ(image.pixelColor(confirm).name(), "#00b4ff");
                box.hide();
                return 1;
            });
        }
        Answer(QString("A very long message that goes on and on. ").repeated(12), 0, 1, scale,
               [&](CMsgWnd& box) {
                   box.show();
                   QCoreApplication::processEvents();
                   test::Screenshot(box, QString("msgwnd_%1_long").arg(scale));
                   box.hide();
                   return 1;
               });
    }
    windows::SetScaleOfAllWindows(96);
}

}  // namespace
