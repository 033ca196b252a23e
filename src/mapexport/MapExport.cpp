#include "mapexport/MapExport.h"

#include "mapexport/MapDrawing.h"
#include "mapexport/MapPainter.h"

#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>

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

  const QSizeF size = mapPainter.sizeForWidth(pngWidth);
  QImage image(pngWidth, std::max(1, static_cast<int>(std::lround(size.height()))),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    mapPainter.paint(painter, pngWidth);
  }
  return finish(file, image.save(&file, "PNG"), error);
}
