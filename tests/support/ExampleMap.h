#ifndef TEXTFERRO_TESTS_EXAMPLEMAP_H
#define TEXTFERRO_TESTS_EXAMPLEMAP_H

// The bundled example loaded the way the program loads it, and where its
// stations land on the screen of a map view.

#include "clusterflow/GenClusterMap.h"
#include "support/Programs.h"

#include <tulip/Camera.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>

#include <QByteArray>
#include <QPoint>
#include <QVector>

#include <cmath>
#include <vector>

// Loads the bundled example as the program does; the published graph or null.
inline tlp::Graph* loadExample() {
  QVector<QByteArray> arguments{"textferro"};
  for (const QString& argument : exampleArguments())
    arguments << argument.toLocal8Bit();
  std::vector<char*> argv;
  for (QByteArray& argument : arguments)
    argv.push_back(argument.data());
  return loadFiles(static_cast<int>(argv.size()), argv.data(), false) == 0 ? getClusterFlowGraph()
                                                                           : nullptr;
}

// Where the map point `place` lands in view's widget coordinates.
inline QPoint projected(tlp::GlMainWidget* view, const tlp::Coord& place) {
  const tlp::Coord p = view->getScene()->getGraphCamera().worldTo2DViewport(place);
  return QPoint(std::lround(p[0]), view->height() - std::lround(p[1]));
}

// Where the centre of n (moved by dx along x) lands in view's widget coordinates.
inline QPoint projectedCentre(tlp::GlMainWidget* view, tlp::Graph* graph, tlp::node n,
                              float dx = 0.0f) {
  tlp::Coord place = graph->getProperty<tlp::LayoutProperty>("viewLayout")->getNodeValue(n);
  place[0] += dx;
  return projected(view, place);
}

#endif
