#include "mapexport/MapDrawing.h"

#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/ParametricCurves.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>
#include <tulip/TulipViewSettings.h>

#include <algorithm>

namespace {

// Samples per stretch between two control points: smooth at any export size.
constexpr unsigned kSamplesPerStretch = 16;
// Width of every line, in map units: a quarter of an ordinary station.
constexpr float kLineWidth = 0.125f;

bool visible(const tlp::Color& fill, const tlp::Color& border) {
  return fill.getA() > 0 || border.getA() > 0;
}

void extend(MapDrawing& drawing, const tlp::Coord& point, float pad, bool& first) {
  const tlp::Coord low(point.x() - pad, point.y() - pad, 0);
  const tlp::Coord high(point.x() + pad, point.y() + pad, 0);
  if (first) {
    drawing.min = low;
    drawing.max = high;
    first = false;
    return;
  }
  drawing.min = tlp::Coord(std::min(drawing.min.x(), low.x()), std::min(drawing.min.y(), low.y()), 0);
  drawing.max = tlp::Coord(std::max(drawing.max.x(), high.x()), std::max(drawing.max.y(), high.y()), 0);
}

float radiusOf(const tlp::Size& size) {
  return std::min(size.getW(), size.getH()) / 2.f;
}

} // namespace

MapDrawing collectMapDrawing(tlp::Graph* graph) {
  MapDrawing drawing;
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
  auto* colours = graph->getProperty<tlp::ColorProperty>("viewColor");
  auto* borders = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
  auto* borderWidths = graph->getProperty<tlp::DoubleProperty>("viewBorderWidth");
  auto* shapes = graph->getProperty<tlp::IntegerProperty>("viewShape");
  auto* labels = graph->getProperty<tlp::StringProperty>("viewLabel");
  auto* labelPositions = graph->getProperty<tlp::IntegerProperty>("viewLabelPosition");
  bool first = true;

  for (tlp::edge e : graph->edges()) {
    const tlp::Color colour = colours->getEdgeValue(e);
    if (colour.getA() == 0)
      continue;
    const auto ends = graph->ends(e);
    std::vector<tlp::Coord> control{layout->getNodeValue(ends.first)};
    for (const tlp::Coord& bend : layout->getEdgeValue(e))
      control.push_back(bend);
    control.push_back(layout->getNodeValue(ends.second));
    for (tlp::Coord& point : control)
      point.setZ(0);

    MapCurve curve;
    curve.colour = colour;
    curve.width = kLineWidth;
    if (shapes->getEdgeValue(e) == tlp::EdgeShape::CatmullRomCurve && control.size() > 2)
      tlp::computeCatmullRomPoints(control, curve.points, false,
                                   kSamplesPerStretch * (control.size() - 1));
    else
      curve.points = control;
    for (const tlp::Coord& point : curve.points)
      extend(drawing, point, kLineWidth / 2, first);
    drawing.curves.push_back(std::move(curve));
  }

  for (tlp::node n : graph->nodes()) {
    const float radius = radiusOf(sizes->getNodeValue(n));
    const tlp::Color fill = colours->getNodeValue(n);
    const tlp::Color border = borders->getNodeValue(n);
    if (radius <= 0 || !visible(fill, border))
      continue;
    MapDisc disc;
    disc.centre = layout->getNodeValue(n);
    disc.centre.setZ(0);
    disc.radius = radius;
    disc.fill = fill;
    disc.border = border;
    disc.borderWidth = borderWidths->getNodeValue(n);
    extend(drawing, disc.centre, radius, first);
    drawing.discs.push_back(disc);

    const std::string& text = labels->getNodeValue(n);
    if (!text.empty())
      drawing.labels.push_back({text, disc.centre, radius,
                                labelPositions->getNodeValue(n) == tlp::LabelPosition::Bottom});
  }
  return drawing;
}
