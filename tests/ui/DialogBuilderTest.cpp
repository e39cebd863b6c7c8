#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>

#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/ImageDesc.h"

using namespace q840::ui;

namespace {

class RecordingCallback : public IDialogBuilderCallback {
public:
    QWidget* CreateControl(const QString& tag) override {
        asked << tag;
        if (tag == "Special") {
            auto* w = new QLabel("from callback");
            return w;
        }
        return nullptr;
    }
    QStringList asked;
};

class CustomControl : public QWidget, public IUIAttributes {
public:
    void SetAttribute(const QString& name, const QString& value) override {
        received.insert(name, value);
    }
    QHash<QString, QString> received;
};

class DialogBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        CResourceManager::GetInstance().SetResourcePath(m_dir.path());
        CControlFactory::GetInstance().Clear();
    }
    void TearDown() override { CControlFactory::GetInstance().Clear(); }

    void WriteFile(const QString& name, const QString& text) {
        QFile file(m_dir.filePath(name));
        QDir().mkpath(QFileInfo(file).absolutePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    QTemporaryDir m_dir;
    CPaintManagerUI m_pm;
};

TEST_F(DialogBuilderTest, BuildsTagsWithTheirAttributesAndFindsThemByName) {
    const char* xml = R"(<Window size="400,300" caption="0,0,0,40">
      <VerticalLayout name="root" inset="8,8,8,8" childpadding="4">
        <Button name="ok" text="Press" width="80" height="30" tooltip="tip" userdata="42"/>
        <Option name="o1" group="g" selected="true"/>
        <Option name="o2" group="g"/>
        <CheckBox name="check" selected="true"/>
        <Slider name="s" min="1" max="9" value="5"/>
        <Combo name="c"><ListLabelElement text="a" userdata="1"/><ListLabelElement text="b" selected="true"/></Combo>
        <Label name="hidden" visible="false" enabled="false"/>
        <TabLayout name="tabs" selectedid="1"><Control name="t0"/><Control name="t1"/></TabLayout>
        <Control name="floating" float="true" pos="10,20,50,60"/>
      </VerticalLayout>
    </Window>)";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, nullptr, &m_pm));
    ASSERT_NE(root, nullptr);
    m_pm.AttachRoot(root.get());
    EXPECT_EQ(builder.GetWindowAttributes().value("size"), "400,300");

    auto* ok = m_pm.FindControl<QPushButton>("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "Press");
    EXPECT_EQ(ok->toolTip(), "tip");
    EXPECT_EQ(ok->width(), 80);
    EXPECT_EQ(ok->maximumHeight(), 30);
    EXPECT_EQ(ok->property("dui_userdata").toString(), "42");

    auto* o1 = m_pm.FindControl<QPushButton>("o1");
    auto* o2 = m_pm.FindControl<QPushButton>("o2");
    ASSERT_TRUE(o1 && o2);
    EXPECT_TRUE(o1->isChecked());
    o2->setChecked(true);  // the group is exclusive
    EXPECT_FALSE(o1->isChecked());
    EXPECT_EQ(m_pm.GetOptionGroup("g").size(), 2);

    EXPECT_TRUE(m_pm.FindControl<QCheckBox>("check")->isChecked());
    auto* slider = m_pm.FindControl<QSlider>("s");
    EXPECT_EQ(slider->minimum(), 1);
    EXPECT_EQ(slider->maximum(), 9);
    EXPECT_EQ(slider->value(), 5);
    auto* combo = m_pm.FindControl<QComboBox>("c");
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->itemData(0).toString(), "1");
    auto* hidden = m_pm.FindControl("hidden");
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_FALSE(hidden->isEnabled());
    EXPECT_EQ(m_pm.FindControl<QStackedWidget>("tabs")->currentIndex(), 1);

    QWidget* floating = m_pm.FindControl("floating");
    EXPECT_EQ(floating->geometry(), QRect(10, 20, 40, 40));
    EXPECT_EQ(root->layout()->indexOf(floating), -1);  // placed absolutely, not by the layout
    EXPECT_EQ(root->layout()->contentsMargins(), QMargins(8, 8, 8, 8));
    EXPECT_EQ(root->layout()->spacing(), 4);

    m_pm.SetDPI(144);  // sizes follow the scale
    EXPECT_EQ(ok->width(), 120);
    EXPECT_EQ(floating->geometry(), QRect(15, 30, 60, 60));
    EXPECT_EQ(root->layout()->contentsMargins(), QMargins(12, 12, 12, 12));
}

