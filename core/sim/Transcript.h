#pragma once

// Every report the simulated devices exchange with the program, in order, for tests that assert
// exact bytes.

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace q840::sim {

enum class Direction { HostToDevice, DeviceToHost };

enum class ReportKind {
    Command,          // output report on the command collection
    Reply,            // input report answering a command
    Event,            // input report on the event collection
    SetOutputReport,  // report sent on the control pipe (headset LEDs)
};

struct TranscriptEntry {
    uint64_t sequence = 0;
    Direction direction = Direction::HostToDevice;
    ReportKind kind = ReportKind::Command;
    std::string channel;  // label of the USB device: "cable", "receiver", "pad", "headset"
    std::string path;
    std::vector<uint8_t> bytes;  // report ID first
};

class Transcript {
public:
    void Record(Direction direction, ReportKind kind, const std::string& channel,
                const std::string& path, const uint8_t* bytes, size_t length);
    std::vector<TranscriptEntry> Entries() const;
    // Only the commands (host to device) of one channel, or of every channel when empty.
    std::vector<TranscriptEntry> Commands(const std::string& channel = {}) const;
    size_t Size() const;
    void Clear();
    // Stops recording (benchmarks); recording is on by default.
    void SetEnabled(bool enabled);
    // Keeps at most this many entries, dropping the oldest (a long demo run must not grow
    // without end). Default kDefaultLimit.
    void SetLimit(size_t entries);
    static constexpr size_t kDefaultLimit = 100000;

private:
    mutable std::mutex m_mutex;
    std::deque<TranscriptEntry> m_entries;
    size_t m_limit = kDefaultLimit;
    uint64_t m_next = 0;
    bool m_enabled = true;
};

}  // namespace q840::sim
