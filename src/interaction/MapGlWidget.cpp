#include "interaction/MapGlWidget.h"

#include "interaction/FlatMapDrawing.h"
#include "interaction/MapNavigator.h"
#include "interaction/MapProjection.h"

#include <QTimer>
#include <QWindow>

#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlLayer.h>
#include <tulip/GlScene.h>

MapGlWidget::MapGlWidget(QWidget* parent) : tlp::GlMainWidget(parent) {}

MapGlWidget::~MapGlWidget() {
  dropFlatDrawing();
}

void MapGlWidget::requestDraw() {
  sceneChanged = true;
  update();
}

namespace {

QSize deviceSize(const QWidget* widget) {
  return widget->size() * widget->devicePixelRatioF();
}

// Milliseconds between the paint of the window around the map and the drawing of
// the map, or between tries while the window is not yet on screen.
constexpr int kScreenPause = 50;

// Pointer distance, in pixels, within which an element counts as under it: the
// library picks within a box of 3 pixels.
constexpr float kPickPixels = 2.f;

} // namespace

void MapGlWidget::setFitted(bool isFitted) {
  fitted = isFitted;
  fittedSize = isFitted ? QSize(getScene()->getViewport()[2], getScene()->getViewport()[3]) : QSize();
}

void MapGlWidget::deferSceneDrawing() {
  sceneDeferred = true;
  update();
}

void MapGlWidget::setPlainLines(bool plain) {
  dropFlatDrawing();
  tlp::GlGraphComposite* composite = getScene()->getGlGraphComposite();
  tlp::GlLayer* layer = getScene()->getLayer("Main");
  if (!plain || composite == nullptr || layer == nullptr)
    return;
  flatDrawing = new FlatMapDrawing(composite);
  plainComposite = composite;
  composite->setVisible(false);
  layer->addGlEntity(flatDrawing, "flat map");
  requestDraw();
}

bool MapGlWidget::hasPlainLines() {
  return flatDrawing != nullptr && getScene()->getGlGraphComposite() == plainComposite;
}

void MapGlWidget::dropFlatDrawing() {
  if (flatDrawing == nullptr)
    return;
  if (hasPlainLines())
    plainComposite->setVisible(true);
  if (tlp::GlLayer* layer = getScene()->getLayer("Main"))
    layer->deleteGlEntity(flatDrawing);
  delete flatDrawing;
  flatDrawing = nullptr;
  plainComposite = nullptr;
}

bool MapGlWidget::pickElement(int x, int y, tlp::SelectedEntity& picked, bool nodes, bool edges) {
  if (!hasPlainLines())
    return pickNodesEdges(x, y, picked, nullptr, nodes, edges);
  makeCurrent();
  const float pixelsPerUnit = MapProjection(getScene()->getGraphCamera()).pixelsPerUnit();
  if (!(pixelsPerUnit > 0))
    return false;
  const tlp::Coord at = MapNavigator::mapPointAt(this, QPointF(x, y));
  tlp::node station;
  tlp::edge line;
  if (!flatDrawing->pick(at, 1 / pixelsPerUnit, kPickPixels * devicePixelRatioF(), nodes, edges,
                         station, line))
    return false;
  tlp::Graph* graph = plainComposite->getGraph();
  picked = station.isValid() ? tlp::SelectedEntity(graph, station.id, tlp::SelectedEntity::NODE_SELECTED)
                             : tlp::SelectedEntity(graph, line.id, tlp::SelectedEntity::EDGE_SELECTED);
  return true;
}

void MapGlWidget::drawBackgroundOnly() {
  tlp::GlLayer* layer = getScene()->getLayer("Main");
  if (layer != nullptr)
    layer->setVisible(false);
  render(RenderScene);
  if (layer != nullptr)
    layer->setVisible(true);
  // A paint before the window is on screen is lost: wait for one after. The pause
  // lets this one reach the display server before the long drawing holds this
  // thread.
  const QWindow* shownIn = window()->windowHandle();
  if (shownIn == nullptr || !shownIn->isExposed()) {
    QTimer::singleShot(kScreenPause, this, [this] { update(); });
    return;
  }
  sceneDeferred = false;
  QTimer::singleShot(kScreenPause, this, &MapGlWidget::requestDraw);
}

void MapGlWidget::paintEvent(QPaintEvent*) {
  if (getScene()->getGlGraphComposite() == nullptr)
    return;
  // A new graph entity is drawn by the library.
  if (flatDrawing != nullptr && !hasPlainLines())
    dropFlatDrawing();
  // Without SwapBuffers the library does not ask for the next paint; the picture
  // reaches the screen when this paint ends. Without RenderScene it copies the
  // stored drawing, or draws anew when the size has changed.
  const QSize size = deviceSize(this);
  if (fitted && size != fittedSize) {
    getScene()->setViewport(0, 0, size.width(), size.height());
    MapNavigator::fit(this, false);
  }
  const QRect visible = visibleRegion().boundingRect();
  if (sceneDeferred) {
    drawBackgroundOnly();
    return;
  }
  RenderingOptions options;
  if (sceneChanged || visible != paintedArea)
    options |= RenderScene;
  sceneChanged = false;
  paintedArea = visible;
  render(options);
  if (options.testFlag(RenderScene))
    emit sceneDrawn();
}

bool pickElement(tlp::GlMainWidget* view, int x, int y, tlp::SelectedEntity& picked, bool nodes,
                 bool edges) {
  if (auto* mapView = qobject_cast<MapGlWidget*>(view))
    return mapView->pickElement(x, y, picked, nodes, edges);
  return view->pickNodesEdges(x, y, picked, nullptr, nodes, edges);
}

void requestDraw(tlp::GlMainWidget* view) {
  if (auto* mapView = qobject_cast<MapGlWidget*>(view))
    mapView->requestDraw();
  else
    view->draw(true);
}
