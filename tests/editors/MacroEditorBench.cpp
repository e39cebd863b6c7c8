// What the macro editor costs the user: a 58-step macro loaded and shown when it is selected,
// and saved from its rows.
//   Q840_SOURCE_DIR=$PWD build/bench/bench_macro_editor
// The median of --benchmark_repetitions=9 is the figure to quote.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "editors/CMacroControlUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "tests/support/TempDir.h"

using namespace q840;

namespace {

class Builder : public ui::IDialogBuilderCallback {
public:
    QWidget* CreateControl(const QString& tag) override {
        return tag == "CMacroControlUI" ? editors::CMacroControlUI::Create() : nullptr;
    }
};

struct Editor {
    test::TempDir folder;
    ui::CPaintManagerUI pm;
    Builder builder;
    std::unique_ptr<QWidget> root = std::make_unique<QWidget>();
    editors::CMacroControlUI* editor = nullptr;

    Editor() {
        const QString skin = qEnvironmentVariable("Q840_SOURCE_DIR") + "/skin/";
        ui::CPaintManagerUI::SetResourcePath(skin);
        ui::CResourceManager::GetInstance().SetResourcePath(skin);
        ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        ui::CDialogBuilder dialog;
        editor = qobject_cast<editors::CMacroControlUI*>(dialog.Create(
            QString::fromLatin1(editors::CMacroControlUI::kLayoutFile), &builder, &pm, root.get()));
        pm.AttachRoot(root.get());
        root->resize(600, 420);
        root->show();
        editor->SetDataFolder(QString::fromStdString(folder.path().string()) + "/");
        editor->LoadMacroIndex();
        QString name;
        editor->CreateMacro(&name);
        for (int i = 0; i < 29; ++i) {
            editor->InsertMenuSteps(i % 2 ? "left_click" : "back_click");
        }
        editor->SaveMacroEvents();
    }
};

void ShowFullMacro(benchmark::State& state) {
    Editor e;
    for (auto _ : state) {
        e.editor->SelectMacro(0);
        QApplication::processEvents();  // the rows laid out and painted
    }
    state.counters["steps"] = e.editor->StepCount();
}
BENCHMARK(ShowFullMacro)->Unit(benchmark::kMillisecond)->UseRealTime();

void SaveFullMacroFromRows(benchmark::State& state) {
    Editor e;
    e.editor->SelectMacro(0);
    for (auto _ : state) {
        if (e.editor->SaveMacroEvents() != 0) {
            state.SkipWithError("save failed");
        }
    }
}
BENCHMARK(SaveFullMacroFromRows)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
