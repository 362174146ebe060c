#pragma once

#include "platform/Hive.h"
#include "platform/RegText.h"

#include <functional>
#include <string>

namespace evidor {

/// The hive file of a system without a registry: `$XDG_CONFIG_HOME/Linkora/registry.reg`, or
/// `~/.config/Linkora/registry.reg` when XDG_CONFIG_HOME is unset, empty or not absolute.
std::string userHiveFilePath();

/// HKEY_CURRENT_USER kept in a `.reg` text file (see RegText.h).
///
/// Reads take no lock: the file is only ever replaced whole, so a reader sees either the old or
/// the new file. Every change locks `<file>.lock` exclusively, reads the file afresh, applies the
/// change and replaces the file atomically, so processes writing at the same time lose nothing
/// and a crash leaves either the old or the new file. Temporary files of writers that died are
/// removed by the next change.
///
/// A file that does not parse is never overwritten: it is renamed to
/// `<name>.poskodeny-<date>-<time>.reg` beside it, the user is told once with both names, and the
/// hive goes on empty. When even the renaming fails, reads give nothing, changes fail, and the
/// user is told once.
class FileHive : public IHive
{
public:
    FileHive(std::string filePath, IPrompts& prompts);

    const std::string& filePath() const { return m_path; }

    bool keyExists(std::string_view path) override;
    bool createKey(std::string_view path) override;
    std::optional<HiveValue> readValue(std::string_view path, std::string_view name) override;
    bool writeString(std::string_view path, std::string_view name, std::string_view text) override;
    bool deleteValue(std::string_view path, std::string_view name) override;
    bool deleteKey(std::string_view path) override;
    std::vector<std::string> subkeyNames(std::string_view path) override;

private:
    enum class Change
    {
        None,
        Made,
        Refused
    };

    /// The hive as the file holds it now (empty when there is none or it cannot be read).
    RegKey load();
    /// Locks, loads, applies `change`, and writes the file when something changed. True unless
    /// the change was refused or the file could not be read or written.
    bool modify(const std::function<Change(RegKey&)>& change);
    /// Under the lock: the parsed file, an empty hive for a missing or set-aside file, or nothing
    /// when the file can be neither read nor set aside.
    std::optional<RegKey> loadLocked();
    bool setAside(const RegTextError& error);
    void removeStaleTemporaries();

    std::string m_path;
    IPrompts& m_prompts;
    bool m_toldStuck = false;
};

} // namespace evidor
