#pragma once

#include "platform/Regional.h"

#include <compare>
#include <cstdint>

namespace evidor {

/// A moment of the log's calendar: a date and a time of day in whole seconds. There are no time
/// zones: the log's dates and times are the wall clock of the meter's machine, and a day has
/// 86 400 seconds.
struct Instant
{
    std::int64_t day = 0;     ///< days since 1970-01-01 (daysFromCivil); earlier days negative
    std::int32_t seconds = 0; ///< seconds since midnight, 0..86399

    /// The instant `secondsOfDay` seconds after midnight of `date` (may run into later days).
    static Instant of(const CivilDate& date, std::int64_t secondsOfDay)
    {
        return Instant{daysFromCivil(date), 0}.plus(secondsOfDay);
    }

    CivilDate date() const { return civilFromDays(day); }
    /// 1 = Sunday, 2 = Monday ... 7 = Saturday.
    int weekday() const { return weekdayNumber(day); }
    /// 1..12.
    int month() const { return date().month; }
    int hour() const { return seconds / 3600; }
    int minute() const { return seconds / 60 % 60; }
    int second() const { return seconds % 60; }

    /// Seconds since 1970-01-01 00:00:00, for differences between instants.
    std::int64_t totalSeconds() const { return day * 86400 + seconds; }

    /// The instant `s` seconds later (earlier when negative).
    Instant plus(std::int64_t s) const
    {
        const std::int64_t t = seconds + s;
        std::int64_t d = t / 86400;
        std::int64_t r = t % 86400;
        if (r < 0) {
            r += 86400;
            --d;
        }
        return Instant{day + d, static_cast<std::int32_t>(r)};
    }

    /// Earlier instants compare less; on one day, earlier times of day.
    friend auto operator<=>(const Instant&, const Instant&) = default;
};

} // namespace evidor
