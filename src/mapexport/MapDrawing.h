#ifndef TEXTFERRO_MAPDRAWING_H
#define TEXTFERRO_MAPDRAWING_H

// The visible content of a laid-out cluster-flow graph as plain geometry in map
// units (y pointing up, as in the graph): station discs, edge curves and station
// labels. Painting is left to MapPainter, so that what is drawn can be checked
// without a paint device.

#include <tulip/Color.h>
#include <tulip/Coord.h>

#include <string>
#include <vector>

namespace tlp {
class Graph;
}

struct MapDisc {
  tlp::Coord centre;
  float radius = 0;
  tlp::Color fill;
  tlp::Color border;
  double borderWidth = 0; // in pixels of the map view, as "viewBorderWidth" gives it
};

struct MapCurve {
  std::vector<tlp::Coord> points; // the curve, sampled densely enough to draw as a polyline
  tlp::Color colour;
  float width = 0;
};

struct MapLabel {
  std::string text;
  tlp::Coord anchor; // centre of the station
  float stationRadius = 0;
  bool below = false;
};

struct MapDrawing {
  std::vector<MapCurve> curves;
  std::vector<MapDisc> discs;
  std::vector<MapLabel> labels;
  tlp::Coord min, max; // bounds of discs and curves; equal when the map is empty

  bool empty() const { return discs.empty() && curves.empty(); }
};

// Collects the visible stations, edges and labels of `graph` from its view
// properties. Transparent or zero-sized elements are left out; an edge of
// shape 8 is the Catmull-Rom curve from its source through its bends to its
// target, as the map view draws it.
MapDrawing collectMapDrawing(tlp::Graph* graph);

#endif
