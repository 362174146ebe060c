#pragma once

#include "charts/ChartStatistics.h"
#include "widgets/ChartScene.h"

#include <QSize>

namespace evidor {

/// The chart `Graf` of the charts window on a scene: the form's look and its two series with
/// their mark texts, and `BuildChart` putting a kind on it. The window shows the scene in its
/// chart control; evidor-cli draws the same scene into a file, so both show one chart.
/// Needs Qt Gui only.
class GrafChart
{
public:
    /// `Graf` in the window as it opens: the form's 651 × 505 below the 105-pixel panel.
    static constexpr QSize kFormSize{651, 400};

    /// Sets up `scene`, which must have no series yet, as the window starts: flat, no
    /// background gradient (its end colour light yellow), no grid lines, bars as plain
    /// rectangles 60 % of their slot, a dark purple profile line 2 pixels wide with red dots.
    /// `statistics` give the points and remember the profile's last mark; both must outlive
    /// this object, which the mark texts refer to.
    GrafChart(ChartScene& scene, ChartStatistics& statistics, const RegionalSettings& regional);
    GrafChart(const GrafChart&) = delete;
    GrafChart& operator=(const GrafChart&) = delete;

    BarSeries* Series1() const { return m_series1; }
    LineSeries* Series2() const { return m_series2; }

    /// Fills the chart with one kind (0..4) from the statistics: the kind's series active and
    /// refilled, its title, axis title and marks style; for the day profile the line is 1 pixel
    /// wide in 3D and 2 pixels flat.
    void BuildChart(int kind);
    /// The kind last built; the bar marks read as its kind asks.
    int kind() const { return m_kind; }

private:
    ChartScene& m_scene;
    ChartStatistics& m_statistics;
    BarSeries* m_series1 = nullptr;
    LineSeries* m_series2 = nullptr;
    int m_kind = KindDayProfile;
};

} // namespace evidor
