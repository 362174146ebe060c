#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace evidor {

/// Replaces (or creates) `path` with `bytes`: written to a temporary file in the same folder,
/// flushed to disk and renamed over the old one, so a failed or interrupted write leaves the
/// old file as it was. Returns the error text on failure, nothing on success.
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes);

/// The whole file, or nothing when it cannot be opened or read, or is a folder.
std::optional<std::string> readWholeFile(const std::string& path);

/// Joins the program directory and a file name with the platform's separator.
std::string joinPath(const std::string& dir, const std::string& name);

} // namespace evidor
