// Drawing costs of the controls that repaint often: the level display (every level frame of the
// recorder), the chart, and the rubber band's release over a full keyboard of key buttons.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "controls/CAudioRecordUI.h"
#include "controls/CChartViewUI.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "platform/ui/CDialogBuilder.h"

using namespace q840::controls;

namespace {

void BM_AudioRecordPaint(benchmark::State& state) {
    CAudioRecordUI audio;
    audio.resize(static_cast<int>(state.range(0)), 120);
    std::vector<int> values(CAudioRecordUI::kValueCount);
    for (int i = 0; i < CAudioRecordUI::kValueCount; ++i) {
        values[i] = static_cast<int>(8192 * std::fabs(std::sin(i / 3.0)));
    }
    QImage target(audio.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        audio.SetValues(values.data(), CAudioRecordUI::kValueCount);
        audio.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_AudioRecordPaint)->Arg(260)->Arg(1000);

void BM_ChartPaint(benchmark::State& state) {
    CChartViewUI chart;
    chart.resize(400, 240);
    chart.SetShowText(true);
    chart.SetView(state.range(0) == 0 ? CChartViewUI::View::Pie : CChartViewUI::View::Histogram);
    for (int i = 0; i < 12; ++i) {
        chart.Add(QString("item %1").arg(i), 10 + i * 7);
    }
    QImage target(chart.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        chart.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_ChartPaint)->Arg(0)->Arg(1);

// Press, drag and release over a panel holding a 104-key keyboard's buttons.
void BM_SelectPanelBand(benchmark::State& state) {
    CSelectPanelUI panel;
    panel.resize(1000, 400);
    for (int i = 0; i < 104; ++i) {
        auto* key = new CDeviceKeyButtonUI(&panel);
        key->setGeometry(10 + (i % 20) * 48, 10 + (i / 20) * 48, 40, 40);
    }
    auto send = [&panel](QEvent::Type type, QPoint pos, Qt::MouseButtons held) {
        QMouseEvent event(type, pos, panel.mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&panel, &event);
    };
    for (auto _ : state) {
        send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
        send(QEvent::MouseMove, {500, 200}, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {500, 200}, Qt::NoButton);
    }
}
BENCHMARK(BM_SelectPanelBand);

// A light preview frame: 16 LED buttons get a new colour and the picture is drawn, through the
// button's own colour (0) or through a per-control style sheet colour (1).
void BM_LedPreviewFrame(benchmark::State& state) {
    QWidget picture;
    picture.resize(400, 200);
    std::vector<CDeviceKeyButtonUI*> leds;
    for (int i = 0; i < 16; ++i) {
        auto* led = new CDeviceKeyButtonUI(&picture);
        led->setGeometry(10 + i * 24, 80, 20, 20);
        leds.push_back(led);
    }
    QImage target(picture.size(), QImage::Format_ARGB32_Premultiplied);
    unsigned frame = 0;
    for (auto _ : state) {
        ++frame;
        for (size_t i = 0; i < leds.size(); ++i) {
            const QRgb colour = qRgb((frame * 7 + i * 16) & 0xFF, (frame * 3) & 0xFF, i * 16);
            if (state.range(0) == 0) {
                leds[i]->SetBkColor(colour);
            } else {
                q840::ui::CDialogBuilder::SetAttribute(
                    leds[i], "bkcolor", QString("#FF%1").arg(colour & 0xFFFFFF, 6, 16, QChar('0')),
                    nullptr);
            }
        }
        picture.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_LedPreviewFrame)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
