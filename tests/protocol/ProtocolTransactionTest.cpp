// The command protocol against the simulated mouse: bytes on the wire, result codes, faults.

#include <gtest/gtest.h>

#include <array>
#include <future>
#include <mutex>
#include <numeric>
#include <thread>

#include "core/protocol/CDeviceProtocol.h"
#include "core/base/DebugLine.h"
#include "protocol/ProtocolTestSupport.h"

namespace q840::testing {
namespace {

using protocol::CDeviceProtocol;
using sim::TranscriptEntry;

uint16_t ChecksumOf(const std::vector<uint8_t>& report) {
    uint32_t sum = 0;
    for (size_t i = 3; i < 64 && i < report.size(); ++i) {
        sum += report[i];
    }
    return static_cast<uint16_t>(sum);
}

uint16_t CarriedChecksum(const std::vector<uint8_t>& report) {
    return static_cast<uint16_t>(report[1] | (report[2] << 8));
}

using ProtocolPackets = SimulatedMouseTest;

TEST_F(ProtocolPackets, BeginIsOneSealedReport) {
    OpenCable();
    EXPECT_EQ(1, protocol->Begin());
    const auto commands = Commands();
    ASSERT_EQ(1u, commands.size());
    std::vector<uint8_t> expected(64, 0);
    expected[0] = 4;     // report ID
    expected[1] = 0x01;  // checksum of bytes 3..63: only the code
    expected[3] = 0x01;
    EXPECT_EQ(expected, commands[0].bytes);
}

TEST_F(ProtocolPackets, ReadInfoPacketsFollowTheChannel) {
    const std::vector<uint8_t> info = mouse->Info();
    {
        OpenReceiver();
        std::array<uint8_t, 34> record{};
        ASSERT_EQ(1, protocol->ReadInfo(record.data()));
        EXPECT_TRUE(std::equal(record.begin(), record.end(), info.begin()));
        const auto commands = Commands();
        ASSERT_EQ(2u, commands.size());
        EXPECT_EQ(24, commands[0].bytes[4]);
        EXPECT_EQ(0, commands[0].bytes[5]);
        EXPECT_EQ(10, commands[1].bytes[4]);
        EXPECT_EQ(24, commands[1].bytes[5]);
        for (const auto& c : commands) {
            EXPECT_EQ("receiver", c.channel);
            EXPECT_EQ(0x03, c.bytes[3]);
        }
    }
    protocol = std::make_unique<CDeviceProtocol>();
    OpenCable();
    std::array<uint8_t, 34> record{};
    ASSERT_EQ(1, protocol->ReadInfo(record.data()));
    EXPECT_TRUE(std::equal(record.begin(), record.end(), info.begin()));
    const auto commands = Commands();
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(34, commands[0].bytes[4]);
    EXPECT_EQ(0, commands[0].bytes[5]);
    EXPECT_EQ("cable", commands[0].channel);
}

TEST_F(ProtocolPackets, ShortLastPacketKeepsThePreviousBytesAndTheirChecksum) {
    OpenCable();
    std::vector<uint8_t> block(86);
    std::iota(block.begin(), block.end(), uint8_t(100));
    ASSERT_EQ(1, protocol->WriteSettings(block.data(), int(block.size()), 128));
    const auto commands = Commands();
    ASSERT_EQ(2u, commands.size());
    const auto& first = commands[0].bytes;
    const auto& last = commands[1].bytes;
    EXPECT_EQ(56, first[4]);
    EXPECT_EQ(128, first[5]);
    EXPECT_EQ(30, last[4]);
    EXPECT_EQ(128 + 56, last[5]);
    // Payload of the short packet, then what the first packet left behind.
    EXPECT_TRUE(std::equal(block.begin() + 56, block.end(), last.begin() + 8));
    EXPECT_TRUE(std::equal(first.begin() + 8 + 30, first.end(), last.begin() + 8 + 30));
    for (const auto& c : commands) {
        EXPECT_EQ(ChecksumOf(c.bytes), CarriedChecksum(c.bytes));
    }
    EXPECT_EQ(0, mouse->GetStats().badChecksums);
    const auto settings = mouse->Settings();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), settings.begin() + 128));
}

