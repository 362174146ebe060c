#pragma once

#include <string>

namespace evidor {

/// A system-wide named lock that tells a second start of the program that one is running.
/// The operating system releases it when the process ends, also on a crash.
class InstanceLock
{
public:
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    /// False when another process holds the name already.
    bool acquired() const { return m_acquired; }

private:
    bool m_acquired = false;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

} // namespace evidor
