#include "SampleData.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "tariff/ImpulseComputation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

namespace evidor::sample {

namespace {

// splitmix64: small, fast and the same on every platform and compiler, unlike the standard
// distributions, so a seed gives the same files everywhere.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; } // [0, 1)
    std::int64_t below(std::int64_t n)
    {
        return static_cast<std::int64_t>(uniform() * static_cast<double>(n));
    }
    bool chance(double p) { return uniform() < p; }
    double normal()
    {
        const double u = 1.0 - uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * uniform());
    }
    std::int64_t poisson(double lambda)
    {
        if (lambda > 30)
            return std::max<std::int64_t>(0, std::llround(lambda + std::sqrt(lambda) * normal()));
        const double limit = std::exp(-lambda);
        std::int64_t k = 0;
        for (double p = uniform(); p > limit; p *= uniform())
            ++k;
        return k;
    }
    template <std::size_t N> std::size_t pick(const std::array<double, N>& weights)
    {
        double r = uniform() * std::accumulate(weights.begin(), weights.end(), 0.0);
        for (std::size_t i = 0; i < N; ++i) {
            if (r < weights[i])
                return i;
            r -= weights[i];
        }
        return N - 1;
    }

private:
    std::uint64_t m_state;
};

// Share of the day's connections per hour: the user waits for the off-peak band at 19:00.
constexpr std::array<double, 24> kWorkdayHours = {4,   2, 1, 0.5, 0.3, 0.3, 0.8, 2, 3,  3,  3, 3,
                                                  3.5, 3, 3, 3.5, 4,   4.5, 4,   9, 10, 10, 8, 6};
constexpr std::array<double, 24> kWeekendHours = {5, 3, 1.5, 0.5, 0.3, 0.3, 0.5, 1, 3, 5, 6, 6,
                                                  5, 5, 6,   6,   6,   6,   6,   7, 8, 8, 7, 6};

struct Provider
{
    const char* name; // UTF-8
    double share;
};
constexpr std::array<Provider, 5> kProviders = {{{"Slovak Telecom", 0.6},
                                                 {"EuroWeb Slovakia", 0.15},
                                                 {"Nextra", 0.1},
                                                 {"SANET", 0.05},
                                                 {"Internet Košice", 0.1}}};

constexpr std::array<int, 11> kSpeeds = {28800, 31200, 33600, 40000, 44000, 46667,
                                         48000, 49333, 50666, 52000, 53333};
constexpr std::array<double, 11> kSpeedShares = {1, 1, 3, 2, 4, 5, 6, 5, 4, 2, 1};

// Day labels as the meter writes them, by weekday number (1 = Sunday), in UTF-8.
constexpr std::array<const char*, 8> kDayLabels = {"", "Ne", "Po", "Ut", "St", "Št", "Pi", "So"};

struct Connection
{
    Instant start;
    std::int32_t duration = 0; // seconds
    std::int32_t price = 0;
    std::int32_t impulses = 0;
    std::int32_t sent = 0;
    std::int32_t received = 0;
    std::int32_t speed = 0;
    std::int32_t utilisation = 0;
    std::uint8_t provider = 0;
};

CivilDate yearsBefore(const CivilDate& d, int years)
{
    CivilDate r{d.year - years, d.month, d.day};
    if (r.month == 2 && r.day == 29)
        r.day = 28;
    return r;
}