TEST_F(ProtocolPackets, ReceiverUsesSmallerChunksAndShootAreaAlways56) {
    OpenReceiver();
    std::vector<uint8_t> area(100, 0x5A);
    ASSERT_EQ(1, protocol->WriteMacroArea(area.data(), int(area.size())));
    auto commands = Commands();
    ASSERT_EQ(5u, commands.size());  // 24 x 4 + 4
    EXPECT_EQ(4, commands[4].bytes[4]);
    EXPECT_EQ(96, commands[4].bytes[5]);

    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, protocol->WriteShootArea(area.data(), int(area.size())));
    commands = Commands();
    ASSERT_EQ(2u, commands.size());
    EXPECT_EQ(56, commands[0].bytes[4]);
    EXPECT_EQ(44, commands[1].bytes[4]);
    EXPECT_EQ(0x17, commands[1].bytes[3]);
}

TEST_F(ProtocolPackets, KeyTableMovesTheTransferSize) {
    OpenCable();
    EXPECT_FALSE(protocol->SetTransferSize(513));
    EXPECT_EQ(512, protocol->GetTransferSize());
    ASSERT_TRUE(protocol->SetTransferSize(33));
    std::vector<uint8_t> table(512, 0xEE);
    ASSERT_EQ(1, protocol->ReadKeyTable(table.data()));
    const auto keys = mouse->KeyTable();
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + 33, keys.begin()));
    EXPECT_EQ(0xEE, table[33]);  // nothing beyond the transfer size is touched
    const auto commands = Commands();
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(33, commands[0].bytes[4]);
}

TEST_F(ProtocolPackets, StatusReadCopiesOnlyWhatWasAskedFor) {
    OpenReceiver();
    std::array<uint8_t, 4> status{0xCC, 0xCC, 0xCC, 0xCC};
    ASSERT_EQ(1, protocol->ReadStatus(status.data(), 2, 0));
    EXPECT_EQ(80, status[0]);
    EXPECT_EQ(2, status[1]);  // on battery through the receiver
    EXPECT_EQ(0xCC, status[2]);
}

using ProtocolGuards = SimulatedMouseTest;

TEST_F(ProtocolGuards, BadBankIsRefusedWithoutTraffic) {
    OpenCable();
    std::vector<uint8_t> table(512, 0);
    EXPECT_EQ(-201, protocol->WriteKeyTable(table.data(), 1));
    EXPECT_TRUE(Commands().empty());
}

TEST_F(ProtocolGuards, ClosedChannelSendsNothing) {
    OpenCable();
    protocol->SetOpen(false);
    std::vector<uint8_t> buffer(512, 0);
    EXPECT_EQ(0, protocol->Begin());
    EXPECT_EQ(0, protocol->End());
    EXPECT_EQ(0, protocol->ReadInfo(buffer.data()));
    EXPECT_EQ(0, protocol->WriteSettings(buffer.data(), 86, 0));
    EXPECT_EQ(0, protocol->ReadKeyTable(buffer.data()));
    EXPECT_EQ(0, protocol->StreamLight(buffer.data(), 60));
    EXPECT_EQ(0, protocol->WriteShootArea(buffer.data(), 60));
    EXPECT_EQ(0, protocol->ReadStatus(buffer.data(), 2, 0));
    EXPECT_TRUE(protocol->LinkCheck());  // the primary channel needs no check
    protocol->SetChannel(2);
    EXPECT_FALSE(protocol->LinkCheck());
    EXPECT_TRUE(Commands().empty());
    EXPECT_FALSE(protocol->IsBusy());
}

TEST_F(ProtocolGuards, MutedReportsSuccessWithoutTraffic) {
    OpenReceiver();
    protocol->SetMuted(true);
    std::vector<uint8_t> buffer(512, 0x11);
    EXPECT_EQ(1, protocol->Begin());
    EXPECT_EQ(1, protocol->WriteSettings(buffer.data(), 86, 0));
    EXPECT_EQ(1, protocol->ReadInfo(buffer.data()));
    EXPECT_EQ(0, buffer[0]);  // the reply stayed zero
    EXPECT_EQ(1, protocol->End());
    EXPECT_FALSE(protocol->LinkCheck());
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(-201, protocol->WriteKeyTable(buffer.data(), 2));
}

using ProtocolFaults = SimulatedMouseTest;

