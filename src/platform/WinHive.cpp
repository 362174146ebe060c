#include "WinHive.h"

#include <windows.h>

namespace evidor {

namespace {

std::wstring widen(std::string_view text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                            out.data(), n);
    return out;
}

std::string narrow(const wchar_t* text, std::size_t length)
{
    if (length == 0)
        return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

/// The registry refuses key paths with a leading backslash; the interface ignores them.
std::wstring keyPath(std::string_view path)
{
    return widen(joinKeyPath(path, {}));
}

class Key
{
public:
    Key() = default;
    ~Key()
    {
        if (m_handle)
            RegCloseKey(m_handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool open(std::string_view path, REGSAM access)
    {
        return RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(path).c_str(), 0, access, &m_handle) == ERROR_SUCCESS;
    }
    HKEY handle() const { return m_handle; }
    HKEY* out() { return &m_handle; }

private:
    HKEY m_handle = nullptr;
};

/// RegDeleteKey removes only empty keys, so the subkeys go first.
bool deleteTree(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    wchar_t sub[256]; // key names are at most 255 characters
    while (ok) {
        DWORD length = 256;
        const LONG r = RegEnumKeyExW(key, 0, sub, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        ok = r == ERROR_SUCCESS && deleteTree(key, std::wstring(sub, length));
    }
    RegCloseKey(key);
    return ok && RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

} // namespace

bool WinHive::keyExists(std::string_view path)
{
    Key key;
    return key.open(path, KEY_READ);
}

bool WinHive::createKey(std::string_view path)
{
    Key key;
    return RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, key.out(), nullptr) == ERROR_SUCCESS;
}

std::optional<HiveValue> WinHive::readValue(std::string_view path, std::string_view name)
{
    Key key;
    if (!key.open(path, KEY_READ))
        return std::nullopt;
    const std::wstring valueName = widen(name);
    DWORD type = 0;
    DWORD size = 0;
    LONG r = RegQueryValueExW(key.handle(), valueName.c_str(), nullptr, &type, nullptr, &size);
    if (r != ERROR_SUCCESS)
        return std::nullopt;
    HiveValue value;
    value.type = type;
    if (!HiveType::isString(type))
        return value;
    std::wstring data;
    do {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        r = RegQueryValueExW(key.handle(), valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size);
    } while (r == ERROR_MORE_DATA);
    if (r != ERROR_SUCCESS)
        return std::nullopt;
    value.type = type;
    data.resize(size / sizeof(wchar_t));
    value.text = narrow(data.c_str(), wcsnlen(data.c_str(), data.size()));
    return value;
}

bool WinHive::writeString(std::string_view path, std::string_view name, std::string_view text)
{
    Key key;
    if (!key.open(path, KEY_SET_VALUE))
        return false;
    const std::wstring data = widen(text);
    const std::wstring valueName = widen(name);
    if ((data.empty() && !text.empty()) || (valueName.empty() && !name.empty()))
        return false;
    return RegSetValueExW(key.handle(), valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WinHive::deleteValue(std::string_view path, std::string_view name)
{
    Key key;
    return key.open(path, KEY_SET_VALUE) &&
           RegDeleteValueW(key.handle(), widen(name).c_str()) == ERROR_SUCCESS;
}

bool WinHive::deleteKey(std::string_view path)
{
    auto parts = splitKeyPath(path);
    if (parts.empty())
        return false;
    const std::wstring last = widen(parts.back());
    parts.pop_back();
    std::string parent;
    for (const auto& part : parts)
        parent = joinKeyPath(parent, part);
    Key key;
    return key.open(parent, KEY_READ | KEY_WRITE) && deleteTree(key.handle(), last);
}

std::vector<std::string> WinHive::subkeyNames(std::string_view path)
{
    std::vector<std::string> names;
    Key key;
    if (!key.open(path, KEY_READ))
        return names;
    DWORD count = 0;
    DWORD maxLength = 0;
    if (RegQueryInfoKeyW(key.handle(), nullptr, nullptr, nullptr, &count, &maxLength, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::wstring buffer(maxLength + 1, L'\0');
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExW(key.handle(), i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
            names.push_back(narrow(buffer.data(), length));
    }
    return names;
}

} // namespace evidor
