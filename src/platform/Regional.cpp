#include "Regional.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#ifndef _WIN32
#include <langinfo.h>
#endif

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

RegionalSettings systemRegional()
{
    RegionalSettings rs = slovakRegional();
    std::setlocale(LC_ALL, "");
    const std::lconv* lc = std::localeconv();
    if (lc && lc->decimal_point && *lc->decimal_point)
        rs.decimalSeparator = lc->decimal_point;
    if (lc && lc->thousands_sep)
        rs.thousandSeparator = lc->thousands_sep;
    // Regional formats use a plain blank where the locale gives a no-break one.
    if (rs.thousandSeparator == "\u00A0" || rs.thousandSeparator == "\u202F" ||
        rs.thousandSeparator == "\xA0")
        rs.thousandSeparator = " ";
#ifndef _WIN32
    const std::string dateFormat = nl_langinfo(D_FMT);
    if (dateFormat.rfind("%d", 0) == 0 && dateFormat.size() > 2 && dateFormat[2] != '%')
        rs.dateSeparator = dateFormat[2];
    const std::string timeFormat = nl_langinfo(T_FMT);
    if (timeFormat.rfind("%H", 0) == 0 && timeFormat.size() > 2 && timeFormat[2] != '%')
        rs.timeSeparator = timeFormat[2];
    for (int m = 0; m < 12; ++m)
        rs.longMonthNames[static_cast<std::size_t>(m)] = nl_langinfo(static_cast<nl_item>(MON_1 + m));
#endif
    std::setlocale(LC_ALL, "C");
    return rs;
}

std::string formatNumber(double value, int decimals, const RegionalSettings& rs)
{
    if (!std::isfinite(value))
        return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    // to_chars, unlike printf, ignores the C locale that Qt sets from the environment. The
    // shortest text that reads back as the value is rounded by hand, half away from zero, so
    // 0,125 shows as 0,13 as a user rounds it (to_chars alone would round ties to even).
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string digits(buf, static_cast<std::size_t>(res.ptr - buf));
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative)
        digits.erase(0, 1);
    std::size_t point = digits.find('.');
    if (point == std::string::npos) {
        point = digits.size();
        digits += '.';
    }
    digits.append(static_cast<std::size_t>(decimals) + 1, '0');
    const bool roundUp = digits[point + 1 + static_cast<std::size_t>(decimals)] >= '5';
    digits.resize(point + 1 + static_cast<std::size_t>(decimals));
    if (roundUp) {
        std::size_t i = digits.size();
        for (;;) {
            if (i == 0) {
                digits.insert(digits.begin(), '1');
                break;
            }
            --i;
            if (digits[i] == '.')
                continue;
            if (digits[i] == '9') {
                digits[i] = '0';
                continue;
            }
            ++digits[i];
            break;
        }
    }
    if (decimals == 0)
        digits.pop_back(); // the point
    if (negative)
        digits.insert(digits.begin(), '-');
    std::string_view s(digits);
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

CivilDate localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
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

} // namespace evidor
