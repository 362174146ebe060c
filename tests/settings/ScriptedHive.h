#pragma once

#include "platform/Hive.h"

#include <string>
#include <vector>

namespace evidor::test {

/// Passes every call on to a real hive, records the changes in order, and fails the ones a test
/// names: making any key at or below `failCreateUnder`, storing a value named `failWriteOf`.
class ScriptedHive : public IHive
{
public:
    explicit ScriptedHive(IHive& inner) : m_inner(inner) {}

    std::string failCreateUnder;
    std::string failWriteOf;
    std::vector<std::string> writes;    ///< "<key path>|<name>=<text>"
    std::vector<std::string> deletions; ///< "<key path>|<name>" for values, "<key path>" for keys

    /// The names of the values written, in order.
    std::vector<std::string> writtenNames() const
    {
        std::vector<std::string> names;
        for (const auto& w : writes)
            names.push_back(w.substr(w.find('|') + 1, w.find('=') - w.find('|') - 1));
        return names;
    }

    bool keyExists(std::string_view path) override { return m_inner.keyExists(path); }
    bool createKey(std::string_view path) override
    {
        const std::string p = joinKeyPath(path, {});
        if (!failCreateUnder.empty() &&
            (sameHiveName(p, failCreateUnder) ||
             (p.size() > failCreateUnder.size() &&
              sameHiveName(p.substr(0, failCreateUnder.size() + 1), failCreateUnder + "\\"))))
            return m_inner.keyExists(p);
        return m_inner.createKey(path);
    }
    std::optional<HiveValue> readValue(std::string_view path, std::string_view name) override
    {
        return m_inner.readValue(path, name);
    }
    bool writeString(std::string_view path, std::string_view name, std::string_view text) override
    {
        if (!failWriteOf.empty() && sameHiveName(name, failWriteOf))
            return false;
        writes.push_back(joinKeyPath(path, {}) + "|" + std::string(name) + "=" + std::string(text));
        return m_inner.writeString(path, name, text);
    }
    bool deleteValue(std::string_view path, std::string_view name) override
    {
        deletions.push_back(joinKeyPath(path, {}) + "|" + std::string(name));
        return m_inner.deleteValue(path, name);
    }
    bool deleteKey(std::string_view path) override
    {
        deletions.push_back(joinKeyPath(path, {}));
        return m_inner.deleteKey(path);
    }
    std::vector<std::string> subkeyNames(std::string_view path) override { return m_inner.subkeyNames(path); }

private:
    IHive& m_inner;
};

} // namespace evidor::test
