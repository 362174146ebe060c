#pragma once

#include "tariff/Tarifa.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

namespace evidor::detail {

/// One band record of a tariff file as the meter walks them.
struct BandRecord
{
    int index = 0;                       ///< 0-based position in the walk
    bool weekend = false;                ///< introduced by the marker 0xFE
    const unsigned char* data = nullptr; ///< the data bytes after the marker
    std::size_t size = 0;                ///< data bytes the file holds: 10, or fewer when cut short
};

/// Walks the band records of a tariff file: the first starts after the first 0xFF; after each
/// record a marker 0xFE introduces the weekend record, which ends the walk, and any other
/// marker (0xFF or not) a further working-day record. `visit` returns false to stop early.
template <class Visit> void forEachBandRecord(std::string_view bytes, Visit&& visit)
{
    const auto first = bytes.find('\xFF');
    if (first == std::string_view::npos)
        return;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t pos = first + 1;
    int index = 0;
    while (pos < n) {
        const std::size_t avail = std::min<std::size_t>(10, n - pos);
        if (!visit(BandRecord{index++, false, b + pos, avail}) || avail < 10)
            return;
        const std::size_t marker = pos + 10;
        if (marker < n && b[marker] == 0xFE) {
            const std::size_t wpos = marker + 1;
            visit(BandRecord{index, true, b + wpos, std::min<std::size_t>(10, n - wpos)});
            return;
        }
        pos = marker + 1;
    }
}

/// The band in 10 data bytes, or nothing when a byte is 128 or more, an hour is above 23 or a
/// minute or second above 59.
std::optional<TPasmo> decodeBandRecord(const unsigned char* data, bool weekend);

} // namespace evidor::detail
