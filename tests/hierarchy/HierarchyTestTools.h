#ifndef TEXTFERRO_TESTS_HIERARCHYTESTTOOLS_H
#define TEXTFERRO_TESTS_HIERARCHYTESTTOOLS_H

// What a layout algorithm must leave untouched in the caller's graph: its nodes and
// edges with their ends and order around each node, its properties, its subgraphs
// and its node sizes.

#include <tulip/Graph.h>
#include <tulip/SizeProperty.h>

#include <tuple>
#include <vector>

inline auto snapshot(tlp::Graph* g) {
  std::vector<std::pair<tlp::node, tlp::node>> ends;
  std::vector<std::vector<tlp::edge>> stars;
  std::vector<tlp::Size> sizes;
  for (tlp::edge e : g->edges())
    ends.push_back(g->ends(e));
  for (tlp::node n : g->nodes()) {
    stars.push_back(g->allEdges(n));
    if (g->existProperty("viewSize"))
      sizes.push_back(g->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n));
  }
  return std::make_tuple(g->nodes(), g->edges(), ends, stars,
                         tlp::iteratorVector(g->getProperties()), sizes,
                         g->numberOfDescendantGraphs());
}

#endif
