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

class MapGlWidget : public tlp::GlMainWidget {
  Q_OBJECT

public:
  explicit MapGlWidget(QWidget* parent = nullptr);

  // Draws the scene anew at the next paint; requests made before it make one drawing.
  void requestDraw();

  // While the whole map is fitted into the view (until the user zooms or pans),
  // the next paint at another size fits it again: the first fit happens before the
  // window has its size, and a fitted map stays whole when the window changes.
  void setFitted(bool isFitted);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QRect paintedArea;
  bool sceneChanged = true;
  bool fitted = false;
  QSize fittedSize;
};

// requestDraw() for our views; an immediate draw for any other graph view.
void requestDraw(tlp::GlMainWidget* view);

#endif
