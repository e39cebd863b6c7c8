#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"

using namespace q840::ui;

namespace {

class Recorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        events << msg.sType + ":" + (msg.pSender ? msg.pSender->objectName() : QString()) + ":" +
                      QString::number(msg.wParam);
    }
    QStringList events;
};

class NotifyPumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* xml = R"(<VerticalLayout name="root">
            <Button name="btn"/>
            <Option name="opt_a" group="grp"/>
            <Option name="opt_b" group="grp"/>
            <Slider name="slider" min="0" max="10" value="5"/>
            <Combo name="combo"><ListLabelElement text="zero"/><ListLabelElement text="one"/></Combo>
            <Edit name="edit"/>
          </VerticalLayout>)";
        CDialogBuilder builder;
        m_root.reset(builder.CreateFromText(xml, nullptr, &m_pm));
        ASSERT_NE(m_root, nullptr);
        m_pm.AttachRoot(m_root.get());
        m_pm.AddNotifier(&m_recorder);
        m_root->show();
    }
    CPaintManagerUI m_pm;
    std::unique_ptr<QWidget> m_root;
    Recorder m_recorder;
};

TEST_F(NotifyPumpTest, UserActionsNotifyAndProgrammaticChangesDoNot) {
    auto* btn = m_pm.FindControl<QPushButton>("btn");
    auto* optA = m_pm.FindControl<QPushButton>("opt_a");
    auto* optB = m_pm.FindControl<QPushButton>("opt_b");
    auto* slider = m_pm.FindControl<QSlider>("slider");
    auto* combo = m_pm.FindControl<QComboBox>("combo");
    auto* edit = m_pm.FindControl<QLineEdit>("edit");

    // Programmatic changes: silent.
    optB->setChecked(true);
    slider->setValue(7);
    combo->setCurrentIndex(1);
    edit->setText("typed by code");
    EXPECT_TRUE(m_recorder.events.isEmpty()) << m_recorder.events.join(", ").toStdString();

    QTest::mouseClick(btn, Qt::LeftButton);
    QTest::mouseClick(optA, Qt::LeftButton);
    QTest::mouseClick(optA, Qt::LeftButton);  // already selected: a click, no change
    EXPECT_EQ(m_recorder.events,
              QStringList({"click:btn:0", "click:opt_a:0", "selectchanged:opt_a:1", "click:opt_a:0"}));
    EXPECT_FALSE(optB->isChecked());

    m_recorder.events.clear();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(m_recorder.events, QStringList({"valuechanged:slider:8"}));
    m_recorder.events.clear();
    slider->setSliderDown(true);  // dragging
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    slider->setSliderDown(false);  // released
    EXPECT_EQ(m_recorder.events,
              QStringList({"movevaluechanged:slider:9", "valuechanged:slider:9"}));

    m_recorder.events.clear();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    ASSERT_FALSE(m_recorder.events.isEmpty());
    EXPECT_TRUE(m_recorder.events.contains("itemselect:combo:0"))
        << m_recorder.events.join(", ").toStdString();

    m_recorder.events.clear();
    edit->setFocus();
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_recorder.events.count("textchanged:edit:0"), 2);
    EXPECT_TRUE(m_recorder.events.contains("return:edit:0"));
}

TEST_F(NotifyPumpTest, ControlTimersNotifyUntilKilledAndDieWithTheirControl) {
    auto* btn = m_pm.FindControl<QPushButton>("btn");
    ASSERT_TRUE(m_pm.SetTimer(btn, 7, 5));
    QElapsedTimer clock;
    clock.start();
    while (m_recorder.events.count("timer:btn:7") < 2 && clock.elapsed() < 5000) {
        QTest::qWait(5);
    }
    EXPECT_GE(m_recorder.events.count("timer:btn:7"), 2);
    EXPECT_TRUE(m_pm.KillTimer(btn, 7));
    EXPECT_FALSE(m_pm.KillTimer(btn, 7));
    m_recorder.events.clear();
    QTest::qWait(30);
    EXPECT_TRUE(m_recorder.events.isEmpty());

    m_pm.SetTimer(btn, 8, 5);
    delete btn;
    QTest::qWait(30);
    EXPECT_TRUE(m_recorder.events.isEmpty());
}

TEST_F(NotifyPumpTest, ANotifierThatRemovesItselfDoesNotBreakTheDispatch) {
    struct OneShot : INotifyUI {
        CPaintManagerUI* pm;
        int calls = 0;
        void Notify(TNotifyUI&) override {
            ++calls;
            pm->RemoveNotifier(this);
        }
    } oneShot;
    oneShot.pm = &m_pm;
    m_pm.AddNotifier(&oneShot);
    m_pm.SendNotify(m_root.get(), "custom");
    m_pm.SendNotify(m_root.get(), "custom");
    EXPECT_EQ(oneShot.calls, 1);
    EXPECT_EQ(m_recorder.events.count("custom:root:0"), 2);
}

}  // namespace
