#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace evidor {

std::string joinPath(const std::string& dir, const std::string& name)
{
#ifdef _WIN32
    constexpr char sep = '\\';
#else
    constexpr char sep = '/';
#endif
    if (dir.empty())
        return name;
    return dir.back() == sep ? dir + name : dir + sep + name;
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    // A folder opens as a stream on some systems and reads as empty; it is never a file's text.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(ss).str();
}

#ifdef _WIN32
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return "Cannot create " + tmp;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out)
            return "Cannot write " + tmp;
    }
    if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::remove(tmp.c_str());
        return "Cannot replace " + path;
    }
    return std::nullopt;
}
#else
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes)
{
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    std::string tmpl = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." +
                       path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return "Cannot create a file in " + dir + ": " + std::strerror(errno);
    // Keep the old file's permissions when there is one; new files get the usual 0644.
    struct stat old
    {
    };
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const std::string err = std::strerror(errno);
            ::close(fd);
            ::unlink(tmpl.c_str());
            return "Cannot write " + path + ": " + err;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string err = std::strerror(errno);
        ::unlink(tmpl.c_str());
        return "Cannot write " + path + ": " + err;
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const std::string err = std::strerror(errno);
        ::unlink(tmpl.c_str());
        return "Cannot replace " + path + ": " + err;
    }
    return std::nullopt;
}
#endif

} // namespace evidor
