#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace evidor {

/// The user's regional formats as the logic needs them. Texts are UTF-8.
/// The app fills this from the system locale; tests use slovakRegional().
struct RegionalSettings
{
    std::string decimalSeparator = ",";
    std::string thousandSeparator = " ";
    char dateSeparator = '.';
    char timeSeparator = ':';
    std::array<std::string, 12> longMonthNames{}; ///< stand-alone names, January first
};

/// The Slovak fixture: comma, blank, "." and ":", "január" ... "december".
RegionalSettings slovakRegional();

/// The regional formats of the process's C locale (LC_ALL / LANG), for programs without Qt.
/// Date and time separators stay "." and ":" unless the locale writes its dates day first.
RegionalSettings systemRegional();

/// "%.Nn": thousands separators and exactly `decimals` decimals (rounded half away from zero).
std::string formatNumber(double value, int decimals, const RegionalSettings& rs);

/// "%2.2d": at least two digits, zero-padded; negative numbers keep their sign.
std::string formatTwoDigits(std::int64_t value);

/// "%2.2d:%2.2d:%2.2d" of a number of seconds; hours above 99 print with more digits.
std::string formatHms(std::int64_t totalSeconds);

/// Reads "h:mm:ss" (also "h:mm") with the locale's time separator into seconds since midnight.
/// Hours may exceed 23 (a duration of a day or more is read as that many hours); minutes and
/// seconds must be below 60. Anything else gives nothing.
std::optional<std::int64_t> parseDurationSeconds(std::string_view text, const RegionalSettings& rs);

/// A calendar date read from "dd.mm.yyyy" with the locale's date separator (day, month, year,
/// one or two digits for day and month). Gives nothing for a text that is not a valid date.
struct CivilDate
{
    int year = 0;
    int month = 0; ///< 1..12
    int day = 0;   ///< 1..31
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};
std::optional<CivilDate> parseDate(std::string_view text, const RegionalSettings& rs);

/// Today's date on the local clock.
CivilDate localToday();

/// Days since 1970-01-01 (negative before) of a valid civil date.
std::int64_t daysFromCivil(const CivilDate& d);
/// Weekday number of a day count: 1 = Sunday ... 7 = Saturday.
int weekdayNumber(std::int64_t daysSinceEpoch);
CivilDate civilFromDays(std::int64_t daysSinceEpoch);

/// Strict decimal int32 with an optional sign; nothing for any other text or overflow.
/// Inline: the log loader calls it five times a line.
inline std::optional<std::int32_t> parseInt32(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        i = 1;
    }
    const std::size_t digits = text.size() - i;
    if (digits == 0 || digits > 10)
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        const unsigned d = static_cast<unsigned char>(text[i]) - '0';
        if (d > 9)
            return std::nullopt;
        v = v * 10 + d;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

} // namespace evidor
