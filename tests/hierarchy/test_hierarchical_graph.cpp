// "Hierarchical Graph", the layered layout: its phases on graphs of the test's own
// and the whole layout run by name.

#include "HierarchyTestTools.h"
#include "hierarchy/HierarchicalGraph.h"

#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>
#include <tulip/PluginLister.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>
#include <tulip/TreeTest.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

using Edges = std::vector<std::pair<int, int>>;

// Edges given as pairs of node indices; node i gets size(i), unit nodes by default.
std::unique_ptr<tlp::Graph> makeGraph(unsigned int count, const Edges& edges,
                                      tlp::Size (*size)(unsigned int) = nullptr) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  std::vector<tlp::node> n;
  g->addNodes(count, n);
  for (const auto& [s, t] : edges)
    g->addEdge(n[s], n[t]);
  for (unsigned int i = 0; i < count; ++i)
    g->getProperty<tlp::SizeProperty>("viewSize")->setNodeValue(
        n[i], size ? size(i) : tlp::Size(1, 1, 1));
  return g;
}

// The layout's phases run on a graph of the test's own, with `embedding` as the
// run would set it up.
struct Phases {
  std::unique_ptr<tlp::Graph> g;
  std::vector<tlp::node> n;
  tlp::DoubleProperty embedding;
  std::unique_ptr<HierarchicalGraph> layout;

  Phases(unsigned int count, const Edges& edges)
      : g(makeGraph(count, edges)), n(g->nodes()), embedding(g.get()) {
    tlp::AlgorithmContext context(g.get(), nullptr, nullptr);
    layout = std::make_unique<HierarchicalGraph>(&context);
    layout->embedding = &embedding;
    layout->lessNode.metric = &embedding;
  }
  void buildAndReduce() {
    layout->buildGrid(g.get());
    layout->crossReduction(g.get());
  }
};

// Lays g out; an empty orientation passes no data set at all.
tlp::LayoutProperty* layOut(tlp::Graph* g, const std::string& orientation) {
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  tlp::DataSet parameters;
  tlp::StringCollection choice("horizontal;vertical;");
  choice.setCurrent(orientation);
  parameters.set("orientation", choice);
  std::string error;
  EXPECT_TRUE(g->applyPropertyAlgorithm("Hierarchical Graph", result, error,
                                        orientation.empty() ? nullptr : &parameters))
      << error;
  return result;
}

// A graph with a bit of everything: a cycle, a self loop, parallel edges, long
// edges, a second component and an isolated node.
std::unique_ptr<tlp::Graph> mixedGraph(tlp::Size (*size)(unsigned int)) {
  return makeGraph(
      9, {{0, 1}, {1, 2}, {2, 3}, {0, 3}, {3, 1}, {2, 2}, {1, 2}, {0, 2}, {5, 6}, {6, 7}, {5, 7}},
      size);
}

tlp::Size oblong(unsigned int i) { return tlp::Size(1.f + i, 2.f + 2 * i, 1.f); }

TEST(HierarchicalGraphGrid, EdgelessGraphIsOneLayerInNodeOrderAndACycleIsRefused) {
  Phases phases(4, {});
  phases.layout->buildGrid(phases.g.get());
  ASSERT_EQ(phases.layout->grid, std::vector<std::vector<tlp::node>>{phases.n});
  for (unsigned int i = 0; i < phases.n.size(); ++i)
    EXPECT_EQ(phases.embedding.getNodeValue(phases.n[i]), i);
  // The sink gets a layer of its own and is gone from the graph afterwards.
  phases.layout->crossReduction(phases.g.get());
  ASSERT_EQ(phases.layout->grid.size(), 2u);
  EXPECT_EQ(phases.layout->grid[0], phases.n);
  ASSERT_EQ(phases.layout->grid[1].size(), 1u);
  EXPECT_FALSE(phases.g->isElement(phases.layout->grid[1][0]));
  EXPECT_EQ(phases.g->numberOfNodes(), 4u);

  Phases cycle(2, {{0, 1}, {1, 0}});
  testing::internal::CaptureStderr();
  cycle.layout->buildGrid(cycle.g.get());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("The Graph must be a acylic"),
            std::string::npos);
  EXPECT_TRUE(cycle.layout->grid.empty());
}

TEST(HierarchicalGraphCrossings, SweepsUntangleACrossingAndKeepEqualBarycentresInOrder) {
  // r -> a -> d, r -> b -> c, plus a -> c (not a tree) and r -> d.
  Phases phases(5, {{0, 1}, {0, 2}, {1, 4}, {2, 3}, {1, 3}, {0, 4}});
  phases.buildAndReduce();
  auto position = [&](int i) { return phases.embedding.getNodeValue(phases.n[i]); };
  EXPECT_EQ(position(1) < position(2), position(4) < position(3));
  EXPECT_EQ(phases.g->numberOfNodes(), 5u);
  EXPECT_EQ(phases.g->numberOfEdges(), 6u);

  // Forty siblings with the same parent and child get the same depth number and
  // then barycentres in their order; only a stable sort keeps them in node order.
  Edges edges;
  for (int i = 1; i <= 40; ++i)
    edges.insert(edges.end(), {{0, i}, {i, 41}});
  Phases siblings(42, edges);
  siblings.buildAndReduce();
  EXPECT_EQ(siblings.layout->grid.at(1),
            std::vector<tlp::node>(siblings.n.begin() + 1, siblings.n.end() - 1));
}

