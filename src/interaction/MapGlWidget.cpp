#include "interaction/MapGlWidget.h"

#include "interaction/MapNavigator.h"

#include <QTimer>
#include <QWindow>

#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlLayer.h>
#include <tulip/GlScene.h>
#include <tulip/GlVertexArrayManager.h>
#include <tulip/IntegerProperty.h>
#include <tulip/TulipViewSettings.h>

MapGlWidget::MapGlWidget(QWidget* parent) : tlp::GlMainWidget(parent) {}

MapGlWidget::~MapGlWidget() {
  // The graph entity outlives this part of the view: leave it no pointer to the
  // shapes that go now.
  restoreGraphShapes();
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

// Makes the graph entity's vertex arrays follow its (new) shape property.
void useShapes(tlp::GlGraphInputData* input, tlp::IntegerProperty* shapes) {
  input->setElementShape(shapes);
  input->getGlVertexArrayManager()->setInputData(input);
  input->getGlVertexArrayManager()->setHaveToComputeAll(true);
}

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
  restoreGraphShapes();
  tlp::GlGraphComposite* composite = getScene()->getGlGraphComposite();
  if (!plain || composite == nullptr)
    return;
  tlp::GlGraphInputData* input = composite->getInputData();
  // Stations keep their glyphs; only the edges change. The copy is made once: the
  // map's shapes do not change while it is shown.
  plainShapes = std::make_unique<tlp::IntegerProperty>(input->getGraph());
  plainShapes->copy(input->getElementShape());
  plainShapes->setAllEdgeValue(tlp::EdgeShape::Polyline);
  plainComposite = composite;
  useShapes(input, plainShapes.get());
  requestDraw();
}

bool MapGlWidget::hasPlainLines() {
  return plainShapes != nullptr && getScene()->getGlGraphComposite() == plainComposite;
}

void MapGlWidget::restoreGraphShapes() {
  if (plainShapes == nullptr)
    return;
  if (hasPlainLines()) {
    tlp::GlGraphInputData* input = plainComposite->getInputData();
    useShapes(input, input->getGraph()->getProperty<tlp::IntegerProperty>("viewShape"));
  }
  plainShapes.reset();
  plainComposite = nullptr;
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

void requestDraw(tlp::GlMainWidget* view) {
  if (auto* mapView = qobject_cast<MapGlWidget*>(view))
    mapView->requestDraw();
  else
    view->draw(true);
}
