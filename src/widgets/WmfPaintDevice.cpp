#include "WmfPaintDevice.h"

#include "charts/WmfWriter.h"
#include "platform/Cp1250.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace evidor {

namespace {

constexpr int kDpi = 96;

WmfColor wmfColor(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return {static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
            static_cast<std::uint8_t>(rgb.blue())};
}

WmfPoint wmfPoint(const QPointF& p)
{
    return {static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))};
}

std::vector<WmfPoint> wmfPoints(const QPolygonF& poly)
{
    std::vector<WmfPoint> out;
    out.reserve(static_cast<std::size_t>(poly.size()));
    for (const QPointF& p : poly)
        out.push_back(wmfPoint(p));
    return out;
}

QColor colorAt(const QGradientStops& stops, double t)
{
    if (stops.isEmpty())
        return Qt::black;
    if (t <= stops.front().first)
        return stops.front().second;
    for (int i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const auto& a = stops[i - 1];
            const auto& b = stops[i];
            const double f = b.first > a.first ? (t - a.first) / (b.first - a.first) : 1.0;
            auto mix = [f](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * f)); };
            return QColor(mix(a.second.red(), b.second.red()), mix(a.second.green(), b.second.green()),
                          mix(a.second.blue(), b.second.blue()));
        }
    }
    return stops.back().second;
}

} // namespace

/// Turns QPainter's calls into metafile records.
class WmfPaintEngine : public QPaintEngine
{
public:
    WmfPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;

    void drawRects(const QRectF* rects, int count) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawEllipse(const QRectF& rect) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawPath(const QPainterPath& path) override;
    void drawPoints(const QPointF* points, int count) override;
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override;
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override;
    Type type() const override { return QPaintEngine::User; }

    std::string bytes;

private:
    // An object of the metafile and what it was made from.
    struct Object
    {
        int index = -1;
        std::string key;
    };
    // What the player's device context holds now, as far as records have set it.
    struct DcState
    {
        int pen = -1, brush = -1, font = -1;
        std::optional<WmfColor> textColor;
        WmfWriter::FillMode fillMode = WmfWriter::FillMode::Alternate;
    };

    enum class Fill
    {
        Current,
        None
    };

    void selectPen(const QPen& pen);
    void selectBrush(const QBrush& brush);
    void selectSolidBrush(const QColor& color, bool null);
    void selectFont(const QFont& font, int escapement, double scale);
    void use(Object& current, int DcState::*slot, const std::string& key, const std::function<int()>& create);
    void retire(int index);
    void setClip(bool on, const QRect& rect);
    void setFillMode(Qt::FillRule rule);

    bool hasGradient() const { return m_brush.gradient() && m_brush.style() == Qt::LinearGradientPattern; }
    bool brushIsNull() const { return m_brush.style() == Qt::NoBrush || m_brush.color().alpha() == 0; }
    /// Fills a shape (device coordinates) with the gradient brush as bands of solid colour.
    void fillGradient(const QPainterPath& deviceShape);
    /// Draws a closed shape: the gradient first when there is one, then `record` with the
    /// current pen and either the current brush or none.
    void closedShape(const QPainterPath& deviceShape, const std::function<void()>& record);

    std::unique_ptr<WmfWriter> m_w;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QTransform m_transform;
    bool m_clipOn = false;
    QRect m_clip;

    Object m_penObj, m_brushObj, m_fontObj;
    DcState m_dc;
    std::optional<DcState> m_saved;
    std::vector<int> m_deferred; ///< objects to delete once the saved state is restored
};

bool WmfPaintEngine::begin(QPaintDevice* device)
{
    const auto* d = static_cast<WmfPaintDevice*>(device);
    m_w = std::make_unique<WmfWriter>(d->size().width(), d->size().height(), kDpi);
    m_penObj = m_brushObj = m_fontObj = {};
    m_dc = {};
    m_saved.reset();
    m_deferred.clear();
    m_clipOn = false;
    m_transform = {};
    bytes.clear();
    m_w->setBkMode(true);
    m_w->setTextAlign(WmfWriter::AlignLeft | WmfWriter::AlignBaseline);
    m_w->setPolyFillMode(WmfWriter::FillMode::Alternate);
    return true;
}

