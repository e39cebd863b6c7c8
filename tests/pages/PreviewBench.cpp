// The preview's cost: one frame of each base effect, one push of 15 LEDs onto their buttons, and
// the preview thread's wake-ups and CPU share with one page attached (reported as counters).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "controls/CDeviceKeyButtonUI.h"
#include "pages/COrvenixUSBDevice.h"

namespace {

using q840::pages::COrvenixUSBDevice;
using q840::profile::LightSetting;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_pages";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_RenderFrame(benchmark::State& state) {
    App();
    COrvenixUSBDevice page;
    {
        auto setup = page.GetSetup();
        setup.ledCount = 15;
        page.Setup(setup);
    }
    LightSetting s;
    s.effect = uint8_t(state.range(0));
    s.brightness = 4;
    s.speed = 4;
    s.multiColour = 1;
    page.SetLightSettingsRecord(s);
    for (auto _ : state) {
        page.RenderFrame(s.effect);
        benchmark::DoNotOptimize(page.GetLedColour(0));
    }
}
BENCHMARK(BM_RenderFrame)->Arg(0)->Arg(1)->Arg(3)->Arg(5)->Arg(6)->Arg(8)->Arg(10);

void BM_PushPreview(benchmark::State& state) {
    App();
    COrvenixUSBDevice page;
    {
        auto setup = page.GetSetup();
        setup.layoutPath = "x.xml";
        setup.ledCount = 15;
        page.Setup(setup);
    }
    auto* panel = new QWidget(&page);
    panel->setObjectName("SelectPanel");
    for (int i = 0; i < 15; ++i) {
        (new q840::controls::CDeviceKeyButtonUI(panel))->setObjectName(QString("light_%1").arg(i));
    }
    page.BuildLayout();
    LightSetting s;
    s.effect = 3;  // every frame changes every LED
    s.brightness = 4;
    page.SetLightSettingsRecord(s);
    for (auto _ : state) {
        page.RenderFrame(3);
        page.PushPreview();
    }
}
BENCHMARK(BM_PushPreview);

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the preview thread for a second per iteration at the given speed and reports its
// wake-ups per second and the process CPU share it costs (the benchmark thread only sleeps).
void BM_PreviewThreadOneSecond(benchmark::State& state) {
    App();
    for (auto _ : state) {
        COrvenixUSBDevice page;
        {
            auto setup = page.GetSetup();
            setup.ledCount = 15;
            page.Setup(setup);
        }
        LightSetting s;
        s.effect = 1;
        s.brightness = 4;
        s.speed = uint8_t(state.range(0));
        page.SetLightSettingsRecord(s);
        page.CommandProtocol().SetOpen(true);
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const auto t0 = std::chrono::steady_clock::now();
        page.StartPreview();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const uint64_t wakeups = page.PreviewWakeups();
        page.StopPreview();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        auto secs = [](const rusage& u) {
            return u.ru_utime.tv_sec + u.ru_stime.tv_sec +
                   (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
        };
        state.counters["wakeups_per_s"] = double(wakeups) / wall;
        state.counters["cpu_percent"] = 100.0 * (secs(after) - secs(before)) / wall;
    }
    (void)CpuSeconds;
}
BENCHMARK(BM_PreviewThreadOneSecond)->Arg(0)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
