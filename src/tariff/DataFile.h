#pragma once

#include <optional>
#include <string>

namespace evidor::detail {

/// The whole of a data file, or nothing when it cannot be opened or read. A folder is not a
/// file (an empty tariff name names the program directory itself).
std::optional<std::string> readDataFile(const std::string& path);

} // namespace evidor::detail
