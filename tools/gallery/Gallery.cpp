#include "tools/gallery/Gallery.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cmath>

#include "controls/CAudioRecordUI.h"
#include "controls/CChartViewUI.h"
#include "controls/CComboEditContainerElementUI.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CHandImgButtonUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "controls/CWndUI.h"
#include "controls/Controls.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"

namespace q840::gallery {

using namespace q840::controls;

namespace {
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

void FillRows(ui::CPaintManagerUI& pm) {
    const char* steps[][3] = {{"Left button", "press", "50"}, {"Left button", "release", "120"}};
    for (int i = 0; i < 2; ++i) {
        auto* row = pm.FindControl<CComboEditContainerElementUI>(QString("gallery_row_%1").arg(i));
        if (row == nullptr) {
            continue;
        }
        if (QLabel* text = row->GetText1()) {
            text->setText(steps[i][0]);
        }
        if (QLabel* text = row->GetText2()) {
            text->setText(steps[i][1]);
        }
        if (QLineEdit* edit = row->GetDelayEdit()) {
            edit->setText(steps[i][2]);
        }
        row->Select(i == 0);
    }
}
}  // namespace

Gallery BuildGallery(const QString& skinFolder, int dpi) {
    Gallery gallery;
    ui::CPaintManagerUI::SetResourcePath(skinFolder);
    ui::CResourceManager::GetInstance().SetResourcePath(skinFolder);
    ui::ApplyGlobalStyleSheet("style.qss", dpi);
    RegisterControls();

    gallery.manager = std::make_unique<ui::CPaintManagerUI>();
    ui::CPaintManagerUI& pm = *gallery.manager;
    pm.SetDPI(dpi);
    ui::CDialogBuilder builder;
    gallery.root.reset(builder.Create("XML/Gallery.xml", nullptr, &pm));
    if (!gallery.root) {
        return gallery;
    }
    pm.AttachRoot(gallery.root.get());
    const QStringList size = builder.GetWindowAttributes().value("size", "840,560").split(',');
    gallery.root->resize(pm.Scale(size.value(0).toInt()), pm.Scale(size.value(1).toInt()));
    gallery.root->setAttribute(Qt::WA_DontShowOnScreen);
    gallery.root->show();
    Settle();

    // Key buttons: one lit, one whose key is not set; then a rubber band over the last two.
    if (auto* key = pm.FindControl<CDeviceKeyButtonUI>("key_1")) {
        key->SetLight(true);
    }
    if (auto* key = pm.FindControl<CDeviceKeyButtonUI>("key_2")) {
        key->SetKeySet(false);
    }
    // LED buttons: three coloured by the layout, the last by a light preview.
    if (auto* led = pm.FindControl<CDeviceKeyButtonUI>("light_3")) {
        led->SetBkColor(0xFFFFB020);
    }
    if (auto* panel = pm.FindControl<CSelectPanelUI>("gallery_select_panel")) {
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(pm.Scale(150), pm.Scale(66)));
        QTest::mouseMove(panel, QPoint(pm.Scale(236), pm.Scale(40)));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(pm.Scale(236), pm.Scale(40)));
    }

    // The picture button with its delete mark, pointer over the mark.
    if (auto* hand = pm.FindControl<CHandImgButtonUI>("gallery_hand_button")) {
        hand->SetDeleteSwitch(true);
        const QPointF inside = hand->GetDeleteRect().center();
        QEnterEvent enter(inside, hand->mapToGlobal(inside), hand->mapToGlobal(inside));
        QApplication::sendEvent(hand, &enter);
    }

    // The large picture dragged 60 px left and 30 px up (its part moves right and down).
    if (auto* drag = pm.FindControl<CHandImgSelectButtonUI>("gallery_select_button")) {
        const QPoint from(pm.Scale(150), pm.Scale(90));
        const QPoint to = from - QPoint(pm.Scale(60), pm.Scale(30));
        QTest::mousePress(drag, Qt::LeftButton, {}, from);
        QTest::mouseMove(drag, to);
        QTest::mouseRelease(drag, Qt::LeftButton, {}, to);
    }

    // A hosted window: a child of the gallery's root placed over the CWndUI.
    if (auto* host = pm.FindControl<CWndUI>("gallery_wnd")) {
        auto* hosted = new QLabel("hosted window", gallery.root.get());
        hosted->setAlignment(Qt::AlignCenter);
        hosted->setStyleSheet("background:#272B34;border:1px dashed #9AA3AE;border-radius:4px;");
        host->Attach(hosted);
    }

    FillRows(pm);

    if (auto* audio = pm.FindControl<CAudioRecordUI>("gallery_audio")) {
        int values[CAudioRecordUI::kValueCount];
        for (int i = 0; i < CAudioRecordUI::kValueCount; ++i) {
            const double envelope = 0.55 + 0.45 * std::sin(i / 9.0);
            values[i] = static_cast<int>(8192 * envelope * std::fabs(std::sin(i / 2.3)));
        }
        audio->SetValues(values, CAudioRecordUI::kValueCount);
    }
    if (auto* pie = pm.FindControl<CChartViewUI>("gallery_pie")) {
        pie->Add("Left button", 40);
        pie->Add("Right button", 25);
        pie->Add("Wheel", 15);
        pie->Add("DPI", 20);
    }
    if (auto* bars = pm.FindControl<CChartViewUI>("gallery_bars")) {
        const int values[] = {30, 75, 100, 55, 20};
        for (int i = 0; i < 5; ++i) {
            bars->Add(QString("<b>%1</b>").arg(i + 1), values[i]);
        }
    }
    Settle();
    return gallery;
}

QImage RenderGallery(const QString& skinFolder, int dpi) {
    Gallery gallery = BuildGallery(skinFolder, dpi);
    if (!gallery.root) {
        return {};
    }
    return gallery.root->grab().toImage();
}

}  // namespace q840::gallery
