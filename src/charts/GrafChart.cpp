#include "GrafChart.h"

namespace evidor {

namespace {

const QColor kLightYellow(255, 255, 191);
const QColor kDarkPurple(64, 0, 64);

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

GrafChart::GrafChart(ChartScene& scene, ChartStatistics& statistics, const RegionalSettings& regional)
    : m_scene(scene), m_statistics(statistics)
{
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(13);
    title.setBold(true);
    m_scene.setTitleFont(title);
    m_scene.setTitleColor(Qt::blue);
    m_scene.setRegional(regional);
    m_scene.setGradientEndColor(kLightYellow);
    m_scene.setGradientVisible(false);
    m_scene.setLeftAxisGridVisible(false);
    m_scene.setBottomAxisGridVisible(false);
    m_scene.setView3D(false);

    m_series1 = m_scene.addBarSeries(QStringLiteral("Series1"));
    m_series1->setBarWidthPercent(60);
    m_series1->setBarStyle(BarSeries::BarStyle::Rectangle);
    m_series2 = m_scene.addLineSeries(QStringLiteral("Series2"));
    m_series2->setColor(kDarkPurple);
    m_series2->setLineWidth(2);
    m_series2->setPointerColor(Qt::red);
    m_series1->setOnGetMarkText([this](ChartSeries&, int, QString& text) {
        text = qs(ChartStatistics::Series1GetMarkText(m_kind, text.toStdString()));
    });
    m_series2->setOnGetMarkText([this](ChartSeries& series, int index, QString& text) {
        text = qs(m_statistics.Series2GetMarkText(series.point(index).value));
    });
}

void GrafChart::BuildChart(int kind)
{
    const ChartDescription d = m_statistics.BuildChart(kind);
    m_kind = d.kind;
    if (d.kind == KindDayProfile)
        m_series2->setLineWidth(m_scene.view3D() ? 1 : 2);
    ChartSeries* shown = d.activeSeries == ChartSeriesId::Series1 ? static_cast<ChartSeries*>(m_series1)
                                                                  : static_cast<ChartSeries*>(m_series2);
    m_series1->setActive(shown == m_series1);
    m_series2->setActive(shown == m_series2);
    shown->clear();
    QStringList title;
    for (const auto& line : d.titleLines)
        title << qs(line);
    m_scene.setTitleLines(title);
    m_scene.setLeftAxisTitle(qs(d.leftAxisTitle));
    if (d.marksStyle)
        m_series1->setMarksStyle(*d.marksStyle == MarksStyle::Percent ? ChartSeries::MarksStyle::Percent
                                                                      : ChartSeries::MarksStyle::Value);
    for (const auto& p : d.points)
        shown->add(p.value, qs(p.label));
}

} // namespace evidor
