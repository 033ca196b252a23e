#include "mapexport/MapExport.h"

#include "mapexport/MapDrawing.h"
#include "mapexport/MapPainter.h"
#include "mapexport/RasterLimits.h"

#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>
#include <iostream>

namespace {

// An SVG drawing gives this many user units (pixels) to one map unit.
constexpr double kSvgPixelsPerUnit = 60.0;

bool finish(QSaveFile& file, bool painted, QString& error) {
  if (!painted || !file.commit()) {
    error = "Could not write file " + file.fileName() +
            (file.errorString().isEmpty() ? QString() : ": " + file.errorString());
    file.cancelWriting();
    return false;
  }
  return true;
}

// The image size for a PNG `width` pixels wide, scaled down as far as the raster
// engine needs to paint the whole map.
QSize pngSize(const MapPainter& mapPainter, int width) {
  auto heightFor = [&](int w) {
    return std::max(1, static_cast<int>(std::lround(mapPainter.sizeForWidth(w).height())));
  };
  if (fitsRaster(width, heightFor(width)))
    return QSize(width, heightFor(width));
  const double scale = rasterScale(QSizeF(width, mapPainter.sizeForWidth(width).height()));
  int fitted = std::max(1, static_cast<int>(width * scale));
  while (fitted > 1 && !fitsRaster(fitted, heightFor(fitted)))
    --fitted;
  return QSize(fitted, std::min(heightFor(fitted), kMaxRasterSide));
}

} // namespace

MapFormat mapFormatOf(const QString& path) {
  const QString lower = path.toLower();
  if (lower.endsWith(".tlp") || lower.endsWith(".tlp.gz"))
    return MapFormat::Graph;
  if (lower.endsWith(".svg"))
    return MapFormat::Svg;
  if (lower.endsWith(".png"))
    return MapFormat::Png;
  return MapFormat::Unknown;
}

bool exportMap(tlp::Graph* graph, const QString& path, MapFormat format, int pngWidth,
               QString& error) {
  const MapDrawing drawing = collectMapDrawing(graph);
  const MapPainter mapPainter(drawing);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = "Could not write file " + path + ": " + file.errorString();
    return false;
  }

  if (format == MapFormat::Svg) {
    const double width = mapPainter.frame().width() * kSvgPixelsPerUnit;
    const QSizeF size = mapPainter.sizeForWidth(width);
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(QSize(static_cast<int>(std::ceil(size.width())),
                            static_cast<int>(std::ceil(size.height()))));
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setTitle("TextFerro map");
    QPainter painter;
    const bool started = painter.begin(&generator);
    if (started) {
      mapPainter.paint(painter, width);
      painter.end();
    }
    return finish(file, started, error);
  }

  const QSize size = pngSize(mapPainter, pngWidth);
  if (size.width() < pngWidth)
    std::cerr << "The map is too large for a whole PNG " << pngWidth
              << " pixels wide; it is written scaled down to " << size.width() << " x "
              << size.height() << " pixels" << std::endl;
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) {
    error = "Could not write file " + path + ": not enough memory for the image";
    file.cancelWriting();
    return false;
  }
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    mapPainter.paint(painter, size.width());
  }
  return finish(file, image.save(&file, "PNG"), error);
}
