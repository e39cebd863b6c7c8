// The mouse picture with its buttons, and the page as it looks: buttons on the drawing at both
// scales, texts that fit their controls in both languages, and screenshots for a person to judge
// (mouse-page-96.png, mouse-page-144.png and one picture per editor tab in the build folder).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QSvgRenderer>

#include "tests/skin/MouseLayoutSupport.h"

namespace q840::skin::test {
namespace {

using controls::CDeviceKeyButtonUI;

QStringList PictureButtons() {
    QStringList names = {"logo"};
    for (int n = 0; n < 11; ++n)
        names << QString("key_%1").arg(n);
    for (int n = 0; n < 15; ++n)
        names << QString("light_%1").arg(n) << QString("light_0_%1").arg(n);
    return names;
}

QRect InPanel(QWidget* w, QWidget* panel) {
    return QRect(w->mapTo(panel, QPoint(0, 0)), w->size());
}

class MousePicture : public ::testing::TestWithParam<int> {};

TEST_P(MousePicture, ButtonsSitOnTheDrawingAndKeepClearOfEachOther) {
    const int dpi = GetParam();
    MousePage page(dpi);
    ASSERT_NE(page.root, nullptr);
    QWidget* panel = page.Find("SelectPanel");
    ASSERT_NE(panel, nullptr);

    // The drawing is stretched over the whole panel, so the two must have the same shape or the
    // buttons drift off the parts they mark.
    QSvgRenderer drawing(SourceSkin() + "mouse/mouse_top.svg");
    ASSERT_TRUE(drawing.isValid());
    EXPECT_EQ(panel->property("dui_bkimage").toString(), "mouse/mouse_top.svg");
    EXPECT_EQ(panel->size(), QSize(page.pm.Scale(drawing.viewBoxF().width()),
                                   page.pm.Scale(drawing.viewBoxF().height())));

    const QRect bounds = panel->rect();
    QVector<QPair<QString, QRect>> placed;
    for (const QString& name : PictureButtons()) {
        auto* button = page.Find<CDeviceKeyButtonUI>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        EXPECT_TRUE(button->isVisible()) << name.toStdString();
        const QRect r = InPanel(button, panel);
        EXPECT_TRUE(bounds.contains(r)) << name.toStdString() << " outside the picture";
        // Positions scale with the window: the layout's pos at 96, times 1.5 at 144.
        const QStringList pos = button->property("dui_pos").toString().split(',');
        ASSERT_EQ(pos.size(), 4);
        EXPECT_EQ(r.topLeft(), QPoint(page.pm.Scale(pos[0].toInt()), page.pm.Scale(pos[1].toInt())))
            << name.toStdString();
        // Big enough to hit: key markers at least 20 x 16, LEDs at least 8 x 8 (at 96).
        const bool key = name.startsWith("key_");
        EXPECT_GE(r.width(), page.pm.Scale(key ? 20 : 8)) << name.toStdString();
        EXPECT_GE(r.height(), page.pm.Scale(key ? 16 : 8)) << name.toStdString();
        for (const auto& [other, rect] : placed) {
            EXPECT_FALSE(r.intersects(rect))
                << name.toStdString() << " overlaps " << other.toStdString();
        }
        placed.push_back({name, r});
    }
    // The light bar is one straight row, in LED order, under the mouse.
    for (int n = 1; n < 15; ++n) {
        const QRect prev = InPanel(page.Find(QString("light_0_%1").arg(n - 1)), panel);
        const QRect cur = InPanel(page.Find(QString("light_0_%1").arg(n)), panel);
        EXPECT_EQ(cur.top(), prev.top());
        EXPECT_GT(cur.left(), prev.right());
    }
    for (int n = 0; n < 15; ++n) {
        EXPECT_GT(InPanel(page.Find(QString("light_0_%1").arg(n)), panel).top(),
                  InPanel(page.Find(QString("light_%1").arg(n)), panel).bottom());
    }
}

// A text wider than its control is cut off; this is what a person would first notice on a
// screenshot in the other language or at the other scale.
class MouseTextsFit : public ::testing::TestWithParam<std::tuple<int, const char*>> {};

TEST_P(MouseTextsFit, EveryTextFitsItsControl) {
    const auto [dpi, language] = GetParam();
    MousePage page(dpi, language);
    ASSERT_NE(page.root, nullptr);
    // The 2000 Hz report rate is hidden by the layout; a page that offers it shows it.
    page.Find("polling_rate_option_4")->show();
    auto* function = page.Find<QStackedWidget>("device_function_switch");
    auto* keys = page.Find<QStackedWidget>("device_key_function_switch");
    // The key editor on a key of each of its function pages, so that every page is looked at.
    auto* keyEditor = page.Find<editors::CKeySetControlUI>("KeySetControlItem");
    ASSERT_NE(keyEditor, nullptr);
    keyEditor->InitControls();
    keyEditor->SetMacroNames({"copy + click"});
    const std::vector<uint32_t> editorCodes = {0x100100, 0x100400, 0x11358A, 0x1235F6,
                                               0x130200, 0x147802, 0x200204, 0x30CD00,
                                               0x400200, 0x710003, 0x720100, 0x201006};
    for (int tab = 0; tab < function->count(); ++tab) {
        function->setCurrentIndex(tab);
        for (int key = 0; key < (tab == 0 ? 2 : 1); ++key) {
            const bool editorTab = tab == 0 && key == 1;
            for (size_t code = 0; code < (editorTab ? editorCodes.size() : 1); ++code) {
                if (editorTab) {
                    profile::KeyAssignmentPair pair;
                    pair.current.SetCode(editorCodes[code]);
                    pair.defaults.SetCode(editorCodes[0]);
                    keyEditor->SetKeyName("mouse_key_M8_key");
                    keyEditor->SetKeyAssignment(pair);
                }
                keys->setCurrentIndex(key);
                MousePage::Settle();
                for (QWidget* w : page.root->findChildren<QWidget*>()) {
                    if (!w->isVisible()) {
                        continue;
                    }
                    const QFontMetrics metrics(w->font());
                    const std::string where = w->objectName().toStdString() + " (" +
                                              ui::CResourceManager::RawText(w).toStdString() +
                                              ") on tab " + std::to_string(tab) + " view " +
                                              std::to_string(code);
                    if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
                        EXPECT_LE(metrics.horizontalAdvance(label->text()),
                                  label->contentsRect().width())
                            << where;
                        EXPECT_LE(metrics.height(), label->height()) << where;
                    } else if (auto* label = qobject_cast<QLabel*>(w)) {
                        const QRect need = metrics.boundingRect(label->contentsRect(),
                                                                Qt::TextWordWrap, label->text());
                        EXPECT_LE(need.height(), label->contentsRect().height()) << where;
                    } else if (auto* button = qobject_cast<QPushButton*>(w);
                               button && !button->text().isEmpty() &&
                               qobject_cast<CDeviceKeyButtonUI*>(w) == nullptr) {
                        // The text inside the style's border and padding; options are measured
                        // bold, as some look when selected.
                        QStyleOptionButton option;
                        option.initFrom(button);
                        const QRect contents = button->style()->subElementRect(
                            QStyle::SE_PushButtonContents, &option, button);
                        QFont font = button->font();
                        if (button->isCheckable()) {
                            font.setWeight(QFont::DemiBold);
                        }
                        EXPECT_LE(QFontMetrics(font).horizontalAdvance(button->text()),
                                  contents.width())
                            << where;
                    } else if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(w);
                               key && !key->text().isEmpty()) {
                        // Key markers draw their text centred over the whole marker.
                        EXPECT_LE(metrics.horizontalAdvance(key->text()) + page.pm.Scale(4),
                                  key->width())
                            << where;
                    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                        int widest = 0;
                        for (int i = 0; i < combo->count(); ++i) {
                            widest = qMax(widest, metrics.horizontalAdvance(combo->itemText(i)));
                        }
                        // Text, padding and the drop-down arrow.
                        EXPECT_LE(widest + page.pm.Scale(36), combo->width()) << where;
                    }
                }
                if (QString(language) != "lan_en.xml") {
                    // The other language's pictures, for looking at.
                    page.root->grab().toImage().save(BuildDir() +
                                                     QString("/mouse-page-%1-%2-tab%3-%4.png")
                                                         .arg(dpi)
                                                         .arg(QString(language).mid(4, 2))
                                                         .arg(tab)
                                                         .arg(key + int(code)));
                }
            }
        }
    }
}

