#pragma once

#include <QString>

namespace q840::ipc {

// The program's fixed place on the session bus. Owning kBusName is also what makes a process the
// first (and only) running instance.
inline constexpr char kBusName[] = "com.halvorn.Q840Vex";
inline constexpr char kObjectPath[] = "/com/halvorn/Q840Vex";
inline constexpr char kInterface[] = "com.halvorn.Q840Vex.Messages";

// Programs that other programs find by their window title own "com.halvorn.Window.<Title>".
inline constexpr char kWindowBusPrefix[] = "com.halvorn.Window.";

// Member names of kInterface.
inline constexpr char kPostMessageMember[] = "PostMessage";
inline constexpr char kCopyDataMember[] = "CopyData";
inline constexpr char kBroadcastMember[] = "Broadcast";

// The bus name of the program whose top-level window carries `title`: every character outside
// [A-Za-z0-9_] becomes '_', and a title that starts with a digit gets a leading '_' (a bus name
// element may not start with a digit). Empty when the title cannot name a bus (empty, or the
// name would exceed the bus's 255-character limit).
QString WindowBusName(const QString& title);

}  // namespace q840::ipc
