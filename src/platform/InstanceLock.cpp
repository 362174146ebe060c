#include "InstanceLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace evidor {

#ifdef _WIN32
InstanceLock::InstanceLock(const std::string& name)
{
    m_handle = CreateMutexA(nullptr, FALSE, name.c_str());
    m_acquired = m_handle != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

InstanceLock::~InstanceLock()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
}
#else
InstanceLock::InstanceLock(const std::string& name)
{
    std::string dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        dir = runtime;
    else
        dir = "/tmp";
    // Outside a runtime directory the user id keeps users of one machine apart.
    const std::string path =
        dir + "/" + name + (dir == "/tmp" ? "-" + std::to_string(::getuid()) : "") + ".lock";
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // Without a lock file we cannot tell; starting is better than refusing to.
        m_acquired = true;
        return;
    }
    m_acquired = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
#endif

} // namespace evidor
