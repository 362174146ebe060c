#include "Chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace evidor {

Chart::Chart(QWidget* parent) : QWidget(parent)
{
    m_scene.setChangeHandler([this] { update(); });
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Chart::~Chart()
{
    m_scene.setChangeHandler({});
}

void Chart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const ChartScene::Geometry g = m_scene.draw(p, rect());
    m_lastPlot = g.plot.toAlignedRect();
    m_lastAutoRanges = g.autoRanges;
    if (m_dragStart) {
        p.setPen(QPen(Qt::black, 0, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(*m_dragStart, m_dragNow).normalized());
    }
}

QImage Chart::toImage(QSize size)
{
    return m_scene.toImage(size.isEmpty() ? this->size() : size);
}

std::string Chart::toMetafile(QSize size)
{
    return m_scene.toMetafile(size.isEmpty() ? this->size() : size);
}

// ---------------------------------------------------------------------------------------------
// Zoom

Chart::Ranges Chart::currentRanges() const
{
    return m_scene.zoomRanges().value_or(m_lastAutoRanges);
}

bool Chart::isAnimating() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

void Chart::setZoomAnimated(bool animated)
{
    m_zoomAnimated = animated;
}

void Chart::zoomRect(const QRect& rect)
{
    if (m_lastPlot.isEmpty() || rect.width() < 2 || rect.height() < 2)
        return;
    const Ranges from = currentRanges();
    const QRectF plot = m_lastPlot;
    auto xAt = [&](double px) {
        return from.xMin + (px - plot.left()) / plot.width() * (from.xMax - from.xMin);
    };
    auto yAt = [&](double py) {
        return from.yMin + (plot.bottom() - py) / plot.height() * (from.yMax - from.yMin);
    };
    Ranges to;
    to.xMin = xAt(rect.left());
    to.xMax = xAt(rect.right() + 1);
    to.yMin = yAt(rect.bottom() + 1);
    to.yMax = yAt(rect.top());
    animateTo(to, true);
}

void Chart::undoZoom()
{
    if (!isZoomed())
        return;
    animateTo(m_lastAutoRanges, false);
}

void Chart::resetZoom()
{
    if (m_animation)
        m_animation->stop();
    if (isZoomed()) {
        m_scene.setZoomRanges(std::nullopt);
        emit zoomChanged();
    }
}

void Chart::animateTo(const Ranges& target, bool zoomedAtEnd)
{
    const Ranges from = currentRanges();
    if (m_animation)
        m_animation->stop();
    auto finish = [this, target, zoomedAtEnd] {
        m_scene.setZoomRanges(zoomedAtEnd ? std::optional<Ranges>(target) : std::nullopt);
        emit zoomChanged();
    };
    if (!m_zoomAnimated) {
        finish();
        return;
    }
    if (!m_animation) {
        m_animation = new QVariantAnimation(this);
        m_animation->setStartValue(0.0);
        m_animation->setEndValue(1.0);
        m_animation->setDuration(240);
    }
    m_animation->disconnect();
    // Each frame shows the ranges part of the way, zoomed even on the way back out; the last
    // one settles on the target.
    m_scene.setZoomRanges(from);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this, from, target](const QVariant& v) {
        const double t = v.toDouble();
        auto mix = [t](double a, double b) { return a + (b - a) * t; };
        m_scene.setZoomRanges(Ranges{mix(from.xMin, target.xMin), mix(from.xMax, target.xMax),
                                     mix(from.yMin, target.yMin), mix(from.yMax, target.yMax)});
    });
    connect(m_animation, &QVariantAnimation::finished, this, finish);
    m_animation->start();
}

void Chart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_lastPlot.contains(event->position().toPoint())) {
        m_dragStart = event->position().toPoint();
        m_dragNow = *m_dragStart;
    }
    QWidget::mousePressEvent(event);
}

void Chart::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragStart) {
        m_dragNow = event->position().toPoint();
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void Chart::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragStart && event->button() == Qt::LeftButton) {
        const QPoint start = *m_dragStart;
        const QPoint end = event->position().toPoint();
        m_dragStart.reset();
        update();
        if (end.x() > start.x() + 2 && end.y() > start.y() + 2)
            zoomRect(QRect(start, end).intersected(m_lastPlot));
        else if (end.x() < start.x() - 2 || end.y() < start.y() - 2)
            undoZoom();
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace evidor
