// The own-window source (Wayland): what reaches the program's windows is reported once, keys are
// kept from the widgets (lock keys excepted), clicks still reach them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "platform/input/CWindowInputSource.h"

using namespace q840;
using namespace q840::input;

namespace {

class Sink : public IInputSink {
public:
    void OnKey(UINT message, const KeyHookRecord& record) override {
        keys.push_back({message, record.scanCode});
    }
    void OnMouse(UINT message, const MouseHookRecord& record) override {
        buttons.push_back({message, record.mouseData >> 16});
    }
    std::vector<std::pair<UINT, uint32_t>> keys;
    std::vector<std::pair<UINT, uint32_t>> buttons;
};

class Widget : public QWidget {
public:
    int keyEvents = 0;
    int mousePresses = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keyEvents; }
    void mousePressEvent(QMouseEvent*) override { ++mousePresses; }
};

TEST(WindowSource, ReportsKeysAndClicksOfItsOwnWindowsOnce) {
    Widget widget;
    widget.resize(200, 200);
    widget.show();
    widget.setFocus();
    QWindow* window = widget.windowHandle();
    ASSERT_NE(window, nullptr);
    CWindowInputSource source;
    Sink sink;
    ASSERT_TRUE(source.Start(true, true, &sink));
    EXPECT_EQ(source.Reach(), InputReach::OwnWindows);

    auto key = [&](QEvent::Type type, int qtKey, quint32 nativeScanCode) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, nativeScanCode, 0, 0);
        QCoreApplication::sendEvent(window, &event);
    };
    key(QEvent::KeyPress, Qt::Key_A, 38);
    key(QEvent::KeyRelease, Qt::Key_A, 38);
    key(QEvent::KeyPress, Qt::Key_Up, 111);
    key(QEvent::KeyPress, Qt::Key_CapsLock, 66);  // goes on to the widget
    EXPECT_EQ(sink.keys,
              (std::vector<std::pair<UINT, uint32_t>>{
                  {kKeyDown, 0x1E}, {kKeyUp, 0x1E}, {kKeyDown, 0x48}, {kKeyDown, 0x3A}}));
    EXPECT_EQ(widget.keyEvents, 1);

    const QPointF at(20, 20);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::BackButton,
                      Qt::BackButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    EXPECT_EQ(sink.buttons, (std::vector<std::pair<UINT, uint32_t>>{{kExtraDown, kExtraBack}}));
    EXPECT_EQ(widget.mousePresses, 1);

    source.Stop();
    key(QEvent::KeyPress, Qt::Key_A, 38);
    EXPECT_EQ(sink.keys.size(), 4u);
    EXPECT_EQ(widget.keyEvents, 2);
}

}  // namespace
