#pragma once

#include "platform/Regional.h"
#include "stats/ConnectionLog.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace evidor {

/// Items of the month list: index 0 is the whole year, 1..12 the months.
extern const std::array<const char*, 13> kMonthItems;

/// Titles of the grid's ten columns, in order.
extern const std::array<const char*, 10> kGridTitles;
/// Initial column widths in pixels.
extern const std::array<int, 10> kGridWidths;

/// Totals of a period. 64-bit, so a period of more than 2 GB shows the right figure.
struct PeriodTotals
{
    std::int64_t Price = 0; ///< hundredths of a crown
    std::int64_t Impulses = 0;
    std::int64_t Received = 0;
    std::int64_t Sent = 0;
    std::int64_t Speed = 0; ///< sum of the rows' speeds, for the average only
    std::int64_t Seconds = 0;
};

/// Label texts of the totals panel (UTF-8), named after their labels.
struct PeriodLabels
{
    std::string lCelkovyCas;
    std::string Impulzy;
    std::string CelkovaSuma;
    std::string CelkovoPrijate;
    std::string CelkovoOdoslane;
    std::string PriemRychlost;
};

/// What `ShowPeriod` computed: R rows below the header, their totals and label texts.
struct PeriodResult
{
    std::int32_t rows = 0;
    PeriodTotals totals;
    PeriodLabels labels;
};

/// The three status bar texts of a selected row, or of the empty period.
using StatusTexts = std::array<std::string, 3>;
extern const StatusTexts kStatusInitial;     ///< before any row was selected
extern const StatusTexts kStatusEmptyPeriod; ///< after a period without connections

/// `Obdobie` for month index 0..12 and a year: "Máj  2000", "Celý rok 2000".
std::string periodLabel(int monthIndex, int year);

/// Whether record i's date falls into the period (month 0 = whole year). A date that is not of
/// the fixed form dd.mm.yyyy (digits at positions 4-5 and 7-10) never falls into a period.
bool InPeriod(const ConnectionLog& log, std::int32_t i, std::uint16_t month, std::uint16_t year);

/// Lists the period: writes the row-to-record map into the records' `RowRecord` and computes
/// the totals and label texts. A duration that does not read as h:mm:ss adds no seconds.
PeriodResult ShowPeriod(ConnectionLog& log, std::uint16_t month, std::uint16_t year,
                        const RegionalSettings& rs);

/// The record shown in grid row r (r >= 1) by the row-to-record map.
inline std::int32_t recordOfRow(const ConnectionLog& log, std::int32_t row)
{
    return log.Records[static_cast<std::size_t>(row - 1)].RowRecord;
}

/// Cell text (UTF-8) of column 0..9 for record k.
std::string gridCell(const ConnectionLog& log, std::int32_t k, int column, const RegionalSettings& rs);

/// For each column, the cell texts (UTF-8) of the period's rows 1..rows that can be the widest:
/// the texts of each byte length (a few of each), and for number columns the texts of the
/// smallest and largest value. Measuring these instead of every cell sizes a column to its
/// widest text at a fraction of the cost.
std::array<std::vector<std::string>, 10> widestCellCandidates(const ConnectionLog& log, std::int32_t rows,
                                                              const RegionalSettings& rs);

/// Status bar texts for record k: transferred data, price of one megabyte, data rate.
/// A connection of zero seconds shows " Priemerný tok dát : - " instead of dividing by zero.
StatusTexts rowDetails(const ConnectionLog& log, std::int32_t k, const RegionalSettings& rs);

} // namespace evidor
