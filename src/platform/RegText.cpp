#include "RegText.h"

#include "Cp1250.h"

#include "Hive.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <utility>

namespace evidor {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kEol = "\r\n";

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// The registry orders subkeys by their upper-cased names.
bool nameLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(upperAscii(x)) < static_cast<unsigned char>(upperAscii(y));
    });
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Reads a quoted string starting at s[0] == '"'; on success `s` is left after the closing quote.
/// Works in runs between escapes: the files hold thousands of these.
std::optional<std::string> readQuoted(std::string_view& s)
{
    std::string out;
    std::size_t i = 1;
    while (true) {
        std::size_t stop = i;
        while (stop < s.size() && s[stop] != '"' && s[stop] != '\\')
            ++stop;
        if (stop == s.size())
            return std::nullopt;
        out.append(s.data() + i, stop - i);
        if (s[stop] == '"') {
            s.remove_prefix(stop + 1);
            return out;
        }
        if (stop + 1 >= s.size() || (s[stop + 1] != '\\' && s[stop + 1] != '"'))
            return std::nullopt;
        out += s[stop + 1];
        i = stop + 2;
    }
}

std::optional<std::string> readHexBytes(std::string_view s)
{
    std::string out;
    s = trimRight(trimLeft(s));
    if (s.empty())
        return out;
    while (true) {
        const auto comma = s.find(',');
        const std::string_view token = trimRight(trimLeft(s.substr(0, comma)));
        if (token.empty() || token.size() > 2)
            return std::nullopt;
        int value = 0;
        for (char c : token) {
            const int d = hexDigit(c);
            if (d < 0)
                return std::nullopt;
            value = value * 16 + d;
        }
        out += static_cast<char>(value);
        if (comma == std::string_view::npos)
            return out;
        s.remove_prefix(comma + 1);
        // regedit ends a wrapped line with a comma; a trailing one is harmless.
        if (trimLeft(s).empty())
            return out;
    }
}

/// Decodes one UTF-8 sequence at s[i]; advances i. Returns nothing on a malformed sequence.
std::optional<char32_t> nextCodePoint(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return std::nullopt;
    }
    if (i + static_cast<std::size_t>(len) > s.size())
        return std::nullopt;
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    i += static_cast<std::size_t>(len);
    return cp;
}

unsigned unitAt(std::string_view data, std::size_t n)
{
    return static_cast<unsigned>(static_cast<unsigned char>(data[2 * n])) |
           static_cast<unsigned>(static_cast<unsigned char>(data[2 * n + 1])) << 8;
}

/// UTF-16LE units to UTF-8, stopping at the first NUL. With `strict`, gives nothing for a control
/// character or an unpaired surrogate; otherwise those surrogates read as U+FFFD.
std::optional<std::string> unitsToUtf8(std::string_view data, std::size_t units, bool strict)
{
    std::string out;
    out.reserve(units);
    for (std::size_t k = 0; k < units; ++k) {
        const unsigned u = unitAt(data, k);
        if (u >= 0x20 && u < 0x80) {
            out += static_cast<char>(u);
            continue;
        }
        if (u == 0) {
            if (strict)
                return std::nullopt;
            break;
        }
        if (u < 0x20) {
            if (strict)
                return std::nullopt;
            out += static_cast<char>(u);
        } else if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unitAt(data, k + 1) >= 0xDC00 &&
                   unitAt(data, k + 1) <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unitAt(data, k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            if (strict)
                return std::nullopt;
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

/// The text of a REG_SZ that can be written in quotes, or nothing: the data must be clean UTF-16
/// with exactly one NUL at its end and no control characters.
std::optional<std::string> quotableText(std::string_view data)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 1] != 0 || data[data.size() - 2] != 0)
        return std::nullopt;
    return unitsToUtf8(data, data.size() / 2 - 1, true);
}

std::string quote(std::string_view text)
{
    std::string out = "\"";
    while (true) {
        std::size_t stop = 0;
        while (stop < text.size() && text[stop] != '"' && text[stop] != '\\')
            ++stop;
        out.append(text.substr(0, stop));
        if (stop == text.size())
            break;
        out += '\\';
        out += text[stop];
        text.remove_prefix(stop + 1);
    }
    out += '"';
    return out;
}

std::string hexBytes(std::string_view data)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(data.empty() ? 0 : data.size() * 3 - 1, ',');
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out[3 * i] = kDigits[b >> 4];
        out[3 * i + 1] = kDigits[b & 0xF];
    }
    return out;
}

std::string valueLine(const RegValue& v)
{
    std::string line = v.name.empty() ? std::string("@") : quote(v.name);
    line += '=';
    if (v.type == HiveType::String) {
        if (auto text = quotableText(v.data)) {
            line += quote(*text);
            return line;
        }
    }
    if (v.type == HiveType::Dword && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(i)]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(n));
        line += buf;
        return line;
    }
    if (v.type == HiveType::Binary) {
        line += "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
        line += buf;
    }
    line += hexBytes(v.data);
    return line;
}

