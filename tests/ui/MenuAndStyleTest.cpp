#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>

#include "platform/MessageTarget.h"
#include "platform/ui/CMenuWnd.h"
#include "platform/ui/StyleSheet.h"

using namespace q840;
using namespace q840::ui;

namespace {

class MenuReceiver : public CMessageTarget {
public:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM) override {
        if (msg == 1145) {
            std::unique_ptr<MenuCmd> cmd(reinterpret_cast<MenuCmd*>(wParam));
            names << cmd->name;
            texts << cmd->text;
        }
        return 0;
    }
    QStringList names;
    QStringList texts;
};

TEST(MenuWnd, BuildsFromXmlAndPostsTheClickedEntryToItsOwner) {
    MenuReceiver receiver;
    auto* menu = new CMenuWnd(&receiver, 1145);
    ASSERT_TRUE(menu->LoadFromText(
        R"(<Menu><MenuElement name="show" text="menu_show"/><Separator/><MenuElement name="exit" text="menu_exit"/></Menu>)"));
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions[1]->isSeparator());
    actions[2]->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.names, QStringList({"exit"}));
    EXPECT_EQ(receiver.texts, QStringList({"menu_exit"}));
    delete menu;
    EXPECT_FALSE(CMenuWnd(&receiver, 1145).LoadFromText("<Menu/>"));
}

TEST(MenuWnd, AlignmentPlacesTheMenuOnTheRequestedSideOfTheAnchor) {
    const QSize size(100, 50);
    const QPoint anchor(500, 400);
    EXPECT_EQ(CMenuWnd::PlaceAt(anchor, eMenuAlignment_Left | eMenuAlignment_Top, size), anchor);
    EXPECT_EQ(CMenuWnd::PlaceAt(anchor, eMenuAlignment_Right | eMenuAlignment_Top, size),
              QPoint(400, 400));
    EXPECT_EQ(CMenuWnd::PlaceAt(anchor, eMenuAlignment_Left | eMenuAlignment_Bottom, size),
              QPoint(500, 350));
    EXPECT_EQ(CMenuWnd::PlaceAt(anchor, eMenuAlignment_Right | eMenuAlignment_Bottom, size),
              QPoint(400, 350));
}

TEST(StyleSheet, LengthsScaleWithTheDpiAndEverythingElseStays) {
    const QString sheet = "QLabel { font-size: 12px; margin: 4px 10px; color: #112233; }";
    EXPECT_EQ(ScaleStyleSheet(sheet, 96), sheet);
    EXPECT_EQ(ScaleStyleSheet(sheet, 144),
              "QLabel { font-size: 18px; margin: 6px 15px; color: #112233; }");
}

}  // namespace
