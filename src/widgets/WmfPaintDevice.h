#pragma once

#include <QPaintDevice>
#include <QSize>

#include <memory>
#include <string>

namespace evidor {

class WmfPaintEngine;

/// A paint device whose painting becomes a placeable Windows metafile, one logical unit per
/// pixel at 96 units per inch. Pens, brushes and fonts become metafile objects, shapes and
/// text become their records (text in Windows-1250 with an East European font), linear
/// gradients become bands of solid colour and a rectangular clip becomes a clip rectangle.
/// Paint with a QPainter, end the painting, then take bytes().
class WmfPaintDevice : public QPaintDevice
{
public:
    explicit WmfPaintDevice(QSize size);
    ~WmfPaintDevice() override;

    QPaintEngine* paintEngine() const override;
    QSize size() const { return m_size; }
    /// The metafile of the last finished painting; empty before one has ended.
    std::string bytes() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<WmfPaintEngine> m_engine;
};

} // namespace evidor
