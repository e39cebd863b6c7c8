// What the mouse page's layout costs: building it (every time a mouse is attached and the main
// window makes its page), switching the scale (every control re-takes its sizes), and painting
// the whole page once (the picture panel repaints on every light preview frame).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStackedWidget>
#include <QSvgRenderer>

#include "tests/skin/MouseLayoutSupport.h"

using namespace q840::skin::test;

namespace {

bool HaveSkin(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("Q840_SOURCE_DIR")) {
        state.SkipWithError("set Q840_SOURCE_DIR to the source tree");
        return false;
    }
    return true;
}

void BM_BuildMousePage(benchmark::State& state) {
    if (!HaveSkin(state)) {
        return;
    }
    MousePage warm(96);  // style sheet, language and pictures loaded once, as in the program
    for (auto _ : state) {
        MouseTags tags;
        q840::ui::CPaintManagerUI pm;
        q840::ui::CDialogBuilder builder;
        std::unique_ptr<QWidget> root(builder.Create(kMouseLayout, &tags, &pm));
        benchmark::DoNotOptimize(root.get());
    }
}
BENCHMARK(BM_BuildMousePage)->Unit(benchmark::kMillisecond);

void BM_SwitchScale(benchmark::State& state) {
    if (!HaveSkin(state)) {
        return;
    }
    MousePage page(96);
    int dpi = 96;
    for (auto _ : state) {
        dpi = dpi == 96 ? 144 : 96;
        page.pm.SetDPI(dpi);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_SwitchScale)->Unit(benchmark::kMillisecond);

// The picture panel alone, as a light preview frame repaints it, and the whole page.
void BM_PaintPicturePanel(benchmark::State& state) {
    if (!HaveSkin(state)) {
        return;
    }
    MousePage page(static_cast<int>(state.range(0)));
    QWidget* panel = page.Find("SelectPanel");
    QImage target(panel->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        panel->render(&target);
    }
}
BENCHMARK(BM_PaintPicturePanel)->Arg(96)->Arg(144)->Unit(benchmark::kMillisecond);

// The drawing on its own: what every repaint of the panel pays while pictures are drawn from
// their SVG each time.
void BM_RenderPictureSvg(benchmark::State& state) {
    if (!HaveSkin(state)) {
        return;
    }
    QSvgRenderer drawing(SourceSkin() + "mouse/mouse_top.svg");
    const int scale = static_cast<int>(state.range(0));
    QImage target(360 * scale / 96, 480 * scale / 96, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&target);
        drawing.render(&painter, QRectF(target.rect()));
    }
}
BENCHMARK(BM_RenderPictureSvg)->Arg(96)->Arg(144)->Unit(benchmark::kMillisecond);

void BM_PaintPage(benchmark::State& state) {
    if (!HaveSkin(state)) {
        return;
    }
    MousePage page(96);
    page.Find<QStackedWidget>("device_function_switch")->setCurrentIndex(2);  // DPI: the busiest
    QApplication::processEvents();
    QImage target(page.root->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        page.root->render(&target);
    }
}
BENCHMARK(BM_PaintPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
