#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

using namespace q840::ui;

namespace {

void Write(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

QString LanguageFile(std::initializer_list<std::pair<const char*, const char*>> texts) {
    QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Language>";
    for (const auto& [key, text] : texts) {
        xml += QString("<Text key=\"%1\">%2</Text>").arg(key, QString::fromUtf8(text));
    }
    return xml + "</Language>";
}

TEST(Language, KeyTextsFollowALanguageSwitchAndLiteralsStay) {
    QTemporaryDir dir;
    Write(dir.filePath("lan_en.xml"),
          LanguageFile({{"greeting", "Hello"}, {"tip", "Tip"}, {"farewell", "Bye"}}));
    Write(dir.filePath("lan_en.d/extra.xml"), LanguageFile({{"item_one", "One"}, {"two", "Two"}}));
    // The Chinese files lack "farewell" and leave "two" empty: those show the English texts.
    Write(dir.filePath("lan_cn.xml"), LanguageFile({{"greeting", "你好"}, {"tip", "提示"}}));
    Write(dir.filePath("lan_cn.d/extra.xml"), LanguageFile({{"item_one", "一"}, {"two", ""}}));

    CResourceManager& resources = CResourceManager::GetInstance();
    resources.SetResourcePath(dir.path());
    ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));

    CPaintManagerUI pm;
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(
        R"(<VerticalLayout>
             <Label name="key_label" text="greeting" tooltip="tip"/>
             <Button name="literal" text="Plain words"/>
             <Combo name="combo"><ListLabelElement text="item_one"/></Combo>
           </VerticalLayout>)",
        nullptr, &pm));
    pm.AttachRoot(root.get());
    auto* label = pm.FindControl<QLabel>("key_label");
    auto* literal = pm.FindControl<QPushButton>("literal");
    auto* combo = pm.FindControl<QComboBox>("combo");
    EXPECT_EQ(label->text(), "Hello");
    EXPECT_EQ(label->toolTip(), "Tip");
    EXPECT_EQ(combo->itemText(0), "One");

    QSignalSpy changed(&resources, &CResourceManager::languageChanged);
    ASSERT_TRUE(resources.LoadLanguage("lan_cn.xml"));
    resources.ReloadText();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(label->text(), "你好");
    EXPECT_EQ(label->toolTip(), "提示");
    EXPECT_EQ(combo->itemText(0), "一");
    EXPECT_EQ(literal->text(), "Plain words");
    EXPECT_EQ(resources.GetText("farewell"), "Bye");
    EXPECT_EQ(resources.GetText("two"), "Two");

    // Text set by code as a key follows the next switch too (the hidden-label trick).
    resources.SetControlText(literal, "greeting");
    EXPECT_EQ(literal->text(), "你好");
    resources.LoadLanguage("lan_en.xml");
    resources.ReloadText();
    EXPECT_EQ(literal->text(), "Hello");
    EXPECT_EQ(resources.GetText("nope"), QString());

    // A deleted control is simply dropped from the reload.
    root.reset();
    resources.ReloadText();
    EXPECT_FALSE(resources.LoadLanguage("lan_missing.xml"));
}

}  // namespace
