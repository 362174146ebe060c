#pragma once

#include "platform/Prompts.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace evidor {

/// One holiday. Texts are UTF-8 in memory and Windows-1250 in the file.
struct TSviatok
{
    std::string datum; ///< "dd.mm.yyyy" as written; kept as text, never checked here
    std::string nazov; ///< at most 49 characters where the editor makes it; may be empty

    /// The entry's line in the editor and in the file: date, three spaces, name.
    std::string displayLine() const { return datum + "   " + nazov; }
    friend bool operator==(const TSviatok&, const TSviatok&) = default;
};

/// The holiday list's path in the program directory.
std::string sviatkyPath(const std::string& programDir);

/// The entries of a holiday file in file order. The date is a line's first word, the name the
/// rest of the line without leading and trailing blanks and control characters. Blank lines are
/// no entries; a last line without a line break is one.
std::vector<TSviatok> parseSviatky(std::string_view bytes);

/// The file bytes of display lines: each line and a line break (CR LF, as the meter writes).
/// Nothing when a line holds a character Windows-1250 cannot hold.
std::optional<std::string> encodeSviatky(const std::vector<std::string>& displayLines);

/// Reads the holiday list; a file that cannot be read shows "Neexistuje subor sviatky.dat" and
/// gives an empty list.
std::vector<TSviatok> NacitajSviatky(const std::string& path, IPrompts& prompts);

/// Replaces the holiday list with the display lines, whole or not at all. A file that cannot be
/// written shows "Neexistuje subor sviatky.dat". Returns whether the file was written.
bool UlozSviatky(const std::string& path, const std::vector<std::string>& displayLines, IPrompts& prompts);

inline constexpr const char* kSviatkyMissing = "Neexistuje subor sviatky.dat";

} // namespace evidor
