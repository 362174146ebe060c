#include "ChartFile.h"

#include "widgets/ChartScene.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>

namespace evidor {

std::optional<ChartFileFormat> chartFileFormat(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "wmf")
        return ChartFileFormat::Wmf;
    if (ext == "png")
        return ChartFileFormat::Png;
    if (ext == "svg")
        return ChartFileFormat::Svg;
    return std::nullopt;
}

std::string chartFileBytes(ChartScene& scene, QSize size, ChartFileFormat format)
{
    if (format == ChartFileFormat::Wmf)
        return scene.toMetafile(size);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (format == ChartFileFormat::Png) {
        scene.toImage(size).save(&buffer, "PNG");
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        // One user unit a pixel at the screen's 96 per inch, as the metafile has it.
        svg.setResolution(96);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(scene.titleLines().join(QLatin1Char(' ')));
        svg.setDescription(QStringLiteral("Evidor"));
        QPainter painter(&svg);
        scene.draw(painter, QRect(QPoint(0, 0), size));
    }
    return buffer.data().toStdString();
}

} // namespace evidor
