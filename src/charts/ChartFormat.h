#pragma once

#include "platform/Regional.h"

#include <string>

namespace evidor {

/// "# ##0.###": thousands grouping and up to three decimals, trailing zeros dropped, with the
/// user's separators. The chart's value marks and left axis labels read this way.
std::string formatChartValue(double value, const RegionalSettings& rs);

/// "##0.## %": a share in percent with up to two decimals, the user's decimal separator.
std::string formatChartPercent(double percent, const RegionalSettings& rs);

} // namespace evidor