/// A value named twice in a key (letter case ignored) keeps the first place and the last data,
/// as importing the file into the registry would leave it. Done once after reading, so a large
/// key does not cost a search per value.
void mergeRepeatedValues(RegKey& key)
{
    if (key.values.size() > 1) {
        std::unordered_map<std::string, std::size_t> first;
        std::vector<RegValue> merged;
        merged.reserve(key.values.size());
        for (auto& v : key.values) {
            std::string folded = v.name;
            for (char& c : folded)
                c = upperAscii(c);
            const auto [it, fresh] = first.try_emplace(std::move(folded), merged.size());
            if (fresh) {
                merged.push_back(std::move(v));
            } else {
                merged[it->second].type = v.type;
                merged[it->second].data = std::move(v.data);
            }
        }
        key.values = std::move(merged);
    }
    for (auto& sub : key.subkeys)
        mergeRepeatedValues(sub);
}

void writeKey(std::string& out, const RegKey& key, const std::string& path)
{
    out += '[';
    out += path;
    out += ']';
    out += kEol;
    for (const auto& v : key.values) {
        out += valueLine(v);
        out += kEol;
    }
    out += kEol;
    for (const auto& sub : key.subkeys)
        writeKey(out, sub, path + '\\' + sub.name);
}

} // namespace

RegKey* RegKey::findSubkey(std::string_view key)
{
    return const_cast<RegKey*>(std::as_const(*this).findSubkey(key));
}

const RegKey* RegKey::findSubkey(std::string_view key) const
{
    const auto it = std::lower_bound(subkeys.begin(), subkeys.end(), key,
                                     [](const RegKey& k, std::string_view n) { return nameLess(k.name, n); });
    return it != subkeys.end() && sameHiveName(it->name, key) ? &*it : nullptr;
}

RegKey& RegKey::subkey(std::string_view key)
{
    const auto it = std::lower_bound(subkeys.begin(), subkeys.end(), key,
                                     [](const RegKey& k, std::string_view n) { return nameLess(k.name, n); });
    if (it != subkeys.end() && sameHiveName(it->name, key))
        return *it;
    RegKey made;
    made.name = std::string(key);
    return *subkeys.insert(it, std::move(made));
}

bool RegKey::eraseSubkey(std::string_view key)
{
    const auto it = std::find_if(subkeys.begin(), subkeys.end(),
                                 [&](const RegKey& k) { return sameHiveName(k.name, key); });
    if (it == subkeys.end())
        return false;
    subkeys.erase(it);
    return true;
}

RegValue* RegKey::findValue(std::string_view value)
{
    return const_cast<RegValue*>(std::as_const(*this).findValue(value));
}

const RegValue* RegKey::findValue(std::string_view value) const
{
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const RegValue& v) { return sameHiveName(v.name, value); });
    return it == values.end() ? nullptr : &*it;
}

void RegKey::setValue(std::string_view value, std::uint32_t type, std::string data)
{
    if (RegValue* v = findValue(value)) {
        v->type = type;
        v->data = std::move(data);
        return;
    }
    values.push_back({std::string(value), type, std::move(data)});
}

bool RegKey::eraseValue(std::string_view value)
{
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const RegValue& v) { return sameHiveName(v.name, value); });
    if (it == values.end())
        return false;
    values.erase(it);
    return true;
}

RegKey* RegKey::find(const std::vector<std::string>& path)
{
    return const_cast<RegKey*>(std::as_const(*this).find(path));
}

const RegKey* RegKey::find(const std::vector<std::string>& path) const
{
    const RegKey* key = this;
    for (const auto& part : path) {
        key = key->findSubkey(part);
        if (!key)
            return nullptr;
    }
    return key;
}

bool isValidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0, n = text.size(); i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        if (!nextCodePoint(text, i))
            return false;
    }
    return true;
}

