// The mouse page's costs: one frame of its own renderers, one push onto both LED rows and the
// logo, putting every setting into the controls, and a settings write and a settings read against
// the simulated mouse by cable with the protocol's real pauses.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "controls/CDeviceKeyButtonUI.h"
#include "core/hid/HidBackend.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"
#include "pages/COrvenixMouseDevice.h"
#include "platform/Paths.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"

namespace {

using q840::pages::COrvenixMouseDevice;
using q840::profile::LightSetting;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_mouse_page";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void SetEffect(COrvenixMouseDevice& page, int effect) {
    LightSetting s;
    s.effect = uint8_t(effect);
    s.brightness = 4;
    s.multiColour = 1;
    page.SetLightSettingsRecord(s);
}

void BM_MouseRenderFrame(benchmark::State& state) {
    App();
    COrvenixMouseDevice page;
    {
        auto setup = page.GetSetup();
        setup.ledCount = 15;
        page.Setup(setup);
    }
    const int effect = int(state.range(0));
    SetEffect(page, effect);
    for (auto _ : state) {
        page.RenderFrame(effect);
        benchmark::DoNotOptimize(page.GetLedColour(0));
    }
}
BENCHMARK(BM_MouseRenderFrame)->Arg(2)->Arg(4)->Arg(7);

// A page with the test layout, in temporary folders with the factory profile.
struct LaidOutPage {
    QTemporaryDir dir;
    q840::ui::CPaintManagerUI pm;
    COrvenixMouseDevice page;

    LaidOutPage() {
        q840::SetUserDataFolder(dir.filePath("user") + "/");
        q840::SetProgramFolder(dir.filePath("prog") + "/");
        QDir().mkpath(dir.filePath("prog/DefaultData"));
        const QString source = qEnvironmentVariable("Q840_SOURCE_DIR", Q840_BENCH_SOURCE_DIR);
        for (const char* file : {"mouse.Json", "default_light.json"}) {
            QFile::copy(source + "/DefaultData/" + file, dir.filePath("prog/DefaultData/") + file);
        }
        q840::ui::CControlFactory::GetInstance().RegistControl(
            "DeviceKeyButton", [] { return q840::controls::CDeviceKeyButtonUI::Create(); });
        QFile layout(source + "/tests/pages/mouse_test_layout.xml");
        layout.open(QIODevice::ReadOnly);
        q840::ui::CDialogBuilder builder;
        builder.CreateFromText(QString::fromUtf8(layout.readAll()), nullptr, &pm, &page);
        {
            auto setup = page.GetSetup();
            setup.paintManager = &pm;
            setup.layoutPath = "XML/DeviceXml/mousedevice.xml";
            setup.keyButtonCount = 11;
            setup.ledCount = 15;
            setup.logoLed = 7;
            setup.profileName = "bench";
            setup.deviceKindName = "mouse";
            setup.lightListIndex = 1;
            page.Setup(setup);
        }
        page.BuildLayout();
        page.LoadProfile();
    }
    ~LaidOutPage() {
        q840::SetUserDataFolder(QString());
        q840::SetProgramFolder(QString());
    }
};

void BM_MousePushPreview(benchmark::State& state) {
    App();
    LaidOutPage p;
    SetEffect(p.page, 2);  // the wave changes every LED every frame
    for (auto _ : state) {
        p.page.RenderFrame(2);
        p.page.PushPreview();
    }
}
BENCHMARK(BM_MousePushPreview);

void BM_MouseRefreshControls(benchmark::State& state) {
    App();
    LaidOutPage p;
    for (auto _ : state) {
        p.page.RefreshControls();
    }
}
BENCHMARK(BM_MouseRefreshControls)->Unit(benchmark::kMicrosecond);

