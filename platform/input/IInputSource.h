#pragma once

#include <string>

#include "platform/input/HookRecords.h"

namespace q840::input {

// Receives the input a source captures, on the user-interface thread, one event at a time.
class IInputSink {
public:
    virtual ~IInputSink() = default;
    virtual void OnKey(UINT keyMessage, const KeyHookRecord& record) = 0;
    virtual void OnMouse(UINT mouseMessage, const MouseHookRecord& record) = 0;
};

// How far a source sees: everything on the desktop, or only what reaches this program's windows.
enum class InputReach { Desktop, OwnWindows };

// Where the key and mouse button events of a recording come from. A started source delivers
// key events (and swallows them: no other program sees them, the lock keys excepted) and mouse
// button events (observed only: they still reach the windows) to its sink until Stop. Start and
// Stop run on the user-interface thread; so do the sink's calls.
class IInputSource {
public:
    virtual ~IInputSource() = default;
    // False when the source cannot capture here; Error() says why.
    virtual bool Start(bool keys, bool mouse, IInputSink* sink) = 0;
    // Releases everything Start took; harmless when not started.
    virtual void Stop() = 0;
    virtual bool IsStarted() const = 0;
    virtual InputReach Reach() const = 0;
    virtual std::string Error() const = 0;
    virtual const char* Name() const = 0;
};

}  // namespace q840::input
