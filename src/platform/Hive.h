#pragma once

#include "platform/Prompts.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace evidor {

/// Registry value types, numbered as Windows numbers them.
namespace HiveType {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t String = 1;       ///< REG_SZ
inline constexpr std::uint32_t ExpandString = 2; ///< REG_EXPAND_SZ
inline constexpr std::uint32_t Binary = 3;       ///< REG_BINARY
inline constexpr std::uint32_t Dword = 4;        ///< REG_DWORD (little-endian)
inline constexpr std::uint32_t MultiString = 7;  ///< REG_MULTI_SZ
inline constexpr std::uint32_t Qword = 11;       ///< REG_QWORD

inline constexpr bool isString(std::uint32_t type)
{
    return type == String || type == ExpandString;
}
} // namespace HiveType

/// A value as read: its registry type and, for the two string types, its text (UTF-8, up to
/// the first NUL). Values of other types carry no text.
struct HiveValue
{
    std::uint32_t type = HiveType::String;
    std::string text;
};

/// The current user's registry hive (HKEY_CURRENT_USER). Key paths are relative to the hive's
/// root, components separated by backslashes ("Software\Linkora\Spy"); leading, trailing and
/// doubled backslashes are ignored. Key and value names compare without regard to ASCII letter
/// case, as in the registry. Every call is complete in itself: nothing stays open between calls,
/// so another process (the meter) sees each change as soon as the call returns.
class IHive
{
public:
    virtual ~IHive() = default;

    /// Whether the key exists (the root always does).
    virtual bool keyExists(std::string_view path) = 0;
    /// Creates the key and every missing key above it; true when it exists afterwards.
    virtual bool createKey(std::string_view path) = 0;
    /// The value `name` ("" is the key's default value) of the key, or nothing when the key or
    /// the value does not exist.
    virtual std::optional<HiveValue> readValue(std::string_view path, std::string_view name) = 0;
    /// Stores `text` as a REG_SZ value of an existing key; false when the key does not exist or
    /// the value cannot be stored.
    virtual bool writeString(std::string_view path, std::string_view name, std::string_view text) = 0;
    /// Deletes one value; false when it did not exist or could not be deleted.
    virtual bool deleteValue(std::string_view path, std::string_view name) = 0;
    /// Deletes the key with all its subkeys and values; false when it did not exist or could not
    /// be deleted. The root cannot be deleted.
    virtual bool deleteKey(std::string_view path) = 0;
    /// Names of the key's direct subkeys, in the registry's order (letter case ignored);
    /// empty when the key does not exist.
    virtual std::vector<std::string> subkeyNames(std::string_view path) = 0;
};

/// The components of a key path, empty ones dropped.
std::vector<std::string> splitKeyPath(std::string_view path);
/// Joins key path components with backslashes, empty components dropped.
std::string joinKeyPath(std::string_view parent, std::string_view child);
/// ASCII case-insensitive equality of key or value names.
bool sameHiveName(std::string_view a, std::string_view b);

/// The current user's hive of this platform: the registry on Windows; elsewhere the file hive at
/// userHiveFilePath(), which tells the user through `prompts` when it has to set aside a file
/// that does not parse. `prompts` must outlive the hive.
std::unique_ptr<IHive> openUserHive(IPrompts& prompts);

} // namespace evidor
