#pragma once

#include "tariff/Instant.h"

#include <cstdint>

namespace evidor {

/// How the period pass feeds the chart statistics. Every hook does nothing unless overridden,
/// so a computation without charts (a test, the sample generator) passes noStatistics().
class IStatisticsHooks
{
public:
    virtual ~IStatisticsHooks() = default;

    /// Called once per pass that has connections, before the first connection.
    virtual void ClearStatistics() {}

    /// Called once per walked connection, before its impulses. `end` is `start` plus the
    /// logged duration; it usually lies on the start's date or the next, but a logged duration
    /// of 24 hours or more puts it further on. `startWeekday` is start.weekday().
    virtual void AddConnectionTime(const Instant& start, const Instant& end, int startWeekday)
    {
        (void)start;
        (void)end;
        (void)startWeekday;
    }

    /// Called for each impulse when it is counted: the weekday number (1 = Sunday ... 7 =
    /// Saturday) and month number (1..12) of the instant at which the impulse began, and its
    /// price in hundredths of a crown.
    virtual void AddImpulse(int weekday, int month, std::int32_t price)
    {
        (void)weekday;
        (void)month;
        (void)price;
    }
};

/// Hooks that do nothing.
IStatisticsHooks& noStatistics();

} // namespace evidor
