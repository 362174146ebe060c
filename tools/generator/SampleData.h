#pragma once

#include "platform/Prompts.h"
#include "platform/Regional.h"
#include "tariff/Sviatky.h"
#include "tariff/Tarifa.h"

#include <cstdint>
#include <string>
#include <vector>

namespace evidor::sample {

/// File name of the sample tariff; the settings' `Tarif` must name it.
inline constexpr const char* kTariffName = "Slovak Telecom.tfa";

/// A dial-up tariff as Slovak Telecom had them: a peak band on working days from 07:00 to 19:00,
/// a cheaper off-peak band (two records, since a band cannot span midnight) and the weekend band.
TTarifa sampleTariff();

/// Easter Sunday of a Gregorian year.
CivilDate easterSunday(int year);

/// The Slovak public holidays that are days off, for every year from `fromYear` to `toYear`,
/// in date order.
std::vector<TSviatok> slovakHolidays(int fromYear, int toYear);

struct Options
{
    std::string dir;         ///< the program directory to write into; must exist
    int years = 3;           ///< the log covers this many years up to `end`
    CivilDate end{};         ///< the last day of the log
    std::int64_t lines = -1; ///< connections to write; -1 for a dial-up user's usual number
    std::uint64_t seed = 1;  ///< the same seed and options give the same files
    int wrongRows = 5;       ///< rows whose impulses or price are wrong on purpose
};

struct Result
{
    std::string error;                    ///< empty on success
    std::int64_t lines = 0;               ///< connections written
    CivilDate first{}, last{};            ///< the log's first and last day
    int holidays = 0;                     ///< entries of sviatky.dat
    std::int64_t impulses = 0;            ///< impulses of all connections as the tariff gives them
    std::vector<std::int64_t> wrongLines; ///< 1-based lines of evidor.log that are wrong on purpose
};

/// Writes evidor.log, the sample tariff and sviatky.dat into `options.dir`. The impulses and
/// prices of the log are those the computation gives for the written tariff and holidays, except
/// for `wrongRows` rows in the last year of the log (two in its last month where it has them).
Result generate(const Options& options, IPrompts& prompts);

} // namespace evidor::sample
