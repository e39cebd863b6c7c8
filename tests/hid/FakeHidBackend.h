#pragma once

// A small in-memory IHidBackend for CHidDevice tests: interfaces with a descriptor, a queue of
// input reports, a record of written reports, and switches for stalled writes and vanished paths.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "core/hid/HidBackend.h"

namespace q840::hid::test {

struct FakeInterface {
    HidAttributes attributes;
    std::vector<uint8_t> descriptor;
    int collectionIndex = 0;

    // Shared with every open connection of this interface.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<uint8_t>> inputs;
    std::vector<std::vector<uint8_t>> written;
    bool writesStall = false;  // writes never complete (a device that does not take reports)
    int inFlight = 0;          // reads and writes inside the connection right now
    int openConnections = 0;
    bool ignoreCancel = false;

    void Push(std::vector<uint8_t> report) {
        std::lock_guard<std::mutex> lock(mutex);
        inputs.push_back(std::move(report));
        changed.notify_all();
    }
    int InFlight() {
        std::lock_guard<std::mutex> lock(mutex);
        return inFlight;
    }
    int OpenConnections() {
        std::lock_guard<std::mutex> lock(mutex);
        return openConnections;
    }
};

class FakeConnection : public IHidConnection {
public:
    explicit FakeConnection(std::shared_ptr<FakeInterface> iface) : m_if(std::move(iface)) {
        std::lock_guard<std::mutex> lock(m_if->mutex);
        ++m_if->openConnections;
    }
    ~FakeConnection() override {
        std::lock_guard<std::mutex> lock(m_if->mutex);
        --m_if->openConnections;
    }

    const HidAttributes& Attributes() const override { return m_if->attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return m_if->descriptor; }
    int CollectionIndex() const override { return m_if->collectionIndex; }

    HidIoStatus Read(uint8_t* buffer, size_t length, size_t* transferred, int timeoutMs) override {
        std::unique_lock<std::mutex> lock(m_if->mutex);
        ++m_if->inFlight;
        const HidIoStatus status = WaitFor(lock, timeoutMs, [&] { return !m_if->inputs.empty(); });
        if (status == HidIoStatus::Ok) {
            const std::vector<uint8_t> report = std::move(m_if->inputs.front());
            m_if->inputs.pop_front();
            const size_t n = std::min(length, report.size());
            std::copy(report.begin(), report.begin() + static_cast<long>(n), buffer);
            *transferred = n;
        }
        --m_if->inFlight;
        m_if->changed.notify_all();
        return status;
    }

    HidIoStatus Write(const uint8_t* buffer, size_t length, size_t* transferred,
                      int timeoutMs) override {
        std::unique_lock<std::mutex> lock(m_if->mutex);
        ++m_if->inFlight;
        const HidIoStatus status = WaitFor(lock, timeoutMs, [&] { return !m_if->writesStall; });
        if (status == HidIoStatus::Ok) {
            m_if->written.emplace_back(buffer, buffer + length);
            *transferred = length;
        }
        --m_if->inFlight;
        m_if->changed.notify_all();
        return status;
    }

    void Cancel() override {
        std::lock_guard<std::mutex> lock(m_if->mutex);
        m_cancelled = true;
        m_if->changed.notify_all();
    }

    bool FlushQueue() override {
        std::lock_guard<std::mutex> lock(m_if->mutex);
        m_if->inputs.clear();
        return true;
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        std::lock_guard<std::mutex> lock(m_if->mutex);
        m_if->written.emplace_back(buffer, buffer + length);
        return true;
    }

private:
    template <typename Ready>
    HidIoStatus WaitFor(std::unique_lock<std::mutex>& lock, int timeoutMs, Ready ready) {
        auto done = [&] { return (m_cancelled && !m_if->ignoreCancel) || ready(); };
        if (timeoutMs < 0) {
            m_if->changed.wait(lock, done);
        } else if (!m_if->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done)) {
            return HidIoStatus::TimedOut;
        }
        if (m_cancelled && !m_if->ignoreCancel) {
            m_cancelled = false;  // auto-reset
            return HidIoStatus::Cancelled;
        }
        return HidIoStatus::Ok;
    }

    std::shared_ptr<FakeInterface> m_if;
    bool m_cancelled = false;  // guarded by the interface mutex
};

class FakeHidBackend : public IHidBackend {
public:
    std::shared_ptr<FakeInterface> Add(const std::string& path, uint16_t vid, uint16_t pid,
                                       std::vector<uint8_t> descriptor, int collectionIndex) {
        auto iface = std::make_shared<FakeInterface>();
        iface->attributes.vendorId = vid;
        iface->attributes.productId = pid;
        iface->descriptor = std::move(descriptor);
        iface->collectionIndex = collectionIndex;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_interfaces[path] = iface;
        m_order.push_back(path);
        return iface;
    }
    void Remove(const std::string& path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_interfaces.erase(path);
        m_order.erase(std::remove(m_order.begin(), m_order.end(), path), m_order.end());
    }
    void FailEnumeration(bool fail) { m_failEnumeration = fail; }

    bool Enumerate(std::vector<std::string>& paths) override {
        if (m_failEnumeration) {
            return false;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        paths = m_order;
        return true;
    }

    std::unique_ptr<IHidConnection> Open(const std::string& path, bool, bool, bool,
                                         std::string* errorText) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_interfaces.find(path);
        if (it == m_interfaces.end()) {
            if (errorText) {
                *errorText = "no such device " + path;
            }
            return nullptr;
        }
        return std::make_unique<FakeConnection>(it->second);
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<FakeInterface>> m_interfaces;
    std::vector<std::string> m_order;
    std::atomic<bool> m_failEnumeration{false};
};

}  // namespace q840::hid::test
