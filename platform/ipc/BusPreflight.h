#pragma once

#include <QString>

namespace q840::ipc {

// Whether the bus at a D-Bus address answers its first handshake line within `timeoutMs`.
// The D-Bus library itself waits up to 25 s for a daemon that accepted the connection but does
// not talk (stopped, overloaded), and our start-up must never hang on that. Unix-socket
// addresses (path=, abstract=, runtime=yes) are probed; an address made only of transports this
// probe does not know is left to the D-Bus library and counts as answering.
bool BusAnswers(const QString& address, int timeoutMs);

}  // namespace q840::ipc
