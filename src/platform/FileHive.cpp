#include "FileHive.h"

#include "AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace evidor {

namespace {

enum class ReadStatus
{
    Ok,
    Missing,
    Failed
};

struct FileBytes
{
    ReadStatus status = ReadStatus::Failed;
    std::string bytes;
    std::string error;
};

FileBytes readFile(const std::string& path)
{
    FileBytes r;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        r.error = std::strerror(errno);
        return r;
    }
    char buf[16384];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.error = std::strerror(errno);
            ::close(fd);
            return r;
        }
        if (n == 0)
            break;
        r.bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    r.status = ReadStatus::Ok;
    return r;
}

/// An exclusive lock on a file of its own (the hive file itself is replaced on every change and
/// cannot carry a lock). The kernel drops it when the process dies.
class FileLock
{
public:
    explicit FileLock(const std::string& path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_error = std::strerror(errno);
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = std::strerror(errno);
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    explicit operator bool() const { return m_fd >= 0; }
    const std::string& error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// A free name beside the hive file that says what it holds:
/// registry.reg -> registry.poskodeny-20240501-134501.reg (then -2, -3 ... when taken).
std::string asideName(const std::string& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);

    std::string base = path;
    std::string ext;
    const auto name = fileNameOf(path);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        ext = name.substr(dot);
        base = path.substr(0, path.size() - ext.size());
    }
    const std::string stem = base + ".poskodeny-" + stamp;
    std::string candidate = stem + ext;
    struct stat st
    {
    };
    for (int n = 2; ::lstat(candidate.c_str(), &st) == 0; ++n)
        candidate = stem + "-" + std::to_string(n) + ext;
    return candidate;
}

std::string faultText(const RegTextError& error)
{
    return error.line > 0 ? "riadok " + std::to_string(error.line) : "nie je v kódovaní UTF-8";
}

bool isPlainName(std::string_view name)
{
    if (!isValidUtf8(name))
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

} // namespace

std::string userHiveFilePath()
{
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && *h)
            home = h;
        else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
        config = home + "/.config";
    }
    return joinPath(joinPath(config, "Linkora"), "registry.reg");
}

FileHive::FileHive(std::string filePath, IPrompts& prompts) : m_path(std::move(filePath)), m_prompts(prompts)
{
}

RegKey FileHive::load()
{
    const FileBytes file = readFile(m_path);
    if (file.status != ReadStatus::Ok)
        return {};
    if (auto tree = parseRegText(file.bytes))
        return std::move(*tree);
    // Set aside only under the lock, and only if the file is still the broken one.
    std::error_code ec;
    std::filesystem::create_directories(folderOf(m_path), ec);
    FileLock lock(m_path + ".lock");
    if (!lock) {
        RegTextError error;
        parseRegText(file.bytes, &error);
        if (!m_toldStuck) {
            m_toldStuck = true;
            m_prompts.message("Súbor nastavení " + m_path + " je poškodený (" + faultText(error) +
                              ") a nedá sa ani odložiť ako " + asideName(m_path) + ": " + lock.error() +
                              ". Nastavenia sa nebudú ukladať, kým súbor neopravíte alebo neodstránite.");
        }
        return {};
    }
    auto tree = loadLocked();
    return tree ? std::move(*tree) : RegKey{};
}

std::optional<RegKey> FileHive::loadLocked()
{
    const FileBytes file = readFile(m_path);
    if (file.status == ReadStatus::Missing)
        return RegKey{};
    if (file.status == ReadStatus::Failed)
        return std::nullopt;
    RegTextError error;
    if (auto tree = parseRegText(file.bytes, &error))
        return tree;
    if (setAside(error))
        return RegKey{};
    return std::nullopt;
}