std::optional<std::string> utf8ToRegString(std::string_view text)
{
    std::string out(text.size() * 2 + 2, '\0');
    char* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    auto put = [&o](unsigned unit) {
        *o++ = static_cast<char>(unit & 0xFF);
        *o++ = static_cast<char>(unit >> 8);
    };
    for (std::size_t i = 0, n = text.size(); i < n;) {
        if (p[i] < 0x80) {
            put(p[i++]);
            continue;
        }
        const auto cp = nextCodePoint(text, i);
        if (!cp)
            return std::nullopt;
        if (*cp >= 0x10000) {
            const char32_t v = *cp - 0x10000;
            put(0xD800 + static_cast<unsigned>(v >> 10));
            put(0xDC00 + static_cast<unsigned>(v & 0x3FF));
        } else {
            put(static_cast<unsigned>(*cp));
        }
    }
    put(0);
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string regStringToUtf8(std::string_view data)
{
    return *unitsToUtf8(data, data.size() / 2, false);
}

std::optional<RegKey> parseRegText(std::string_view text, RegTextError* error)
{
    auto fail = [&](int line, std::string reason) -> std::optional<RegKey> {
        if (error)
            *error = {line, std::move(reason)};
        return std::nullopt;
    };

    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    RegKey root;
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return root;
    if (!isValidUtf8(text))
        return fail(0, "not UTF-8");

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }

    if (trimRight(lines[0]) != kHeader)
        return fail(1, "no header");

    RegKey* current = nullptr;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const int lineNo = static_cast<int>(n) + 1;
        std::string_view line = trimRight(trimLeft(lines[n]));
        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '[') {
            if (line.back() != ']')
                return fail(lineNo, "unclosed key");
            const std::string_view path = line.substr(1, line.size() - 2);
            const auto slash = path.find('\\');
            if (!sameHiveName(path.substr(0, slash), kRoot))
                return fail(lineNo, "not HKEY_CURRENT_USER");
            current = &root;
            if (slash == std::string_view::npos)
                continue;
            std::string_view rest = path.substr(slash + 1);
            while (true) {
                const auto next = rest.find('\\');
                const std::string_view part = rest.substr(0, next);
                if (part.empty())
                    return fail(lineNo, "empty key name");
                current = &current->subkey(part);
                if (next == std::string_view::npos)
                    break;
                rest.remove_prefix(next + 1);
            }
            continue;
        }

        if (line.front() != '"' && line.front() != '@')
            return fail(lineNo, "unknown line");
        if (!current)
            return fail(lineNo, "value outside a key");
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = readQuoted(line);
            if (!quoted)
                return fail(lineNo, "bad value name");
            name = std::move(*quoted);
        }
        line = trimLeft(line);
        if (line.empty() || line.front() != '=')
            return fail(lineNo, "no '='");
        line = trimLeft(line.substr(1));

        if (!line.empty() && line.front() == '"') {
            auto value = readQuoted(line);
            if (!value || !trimLeft(line).empty())
                return fail(lineNo, "bad string");
            current->values.push_back({std::move(name), HiveType::String, *utf8ToRegString(*value)});
        } else if (line.substr(0, 6) == "dword:") {
            const std::string_view digits = line.substr(6);
            if (digits.empty() || digits.size() > 8)
                return fail(lineNo, "bad dword");
            std::uint32_t v = 0;
            for (char c : digits) {
                const int d = hexDigit(c);
                if (d < 0)
                    return fail(lineNo, "bad dword");
                v = v * 16 + static_cast<std::uint32_t>(d);
            }
            std::string data;
            for (int i = 0; i < 4; ++i)
                data += static_cast<char>((v >> (8 * i)) & 0xFF);
            current->values.push_back({std::move(name), HiveType::Dword, std::move(data)});
        } else if (line.substr(0, 3) == "hex") {
            std::uint32_t type = HiveType::Binary;
            std::string_view rest = line.substr(3);
            if (!rest.empty() && rest.front() == '(') {
                const auto close = rest.find(')');
                if (close == std::string_view::npos || close < 2 || close > 9)
                    return fail(lineNo, "bad hex type");
                type = 0;
                for (char c : rest.substr(1, close - 1)) {
                    const int d = hexDigit(c);
                    if (d < 0)
                        return fail(lineNo, "bad hex type");
                    type = type * 16 + static_cast<std::uint32_t>(d);
                }
                rest.remove_prefix(close + 1);
            }
            if (rest.empty() || rest.front() != ':')
                return fail(lineNo, "bad hex value");
            std::string bytes(rest.substr(1));
            while (!bytes.empty() && bytes.back() == '\\') {
                bytes.pop_back();
                if (++n >= lines.size())
                    return fail(lineNo, "unfinished hex value");
                bytes += trimRight(trimLeft(lines[n]));
            }
            auto data = readHexBytes(bytes);
            if (!data)
                return fail(lineNo, "bad hex bytes");
            current->values.push_back({std::move(name), type, std::move(*data)});
        } else {
            return fail(lineNo, "bad value");
        }
    }
    mergeRepeatedValues(root);
    return root;
}

std::string writeRegText(const RegKey& root)
{
    std::string out(kHeader);
    out += kEol;
    out += kEol;
    const std::string rootPath(kRoot);
    if (!root.values.empty()) {
        RegKey valuesOnly;
        valuesOnly.values = root.values;
        writeKey(out, valuesOnly, rootPath);
    }
    for (const auto& sub : root.subkeys)
        writeKey(out, sub, rootPath + '\\' + sub.name);
    return out;
}

} // namespace evidor