std::int32_t clampInt32(double v)
{
    return static_cast<std::int32_t>(
        std::clamp(v, 0.0, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

// Days of the log with their number of connections: a Poisson number per day, more at weekends,
// a quiet week now and then (holidays away from home), adjusted to exactly `lines` when given.
std::vector<std::int64_t> connectionsPerDay(std::int64_t firstDay, std::int64_t days, std::int64_t lines,
                                            Rng& rng)
{
    std::vector<double> weight(static_cast<std::size_t>(days));
    double quietUntil = -1;
    for (std::int64_t i = 0; i < days; ++i) {
        if (i > quietUntil && rng.chance(0.01))
            quietUntil = static_cast<double>(i + 4 + rng.below(10));
        const int w = weekdayNumber(firstDay + i);
        weight[static_cast<std::size_t>(i)] = (w == 1 || w == 7 ? 1.4 : 1.0) * (i <= quietUntil ? 0.1 : 1.0);
    }
    const double total = std::accumulate(weight.begin(), weight.end(), 0.0);
    const double wanted = lines >= 0 ? static_cast<double>(lines) : 2.6 * static_cast<double>(days);
    std::vector<std::int64_t> counts(static_cast<std::size_t>(days));
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < counts.size(); ++i)
        sum += counts[i] = rng.poisson(wanted * weight[i] / total);
    if (lines >= 0) {
        while (sum < lines) {
            ++counts[static_cast<std::size_t>(rng.below(days))];
            ++sum;
        }
        while (sum > lines) {
            auto& c = counts[static_cast<std::size_t>(rng.below(days))];
            if (c > 0) {
                --c;
                --sum;
            }
        }
    }
    return counts;
}

std::int32_t drawDuration(int startHour, Rng& rng)
{
    if (rng.chance(0.004))
        return 0; // the line dropped at once
    if ((startHour >= 22 || startHour == 0) && rng.chance(0.12))
        return static_cast<std::int32_t>(5400 + rng.below(16200)); // a night of downloading
    const double d = std::exp(std::log(600.0) + 0.9 * rng.normal());
    return static_cast<std::int32_t>(std::clamp(d, 5.0, 4 * 3600.0));
}

void fillTraffic(Connection& c, Rng& rng)
{
    c.provider = static_cast<std::uint8_t>(rng.pick(
        std::array<double, kProviders.size()>{kProviders[0].share, kProviders[1].share, kProviders[2].share,
                                              kProviders[3].share, kProviders[4].share}));
    c.speed = kSpeeds[rng.pick(kSpeedShares)];
    c.utilisation = static_cast<std::int32_t>(std::clamp(45.0 + 20.0 * rng.normal(), 3.0, 98.0));
    const double bytes = c.duration * (c.speed / 8.0) * (c.utilisation / 100.0) * (0.6 + 0.4 * rng.uniform());
    c.received = clampInt32(bytes);
    c.sent = clampInt32(bytes * (0.03 + 0.09 * rng.uniform()) + (c.duration > 0 ? 2000 : 0));
}

// The wrong rows: two in the log's last month, the rest earlier in its last year, and where
// those have too few connections, the latest others.
std::vector<std::size_t> chooseWrongRows(const std::vector<Connection>& log, const CivilDate& end, int count,
                                         Rng& rng)
{
    std::vector<std::size_t> lastMonth, lastYear, others;
    for (std::size_t i = 0; i < log.size(); ++i) {
        const CivilDate d = log[i].start.date();
        if (d.year == end.year && d.month == end.month)
            lastMonth.push_back(i);
        else if (d.year == end.year)
            lastYear.push_back(i);
        else
            others.push_back(i);
    }
    std::vector<std::size_t> chosen;
    auto take = [&](std::vector<std::size_t>& from, int n) {
        for (int k = 0; k < n && !from.empty(); ++k) {
            const auto j = static_cast<std::size_t>(rng.below(static_cast<std::int64_t>(from.size())));
            chosen.push_back(from[j]);
            from.erase(from.begin() + static_cast<std::ptrdiff_t>(j));
        }
    };
    take(lastMonth, std::min(count, 2));
    take(lastYear, count - static_cast<int>(chosen.size()));
    take(lastMonth, count - static_cast<int>(chosen.size()));
    while (static_cast<int>(chosen.size()) < count && !others.empty()) {
        chosen.push_back(others.back());
        others.pop_back();
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

// Kinds of billing error a meter makes: an impulse too many, a wrong price, both.
void spoil(Connection& c, std::size_t kind, std::int32_t impulsePrice)
{
    switch (kind % 5) {
    case 0:
        c.impulses += 1;
        break;
    case 1:
        c.price += 100;
        break;
    case 2:
        c.impulses += 1;
        c.price += impulsePrice > 0 ? impulsePrice : 50;
        break;
    case 3:
        if (c.impulses > 1) {
            c.impulses -= 1;
            c.price -= impulsePrice;
        } else {
            c.price += 50;
        }
        break;
    default:
        c.price = c.price > 0 ? c.price * 2 : 17;
        break;
    }
}

} // namespace

TTarifa sampleTariff()
{
    return {"Slovak Telecom – Internet 0194, špička 7:00 – 19:00",
            {
                {timeOfDay(7, 0, 0), timeOfDay(18, 59, 59), 150, 120, false},
                {timeOfDay(19, 0, 0), timeOfDay(23, 59, 59), 120, 300, false},
                {timeOfDay(0, 0, 0), timeOfDay(6, 59, 59), 120, 300, false},
                {timeOfDay(0, 0, 0), timeOfDay(23, 59, 59), 100, 360, true},
            }};
}

CivilDate easterSunday(int year)
{
    // The anonymous Gregorian algorithm (Meeus/Jones/Butcher).
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return {year, month, day};
}

std::vector<TSviatok> slovakHolidays(int fromYear, int toYear)
{
    std::vector<TSviatok> out;
    for (int y = fromYear; y <= toYear; ++y) {
        std::vector<std::pair<CivilDate, const char*>> days = {
            {{y, 1, 1}, "Deň vzniku Slovenskej republiky"},
            {{y, 1, 6}, "Zjavenie Pána (Traja králi)"},
            {{y, 5, 1}, "Sviatok práce"},
            {{y, 5, 8}, "Deň víťazstva nad fašizmom"},
            {{y, 7, 5}, "Sviatok svätých Cyrila a Metoda"},
            {{y, 8, 29}, "Výročie Slovenského národného povstania"},
            {{y, 9, 15}, "Sedembolestná Panna Mária"},
            {{y, 11, 1}, "Sviatok Všetkých svätých"},
            {{y, 12, 24}, "Štedrý deň"},
            {{y, 12, 25}, "Prvý sviatok vianočný"},
            {{y, 12, 26}, "Druhý sviatok vianočný"},
        };
        // Days off as the law had them: 1 September until 2023, 17 November from 2001 to 2024.
        if (y <= 2023)
            days.push_back({{y, 9, 1}, "Deň Ústavy Slovenskej republiky"});
        if (y >= 2001 && y <= 2024)
            days.push_back({{y, 11, 17}, "Deň boja za slobodu a demokraciu"});
        const std::int64_t easter = daysFromCivil(easterSunday(y));
        days.push_back({civilFromDays(easter - 2), "Veľký piatok"});
        days.push_back({civilFromDays(easter + 1), "Veľkonočný pondelok"});
        std::sort(days.begin(), days.end(), [](const auto& a, const auto& b) {
            return daysFromCivil(a.first) < daysFromCivil(b.first);
        });
        for (const auto& [d, name] : days) {
            char date[16];
            std::snprintf(date, sizeof date, "%02d.%02d.%04d", d.day, d.month, d.year);
            out.push_back({date, name});
        }
    }
    return out;
}

Result generate(const Options& options, IPrompts& prompts)
{
    Result result;
    if (options.years < 1) {
        result.error = "the log must cover at least one year";
        return result;
    }
    Rng rng(options.seed);
    const std::int64_t lastDay = daysFromCivil(options.end);
    const std::int64_t firstDay = daysFromCivil(yearsBefore(options.end, options.years)) + 1;
    result.first = civilFromDays(firstDay);
    result.last = options.end;

    // The tariff and holidays first: the log is priced from the files as the program reads them.
    if (!UlozTarifu(joinPath(options.dir, kTariffName), sampleTariff(), 4, prompts)) {
        result.error = "cannot write " + joinPath(options.dir, kTariffName);
        return result;
    }
    const auto holidays = slovakHolidays(result.first.year, result.last.year);
    std::vector<std::string> lines;
    for (const auto& h : holidays)
        lines.push_back(h.displayLine());
    if (!UlozSviatky(sviatkyPath(options.dir), lines, prompts)) {
        result.error = "cannot write " + sviatkyPath(options.dir);
        return result;
    }
    result.holidays = static_cast<int>(holidays.size());

    WeekendValues weekend;
    ImpulseComputation computation(prompts, noStatistics(), weekend);
    if (!computation.LoadComputationTariff(options.dir, kTariffName) ||
        !computation.LoadHolidayDates(options.dir, slovakRegional())) {
        result.error = "cannot read back the tariff or the holidays";
        return result;
    }

    const auto perDay = connectionsPerDay(firstDay, lastDay - firstDay + 1, options.lines, rng);
    std::vector<Connection> log;
    log.reserve(static_cast<std::size_t>(std::accumulate(perDay.begin(), perDay.end(), std::int64_t{0})));
    std::vector<std::int32_t> starts;
    for (std::size_t i = 0; i < perDay.size(); ++i) {
        const std::int64_t day = firstDay + static_cast<std::int64_t>(i);
        const int w = weekdayNumber(day);
        const auto& hours = (w == 1 || w == 7) ? kWeekendHours : kWorkdayHours;
        starts.clear();
        for (std::int64_t k = 0; k < perDay[i]; ++k)
            starts.push_back(static_cast<std::int32_t>(rng.pick(hours) * 3600 + rng.below(3600)));
        std::sort(starts.begin(), starts.end());
        for (std::int32_t s : starts) {
            Connection c;
            c.start = Instant{day, s};
            c.duration = drawDuration(s / 3600, rng);
            log.push_back(c);
        }
    }
    // One modem, one connection at a time: each ends before the next begins.
    for (std::size_t i = 0; i + 1 < log.size(); ++i) {
        const std::int64_t gap = log[i + 1].start.totalSeconds() - log[i].start.totalSeconds() - 20;
        log[i].duration = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(log[i].duration, 0, std::max<std::int64_t>(gap, 0)));
    }
    for (Connection& c : log) {
        fillTraffic(c, rng);
        const WalkResult w = computation.WalkConnection(c.start, c.start.plus(c.duration));
        c.impulses = static_cast<std::int32_t>(w.impulses);
        c.price = static_cast<std::int32_t>(w.total);
        result.impulses += w.impulses;
    }
    const auto wrong = chooseWrongRows(log, options.end, options.wrongRows, rng);
    for (std::size_t k = 0; k < wrong.size(); ++k) {
        Connection& c = log[wrong[k]];
        computation.FindBand(c.start);
        spoil(c, k, computation.priceInForce());
        result.wrongLines.push_back(static_cast<std::int64_t>(wrong[k]) + 1);
    }

    std::array<std::string, kProviders.size()> providers;
    for (std::size_t i = 0; i < providers.size(); ++i)
        providers[i] = *utf8ToCp1250(kProviders[i].name);
    std::array<std::string, 8> dayLabels;
    for (std::size_t i = 0; i < dayLabels.size(); ++i)
        dayLabels[i] = *utf8ToCp1250(kDayLabels[i]);

    std::string text;
    text.reserve(log.size() * 100);
    char buf[160];
    for (const Connection& c : log) {
        const CivilDate d = c.start.date();
        const int n =
            std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d %s %d:%02d:%02d %d %d %d %d %d %d ",
                          d.day, d.month, d.year, c.start.hour(), c.start.minute(), c.start.second(),
                          dayLabels[static_cast<std::size_t>(c.start.weekday())].c_str(), c.duration / 3600,
                          c.duration / 60 % 60, c.duration % 60, c.price, c.impulses, c.sent, c.received,
                          c.speed, c.utilisation);
        text.append(buf, static_cast<std::size_t>(n));
        text += providers[c.provider];
        text += "\r\n";
    }
    if (const auto error = writeFileAtomically(joinPath(options.dir, "evidor.log"), text)) {
        result.error = *error;
        return result;
    }
    result.lines = static_cast<std::int64_t>(log.size());
    return result;
}

} // namespace evidor::sample