bool FileHive::setAside(const RegTextError& error)
{
    const std::string aside = asideName(m_path);
    if (::rename(m_path.c_str(), aside.c_str()) == 0) {
        m_prompts.message("Súbor nastavení " + m_path + " je poškodený (" + faultText(error) +
                          ") a nedá sa prečítať. Jeho obsah ostal v súbore " + aside +
                          ", nastavenia začínajú znova so štandardnými hodnotami.");
        return true;
    }
    const std::string reason = std::strerror(errno);
    if (!m_toldStuck) {
        m_toldStuck = true;
        m_prompts.message("Súbor nastavení " + m_path + " je poškodený (" + faultText(error) +
                          ") a nedá sa ani odložiť ako " + aside + ": " + reason +
                          ". Nastavenia sa nebudú ukladať, kým súbor neopravíte alebo neodstránite.");
    }
    return false;
}

void FileHive::removeStaleTemporaries()
{
    // writeFileAtomically names its temporary ".<name>.XXXXXX"; under the lock none is in use.
    const std::string prefix = "." + fileNameOf(m_path) + ".";
    const std::string folder = folderOf(m_path);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix)
            ::unlink((folder + "/" + std::string(name)).c_str());
    }
    ::closedir(dir);
}

bool FileHive::modify(const std::function<Change(RegKey&)>& change)
{
    std::error_code ec;
    std::filesystem::create_directories(folderOf(m_path), ec);
    FileLock lock(m_path + ".lock");
    if (!lock)
        return false;
    auto tree = loadLocked();
    if (!tree)
        return false;
    removeStaleTemporaries();
    switch (change(*tree)) {
    case Change::Refused:
        return false;
    case Change::None:
        return true;
    case Change::Made:
        break;
    }
    return !writeFileAtomically(m_path, writeRegText(*tree));
}

bool FileHive::keyExists(std::string_view path)
{
    const RegKey root = load();
    return root.find(splitKeyPath(path)) != nullptr;
}

bool FileHive::createKey(std::string_view path)
{
    const auto parts = splitKeyPath(path);
    for (const auto& part : parts)
        if (!isPlainName(part))
            return false;
    if (load().find(parts))
        return true;
    return modify([&](RegKey& root) {
        if (root.find(parts))
            return Change::None;
        RegKey* key = &root;
        for (const auto& part : parts)
            key = &key->subkey(part);
        return Change::Made;
    });
}

std::optional<HiveValue> FileHive::readValue(std::string_view path, std::string_view name)
{
    const RegKey root = load();
    const RegKey* key = root.find(splitKeyPath(path));
    const RegValue* value = key ? key->findValue(name) : nullptr;
    if (!value)
        return std::nullopt;
    HiveValue v;
    v.type = value->type;
    if (HiveType::isString(value->type))
        v.text = regStringToUtf8(value->data);
    return v;
}

bool FileHive::writeString(std::string_view path, std::string_view name, std::string_view text)
{
    const auto data = utf8ToRegString(text);
    if (!data || !isPlainName(name))
        return false;
    const auto parts = splitKeyPath(path);
    return modify([&](RegKey& root) {
        RegKey* key = root.find(parts);
        if (!key)
            return Change::Refused;
        if (const RegValue* old = key->findValue(name);
            old && old->type == HiveType::String && old->data == *data)
            return Change::None;
        key->setValue(name, HiveType::String, *data);
        return Change::Made;
    });
}

bool FileHive::deleteValue(std::string_view path, std::string_view name)
{
    const auto parts = splitKeyPath(path);
    return modify([&](RegKey& root) {
        RegKey* key = root.find(parts);
        return key && key->eraseValue(name) ? Change::Made : Change::Refused;
    });
}

bool FileHive::deleteKey(std::string_view path)
{
    auto parts = splitKeyPath(path);
    if (parts.empty())
        return false;
    const std::string last = parts.back();
    parts.pop_back();
    return modify([&](RegKey& root) {
        RegKey* parent = root.find(parts);
        return parent && parent->eraseSubkey(last) ? Change::Made : Change::Refused;
    });
}

std::vector<std::string> FileHive::subkeyNames(std::string_view path)
{
    const RegKey root = load();
    std::vector<std::string> names;
    if (const RegKey* key = root.find(splitKeyPath(path)))
        for (const auto& sub : key->subkeys)
            names.push_back(sub.name);
    return names;
}

} // namespace evidor
