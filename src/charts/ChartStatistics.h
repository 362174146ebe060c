#pragma once

#include "tariff/StatisticsHooks.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace evidor {

/// Chart kinds, numbered as the items of the charts window's kind list.
enum ChartKind : int
{
    KindDayProfile = 0,
    KindWeekdayTime = 1,
    KindWeekdayPrice = 2,
    KindWeekdayImpulses = 3,
    KindMonthPrice = 4,
};
inline constexpr int kChartKindCount = 5;

/// Texts of the kind list, in kind order (UTF-8).
extern const std::array<const char*, kChartKindCount> kChartKindItems;

/// The chart's two series: the bars and the day profile line.
enum class ChartSeriesId
{
    Series1,
    Series2
};

/// How the bar marks read: the value, or the bar's share of all bars.
enum class MarksStyle
{
    Value,
    Percent
};

struct ChartPoint
{
    double value = 0;
    std::string label; ///< UTF-8
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

/// What `BuildChart` puts on the chart for one kind.
struct ChartDescription
{
    int kind = KindDayProfile;
    std::vector<std::string> titleLines; ///< UTF-8
    std::string leftAxisTitle;           ///< UTF-8
    ChartSeriesId activeSeries = ChartSeriesId::Series2;
    std::optional<MarksStyle> marksStyle; ///< for the bar kinds only
    std::vector<ChartPoint> points;       ///< in drawing order
};

/// The statistics behind the charts, filled by the period pass through its hooks.
/// Counters are non-negative 32-bit integers; seconds, hundredths of a crown and impulses.
class ChartStatistics : public IStatisticsHooks
{
public:
    static constexpr int kHourSlots = 25; ///< 0..24; slot 24 never receives time

    /// The one set of the program: it outlives the charts window, so a new window shows what
    /// the last pass left until its own pass clears it.
    static ChartStatistics& program();

    void ClearStatistics() override;
    /// The connection's time, split as addConnectionSeconds does.
    void AddConnectionTime(const Instant& start, const Instant& end, int startWeekday) override
    {
        addConnectionSeconds(start.totalSeconds(), end.totalSeconds(), startWeekday);
    }
    /// A connection from `startSeconds` to `endSeconds`, both counted from one midnight of the
    /// calendar (so day d, time t is d * 86400 + t), that starts on weekday `startWeekday`
    /// (1 = Sunday). Its time is split over every midnight and every hour it crosses.
    void addConnectionSeconds(std::int64_t startSeconds, std::int64_t endSeconds, int startWeekday);
    /// One impulse that began on weekday `weekday` (1..7) of month `month` (1..12), `price` in
    /// hundredths of a crown.
    void AddImpulse(int weekday, int month, std::int32_t price) override;

    /// The chart of one kind (0..4) from the statistics now held.
    ChartDescription BuildChart(int kind) const;

    /// The bar mark of a point: " Sk" is appended for the price kinds.
    static std::string Series1GetMarkText(int kind, const std::string& proposed);
    /// The profile's mark of a point: its time, only where it rises above the point asked for
    /// before. Points must be asked for in order; the last one is remembered across drawings.
    std::string Series2GetMarkText(double value);

    std::int32_t hourSlot(int h) const { return m_hours[static_cast<std::size_t>(h)]; }
    std::int32_t weekdayTime(int w) const { return m_weekdays[static_cast<std::size_t>(w - 1)].seconds; }
    std::int32_t weekdayPrice(int w) const { return m_weekdays[static_cast<std::size_t>(w - 1)].price; }
    std::int32_t weekdayImpulses(int w) const { return m_weekdays[static_cast<std::size_t>(w - 1)].impulses; }
    std::int32_t monthPrice(int m) const { return m_months[static_cast<std::size_t>(m - 1)]; }

private:
    struct Weekday
    {
        std::int32_t price = 0;
        std::int32_t impulses = 0;
        std::int32_t seconds = 0;
    };

    std::array<std::int32_t, kHourSlots> m_hours{};
    std::array<Weekday, 7> m_weekdays{};
    std::array<std::int32_t, 12> m_months{};
    std::int64_t m_lastProfileMark = 0;
};

} // namespace evidor
