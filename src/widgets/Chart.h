#pragma once

#include "widgets/ChartScene.h"

#include <QWidget>

#include <optional>
#include <string>

class QVariantAnimation;

namespace evidor {

/// The chart control: a window onto a ChartScene, which holds what is drawn and draws it.
/// The control repaints when the scene changes and adds zooming with the mouse, animated.
///
/// Zooming: drag a rectangle from its top left to its bottom right corner to zoom into it; drag
/// towards the top left to go back.
class Chart : public QWidget
{
    Q_OBJECT
public:
    using Ranges = ChartScene::Ranges;

    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    ChartScene& scene() { return m_scene; }
    const ChartScene& scene() const { return m_scene; }

    bool isZoomed() const { return m_scene.zoomRanges().has_value(); }
    /// Zooms into a rectangle of the widget (inside the plot). Animated when animation is on.
    void zoomRect(const QRect& rect);
    void undoZoom();
    /// Back to the whole chart at once, without animation.
    void resetZoom();
    bool zoomAnimated() const { return m_zoomAnimated; }
    void setZoomAnimated(bool animated);
    bool isAnimating() const;
    /// The ranges now shown (after the widget's last painting).
    Ranges currentRanges() const;
    /// Where the plot lay on the widget in its last painting (the front plane in 3D).
    QRect plotRect() const { return m_lastPlot; }

    /// The chart as drawn on a picture of `size` (the widget's size when empty).
    QImage toImage(QSize size = {});
    /// The chart as a placeable Windows metafile of `size` pixels (the widget's size when empty).
    std::string toMetafile(QSize size = {});

    QSize sizeHint() const override { return {640, 400}; }
    QSize minimumSizeHint() const override { return {200, 150}; }

signals:
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void animateTo(const Ranges& target, bool zoomedAtEnd);

    ChartScene m_scene;
    bool m_zoomAnimated = true;
    QVariantAnimation* m_animation = nullptr;

    std::optional<QPoint> m_dragStart;
    QPoint m_dragNow;
    QRect m_lastPlot;
    Ranges m_lastAutoRanges;
};

} // namespace evidor
