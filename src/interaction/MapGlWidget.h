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

class FlatMapDrawing;

namespace tlp {
class SelectedEntity;
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

  // With plain lines the view draws the shown graph itself (FlatMapDrawing), in
  // place of the library's graph entity: every edge as straight segments through
  // its bends, whatever shape the graph gives it (the graph keeps its shapes),
  // stations as discs. The library keeps a few hundred points per curved edge and
  // walks every element each frame: gigabytes and seconds per frame on a map of
  // 100,000 stations, where lines are a few pixels long and look the same either
  // way. Call it after the graph is in the view; a new graph entity is drawn by
  // the library again. The graph's layout and sizes must not change meanwhile.
  void setPlainLines(bool plain);
  bool hasPlainLines();

  // The station under the widget point (x, y), else the line, as the library's
  // pickNodesEdges finds them (which cannot see the lines drawn plain).
  bool pickElement(int x, int y, tlp::SelectedEntity& picked, bool nodes = true, bool edges = true);

signals:
  // After a paint that drew the scene anew.
  void sceneDrawn();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void drawBackgroundOnly();
  void dropFlatDrawing();

  QRect paintedArea;
  bool sceneChanged = true;
  bool fitted = false;
  bool sceneDeferred = false;
  QSize fittedSize;
  // The drawing in place of the graph entity's (in the layer "Main", owned by the
  // view) and the entity it stands for.
  FlatMapDrawing* flatDrawing = nullptr;
  tlp::GlGraphComposite* plainComposite = nullptr;
};

// requestDraw() for our views; an immediate draw for any other graph view.
void requestDraw(tlp::GlMainWidget* view);
// pickElement() for our views; the library's picking for any other graph view.
bool pickElement(tlp::GlMainWidget* view, int x, int y, tlp::SelectedEntity& picked,
                 bool nodes = true, bool edges = true);

#endif