TEST_F(ProtocolFaults, OneWrongEchoCausesExactlyOneResend) {
    OpenCable();
    cable->InjectWrongEcho(1);
    std::array<uint8_t, 34> record{};
    EXPECT_EQ(1, protocol->ReadInfo(record.data()));
    const auto commands = Commands();
    ASSERT_EQ(2u, commands.size());
    EXPECT_EQ(commands[0].bytes, commands[1].bytes);
    EXPECT_EQ(0xAA, record[0]);
    // The I/O lock is free again for another thread.
    auto tryLock = std::async(std::launch::async, [this] {
        const bool locked = protocol->IoLock().try_lock();
        if (locked) {
            protocol->IoLock().unlock();
        }
        return locked;
    });
    EXPECT_TRUE(tryLock.get());
}

TEST_F(ProtocolFaults, TwoWrongEchoesAreNoReplyAndLeaveTheDestination) {
    OpenCable();
    cable->InjectWrongEcho(2);
    std::array<uint8_t, 34> record;
    record.fill(0x77);
    EXPECT_EQ(0, protocol->ReadInfo(record.data()));
    EXPECT_EQ(2u, Commands().size());
    EXPECT_EQ(0x77, record[0]);
}

TEST_F(ProtocolFaults, UnreachableMouseBehindReceiver) {
    OpenReceiver();
    EXPECT_TRUE(protocol->LinkCheck());
    mouse->SetLinkUp(false);
    bus->GetTranscript()->Clear();
    EXPECT_FALSE(protocol->LinkCheck());
    EXPECT_EQ(-101, protocol->Begin());
    std::array<uint8_t, 34> record{};
    EXPECT_EQ(-101, protocol->ReadInfo(record.data()));
    EXPECT_EQ(3u, Commands().size());  // no resend after 0xAA, first packet stops the read
    mouse->SetLinkUp(true);
    mouse->SetAsleep(true);
    EXPECT_EQ(-101, protocol->End());
    mouse->SetAsleep(false);
    EXPECT_EQ(1, protocol->End());
}

TEST_F(ProtocolFaults, StatusBytesMapToCodes) {
    OpenCable();
    cable->InjectStatus(0xFF, 1);
    EXPECT_EQ(-102, protocol->Begin());
    cable->InjectStatus(0xFE, 1);
    EXPECT_EQ(-103, protocol->Begin());
    cable->InjectStatus(0x01, 1);
    EXPECT_EQ(1, protocol->Begin());
    // A chunked read stops at the failing packet.
    OpenReceiver();
    receiver->InjectStatus(0xFF, 1);
    std::array<uint8_t, 34> record{};
    EXPECT_EQ(-102, protocol->ReadInfo(record.data()));
    EXPECT_EQ(1u, Commands().size());
}

TEST_F(ProtocolFaults, NoReplyCostsTwoReadsAndGivesZero) {
    OpenCable();
    CDeviceProtocol::Timing timing;
    timing.primaryTimeoutMs = 50;
    protocol->SetTiming(timing);
    cable->InjectNoReply(-1);
    EXPECT_EQ(0, protocol->Begin());
    EXPECT_EQ(2u, Commands().size());
    EXPECT_FALSE(protocol->IsBusy());
}

TEST_F(ProtocolFaults, WriteTimeoutGivesMinusOne) {
    OpenCable();
    CDeviceProtocol::Timing timing;
    timing.primaryTimeoutMs = 50;
    protocol->SetTiming(timing);
    cable->InjectWriteTimeout(1);
    EXPECT_EQ(-1, protocol->Begin());
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(1, protocol->Begin());
}

TEST_F(ProtocolFaults, UnplugInTheMiddleOfATransaction) {
    OpenCable();
    cable->UnplugOnNextCommand();
    std::vector<uint8_t> block(86, 1);
    const int result = protocol->WriteSettings(block.data(), int(block.size()), 0);
    EXPECT_TRUE(result == 0 || result == -1) << result;
    EXPECT_EQ(1u, Commands().size());
    EXPECT_EQ(-1, protocol->Begin());  // the handle is dead until the main window reopens
    bus->Plug(cable);
    OpenCable();
    EXPECT_EQ(1, protocol->Begin());
}

