// What a user waits for when the program asks something: building, fitting and closing a message
// box (the modal run itself is answered at once), at both scales and with a short and a long
// text; and opening the about window.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"
#include "windows/CAboutWnd.h"
#include "windows/CMsgWnd.h"

using namespace q840;

namespace {

void BM_ShowMessage(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    const QString text = state.range(1) ? QString("A long message that goes on. ").repeated(60)
                                        : QString("message_text_22");
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 1; });
    for (auto _ : state) {
        benchmark::DoNotOptimize(CMsgWnd::ShowMessage(nullptr, QString(), text, scale, 1, 1));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ui::ModalSeam::SetAnswerer(nullptr);
    windows::SetScaleOfAllWindows(96);
}
BENCHMARK(BM_ShowMessage)
    ->ArgsProduct({{96, 144}, {0, 1}})
    ->ArgNames({"scale", "long"})
    ->Unit(benchmark::kMillisecond);

void BM_ShowAbout(benchmark::State& state) {
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 0; });
    HWND handle = nullptr;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CAboutWnd::ShowAbout(nullptr, handle));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ui::ModalSeam::SetAnswerer(nullptr);
}
BENCHMARK(BM_ShowAbout)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    resources.SetResourcePath(Q840_BENCH_SKIN_DIR);
    resources.LoadResource("res.xml");
    resources.LoadLanguage("lan_en.xml");
    ui::ApplyGlobalStyleSheet("style.qss", 96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
