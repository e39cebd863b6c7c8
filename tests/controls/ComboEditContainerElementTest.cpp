#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "controls/CComboEditContainerElementUI.h"
#include "controls/Controls.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;

namespace {

class ComboEditContainerElementTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        UseSourceSkin();
        auto* column = new QVBoxLayout(root.get());
        for (int i = 0; i < 3; ++i) {
            auto* row = new CComboEditContainerElementUI(root.get());
            row->setObjectName(QString("row_%1").arg(i));
            row->setFixedHeight(30);
            column->addWidget(row);
            rows.push_back(row);
        }
        ShowRoot();
    }
    std::vector<bool> Selected() const {
        std::vector<bool> flags;
        for (auto* row : rows) {
            flags.push_back(row->IsSelected());
        }
        return flags;
    }
    std::vector<CComboEditContainerElementUI*> rows;
};

TEST_F(ComboEditContainerElementTest, BuildsItsContentFromItsOwnLayout) {
    CComboEditContainerElementUI* row = rows[0];
    EXPECT_TRUE(row->IsInitialised()) << "built when shown";
    ASSERT_NE(row->GetText1(), nullptr);
    ASSERT_NE(row->GetText2(), nullptr);
    ASSERT_NE(row->GetDelayEdit(), nullptr);
    EXPECT_EQ(row->GetDelayEdit()->maxLength(), 6);
    EXPECT_TRUE(row->DoInit()) << "a second init keeps the first content";
    EXPECT_EQ(row->findChildren<QLineEdit*>().size(), 1);
    // The content's controls notify through the row's window.
    EXPECT_EQ(q840::ui::CPaintManagerUI::FromControl(row->GetDelayEdit()), &pm);
}

TEST_F(ComboEditContainerElementTest, PressSelectsCtrlTogglesReleaseSendsItemclick) {
    QTest::mouseClick(rows[1], Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(Selected(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(recorder.Types(), QStringList{"itemclick"});
    EXPECT_EQ(recorder.notices[0].sender, rows[1]);

    QTest::mouseClick(rows[2], Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
    EXPECT_EQ(Selected(), (std::vector<bool>{false, true, true}));
    QTest::mouseClick(rows[1], Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
    EXPECT_EQ(Selected(), (std::vector<bool>{false, false, true}));
    QTest::mouseClick(rows[0], Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(Selected(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(recorder.Count("itemclick"), 4);
}

TEST_F(ComboEditContainerElementTest, EnterSendsReturnAndTheContextMenuSendsMenu) {
    rows[0]->setFocus();
    QTest::keyClick(rows[0], Qt::Key_Return);
    QTest::keyClick(rows[0], Qt::Key_Enter);
    QTest::keyClick(rows[0], Qt::Key_A);
    EXPECT_EQ(recorder.Types(), (QStringList{"return", "return"}));

    recorder.notices.clear();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(12, 7),
                           rows[0]->mapToGlobal(QPoint(12, 7)));
    QApplication::sendEvent(rows[0], &menu);
    ASSERT_EQ(recorder.Types(), QStringList{"menu"});
    EXPECT_EQ(recorder.notices[0].ptMouse, QPoint(12, 7));

    recorder.notices.clear();
    rows[0]->setEnabled(false);
    QTest::keyClick(rows[0], Qt::Key_Return);
    QTest::mouseClick(rows[0], Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(recorder.notices.empty()) << recorder.Types().join(',').toStdString();
}

TEST_F(ComboEditContainerElementTest, HotFollowsThePointerAndTimersComeFromTheRow) {
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QApplication::sendEvent(rows[0], &enter);
    EXPECT_TRUE(rows[0]->IsHot());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(rows[0], &leave);
    EXPECT_FALSE(rows[0]->IsHot());

    ASSERT_TRUE(pm.SetTimer(rows[0], 4101, 1));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.Count("timer") > 0, 2000);
    pm.KillTimer(rows[0], 4101);
    EXPECT_EQ(recorder.notices.back().sender, rows[0]);
    EXPECT_EQ(recorder.notices.back().wParam, 4101u);
}

TEST_F(ComboEditContainerElementTest, NotesReturnFromItsOwnEdit) {
    QLineEdit* edit = rows[0]->GetDelayEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(rows[0]->TakeEditNote());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(rows[0]->TakeEditNote());
    EXPECT_FALSE(rows[0]->TakeEditNote());
    EXPECT_FALSE(rows[1]->TakeEditNote());
}

TEST_F(ComboEditContainerElementTest, ARowBuiltBeforeItJoinsAWindowNotifiesThroughItLater) {
    auto* row = new CComboEditContainerElementUI();
    ASSERT_TRUE(row->DoInit());  // no window yet
    root->layout()->addWidget(row);
    row->show();
    QApplication::processEvents();
    QLineEdit* edit = row->GetDelayEdit();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(recorder.Count("return"), 1) << "from the edit only, not again from the row";
    for (const Notice& notice : recorder.notices) {
        EXPECT_EQ(notice.sender, edit) << notice.type.toStdString();
    }
    EXPECT_TRUE(row->TakeEditNote());
}

TEST(ComboEditContainerElementLayoutTest, MissingLayoutLeavesAnEmptyUsableRow) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    q840::ui::CResourceManager::GetInstance().SetResourcePath(empty.path() + '/');
    q840::ui::CPaintManagerUI pm;
    Recorder recorder;
    pm.AddNotifier(&recorder);
    QWidget root;
    root.setAttribute(Qt::WA_DontShowOnScreen);
    pm.AttachRoot(&root);
    auto* row = new CComboEditContainerElementUI(&root);
    row->resize(200, 30);
    root.show();
    QApplication::processEvents();
    EXPECT_TRUE(row->IsInitialised());
    EXPECT_FALSE(row->DoInit());
    EXPECT_EQ(row->GetText1(), nullptr);
    EXPECT_EQ(row->GetText2(), nullptr);
    EXPECT_EQ(row->GetDelayEdit(), nullptr);
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(row->IsSelected());
    EXPECT_EQ(recorder.Count("itemclick"), 1);
    pm.RemoveNotifier(&recorder);
}

TEST(ComboEditContainerElementLayoutTest, BuiltFromALayoutItsContentBelongsToTheSameWindow) {
    UseSourceSkin();
    q840::ui::CControlFactory::GetInstance().Clear();
    RegisterControls();
    q840::ui::CPaintManagerUI pm;
    q840::ui::CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(
        R"(<VerticalLayout name="list"><ComboEditContainerElement name="macro_action" height="30"
              selectedimage="controls/row_selected.svg"/></VerticalLayout>)",
        nullptr, &pm));
    ASSERT_NE(root, nullptr);
    pm.AttachRoot(root.get());
    auto* row = pm.FindControl<CComboEditContainerElementUI>("macro_action");
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->IsInitialised()) << "built as soon as the window's manager is attached";
    EXPECT_NE(pm.FindControl("delay_edit"), nullptr);
    EXPECT_EQ(row->property("dui_selectedimage").toString(), "controls/row_selected.svg");
    q840::ui::CControlFactory::GetInstance().Clear();
}

}  // namespace
