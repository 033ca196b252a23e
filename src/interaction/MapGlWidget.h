#ifndef TEXTFERRO_MAPGLWIDGET_H
#define TEXTFERRO_MAPGLWIDGET_H

// The OpenGL graph view of the map and of the detail window. It draws only when
// something changed: the library's own paint handler asks for another paint at the
// end of every paint, which kept the view (and the software renderer's threads)
// drawing for as long as the window was open. Changes of the graph or of the camera
// are announced with requestDraw(); a change of size or of the visible area redraws
// by itself. A view that shows no graph yet paints nothing, since the library cannot
// paint a scene without a graph.

#include <QRect>
#include <QSize>

#include <tulip/GlMainWidget.h>

#include <memory>

namespace tlp {
class IntegerProperty;
}

class MapGlWidget : public tlp::GlMainWidget {
  Q_OBJECT

public:
  explicit MapGlWidget(QWidget* parent = nullptr);
  ~MapGlWidget() override;

  // Draws the scene anew at the next paint; requests made before it make one drawing.
  void requestDraw();

  // While the whole map is fitted into the view (until the user zooms or pans),
  // the next paint at another size fits it again: the first fit happens before the
  // window has its size, and a fitted map stays whole when the window changes.
  void setFitted(bool isFitted);

  // The next paint draws the background only and asks for the scene right after,
  // so that the window around a map that takes long to draw (frame, menu, status
  // bar) reaches the screen first. sceneDrawn() tells when the map is there.
  void deferSceneDrawing();

  // With plain lines the view draws every edge of the shown graph as straight
  // segments through its bends, whatever shape the graph gives it; the graph keeps
  // its shapes. The library keeps a few hundred points per curved edge in its
  // vertex arrays, gigabytes on a map of 100,000 stations, where the lines are a
  // few pixels long and look the same either way. Call it after the graph is in
  // the view; a new graph entity draws the graph's shapes again. The shown graph
  // must outlive the view (or be replaced in it) while its lines are plain.
  void setPlainLines(bool plain);
  bool hasPlainLines();

signals:
  // After a paint that drew the scene anew.
  void sceneDrawn();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void drawBackgroundOnly();
  void restoreGraphShapes();

  QRect paintedArea;
  bool sceneChanged = true;
  bool fitted = false;
  bool sceneDeferred = false;
  QSize fittedSize;
  // The shapes drawn in place of the graph's own, and the graph entity drawing them.
  std::unique_ptr<tlp::IntegerProperty> plainShapes;
  tlp::GlGraphComposite* plainComposite = nullptr;
};

// requestDraw() for our views; an immediate draw for any other graph view.
void requestDraw(tlp::GlMainWidget* view);

#endif
