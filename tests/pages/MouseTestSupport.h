#pragma once

// A mouse page against the simulated mouse (cable and receiver), with temporary program and user
// folders holding the factory profile and light names, and the cut-down test layout.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

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
#include "tests/pages/PageTestSupport.h"

namespace q840::pages::test {

inline const char* kMouseCableCommand = "sim:vid_320f&pid_226e&mi_01&col02";
inline const char* kMouseReceiverCommand = "sim:vid_320f&pid_226f&mi_01&col02";
inline const char* kMouseCableEvent = "sim:vid_320f&pid_226e&mi_00&col03";

// Command codes as they appear in byte 3 of a command report.
constexpr uint8_t kCmdBegin = 0x01;
constexpr uint8_t kCmdEnd = 0x02;
constexpr uint8_t kCmdWriteInfo = 0x04;
constexpr uint8_t kCmdWriteSettings = 0x06;
constexpr uint8_t kCmdWriteKeyTable = 0x09;
constexpr uint8_t kCmdLinkCheck = 0xAA;

// The page with its protected hooks in reach of the tests.
class TestMousePage : public COrvenixMouseDevice {
public:
    using COrvenixMouseDevice::COrvenixMouseDevice;
    // The page's threads call virtual operations: stop them before this part goes.
    ~TestMousePage() override { StopThreads(); }
    using COrvenixMouseDevice::OnDeviceEvent;
    using COrvenixMouseDevice::OnKeyPressEvent;
};

class MousePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetUserDataFolder(dir.filePath("user") + "/");
        SetProgramFolder(dir.filePath("prog") + "/");
        QDir().mkpath(dir.filePath("prog/DefaultData"));
        const QString source = qEnvironmentVariable("Q840_SOURCE_DIR");
        for (const char* file : {"mouse.Json", "default_light.json"}) {
            ASSERT_TRUE(QFile::copy(source + "/DefaultData/" + file,
                                    dir.filePath("prog/DefaultData/") + file));
        }
        ui::CControlFactory::GetInstance().RegistControl(
            "DeviceKeyButton", [] { return controls::CDeviceKeyButtonUI::Create(); });

        sim::DemoOptions options;
        options.cable = true;
        options.receiver = true;
        bus = sim::MakeDemoBus(options);
        hid::SetHidBackend(bus);
        mouse = bus->Mouse();

        page = std::make_unique<TestMousePage>();
        {
            auto setup = page->GetSetup();
            setup.paintManager = &pm;
            setup.layoutPath = "XML/DeviceXml/mousedevice.xml";
            setup.mainWindow = &window;
            setup.keyButtonCount = 11;
            setup.ledCount = 15;
            setup.logoLed = 7;
            setup.profileName = "p1";
            setup.deviceKindName = "mouse";
            setup.lightListIndex = 1;
            page->Setup(setup);
        }
    }

    void TearDown() override {
        page.reset();
        hid::SetHidBackend(nullptr);
        SetUserDataFolder(QString());
        SetProgramFolder(QString());
    }

    // Lays the page out with the test layout and binds it.
    void BuildLayout() {
        QFile file(qEnvironmentVariable("Q840_SOURCE_DIR") + "/tests/pages/mouse_test_layout.xml");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ui::CDialogBuilder builder;
        ASSERT_NE(nullptr, builder.CreateFromText(QString::fromUtf8(file.readAll()), nullptr, &pm,
                                                  page.get()));
        pm.AttachRoot(page.get());
        page->BuildLayout();
    }

    void Open(bool receiver) {
        auto& p = page->CommandProtocol();
        if (receiver) {
            ASSERT_TRUE(p.ReceiverChannel().Open(kMouseReceiverCommand, true, true, true, false));
        } else {
            ASSERT_TRUE(p.PrimaryChannel().Open(kMouseCableCommand, true, true, true, false));
        }
        protocol::CDeviceProtocol::Timing t;
        t.pauseMs = 1;
        t.primaryTimeoutMs = 300;
        t.receiverTimeoutMs = 300;
        p.SetTiming(t);
        p.SetChannel(receiver ? 2 : 1);
        p.SetOpen(true);
        bus->GetTranscript()->Clear();
    }

    std::vector<sim::TranscriptEntry> Commands() const { return bus->GetTranscript()->Commands(); }
    std::vector<uint8_t> Codes() const {
        std::vector<uint8_t> codes;
        for (const auto& e : Commands()) {
            codes.push_back(e.bytes[3]);
        }
        return codes;
    }
    // The payloads of every command with this code, one after the other.
    std::vector<uint8_t> Payload(uint8_t code) const {
        std::vector<uint8_t> bytes;
        for (const auto& e : Commands()) {
            if (e.bytes[3] == code) {
                bytes.insert(bytes.end(), e.bytes.begin() + 8, e.bytes.begin() + 8 + e.bytes[4]);
            }
        }
        return bytes;
    }
    int Count(uint8_t code) const {
        const auto codes = Codes();
        return int(std::count(codes.begin(), codes.end(), code));
    }
    bool Received(UINT msg, WPARAM w) const {
        for (const auto& m : window.messages) {
            if (m.msg == msg && m.w == w) {
                return true;
            }
        }
        return false;
    }
    template <typename T>
    T* Find(const QString& name) const {
        return page->findChild<T*>(name);
    }
    // The profile file as stored on disk.
    Json::Value StoredDeviceNode() const {
        return profile::JsonFileStore().ReadJsonFile(
            page->ProfilePath().toStdString())["Device"][0];
    }

    QTemporaryDir dir;
    std::shared_ptr<sim::VirtualBus> bus;
    std::shared_ptr<sim::VirtualPeripheral> mouse;
    ui::CPaintManagerUI pm;
    RecordingWindow window;
    std::unique_ptr<TestMousePage> page;
};

}  // namespace q840::pages::test
