#pragma once

#include "platform/LargeBuffer.h"
#include "platform/Prompts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace evidor {

/// One line of the connection log. The texts are not owned: they are (offset, length) pairs
/// into the log's text buffer, so a year of connections costs no allocation per record.
/// Read them through ConnectionLog::text().
struct TConnectionRecord
{
    enum Text : std::uint8_t
    {
        Date,
        Day,
        Time,
        Duration,
        Utilisation,
        Isp,
        TextCount
    };

    std::uint32_t textOffset[TextCount]{};
    std::uint8_t textLength[TextCount]{};
    std::int32_t Price = 0; ///< hundredths of a crown
    std::int32_t Impulses = 0;
    std::int32_t Received = 0; ///< bytes, log field 8
    std::int32_t Sent = 0;     ///< bytes, log field 7
    std::int32_t Speed = 0;    ///< bits per second
    /// The record's own index after loading; afterwards the row-to-record map: the record at
    /// position r holds the index of the record shown in grid row r + 1.
    std::int32_t RowRecord = 0;
};

/// Longest accepted text of each field, in bytes of the file; longer tokens are cut here.
inline constexpr std::uint8_t kFieldLimit[TConnectionRecord::TextCount] = {11, 2, 8, 11, 7, 48};

/// A line left out of the records: a numeric field that did not convert, or a last record with
/// fewer than ten fields.
struct SkippedLine
{
    std::int64_t lineNumber = 0; ///< 1-based line of the offending text
    std::string text;            ///< the offending number or the incomplete record (Windows-1250)
};

/// The whole log in memory: the text buffer and the records that point into it.
class ConnectionLog
{
public:
    std::vector<TConnectionRecord, LargeAllocator<TConnectionRecord>> Records;
    std::int32_t RecordCount = 0;

    /// Lines left out because a numeric field did not convert (how many, and the first).
    std::int64_t skippedCount = 0;
    SkippedLine firstSkipped;

    /// A record's text in the file's encoding (Windows-1250), valid as long as the log lives.
    std::string_view text(const TConnectionRecord& r, TConnectionRecord::Text t) const
    {
        return {m_buffer.get() + r.textOffset[t], r.textLength[t]};
    }
    std::string_view text(std::int32_t index, TConnectionRecord::Text t) const
    {
        return text(Records[static_cast<std::size_t>(index)], t);
    }

    /// Parses the bytes of a log (what a reading of the file gave) into records.
    /// Only lines ended by a line feed are read: an unterminated last line may still be being
    /// written by the meter.
    static ConnectionLog parse(std::string_view bytes);
    /// The same, taking over a buffer of `size` bytes followed by `padding` readable bytes.
    static ConnectionLog parse(LargeChars buffer, std::size_t size, std::size_t padding);

private:
    LargeChars m_buffer;
};

/// Reads `ProgramDir`/evidor.log. A missing or unreadable log: "Neexistuje subor evidor.log"
/// and no records. Lines with a numeric field that is not a decimal int32 are left out and
/// named in one message after loading.
ConnectionLog LoadLog(const std::string& programDir, IPrompts& prompts);

/// The message that names the lines `LoadLog` left out, in UTF-8.
std::string skippedLinesMessage(const ConnectionLog& log);

} // namespace evidor
