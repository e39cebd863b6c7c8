#include "ctl/CtlBusClient.h"

#include <dbus/dbus.h>

#include <sys/stat.h>
#include <cstdlib>
#include <mutex>

#include "core/base/ControlInterface.h"

namespace q840::ctl {

namespace {

// The error of one libdbus call, freed on every path.
struct Error {
    DBusError e;
    Error() { dbus_error_init(&e); }
    ~Error() { dbus_error_free(&e); }
    bool IsSet() const { return dbus_error_is_set(&e) != 0; }
    std::string Text() const { return e.message != nullptr ? e.message : "unknown error"; }
};

std::string SessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) {
        return address;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return {};
    }
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    if (stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
        return {};
    }
    return "unix:path=" + socket;
}

// Reads the reply's arguments: strings, arrays of strings and 32-bit integers.
void ReadArguments(DBusMessage* message, BusClient::Reply& reply) {
    DBusMessageIter it;
    if (!dbus_message_iter_init(message, &it)) {
        return;
    }
    do {
        const int type = dbus_message_iter_get_arg_type(&it);
        if (type == DBUS_TYPE_STRING) {
            const char* text = nullptr;
            dbus_message_iter_get_basic(&it, &text);
            reply.strings.emplace_back(text != nullptr ? text : "");
        } else if (type == DBUS_TYPE_INT32) {
            dbus_int32_t value = 0;
            dbus_message_iter_get_basic(&it, &value);
            reply.ints.push_back(value);
        } else if (type == DBUS_TYPE_ARRAY &&
                   dbus_message_iter_get_element_type(&it) == DBUS_TYPE_STRING) {
            DBusMessageIter element;
            dbus_message_iter_recurse(&it, &element);
            while (dbus_message_iter_get_arg_type(&element) == DBUS_TYPE_STRING) {
                const char* text = nullptr;
                dbus_message_iter_get_basic(&element, &text);
                reply.stringArray.emplace_back(text != nullptr ? text : "");
                dbus_message_iter_next(&element);
            }
        }
    } while (dbus_message_iter_next(&it));
}

}  // namespace

BusClient::~BusClient() {
    if (m_connection != nullptr) {
        dbus_connection_close(m_connection);
        dbus_connection_unref(m_connection);
    }
}

bool BusClient::Connect(std::string* why) {
    static std::once_flag threads;
    std::call_once(threads, [] { dbus_threads_init_default(); });
    const std::string address = SessionBusAddress();
    if (address.empty()) {
        *why = "there is no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
        return false;
    }
    Error error;
    m_connection = dbus_connection_open_private(address.c_str(), &error.e);
    if (m_connection == nullptr) {
        *why = "the session bus cannot be reached: " + error.Text();
        return false;
    }
    dbus_connection_set_exit_on_disconnect(m_connection, FALSE);
    if (!dbus_bus_register(m_connection, &error.e)) {
        *why = "the session bus does not answer: " + error.Text();
        dbus_connection_close(m_connection);
        dbus_connection_unref(m_connection);
        m_connection = nullptr;
        return false;
    }
    return true;
}

bool BusClient::NameHasOwner(const char* name) {
    if (m_connection == nullptr) {
        return false;
    }
    Error error;
    return dbus_bus_name_has_owner(m_connection, name, &error.e) != 0 && !error.IsSet();
}

BusClient::Reply BusClient::Call(const char* member, const std::vector<std::string>* words,
                                 std::optional<uint32_t> number, int timeoutMs) {
    Reply reply;
    if (m_connection == nullptr) {
        reply.errorText = "not connected to the session bus";
        return reply;
    }
    DBusMessage* call = dbus_message_new_method_call(control::kBusName, control::kObjectPath,
                                                     control::kInterface, member);
    if (call == nullptr) {
        reply.errorText = "out of memory";
        return reply;
    }
    DBusMessageIter it;
    dbus_message_iter_init_append(call, &it);
    bool built = true;
    if (words != nullptr) {
        DBusMessageIter array;
        built = dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING,
                                                 &array) != 0;
        for (const std::string& w : *words) {
            // The bus refuses strings that are not UTF-8; such a word names no setting anyway.
            const char* text = w.c_str();
            built = built && dbus_validate_utf8(text, nullptr) &&
                    dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &text);
        }
        built = dbus_message_iter_close_container(&it, &array) != 0 && built;
    }
    if (number) {
        const dbus_uint32_t value = *number;
        built = built && dbus_message_iter_append_basic(&it, DBUS_TYPE_UINT32, &value);
    }
    if (!built) {
        dbus_message_unref(call);
        reply.errorName = control::kErrorUsage;
        reply.errorText = "an argument is not valid UTF-8 text";
        return reply;
    }
    Error error;
    DBusMessage* answer =
        dbus_connection_send_with_reply_and_block(m_connection, call, timeoutMs, &error.e);
    dbus_message_unref(call);
    if (answer == nullptr) {
        reply.errorName = error.e.name != nullptr ? error.e.name : "";
        reply.errorText = error.Text();
        return reply;
    }
    reply.ok = true;
    ReadArguments(answer, reply);
    dbus_message_unref(answer);
    return reply;
}

}  // namespace q840::ctl
