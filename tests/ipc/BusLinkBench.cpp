// Cost of the calls the program makes often: the audio recorder's level frames (2000 bytes of
// copy data, many per second) and directed messages that wait until taken.

#include <benchmark/benchmark.h>

#include <QThread>
#include <cstdio>

#include "ipc/BusTestSupport.h"
#include "platform/ipc/CBusLink.h"

namespace {

using q840::ipc::CBusLink;

// A receiving program on a thread of its own, as the main window's UI thread would be.
class Receiver {
public:
    Receiver() {
        m_thread.start();
        m_link.Connect();
        m_link.ClaimWindowTitle("BenchReceiver");
        m_link.moveToThread(&m_thread);
    }
    ~Receiver() {
        QObject context;
        context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &context, [this] { m_link.Disconnect(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

private:
    QThread m_thread;
    CBusLink m_link;
};

void BM_SendToWindow(benchmark::State& state) {
    Receiver receiver;
    CBusLink us;
    us.Connect();
    for (auto _ : state) {
        if (!us.SendToWindow("BenchReceiver", "Game_Start", 0, 1)) {
            state.SkipWithError("not taken");
            break;
        }
    }
}
BENCHMARK(BM_SendToWindow)->UseRealTime();

void BM_CopyDataToWindow(benchmark::State& state) {
    Receiver receiver;
    CBusLink us;
    us.Connect();
    const QByteArray data(int(state.range(0)), '\x5A');
    for (auto _ : state) {
        if (!us.CopyDataToWindow("BenchReceiver", 1, data)) {
            state.SkipWithError("not taken");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CopyDataToWindow)->Arg(24)->Arg(2000)->Arg(70000)->UseRealTime();

void BM_PostToWindow(benchmark::State& state) {
    Receiver receiver;
    CBusLink us;
    us.Connect();
    for (auto _ : state) {
        us.PostToWindow("BenchReceiver", "Game_Start", 0, 1);
    }
}
BENCHMARK(BM_PostToWindow)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    q840::ipc::test::EnsureApp();
    q840::ipc::test::PrivateSessionBus bus;
    if (!bus.Start()) {
        std::fprintf(stderr, "cannot start a private dbus-daemon\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
