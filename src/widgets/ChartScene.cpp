#include "ChartScene.h"

#include "WmfPaintDevice.h"
#include "charts/ChartFormat.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace evidor {

// ---------------------------------------------------------------------------------------------
// Series

ChartSeries::ChartSeries(ChartScene* scene, const QString& name) : m_scene(scene), m_name(name) {}

void ChartSeries::changed()
{
    if (m_scene)
        m_scene->changed();
}

void ChartSeries::setActive(bool active)
{
    if (m_active != active) {
        m_active = active;
        changed();
    }
}

void ChartSeries::clear()
{
    m_points.clear();
    changed();
}

void ChartSeries::add(double value, const QString& label)
{
    m_points.push_back({value, label, automaticColor(count())});
    changed();
}

void ChartSeries::setMarksStyle(MarksStyle style)
{
    m_marksStyle = style;
    changed();
}

void ChartSeries::setMarksVisible(bool visible)
{
    m_marksVisible = visible;
    changed();
}

void ChartSeries::setColor(const QColor& color)
{
    m_color = color;
    changed();
}

QColor ChartSeries::automaticColor(int) const
{
    return m_color;
}

QString ChartSeries::proposedMarkText(int index) const
{
    const double v = point(index).value;
    if (m_marksStyle == MarksStyle::Value)
        return m_scene->formatValue(v);
    double sum = 0;
    for (const auto& p : m_points)
        sum += p.value;
    const double percent = sum != 0 ? v / sum * 100.0 : 0.0;
    return QString::fromStdString(formatChartPercent(percent, m_scene->m_regional));
}

QColor BarSeries::automaticColor(int index) const
{
    const auto& p = ChartScene::palette();
    return p[static_cast<std::size_t>(index) % p.size()];
}

void BarSeries::setBarStyle(BarStyle style)
{
    m_barStyle = style;
    changed();
}

void BarSeries::setBarWidthPercent(int percent)
{
    m_barWidthPercent = std::clamp(percent, 1, 100);
    changed();
}

void LineSeries::setLineWidth(int pixels)
{
    m_lineWidth = std::max(pixels, 0);
    changed();
}

void LineSeries::setPointerColor(const QColor& color)
{
    m_pointerColor = color;
    changed();
}

// ---------------------------------------------------------------------------------------------
// Geometry helpers

namespace {

constexpr int kMargin = 8;
constexpr int kTickLength = 4;
constexpr int kMarkArrow = 8;
constexpr int kGradientBands = 64;

// Axis steps of 1, 2 or 5 times a power of ten, at most `maxTicks` of them over the range.
double niceStep(double range, int maxTicks)
{
    if (range <= 0 || !std::isfinite(range))
        return 1;
    const double raw = range / std::max(maxTicks, 1);
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
        if (f * mag >= raw)
            return f * mag;
    }
    return 10 * mag;
}

QPolygonF ellipsePolygon(const QRectF& r, int n = 40)
{
    QPolygonF poly;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        poly << QPointF(r.center().x() + r.width() / 2 * std::cos(a),
                        r.center().y() - r.height() / 2 * std::sin(a));
    }
    return poly;
}

