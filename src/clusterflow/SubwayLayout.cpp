// The last step of the load: lays the cluster-flow graph out from left to right as a
// metro map and replaces the dummy chains by vanish edges.

#include "clusterflow/GenClusterMap.h"
#include "hierarchy/HierarchicalGraph.h"

#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>

#include <iostream>

namespace {

// Where "Hierarchical Graph" puts each node, in the graph's node order. The map
// replaces every edge's bends, so the positions are taken from the layout engine
// directly, which spares the millions of bends that the plug-in would compute and
// store for the dummy chains; a graph that the engine cannot draw that way goes
// through the plug-in. Empty when the layout fails.
std::vector<tlp::Coord> nodePositions(tlp::Graph* graph, tlp::DataSet parameters) {
  std::vector<tlp::Coord> positions;
  const std::vector<tlp::node>& nodes = graph->nodes();
  // Named, the result keeps the algorithm from adding a property of its own.
  tlp::LayoutProperty layout(graph);
  parameters.set("result", &layout);
  tlp::AlgorithmContext context(graph, &parameters, nullptr);
  if (!HierarchicalGraph(&context).nodePositions(positions, reportStageProgress)) {
    std::string errorMessage;
    if (!graph->applyPropertyAlgorithm("Hierarchical Graph", &layout, errorMessage, &parameters)) {
      std::cerr << "Could not layout graph " << std::endl << errorMessage << std::endl;
      return {};
    }
    positions.clear();
    for (tlp::node n : nodes)
      positions.push_back(layout.getNodeValue(n));
  }
  return positions;
}

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
  parameters.set("node spacing", kMapNodeSpacing);
  parameters.set("layer spacing", kMapLayerSpacing);

  // Shares of the stage, from a run of the 100,000-station benchmark set.
  setStageShare(0, 0.55);
  const std::vector<tlp::Coord> positions = nodePositions(splitMergeGraph, parameters);
  if (positions.empty())
    return;
  auto* viewLayout = splitMergeGraph->getLocalProperty<tlp::LayoutProperty>("viewLayout");
  const std::vector<tlp::node>& nodes = splitMergeGraph->nodes();
  for (unsigned int i = 0; i < nodes.size(); ++i)
    viewLayout->setNodeValue(nodes[i], positions[i]);

  setStageShare(0.55, 0.8);
  deleteDummyAndReconnect(splitMergeGraph);
  // The deletions renew the graph's property objects.
  viewLayout = splitMergeGraph->getLocalProperty<tlp::LayoutProperty>("viewLayout");
  setStageShare(0.8, 0.9);
  compactColumns(splitMergeGraph, viewLayout, kMapNodeSpacing);
  reportStageProgress(1, 1);
  setStageShare(0.9, 1);

  bendEdges(splitMergeGraph, viewLayout);
}

void bendEdges(tlp::Graph* graph, tlp::LayoutProperty* viewLayout) {
  // Read once per node: after the deletions the layout keeps its few node values in a
  // hash table, and every edge would look up both ends there.
  std::vector<tlp::Coord> at;
  at.reserve(graph->numberOfNodes());
  for (tlp::node n : graph->nodes())
    at.push_back(viewLayout->getNodeValue(n));
  const std::vector<tlp::edge>& edges = graph->edges();
  for (std::size_t i = 0; i < edges.size(); ++i) {
    reportStageProgress(i, edges.size());
    const tlp::edge e = edges[i];
    const auto& [source, target] = graph->ends(e);
    viewLayout->setEdgeValue(e, metroBends(at[graph->nodePos(source)], at[graph->nodePos(target)]));
  }
}