TEST_F(DialogBuilderTest, AsksCallbackThenFactoryThenBuiltInsAndSkipsUnknownTags) {
    CControlFactory::GetInstance().RegistControl("Special",
                                                 [] { return new QPushButton("factory"); });
    CControlFactory::GetInstance().RegistControl("Button", [] { return new CustomControl(); });
    CControlFactory::GetInstance().RegistControl("Fancy", [] { return new CustomControl(); });
    RecordingCallback callback;
    const char* xml = R"(<VerticalLayout name="root">
        <Special name="a"/>
        <Button name="b"/>
        <Fancy name="f" colour="#FF00FF00" min="3"/>
        <NoSuchTag name="x"><Label name="child_of_unknown"/></NoSuchTag>
        <Label name="after"/>
      </VerticalLayout>)";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, &callback, &m_pm));
    ASSERT_NE(root, nullptr);
    m_pm.AttachRoot(root.get());

    // The callback wins over the factory, the factory over the built-in tag.
    EXPECT_NE(m_pm.FindControl<QLabel>("a"), nullptr);
    auto* custom = dynamic_cast<CustomControl*>(m_pm.FindControl("b"));
    EXPECT_NE(custom, nullptr);
    auto* fancy = dynamic_cast<CustomControl*>(m_pm.FindControl("f"));
    ASSERT_NE(fancy, nullptr);
    EXPECT_EQ(fancy->received.value("colour"), "#FF00FF00");
    EXPECT_EQ(fancy->received.value("min"), "3");
    // An unknown tag yields nothing, and nothing of its subtree is built.
    EXPECT_EQ(m_pm.FindControl("x"), nullptr);
    EXPECT_EQ(m_pm.FindControl("child_of_unknown"), nullptr);
    EXPECT_NE(m_pm.FindControl("after"), nullptr);
    EXPECT_TRUE(callback.asked.contains("NoSuchTag"));
    EXPECT_TRUE(callback.asked.contains("Label"));
}

TEST_F(DialogBuilderTest, IncludesSubLayoutsByResourceKeyOrFileAndStopsRunawayNesting) {
    WriteFile("res.xml", R"(<Res><Layout key="XML_PART" file="XML/part.xml"/></Res>)");
    WriteFile(
        "XML/part.xml",
        R"(<Window><HorizontalLayout name="part_root"><Button name="part_btn"/></HorizontalLayout></Window>)");
    WriteFile("XML/self.xml",
              R"(<VerticalLayout><Include source="XML/self.xml"/></VerticalLayout>)");
    ASSERT_TRUE(CResourceManager::GetInstance().LoadResource("res.xml"));
    const char* xml = R"(<VerticalLayout name="root">
        <Include source="XML_PART"/>
        <Include source="XML/part.xml" count="2"/>
        <Include source="XML/missing.xml"/>
        <Include source="XML/self.xml"/>
      </VerticalLayout>)";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, nullptr, &m_pm));
    ASSERT_NE(root, nullptr);
    m_pm.AttachRoot(root.get());
    EXPECT_EQ(m_pm.FindControlsByPrefix("part_btn").size(), 3);
    EXPECT_EQ(root->findChild<QWidget*>("part_root")->parentWidget(), root.get());
}

TEST_F(DialogBuilderTest, IncludesThatMultiplyStopAtABoundedNumberOfLayouts) {
    // Each level includes itself twice: left alone, 2^16 layouts at the nesting limit.
    WriteFile("XML/twice.xml",
              R"(<VerticalLayout><Button name="b"/><Include source="XML/twice.xml" count="2"/></VerticalLayout>)");
    const char* xml = R"(<VerticalLayout name="root">
        <Include source="XML/twice.xml"/>
        <Include source="XML/twice.xml" count="2000000000"/>
      </VerticalLayout>)";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, nullptr, &m_pm));
    ASSERT_NE(root, nullptr);
    const int buttons = root->findChildren<QPushButton*>("b").size();
    EXPECT_GT(buttons, 16);
    EXPECT_LE(buttons, 1024);

    // The bound is per build: the next build of the same builder includes again.
    std::unique_ptr<QWidget> again(
        builder.CreateFromText(R"(<VerticalLayout><Include source="XML/twice.xml"/></VerticalLayout>)",
                               nullptr, &m_pm));
    ASSERT_NE(again, nullptr);
    EXPECT_GT(again->findChildren<QPushButton*>("b").size(), 16);
}

