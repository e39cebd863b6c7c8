#pragma once

// Writes to a hidraw node on a thread of their own, so that the caller can give up on one.
//
// hidraw's poll() always reports a node writable, and write() does not honour O_NONBLOCK: it
// sends the report to the device (the interrupt OUT endpoint, or SET_REPORT on the control pipe
// when there is none) and sleeps, not interruptibly, until the device takes it, the USB core's
// 5 s time-out passes or the device goes away. A caller that must keep its own time-out (or be
// cancelled) therefore cannot make the system call itself. The writer makes it; the caller waits
// on `DoneFd()` with its time-out and cancel signal and may leave the write behind. A write left
// behind ends in the kernel within those 5 s, and the next write waits for it first, so reports
// still go out in order. The thread owns a duplicate of the descriptor, so closing the
// connection while a write is in the kernel is safe.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace q840::hid {

// The system call; tests stand in for the kernel with one that blocks.
using HidrawWriteCall = ssize_t (*)(int fd, const void* data, size_t length);

class CHidrawWriter {
public:
    // `fd` stays the caller's; the writer duplicates it.
    CHidrawWriter(int fd, HidrawWriteCall call);
    ~CHidrawWriter();
    CHidrawWriter(const CHidrawWriter&) = delete;
    CHidrawWriter& operator=(const CHidrawWriter&) = delete;

    bool Valid() const;
    // Readable while no write is under way (a finished write's result waits in Collect()).
    int DoneFd() const;
    // True from Start() until Collect().
    bool Busy() const;
    // Hands one report to the thread (starting it on first use). Only when !Busy().
    bool Start(const uint8_t* data, size_t length);
    // After DoneFd() became readable: the system call's result and errno; the writer is idle.
    ssize_t Collect(int* error);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    bool m_busy = false;
};

}  // namespace q840::hid
