#ifndef TEXTFERRO_MAPNAVIGATOR_H
#define TEXTFERRO_MAPNAVIGATOR_H

// Event filter on an OpenGL graph view: the mouse wheel zooms about the point under
// the pointer, which stays where it is in both directions (the library's navigator
// drifts), and the arrow keys pan by a tenth of the visible area at every zoom level
// (the library's pan two pixels). Other events go on to the library's navigators.

#include <QObject>
#include <QPointF>

#include <tulip/Coord.h>

class QPoint;

namespace tlp {
class GlMainWidget;
}

class MapNavigator : public QObject {
  Q_OBJECT

public:
  // Without panWithArrows the arrow keys go on, to a window that uses them otherwise.
  explicit MapNavigator(bool panWithArrows = true, QObject* parent = nullptr);

  bool eventFilter(QObject* watched, QEvent* event) override;

  // The map point (in the plane of the camera's centre) shown at a widget position.
  static tlp::Coord mapPointAt(tlp::GlMainWidget* view, const QPointF& at);
  // Zooms the view by factor (above 1: in) keeping the map point under `at`, in
  // widget coordinates, in place.
  static void zoomAt(tlp::GlMainWidget* view, const QPoint& at, double factor);
  // Moves the camera by the given fractions of the visible width and height
  // (right and up positive).
  static void pan(tlp::GlMainWidget* view, float alongWidth, float alongHeight);
  // Centres the map and zooms so that all of it, with a margin for the labels,
  // fits the view in both directions. Without reset the camera keeps its
  // orientation and depth from an earlier fit: the library's reset walks every
  // station and line, seconds on a large map.
  static void fit(tlp::GlMainWidget* view, bool reset = true);

private:
  bool panWithArrows;
};

#endif
