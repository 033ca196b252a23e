#ifndef TEXTFERRO_TESTS_HIERARCHYTESTTOOLS_H
#define TEXTFERRO_TESTS_HIERARCHYTESTTOOLS_H

// What a layout algorithm must leave untouched in the caller's graph: its nodes and
// edges with their ends and order around each node, its properties, its subgraphs
// and its node sizes.

#include <tulip/Graph.h>
#include <tulip/SizeProperty.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

struct GraphSnapshot {
  std::vector<tlp::node> nodes;
  std::vector<tlp::edge> edges;
  std::vector<std::pair<tlp::node, tlp::node>> ends;
  std::vector<std::vector<tlp::edge>> stars;
  std::vector<std::string> properties;
  std::vector<tlp::Size> sizes;
  unsigned int subGraphs;

  explicit GraphSnapshot(tlp::Graph* g)
      : nodes(g->nodes()), edges(g->edges()), subGraphs(g->numberOfDescendantGraphs()) {
    for (tlp::edge e : edges)
      ends.push_back(g->ends(e));
    for (tlp::node n : nodes)
      stars.push_back(g->allEdges(n));
    for (const std::string& name : g->getProperties())
      properties.push_back(name);
    if (g->existProperty("viewSize"))
      for (tlp::node n : nodes)
        sizes.push_back(g->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n));
  }

  bool operator==(const GraphSnapshot& o) const {
    return std::tie(nodes, edges, ends, stars, properties, sizes, subGraphs) ==
           std::tie(o.nodes, o.edges, o.ends, o.stars, o.properties, o.sizes, o.subGraphs);
  }
};

#endif
