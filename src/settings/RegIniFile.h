#pragma once

#include "platform/Hive.h"
#include "platform/Prompts.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace evidor {

/// A registry failure that ends the operation; its text is what the user is shown.
class ERegistryException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Ini-style access to one key of the current user's hive, the current key. A section is a
/// subkey of the current key; values are registry strings. Reads of missing sections or values
/// give the default. Reading a value of a non-string type throws "Invalid data type for '<name>'";
/// a section that cannot be made throws "Failed to create key <path>"; a value that cannot be
/// stored throws "Failed to set data for '<name>'".
class TRegIniFile
{
public:
    /// Opens `keyPath` below HKEY_CURRENT_USER (a leading backslash is allowed), creating it when
    /// missing. A key that cannot be made is not reported here: reads then give defaults and
    /// writes report their own failure.
    TRegIniFile(IHive& hive, std::string_view keyPath);

    /// Makes the subkey `name` of the current key the current key; without `canCreate` false
    /// when it does not exist, with it false when it cannot be made. A name with a leading
    /// backslash is a path from the hive's root.
    bool openKey(std::string_view name, bool canCreate);
    /// Makes the subkey `name` of the current key; true when it exists afterwards.
    bool createKey(std::string_view name);

    std::string readString(std::string_view section, std::string_view ident, std::string_view def) const;
    /// The value read as a decimal int32; the default when missing or not such a number.
    std::int32_t readInteger(std::string_view section, std::string_view ident, std::int32_t def) const;
    /// readInteger with the default as 1 or 0; true unless it gives 0.
    bool readBool(std::string_view section, std::string_view ident, bool def) const;

    void writeString(std::string_view section, std::string_view ident, std::string_view value);
    /// Decimal text with a leading minus sign for negative numbers.
    void writeInteger(std::string_view section, std::string_view ident, std::int32_t value);
    /// "1" or "0".
    void writeBool(std::string_view section, std::string_view ident, bool value);

    /// Deletes the section's subkey with all it holds; false when there was none or it stayed.
    bool eraseSection(std::string_view section);
    /// Deletes one value of a section; false when there was none or it stayed.
    bool deleteValue(std::string_view section, std::string_view ident);

    /// The current key's path below HKEY_CURRENT_USER.
    const std::string& currentPath() const { return m_path; }

private:
    friend TRegIniFile OpenSettingsKey(IHive& hive, IPrompts& prompts);
    std::string target(std::string_view name) const;

    IHive* m_hive;
    std::string m_path;
};

/// The meter's settings key, `Software\Linkora\Spy`, opened the way every user of the store
/// opens it: `Software\Linkora` (made when missing), then `Spy` without making it, then made and
/// opened once more; when even that fails the user is shown "Error in Opening Created Key". The
/// returned file then still points at `Software\Linkora\Spy`, so reads give their defaults and
/// writes go to the right place or report their own failure - never to another key.
TRegIniFile OpenSettingsKey(IHive& hive, IPrompts& prompts);

inline constexpr std::string_view kMeterKey = "Software\\Linkora";
inline constexpr std::string_view kSettingsKey = "Software\\Linkora\\Spy";

} // namespace evidor
