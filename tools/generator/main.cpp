// evidor-gen: writes a sample program directory (connection log, tariff, holiday list).

#include "SampleData.h"

#include "platform/Hive.h"
#include "platform/StreamPrompts.h"
#include "settings/MeterSettings.h"
#include "settings/RegIniFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <limits>
#include <string>

namespace {

const char* const kHelp =
    R"(Usage: evidor-gen [options]

Writes a sample program directory for Evidor:
  evidor.log          connections of a dial-up user: evening and weekend peaks, several
                      providers, long night connections across midnight, a few of zero length
  Slovak Telecom.tfa  the tariff: peak 07:00-18:59:59 (2:00 for 1,50 Sk), off-peak (5:00 for
                      1,20 Sk) and the weekend band (6:00 for 1,00 Sk)
  sviatky.dat         the Slovak public holidays of every year of the log
The impulses and prices of the log are computed from that tariff and those holidays, except
for a few rows that are wrong on purpose, so the validation has something to find. The lines
wrong on purpose are printed. The settings value Tarif must name the tariff file.

Options:
  --dir DIR          the directory to write into (created if missing; default: .)
  --years N          years the log covers, ending on --end (default 3)
  --end YYYY-MM-DD   the last day of the log (default: today)
  --lines N          exactly N connections (default: about 2.6 a day); for benchmarks, e.g.
                     --years 10 --lines 1000000
  --seed S           seed of the random choices; the same options give the same files (default 1)
  --wrong N          rows wrong on purpose (default 5)
  --tariff-name      print the tariff's file name and exit
  --select-tariff    where the meter's settings name no tariff in use yet, name the sample
                     tariff (as the meter would), and exit; a tariff already chosen stays
  --help             print this text and exit
)";

bool readNumber(const char* text, long long min, long long max, long long& out)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

std::string dateText(const evidor::CivilDate& d)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
    return buf;
}

int usageError(const std::string& what)
{
    std::cerr << "evidor-gen: " << what << "\nTry 'evidor-gen --help'.\n";
    return 2;
}

// The demo needs a tariff in use; the meter, not Evidor, chooses it, so this tool stands in.
int selectTariff()
{
    evidor::StreamPrompts prompts(std::cerr);
    const std::unique_ptr<evidor::IHive> hive = evidor::openUserHive(prompts);
    const std::string current = evidor::readTarif(*hive, prompts);
    if (!current.empty()) {
        std::cout << "tariff in use: " << current << '\n';
        return 0;
    }
    evidor::TRegIniFile settings = evidor::OpenSettingsKey(*hive, prompts);
    settings.writeString("Tarifa", "Tarif", evidor::sample::kTariffName);
    std::cout << "tariff in use: " << evidor::readTarif(*hive, prompts) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    evidor::sample::Options options;
    options.dir = ".";
    options.end = evidor::localToday();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        long long n = 0;
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return 0;
        } else if (arg == "--tariff-name") {
            std::cout << evidor::sample::kTariffName << '\n';
            return 0;
        } else if (arg == "--select-tariff") {
            return selectTariff();
        } else if (arg == "--dir") {
            const char* v = value();
            if (!v)
                return usageError("--dir needs a directory");
            options.dir = v;
        } else if (arg == "--years") {
            const char* v = value();
            if (!v || !readNumber(v, 1, 100, n))
                return usageError("--years needs a number from 1 to 100");
            options.years = static_cast<int>(n);
        } else if (arg == "--end") {
            const char* v = value();
            int y = 0, m = 0, d = 0;
            char extra = 0;
            if (!v || std::sscanf(v, "%d-%d-%d%c", &y, &m, &d, &extra) != 3)
                return usageError("--end needs a date YYYY-MM-DD");
            char dotted[32];
            std::snprintf(dotted, sizeof dotted, "%d.%d.%d", d, m, y);
            const auto date = evidor::parseDate(dotted, evidor::slovakRegional());
            if (!date || y < 1900)
                return usageError(std::string("not a date: ") + v);
            options.end = *date;
        } else if (arg == "--lines") {
            const char* v = value();
            if (!v || !readNumber(v, 0, 20'000'000, n))
                return usageError("--lines needs a number from 0 to 20000000");
            options.lines = n;
        } else if (arg == "--seed") {
            const char* v = value();
            if (!v || !readNumber(v, 0, std::numeric_limits<long long>::max(), n))
                return usageError("--seed needs a non-negative number");
            options.seed = static_cast<std::uint64_t>(n);
        } else if (arg == "--wrong") {
            const char* v = value();
            if (!v || !readNumber(v, 0, 1000, n))
                return usageError("--wrong needs a number from 0 to 1000");
            options.wrongRows = static_cast<int>(n);
        } else {
            return usageError("unknown option " + arg);
        }
    }
    if (options.end.year - options.years < 1900)
        return usageError("the log would begin before 1900");

    std::error_code ec;
    std::filesystem::create_directories(options.dir, ec);
    evidor::StreamPrompts prompts(std::cerr);
    const auto result = evidor::sample::generate(options, prompts);
    if (!result.error.empty()) {
        std::cerr << "evidor-gen: " << result.error << '\n';
        return 1;
    }
    std::cout << "evidor.log: " << result.lines << " connections from " << dateText(result.first) << " to "
              << dateText(result.last) << ", " << result.impulses << " impulses\n";
    std::cout << evidor::sample::kTariffName << ": the tariff of the log\n";
    std::cout << "sviatky.dat: " << result.holidays << " holidays\n";
    std::cout << "wrong on purpose: lines";
    for (auto line : result.wrongLines)
        std::cout << ' ' << line;
    std::cout << " of evidor.log\n";
    return 0;
}
