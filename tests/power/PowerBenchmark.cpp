// Costs of the battery panel's update (every battery read of every page) and of painting the
// ring progress control.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QVBoxLayout>
#include <memory>

#include "controls/CCircleProgressUI.h"
#include "controls/CMpDevicePowerUI.h"
#include "controls/Controls.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

using namespace q840::controls;

namespace {

void BM_PowerInfoUpdate(benchmark::State& state) {
    const QString skin = QString::fromLocal8Bit(qgetenv("Q840_SOURCE_DIR")) + "/skin/";
    q840::ui::CPaintManagerUI::SetResourcePath(skin);
    q840::ui::CResourceManager::GetInstance().SetResourcePath(skin);
    RegisterControls();
    q840::ui::CPaintManagerUI pm;
    auto host = std::make_unique<QWidget>();
    new QVBoxLayout(host.get());
    q840::ui::CDialogBuilder builder;
    auto* power = qobject_cast<CMpDevicePowerUI*>(
        builder.Create(CMpDevicePowerUI::kLayoutFile, nullptr, &pm, host.get()));
    if (power == nullptr) {
        state.SkipWithError("no layout (set Q840_SOURCE_DIR)");
        return;
    }
    power->SetType(CMpDevicePowerUI::kTypeChargingPad, 0);
    unsigned char record[6] = {50, 2, 0, 1, 0, 1};
    int i = 0;
    for (auto _ : state) {
        record[0] = static_cast<unsigned char>(i % 101);
        record[1] = static_cast<unsigned char>(i % 3);
        record[5] = static_cast<unsigned char>(i % 5);
        power->SetPowerInfo(record, 6);
        ++i;
    }
}
BENCHMARK(BM_PowerInfoUpdate);

void BM_CircleProgressPaint(benchmark::State& state) {
    CCircleProgressUI circle;
    const int size = static_cast<int>(state.range(0));
    circle.resize(size, size);
    QImage target(circle.size(), QImage::Format_ARGB32_Premultiplied);
    int value = 0;
    for (auto _ : state) {
        circle.setValue(value++ % 101);
        circle.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_CircleProgressPaint)->Arg(100)->Arg(150);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
