#include "tariff/Sviatky.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"

namespace evidor {

namespace {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks and control characters, which the name loses at both ends.
constexpr bool isTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
}

} // namespace

std::string sviatkyPath(const std::string& programDir)
{
    return joinPath(programDir, "sviatky.dat");
}

std::vector<TSviatok> parseSviatky(std::string_view bytes)
{
    std::vector<TSviatok> entries;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto lf = bytes.find('\n', pos);
        if (lf == std::string_view::npos)
            lf = bytes.size();
        std::string_view line = bytes.substr(pos, lf - pos);
        pos = lf + 1;

        std::size_t b = 0;
        while (b < line.size() && isBlank(line[b]))
            ++b;
        std::size_t e = line.size();
        while (e > b && isTrimmed(line[e - 1]))
            --e;
        if (b == e)
            continue; // a blank line is no entry
        line = line.substr(b, e - b);
        std::size_t w = 0;
        while (w < line.size() && !isBlank(line[w]))
            ++w;
        std::string_view rest = line.substr(w);
        while (!rest.empty() && isTrimmed(rest.front()))
            rest.remove_prefix(1);
        entries.push_back({cp1250ToUtf8(line.substr(0, w)), cp1250ToUtf8(rest)});
    }
    return entries;
}

std::optional<std::string> encodeSviatky(const std::vector<std::string>& displayLines)
{
    std::string out;
    for (const std::string& line : displayLines) {
        const auto bytes = utf8ToCp1250(line);
        if (!bytes)
            return std::nullopt;
        out += *bytes;
        out += "\r\n";
    }
    return out;
}

std::vector<TSviatok> NacitajSviatky(const std::string& path, IPrompts& prompts)
{
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        prompts.message(kSviatkyMissing);
        return {};
    }
    return parseSviatky(*bytes);
}

bool UlozSviatky(const std::string& path, const std::vector<std::string>& displayLines, IPrompts& prompts)
{
    const auto bytes = encodeSviatky(displayLines);
    if (!bytes) {
        // The editor refuses such characters where they are typed; nothing is half written.
        prompts.message("Zoznam sviatkov obsahuje znak, ktorý sa nedá uložiť do súboru sviatky.dat.");
        return false;
    }
    if (writeFileAtomically(path, *bytes)) {
        prompts.message(kSviatkyMissing);
        return false;
    }
    return true;
}

} // namespace evidor
