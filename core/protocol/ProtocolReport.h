#pragma once

// The 64-byte command and reply reports of the device protocol.

#include <cstddef>
#include <cstdint>

namespace q840::protocol {

constexpr uint8_t kCommandReportId = 4;
constexpr size_t kReportSize = 64;
constexpr size_t kMaxPayload = 56;

// Command codes.
enum class Command : uint8_t {
    Begin = 0x01,
    End = 0x02,
    ReadInfo = 0x03,
    WriteInfo = 0x04,
    ReadSettings = 0x05,
    WriteSettings = 0x06,
    ReadKeyTable = 0x07,
    WriteKeyTable = 0x09,
    ReadBanked = 0x0A,
    WriteBanked = 0x0B,
    StreamLight = 0x12,
    WriteMacroArea = 0x15,
    WriteShootArea = 0x17,
    ReadStatus = 0x1A,
    ReadColourSlots = 0x1B,
    LightControl = 0x1C,
    LinkCheck = 0xAA,
};

// Result codes of the command operations.
constexpr int kResultOk = 1;
constexpr int kResultNoReply = 0;  // channel not open, or no reply arrived
constexpr int kResultWriteFailed = -1;
constexpr int kResultUnreachable = -101;  // the receiver answered 0xAA: the mouse is out of reach
constexpr int kResultStatusFF = -102;
constexpr int kResultStatusFE = -103;
constexpr int kResultBadBank = -201;

// Reply byte 3 on the receiver channel when the mouse behind it does not answer.
constexpr uint8_t kReplyUnreachable = 0xAA;
constexpr uint8_t kStatusErrorFF = 0xFF;
constexpr uint8_t kStatusErrorFE = 0xFE;
// LinkCheck reply byte 8 when the mouse is reachable.
constexpr uint8_t kLinkUp = 0xFF;

#pragma pack(push, 1)
struct CommandReport {
    uint8_t reportId;      // always 4
    uint8_t checksumLow;   // sum of bytes 3..63, low byte
    uint8_t checksumHigh;  // next 8 bits
    uint8_t code;
    uint8_t length;  // payload bytes of this packet
    uint8_t addressLow;
    uint8_t addressHigh;
    uint8_t reserved;  // 0
    uint8_t payload[kMaxPayload];
};

struct ReplyReport {
    uint8_t reportId;
    uint8_t ignored[2];
    uint8_t echo;  // the command code, or 0xAA from a receiver whose mouse is unreachable
    uint8_t length;
    uint8_t addressLow;
    uint8_t addressHigh;
    uint8_t status;  // 0xFF and 0xFE are errors
    uint8_t data[kMaxPayload];
};
#pragma pack(pop)

static_assert(sizeof(CommandReport) == kReportSize);
static_assert(sizeof(ReplyReport) == kReportSize);
static_assert(offsetof(CommandReport, code) == 3 && offsetof(CommandReport, payload) == 8);
static_assert(offsetof(ReplyReport, status) == 7 && offsetof(ReplyReport, data) == 8);

// Sum of bytes 3..63 in 32 bits; the report carries its low 16 bits.
inline uint32_t ReportChecksum(const CommandReport& report) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&report);
    uint32_t sum = 0;
    for (size_t i = offsetof(CommandReport, code); i < kReportSize; ++i) {
        sum += bytes[i];
    }
    return sum;
}

// Puts the checksum in place; call after every other byte is set.
inline void SealReport(CommandReport& report) {
    const uint32_t sum = ReportChecksum(report);
    report.checksumLow = static_cast<uint8_t>(sum & 0xFF);
    report.checksumHigh = static_cast<uint8_t>((sum >> 8) & 0xFF);
}

}  // namespace q840::protocol
