#pragma once

#include "platform/Hive.h"

namespace evidor {

/// HKEY_CURRENT_USER of the Windows registry. Each call opens the keys it needs and closes
/// them again before it returns.
class WinHive : public IHive
{
public:
    bool keyExists(std::string_view path) override;
    bool createKey(std::string_view path) override;
    std::optional<HiveValue> readValue(std::string_view path, std::string_view name) override;
    bool writeString(std::string_view path, std::string_view name, std::string_view text) override;
    bool deleteValue(std::string_view path, std::string_view name) override;
    bool deleteKey(std::string_view path) override;
    std::vector<std::string> subkeyNames(std::string_view path) override;
};

} // namespace evidor
