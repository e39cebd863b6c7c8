#include "core/base/RegisteredMessage.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace q840 {

namespace {
struct Table {
    std::mutex mutex;
    std::unordered_map<std::string, UINT> ids;
    std::vector<std::string> names;  // index = id - kFirstRegisteredMessage
};

Table& TheTable() {
    static Table table;
    return table;
}
}  // namespace

UINT RegisterWindowMessageW(const std::string& name) {
    if (name.empty()) {
        return 0;
    }
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.ids.find(name);
    if (found != table.ids.end()) {
        return found->second;
    }
    const size_t next = table.names.size();
    if (next > kLastRegisteredMessage - kFirstRegisteredMessage) {
        return 0;
    }
    const UINT id = kFirstRegisteredMessage + static_cast<UINT>(next);
    table.ids.emplace(name, id);
    table.names.push_back(name);
    return id;
}

UINT FindWindowMessage(const std::string& name) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto found = table.ids.find(name);
    return found != table.ids.end() ? found->second : 0;
}

std::string RegisteredMessageName(UINT id) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (id < kFirstRegisteredMessage || id - kFirstRegisteredMessage >= table.names.size()) {
        return {};
    }
    return table.names[id - kFirstRegisteredMessage];
}

}  // namespace q840
