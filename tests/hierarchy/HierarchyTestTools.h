#ifndef TEXTFERRO_TESTS_HIERARCHYTESTTOOLS_H
#define TEXTFERRO_TESTS_HIERARCHYTESTTOOLS_H

// What a layout algorithm must leave untouched in the caller's graph: its nodes and
// edges with their ends, its properties, its subgraphs and its node sizes.

#include <tulip/Graph.h>
#include <tulip/SizeProperty.h>

#include <string>
#include <utility>
#include <vector>

struct GraphSnapshot {
  std::vector<tlp::node> nodes;
  std::vector<std::pair<tlp::node, tlp::node>> edgeEnds;
  std::vector<std::string> properties;
  unsigned int subGraphs = 0;
  std::vector<tlp::Size> sizes;

  explicit GraphSnapshot(tlp::Graph* graph) {
    nodes = graph->nodes();
    for (tlp::edge e : graph->edges())
      edgeEnds.push_back(graph->ends(e));
    for (const std::string& name : graph->getProperties())
      properties.push_back(name);
    subGraphs = graph->numberOfDescendantGraphs();
    if (graph->existProperty("viewSize"))
      for (tlp::node n : graph->nodes())
        sizes.push_back(graph->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n));
  }

  bool operator==(const GraphSnapshot& other) const {
    return nodes == other.nodes && edgeEnds == other.edgeEnds &&
           properties == other.properties && subGraphs == other.subGraphs &&
           sizes == other.sizes;
  }
};

#endif
