// Costs of the entry's work on the user-interface thread: the preview timer is re-armed every
// 5 ms while a wired device is attached, and the icons change with every device-type or
// synchronisation switch.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>

#include "entry/CDeviceOptionUI.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

using q840::entry::CDeviceOptionUI;

namespace {

struct Strip {
    Strip() {
        q840::ui::CResourceManager::GetInstance().SetResourcePath(
            QString::fromLocal8Bit(qgetenv("Q840_SOURCE_DIR")) + "/skin/");
        q840::ui::CControlFactory::GetInstance().RegistControl("CDeviceOptionUI",
                                                               &CDeviceOptionUI::Create);
        pm.AttachRoot(&root);
        new QHBoxLayout(&root);
        q840::ui::CDialogBuilder builder;
        entry = qobject_cast<CDeviceOptionUI*>(
            builder.Create(CDeviceOptionUI::kLayoutFile, nullptr, &pm, nullptr));
        root.layout()->addWidget(entry);
    }
    QWidget root;
    q840::ui::CPaintManagerUI pm;
    CDeviceOptionUI* entry = nullptr;
};

void BM_RearmPreviewTimer(benchmark::State& state) {
    Strip strip;
    for (auto _ : state) {
        strip.entry->ArmTimer(q840::pages::kTimerPreview, 5);
    }
    strip.entry->KillTimer(q840::pages::kTimerPreview);
}
BENCHMARK(BM_RearmPreviewTimer);

void BM_SwitchSynchroIcons(benchmark::State& state) {
    Strip strip;
    strip.entry->SetEntryDeviceType(2, 0);
    bool on = false;
    for (auto _ : state) {
        on = !on;
        strip.entry->SetSynchro(on);
    }
}
BENCHMARK(BM_SwitchSynchroIcons);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("Q840_SOURCE_DIR").isEmpty()) {
        qputenv("Q840_SOURCE_DIR", Q840_BENCH_SOURCE_DIR);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
