#ifndef TEXTFERRO_MAPPAINTER_H
#define TEXTFERRO_MAPPAINTER_H

// Paints a MapDrawing with QPainter on a white background, framed on the map's
// bounding box (labels included) with a margin. Used for the SVG and PNG export.

#include "mapexport/MapDrawing.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;

class MapPainter {
public:
  explicit MapPainter(const MapDrawing& drawing);

  // The frame in map units: bounds of stations, edges and labels plus the margin.
  QRectF frame() const { return mapFrame; }
  // Size in pixels of a drawing `width` pixels wide.
  QSizeF sizeForWidth(double width) const;
  // Where a point of the map lands in a drawing `width` pixels wide.
  QPointF toDevice(const tlp::Coord& point, double width) const;

  // Paints the whole drawing into a device area of `width` pixels wide, with
  // its top left corner at the origin.
  void paint(QPainter& painter, double width) const;

private:
  QRectF labelRect(const MapLabel& label) const; // in map units, y up

  const MapDrawing& drawing;
  QRectF mapFrame; // x right, y up: top() is the smallest y
};

#endif