TEST_F(DialogBuilderTest, MalformedOrMissingLayoutGivesNoControl) {
    CDialogBuilder builder;
    EXPECT_EQ(builder.CreateFromText("<VerticalLayout><Button></VerticalLayout>", nullptr, &m_pm),
              nullptr);
    EXPECT_EQ(builder.Create("XML/none.xml", nullptr, &m_pm), nullptr);
}

TEST_F(DialogBuilderTest, PaddingTakesRoomOnlyWhileTheControlIsShown) {
    const char* xml = R"(<HorizontalLayout name="root">
        <Button name="padded" width="20" padding="5,0,7,0"/>
      </HorizontalLayout>)";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, nullptr, &m_pm));
    m_pm.AttachRoot(root.get());
    root->show();
    QWidget* padded = m_pm.FindControl("padded");
    QWidget* wrapper = padded->parentWidget();
    ASSERT_NE(wrapper, root.get());
    EXPECT_EQ(wrapper->sizeHint().width(), 32);
    padded->hide();
    EXPECT_TRUE(wrapper->isHidden());
    padded->show();
    EXPECT_FALSE(wrapper->isHidden());
}

}  // namespace

namespace {
TEST_F(DialogBuilderTest, OwnColoursAndBordersFollowTheScaleAndListRowsAreItems) {
    const char* xml = R"(<VerticalLayout name="root">
        <Control name="round" bkcolor="#FF00B4FF" borderround="6" bordersize="2"/>
        <List name="list"><HorizontalLayout name="row"><Label name="row_label"/></HorizontalLayout></List>
      </VerticalLayout>)";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, nullptr, &m_pm));
    m_pm.AttachRoot(root.get());
    QWidget* round = m_pm.FindControl("round");
    EXPECT_TRUE(round->styleSheet().contains("border-radius:6px"));
    EXPECT_TRUE(round->styleSheet().contains("rgba(0,180,255,255)"));
    m_pm.SetDPI(144);
    EXPECT_TRUE(round->styleSheet().contains("border-radius:9px"));
    EXPECT_TRUE(round->styleSheet().contains("border-width:3px"));

    auto* list = m_pm.FindControl<QListWidget>("list");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemWidget(list->item(0)), m_pm.FindControl("row"));
}
}  // namespace

TEST_F(DialogBuilderTest, RangesAndGroupsApplyBeforeValuesWhateverTheParserOrder) {
    // A value above the default range of 0-99 survives only when the range comes first; many
    // controls make it likely that at least one would meet the other order.
    QString xml = "<VerticalLayout name=\"root\">";
    for (int i = 0; i < 40; ++i) {
        xml += QString("<Slider name=\"s%1\" value=\"140\" max=\"149\" min=\"2\"/>").arg(i);
    }
    xml += "<Slider name=\"low\" value=\"1\" min=\"5\" max=\"9\"/></VerticalLayout>";
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(xml, nullptr, &m_pm));
    ASSERT_NE(root, nullptr);
    for (int i = 0; i < 40; ++i) {
        auto* slider = root->findChild<QSlider*>(QString("s%1").arg(i));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->value(), 140) << i;
        EXPECT_EQ(slider->minimum(), 2);
    }
    EXPECT_EQ(root->findChild<QSlider*>("low")->value(), 5);  // clamped into its own range
}

TEST_F(DialogBuilderTest, SvgPicturesDrawTheSameFromTheirCacheAndFollowTheirSize) {
    WriteFile("pic.svg",
              "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
              "<rect x='0' y='0' width='5' height='10' fill='#ff0000'/>"
              "<rect x='5' y='0' width='5' height='10' fill='#0000ff'/></svg>");
    const ImageDesc desc = ImageDesc::Parse("pic.svg");
    auto draw = [&](int size) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        EXPECT_TRUE(desc.Draw(painter, QRectF(0, 0, size, size)));
        return image;
    };
    const QImage first = draw(40);
    const QImage second = draw(40);  // from the cache
    EXPECT_EQ(first, second);
    EXPECT_EQ(QColor(first.pixel(5, 20)), QColor(Qt::red));
    EXPECT_EQ(QColor(first.pixel(35, 20)), QColor(Qt::blue));
    const QImage larger = draw(80);  // another size is drawn anew, not stretched
    EXPECT_EQ(QColor(larger.pixel(75, 40)), QColor(Qt::blue));
    EXPECT_EQ(QColor(larger.pixel(5, 40)), QColor(Qt::red));
}
