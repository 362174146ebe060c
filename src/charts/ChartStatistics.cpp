#include "ChartStatistics.h"

#include "platform/Regional.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace evidor {

const std::array<const char*, kChartKindCount> kChartKindItems = {
    "Profil dňa", "Čas pripojenií v dňoch", "Cena pripojenia v dňoch", "Počet impulzov v dňoch",
    "Cena pripojenií v mesiacoch"};

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;

// Weekday points run Monday to Sunday.
constexpr std::array<int, 7> kWeekdayOrder = {2, 3, 4, 5, 6, 7, 1};
constexpr std::array<const char*, 7> kWeekdayLabels = {"Pondelok", "Utorok", "Streda", "Štvrtok",
                                                       "Piatok",   "Sobota", "Nedeľa"};
constexpr std::array<const char*, 12> kMonthLabels = {"Január",    "Február", "Marec",    "Apríl",
                                                      "Máj",       "Jún",     "Júl",      "August",
                                                      "September", "Okóber",  "November", "December"};

struct KindTexts
{
    const char* title;
    const char* axis;
};
constexpr std::array<KindTexts, kChartKindCount> kKindTexts = {{
    {"Profil dňa", "sekundy"},
    {"Dĺžka pripojenia v jednotlivých dňoch", "Sekundy"},
    {"Cena pripojení v jednotlivých dňoch", "Cena [Sk]"},
    {"Počet impulzov v jednotlivých dňoch", "Impulzy"},
    {"Cena za jednotlivé mesiace", "Cena [Sk]"},
}};

// Counters stay within their 32-bit range instead of wrapping into negative sums.
void add(std::int32_t& counter, std::int64_t amount)
{
    const std::int64_t sum = static_cast<std::int64_t>(counter) + amount;
    counter =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, 0, std::numeric_limits<std::int32_t>::max()));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

ChartStatistics& ChartStatistics::program()
{
    static ChartStatistics statistics;
    return statistics;
}

void ChartStatistics::ClearStatistics()
{
    m_hours.fill(0);
    m_weekdays.fill({});
    m_months.fill(0);
}

void ChartStatistics::addConnectionSeconds(std::int64_t startSeconds, std::int64_t endSeconds,
                                           int startWeekday)
{
    if (endSeconds <= startSeconds || startWeekday < 1 || startWeekday > 7)
        return;
    // Walk day by day, and within a day hour by hour: each piece goes to the weekday and the
    // hour slot in which it was spent. A piece that starts at a midnight and has no length adds
    // nothing, so a connection that ends exactly at midnight leaves the next day alone.
    std::int64_t dayStart = floorDiv(startSeconds, kDay) * kDay;
    int weekday = startWeekday;
    std::int64_t cursor = startSeconds;
    while (cursor < endSeconds) {
        const std::int64_t dayEnd = std::min(dayStart + kDay, endSeconds);
        add(m_weekdays[static_cast<std::size_t>(weekday - 1)].seconds, dayEnd - cursor);
        while (cursor < dayEnd) {
            const std::int64_t hour = (cursor - dayStart) / kHour;
            const std::int64_t pieceEnd = std::min(dayStart + (hour + 1) * kHour, dayEnd);
            add(m_hours[static_cast<std::size_t>(hour)], pieceEnd - cursor);
            cursor = pieceEnd;
        }
        dayStart += kDay;
        weekday = weekday % 7 + 1;
    }
}

void ChartStatistics::AddImpulse(int weekday, int month, std::int32_t price)
{
    if (weekday >= 1 && weekday <= 7) {
        auto& w = m_weekdays[static_cast<std::size_t>(weekday - 1)];
        add(w.price, price);
        add(w.impulses, 1);
    }
    if (month >= 1 && month <= 12)
        add(m_months[static_cast<std::size_t>(month - 1)], price);
}

ChartDescription ChartStatistics::BuildChart(int kind) const
{
    ChartDescription d;
    kind = std::clamp(kind, 0, kChartKindCount - 1);
    d.kind = kind;
    d.titleLines = {kKindTexts[static_cast<std::size_t>(kind)].title};
    d.leftAxisTitle = kKindTexts[static_cast<std::size_t>(kind)].axis;
    d.activeSeries = kind == KindDayProfile ? ChartSeriesId::Series2 : ChartSeriesId::Series1;
    if (kind != KindDayProfile)
        d.marksStyle = kind == KindWeekdayTime ? MarksStyle::Percent : MarksStyle::Value;

    switch (kind) {
    case KindDayProfile:
        for (int h = 0; h < kHourSlots; ++h)
            d.points.push_back(
                {static_cast<double>(m_hours[static_cast<std::size_t>(h)]), std::to_string(h)});
        break;
    case KindWeekdayTime:
    case KindWeekdayPrice:
    case KindWeekdayImpulses:
        for (std::size_t i = 0; i < kWeekdayOrder.size(); ++i) {
            const auto& w = m_weekdays[static_cast<std::size_t>(kWeekdayOrder[i] - 1)];
            const double value = kind == KindWeekdayTime    ? static_cast<double>(w.seconds)
                                 : kind == KindWeekdayPrice ? w.price / 100.0
                                                            : static_cast<double>(w.impulses);
            d.points.push_back({value, kWeekdayLabels[i]});
        }
        break;
    case KindMonthPrice:
        for (std::size_t m = 0; m < kMonthLabels.size(); ++m)
            d.points.push_back({m_months[m] / 100.0, kMonthLabels[m]});
        break;
    }
    return d;
}

std::string ChartStatistics::Series1GetMarkText(int kind, const std::string& proposed)
{
    if (kind == KindWeekdayPrice || kind == KindMonthPrice)
        return proposed + " Sk";
    return proposed;
}

std::string ChartStatistics::Series2GetMarkText(double value)
{
    const double clamped = std::isfinite(value) ? std::clamp(value, -1e15, 1e15) : 0.0;
    const auto s = static_cast<std::int64_t>(std::trunc(clamped));
    std::string text;
    if (s != 0 && s > m_lastProfileMark)
        text =
            formatTwoDigits(s / 3600) + ":" + formatTwoDigits(s % 3600 / 60) + ":" + formatTwoDigits(s % 60);
    m_lastProfileMark = s;
    return text;
}

} // namespace evidor