TEST_F(ProtocolFaults, CloseFromAnotherThreadEndsABlockedRead) {
    OpenReceiver();
    CDeviceProtocol::Timing timing;
    timing.receiverTimeoutMs = 60000;
    protocol->SetTiming(timing);
    receiver->InjectNoReply(-1);
    auto running = std::async(std::launch::async, [this] { return protocol->Begin(); });
    while (Commands().empty()) {
        std::this_thread::yield();
    }
    protocol->SetOpen(false);
    protocol->ReceiverChannel().Close();
    // Generous bound: only a lost cancel signal would reach it.
    ASSERT_EQ(std::future_status::ready, running.wait_for(std::chrono::seconds(10)));
    EXPECT_LE(running.get(), 0);
}

TEST_F(ProtocolFaults, SlowRepliesStillArrive) {
    OpenCable();
    cable->SetLatency(30);
    EXPECT_EQ(1, protocol->Begin());
    EXPECT_EQ(1u, Commands().size());
}

using ProtocolLinkCheck = SimulatedMouseTest;

TEST_F(ProtocolLinkCheck, PrimaryNeedsNoTrafficReceiverReadsByte8) {
    OpenCable();
    EXPECT_TRUE(protocol->LinkCheck());
    EXPECT_TRUE(Commands().empty());
    OpenReceiver();
    EXPECT_TRUE(protocol->LinkCheck());
    const auto commands = Commands();
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(0xAA, commands[0].bytes[3]);
    receiver->InjectStatus(0xFE, 1);
    EXPECT_FALSE(protocol->LinkCheck());
}

using ProtocolStreaming = SimulatedMouseTest;

TEST_F(ProtocolStreaming, FramesAreDroppedWhileATransactionRuns) {
    OpenCable();
    std::vector<uint8_t> frame(60, 0x42);
    ASSERT_EQ(1, protocol->StreamLight(frame.data(), int(frame.size())));
    EXPECT_EQ(2u, Commands().size());
    const auto light = mouse->LightFrame();
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), light.begin()));

    cable->SetLatency(300);
    bus->GetTranscript()->Clear();
    auto slow = std::async(std::launch::async, [this] { return protocol->Begin(); });
    while (!protocol->IsBusy()) {
        std::this_thread::yield();
    }
    EXPECT_EQ(1, protocol->StreamLight(frame.data(), int(frame.size())));
    EXPECT_EQ(1, slow.get());
    EXPECT_EQ(1u, Commands().size());  // only Begin went out
}

std::vector<std::string>* g_lines = nullptr;
std::mutex g_linesMutex;
void CaptureLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_linesMutex);
    if (g_lines) {
        g_lines->push_back(line);
    }
}

using ProtocolTrace = SimulatedMouseTest;

TEST_F(ProtocolTrace, CommandAndReplyAreTracedAsTwoLinesEach) {
    OpenCable();
    std::vector<std::string> lines;
    g_lines = &lines;
    SetDebugSink(&CaptureLine);
    protocol->Begin();
    SetDebugSink(nullptr);
    g_lines = nullptr;
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("命令", lines[0]);
    EXPECT_EQ(
        "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 "
        "00 00  00 00 00 00",
        lines[1]);
    EXPECT_EQ("返回", lines[3]);
    EXPECT_EQ(lines[4].substr(0, 14), "04 00 00 01   ");
}

}  // namespace
}  // namespace q840::testing

