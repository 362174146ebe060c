#include "tariff/DataFile.h"

#include "platform/AtomicFile.h"

#include <filesystem>
#include <system_error>

namespace evidor::detail {

std::optional<std::string> readDataFile(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return std::nullopt;
    return readWholeFile(path);
}

} // namespace evidor::detail