bool WmfPaintEngine::end()
{
    if (!m_w)
        return false;
    setClip(false, {});
    for (Object* o : {&m_penObj, &m_brushObj, &m_fontObj}) {
        if (o->index >= 0)
            m_w->deleteObject(o->index);
        *o = {};
    }
    bytes = m_w->finish();
    m_w.reset();
    return true;
}

void WmfPaintEngine::updateState(const QPaintEngineState& state)
{
    const auto flags = state.state();
    if (flags & DirtyPen)
        m_pen = state.pen();
    if (flags & DirtyBrush)
        m_brush = state.brush();
    if (flags & DirtyFont)
        m_font = state.font();
    if (flags & DirtyTransform)
        m_transform = state.transform();
    if (flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled)) {
        // The metafile keeps a clip rectangle: the bounding box of Qt's clip in device units.
        QPainter* p = painter();
        const bool on = p && p->hasClipping();
        setClip(on, on ? p->combinedTransform().mapRect(p->clipBoundingRect()).toAlignedRect() : QRect());
    }
}

void WmfPaintEngine::setClip(bool on, const QRect& rect)
{
    if (on == m_clipOn && (!on || rect == m_clip))
        return;
    if (m_saved) {
        const DcState now = m_dc;
        m_w->restoreDC(-1);
        m_dc = *m_saved;
        m_saved.reset();
        // The restored context selects the objects of the moment it was saved; put today's back
        // before the ones kept for it are deleted.
        if (now.pen >= 0 && now.pen != m_dc.pen)
            m_w->selectObject(m_dc.pen = now.pen);
        if (now.brush >= 0 && now.brush != m_dc.brush)
            m_w->selectObject(m_dc.brush = now.brush);
        if (now.font >= 0 && now.font != m_dc.font)
            m_w->selectObject(m_dc.font = now.font);
        for (int index : m_deferred)
            m_w->deleteObject(index);
        m_deferred.clear();
    }
    m_clipOn = on;
    m_clip = rect;
    if (on) {
        m_w->saveDC();
        m_saved = m_dc;
        m_w->intersectClipRect(rect.left(), rect.top(), rect.left() + rect.width(),
                               rect.top() + rect.height());
    }
}

void WmfPaintEngine::retire(int index)
{
    if (index < 0)
        return;
    if (m_saved && (m_saved->pen == index || m_saved->brush == index || m_saved->font == index))
        m_deferred.push_back(index);
    else
        m_w->deleteObject(index);
}

void WmfPaintEngine::use(Object& current, int DcState::*slot, const std::string& key,
                         const std::function<int()>& create)
{
    if (current.index >= 0 && current.key == key) {
        if (m_dc.*slot != current.index) {
            m_w->selectObject(current.index);
            m_dc.*slot = current.index;
        }
        return;
    }
    // Create the new object, select it, then let the old one go.
    const int old = current.index;
    current.index = create();
    current.key = key;
    m_w->selectObject(current.index);
    m_dc.*slot = current.index;
    retire(old);
}

