#include "ChartFormat.h"

namespace evidor {

namespace {

// formatNumber with a fixed count of decimals, then the optional ones dropped again.
std::string trimmedNumber(double value, int maxDecimals, const RegionalSettings& rs)
{
    std::string s = formatNumber(value, maxDecimals, rs);
    const auto sep = s.rfind(rs.decimalSeparator);
    if (sep == std::string::npos || rs.decimalSeparator.empty())
        return s;
    std::size_t end = s.size();
    while (end > sep + rs.decimalSeparator.size() && s[end - 1] == '0')
        --end;
    if (end == sep + rs.decimalSeparator.size())
        end = sep;
    s.erase(end);
    return s;
}

} // namespace

std::string formatChartValue(double value, const RegionalSettings& rs)
{
    return trimmedNumber(value, 3, rs);
}

std::string formatChartPercent(double percent, const RegionalSettings& rs)
{
    // Percent never reaches a thousand here, so no grouping is wanted.
    RegionalSettings plain = rs;
    plain.thousandSeparator.clear();
    return trimmedNumber(percent, 2, plain) + " %";
}

} // namespace evidor
