#include "ConnectionLog.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "platform/Regional.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>

namespace evidor {

namespace {

// The separators between fields: blank, tab and the line break.
constexpr auto kBlank = [] {
    std::array<bool, 256> t{};
    t[' '] = t['\t'] = t['\r'] = t['\n'] = true;
    return t;
}();

inline bool isBlank(char c)
{
    return kBlank[static_cast<unsigned char>(c)];
}

// Reads the whole file at once: one snapshot of a log the meter may be appending to.
struct FileBytes
{
    LargeChars data;
    std::size_t size = 0;
};

std::optional<FileBytes> readLogFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    FileBytes out;
    std::size_t capacity = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        if (size > 0)
            capacity = static_cast<std::size_t>(size);
        std::fseek(f, 0, SEEK_SET);
    }
    std::setvbuf(f, nullptr, _IONBF, 0);
    // A file that reports no size (a pipe, a special file) grows its buffer as it is read.
    capacity = std::max<std::size_t>(capacity, 1);
    out.data.reset(static_cast<char*>(allocateLarge(capacity)));
    for (;;) {
        if (out.size == capacity) {
            const int c = std::fgetc(f);
            if (c == EOF)
                break;
            LargeChars bigger(static_cast<char*>(allocateLarge(capacity * 2)));
            std::memcpy(bigger.get(), out.data.get(), out.size);
            bigger[out.size++] = static_cast<char>(c);
            out.data = std::move(bigger);
            capacity *= 2;
        }
        out.size += std::fread(out.data.get() + out.size, 1, capacity - out.size, f);
        if (out.size < capacity)
            break;
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return out;
}

} // namespace

ConnectionLog ConnectionLog::parse(std::string_view bytes)
{
    LargeChars copy(static_cast<char*>(allocateLarge(bytes.size())));
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    return parse(std::move(copy), bytes.size());
}

ConnectionLog ConnectionLog::parse(LargeChars buffer, std::size_t size)
{
    ConnectionLog log;
    // Offsets are 32-bit to keep records small; a log beyond 4 GB is read up to that size.
    size = std::min<std::size_t>(size, std::numeric_limits<std::uint32_t>::max());
    log.m_buffer = std::move(buffer);
    const char* const base = log.m_buffer.get();

    // Only lines ended by a line feed count; the rest may still be being written.
    const std::string_view all(base, size);
    const auto lastLf = all.rfind('\n');
    const std::size_t end = lastLf == std::string_view::npos ? 0 : lastLf + 1;
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
        if (pos >= end)
            return 0;
        // The line feed at end - 1 stops every token, so no bound check is needed here.
        while (!isBlank(base[pos]))
            ++pos;
        return pos - start;
    };
    auto skip = [&](std::int64_t atLine, std::string_view what) {
        if (log.skippedCount++ == 0)
            log.firstSkipped = {atLine, std::string(what)};
    };

    // Token positions of fields 1..10, in log order.
    static constexpr int kTextOfField[10] = {TConnectionRecord::Date,
                                             TConnectionRecord::Time,
                                             TConnectionRecord::Day,
                                             TConnectionRecord::Duration,
                                             -1,
                                             -1,
                                             -1,
                                             -1,
                                             -1,
                                             TConnectionRecord::Utilisation};

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
    ConnectionLog log = ConnectionLog::parse(std::move(bytes->data), bytes->size);
    if (log.skippedCount > 0)
        prompts.message(skippedLinesMessage(log));
    return log;
}

} // namespace evidor
