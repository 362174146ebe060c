#include "Hive.h"

#ifdef _WIN32
#include "WinHive.h"
#else
#include "FileHive.h"
#endif

namespace evidor {

std::vector<std::string> splitKeyPath(std::string_view path)
{
    std::vector<std::string> parts;
    while (!path.empty()) {
        const auto slash = path.find('\\');
        if (slash != 0)
            parts.emplace_back(path.substr(0, slash));
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

std::string joinKeyPath(std::string_view parent, std::string_view child)
{
    std::string joined;
    for (const auto& part : splitKeyPath(parent)) {
        joined += joined.empty() ? "" : "\\";
        joined += part;
    }
    for (const auto& part : splitKeyPath(child)) {
        joined += joined.empty() ? "" : "\\";
        joined += part;
    }
    return joined;
}

bool sameHiveName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::unique_ptr<IHive> openUserHive(IPrompts& prompts)
{
#ifdef _WIN32
    (void)prompts;
    return std::make_unique<WinHive>();
#else
    return std::make_unique<FileHive>(userHiveFilePath(), prompts);
#endif
}

} // namespace evidor
