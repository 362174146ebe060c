#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace evidor {

/// One registry value as the registry holds it: the type and the raw data bytes. Strings are
/// UTF-16LE with their terminating NUL, as on Windows, so any value read from a file is written
/// back exactly as it was.
struct RegValue
{
    std::string name; ///< UTF-8; "" is the key's default value
    std::uint32_t type = 1;
    std::string data;
};

/// A key of an in-memory hive: its values in the order they were made, and its subkeys kept in
/// the registry's order (names compared upper-cased, ASCII letters only).
struct RegKey
{
    std::string name;
    std::vector<RegValue> values;
    std::vector<RegKey> subkeys;

    RegKey* findSubkey(std::string_view key);
    const RegKey* findSubkey(std::string_view key) const;
    /// The subkey of that name, made (in order) when missing.
    RegKey& subkey(std::string_view key);
    bool eraseSubkey(std::string_view key);

    RegValue* findValue(std::string_view value);
    const RegValue* findValue(std::string_view value) const;
    /// Replaces the data of an existing value (its name keeps its letter case) or appends one.
    void setValue(std::string_view value, std::uint32_t type, std::string data);
    bool eraseValue(std::string_view value);

    /// The key at a path of components below this one, or null.
    RegKey* find(const std::vector<std::string>& path);
    const RegKey* find(const std::vector<std::string>& path) const;
};

/// Why a text is not a hive file.
struct RegTextError
{
    int line = 0; ///< 1-based line of the fault
    std::string reason;
};

/// Reads the text of a `.reg` file ("Windows Registry Editor Version 5.00", UTF-8, an optional
/// byte order mark, CRLF or LF) into the tree of HKEY_CURRENT_USER. Quoted strings unescape `\\`
/// and `\"`; `dword:`, `hex:` and `hex(n):` values (with `\` line continuations) keep their type
/// and bytes. Comment lines (";") and blank lines are skipped. Anything else - another root, a
/// deletion line, a value outside a key, text that is not UTF-8 - is an error, and the text is
/// not a hive. An empty text is an empty hive.
std::optional<RegKey> parseRegText(std::string_view text, RegTextError* error = nullptr);

/// The `.reg` text of a hive, as regedit writes it: header, then every key below the root in
/// order (the root only when it has values), each followed by its values and a blank line; CRLF
/// line ends; UTF-8 without a byte order mark. String values are quoted unless they hold a
/// control character or are not plain text, in which case they are written as `hex(1):` bytes;
/// REG_DWORD as `dword:`, everything else as `hex:` / `hex(n):` bytes.
std::string writeRegText(const RegKey& root);

/// UTF-8 to UTF-16LE registry string data with its terminating NUL; nothing for text that is
/// not valid UTF-8.
std::optional<std::string> utf8ToRegString(std::string_view text);
/// The text of UTF-16LE registry string data, up to its first NUL; a stray odd byte is ignored
/// and unpaired surrogates read as U+FFFD.
std::string regStringToUtf8(std::string_view data);
/// Whether the bytes are valid UTF-8.
bool isValidUtf8(std::string_view text);

} // namespace evidor
