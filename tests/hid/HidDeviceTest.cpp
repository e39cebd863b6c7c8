#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "core/hid/CHidDevice.h"
#include "hid/FakeHidBackend.h"
#include "hid/TestDescriptors.h"

namespace q840::hid {
namespace {

using namespace std::chrono_literals;
using test::FakeHidBackend;
using test::FakeInterface;

// A hang shows up as a failed test instead of a stuck suite.
constexpr auto kHangLimit = 5s;

const std::string kCommandPath = "fake:vid_320f&pid_226e&mi_01&col02";
const std::string kEventPath = "fake:vid_320f&pid_226e&mi_00&col03";
const std::string kMousePath = "fake:vid_320f&pid_226e&mi_00&col01";

class HidDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend = std::make_shared<FakeHidBackend>();
        command = backend->Add(kCommandPath, 0x320F, 0x226E, test::CommandInterfaceDescriptor(), 1);
        events = backend->Add(kEventPath, 0x320F, 0x226E, test::EventInterfaceDescriptor(), 2);
        mouse = backend->Add(kMousePath, 0x320F, 0x226E, test::EventInterfaceDescriptor(), 0);
        SetHidBackend(backend);
    }
    void TearDown() override { SetHidBackend(nullptr); }

    std::shared_ptr<FakeHidBackend> backend;
    std::shared_ptr<FakeInterface> command;
    std::shared_ptr<FakeInterface> events;
    std::shared_ptr<FakeInterface> mouse;
};

TEST_F(HidDeviceTest, PathCursorWalksTheListOnceAndIsNullOutsideIt) {
    CHidDevice dev;
    EXPECT_EQ(dev.NextPath(), nullptr) << "before any enumeration";
    ASSERT_TRUE(dev.Enumerate());
    EXPECT_STREQ(dev.NextPath(), kCommandPath.c_str());
    EXPECT_STREQ(dev.NextPath(), kEventPath.c_str());
    EXPECT_STREQ(dev.NextPath(), kMousePath.c_str());
    EXPECT_EQ(dev.NextPath(), nullptr);
    EXPECT_EQ(dev.NextPath(), nullptr);

    // Enumerating again starts over; freeing the list ends it.
    ASSERT_TRUE(dev.Enumerate());
    EXPECT_STREQ(dev.NextPath(), kCommandPath.c_str());
    dev.FreePaths();
    EXPECT_EQ(dev.NextPath(), nullptr);

    // A failed enumeration leaves no list behind.
    ASSERT_TRUE(dev.Enumerate());
    backend->FailEnumeration(true);
    EXPECT_FALSE(dev.Enumerate());
    EXPECT_EQ(dev.NextPath(), nullptr);
}

TEST_F(HidDeviceTest, OpenReadsCapabilitiesAndPathNumbers) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false)) << dev.GetLastOpenError();
    EXPECT_TRUE(dev.IsOpen());
    EXPECT_EQ(dev.GetAttributes().vendorId, 0x320F);
    EXPECT_EQ(dev.GetAttributes().productId, 0x226E);
    EXPECT_EQ(dev.GetCaps().usagePage, 0xFF1C);
    EXPECT_EQ(dev.GetCaps().usage, 0x92);
    EXPECT_EQ(dev.GetCaps().inputReportByteLength, 64);
    EXPECT_EQ(dev.GetCaps().outputReportByteLength, 64);
    EXPECT_EQ(dev.GetInterfaceNumber(), 1u);
    EXPECT_EQ(dev.GetCollectionNumber(), 2u);
    EXPECT_EQ(dev.GetPath(), kCommandPath);

    // Reopen comes back on the same interface with the same options.
    ASSERT_TRUE(dev.Reopen());
    EXPECT_EQ(dev.GetCaps().usagePage, 0xFF1C);
    EXPECT_EQ(command->OpenConnections(), 1);

    // Opening another interface closes the first.
    ASSERT_TRUE(dev.Open(kEventPath, true, true, true, false));
    EXPECT_EQ(command->OpenConnections(), 0);
    EXPECT_EQ(dev.GetCaps().usagePage, 0x0C);
    EXPECT_EQ(dev.GetCollectionNumber(), 3u);

    dev.Close();
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(events->OpenConnections(), 0);
    EXPECT_EQ(dev.GetCaps().usagePage, 0);
}