void WmfPaintEngine::selectPen(const QPen& pen)
{
    WmfWriter::PenStyle style = WmfWriter::PenStyle::Solid;
    switch (pen.style()) {
    case Qt::NoPen:
        style = WmfWriter::PenStyle::Null;
        break;
    case Qt::DashLine:
    case Qt::CustomDashLine:
        style = WmfWriter::PenStyle::Dash;
        break;
    case Qt::DotLine:
        style = WmfWriter::PenStyle::Dot;
        break;
    case Qt::DashDotLine:
        style = WmfWriter::PenStyle::DashDot;
        break;
    case Qt::DashDotDotLine:
        style = WmfWriter::PenStyle::DashDotDot;
        break;
    default:
        break;
    }
    const QColor c = pen.color();
    if (c.alpha() == 0 || pen.brush().style() == Qt::NoBrush)
        style = WmfWriter::PenStyle::Null;
    double w = pen.widthF();
    if (!pen.isCosmetic()) {
        const QLineF unit = m_transform.map(QLineF(0, 0, 1, 0));
        w *= unit.length();
    }
    const int width = std::max(1, static_cast<int>(std::lround(w)));
    const WmfColor color = wmfColor(c);
    const std::string key = std::to_string(static_cast<int>(style)) + "/" + std::to_string(width) + "/" +
                            std::to_string(color.r) + "," + std::to_string(color.g) + "," +
                            std::to_string(color.b);
    use(m_penObj, &DcState::pen, key, [&] { return m_w->createPen(style, width, color); });
}

void WmfPaintEngine::selectSolidBrush(const QColor& color, bool null)
{
    const WmfColor c = wmfColor(color);
    const std::string key =
        null ? std::string("null")
             : "solid/" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
    use(m_brushObj, &DcState::brush, key, [&] {
        return m_w->createBrush(null ? WmfWriter::BrushStyle::Null : WmfWriter::BrushStyle::Solid,
                                null ? WmfColor{} : c);
    });
}

void WmfPaintEngine::selectBrush(const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush || brush.color().alpha() == 0)
        selectSolidBrush({}, true);
    else if (brush.gradient() && !brush.gradient()->stops().isEmpty())
        selectSolidBrush(brush.gradient()->stops().front().second, false);
    else
        selectSolidBrush(brush.color(), false);
}

void WmfPaintEngine::selectFont(const QFont& font, int escapement, double scale)
{
    WmfFont f;
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDpi / 72.0;
    f.height = -std::max(1, static_cast<int>(std::lround(pixels * scale)));
    f.escapement = escapement;
    f.weight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    f.italic = font.italic();
    f.underline = font.underline();
    f.strikeout = font.strikeOut();
    const auto face = utf8ToCp1250(font.family().toStdString());
    f.faceName = face && !face->empty() ? *face : std::string("Arial");
    const std::string key = f.faceName + "/" + std::to_string(f.height) + "/" + std::to_string(f.escapement) +
                            "/" + std::to_string(f.weight) + (f.italic ? "i" : "") +
                            (f.underline ? "u" : "") + (f.strikeout ? "s" : "");
    use(m_fontObj, &DcState::font, key, [&] { return m_w->createFont(f); });
}

void WmfPaintEngine::setFillMode(Qt::FillRule rule)
{
    const auto mode = rule == Qt::WindingFill ? WmfWriter::FillMode::Winding : WmfWriter::FillMode::Alternate;
    if (m_dc.fillMode != mode) {
        m_w->setPolyFillMode(mode);
        m_dc.fillMode = mode;
    }
}

void WmfPaintEngine::fillGradient(const QPainterPath& deviceShape)
{
    const auto* g = static_cast<const QLinearGradient*>(m_brush.gradient());
    const QTransform t = m_brush.transform() * m_transform;
    const QPointF s = t.map(g->start());
    const QPointF f = t.map(g->finalStop());
    const QPointF v = f - s;
    const double length = std::hypot(v.x(), v.y());
    if (length < 1e-6) {
        selectPen(Qt::NoPen);
        selectSolidBrush(colorAt(g->stops(), 1), false);
        for (const QPolygonF& poly : deviceShape.toFillPolygons())
            m_w->polygon(wmfPoints(poly));
        return;
    }
    const QPointF across = QPointF(-v.y(), v.x()) / length * 1e5;
    const int bands = std::clamp(static_cast<int>(length / 3), 2, 64);
    const double far = 1e5 / length;
    selectPen(Qt::NoPen);
    setFillMode(Qt::WindingFill);
    for (int i = 0; i < bands; ++i) {
        // The first and last bands reach out, so the colours of the ends pad the shape.
        const double t0 = i == 0 ? -far : static_cast<double>(i) / bands;
        // Each band reaches a pixel into the next one, which covers it, so no seam shows
        // where a player smooths the edges of polygons.
        const double t1 = i == bands - 1 ? far : static_cast<double>(i + 1) / bands + 1.0 / length;
        QPainterPath strip;
        strip.addPolygon(QPolygonF({s + v * t0 - across, s + v * t0 + across, s + v * t1 + across,
                                    s + v * t1 - across, s + v * t0 - across}));
        const QPainterPath band = strip.intersected(deviceShape);
        if (band.isEmpty())
            continue;
        selectSolidBrush(colorAt(g->stops(), (i + 0.5) / bands), false);
        for (const QPolygonF& poly : band.toFillPolygons())
            m_w->polygon(wmfPoints(poly));
    }
}