namespace q840::testing {
namespace {

using ProtocolConcurrency = SimulatedMouseTest;

TEST_F(ProtocolConcurrency, CommandsFromTwoThreadsNeverInterleaveOnTheWire) {
    OpenReceiver();
    cable->SetLatency(2);
    receiver->SetLatency(2);
    const std::vector<uint8_t> info = mouse->Info();
    auto reader = [&] {
        int good = 0;
        for (int i = 0; i < 5; ++i) {
            std::array<uint8_t, 34> record{};
            good += protocol->ReadInfo(record.data()) == 1 &&
                    std::equal(record.begin(), record.end(), info.begin());
        }
        return good;
    };
    auto other = std::async(std::launch::async, reader);
    EXPECT_EQ(5, reader());
    EXPECT_EQ(5, other.get());
    // Every command is followed by its own reply.
    const auto entries = bus->GetTranscript()->Entries();
    ASSERT_EQ(40u, entries.size());
    for (size_t i = 0; i + 1 < entries.size(); i += 2) {
        EXPECT_EQ(sim::Direction::HostToDevice, entries[i].direction);
        EXPECT_EQ(sim::Direction::DeviceToHost, entries[i + 1].direction);
        EXPECT_EQ(entries[i].bytes[5], entries[i + 1].bytes[5]);  // same packet address
    }
}

TEST_F(ProtocolConcurrency, PlugAndUnplugDuringTrafficNeverHangsOrCrashes) {
    OpenCable();
    CDeviceProtocol::Timing timing;
    timing.pauseMs = 0;
    timing.primaryTimeoutMs = 20;
    protocol->SetTiming(timing);
    auto plugger = std::async(std::launch::async, [&] {
        for (int i = 0; i < 100; ++i) {
            bus->Unplug(cable);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            bus->Plug(cable);
            std::this_thread::sleep_for(std::chrono::microseconds(700));
        }
    });
    int ok = 0;
    int failed = 0;
    for (int i = 0; plugger.wait_for(std::chrono::seconds(0)) != std::future_status::ready; ++i) {
        std::vector<uint8_t> block(86, uint8_t(i));
        const int result = protocol->WriteSettings(block.data(), int(block.size()), 0);
        ASSERT_TRUE(result == 1 || result == 0 || result == -1) << result;
        ok += result == 1;
        if (result != 1) {
            ++failed;
            // What the main window does when the interface comes back.
            std::lock_guard<std::recursive_mutex> io(protocol->IoLock());
            protocol->PrimaryChannel().Open(kCableCommandPath, true, true, true, false);
        }
    }
    plugger.get();
    EXPECT_GT(failed, 0);
    EXPECT_GT(ok, 0);
    EXPECT_FALSE(protocol->IsBusy());
}

}  // namespace
}  // namespace q840::testing

namespace q840::testing {
namespace {

using ProtocolGarbage = SimulatedMouseTest;

TEST_F(ProtocolGarbage, RepliesOfAnyLengthAndContentStayInsideTheBuffers) {
    OpenReceiver();
    CDeviceProtocol::Timing timing;
    timing.pauseMs = 0;
    protocol->SetTiming(timing);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 300; ++round) {
        for (int k = 0; k < 2; ++k) {
            std::vector<uint8_t> reply(next() % 130);
            for (auto& b : reply) {
                b = static_cast<uint8_t>(next());
            }
            if (!reply.empty() && next() % 3 == 0 && reply.size() > 3) {
                reply[3] = 0x05;  // sometimes a plausible echo
            }
            receiver->ScriptReply(std::move(reply));
        }
        // Guard bytes around the destination catch any write outside it.
        std::array<uint8_t, 8 + 40 + 8> guarded;
        guarded.fill(0xCD);
        const int result = protocol->ReadSettings(guarded.data() + 8, 40, 0);
        EXPECT_TRUE(result == 1 || result == 0 || result == -101 || result == -102 ||
                    result == -103)
            << result;
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(0xCD, guarded[i]);
            ASSERT_EQ(0xCD, guarded[8 + 40 + i]);
        }
        receiver->ClearFaults();
    }
    // Afterwards the device is understood again.
    EXPECT_TRUE(protocol->LinkCheck());
}

TEST_F(ProtocolGarbage, AnEchoFromTheWrongCommandNeverBecomesData) {
    OpenCable();
    std::vector<uint8_t> foreign(64, 0x99);
    foreign[0] = 4;
    foreign[3] = 0x07;  // a key table reply where settings were asked for
    foreign[7] = 0;
    cable->ScriptReply(foreign);
    cable->ScriptReply(foreign);
    std::array<uint8_t, 10> settings;
    settings.fill(0x11);
    EXPECT_EQ(0, protocol->ReadSettings(settings.data(), int(settings.size()), 0));
    EXPECT_EQ(0x11, settings[0]);
    // A reply cut short does not carry the data: no reply, nothing copied. A longer one is
    // read up to the buffer.
    std::vector<uint8_t> cut(foreign.begin(), foreign.begin() + 8 + 9);
    cut[3] = 0x05;
    cable->ScriptReply(cut);
    EXPECT_EQ(0, protocol->ReadSettings(settings.data(), int(settings.size()), 0));
    EXPECT_EQ(0x11, settings[0]);
    std::vector<uint8_t> overlong(100, 0x42);
    overlong[3] = 0x05;
    overlong[7] = 0;
    cable->ScriptReply(overlong);
    EXPECT_EQ(1, protocol->ReadSettings(settings.data(), int(settings.size()), 0));
    EXPECT_EQ(0x42, settings[9]);
}

}  // namespace
}  // namespace q840::testing