TEST_F(HidDeviceTest, OpenOfAVanishedPathFailsAndLeavesTheObjectClosed) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false));
    backend->Remove(kEventPath);
    EXPECT_FALSE(dev.Open(kEventPath, true, true, true, false));
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(command->OpenConnections(), 0) << "the previous handle must be closed";
    EXPECT_NE(dev.GetLastOpenError().find("no such device"), std::string::npos);
    uint8_t buf[64] = {};
    EXPECT_FALSE(dev.ReadReport(buf, sizeof buf, nullptr, 0));
    EXPECT_FALSE(dev.WriteReport(buf, sizeof buf, nullptr, 0));
    EXPECT_FALSE(dev.FlushQueue());
    EXPECT_FALSE(dev.SetOutputReport(buf, sizeof buf));
}

TEST_F(HidDeviceTest, OpenRefusesAnUnusableDescriptor) {
    std::vector<uint8_t> cut = test::kVendorCollection;
    cut.resize(cut.size() - 3);
    backend->Add("fake:broken", 0x320F, 0x226E, cut, 0);
    backend->Add("fake:nocollection", 0x320F, 0x226E, test::kVendorCollection, 5);
    CHidDevice dev;
    EXPECT_FALSE(dev.Open("fake:broken", true, true, true, false));
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_NE(dev.GetLastOpenError().find("report descriptor"), std::string::npos);
    EXPECT_FALSE(dev.Open("fake:nocollection", true, true, true, false));
    EXPECT_FALSE(dev.IsOpen());
}

TEST_F(HidDeviceTest, ReportsTravelBothWaysWithTheirCounts) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false));
    std::vector<uint8_t> out(64, 0);
    out[0] = 4;
    out[3] = 0x01;
    size_t n = 99;
    ASSERT_TRUE(dev.WriteReport(out.data(), out.size(), &n, 1000));
    EXPECT_EQ(n, 64u);
    ASSERT_EQ(command->written.size(), 1u);
    EXPECT_EQ(command->written[0], out);

    std::vector<uint8_t> reply(64, 0);
    reply[0] = 4;
    reply[3] = 0x01;
    command->Push(reply);
    uint8_t in[64] = {};
    ASSERT_TRUE(dev.ReadReport(in, sizeof in, &n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(in[3], 0x01);

    // Flushing drops what arrived unread.
    command->Push(reply);
    EXPECT_TRUE(dev.FlushQueue());
    EXPECT_FALSE(dev.ReadReport(in, sizeof in, &n, 0));
    EXPECT_EQ(n, 0u);
}

TEST_F(HidDeviceTest, ReadTimesOutWithNothingTransferred) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false));
    uint8_t in[64];
    size_t n = 7;
    EXPECT_FALSE(dev.ReadReport(in, sizeof in, &n, 20));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(command->InFlight(), 0);
    EXPECT_TRUE(dev.IsOpen()) << "a time-out does not close the device";
}

TEST_F(HidDeviceTest, WriteThatTimesOutLeavesNothingPending) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false));
    command->writesStall = true;
    uint8_t out[64] = {4};
    size_t n = 7;
    EXPECT_FALSE(dev.WriteReport(out, sizeof out, &n, 20));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(command->InFlight(), 0);
    EXPECT_TRUE(command->written.empty());
    // The next operation is not hit by a left-over cancel or completion.
    command->writesStall = false;
    EXPECT_TRUE(dev.WriteReport(out, sizeof out, &n, 1000));
    EXPECT_EQ(command->written.size(), 1u);
}

TEST_F(HidDeviceTest, CloseFromAnotherThreadEndsAnInfiniteRead) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kEventPath, true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        size_t n = 0;
        return dev.ReadReport(dev.GetInputReportBuffer(), dev.GetCaps().inputReportByteLength, &n,
                              kInfinite);
    });
    while (events->InFlight() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    dev.Close();
    ASSERT_EQ(reader.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(events->OpenConnections(), 0);
}

TEST_F(HidDeviceTest, CloseWakesAReadAndAWriteWaitingTogether) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false));
    command->writesStall = true;
    auto reader = std::async(std::launch::async, [&] {
        uint8_t in[64];
        return dev.ReadReport(in, sizeof in, nullptr, kInfinite);
    });
    auto writer = std::async(std::launch::async, [&] {
        uint8_t out[64] = {4};
        return dev.WriteReport(out, sizeof out, nullptr, kInfinite);
    });
    while (command->InFlight() < 2) {
        std::this_thread::sleep_for(1ms);
    }
    // Opening something else closes the busy interface the same way.
    ASSERT_TRUE(dev.Open(kEventPath, true, true, true, false));
    ASSERT_EQ(reader.wait_for(kHangLimit), std::future_status::ready);
    ASSERT_EQ(writer.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(writer.get());
    EXPECT_EQ(command->OpenConnections(), 0);
    EXPECT_TRUE(dev.IsOpen());
}

