// Fuzz target: arbitrary bytes as the replies a device sends. A fake HID backend answers every
// read on the command interface with the next reply taken from the input; the protocol's
// operations run on both channels over it, then the codecs decode what was read. Nothing may
// crash, hang or let a reply's bytes out of their buffers.
//
// The input is a sequence of replies, each one header byte and its bytes:
//   0xFF      no reply (the read times out)
//   0xFE      the read fails (the device is gone)
//   0x80 | n  the command that was just written, echoed with status 0, and the next n bytes
//             as its data from byte 8 on (n above 56 makes an overlong report)
//   n < 0x80  n raw bytes, the report ID included (short, full or overlong replies)
// The first byte picks the transfer size and a few switches. When the input runs out every
// read times out, so each operation ends quickly.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/protocol/SettingsRead.h"
#include "core/protocol/codecs/DeviceEvents.h"
#include "core/protocol/codecs/EventArea.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/KeyTable.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/protocol/codecs/ShortSettingsBlock.h"
#include "core/sim/ReportDescriptors.h"

using namespace q840;
using namespace q840::protocol;

namespace {

constexpr const char* kPrimaryPath = "fuzz:vid_320f&pid_226e&mi_01&col02";
constexpr const char* kReceiverPath = "fuzz:vid_320f&pid_226f&mi_01&col02";

// The replies still to come, shared by both channels (one device answers at a time).
struct ReplyTape {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    std::vector<uint8_t> lastCommand = std::vector<uint8_t>(kReportSize, 0);

    void Reset(const uint8_t* d, size_t n) {
        data = d;
        size = n;
        pos = 0;
        std::fill(lastCommand.begin(), lastCommand.end(), 0);
    }
    bool Empty() const { return pos >= size; }
    uint8_t Next() { return pos < size ? data[pos++] : 0; }
};

ReplyTape g_tape;

class TapeConnection : public hid::IHidConnection {
public:
    TapeConnection() {
        m_attributes.vendorId = 0x320F;
        m_attributes.productId = 0x226E;
        m_descriptor = sim::CommandCollection().descriptor;
    }
    const hid::HidAttributes& Attributes() const override { return m_attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return m_descriptor; }
    int CollectionIndex() const override { return 0; }

    hid::HidIoStatus Read(uint8_t* buffer, size_t length, size_t* transferred,
                          int timeoutMs) override {
        if (g_tape.Empty()) {
            return hid::HidIoStatus::TimedOut;
        }
        const uint8_t header = g_tape.Next();
        if (header == 0xFF) {
            return hid::HidIoStatus::TimedOut;
        }
        if (header == 0xFE) {
            return hid::HidIoStatus::Error;
        }
        std::vector<uint8_t> reply;
        size_t at = 0;
        if (header & 0x80) {
            reply = g_tape.lastCommand;
            reply.resize(kReportSize, 0);
            at = offsetof(ReplyReport, data);
            reply[offsetof(ReplyReport, status)] = 0;
        }
        const size_t n = header & 0x7F;
        for (size_t i = 0; i < n && !g_tape.Empty(); ++i, ++at) {
            if (at >= reply.size()) {
                reply.resize(at + 1, 0);
            }
            reply[at] = g_tape.Next();
        }
        // As the kernel does: a report longer than the buffer is cut to it.
        const size_t copied = std::min(length, reply.size());
        std::copy_n(reply.begin(), copied, buffer);
        *transferred = copied;
        return hid::HidIoStatus::Ok;
    }

