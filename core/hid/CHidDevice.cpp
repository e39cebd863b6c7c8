#include "core/hid/CHidDevice.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/hid/HidPath.h"
#include "core/hid/HidReportDescriptor.h"
#include "core/base/DebugLine.h"

namespace q840::hid {

namespace {

// The input report buffer never moves: a listener may still be reading into it while another
// thread reopens the device, so it is allocated once at the largest size a report can have.
constexpr size_t kMaxReportBuffer = 4097;

// How long Close waits for a read or write it has cancelled to return. A backend that ignores
// the cancel signal must not hang the caller for good.
constexpr auto kCancelWait = std::chrono::milliseconds(1000);

// Where the decoded value of a data item comes from.
struct ItemSource {
    size_t capsIndex = 0;  // into buttonCaps or valueCaps of the input kind
    int fieldIndex = 0;    // value items: the field of that capability
};

}  // namespace

struct CHidDevice::Impl {
    // Enumerated paths and the cursor of NextPath.
    std::vector<std::string> paths;
    bool havePaths = false;
    size_t cursor = 0;

    // Options and path of the last Open, kept for Reopen.
    bool readAccess = false;
    bool writeAccess = false;
    bool overlapped = false;
    bool exclusive = false;
    std::string path;

    // The open connection. Readers and writers take their own reference under the mutex, so a
    // Close on another thread never destroys a connection that is still in use.
    mutable std::mutex connectionMutex;
    std::shared_ptr<IHidConnection> connection;
    std::condition_variable idle;
    // Reads and writes in progress (the pending flags of both kinds in one count); Close waits
    // for it to reach 0 after waking them. Guarded by connectionMutex.
    int operationsInFlight = 0;

    HidAttributes attributes;
    HidCaps caps;
    HidCollectionInfo collection;
    std::vector<uint8_t> inputReportBuffer = std::vector<uint8_t>(kMaxReportBuffer, 0);
    std::vector<uint8_t> outputReportBuffer;
    std::vector<uint8_t> featureReportBuffer;
    std::vector<HidDataItem> inputItems;
    std::vector<ItemSource> inputItemSources;
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;
    std::string lastOpenError;

    std::shared_ptr<IHidConnection> Current() const {
        std::lock_guard<std::mutex> lock(connectionMutex);
        return connection;
    }

    // Takes a reference for one operation; null when closed.
    std::shared_ptr<IHidConnection> BeginOperation() {
        std::lock_guard<std::mutex> lock(connectionMutex);
        if (!connection) {
            return nullptr;
        }
        ++operationsInFlight;
        return connection;
    }

    void EndOperation() {
        std::lock_guard<std::mutex> lock(connectionMutex);
        --operationsInFlight;
        idle.notify_all();
    }