// Andrew's monotone chain.
QPolygonF convexHull(QPolygonF pts)
{
    std::sort(pts.begin(), pts.end(), [](const QPointF& a, const QPointF& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    if (pts.size() < 3)
        return pts;
    auto cross = [](const QPointF& o, const QPointF& a, const QPointF& b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    QPolygonF hull(2 * pts.size());
    qsizetype k = 0;
    for (qsizetype i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0)
            --k;
        hull[k++] = pts[i];
    }
    for (qsizetype i = pts.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0)
            --k;
        hull[k++] = pts[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

double signedArea(const QPolygonF& p)
{
    double a = 0;
    for (int i = 0; i < p.size(); ++i) {
        const QPointF& u = p[i];
        const QPointF& v = p[(i + 1) % p.size()];
        a += u.x() * v.y() - v.x() * u.y();
    }
    return a / 2;
}

// A flat shape pushed back by `depth` towards the top right: the faces that look up or right
// are drawn in shades of the colour, then the front face over them.
void drawExtruded(QPainter& p, const QPolygonF& front, const QBrush& frontBrush, const QColor& color,
                  double depth)
{
    const QPointF off(depth, -depth);
    const double orientation = signedArea(front) > 0 ? 1 : -1;
    for (int i = 0; i < front.size(); ++i) {
        const QPointF a = front[i];
        const QPointF b = front[(i + 1) % front.size()];
        // Outward normal of the edge; its face shows when it leans towards the viewer's depth.
        const QPointF n = QPointF(b.y() - a.y(), a.x() - b.x()) * orientation;
        const double facing = n.x() - n.y();
        if (facing <= 1e-9)
            continue;
        const bool top = -n.y() > n.x();
        p.setBrush(top ? color.lighter(125) : color.darker(150));
        p.drawPolygon(QPolygonF({a, b, b + off, a + off}));
    }
    p.setBrush(frontBrush);
    p.drawPolygon(front);
}

QPolygonF rectPolygon(const QRectF& r)
{
    return QPolygonF({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()});
}

} // namespace

struct ChartScene::Layout
{
    QRect target;
    QRectF plot; ///< the front plane
    double depth = 0;
    Ranges ranges;
    Ranges autoRanges;
    double step = 1;
    std::vector<double> ticks;
    std::vector<double> titleBaselines;
    bool staggered = false;
    double labelHeight = 0;

    double x(double index) const
    {
        return plot.left() + (index - ranges.xMin) / (ranges.xMax - ranges.xMin) * plot.width();
    }
    double y(double value) const
    {
        return plot.bottom() - (value - ranges.yMin) / (ranges.yMax - ranges.yMin) * plot.height();
    }
    double slotWidth() const { return plot.width() / (ranges.xMax - ranges.xMin); }
};

// ---------------------------------------------------------------------------------------------
// Chart

const std::vector<QColor>& ChartScene::palette()
{
    static const std::vector<QColor> colors = {
        QColor(255, 0, 0),   QColor(0, 128, 0),     QColor(255, 255, 0),  QColor(0, 0, 255),
        QColor(255, 0, 255), QColor(0, 128, 128),   QColor(255, 128, 0),  QColor(128, 0, 0),
        QColor(0, 255, 0),   QColor(0, 0, 128),     QColor(128, 0, 128),  QColor(0, 255, 255),
        QColor(128, 128, 0), QColor(192, 192, 192), QColor(128, 128, 128)};
    return colors;
}

ChartScene::ChartScene()
{
    m_titleFont = QFont(QStringLiteral("Arial"));
    m_titleFont.setPixelSize(13);
    m_titleFont.setBold(true);
    m_labelFont = QFont(QStringLiteral("Arial"));
    m_labelFont.setPixelSize(11);
    m_regional = slovakRegional();
}

ChartScene::~ChartScene() = default;

BarSeries* ChartScene::addBarSeries(const QString& name)
{
    auto* s = new BarSeries(this, name);
    m_series.emplace_back(s);
    changed();
    return s;
}

LineSeries* ChartScene::addLineSeries(const QString& name)
{
    auto* s = new LineSeries(this, name);
    m_series.emplace_back(s);
    changed();
    return s;
}

void ChartScene::changed()
{
    if (m_changed)
        m_changed();
}

void ChartScene::setTitleLines(const QStringList& lines)
{
    m_titleLines = lines;
    changed();
}

void ChartScene::setTitleFont(const QFont& font)
{
    m_titleFont = font;
    changed();
}

void ChartScene::setTitleColor(const QColor& color)
{
    m_titleColor = color;
    changed();
}

void ChartScene::setLeftAxisTitle(const QString& title)
{
    m_leftAxisTitle = title;
    changed();
}

void ChartScene::setLeftAxisGridVisible(bool visible)
{
    m_leftGrid = visible;
    changed();
}

void ChartScene::setBottomAxisGridVisible(bool visible)
{
    m_bottomGrid = visible;
    changed();
}

void ChartScene::setRegional(const RegionalSettings& regional)
{
    m_regional = regional;
    changed();
}

QString ChartScene::formatValue(double value) const
{
    return QString::fromStdString(formatChartValue(value, m_regional));
}

void ChartScene::setView3D(bool on)
{
    m_view3D = on;
    changed();
}

void ChartScene::setGradientVisible(bool visible)
{
    m_gradientVisible = visible;
    changed();
}

void ChartScene::setGradientStartColor(const QColor& color)
{
    m_gradientStart = color;
    changed();
}

void ChartScene::setGradientEndColor(const QColor& color)
{
    m_gradientEnd = color;
    changed();
}

ChartSeries* ChartScene::activeSeries() const
{
    for (const auto& s : m_series)
        if (s->isActive())
            return s.get();
    return nullptr;
}

ChartScene::Ranges ChartScene::autoRanges() const
{
    Ranges r;
    int points = 0;
    double lo = 0, hi = 0;
    for (const auto& s : m_series) {
        if (!s->isActive())
            continue;
        points = std::max(points, s->count());
        for (const auto& p : s->m_points) {
            if (std::isfinite(p.value)) {
                lo = std::min(lo, p.value);
                hi = std::max(hi, p.value);
            }
        }
    }
    r.xMin = -0.5;
    r.xMax = std::max(points, 1) - 0.5;
    r.yMin = lo;
    r.yMax = hi > lo ? hi : lo + 1;
    return r;
}

ChartScene::Layout ChartScene::layout(QPainter& painter, const QRect& target) const
{
    Layout l;
    l.target = target;
    const QFontMetricsF title(m_titleFont, painter.device());
    const QFontMetricsF label(m_labelFont, painter.device());
    l.labelHeight = label.height();

    double top = target.top() + kMargin;
    for (int i = 0; i < m_titleLines.size(); ++i) {
        l.titleBaselines.push_back(top + title.ascent());
        top += title.height();
    }
    if (!m_titleLines.isEmpty())
        top += 4;

    const ChartSeries* active = activeSeries();
    if (active && active->marksVisible())
        top += label.height() + 4 + (dynamic_cast<const BarSeries*>(active) ? kMarkArrow : 2);

    l.depth = m_view3D ? std::clamp(std::min(target.width(), target.height()) / 18.0, 8.0, 24.0) : 0.0;
    top += l.depth;

    l.autoRanges = autoRanges();
    l.ranges = m_zoom ? *m_zoom : l.autoRanges;

    const double titleWidth = m_leftAxisTitle.isEmpty() ? 0 : label.height() + 4;
    const double right = target.right() - kMargin - 4 - l.depth;
    auto bottomFor = [&](bool staggered) {
        return target.bottom() - kMargin - kTickLength - 2 - label.height() * (staggered ? 2 : 1);
    };
    auto ticksFor = [&](double height, Ranges& ranges) {
        const int maxTicks = std::max(2, static_cast<int>(height / (label.height() * 1.6)));
        l.step = niceStep(ranges.yMax - ranges.yMin, maxTicks);
        if (!m_zoom) {
            // Unzoomed, the axis ends on a label.
            ranges.yMin = std::floor(ranges.yMin / l.step + 1e-9) * l.step;
            ranges.yMax = std::ceil(ranges.yMax / l.step - 1e-9) * l.step;
            if (ranges.yMax <= ranges.yMin)
                ranges.yMax = ranges.yMin + l.step;
        }
        l.ticks.clear();
        const double first = std::ceil(ranges.yMin / l.step - 1e-9) * l.step;
        for (double v = first; v <= ranges.yMax + l.step * 1e-9 && l.ticks.size() < 200; v += l.step)
            l.ticks.push_back(std::abs(v) < l.step * 1e-9 ? 0.0 : v);
        double width = 0;
        for (double v : l.ticks)
            width = std::max(width, label.horizontalAdvance(formatValue(v)));
        return width;
    };

    // The axis labels depend on the plot's height and the plot's left edge on their width, and
    // the bottom labels go on two rows when one row is too narrow for them: settle in two rounds.
    Ranges ranges = l.ranges;
    double tickWidth = ticksFor(bottomFor(false) - top, ranges);
    double left = target.left() + kMargin + titleWidth + tickWidth + 4 + kTickLength;
    l.plot = QRectF(QPointF(left, top), QPointF(right, bottomFor(false)));
    l.ranges = ranges;
    if (active) {
        double prevRight = -1e9;
        for (int i = 0; i < active->count(); ++i) {
            if (i < l.ranges.xMin || i > l.ranges.xMax)
                continue;
            const double w = label.horizontalAdvance(active->point(i).label);
            const double cx = l.x(i);
            if (cx - w / 2 < prevRight + 4) {
                l.staggered = true;
                break;
            }
            prevRight = cx + w / 2;
        }
    }
    ranges = m_zoom ? *m_zoom : l.autoRanges;
    tickWidth = ticksFor(bottomFor(l.staggered) - top, ranges);
    left = target.left() + kMargin + titleWidth + tickWidth + 4 + kTickLength;
    l.plot = QRectF(QPointF(left, top), QPointF(right, bottomFor(l.staggered)));
    l.ranges = ranges;
    if (!m_zoom)
        l.autoRanges = ranges;
    return l;
}

ChartScene::Geometry ChartScene::draw(QPainter& p, const QRect& target)
{
    p.save();
    const Layout l = layout(p, target);
    const QFontMetricsF label(m_labelFont, p.device());
    const QPointF off(l.depth, -l.depth);

    // Background.
    if (m_gradientVisible) {
        QLinearGradient g(target.bottomLeft(), target.topRight());
        g.setColorAt(0, m_gradientStart);
        g.setColorAt(1, m_gradientEnd);
        p.fillRect(target, g);
    } else {
        p.fillRect(target, Qt::white);
    }

    // Title.
    p.setFont(m_titleFont);
    p.setPen(m_titleColor);
    const QFontMetricsF titleMetrics(m_titleFont, p.device());
    for (int i = 0; i < m_titleLines.size(); ++i) {
        const double w = titleMetrics.horizontalAdvance(m_titleLines[i]);
        p.drawText(
            QPointF(target.left() + (target.width() - w) / 2, l.titleBaselines[static_cast<std::size_t>(i)]),
            m_titleLines[i]);
    }

    // Walls of the 3D look.
    const QRectF back = l.plot.translated(off);
    const QPen wallPen(QColor(128, 128, 128), 0);
    if (m_view3D) {
        p.setPen(wallPen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(back);
        p.drawPolygon(QPolygonF({l.plot.topLeft(), back.topLeft(), back.bottomLeft(), l.plot.bottomLeft()}));
        p.drawPolygon(
            QPolygonF({l.plot.bottomLeft(), back.bottomLeft(), back.bottomRight(), l.plot.bottomRight()}));
    }

    // Grid lines: on the back wall and across the left wall in 3D.
    const QPen gridPen(QColor(128, 128, 128), 0, Qt::DotLine);
    if (m_leftGrid) {
        p.setPen(gridPen);
        for (double v : l.ticks) {
            const double y = l.y(v);
            if (m_view3D) {
                p.drawLine(QPointF(l.plot.left(), y), QPointF(back.left(), y - l.depth));
                p.drawLine(QPointF(back.left(), y - l.depth), QPointF(back.right(), y - l.depth));
            } else {
                p.drawLine(QPointF(l.plot.left(), y), QPointF(l.plot.right(), y));
            }
        }
    }
    ChartSeries* active = activeSeries();
    if (m_bottomGrid && active) {
        p.setPen(gridPen);
        for (int i = 0; i < active->count(); ++i) {
            if (i < l.ranges.xMin || i > l.ranges.xMax)
                continue;
            const double x = l.x(i);
            p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.top()));
        }
    }

    // Axes, their ticks and labels.
    const QPen axisPen(Qt::black, 0);
    p.setPen(axisPen);
    p.drawLine(l.plot.bottomLeft(), l.plot.topLeft());
    p.drawLine(l.plot.bottomLeft(), l.plot.bottomRight());
    p.setFont(m_labelFont);
    double labelsLeft = l.plot.left();
    for (double v : l.ticks) {
        const double y = l.y(v);
        p.drawLine(QPointF(l.plot.left() - kTickLength, y), QPointF(l.plot.left(), y));
        const QString text = formatValue(v);
        const double w = label.horizontalAdvance(text);
        const double x = l.plot.left() - kTickLength - 2 - w;
        labelsLeft = std::min(labelsLeft, x);
        p.drawText(QPointF(x, y - label.height() / 2 + label.ascent()), text);
    }
    if (!m_leftAxisTitle.isEmpty()) {
        // Rotated a quarter turn counter-clockwise, centred on the plot's height.
        const double w = label.horizontalAdvance(m_leftAxisTitle);
        p.save();
        p.translate(labelsLeft - 4 - label.descent(), l.plot.center().y() + w / 2);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), m_leftAxisTitle);
        p.restore();
    }
    if (active) {
        int row = 0;
        for (int i = 0; i < active->count(); ++i) {
            if (i < l.ranges.xMin || i > l.ranges.xMax)
                continue;
            const double x = l.x(i);
            p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + kTickLength));
            const QString& text = active->point(i).label;
            const double w = label.horizontalAdvance(text);
            const double baseline = l.plot.bottom() + kTickLength + 2 + label.ascent() +
                                    (l.staggered && row % 2 == 1 ? label.height() : 0);
            p.drawText(QPointF(x - w / 2, baseline), text);
            ++row;
        }
    }

    // Series, clipped to the plot when zoomed in.
    if (m_zoom) {
        const QRectF clip = l.plot.united(back).adjusted(0, 0, 1, 1);
        p.setClipRect(clip.toAlignedRect());
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    std::vector<QString> marks;
    std::vector<QPointF> anchors;
    if (active) {
        // Mark texts are asked for once per point, in point order, before anything is drawn.
        for (int i = 0; i < active->count(); ++i) {
            QString text;
            if (active->marksVisible()) {
                text = active->proposedMarkText(i);
                if (active->m_onGetMarkText)
                    active->m_onGetMarkText(*active, i, text);
            }
            marks.push_back(text);
        }
        anchors.resize(static_cast<std::size_t>(active->count()));
    }

    if (auto* bars = dynamic_cast<BarSeries*>(active)) {
        const double bw = l.slotWidth() * bars->barWidthPercent() / 100.0;
        const double base = l.y(std::clamp(0.0, l.ranges.yMin, l.ranges.yMax));
        const double d = l.depth;
        for (int i = 0; i < bars->count(); ++i) {
            const auto& pt = bars->point(i);
            const double cx = l.x(i);
            const double top = l.y(pt.value);
            const QRectF bar(QPointF(cx - bw / 2, std::min(top, base)),
                             QPointF(cx + bw / 2, std::max(top, base)));
            anchors[static_cast<std::size_t>(i)] = QPointF(cx + d / 2, top - d / 2);
            const QColor c = pt.color;
            p.setPen(QPen(Qt::black, 0));
            // Shapes that taper or round off have nothing to show without a height; a flat box
            // still marks the slot.
            const bool boxy = bars->barStyle() == BarSeries::BarStyle::Rectangle ||
                              bars->barStyle() == BarSeries::BarStyle::RectGradient;
            if (!boxy && bar.height() < 0.5) {
                anchors[static_cast<std::size_t>(i)] = QPointF(cx + d / 2, base - d / 2);
                continue;
            }
            switch (bars->barStyle()) {
            case BarSeries::BarStyle::Rectangle:
                if (m_view3D)
                    drawExtruded(p, rectPolygon(bar), c, c, d);
                else {
                    p.setBrush(c);
                    p.drawRect(bar);
                }
                break;
            case BarSeries::BarStyle::RectGradient: {
                QLinearGradient g(bar.bottomLeft(), bar.topLeft());
                g.setColorAt(0, c);
                g.setColorAt(1, Qt::white);
                if (m_view3D)
                    drawExtruded(p, rectPolygon(bar), g, c, d);
                else {
                    p.setBrush(g);
                    p.drawRect(bar);
                }
                break;
            }
            case BarSeries::BarStyle::Arrow: {
                const double head = std::min(bw / 2, bar.height());
                const double sw = bw / 4;
                const bool up = pt.value >= 0;
                const double tip = up ? bar.top() : bar.bottom();
                const double foot = up ? bar.bottom() : bar.top();
                const double neck = up ? tip + head : tip - head;
                const QPolygonF arrow({QPointF(cx - sw, foot), QPointF(cx - sw, neck),
                                       QPointF(bar.left(), neck), QPointF(cx, tip),
                                       QPointF(bar.right(), neck), QPointF(cx + sw, neck),
                                       QPointF(cx + sw, foot)});
                if (m_view3D)
                    drawExtruded(p, arrow, c, c, d);
                else {
                    p.setBrush(c);
                    p.drawPolygon(arrow);
                }
                break;
            }
            case BarSeries::BarStyle::Cylinder: {
                // A body shaded across between an elliptic floor and a lighter elliptic lid,
                // all inside the bar's height.
                const double eh = std::min(m_view3D ? std::max(d, bw / 4) : bw / 4, bar.height());
                const QRectF lid(bar.left(), bar.top(), bw, eh);
                const QRectF floor(bar.left(), bar.bottom() - eh, bw, eh);
                QLinearGradient g(bar.topLeft(), bar.topRight());
                g.setColorAt(0, c.darker(140));
                g.setColorAt(0.4, c.lighter(130));
                g.setColorAt(1, c.darker(160));
                QPainterPath body;
                body.addRect(
                    QRectF(QPointF(bar.left(), lid.center().y()), QPointF(bar.right(), floor.center().y())));
                body.addEllipse(floor);
                body.setFillRule(Qt::WindingFill);
                p.setPen(Qt::NoPen);
                p.setBrush(g);
                p.drawPath(body.simplified());
                p.setPen(QPen(Qt::black, 0));
                p.drawLine(QPointF(bar.left(), lid.center().y()), QPointF(bar.left(), floor.center().y()));
                p.drawLine(QPointF(bar.right(), lid.center().y()), QPointF(bar.right(), floor.center().y()));
                p.setBrush(Qt::NoBrush);
                p.drawArc(floor, 180 * 16, 180 * 16);
                p.setBrush(c.lighter(120));
                p.drawEllipse(lid);
                anchors[static_cast<std::size_t>(i)] = QPointF(cx, bar.top());
                break;
            }
            case BarSeries::BarStyle::Ellipse:
                if (m_view3D) {
                    // A disc: its rim is the hull of the front and the pushed-back ellipse.
                    const QPolygonF front = ellipsePolygon(bar);
                    p.setBrush(c.darker(150));
                    p.drawPolygon(convexHull(front + front.translated(off)));
                    p.setBrush(c);
                    p.drawEllipse(bar);
                } else {
                    p.setBrush(c);
                    p.drawEllipse(bar);
                }
                break;
            case BarSeries::BarStyle::Pyramid:
            case BarSeries::BarStyle::InvPyramid: {
                const bool inverted = bars->barStyle() == BarSeries::BarStyle::InvPyramid;
                if (!m_view3D) {
                    p.setBrush(c);
                    p.drawPolygon(
                        inverted ? QPolygonF({bar.topLeft(), bar.topRight(), QPointF(cx, bar.bottom())})
                                 : QPolygonF({bar.bottomLeft(), bar.bottomRight(), QPointF(cx, bar.top())}));
                } else if (!inverted) {
                    // Square base on the floor, apex above its centre.
                    const QPointF apex(cx + d / 2, bar.top() - d / 2);
                    p.setBrush(c.darker(150));
                    p.drawPolygon(QPolygonF({bar.bottomRight(), bar.bottomRight() + off, apex}));
                    p.setBrush(c);
                    p.drawPolygon(QPolygonF({bar.bottomLeft(), bar.bottomRight(), apex}));
                } else {
                    // Square lid at the top, apex below its centre.
                    const QPointF apex(cx + d / 2, bar.bottom() - d / 2);
                    p.setBrush(c.lighter(125));
                    p.drawPolygon(QPolygonF(
                        {bar.topLeft(), bar.topRight(), bar.topRight() + off, bar.topLeft() + off}));
                    p.setBrush(c.darker(150));
                    p.drawPolygon(QPolygonF({bar.topRight(), bar.topRight() + off, apex}));
                    p.setBrush(c);
                    p.drawPolygon(QPolygonF({bar.topLeft(), bar.topRight(), apex}));
                    anchors[static_cast<std::size_t>(i)] = QPointF(cx + d / 2, bar.top() - d);
                }
                if (!m_view3D)
                    anchors[static_cast<std::size_t>(i)] = QPointF(cx, bar.top());
                break;
            }
            }
            if (!m_view3D && bars->barStyle() != BarSeries::BarStyle::Cylinder)
                anchors[static_cast<std::size_t>(i)] = QPointF(cx, pt.value >= 0 ? bar.top() : bar.bottom());
        }
    } else if (auto* line = dynamic_cast<LineSeries*>(active)) {
        QPolygonF pts;
        for (int i = 0; i < line->count(); ++i)
            pts << QPointF(l.x(i), l.y(line->point(i).value));
        const QPen linePen(line->color(), line->lineWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (m_view3D) {
            // A ribbon along the line, as deep as the chart.
            p.setPen(linePen);
            p.setBrush(line->color().lighter(250));
            for (int i = 0; i + 1 < pts.size(); ++i)
                p.drawPolygon(QPolygonF({pts[i], pts[i + 1], pts[i + 1] + off, pts[i] + off}));
        } else {
            p.setPen(linePen);
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(pts);
        }
        p.setPen(QPen(line->pointerColor().darker(130), 0));
        p.setBrush(line->pointerColor());
        const double r = line->pointerRadius();
        for (int i = 0; i < pts.size(); ++i) {
            p.drawEllipse(pts[i], r, r);
            // In 3D the mark stands above the ribbon's back edge, where it stays readable.
            anchors[static_cast<std::size_t>(i)] = pts[i] + off - QPointF(0, r);
        }
    }

    // Marks: boxes on arrows above the bars, bare text above the line's points.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(m_labelFont);
    const bool barMarks = dynamic_cast<BarSeries*>(active) != nullptr;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (marks[i].isEmpty())
            continue;
        const QPointF a = anchors[i];
        const double w = label.horizontalAdvance(marks[i]);
        // A mark centred on its point, but moved in where it would stick out beside the plot.
        const double left =
            std::clamp(a.x() - w / 2, l.plot.left() + 2, std::max(l.plot.left() + 2, target.right() - w - 4));
        if (barMarks) {
            const QRectF box(left - 3, a.y() - kMarkArrow - label.height() - 2, w + 6, label.height() + 2);
            p.setPen(QPen(QColor(64, 64, 64), 0));
            p.drawLine(a, QPointF(a.x(), box.bottom()));
            p.setBrush(QColor(255, 255, 225));
            p.drawRect(box);
            p.setPen(Qt::black);
            p.drawText(QPointF(box.left() + 3, box.top() + 1 + label.ascent()), marks[i]);
        } else {
            p.setPen(Qt::black);
            p.drawText(QPointF(left, a.y() - 2 - label.descent()), marks[i]);
        }
    }
    p.restore();
    return {l.plot, l.ranges, l.autoRanges};
}

QImage ChartScene::toImage(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    draw(p, QRect(QPoint(0, 0), size));
    return image;
}

std::string ChartScene::toMetafile(QSize size)
{
    WmfPaintDevice device(size);
    {
        QPainter p(&device);
        draw(p, QRect(QPoint(0, 0), size));
    }
    return device.bytes();
}

void ChartScene::setZoomRanges(const std::optional<Ranges>& ranges)
{
    m_zoom = ranges;
    changed();
}

} // namespace evidor
