#include "interaction/MapGlWidget.h"

#include "interaction/MapNavigator.h"

#include <tulip/GlScene.h>

MapGlWidget::MapGlWidget(QWidget* parent) : tlp::GlMainWidget(parent) {}

void MapGlWidget::requestDraw() {
  sceneChanged = true;
  update();
}

namespace {

QSize deviceSize(const QWidget* widget) {
  return widget->size() * widget->devicePixelRatioF();
}

} // namespace

void MapGlWidget::setFitted(bool isFitted) {
  fitted = isFitted;
  fittedSize = isFitted ? QSize(getScene()->getViewport()[2], getScene()->getViewport()[3]) : QSize();
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
    MapNavigator::fit(this);
  }
  const QRect visible = visibleRegion().boundingRect();
  RenderingOptions options;
  if (sceneChanged || visible != paintedArea)
    options |= RenderScene;
  sceneChanged = false;
  paintedArea = visible;
  render(options);
}

void requestDraw(tlp::GlMainWidget* view) {
  if (auto* mapView = qobject_cast<MapGlWidget*>(view))
    mapView->requestDraw();
  else
    view->draw(true);
}
