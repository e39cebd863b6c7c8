// Fuzz target: arbitrary bytes as what other programs send the running program over the session
// bus: registered messages by name with any two numbers, and copy data of any size. The real
// main window over a simulated mouse takes them the way the program does (DeliverBusMessage,
// DeliverBusCopyData), while a macro recording runs, so that the input hook's messages would be
// taken too if the bus could bring them. Nothing may crash, hang or leak.
//
// Input: records of one kind byte each, then
//   kind 0-2: a name byte (a registered name by number, or 0xFF: the next up-to-40 bytes up to a
//             0 as the name), wParam and lParam (8 bytes each, little-endian);
//   kind 3:   dwData (8 bytes), a length byte and that many bytes of copy data.
// Missing bytes read as zero.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <QApplication>
#include <QByteArray>
#include <QLabel>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/AppEntry.h"
#include "app/BusMessages.h"
#include "app/CMainWnd.h"
#include "app/RegisteredMessages.h"
#include "core/base/RegisteredMessage.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "editors/CMacroControlUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/AppSettings.h"
#include "platform/Paths.h"
#include "platform/input/CTestInputSource.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/WindowImplBase.h"
#include "support/FuzzWorkDir.h"

using namespace q840;

namespace {

std::unique_ptr<CMainWnd> g_window;
std::vector<std::string> g_names;  // every registered name, by number

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool AtEnd() const { return m_pos >= m_size; }
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint64_t Word() {
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            value |= uint64_t(Byte()) << (8 * i);
        }
        return value;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void Click(editors::CMacroControlUI& editor, const char* name) {
    if (QWidget* control = editor.findChild<QWidget*>(QLatin1String(name))) {
        g_window->PaintManager().SendNotify(control, ui::notify::kClick);
    }
}

editors::CMacroControlUI* Editor() {
    pages::COrvenixUSBDevice* page = g_window->CurrentPage();
    return page != nullptr ? page->GetMacroEditor() : nullptr;
}

// The window (again, when a message closed it), with a recording running on the Macros tab.
void Prepare() {
    if (g_window != nullptr && g_window->IsDestroyed()) {
        g_window.reset();
    }
    if (g_window == nullptr) {
        g_window = std::make_unique<CMainWnd>();
        if (!g_window->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE")) {
            std::fprintf(stderr, "bus messages: the window was not created\n");
            std::abort();
        }
        g_window->InputHook().SetSourceFactory(
            [](std::string*) { return std::make_unique<input::CTestInputSource>(); });
        g_window->show();
        for (int i = 0; i < 400 && (g_window->CurrentPage() == nullptr ||
                                    !g_window->CurrentPage()->CommandProtocol().IsOpen() ||
                                    !g_window->FirstReadsDone());
             ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    // Messages that set the lighting write the mouse's settings from the window's thread; with
    // the real pauses between reports an input of such messages takes seconds of waiting.
    if (pages::COrvenixUSBDevice* page = g_window->CurrentPage()) {
        protocol::CDeviceProtocol::Timing quick;
        quick.pauseMs = 0;
        quick.primaryTimeoutMs = quick.receiverTimeoutMs = 200;
        page->CommandProtocol().SetTiming(quick);
    }
    editors::CMacroControlUI* editor = Editor();
    if (editor == nullptr) {
        return;
    }
    if (!editor->IsRecording()) {
        g_window->CurrentPage()->ShowFunctionPanel(3);
        if (editor->GetSelectedMacro() < 0) {
            Click(*editor, "macro_btn_name_add");
        }
        Click(*editor, "macro_btn_starredio");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "bus_message_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    const QString work = QString::fromStdString(test::FuzzWorkDir().string()) + "/";
    SetProgramFolder(QStringLiteral(Q840_BUILD_DIR));
    SetUserDataFolder(work + "user/");
    AppSettings::SetConfigFolder(work + "config");
    qputenv("XDG_CONFIG_HOME", (work + "xdg").toUtf8());
    RegisterStaticMessages();
    RegisterActivateMessage();
    RegisterGuidMessages();
    ResourceSetup();
    sim::DemoOptions options;
    options.cable = true;
    options.receiver = options.mousePad = options.headset = false;
    hid::SetHidBackend(sim::MakeDemoBus(options));
    // Any message box a message opens is answered at once.
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 1; });
    Prepare();
    // The window goes before Qt's own state does at exit.
    std::atexit([] {
        if (g_window != nullptr && !g_window->IsDestroyed()) {
            g_window->Close();
        }
        g_window.reset();
        hid::SetHidBackend(nullptr);
    });
    // The input hook's names are registered once a recording has used them.
    for (UINT id = kFirstRegisteredMessage;; ++id) {
        const std::string registered = RegisteredMessageName(id);
        if (registered.empty()) {
            break;
        }
        g_names.push_back(registered);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Prepare();
    Reader in(data, size);
    for (int records = 0; !in.AtEnd() && records < 32; ++records) {
        if (g_window->IsDestroyed()) {
            break;
        }
        const uint8_t kind = in.Byte() % 4;
        if (kind < 3) {
            const uint8_t pick = in.Byte();
            std::string name;
            if (pick == 0xFF) {
                for (int i = 0; i < 40; ++i) {
                    const char c = char(in.Byte());
                    if (c == 0) {
                        break;
                    }
                    name += c;
                }
            } else if (!g_names.empty()) {
                name = g_names[pick % g_names.size()];
            }
            const uint64_t wParam = in.Word();
            const int64_t lParam = int64_t(in.Word());
            DeliverBusMessage(*g_window, QString::fromStdString(name), wParam, lParam);
        } else {
            const uint64_t dwData = in.Word();
            QByteArray bytes;
            for (int n = in.Byte(); n > 0; --n) {
                bytes.append(char(in.Byte()));
            }
            DeliverBusCopyData(*g_window, dwData, bytes);
        }
        Settle();
    }
    return 0;
}
