#include "ConnectionLog.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "platform/Regional.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Readable bytes after the data of a buffer, so field separators are found 16 bytes at a time.
constexpr std::size_t kPadding = 128;

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
    out.data.reset(static_cast<char*>(allocateLarge(capacity + kPadding)));
    for (;;) {
        if (out.size == capacity) {
            const int c = std::fgetc(f);
            if (c == EOF)
                break;
            LargeChars bigger(static_cast<char*>(allocateLarge(capacity * 2 + kPadding)));
            std::memcpy(bigger.get(), out.data.get(), out.size);
            bigger[out.size++] = static_cast<char>(c);
            out.data = std::move(bigger);
            capacity *= 2;
        }
        out.size += std::fread(out.data.get() + out.size, 1, capacity - out.size, f);
        if (out.size < capacity)
            break;
    }
    std::memset(out.data.get() + out.size, 0, kPadding);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return out;
}

} // namespace

ConnectionLog ConnectionLog::parse(std::string_view bytes)
{
    LargeChars copy(static_cast<char*>(allocateLarge(bytes.size() + kPadding)));
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    std::memset(copy.get() + bytes.size(), 0, kPadding);
    return parse(std::move(copy), bytes.size(), kPadding);
}

namespace {

// Blank bits of up to kWindow bytes at p: bit i is set when p[i] is a field separator or
// i >= len. Reads kWindow bytes, so the buffer carries kPadding readable bytes past its end.
struct BlankMask
{
    std::uint64_t word[2];

    BlankMask(const char* p, std::size_t len)
    {
#ifdef __SSE2__
        const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), cr = _mm_set1_epi8('\r'),
                      lf = _mm_set1_epi8('\n');
        std::uint64_t bits[8];
        for (int c = 0; c < 8; ++c) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * c));
            const __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)),
                                           _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
            bits[c] = static_cast<std::uint32_t>(_mm_movemask_epi8(m));
        }
        word[0] = bits[0] | bits[1] << 16 | bits[2] << 32 | bits[3] << 48;
        word[1] = bits[4] | bits[5] << 16 | bits[6] << 32 | bits[7] << 48;
#else
        word[0] = word[1] = 0;
        for (std::size_t i = 0; i < kWindow; ++i)
            if (isBlank(p[i]))
                word[i / 64] |= std::uint64_t{1} << (i % 64);
#endif
        if (len < 64) {
            word[0] |= ~std::uint64_t{0} << len;
            word[1] = ~std::uint64_t{0};
        } else if (len < 128) {
            word[1] |= ~std::uint64_t{0} << (len - 64);
        }
    }

    static constexpr std::size_t kWindow = 128;
};

} // namespace

ConnectionLog ConnectionLog::parse(LargeChars buffer, std::size_t size, std::size_t padding)
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
    // A record takes at least 20 bytes (ten fields and their separators), so this never
    // reallocates; the memory of records never made is not touched.
    log.Records.reserve(end / 20 + 1);

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

    // Every record consumes at least one line feed (its rest of line ends with one), so the
    // records never outnumber the lines ended by a line feed.
    std::size_t starts[10];
    std::size_t lengths[10];
    std::int64_t tokenLines[10];
    for (;;) {
        skipBlanks();
        if (pos >= end)
            break;

        const std::size_t recordStart = pos;
        const std::int64_t recordLine = line;
        // A whole record on one short line, the usual case: its fields come from one blank mask.
        bool fast = false;
        const char* lf = static_cast<const char*>(std::memchr(base + pos, '\n', end - pos));
        const std::size_t lineLength = static_cast<std::size_t>(lf - (base + pos));
        if (lineLength < BlankMask::kWindow && pos + BlankMask::kWindow <= size + padding) {
            // Token starts are non-blanks after a blank, token ends blanks after a non-blank;
            // bits at and past the line's end are blank, so every token ends inside the window.
            const BlankMask mask(base + pos, lineLength);
            const std::uint64_t blankLo = mask.word[0], blankHi = mask.word[1];
            std::uint64_t startLo = ~blankLo & ((blankLo << 1) | 1);
            std::uint64_t startHi = ~blankHi & ((blankHi << 1) | (blankLo >> 63));
            std::uint64_t endLo = blankLo & (~blankLo << 1);
            std::uint64_t endHi = blankHi & ((~blankHi << 1) | (~blankLo >> 63));
            if (std::popcount(startLo) + std::popcount(startHi) >= 10) {
                std::size_t last = 0;
                for (int field = 0; field < 10; ++field) {
                    const std::size_t s = startLo ? static_cast<std::size_t>(std::countr_zero(startLo))
                                                  : 64 + static_cast<std::size_t>(std::countr_zero(startHi));
                    if (startLo)
                        startLo &= startLo - 1;
                    else
                        startHi &= startHi - 1;
                    const std::size_t e = endLo ? static_cast<std::size_t>(std::countr_zero(endLo))
                                                : 64 + static_cast<std::size_t>(std::countr_zero(endHi));
                    if (endLo)
                        endLo &= endLo - 1;
                    else
                        endHi &= endHi - 1;
                    starts[field] = pos + s;
                    lengths[field] = e - s;
                    tokenLines[field] = line;
                    last = e;
                }
                fast = true;
                pos += last;
            }
        }
        bool complete = true;
        if (!fast) {
            for (int field = 0; field < 10; ++field) {
                lengths[field] = nextToken(starts[field]);
                tokenLines[field] = line;
                if (lengths[field] == 0) {
                    complete = false;
                    break;
                }
            }
        }
        if (!complete) {
            // A last line with fewer than ten fields: nothing to make a record of. It is named
            // by what it holds.
            std::string_view partial(base + recordStart, end - recordStart);
            while (!partial.empty() && isBlank(partial.back()))
                partial.remove_suffix(1);
            skip(recordLine, partial.substr(0, 80));
            break;
        }

        TConnectionRecord rec;
        std::int32_t numbers[10]{};
        bool numbersOk = true;
        std::int64_t badLine = 0;
        std::string_view badText;
        for (int field = 0; field < 10; ++field) {
            if (kTextOfField[field] >= 0) {
                const int t = kTextOfField[field];
                rec.textOffset[t] = static_cast<std::uint32_t>(starts[field]);
                rec.textLength[t] =
                    static_cast<std::uint8_t>(std::min<std::size_t>(lengths[field], kFieldLimit[t]));
            } else if (auto v = parseInt32(std::string_view(base + starts[field], lengths[field]))) {
                numbers[field] = *v;
            } else if (numbersOk) {
                numbersOk = false;
                badLine = tokenLines[field];
                badText = std::string_view(base + starts[field], lengths[field]);
            }
        }
        // The rest of the line, at most 48 bytes with its line break; the excess is discarded.
        if (!fast)
            lf = static_cast<const char*>(std::memchr(base + pos, '\n', end - pos));
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
    return "Niektoré riadky súboru evidor.log majú chybné číslo alebo neúplný záznam a boli vynechané (" +
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
    ConnectionLog log = ConnectionLog::parse(std::move(bytes->data), bytes->size, kPadding);
    if (log.skippedCount > 0)
        prompts.message(skippedLinesMessage(log));
    return log;
}

} // namespace evidor
