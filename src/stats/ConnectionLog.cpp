#include "ConnectionLog.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "platform/Regional.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace evidor {

namespace {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads the whole file at once: one snapshot of a log the meter may be appending to.
std::optional<std::string> readLogFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string bytes;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        if (size > 0)
            bytes.resize(static_cast<std::size_t>(size));
        std::fseek(f, 0, SEEK_SET);
    }
    std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
    bytes.resize(got);
    // A file that reports no size (a pipe, a special file) is read in pieces.
    if (got == 0) {
        char chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.append(chunk, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return bytes;
}

} // namespace

ConnectionLog ConnectionLog::parse(std::string bytes)
{
    ConnectionLog log;
    // Offsets are 32-bit to keep records small; a log beyond 4 GB is read up to that size.
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        bytes.resize(std::numeric_limits<std::uint32_t>::max());
    log.m_buffer = std::move(bytes);
    const char* const base = log.m_buffer.data();

    // Only lines ended by a line feed count; the rest may still be being written.
    const auto lastLf = log.m_buffer.rfind('\n');
    const std::size_t end = lastLf == std::string::npos ? 0 : lastLf + 1;
    const auto lineFeeds = static_cast<std::size_t>(std::count(base, base + end, '\n'));
    log.Records.reserve(lineFeeds);

    std::size_t pos = 0;
    std::int64_t line = 1;
    auto skipBlanks = [&] {
        while (pos < end && isBlank(base[pos])) {
            if (base[pos] == '\n')
                ++line;
            ++pos;
        }
    };
    auto nextToken = [&](std::size_t& start) -> std::size_t {
        skipBlanks();
        start = pos;
        while (pos < end && !isBlank(base[pos]))
            ++pos;
        return pos - start;
    };
    auto skip = [&](std::int64_t atLine, std::string_view what) {
        if (log.skippedCount++ == 0)
            log.firstSkipped = {atLine, std::string(what)};
    };

    // Token positions of fields 1..10, in log order.
    static constexpr int kTextOfField[10] = {TConnectionRecord::Date, TConnectionRecord::Time,
                                             TConnectionRecord::Day,  TConnectionRecord::Duration,
                                             -1, -1, -1, -1, -1, TConnectionRecord::Utilisation};

    for (std::size_t i = 0; i < lineFeeds; ++i) {
        skipBlanks();
        if (pos >= end)
            break;
        TConnectionRecord rec;
        std::int32_t numbers[10]{};
        bool complete = true;
        bool numbersOk = true;
        std::int64_t badLine = 0;
        std::string_view badText;
        for (int field = 0; field < 10; ++field) {
            std::size_t start = 0;
            const std::size_t len = nextToken(start);
            if (len == 0) {
                complete = false;
                break;
            }
            const std::string_view token(base + start, len);
            if (kTextOfField[field] >= 0) {
                const int t = kTextOfField[field];
                rec.textOffset[t] = static_cast<std::uint32_t>(start);
                rec.textLength[t] = static_cast<std::uint8_t>(std::min<std::size_t>(len, kFieldLimit[t]));
            } else if (auto v = parseInt32(token)) {
                numbers[field] = *v;
            } else if (numbersOk) {
                numbersOk = false;
                badLine = line;
                badText = token;
            }
        }
        if (!complete) {
            // A last line with fewer than ten fields: nothing to make a record of.
            skip(line, std::string_view(base + pos, 0));
            break;
        }
        // The rest of the line, at most 48 bytes with its line break; the excess is discarded.
        const char* lf = static_cast<const char*>(std::memchr(base + pos, '\n', end - pos));
        const std::size_t lineEnd = static_cast<std::size_t>(lf - base) + 1;
        std::size_t restBegin = pos;
        std::size_t restEnd = std::min(lineEnd, pos + kFieldLimit[TConnectionRecord::Isp]);
        while (restBegin < restEnd && isBlank(base[restBegin]))
            ++restBegin;
        while (restEnd > restBegin && isBlank(base[restEnd - 1]))
            --restEnd;
        rec.textOffset[TConnectionRecord::Isp] = static_cast<std::uint32_t>(restBegin);
        rec.textLength[TConnectionRecord::Isp] = static_cast<std::uint8_t>(restEnd - restBegin);
        pos = lineEnd;
        const std::int64_t recordEndLine = line;
        ++line;

        if (!numbersOk) {
            skip(badLine ? badLine : recordEndLine, badText);
            continue;
        }
        rec.Price = numbers[4];
        rec.Impulses = numbers[5];
        rec.Sent = numbers[6];
        rec.Received = numbers[7];
        rec.Speed = numbers[8];
        rec.RowRecord = static_cast<std::int32_t>(log.Records.size());
        log.Records.push_back(rec);
    }
    log.RecordCount = static_cast<std::int32_t>(log.Records.size());
    return log;
}

std::string skippedLinesMessage(const ConnectionLog& log)
{
    return "Niektoré riadky súboru evidor.log majú chybné číslo a boli vynechané (" +
           std::to_string(log.skippedCount) + "). Prvý z nich je riadok " +
           std::to_string(log.firstSkipped.lineNumber) + ": \"" + cp1250ToUtf8(log.firstSkipped.text) + "\"";
}

ConnectionLog LoadLog(const std::string& programDir, IPrompts& prompts)
{
    auto bytes = readLogFile(joinPath(programDir, "evidor.log"));
    if (!bytes) {
        prompts.message("Neexistuje subor evidor.log");
        return {};
    }
    ConnectionLog log = ConnectionLog::parse(std::move(*bytes));
    if (log.skippedCount > 0)
        prompts.message(skippedLinesMessage(log));
    return log;
}

} // namespace evidor
