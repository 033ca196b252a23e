#ifndef TEXTFERRO_MAPEXPORT_H
#define TEXTFERRO_MAPEXPORT_H

// Writes the finished map as an SVG drawing or a PNG image, without a display
// or OpenGL. Needs a QGuiApplication (the offscreen platform will do).

#include <QString>

namespace tlp {
class Graph;
}

enum class MapFormat { Graph, Svg, Png, Unknown };

// The output format named by the suffix of `path`: ".tlp" (also ".tlp.gz"),
// ".svg" or ".png", case-insensitive.
MapFormat mapFormatOf(const QString& path);

constexpr int kDefaultPngWidth = 2400;

// Draws `graph` into `path` as SVG or PNG (`pngWidth` pixels wide). A PNG that would
// be too large for the raster engine to paint whole (more than 32767 pixels along a
// side, or more than 64 million pixels) is scaled down until it fits, and a line on
// standard error says so. The file is replaced only once the new one is completely
// written. Returns false with a message in `error` when it cannot be written.
bool exportMap(tlp::Graph* graph, const QString& path, MapFormat format, int pngWidth,
               QString& error);

#endif
