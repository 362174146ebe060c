#include "Regional.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace evidor {

RegionalSettings slovakRegional()
{
    RegionalSettings rs;
    rs.decimalSeparator = ",";
    rs.thousandSeparator = " ";
    rs.dateSeparator = '.';
    rs.timeSeparator = ':';
    rs.longMonthNames = {"január", "február", "marec",     "apríl",   "máj",      "jún",
                         "júl",    "august",  "september", "október", "november", "december"};
    return rs;
}

std::string formatNumber(double value, int decimals, const RegionalSettings& rs)
{
    if (!std::isfinite(value))
        return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string_view s(buf);
    std::string out;
    if (!s.empty() && s.front() == '-') {
        out += '-';
        s.remove_prefix(1);
    }
    const auto dot = s.find('.');
    const std::string_view intPart = s.substr(0, dot);
    for (std::size_t i = 0; i < intPart.size(); ++i) {
        if (i > 0 && (intPart.size() - i) % 3 == 0)
            out += rs.thousandSeparator;
        out += intPart[i];
    }
    if (dot != std::string_view::npos) {
        out += rs.decimalSeparator;
        out += s.substr(dot + 1);
    }
    // "-0,00" reads as a sign error to users; a value that rounds to zero has none.
    if (out.size() > 1 && out.front() == '-' && out.find_first_of("123456789") == std::string::npos)
        out.erase(0, 1);
    return out;
}

std::string formatTwoDigits(std::int64_t value)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2.2lld", static_cast<long long>(value));
    return buf;
}

std::string formatHms(std::int64_t totalSeconds)
{
    const std::int64_t h = totalSeconds / 3600;
    const std::int64_t s = totalSeconds % 60;
    const std::int64_t m = (totalSeconds - h * 3600 - s) / 60;
    return formatTwoDigits(h) + ":" + formatTwoDigits(m) + ":" + formatTwoDigits(s);
}

namespace {

// Digits only, at least one; value must fit the limit.
std::optional<std::int64_t> readDigits(std::string_view t, std::int64_t limit)
{
    if (t.empty() || t.size() > 12)
        return std::nullopt;
    std::int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > limit)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<std::int64_t> parseDurationSeconds(std::string_view text, const RegionalSettings& rs)
{
    const auto a = text.find(rs.timeSeparator);
    if (a == std::string_view::npos)
        return std::nullopt;
    const auto b = text.find(rs.timeSeparator, a + 1);
    const auto h = readDigits(text.substr(0, a), 99999999);
    std::optional<std::int64_t> m, s = 0;
    if (b == std::string_view::npos) {
        m = readDigits(text.substr(a + 1), 59);
    } else {
        m = readDigits(text.substr(a + 1, b - a - 1), 59);
        s = readDigits(text.substr(b + 1), 59);
    }
    if (!h || !m || !s)
        return std::nullopt;
    return *h * 3600 + *m * 60 + *s;
}

std::int64_t daysFromCivil(const CivilDate& d)
{
    // Howard Hinnant's days_from_civil.
    const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (d.month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

int weekdayNumber(std::int64_t days)
{
    // 1970-01-01 was a Thursday (number 5).
    const std::int64_t w = ((days % 7) + 7 + 4) % 7; // 0 = Sunday
    return static_cast<int>(w) + 1;
}

std::optional<CivilDate> parseDate(std::string_view text, const RegionalSettings& rs)
{
    const auto a = text.find(rs.dateSeparator);
    if (a == std::string_view::npos)
        return std::nullopt;
    const auto b = text.find(rs.dateSeparator, a + 1);
    if (b == std::string_view::npos)
        return std::nullopt;
    const auto d = readDigits(text.substr(0, a), 31);
    const auto m = readDigits(text.substr(a + 1, b - a - 1), 12);
    const auto y = readDigits(text.substr(b + 1), 9999);
    if (!d || !m || !y || *d < 1 || *m < 1 || *y < 1 || text.substr(0, a).size() > 2 ||
        text.substr(a + 1, b - a - 1).size() > 2 || text.substr(b + 1).size() > 4)
        return std::nullopt;
    static constexpr int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int yy = static_cast<int>(*y);
    const bool leap = (yy % 4 == 0 && yy % 100 != 0) || yy % 400 == 0;
    int limit = monthDays[*m - 1];
    if (*m == 2 && !leap)
        limit = 28;
    if (*d > limit)
        return std::nullopt;
    return CivilDate{yy, static_cast<int>(*m), static_cast<int>(*d)};
}

std::optional<std::int32_t> parseInt32(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty() || (text.front() == '-' && text.size() == 1))
        return std::nullopt;
    std::int32_t v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || p != text.data() + text.size())
        return std::nullopt;
    return v;
}

} // namespace evidor
