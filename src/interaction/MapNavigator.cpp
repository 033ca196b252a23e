#include "interaction/MapNavigator.h"

#include "interaction/MapGlWidget.h"
#include "interaction/MapProjection.h"

#include <QKeyEvent>
#include <QWheelEvent>

#include <tulip/Camera.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>

#include <algorithm>

#include <cmath>

namespace {

// One notch of a common mouse wheel reports 120 and zooms by this factor.
constexpr double kZoomPerNotch = 1.2;
constexpr float kPanFraction = 0.1f;
// Room left around a fitted map for the labels of its outer stations, which the
// view draws at a fixed size on screen: half a long label across, one label up and
// down (in pixels), and never more than a quarter of the view.
constexpr double kFitMarginAcross = 70;
constexpr double kFitMarginUpDown = 50;

} // namespace

tlp::Coord MapNavigator::mapPointAt(tlp::GlMainWidget* view, const QPointF& at) {
  view->makeCurrent();
  const double ratio = view->devicePixelRatioF();
  return MapProjection(view->getScene()->getGraphCamera())
      .mapPoint(at.x() * ratio, (view->height() - at.y()) * ratio);
}

namespace {

void markFitted(tlp::GlMainWidget* view, bool fitted) {
  if (auto* mapView = qobject_cast<MapGlWidget*>(view))
    mapView->setFitted(fitted);
}

// The box of the map's stations and bends, widened by half the largest station.
// The layout keeps its extent until it changes; the library's box walks every
// station and line each time, seconds on a map of 100,000 stations.
tlp::BoundingBox mapBox(const tlp::GlGraphInputData* input) {
  tlp::Graph* graph = input->getGraph();
  tlp::LayoutProperty* layout = input->getElementLayout();
  const tlp::Size half = input->getElementSize()->getMax(graph) / 2.f;
  return tlp::BoundingBox(layout->getMin(graph) - half, layout->getMax(graph) + half);
}

void moveCamera(tlp::Camera& camera, tlp::Coord shift) {
  shift[2] = 0;
  camera.setCenter(camera.getCenter() + shift);
  camera.setEyes(camera.getEyes() + shift);
}

} // namespace

MapNavigator::MapNavigator(bool panWithArrows, QObject* parent)
    : QObject(parent), panWithArrows(panWithArrows) {}

bool MapNavigator::eventFilter(QObject* watched, QEvent* event) {
  auto* view = qobject_cast<tlp::GlMainWidget*>(watched);
  if (view == nullptr || view->getScene()->getGlGraphComposite() == nullptr)
    return false;
  // A drag pans the map through the library's navigator: the user now chooses what is shown.
  if (event->type() == QEvent::MouseButtonPress)
    markFitted(view, false);
  if (event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    const QPoint delta = wheel->angleDelta();
    const int notches = delta.y() != 0 ? delta.y() : delta.x();
    if (notches == 0)
      return false;
    zoomAt(view, wheel->position().toPoint(), std::pow(kZoomPerNotch, notches / 120.0));
    return true;
  }
  if (event->type() != QEvent::KeyPress || !panWithArrows)
    return false;
  switch (static_cast<QKeyEvent*>(event)->key()) {
  case Qt::Key_Left:
    pan(view, -kPanFraction, 0);
    return true;
  case Qt::Key_Right:
    pan(view, kPanFraction, 0);
    return true;
  case Qt::Key_Up:
    pan(view, 0, kPanFraction);
    return true;
  case Qt::Key_Down:
    pan(view, 0, -kPanFraction);
    return true;
  default:
    return false;
  }
}

void MapNavigator::zoomAt(tlp::GlMainWidget* view, const QPoint& at, double factor) {
  tlp::Camera& camera = view->getScene()->getGraphCamera();
  // The point p under the pointer stays put when the centre c moves to
  // p + (c - p) / factor: zooming back by 1 / factor returns exactly to c.
  const tlp::Coord fixed = mapPointAt(view, at);
  const tlp::Coord centre = camera.getCenter();
  moveCamera(camera, (fixed - centre) * static_cast<float>(1.0 - 1.0 / factor));
  camera.setZoomFactor(camera.getZoomFactor() * factor);
  markFitted(view, false);
  requestDraw(view);
}

void MapNavigator::pan(tlp::GlMainWidget* view, float alongWidth, float alongHeight) {
  const tlp::Coord corner = mapPointAt(view, QPointF(0, 0));
  const tlp::Coord opposite = mapPointAt(view, QPointF(view->width(), view->height()));
  const tlp::Coord size = opposite - corner;
  moveCamera(view->getScene()->getGraphCamera(),
             tlp::Coord(std::fabs(size[0]) * alongWidth, std::fabs(size[1]) * alongHeight, 0));
  markFitted(view, false);
  requestDraw(view);
}

void MapNavigator::fit(tlp::GlMainWidget* view, bool reset) {
  tlp::GlScene* scene = view->getScene();
  tlp::GlGraphComposite* composite = scene->getGlGraphComposite();
  if (composite == nullptr)
    return;
  // The library centres the scene but sizes it by the view's shorter side, so
  // a wide map in a tall view (or the reverse) is cut: zoom to the whole box.
  if (reset)
    scene->centerScene();
  const tlp::GlGraphInputData* input = composite->getInputData();
  if (input->getGraph()->isEmpty())
    return;
  const tlp::BoundingBox box = mapBox(input);
  tlp::Camera& camera = scene->getGraphCamera();
  moveCamera(camera, (box[0] + box[1]) / 2.f - camera.getCenter());
  view->makeCurrent();
  const tlp::Coord low = camera.worldTo2DViewport(box[0]);
  const tlp::Coord high = camera.worldTo2DViewport(box[1]);
  const double width = std::max(1.0, double(std::fabs(high[0] - low[0])));
  const double height = std::max(1.0, double(std::fabs(high[1] - low[1])));
  const tlp::Vector<int, 4>& viewport = camera.getViewport();
  const double across = std::max(viewport[2] * 0.5, viewport[2] - 2 * kFitMarginAcross);
  const double upDown = std::max(viewport[3] * 0.5, viewport[3] - 2 * kFitMarginUpDown);
  const double factor = std::min(across / width, upDown / height);
  if (std::isfinite(factor) && factor > 0)
    camera.setZoomFactor(camera.getZoomFactor() * factor);
  markFitted(view, true);
  requestDraw(view);
}