    hid::HidIoStatus Write(const uint8_t* buffer, size_t length, size_t* transferred,
                           int timeoutMs) override {
        g_tape.lastCommand.assign(buffer, buffer + length);
        *transferred = length;
        return hid::HidIoStatus::Ok;
    }
    void Cancel() override {}
    bool FlushQueue() override { return true; }
    bool SetOutputReport(const uint8_t* buffer, size_t length) override { return true; }

private:
    hid::HidAttributes m_attributes;
    std::vector<uint8_t> m_descriptor;
};

class TapeBackend : public hid::IHidBackend {
public:
    bool Enumerate(std::vector<std::string>& paths) override {
        paths = {kPrimaryPath, kReceiverPath};
        return true;
    }
    std::unique_ptr<hid::IHidConnection> Open(const std::string& path, bool, bool, bool,
                                              std::string*) override {
        return std::make_unique<TapeConnection>();
    }
};

// Decodes what the operations read, as the pages do.
void DecodeAll(const std::array<uint8_t, InfoRecord::kSize>& infoBytes,
               const std::array<uint8_t, SettingsBlock::kSize>& settings,
               const std::array<uint8_t, kKeyTableBufferSize>& keyTable, size_t keyTableLength,
               const std::array<uint8_t, kMaxPayload>& status) {
    const InfoRecord info = InfoRecord::Decode(infoBytes.data(), infoBytes.size());
    (void)info.Encode();
    (void)info.IsValid();
    const SettingsBlock block = SettingsBlock::Decode(settings.data(), settings.size());
    (void)block.Encode();

    // The device says how many key slots it has; the table read is what it is.
    const auto map = BuildKeySlotMap(keyTable.data(), keyTableLength, info.keySlots);
    for (uint8_t slot : map) {
        if (slot != kNoSlot) {
            (void)ReadKeySlot(keyTable.data(), keyTableLength, slot);
        }
    }
    for (size_t slot = 0; slot < info.keySlots + 2u; ++slot) {
        (void)ReadKeySlot(keyTable.data(), keyTableLength, slot);
    }
    (void)ParseEventArea(keyTable.data(), keyTableLength);
    for (size_t i = 0; i + 4 <= keyTableLength; i += 4) {
        (void)DecodeMacroStep(keyTable.data() + i);
    }

    const std::vector<int> effectCodes = {0, 1, 2, 3, 5, 8, 13};
    const auto shortBlock = ShortSettingsBlock::FromDevice(
        keyTable.data(), std::min<size_t>(keyTableLength, ShortSettingsBlock::kReadLength),
        settings[0], effectCodes);
    (void)shortBlock.ToDevice(effectCodes);
    (void)ShortSettingsBlock::FromDevice(keyTable.data(), keyTableLength, status[0], {});

    const uint16_t event = EventCodeFromReport(status.data(), status.size());
    if (IsProfileEvent(event)) {
        (void)EventProfile(event);
        (void)EventDpiStage(event);
    }
    (void)MousePowerRecord(status.data(), true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    hid::SetHidBackend(std::make_shared<TapeBackend>());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t switches = data[0];
    g_tape.Reset(data + 1, size - 1);

    CDeviceProtocol protocol;
    CDeviceProtocol::Timing timing;
    timing.pauseMs = 0;
    timing.primaryTimeoutMs = 0;
    timing.receiverTimeoutMs = 0;
    timing.streamPrimaryTimeoutMs = 0;
    timing.streamReceiverTimeoutMs = 0;
    protocol.SetTiming(timing);
    protocol.PrimaryChannel().Open(kPrimaryPath, true, true, true, false);
    protocol.ReceiverChannel().Open(kReceiverPath, true, true, true, false);
    // Transfer sizes the devices use, and one the program refuses.
    const int transferSizes[] = {512, 504, 168, 33, 0, 513, 3, 1};
    protocol.SetTransferSize(transferSizes[switches & 7]);
    protocol.SetOpen(true);

    std::array<uint8_t, InfoRecord::kSize> info{};
    std::array<uint8_t, SettingsBlock::kSize> settings{};
    std::array<uint8_t, kKeyTableBufferSize> keyTable{};
    std::array<uint8_t, kMaxPayload> status{};
    std::array<uint8_t, kReportSize> raw{};

    // Cable first, then the receiver, then the cable again if replies are left.
    const int channels[] = {1, 2, 1};
    for (int channel : channels) {
        protocol.SetChannel(channel);
        if (!protocol.LinkCheck() && (switches & 0x08)) {
            continue;
        }
        protocol.Begin();
        protocol.ReadInfo(info.data());
        std::array<uint8_t, SettingsBlock::kSize> current{};
        if (ReadCurrentSettingsBlock(protocol, current) == kResultOk) {
            settings = current;
        }
        protocol.ReadSettings(settings.data(), int(settings.size()), 0);
        protocol.ReadKeyTable(keyTable.data());
        protocol.ReadColourSlots(keyTable.data());
        protocol.ReadBanked(keyTable.data(), 100, switches >> 4, 128);
        protocol.ReadStatus(status.data(), int(status.size()), 0);
        protocol.ReadStatus(status.data(), 200, 0x10);  // cut to one packet
        protocol.ReadStatus(status.data(), 6, switches);
        protocol.SendRaw(0x1A, 0, 8, nullptr, 0, raw.data());

        const SettingsBlock decoded = SettingsBlock::Decode(settings.data(), settings.size());
        const auto encoded = decoded.Encode();
        protocol.WriteSettings(encoded.data(), int(encoded.size()),
                               int(SettingsBlock::ProfileAddress(decoded.profileIndex)));
        protocol.WriteKeyTable(keyTable.data(), 0);
        protocol.WriteInfo(info.data());
        protocol.StreamLight(keyTable.data(), 96);
        protocol.LightControl();
        protocol.End();
        if (g_tape.Empty()) {
            break;
        }
    }

    const size_t keyTableLength = std::min<size_t>(protocol.GetTransferSize(), keyTable.size());
    DecodeAll(info, settings, keyTable, keyTableLength, status);
    return 0;
}
