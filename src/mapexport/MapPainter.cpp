#include "mapexport/MapPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Label text height and the gap between a station and its label, in map units
// (an ordinary station is 0.5 wide).
constexpr double kLabelHeight = 0.3;
constexpr double kLabelGap = 0.06;
constexpr double kMargin = 1.0;
// Fonts are measured at this pixel size and scaled to map units.
constexpr int kMeasureSize = 100;
// Border widths are given in screen pixels of the map view; at its usual zoom a
// map unit is about this many pixels.
constexpr double kViewPixelsPerUnit = 50.0;

QFont labelFont(double pixelSize) {
  QFont font("DejaVu Sans");
  font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
  return font;
}

QColor toQColor(const tlp::Color& colour) {
  return QColor(colour.getR(), colour.getG(), colour.getB(), colour.getA());
}

} // namespace

MapPainter::MapPainter(const MapDrawing& drawing) : drawing(drawing) {
  QRectF bounds(QPointF(drawing.min.x(), drawing.min.y()), QPointF(drawing.max.x(), drawing.max.y()));
  for (const MapLabel& label : drawing.labels)
    bounds = bounds.united(labelRect(label));
  mapFrame = bounds.adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

QRectF MapPainter::labelRect(const MapLabel& label) const {
  const QFontMetricsF metrics(labelFont(kMeasureSize));
  const double width = metrics.horizontalAdvance(QString::fromStdString(label.text)) *
                       kLabelHeight / kMeasureSize;
  const double top = label.below ? label.anchor.y() - label.stationRadius - kLabelGap
                                 : label.anchor.y() + label.stationRadius + kLabelGap + kLabelHeight;
  return QRectF(label.anchor.x() - width / 2, top - kLabelHeight, width, kLabelHeight);
}

QSizeF MapPainter::sizeForWidth(double width) const {
  return QSizeF(width, width * mapFrame.height() / mapFrame.width());
}

QPointF MapPainter::toDevice(const tlp::Coord& point, double width) const {
  const double scale = width / mapFrame.width();
  return QPointF((point.x() - mapFrame.left()) * scale, (mapFrame.bottom() - point.y()) * scale);
}

void MapPainter::paint(QPainter& painter, double width) const {
  const double scale = width / mapFrame.width();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(QRectF(QPointF(0, 0), sizeForWidth(width)), Qt::white);

  for (const MapCurve& curve : drawing.curves) {
    QPainterPath path(toDevice(curve.points.front(), width));
    for (std::size_t i = 1; i < curve.points.size(); ++i)
      path.lineTo(toDevice(curve.points[i], width));
    QPen pen(toQColor(curve.colour), curve.width * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
  }

  for (const MapDisc& disc : drawing.discs) {
    const double borderWidth = std::max(0.0, disc.borderWidth) * scale / kViewPixelsPerUnit;
    if (disc.border.getA() > 0 && borderWidth > 0)
      painter.setPen(QPen(toQColor(disc.border), borderWidth));
    else
      painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(disc.fill));
    const double radius = disc.radius * scale;
    painter.drawEllipse(toDevice(disc.centre, width), radius, radius);
  }

  painter.setPen(Qt::black);
  painter.setFont(labelFont(kLabelHeight * scale));
  for (const MapLabel& label : drawing.labels) {
    const QRectF box = labelRect(label);
    const QPointF topLeft = toDevice(tlp::Coord(box.left(), box.bottom(), 0), width);
    const QRectF deviceBox(topLeft, QSizeF(box.width() * scale, box.height() * scale));
    painter.drawText(deviceBox, Qt::AlignCenter | Qt::TextDontClip,
                     QString::fromStdString(label.text));
  }
}