    // Detaches the connection, wakes whatever waits on it and waits (bounded) until it returned.
    void Shutdown() {
        std::unique_lock<std::mutex> lock(connectionMutex);
        std::shared_ptr<IHidConnection> old = std::move(connection);
        connection.reset();
        if (!old) {
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kCancelWait;
        // One signal wakes one waiter; a read and a write may both be waiting, so keep
        // signalling until every operation is gone.
        while (operationsInFlight > 0) {
            old->Cancel();
            if (idle.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout &&
                std::chrono::steady_clock::now() >= deadline) {
                DebugLine("CHidDevice: I/O on %s did not end after cancel", path.c_str());
                break;
            }
        }
        lock.unlock();
        old.reset();  // closes the handle (or the last operation's reference will)
    }

    void FreeCapabilityData() {
        attributes = HidAttributes();
        caps = HidCaps();
        collection = HidCollectionInfo();
        std::fill(inputReportBuffer.begin(), inputReportBuffer.end(), 0);
        outputReportBuffer.clear();
        featureReportBuffer.clear();
        inputItems.clear();
        inputItemSources.clear();
    }

    void BuildInputItems() {
        const int k = static_cast<int>(HidReportKind::Input);
        // Capacity of a usage list: every usage of that page the report kind can report at once.
        auto maxUsageListLength = [&](uint16_t page) {
            size_t n = 0;
            for (const HidFieldCaps& c : collection.buttonCaps[k]) {
                if (c.usagePage == page) {
                    n += c.reportCount;
                }
            }
            return n;
        };
        for (size_t i = 0; i < collection.buttonCaps[k].size(); ++i) {
            const HidFieldCaps& c = collection.buttonCaps[k][i];
            HidDataItem item;
            item.isButton = true;
            item.usagePage = c.usagePage;
            item.reportId = c.reportId;
            item.usageMin = c.usageMin;
            item.usageMax = c.usageMax;
            item.usages.assign(maxUsageListLength(c.usagePage), 0);
            inputItems.push_back(std::move(item));
            inputItemSources.push_back({i, 0});
        }
        for (size_t i = 0; i < collection.valueCaps[k].size(); ++i) {
            const HidFieldCaps& c = collection.valueCaps[k][i];
            // A usage range gives one item per usage; only as many as there are fields carry
            // data, so the expansion stops there.
            const int usages =
                c.isRange ? std::min<int>(c.usageMax - c.usageMin + 1, c.reportCount) : 1;
            for (int u = 0; u < usages; ++u) {
                HidDataItem item;
                item.usagePage = c.usagePage;
                item.reportId = c.reportId;
                item.usageMin = item.usageMax = static_cast<uint16_t>(c.usageMin + u);
                inputItems.push_back(std::move(item));
                inputItemSources.push_back({i, u});
            }
        }
    }
};

CHidDevice::CHidDevice() : m_impl(std::make_unique<Impl>()) {}

CHidDevice::~CHidDevice() {
    Close();
    FreePaths();
}

bool CHidDevice::Enumerate() {
    m_impl->cursor = 0;
    m_impl->paths.clear();
    m_impl->havePaths = false;
    std::shared_ptr<IHidBackend> backend = GetHidBackend();
    if (!backend) {
        return false;
    }
    std::vector<std::string> paths;
    if (!backend->Enumerate(paths)) {
        return false;
    }
    m_impl->paths = std::move(paths);
    m_impl->havePaths = true;
    return true;
}

const char* CHidDevice::NextPath() {
    if (!m_impl->havePaths || m_impl->cursor >= m_impl->paths.size()) {
        return nullptr;
    }
    return m_impl->paths[m_impl->cursor++].c_str();
}

void CHidDevice::FreePaths() {
    m_impl->paths.clear();
    m_impl->paths.shrink_to_fit();
    m_impl->havePaths = false;
    m_impl->cursor = 0;
}

bool CHidDevice::Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped,
                      bool exclusive) {
    Impl& d = *m_impl;
    // Copy first: the argument may be our own stored path (Reopen).
    const std::string newPath = path;
    Close();
    d.readAccess = readAccess;
    d.writeAccess = writeAccess;
    d.overlapped = overlapped;
    d.exclusive = exclusive;
    d.path = newPath;
    d.lastOpenError.clear();
    d.interfaceNumber = 0;
    d.collectionNumber = 0;

    // Paths are kept whole, whatever their length: a path cut to a fixed buffer would open the
    // wrong interface or none.
    if (newPath.empty()) {
        d.lastOpenError = "empty path";
        return false;
    }
    std::shared_ptr<IHidBackend> backend = GetHidBackend();
    if (!backend) {
        d.lastOpenError = "no HID backend";
        return false;
    }
    std::string reason;
    std::unique_ptr<IHidConnection> opened =
        backend->Open(newPath, readAccess, writeAccess, exclusive, &reason);
    if (!opened) {
        d.lastOpenError = reason.empty() ? "cannot open " + newPath : reason;
        return false;
    }

    HidReportDescriptor descriptor;
    if (!ParseReportDescriptor(opened->ReportDescriptor(), &descriptor, &reason)) {
        d.lastOpenError = "unusable report descriptor on " + newPath + ": " + reason;
        return false;
    }
    const int index = opened->CollectionIndex();
    if (index < 0 || static_cast<size_t>(index) >= descriptor.collections.size()) {
        d.lastOpenError = "no such collection on " + newPath;
        return false;
    }
    d.collection = std::move(descriptor.collections[static_cast<size_t>(index)]);
    d.attributes = opened->Attributes();
    d.caps.usagePage = d.collection.usagePage;
    d.caps.usage = d.collection.usage;
    d.caps.inputReportByteLength = d.collection.InputReportByteLength();
    d.caps.outputReportByteLength = d.collection.OutputReportByteLength();
    d.caps.featureReportByteLength = d.collection.FeatureReportByteLength();
    d.caps.numberInputButtonCaps = static_cast<uint16_t>(d.collection.buttonCaps[0].size());
    d.caps.numberInputValueCaps = static_cast<uint16_t>(d.collection.valueCaps[0].size());
    d.outputReportBuffer.assign(d.caps.outputReportByteLength, 0);
    d.featureReportBuffer.assign(d.caps.featureReportByteLength, 0);
    d.BuildInputItems();
    d.interfaceNumber = ParseInterfaceNumber(newPath);
    d.collectionNumber = ParseCollectionNumber(newPath);

    std::lock_guard<std::mutex> lock(d.connectionMutex);
    d.connection = std::move(opened);
    return true;
}

bool CHidDevice::Reopen() {
    const std::string path = m_impl->path;
    return Open(path, m_impl->readAccess, m_impl->writeAccess, m_impl->overlapped,
                m_impl->exclusive);
}

void CHidDevice::Close() {
    m_impl->Shutdown();
    m_impl->FreeCapabilityData();
}

void CHidDevice::CancelPendingIo() {
    Impl& d = *m_impl;
    std::lock_guard<std::mutex> lock(d.connectionMutex);
    // A signal given while nothing waits would be kept for the next operation, so only signal
    // operations that are there; the caller repeats it for one that starts later.
    if (d.connection && d.operationsInFlight > 0) {
        d.connection->Cancel();
    }
}

bool CHidDevice::IsOpen() const {
    return m_impl->Current() != nullptr;
}

namespace {
// One read or write on the open connection: the connection is held for the length of the call,
// so a Close from another thread wakes it and waits for it instead of freeing it underneath.
template <typename DeviceImpl, typename Io>
bool RunOperation(DeviceImpl& impl, bool validBuffer, size_t* transferred, Io io) {
    if (transferred) {
        *transferred = 0;
    }
    if (!validBuffer) {
        return false;
    }
    std::shared_ptr<IHidConnection> c = impl.BeginOperation();
    if (!c) {
        return false;
    }
    size_t n = 0;
    const HidIoStatus status = io(*c, &n);
    if (status == HidIoStatus::Ok && transferred) {
        *transferred = n;
    }
    c.reset();
    impl.EndOperation();
    return status == HidIoStatus::Ok;
}
}  // namespace

bool CHidDevice::ReadReport(uint8_t* buffer, size_t length, size_t* transferred, int timeoutMs) {
    return RunOperation(
        *m_impl, buffer && length > 0, transferred,
        [&](IHidConnection& c, size_t* n) { return c.Read(buffer, length, n, timeoutMs); });
}

bool CHidDevice::WriteReport(const uint8_t* buffer, size_t length, size_t* transferred,
                             int timeoutMs) {
    return RunOperation(
        *m_impl, buffer && length > 0, transferred,
        [&](IHidConnection& c, size_t* n) { return c.Write(buffer, length, n, timeoutMs); });
}

bool CHidDevice::UnpackInputReport(const uint8_t* report, size_t length) {
    Impl& d = *m_impl;
    if (!report || length == 0 || !IsOpen()) {
        return false;
    }
    const int k = static_cast<int>(HidReportKind::Input);
    const uint8_t reportId = report[0];
    for (size_t i = 0; i < d.inputItems.size(); ++i) {
        HidDataItem& item = d.inputItems[i];
        if (item.reportId != reportId) {
            continue;
        }
        const ItemSource& source = d.inputItemSources[i];
        if (item.isButton) {
            // Every pressed usage of the page in this report, then only this item's range.
            std::vector<uint16_t> pressed;
            for (const HidFieldCaps& c : d.collection.buttonCaps[k]) {
                if (c.usagePage == item.usagePage && c.reportId == reportId &&
                    !GetPressedUsages(c, report, length, &pressed)) {
                    return false;
                }
            }
            std::fill(item.usages.begin(), item.usages.end(), 0);
            size_t n = 0;
            for (uint16_t u : pressed) {
                if (u >= item.usageMin && u <= item.usageMax && n < item.usages.size()) {
                    item.usages[n++] = u;
                }
            }
        } else {
            const HidFieldCaps& c = d.collection.valueCaps[k][source.capsIndex];
            uint32_t raw = 0;
            if (!GetFieldValue(c, source.fieldIndex, report, length, &raw)) {
                return false;
            }
            item.rawValue = static_cast<int32_t>(raw);
            item.scaledValue = ScaleFieldValue(c, raw);
        }
        item.isSet = true;
    }
    return true;
}

bool CHidDevice::FlushQueue() {
    std::shared_ptr<IHidConnection> c = m_impl->Current();
    return c && c->FlushQueue();
}

bool CHidDevice::SetOutputReport(const uint8_t* buffer, size_t length) {
    if (!buffer || length == 0) {
        return false;
    }
    std::shared_ptr<IHidConnection> c = m_impl->Current();
    return c && c->SetOutputReport(buffer, length);
}

const HidAttributes& CHidDevice::GetAttributes() const {
    return m_impl->attributes;
}
const HidCaps& CHidDevice::GetCaps() const {
    return m_impl->caps;
}
const std::string& CHidDevice::GetPath() const {
    return m_impl->path;
}
uint8_t* CHidDevice::GetInputReportBuffer() {
    return m_impl->inputReportBuffer.data();
}
const std::vector<HidDataItem>& CHidDevice::GetInputDataItems() const {
    return m_impl->inputItems;
}
uint32_t CHidDevice::GetInterfaceNumber() const {
    return m_impl->interfaceNumber;
}
uint32_t CHidDevice::GetCollectionNumber() const {
    return m_impl->collectionNumber;
}
const std::string& CHidDevice::GetLastOpenError() const {
    return m_impl->lastOpenError;
}

uint32_t ParseInterfaceNumber(const std::string& path) {
    return ParseHexAfterMarker(path, "&mi_");
}
uint32_t ParseCollectionNumber(const std::string& path) {
    return ParseHexAfterMarker(path, "&col");
}

}  // namespace q840::hid