TEST_F(HidDeviceTest, CloseDoesNotHangOnABackendThatIgnoresCancel) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kEventPath, true, true, true, false));
    events->ignoreCancel = true;
    auto reader = std::async(std::launch::async, [&] {
        uint8_t in[8];
        return dev.ReadReport(in, sizeof in, nullptr, kInfinite);
    });
    while (events->InFlight() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    auto closer = std::async(std::launch::async, [&] { dev.Close(); });
    ASSERT_EQ(closer.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_FALSE(dev.IsOpen());
    // The stuck read still holds the connection; a report lets it finish normally.
    events->Push({3, 0xE9, 0x00});
    ASSERT_EQ(reader.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_EQ(events->OpenConnections(), 0);
}

TEST_F(HidDeviceTest, ACancelledReadLeavesNoSignalForTheNextOpen) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kEventPath, true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        uint8_t in[8];
        return dev.ReadReport(in, sizeof in, nullptr, kInfinite);
    });
    while (events->InFlight() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    dev.Close();
    ASSERT_EQ(reader.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_FALSE(reader.get());

    // The listener reopens and waits again: the wake-up meant for the old handle must not end
    // this read, the next report must.
    ASSERT_TRUE(dev.Reopen());
    events->Push({3, 0xE2, 0x00});
    uint8_t in[8] = {};
    size_t n = 0;
    ASSERT_TRUE(dev.ReadReport(in, sizeof in, &n, 1000));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(in[1], 0xE2);
}

TEST_F(HidDeviceTest, ReopenOfAnUnpluggedInterfaceFailsClosed) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kCommandPath, true, true, true, false));
    backend->Remove(kCommandPath);
    EXPECT_FALSE(dev.Reopen());
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(command->OpenConnections(), 0);
    EXPECT_EQ(dev.GetPath(), kCommandPath) << "kept, so a later Reopen can try again";
}

TEST_F(HidDeviceTest, LongPathsAreKeptWhole) {
    // Longer than the 259 characters a fixed Windows path buffer holds; cutting it would open
    // another interface or none.
    const std::string longPath = "fake:" + std::string(300, 'x') + "&mi_01&col02";
    backend->Add(longPath, 0x320F, 0x226E, test::CommandInterfaceDescriptor(), 1);
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(longPath, true, true, true, false));
    EXPECT_EQ(dev.GetPath(), longPath);
    EXPECT_EQ(dev.GetCollectionNumber(), 2u);
    ASSERT_TRUE(dev.Enumerate());
    bool listed = false;
    while (const char* p = dev.NextPath()) {
        listed = listed || longPath == p;
    }
    EXPECT_TRUE(listed);
}

TEST_F(HidDeviceTest, UnpackDecodesMouseButtonsAndValues) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kMousePath, true, true, true, false));
    EXPECT_EQ(dev.GetCaps().numberInputButtonCaps, 1);
    EXPECT_EQ(dev.GetCaps().numberInputValueCaps, 3);
    const auto& items = dev.GetInputDataItems();
    ASSERT_EQ(items.size(), 4u);  // buttons first, then X, Y, wheel
    EXPECT_TRUE(items[0].isButton);
    EXPECT_EQ(items[0].usages.size(), 5u);
    EXPECT_FALSE(items[0].isSet);

    // Buttons 1 and 3, X = -5, Y = 300, wheel = -1.
    const uint8_t report[7] = {0x01, 0x05, 0xFB, 0xFF, 0x2C, 0x01, 0xFF};
    ASSERT_TRUE(dev.UnpackInputReport(report, sizeof report));
    EXPECT_TRUE(items[0].isSet);
    EXPECT_EQ(items[0].usagePage, 0x09);
    EXPECT_EQ(items[0].usages, (std::vector<uint16_t>{1, 3, 0, 0, 0}));
    EXPECT_EQ(items[1].usageMin, 0x30);
    EXPECT_EQ(items[1].rawValue, 0xFFFB);
    EXPECT_EQ(items[1].scaledValue, -5);
    EXPECT_EQ(items[2].rawValue, 300);
    EXPECT_EQ(items[2].scaledValue, 300);
    EXPECT_EQ(items[3].usageMin, 0x38);
    EXPECT_EQ(items[3].scaledValue, -1);

    // A later report replaces the usage list completely.
    const uint8_t released[7] = {0x01, 0x10, 0, 0, 0, 0, 0};
    ASSERT_TRUE(dev.UnpackInputReport(released, sizeof released));
    EXPECT_EQ(items[0].usages, (std::vector<uint16_t>{5, 0, 0, 0, 0}));

    // A report that stops short of its fields is refused rather than read past its end.
    EXPECT_FALSE(dev.UnpackInputReport(report, 4));
}

