#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace evidor {

/// Appends the UTF-8 bytes of one code point.
void appendUtf8(std::string& out, char32_t cp);

/// The meter's files are in Windows-1250; these convert between them and UTF-8.
std::string cp1250ToUtf8(std::string_view bytes);
/// Nothing when the text holds a character Windows-1250 cannot hold (or is not UTF-8).
std::optional<std::string> utf8ToCp1250(std::string_view text);
bool fitsCp1250(std::string_view text);

} // namespace evidor
