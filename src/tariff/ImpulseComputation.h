#pragma once

#include "platform/Prompts.h"
#include "platform/Regional.h"
#include "stats/ConnectionLog.h"
#include "tariff/Instant.h"
#include "tariff/PeriodHost.h"
#include "tariff/StatisticsHooks.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace evidor {

/// The weekend band's impulse length and price. They outlive every computation: one set per
/// process, changed only when a tariff with a weekend band is read.
struct WeekendValues
{
    std::int32_t dlzkaImpulzu = 0; ///< seconds
    std::int32_t cenaImpulzu = 0;  ///< hundredths of a crown
    bool known = false;            ///< a weekend band has been read
};

/// The process-wide weekend values.
WeekendValues& processWeekendValues();

/// A working-day band as the computation uses it.
struct ComputationBand
{
    std::int32_t from = 0; ///< first second of the day, inclusive
    std::int32_t to = 0;   ///< last second of the day, inclusive
    std::int32_t dlzkaImpulzu = 0;
    std::int32_t cenaImpulzu = 0;
    int number = 0; ///< 1-based position of the band in the file
};

/// The day of an instant as FindBand classified it.
struct DayClass
{
    int weekday = 0; ///< 1 = Sunday ... 7 = Saturday
    int month = 0;   ///< 1..12
};

/// The impulses of one connection and their total price (hundredths of a crown).
struct WalkResult
{
    std::int64_t impulses = 0;
    std::int64_t total = 0;
    friend bool operator==(const WalkResult&, const WalkResult&) = default;
};

/// What one period pass did.
struct PassSummary
{
    bool emptyPeriod = false;     ///< the grid showed the empty-period marker: nothing was done
    std::int64_t connections = 0; ///< connections walked
    std::int64_t impulses = 0;    ///< impulses walked, over all connections
    std::int64_t mismatches = 0;  ///< connections whose logged impulses or price differ
    std::int64_t unreadable = 0;  ///< rows whose date, time or duration did not read
};

/// A record's start and end (start plus the logged duration). Nothing when its date, time or
/// duration does not read. Dates are read in the user's format, and also with full stops.
std::optional<std::pair<Instant, Instant>> connectionSpan(const ConnectionLog& log, std::int32_t record,
                                                          const RegionalSettings& rs);

/// The impulse and price computation of one charts window: the tariff and holiday dates of the
/// last pass, the band values in force and the no-data flag. The weekend values are shared by
/// all computations (processWeekendValues() unless a test gives its own).
class ImpulseComputation
{
public:
    explicit ImpulseComputation(IPrompts& prompts, IStatisticsHooks& hooks = noStatistics(),
                                WeekendValues& weekend = processWeekendValues());

    /// Reads the tariff file `tariffFileName` of `programDir`. A file that cannot be read shows
    /// "Chyba pri otvoreni súboru <path>", sets the no-data flag and keeps the bands held before.
    /// Bands with values out of range are left out and named in one message.
    bool LoadComputationTariff(const std::string& programDir, const std::string& tariffFileName);

    /// Reads the dates of `programDir`/sviatky.dat. A missing list shows "Neexistuje subor
    /// sviatky.dat", sets the no-data flag and leaves no holiday. Words that are not dates are
    /// left out and named in one message.
    bool LoadHolidayDates(const std::string& programDir, const RegionalSettings& rs);

    /// Classifies the day of `t` and updates the band values in force: weekend values on
    /// Saturdays, Sundays and holidays, otherwise the first working-day band covering t's time
    /// of day; when none does, they stay as they were.
    DayClass FindBand(const Instant& t);

    /// Walks one connection impulse by impulse from `start` to `end` (an impulse beginning at
    /// `end` counts), calling AddImpulse for each. Ends after the first impulse while the no-data
    /// flag is set, and after an impulse whose length in force is 0 (the user is told once per
    /// pass).
    WalkResult WalkConnection(const Instant& start, const Instant& end);

    /// The period pass over the host's listed rows with the validation: each mismatching
    /// connection, while the host's Kontrola is on, gets a beep, becomes the current row and is
    /// reported in a box that waits for the user.
    PassSummary RunPeriodPass(IPeriodHost& host, const RegionalSettings& rs);

    /// Called for every mismatching connection of a pass, whether or not it is reported:
    /// grid row, record index and what the tariff gives. For tools that list them.
    using MismatchObserver = std::function<void(std::int32_t row, std::int32_t record, const WalkResult& computed)>;
    void setMismatchObserver(MismatchObserver observer) { m_mismatchObserver = std::move(observer); }

    bool noData() const { return m_noData; }
    std::int32_t priceInForce() const { return m_price; }
    std::int32_t lengthInForce() const { return m_length; }
    const std::vector<ComputationBand>& workingBands() const { return m_bands; }
    const std::vector<CivilDate>& holidayDates() const { return m_holidayDates; }
    const std::string& tariffFileName() const { return m_tariffName; }

private:
    enum class Source
    {
        None,
        Band,
        Weekend
    };

    void classifyDay(std::int64_t day);
    void reportZeroLength(const Instant& at);

    IPrompts& m_prompts;
    IStatisticsHooks& m_hooks;
    MismatchObserver m_mismatchObserver;
    WeekendValues& m_weekend;

    std::vector<ComputationBand> m_bands;
    std::string m_tariffName;
    std::vector<int> m_zeroBands; ///< numbers of bands of length 0 in the tariff (weekend band too)
    int m_weekendNumber = 0;      ///< position of the weekend band in the last tariff read, 0 if none
    std::vector<CivilDate> m_holidayDates;
    std::vector<std::int64_t> m_holidayDays; ///< sorted day numbers of m_holidayDates

    std::int32_t m_price = 0;
    std::int32_t m_length = 0;
    Source m_source = Source::None;
    bool m_noData = false;
    bool m_zeroReported = false;

    // The last classified day, since the impulses of a connection mostly share one.
    std::int64_t m_cachedDay = std::numeric_limits<std::int64_t>::min();
    DayClass m_cachedClass;
    bool m_cachedWeekendDay = false;
};

/// The validation report's text and caption.
std::string mismatchText(std::int32_t row, std::int32_t record, const WalkResult& computed,
                         const RegionalSettings& rs);
std::string mismatchCaption(const std::string& tariffFileName);

} // namespace evidor
