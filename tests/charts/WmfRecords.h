#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace evidor::test {

/// A metafile taken apart for checks: the placeable prefix, the header and each record.
struct WmfRecord
{
    std::uint16_t function = 0;
    std::string params; ///< the record's bytes after its function word
    std::int16_t word(std::size_t i) const
    {
        return static_cast<std::int16_t>(static_cast<unsigned char>(params[2 * i]) |
                                         static_cast<unsigned char>(params[2 * i + 1]) << 8);
    }
};

struct WmfFile
{
    bool valid = false;
    std::string error;
    std::uint32_t key = 0;
    std::int16_t box[4]{}; ///< left, top, right, bottom
    std::uint16_t unitsPerInch = 0;
    std::uint16_t checksum = 0;
    std::uint16_t computedChecksum = 0;
    std::uint32_t totalWords = 0;
    std::uint16_t objects = 0;
    std::uint32_t largestRecord = 0;
    std::vector<WmfRecord> records;

    std::vector<const WmfRecord*> all(std::uint16_t function) const
    {
        std::vector<const WmfRecord*> out;
        for (const auto& r : records)
            if (r.function == function)
                out.push_back(&r);
        return out;
    }
};

inline std::uint16_t wmfWord(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

inline std::uint32_t wmfDword(std::string_view b, std::size_t at)
{
    return wmfWord(b, at) | static_cast<std::uint32_t>(wmfWord(b, at + 2)) << 16;
}

/// Reads the structure of a placeable metafile, checking every size field on the way.
inline WmfFile parseWmf(std::string_view b)
{
    WmfFile f;
    if (b.size() < 22 + 18) {
        f.error = "too short";
        return f;
    }
    f.key = wmfDword(b, 0);
    for (int i = 0; i < 4; ++i)
        f.box[i] = static_cast<std::int16_t>(wmfWord(b, 6 + 2 * static_cast<std::size_t>(i)));
    f.unitsPerInch = wmfWord(b, 14);
    f.checksum = wmfWord(b, 20);
    for (std::size_t i = 0; i < 20; i += 2)
        f.computedChecksum ^= wmfWord(b, i);
    const std::string_view m = b.substr(22);
    if (wmfWord(m, 0) != 1 || wmfWord(m, 2) != 9 || wmfWord(m, 4) != 0x0300) {
        f.error = "bad header";
        return f;
    }
    f.totalWords = wmfDword(m, 6);
    f.objects = wmfWord(m, 10);
    f.largestRecord = wmfDword(m, 12);
    if (f.totalWords * 2 != m.size()) {
        f.error = "total size does not match the file";
        return f;
    }
    std::size_t at = 18;
    std::uint32_t largest = 0;
    while (at < m.size()) {
        if (at + 6 > m.size()) {
            f.error = "record header cut";
            return f;
        }
        const std::uint32_t words = wmfDword(m, at);
        if (words < 3 || at + words * 2 > m.size()) {
            f.error = "record size out of the file";
            return f;
        }
        largest = std::max(largest, words);
        WmfRecord r;
        r.function = wmfWord(m, at + 4);
        r.params = std::string(m.substr(at + 6, words * 2 - 6));
        f.records.push_back(r);
        at += words * 2;
        if (r.function == 0) {
            if (at != m.size()) {
                f.error = "data after EOF";
                return f;
            }
            break;
        }
    }
    if (f.records.empty() || f.records.back().function != 0) {
        f.error = "no EOF record";
        return f;
    }
    if (largest != f.largestRecord) {
        f.error = "largest record field wrong";
        return f;
    }
    f.valid = true;
    return f;
}

} // namespace evidor::test
