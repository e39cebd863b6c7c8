#pragma once

// The program's control interface on the session bus, beside its messages interface at the same
// object path: what other programs and q840ctl call to read and change the devices while the
// program runs. The program implements it (platform/ipc, app/); q840ctl calls it without Qt.

namespace q840::control {

inline constexpr char kBusName[] = "com.halvorn.Q840Vex";
inline constexpr char kObjectPath[] = "/com/halvorn/Q840Vex";
inline constexpr char kInterface[] = "com.halvorn.Q840Vex.Control";

// Methods.
inline constexpr char kGetDevices[] = "GetDevices";      // -> s (JSON)
inline constexpr char kReadInfo[] = "ReadInfo";          // -> s (JSON, as q840ctl --json info)
inline constexpr char kReadSettings[] = "ReadSettings";  // -> s (JSON, as q840ctl --json settings)
inline constexpr char kReadBattery[] = "ReadBattery";    // -> s (JSON, as q840ctl --json battery)
inline constexpr char kSetSettings[] = "SetSettings";    // as words -> s (what was set)
inline constexpr char kListProfiles[] = "ListProfiles";  // -> as names, i current
inline constexpr char kSwitchProfile[] = "SwitchProfile";  // u index -> s name

// Errors: the caller's exit code in q840ctl terms.
inline constexpr char kErrorUsage[] = "com.halvorn.Q840Vex.Error.InvalidArgs";  // 2
inline constexpr char kErrorDevice[] = "com.halvorn.Q840Vex.Error.Device";      // 1
inline constexpr char kErrorNoDevice[] = "com.halvorn.Q840Vex.Error.NoDevice";  // 3
inline constexpr char kErrorBusy[] = "com.halvorn.Q840Vex.Error.Busy";          // 1

// At most this many words in one SetSettings call, and this many bytes in one word: every
// setting takes at most four words, and no value is longer.
inline constexpr int kMaxSetWords = 64;
inline constexpr int kMaxWordBytes = 64;

}  // namespace q840::control
