#pragma once

// A small client of the session bus for q840ctl, without Qt (libdbus): it connects as the
// program does, and calls one method of the running program's control interface at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DBusConnection;

namespace q840::ctl {

class BusClient {
public:
    BusClient() = default;
    ~BusClient();
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    // The session bus: DBUS_SESSION_BUS_ADDRESS, or the per-user socket $XDG_RUNTIME_DIR/bus
    // when the variable is unset. False, with the reason, when there is none or it refuses.
    bool Connect(std::string* why);
    bool NameHasOwner(const char* name);

    // What a call answered: the reply's string, array-of-string and int32 arguments in order,
    // or the error's name and text.
    struct Reply {
        bool ok = false;
        std::string errorName;
        std::string errorText;
        std::vector<std::string> strings;
        std::vector<std::string> stringArray;
        std::vector<int32_t> ints;
    };
    // One method of the control interface with at most one argument: an array of strings or an
    // unsigned 32-bit number. Waits at most timeoutMs for the answer.
    Reply Call(const char* member, const std::vector<std::string>* words,
               std::optional<uint32_t> number, int timeoutMs);

private:
    DBusConnection* m_connection = nullptr;
};

}  // namespace q840::ctl