TEST(HierarchicalGraphSpanningTree, TheMedianParentKeepsItsEdge) {
  // Root 0, parents 1..3 in embedding order, 4 has two parents and 5 three; in-edges
  // listed against the order of their sources, so that order alone cannot give the answer.
  Phases phases(6, {{0, 1}, {0, 2}, {0, 3}, {2, 4}, {1, 4}, {3, 5}, {2, 5}, {1, 5}});
  const auto& n = phases.n;
  for (int p = 1; p <= 3; ++p)
    phases.embedding.setNodeValue(n[p], p);
  const tlp::edge kept = phases.g->edges()[6];
  phases.layout->DagLevelSpanningTree(phases.g.get(), &phases.embedding);
  EXPECT_TRUE(tlp::TreeTest::isTree(phases.g.get()));
  ASSERT_EQ(phases.g->indeg(n[4]), 1u);
  EXPECT_EQ(phases.g->getInNode(n[4], 1), n[2]); // upper of the two middle ones
  ASSERT_EQ(phases.g->indeg(n[5]), 1u);
  EXPECT_TRUE(phases.g->isElement(kept));
}

TEST(HierarchicalGraphLayout, AForestIsPlacedInEdgeOrderWithoutCrossingReduction) {
  auto g = makeGraph(6, {{0, 1}, {0, 2}, {0, 3}, {4, 5}});
  const auto n = g->nodes();
  const auto e = g->edges();
  g->setEdgeOrder(n[0], {e[2], e[0], e[1]});
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  auto at = [&](int i) { return layout->getNodeValue(n[i]); };
  EXPECT_LT(at(3).getX(), at(1).getX());
  EXPECT_LT(at(1).getX(), at(2).getX());
  for (int child : {1, 2, 3})
    EXPECT_FLOAT_EQ(at(child).getY(), at(0).getY() - 64);
  EXPECT_FLOAT_EQ(at(4).getY(), at(0).getY());
  for (tlp::edge edge : e)
    EXPECT_EQ(layout->getEdgeValue(edge).size(), 2u);
}

TEST(HierarchicalGraphLayout, ACycleIsDrawnWithItsEdgeTurnedBackToItsDirection) {
  auto g = makeGraph(3, {{0, 1}, {1, 2}, {2, 0}});
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  int upwards = 0;
  for (tlp::edge e : g->edges()) {
    const float s = layout->getNodeValue(g->source(e)).getY();
    const float t = layout->getNodeValue(g->target(e)).getY();
    const std::vector<tlp::Coord>& bends = layout->getEdgeValue(e);
    ASSERT_GE(bends.size(), 2u);
    const float down = s < t ? -1 : 1; // against the layer order, which runs down
    upwards += s < t;
    EXPECT_LT(down * bends.front().getY(), down * s);
    EXPECT_GT(down * bends.back().getY(), down * t);
  }
  EXPECT_EQ(upwards, 1);
}

TEST(HierarchicalGraphLayout, LongEdgesGetFourBendsShortEdgesTwoAndSelfLoopsTwoBelow) {
  auto g = makeGraph(4, {{0, 1}, {1, 2}, {2, 3}, {0, 2}, {0, 3}, {3, 3}});
  const auto n = g->nodes();
  const auto e = g->edges();
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  // Unit nodes: the ends lie a quarter layer spacing plus half a node beyond the node.
  const float off = 64.f / 4 + 0.5f;
  auto y = [&](int i) { return layout->getNodeValue(n[i]).getY(); };
  for (int i = 1; i < 4; ++i)
    EXPECT_FLOAT_EQ(y(i), y(0) - 64 * i);

  auto ys = [&](tlp::edge edge) {
    std::vector<float> result;
    for (const tlp::Coord& c : layout->getEdgeValue(edge))
      result.push_back(c.getY());
    return result;
  };
  EXPECT_EQ(ys(e[0]), (std::vector<float>{y(0) - off, y(1) + off}));
  EXPECT_FLOAT_EQ(layout->getEdgeValue(e[0])[1].getX(), layout->getNodeValue(n[1]).getX());
  EXPECT_EQ(ys(e[3]), (std::vector<float>{y(0) - off, y(1) + off, y(1) - off, y(2) + off}));
  EXPECT_FLOAT_EQ(layout->getEdgeValue(e[3])[1].getX(), layout->getEdgeValue(e[3])[2].getX());
  EXPECT_EQ(ys(e[4]), (std::vector<float>{y(0) - off, y(1) + off, y(2) - off, y(3) + off}));
  // The self loop passes through its two substitute nodes one and two levels below.
  EXPECT_EQ(ys(e[5]), (std::vector<float>{y(3) - 64, y(3) - 128}));
  EXPECT_EQ(g->numberOfNodes(), 4u);
}