void WmfPaintEngine::closedShape(const QPainterPath& deviceShape, const std::function<void()>& record)
{
    if (hasGradient()) {
        fillGradient(deviceShape);
        if (m_pen.style() == Qt::NoPen)
            return;
        selectPen(m_pen);
        selectSolidBrush({}, true);
    } else {
        selectPen(m_pen);
        selectBrush(m_brush);
    }
    record();
}

void WmfPaintEngine::drawRects(const QRectF* rects, int count)
{
    for (int i = 0; i < count; ++i) {
        const QRectF& r = rects[i];
        if (m_transform.type() <= QTransform::TxScale) {
            const QRectF d = m_transform.mapRect(r).normalized();
            QPainterPath shape;
            shape.addRect(d);
            // The player leaves out the right and bottom edge; Qt's outline covers them.
            closedShape(shape, [&] {
                m_w->rectangle(static_cast<int>(std::lround(d.left())),
                               static_cast<int>(std::lround(d.top())),
                               static_cast<int>(std::lround(d.right())) + 1,
                               static_cast<int>(std::lround(d.bottom())) + 1);
            });
        } else {
            const QPolygonF poly(r);
            drawPolygon(poly.constData(), static_cast<int>(poly.size()), OddEvenMode);
        }
    }
}

void WmfPaintEngine::drawLines(const QLineF* lines, int count)
{
    if (m_pen.style() == Qt::NoPen)
        return;
    selectPen(m_pen);
    for (int i = 0; i < count; ++i) {
        const QLineF l = m_transform.map(lines[i]);
        m_w->polyline({wmfPoint(l.p1()), wmfPoint(l.p2())});
    }
}

void WmfPaintEngine::drawEllipse(const QRectF& rect)
{
    if (m_transform.type() > QTransform::TxScale) {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
        return;
    }
    const QRectF d = m_transform.mapRect(rect).normalized();
    QPainterPath shape;
    shape.addEllipse(d);
    closedShape(shape, [&] {
        m_w->ellipse(static_cast<int>(std::lround(d.left())), static_cast<int>(std::lround(d.top())),
                     static_cast<int>(std::lround(d.right())) + 1,
                     static_cast<int>(std::lround(d.bottom())) + 1);
    });
}

void WmfPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode)
{
    if (count < 2)
        return;
    QPolygonF poly;
    for (int i = 0; i < count; ++i)
        poly << m_transform.map(points[i]);
    if (mode == PolylineMode) {
        if (m_pen.style() == Qt::NoPen)
            return;
        selectPen(m_pen);
        m_w->polyline(wmfPoints(poly));
        return;
    }
    const Qt::FillRule rule = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    QPainterPath shape;
    shape.addPolygon(poly);
    shape.setFillRule(rule);
    closedShape(shape, [&] {
        setFillMode(rule);
        m_w->polygon(wmfPoints(poly));
    });
}