// The macro editor's line under the steps while a recording runs (hidden otherwise): each of its
// three texts whole, in both languages and scales.
TEST_P(MouseTextsFit, RecordingHintsFitTheirLine) {
    const auto [dpi, language] = GetParam();
    MousePage page(dpi, language);
    ASSERT_NE(page.root, nullptr);
    auto* editor = page.Find<editors::CMacroControlUI>("MacroControlItem");
    ASSERT_NE(editor, nullptr);
    // Every stack the editor sits in turned to it (the function tabs, macros or shoot patterns).
    for (QWidget* up = editor; up != nullptr; up = up->parentWidget()) {
        if (auto* stack = qobject_cast<QStackedWidget*>(up->parentWidget())) {
            stack->setCurrentWidget(up);
        }
    }
    auto* hint = page.Find<QLabel>("macro_record_hint");
    for (const char* key :
         {"macro_record_desktop", "macro_record_window_only", "macro_record_failed_hint"}) {
        editor->SetRecordHint(QString::fromLatin1(key));
        MousePage::Settle();
        ASSERT_TRUE(hint->isVisible()) << key;
        const QRect need = hint->fontMetrics().boundingRect(hint->contentsRect(),
                                                            Qt::TextWordWrap, hint->text());
        EXPECT_LE(need.height(), hint->contentsRect().height()) << key;
        EXPECT_LE(need.width(), hint->contentsRect().width()) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(ScalesAndLanguages, MouseTextsFit,
                         ::testing::Combine(::testing::Values(96, 144),
                                            ::testing::Values("lan_en.xml", "lan_cn.xml")),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "_" +
                                    std::string(std::get<1>(info.param)).substr(4, 2);
                         });

// Lights as a running preview paints them: a rainbow round the mouse and along the bar.
void PaintPreview(MousePage& page) {
    for (int n = 0; n < 15; ++n) {
        const QRgb colour = QColor::fromHsv(n * 24, 255, 255).rgba();
        if (auto* led = page.Find<CDeviceKeyButtonUI>(QString("light_%1").arg(n))) {
            led->SetBkColor(colour);
        }
        if (auto* led = page.Find<CDeviceKeyButtonUI>(QString("light_0_%1").arg(n))) {
            led->SetBkColor(colour);
        }
    }
    if (auto* logo = page.Find<CDeviceKeyButtonUI>("logo")) {
        logo->SetBkColor(0xFF00B4FF);
    }
}

TEST_P(MousePicture, RendersThePageForAPerson) {
    const int dpi = GetParam();
    MousePage page(dpi);
    ASSERT_NE(page.root, nullptr);
    PaintPreview(page);
    // One key the user picked, one with a changed assignment.
    page.Find<CDeviceKeyButtonUI>("key_0")->SetSelected(true);
    page.Find<CDeviceKeyButtonUI>("key_3")->SetKeySet(false);
    MousePage::Settle();

    // Whatever editor is shown, the content fits the main window's page area at this scale.
    const QSize area(page.pm.Scale(kPageWidth), page.pm.Scale(kPageHeight));
    const QSize needed = page.Find("mouse_device_seting_layout")->minimumSizeHint();
    EXPECT_LE(needed.width(), area.width());
    EXPECT_LE(needed.height(), area.height());

    // The page is transparent over the main window's background (the skin's colour or picture):
    // rendered here over the default window colour.
    QImage image(page.root->size(), QImage::Format_RGB32);
    image.fill(QColor(0x14, 0x16, 0x1B));
    page.root->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(image.size(), area);
    // The page is dark and the picture's card lighter than the page around it.
    QWidget* panel = page.Find("SelectPanel");
    const QPoint card =
        panel->mapTo(page.root.get(), QPoint(page.pm.Scale(4), panel->height() / 2));
    EXPECT_EQ(image.pixelColor(page.pm.Scale(4), page.pm.Scale(4)), QColor(0x14, 0x16, 0x1B));
    EXPECT_EQ(image.pixelColor(card), QColor(0x1D, 0x20, 0x27));
    // A painted LED shows its colour at its centre.
    QWidget* led = page.Find("light_0_0");
    EXPECT_EQ(image.pixel(led->mapTo(page.root.get(), led->rect().center())),
              QColor::fromHsv(0, 255, 255).rgb());
    const QString out = BuildDir() + QString("/mouse-page-%1.png").arg(dpi);
    EXPECT_TRUE(image.save(out, "PNG")) << out.toStdString();

    // Every editor tab, for looking at.
    auto* function = page.Find<QStackedWidget>("device_function_switch");
    for (int tab = 0; tab < function->count(); ++tab) {
        function->setCurrentIndex(tab);
        MousePage::Settle();
        page.root->grab().toImage().save(BuildDir() +
                                         QString("/mouse-page-%1-tab%2.png").arg(dpi).arg(tab));
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, MousePicture, ::testing::Values(96, 144));

}  // namespace
}  // namespace q840::skin::test
