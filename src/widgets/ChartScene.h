#pragma once

#include "platform/Regional.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace evidor {

class ChartScene;

/// One series of a chart: points with a value, a label and a colour, and a mark per point.
class ChartSeries
{
public:
    enum class MarksStyle
    {
        Value,
        Percent
    };

    struct Point
    {
        double value = 0;
        QString label;
        QColor color;
    };

    /// Lets the owner replace the text the chart proposes for the mark of point `index`.
    /// Asked once per point and drawing, in point order.
    using MarkTextHandler = std::function<void(ChartSeries& series, int index, QString& text)>;

    virtual ~ChartSeries() = default;
    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;

    const QString& name() const { return m_name; }

    /// An inactive series keeps its points but is neither drawn nor used for the axes.
    bool isActive() const { return m_active; }
    void setActive(bool active);

    void clear();
    /// Adds a point in the series' automatic colour.
    void add(double value, const QString& label);
    int count() const { return static_cast<int>(m_points.size()); }
    const Point& point(int index) const { return m_points[static_cast<std::size_t>(index)]; }

    MarksStyle marksStyle() const { return m_marksStyle; }
    void setMarksStyle(MarksStyle style);
    bool marksVisible() const { return m_marksVisible; }
    void setMarksVisible(bool visible);
    void setOnGetMarkText(MarkTextHandler handler) { m_onGetMarkText = std::move(handler); }

    /// The series' own colour: the line of a line series, the colour of points when the series
    /// does not colour each point from the palette.
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    /// The mark text the chart proposes for a point: the value in the chart's value format, or
    /// the point's share of the sum of the series in percent.
    QString proposedMarkText(int index) const;

protected:
    ChartSeries(ChartScene* scene, const QString& name);
    virtual QColor automaticColor(int index) const;
    void changed();

    ChartScene* m_scene;

private:
    friend class ChartScene;

    QString m_name;
    bool m_active = true;
    std::vector<Point> m_points;
    MarksStyle m_marksStyle = MarksStyle::Value;
    bool m_marksVisible = true;
    MarkTextHandler m_onGetMarkText;
    QColor m_color = Qt::red;
};

/// Bars, each in the next colour of the chart's palette, with marks on arrows above them.
class BarSeries : public ChartSeries
{
public:
    enum class BarStyle
    {
        Rectangle,
        RectGradient,
        Arrow,
        Cylinder,
        Ellipse,
        Pyramid,
        InvPyramid
    };

    BarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(BarStyle style);
    /// Width of a bar in percent of its slot.
    int barWidthPercent() const { return m_barWidthPercent; }
    void setBarWidthPercent(int percent);

private:
    friend class ChartScene;
    BarSeries(ChartScene* scene, const QString& name) : ChartSeries(scene, name) {}
    QColor automaticColor(int index) const override;

    BarStyle m_barStyle = BarStyle::Rectangle;
    int m_barWidthPercent = 60;
};

/// A line through the points, with small dots on them and transparent marks without a frame.
class LineSeries : public ChartSeries
{
public:
    int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int pixels);
    QColor pointerColor() const { return m_pointerColor; }
    void setPointerColor(const QColor& color);
    int pointerRadius() const { return m_pointerRadius; }

private:
    friend class ChartScene;
    LineSeries(ChartScene* scene, const QString& name) : ChartSeries(scene, name) {}

    int m_lineWidth = 2;
    QColor m_pointerColor = Qt::red;
    int m_pointerRadius = 2;
};

/// A chart drawn with QPainter: title lines, a value axis on the left, the points' labels on
/// the bottom, bar and line series, marks, a flat or 3D look and a background gradient. It
/// needs Qt Gui only, so it paints onto any paint device with or without a window: the chart
/// widget, an image, a metafile, an SVG file.
class ChartScene
{
public:
    /// Value ranges shown: points (index space) across, values up.
    struct Ranges
    {
        double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
        friend bool operator==(const Ranges&, const Ranges&) = default;
    };

    /// Where one drawing put the plot and which ranges it showed.
    struct Geometry
    {
        QRectF plot;       ///< the front plane
        Ranges ranges;     ///< shown
        Ranges autoRanges; ///< the whole chart, as drawn unzoomed
    };

    ChartScene();
    ~ChartScene();
    ChartScene(const ChartScene&) = delete;
    ChartScene& operator=(const ChartScene&) = delete;

    /// Called after every change that alters the picture (a widget repaints then).
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    BarSeries* addBarSeries(const QString& name);
    LineSeries* addLineSeries(const QString& name);
    int seriesCount() const { return static_cast<int>(m_series.size()); }
    ChartSeries* series(int index) const { return m_series[static_cast<std::size_t>(index)].get(); }

    QStringList titleLines() const { return m_titleLines; }
    void setTitleLines(const QStringList& lines);
    QFont titleFont() const { return m_titleFont; }
    void setTitleFont(const QFont& font);
    QColor titleColor() const { return m_titleColor; }
    void setTitleColor(const QColor& color);

    QString leftAxisTitle() const { return m_leftAxisTitle; }
    void setLeftAxisTitle(const QString& title);
    bool leftAxisGridVisible() const { return m_leftGrid; }
    void setLeftAxisGridVisible(bool visible);
    bool bottomAxisGridVisible() const { return m_bottomGrid; }
    void setBottomAxisGridVisible(bool visible);
    /// Separators of the axis values and value marks ("# ##0.###").
    void setRegional(const RegionalSettings& regional);
    const RegionalSettings& regional() const { return m_regional; }
    /// An axis value as the left axis writes it.
    QString formatValue(double value) const;

    bool view3D() const { return m_view3D; }
    void setView3D(bool on);

    /// The background gradient runs from the bottom left corner to the end colour.
    bool gradientVisible() const { return m_gradientVisible; }
    void setGradientVisible(bool visible);
    QColor gradientStartColor() const { return m_gradientStart; }
    void setGradientStartColor(const QColor& color);
    QColor gradientEndColor() const { return m_gradientEnd; }
    void setGradientEndColor(const QColor& color);

    /// Colours the bars take in turn.
    static const std::vector<QColor>& palette();

    /// Ranges drawn instead of the whole chart (a zoom); none draws the whole chart, with the
    /// value axis ending on a label.
    const std::optional<Ranges>& zoomRanges() const { return m_zoom; }
    void setZoomRanges(const std::optional<Ranges>& ranges);

    /// Paints the whole chart into `target` of the painter's device.
    Geometry draw(QPainter& painter, const QRect& target);
    /// The chart drawn on a picture of `size`.
    QImage toImage(QSize size);
    /// The chart as a placeable Windows metafile of `size` pixels, one logical unit per pixel
    /// at 96 units per inch.
    std::string toMetafile(QSize size);

private:
    friend class ChartSeries;
    struct Layout;

    void changed();
    Layout layout(QPainter& painter, const QRect& target) const;
    Ranges autoRanges() const;
    ChartSeries* activeSeries() const;

    std::function<void()> m_changed;
    std::vector<std::unique_ptr<ChartSeries>> m_series;
    QStringList m_titleLines;
    QFont m_titleFont;
    QColor m_titleColor = Qt::blue;
    QFont m_labelFont;
    QString m_leftAxisTitle;
    bool m_leftGrid = false;
    bool m_bottomGrid = false;
    RegionalSettings m_regional;
    bool m_view3D = false;
    bool m_gradientVisible = false;
    QColor m_gradientStart = Qt::white;
    QColor m_gradientEnd = QColor(255, 255, 191);
    std::optional<Ranges> m_zoom;
};

} // namespace evidor
