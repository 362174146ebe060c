#pragma once

#include <QSize>

#include <optional>
#include <string>

namespace evidor {

class ChartScene;

/// Picture files a chart is written to, chosen by the file's extension.
enum class ChartFileFormat
{
    Wmf, ///< placeable Windows metafile, as the charts window exports
    Png,
    Svg
};

/// The format of `path` by its extension (".wmf", ".png", ".svg", in any case); nothing for any
/// other.
std::optional<ChartFileFormat> chartFileFormat(const std::string& path);

/// The whole chart drawn at `size` pixels, as the bytes of a file of `format`; an SVG document
/// takes the chart's title as its own. Needs a QGuiApplication.
std::string chartFileBytes(ChartScene& scene, QSize size, ChartFileFormat format);

} // namespace evidor