void BM_MouseSettingsOverCable(benchmark::State& state) {
    App();
    q840::sim::DemoOptions options;
    options.cable = true;
    auto bus = q840::sim::MakeDemoBus(options);
    bus->GetTranscript()->SetEnabled(false);
    q840::hid::SetHidBackend(bus);
    {
        LaidOutPage p;
        auto& proto = p.page.CommandProtocol();
        proto.PrimaryChannel().Open("sim:vid_320f&pid_226e&mi_01&col02", true, true, true, false);
        proto.SetChannel(1);
        proto.SetOpen(true);
        p.page.ReadIdentity();
        const bool write = state.range(0) != 0;
        for (auto _ : state) {
            benchmark::DoNotOptimize(write ? p.page.WriteSettingsBlock(0, 0)
                                           : p.page.ReadSettingsBlock());
        }
        p.page.StopThreads();
    }
    q840::hid::SetHidBackend(nullptr);
}
BENCHMARK(BM_MouseSettingsOverCable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A macro upload as large as the keys can make it (11 macros of 64 steps, 2898 bytes) by cable
// (56-byte packets) and through the receiver (24-byte packets and a link check before each step),
// with the protocol's real pauses. "packets" counts every command of one upload; "floor_ms" is
// what their pauses alone take (10 ms before each write and each read).
void BM_MouseMacroUpload(benchmark::State& state) {
    App();
    const bool receiver = state.range(0) != 0;
    q840::sim::DemoOptions options;
    options.cable = true;
    options.receiver = true;
    auto bus = q840::sim::MakeDemoBus(options);
    q840::hid::SetHidBackend(bus);
    {
        LaidOutPage p;
        auto& proto = p.page.CommandProtocol();
        if (receiver) {
            proto.ReceiverChannel().Open("sim:vid_320f&pid_226f&mi_01&col02", true, true, true,
                                         false);
        } else {
            proto.PrimaryChannel().Open("sim:vid_320f&pid_226e&mi_01&col02", true, true, true,
                                        false);
        }
        proto.SetChannel(receiver ? 2 : 1);
        proto.SetOpen(true);
        p.page.ReadIdentity();
        std::string list = R"({"MacroInfo":[)";
        std::string events;
        for (int i = 0; i < 64; ++i) {
            events +=
                std::string(i ? "," : "") + R"({"Action":"down","Button":4,"Delay":"5","Type":10})";
        }
        auto pairs = p.page.MouseProfile()->GetKeyAssignments();
        for (int m = 0; m < 11; ++m) {
            const std::string guid = "bench" + std::to_string(m);
            list += std::string(m ? "," : "") + R"({"MacroName":"m","Guid":")" + guid + "\"}";
            QFile file(p.page.MacroEventsPath(QString::fromStdString(guid)));
            file.open(QIODevice::WriteOnly);
            file.write((R"({"Events":[)" + events + "]}").c_str());
            pairs[size_t(m)].current.SetCode(0x700000u | uint32_t(m) << 8);
        }
        QFile index(p.page.MacroListPath());
        index.open(QIODevice::WriteOnly);
        index.write((list + "]}").c_str());
        index.close();
        p.page.MouseProfile()->WriteKeyAssignments(pairs);
        const std::vector<int> macros = p.page.GetMacroUseList();

        bus->GetTranscript()->Clear();
        p.page.UploadMacros(macros);
        const double packets = double(bus->GetTranscript()->Commands().size());
        bus->GetTranscript()->SetEnabled(false);
        for (auto _ : state) {
            benchmark::DoNotOptimize(p.page.UploadMacros(macros));
        }
        state.counters["packets"] = packets;
        state.counters["floor_ms"] = packets * 2 * proto.GetTiming().pauseMs;
        p.page.StopThreads();
    }
    q840::hid::SetHidBackend(nullptr);
}
BENCHMARK(BM_MouseMacroUpload)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The shoot area of the four factory patterns (180 steps each, 2920 bytes) by cable and through
// the receiver, 56-byte packets on both, with the protocol's real pauses; counters as above.
void BM_MouseShootUpload(benchmark::State& state) {
    App();
    const bool receiver = state.range(0) != 0;
    q840::sim::DemoOptions options;
    options.cable = true;
    options.receiver = true;
    auto bus = q840::sim::MakeDemoBus(options);
    q840::hid::SetHidBackend(bus);
    {
        LaidOutPage p;
        auto& proto = p.page.CommandProtocol();
        if (receiver) {
            proto.ReceiverChannel().Open("sim:vid_320f&pid_226f&mi_01&col02", true, true, true,
                                         false);
        } else {
            proto.PrimaryChannel().Open("sim:vid_320f&pid_226e&mi_01&col02", true, true, true,
                                        false);
        }
        proto.SetChannel(receiver ? 2 : 1);
        proto.SetOpen(true);
        p.page.ReadIdentity();
        const QString source = qEnvironmentVariable("Q840_SOURCE_DIR", Q840_BENCH_SOURCE_DIR);
        QDir().mkpath(p.page.DeviceFolder());
        for (int gun = 0; gun < 4; ++gun) {
            QFile::copy(source + QStringLiteral("/DefaultData/ShootData_%1.Shoot").arg(gun),
                        p.page.ShootPatternPath(gun));
        }
        bus->GetTranscript()->Clear();
        if (p.page.UploadShootPatterns(true) != 1) {
            state.SkipWithError("shoot area not sent");
        }
        const double packets = double(bus->GetTranscript()->Commands().size());
        bus->GetTranscript()->SetEnabled(false);
        for (auto _ : state) {
            benchmark::DoNotOptimize(p.page.UploadShootPatterns(true));
        }
        state.counters["packets"] = packets;
        state.counters["floor_ms"] = packets * 2 * proto.GetTiming().pauseMs;
        p.page.StopThreads();
    }
    q840::hid::SetHidBackend(nullptr);
}
BENCHMARK(BM_MouseShootUpload)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
