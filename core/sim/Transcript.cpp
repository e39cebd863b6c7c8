#include "core/sim/Transcript.h"

namespace q840::sim {

void Transcript::Record(Direction direction, ReportKind kind, const std::string& channel,
                        const std::string& path, const uint8_t* bytes, size_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_enabled) {
        return;
    }
    TranscriptEntry entry;
    entry.sequence = m_next++;
    entry.direction = direction;
    entry.kind = kind;
    entry.channel = channel;
    entry.path = path;
    entry.bytes.assign(bytes, bytes + length);
    m_entries.push_back(std::move(entry));
    while (m_entries.size() > m_limit) {
        m_entries.pop_front();
    }
}

void Transcript::SetLimit(size_t entries) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_limit = entries;
    while (m_entries.size() > m_limit) {
        m_entries.pop_front();
    }
}

std::vector<TranscriptEntry> Transcript::Entries() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::vector<TranscriptEntry>(m_entries.begin(), m_entries.end());
}

std::vector<TranscriptEntry> Transcript::Commands(const std::string& channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<TranscriptEntry> result;
    for (const auto& e : m_entries) {
        if (e.kind == ReportKind::Command && (channel.empty() || e.channel == channel)) {
            result.push_back(e);
        }
    }
    return result;
}

size_t Transcript::Size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.size();
}

void Transcript::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

void Transcript::SetEnabled(bool enabled) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enabled = enabled;
}

}  // namespace q840::sim
