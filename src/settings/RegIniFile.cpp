#include "RegIniFile.h"

#include "platform/Regional.h"

namespace evidor {

TRegIniFile::TRegIniFile(IHive& hive, std::string_view keyPath)
    : m_hive(&hive), m_path(joinKeyPath(keyPath, {}))
{
    m_hive->createKey(m_path);
}

std::string TRegIniFile::target(std::string_view name) const
{
    if (!name.empty() && name.front() == '\\')
        return joinKeyPath(name, {});
    return joinKeyPath(m_path, name);
}

bool TRegIniFile::openKey(std::string_view name, bool canCreate)
{
    const std::string path = target(name);
    if (!(canCreate ? m_hive->createKey(path) : m_hive->keyExists(path)))
        return false;
    m_path = path;
    return true;
}

bool TRegIniFile::createKey(std::string_view name)
{
    return m_hive->createKey(target(name));
}

std::string TRegIniFile::readString(std::string_view section, std::string_view ident,
                                    std::string_view def) const
{
    const auto value = m_hive->readValue(joinKeyPath(m_path, section), ident);
    if (!value)
        return std::string(def);
    if (!HiveType::isString(value->type))
        throw ERegistryException("Invalid data type for '" + std::string(ident) + "'");
    return value->text;
}

std::int32_t TRegIniFile::readInteger(std::string_view section, std::string_view ident,
                                      std::int32_t def) const
{
    return parseInt32(readString(section, ident, {})).value_or(def);
}

bool TRegIniFile::readBool(std::string_view section, std::string_view ident, bool def) const
{
    return readInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::writeString(std::string_view section, std::string_view ident, std::string_view value)
{
    const std::string key = joinKeyPath(m_path, section);
    if (!m_hive->createKey(key))
        throw ERegistryException("Failed to create key " + key);
    if (!m_hive->writeString(key, ident, value))
        throw ERegistryException("Failed to set data for '" + std::string(ident) + "'");
}

void TRegIniFile::writeInteger(std::string_view section, std::string_view ident, std::int32_t value)
{
    writeString(section, ident, std::to_string(value));
}

void TRegIniFile::writeBool(std::string_view section, std::string_view ident, bool value)
{
    writeString(section, ident, value ? "1" : "0");
}

bool TRegIniFile::eraseSection(std::string_view section)
{
    if (section.empty())
        return false;
    return m_hive->deleteKey(joinKeyPath(m_path, section));
}

bool TRegIniFile::deleteValue(std::string_view section, std::string_view ident)
{
    return m_hive->deleteValue(joinKeyPath(m_path, section), ident);
}

TRegIniFile OpenSettingsKey(IHive& hive, IPrompts& prompts)
{
    TRegIniFile ini(hive, kMeterKey);
    if (ini.openKey("Spy", false))
        return ini;
    ini.createKey("Spy");
    if (ini.openKey("Spy", false))
        return ini;
    prompts.message("Error in Opening Created Key");
    ini.m_path = std::string(kSettingsKey);
    return ini;
}

} // namespace evidor
