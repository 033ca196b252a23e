// The last step of the load: lays the cluster-flow graph out from left to right as a
// metro map and replaces the dummy chains by vanish edges.

#include "clusterflow/GenClusterMap.h"

#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>

#include <iostream>

namespace {

const float kNodeSpacing = 1.5f;
const float kLayerSpacing = 2.5f;

} // namespace

std::vector<tlp::Coord> metroBends(tlp::Coord source, tlp::Coord target) {
  source.setZ(0);
  target.setZ(0);
  const tlp::Coord d = target - source;
  const tlp::Coord base(d.getX() / 3.f, d.getY() / 6.f, 0);
  return {source + base, target - base};
}

void subwayLayout(tlp::Graph* splitMergeGraph) {
  // The graph library refuses to run a layout on an empty graph; an empty map needs none.
  if (splitMergeGraph->isEmpty())
    return;

  tlp::DataSet parameters;
  parameters.set("node spacing", kNodeSpacing);
  parameters.set("layer spacing", kLayerSpacing);

  tlp::LayoutProperty layout(splitMergeGraph);
  std::string errorMessage;
  if (!splitMergeGraph->applyPropertyAlgorithm("Hierarchical Graph", &layout, errorMessage,
                                                &parameters)) {
    std::cerr << "Could not layout graph " << std::endl << errorMessage << std::endl;
    return;
  }

  auto* viewLayout = splitMergeGraph->getLocalProperty<tlp::LayoutProperty>("viewLayout");
  for (tlp::node n : splitMergeGraph->nodes())
    viewLayout->setNodeValue(n, layout.getNodeValue(n));

  deleteDummyAndReconnect(splitMergeGraph);
  // The deletions renew the graph's property objects.
  viewLayout = splitMergeGraph->getLocalProperty<tlp::LayoutProperty>("viewLayout");
  compactColumns(splitMergeGraph, viewLayout, kNodeSpacing);

  for (tlp::edge e : splitMergeGraph->edges()) {
    const auto& [source, target] = splitMergeGraph->ends(e);
    viewLayout->setEdgeValue(
        e, metroBends(viewLayout->getNodeValue(source), viewLayout->getNodeValue(target)));
  }
}