void WmfPaintEngine::drawPath(const QPainterPath& path)
{
    const QPainterPath d = m_transform.map(path);
    if (!brushIsNull()) {
        if (hasGradient()) {
            fillGradient(d);
        } else {
            selectPen(Qt::NoPen);
            selectBrush(m_brush);
            setFillMode(path.fillRule());
            for (const QPolygonF& poly : d.toFillPolygons())
                m_w->polygon(wmfPoints(poly));
        }
    }
    if (m_pen.style() == Qt::NoPen)
        return;
    selectPen(m_pen);
    for (const QPolygonF& poly : d.toSubpathPolygons())
        m_w->polyline(wmfPoints(poly));
}

void WmfPaintEngine::drawPoints(const QPointF* points, int count)
{
    if (m_pen.style() == Qt::NoPen)
        return;
    selectPen(Qt::NoPen);
    selectSolidBrush(m_pen.color(), false);
    for (int i = 0; i < count; ++i) {
        const WmfPoint p = wmfPoint(m_transform.map(points[i]));
        m_w->rectangle(p.x, p.y, p.x + 2, p.y + 2);
    }
}

void WmfPaintEngine::drawTextItem(const QPointF& p, const QTextItem& textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty())
        return;
    const QLineF unit = m_transform.map(QLineF(0, 0, 1, 0));
    const double scale = unit.length();
    // Escapement counts tenths of a degree counter-clockwise, as QLineF measures angles.
    const int escapement = static_cast<int>(std::lround(unit.angle() * 10)) % 3600;
    selectFont(textItem.font(), escapement, scale);
    const WmfColor color = wmfColor(m_pen.color());
    if (!m_dc.textColor || !(*m_dc.textColor == color)) {
        m_w->setTextColor(color);
        m_dc.textColor = color;
    }

    // One Windows-1250 byte per character, each with Qt's own advance, so the text keeps the
    // width it was laid out with whatever font the player finds.
    const QFontMetricsF fm(textItem.font(), paintDevice());
    std::string bytesOut;
    std::vector<int> dx;
    double before = 0;
    int i = 0;
    while (i < text.size()) {
        const int len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        const auto b = utf8ToCp1250(ch.toStdString());
        bytesOut += b && b->size() == 1 ? *b : std::string("?");
        i += len;
        const double after = fm.horizontalAdvance(text.left(i)) * scale;
        dx.push_back(static_cast<int>(std::lround(after) - std::lround(before)));
        before = after;
    }
    const WmfPoint at = wmfPoint(m_transform.map(p));
    m_w->extTextOut(at.x, at.y, bytesOut, dx);
}

void WmfPaintEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                               Qt::ImageConversionFlags)
{
    const QImage part = image.copy(sr.toAlignedRect()).convertToFormat(QImage::Format_RGB888);
    if (part.isNull())
        return;
    const int w = part.width();
    const int h = part.height();
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    std::string rows(stride * static_cast<std::size_t>(h), '\0');
    for (int y = 0; y < h; ++y) {
        const uchar* src = part.constScanLine(h - 1 - y);
        char* dst = rows.data() + stride * static_cast<std::size_t>(y);
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = static_cast<char>(src[3 * x + 2]);
            dst[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            dst[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
    }
    const QRect d = m_transform.mapRect(r).toAlignedRect();
    m_w->stretchDib(d.left(), d.top(), d.width(), d.height(), w, h, rows);
}

void WmfPaintEngine::drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr)
{
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
}

// ---------------------------------------------------------------------------------------------

WmfPaintDevice::WmfPaintDevice(QSize size)
    : m_size(size.expandedTo(QSize(1, 1))), m_engine(new WmfPaintEngine)
{
}

WmfPaintDevice::~WmfPaintDevice() = default;

QPaintEngine* WmfPaintDevice::paintEngine() const
{
    return m_engine.get();
}

std::string WmfPaintDevice::bytes() const
{
    return m_engine->bytes;
}

int WmfPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return m_size.width() * 254 / (kDpi * 10);
    case PdmHeightMM:
        return m_size.height() * 254 / (kDpi * 10);
    case PdmNumColors:
        return 0xFFFFFF;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return kDpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}

} // namespace evidor
