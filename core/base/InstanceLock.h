#pragma once

// A guard that one copy of the program runs per user even without a session bus (started
// from a bare console, or a bus that does not answer): an exclusive lock on a file, held while
// the process lives and let go by the kernel when it ends, however it ends.

#include <string>

namespace q840 {

class InstanceLock {
public:
    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting and writes this process's ID into the file. False when
    // another holds it (HolderPid() then names it) or the file cannot be opened (Error()).
    bool TryAcquire();
    bool Held() const { return m_held; }
    // The process that holds the lock, as it wrote itself into the file; 0 when unknown.
    long HolderPid() const { return m_holderPid; }
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_held = false;
    long m_holderPid = 0;
    std::string m_error;
};

}  // namespace q840