TEST_F(HidDeviceTest, UnpackDecodesConsumerEventsAndSkipsOtherReportIds) {
    CHidDevice dev;
    ASSERT_TRUE(dev.Open(kEventPath, true, true, true, false));
    const auto& items = dev.GetInputDataItems();
    ASSERT_EQ(items.size(), 1u);
    ASSERT_TRUE(items[0].isButton);
    ASSERT_EQ(items[0].usages.size(), 1u);

    const uint8_t otherId[3] = {0x01, 0xE9, 0x00};
    ASSERT_TRUE(dev.UnpackInputReport(otherId, sizeof otherId));
    EXPECT_FALSE(items[0].isSet);

    const uint8_t volumeUp[3] = {0x03, 0xE9, 0x00};
    ASSERT_TRUE(dev.UnpackInputReport(volumeUp, sizeof volumeUp));
    EXPECT_TRUE(items[0].isSet);
    EXPECT_EQ(items[0].usages[0], 0xE9);

    // The 0x0401-style event codes of the mouse arrive as usages above 0xFF.
    const uint8_t event[3] = {0x03, 0x01, 0x03};
    ASSERT_TRUE(dev.UnpackInputReport(event, sizeof event));
    EXPECT_EQ(items[0].usages[0], 0x301);

    const uint8_t nothing[3] = {0x03, 0x00, 0x00};
    ASSERT_TRUE(dev.UnpackInputReport(nothing, sizeof nothing));
    EXPECT_EQ(items[0].usages[0], 0);
}

TEST_F(HidDeviceTest, ClosedDeviceRefusesEverythingQuietly) {
    CHidDevice dev;
    uint8_t buf[8] = {};
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_FALSE(dev.Reopen());
    EXPECT_FALSE(dev.UnpackInputReport(buf, sizeof buf));
    EXPECT_FALSE(dev.Open("", true, true, true, false));
    dev.Close();
    dev.Close();
    EXPECT_NE(dev.GetInputReportBuffer(), nullptr);
}

TEST(HidDevicePathTest, NumbersAfterTheMarkersInAnyCase) {
    EXPECT_EQ(ParseInterfaceNumber("/dev/hidraw3#vid_320f&pid_226e&mi_01&col02"), 1u);
    EXPECT_EQ(ParseCollectionNumber("/dev/hidraw3#vid_320f&pid_226e&mi_01&col02"), 2u);
    EXPECT_EQ(ParseInterfaceNumber(R"(\\?\HID#VID_320F&PID_226E&MI_01&COL0A#8&1f&0&0001)"), 1u);
    EXPECT_EQ(ParseCollectionNumber(R"(\\?\HID#VID_320F&PID_226E&MI_01&COL0A#8&1f&0&0001)"), 10u);
    EXPECT_EQ(ParseInterfaceNumber("sim:vid_0c76&pid_1630&mI_03"), 3u);
    EXPECT_EQ(ParseInterfaceNumber("/dev/hidraw0#vid_0c76&pid_1630"), 0u);
    EXPECT_EQ(ParseCollectionNumber("/dev/hidraw0#vid_0c76&pid_1630&mi_03"), 0u);
    EXPECT_EQ(ParseCollectionNumber("x&col"), 0u);
    EXPECT_EQ(ParseInterfaceNumber(""), 0u);
    // Overlong digit runs stop after eight digits instead of overflowing.
    EXPECT_EQ(ParseCollectionNumber("&colFFFFFFFFFF"), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace q840::hid