TEST(HierarchicalGraphLayout, HorizontalIsTheVerticalDrawingTurnedAndIsTheDefault) {
  // Square nodes, so that the exchange of width and height changes nothing.
  auto g = mixedGraph([](unsigned int) { return tlp::Size(2, 2, 1); });
  tlp::LayoutProperty vertical(g.get());
  vertical = *layOut(g.get(), "vertical");
  tlp::LayoutProperty* horizontal = layOut(g.get(), "horizontal");
  auto turned = [](const tlp::Coord& c) { return tlp::Coord(-c.getY(), -c.getX(), c.getZ()); };
  for (tlp::node n : g->nodes())
    EXPECT_EQ(horizontal->getNodeValue(n), turned(vertical.getNodeValue(n)));
  for (tlp::edge e : g->edges()) {
    std::vector<tlp::Coord> v = vertical.getEdgeValue(e);
    std::transform(v.begin(), v.end(), v.begin(), turned);
    EXPECT_EQ(horizontal->getEdgeValue(e), v);
  }
  tlp::LayoutProperty turnedLayout(g.get());
  turnedLayout = *horizontal;
  const tlp::LayoutProperty* byDefault = layOut(g.get(), "");
  for (tlp::node n : g->nodes())
    EXPECT_EQ(byDefault->getNodeValue(n), turnedLayout.getNodeValue(n));
}

TEST(HierarchicalGraphLayout, TheLevelsShareTheirFarEdgeWhateverTheNodeSizes) {
  auto g = makeGraph(6, {{0, 1}, {1, 2}, {3, 4}, {4, 5}, {0, 4}},
                     [](unsigned int i) { return tlp::Size(1.f + 3 * i, 2.f + i, 1.f); });
  const tlp::LayoutProperty* layout = layOut(g.get(), "horizontal");
  auto right = [&](int i) {
    const tlp::node n = g->nodes()[i];
    return layout->getNodeValue(n).getX() +
           g->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n).getW() / 2;
  };
  for (int level = 0; level < 3; ++level)
    EXPECT_FLOAT_EQ(right(level), right(level + 3)) << level;
  EXPECT_LT(right(0), right(1));
  EXPECT_LT(right(1), right(2));
}

TEST(HierarchicalGraphLayout, TheGraphIsLeftExactlyAsItWas) {
  // The mixed graph, random multigraphs with loops, and small graphs at the edges:
  // one node, one loop, a two-cycle, parallel edges only.
  std::vector<std::unique_ptr<tlp::Graph>> graphs;
  graphs.push_back(mixedGraph(oblong));
  std::mt19937 random(1);
  for (int i = 0; i < 11; ++i) {
    Edges edges;
    for (int k = 0; k < 70; ++k)
      edges.emplace_back(random() % 30, random() % 30);
    graphs.push_back(makeGraph(30, edges, [](unsigned int) {
      static std::mt19937 sizes(2);
      return tlp::Size(1.f + sizes() % 5, 1.f + sizes() % 3, 1.f);
    }));
  }
  graphs.push_back(makeGraph(1, {}));
  graphs.push_back(makeGraph(2, {{0, 0}}));
  graphs.push_back(makeGraph(2, {{0, 1}, {1, 0}}));
  graphs.push_back(makeGraph(2, {{0, 1}, {0, 1}}));
  for (unsigned int i = 0; i < graphs.size(); ++i) {
    tlp::Graph* g = graphs[i].get();
    g->getLocalProperty<tlp::LayoutProperty>("result");
    const GraphSnapshot before(g);
    layOut(g, i % 2 ? "horizontal" : "vertical");
    EXPECT_TRUE(GraphSnapshot(g) == before) << i;
  }

  // Bends already in the result are not taken for long edges.
  auto g = makeGraph(2, {{0, 1}});
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  const tlp::edge e = g->edges()[0];
  result->setEdgeValue(e, {tlp::Coord(5, 5, 0), tlp::Coord(7, 7, 0)});
  layOut(g.get(), "vertical");
  EXPECT_EQ(result->getEdgeValue(e).size(), 2u);
}

TEST(HierarchicalGraphPlugin, IsFoundByNameWithItsParametersAndDependencies) {
  ASSERT_TRUE(tlp::PluginLister::pluginExists("Hierarchical Graph"));
  std::vector<std::string> names;
  for (const tlp::ParameterDescription& p :
       tlp::PluginLister::getPluginParameters("Hierarchical Graph").getParameters())
    if (p.getDirection() == tlp::IN_PARAM)
      names.push_back(p.getName());
  EXPECT_EQ(names, (std::vector<std::string>{"node size", "orientation", "layer spacing",
                                             "node spacing"}));
  std::vector<std::pair<std::string, std::string>> dependencies;
  for (const tlp::Dependency& d : tlp::PluginLister::getPluginDependencies("Hierarchical Graph"))
    dependencies.emplace_back(d.pluginName, d.pluginRelease);
  EXPECT_EQ(dependencies, (std::vector<std::pair<std::string, std::string>>{
                              {"Dag Level", "1.0"}, {"Hierarchical Tree (R-T Extended)", "1.0"}}));
}

} // namespace
