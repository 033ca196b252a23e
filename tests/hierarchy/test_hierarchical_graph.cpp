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

// A graph of `count` nodes, and the layout's phases run on it with `embedding` as
// the run would set it up.
struct Phases {
  std::unique_ptr<tlp::Graph> g{tlp::newGraph()};
  std::vector<tlp::node> n;
  tlp::DoubleProperty embedding{g.get()};
  std::unique_ptr<HierarchicalGraph> layout;

  explicit Phases(unsigned int count) {
    g->addNodes(count, n);
    tlp::AlgorithmContext context(g.get(), nullptr, nullptr);
    layout = std::make_unique<HierarchicalGraph>(&context);
    layout->embedding = &embedding;
    layout->lessNode.metric = &embedding;
  }
  void buildAndReduce() {
    layout->buildGrid(g.get());
    layout->crossReduction(g.get());
  }
  std::vector<tlp::node> layer(unsigned int i) const { return layout->grid.at(i); }
};

// Lays g out; an empty orientation passes no data set at all.
tlp::LayoutProperty* layOut(tlp::Graph* g, const std::string& orientation) {
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  tlp::DataSet parameters;
  tlp::StringCollection choice("horizontal;vertical;");
  if (!orientation.empty()) {
    choice.setCurrent(orientation);
    parameters.set("orientation", choice);
  }
  std::string error;
  EXPECT_TRUE(g->applyPropertyAlgorithm("Hierarchical Graph", result, error,
                                        orientation.empty() ? nullptr : &parameters))
      << error;
  return result;
}

// Edges given as pairs of node indices; nodes get sizes w_i x h_i from `size`.
std::unique_ptr<tlp::Graph> makeGraph(unsigned int count,
                                      const std::vector<std::pair<int, int>>& edges,
                                      tlp::Size (*size)(unsigned int) = nullptr) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  std::vector<tlp::node> n;
  g->addNodes(count, n);
  for (const auto& [s, t] : edges)
    g->addEdge(n[s], n[t]);
  auto* sizes = g->getProperty<tlp::SizeProperty>("viewSize");
  for (unsigned int i = 0; i < count; ++i)
    sizes->setNodeValue(n[i], size ? size(i) : tlp::Size(1, 1, 1));
  return g;
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
  Phases phases(4);
  phases.layout->buildGrid(phases.g.get());
  ASSERT_EQ(phases.layout->grid.size(), 1u);
  EXPECT_EQ(phases.layer(0), phases.n);
  for (unsigned int i = 0; i < phases.n.size(); ++i)
    EXPECT_EQ(phases.embedding.getNodeValue(phases.n[i]), i);
  // The sink gets a layer of its own and is gone from the graph afterwards.
  phases.layout->crossReduction(phases.g.get());
  ASSERT_EQ(phases.layout->grid.size(), 2u);
  EXPECT_EQ(phases.layer(0), phases.n);
  ASSERT_EQ(phases.layer(1).size(), 1u);
  EXPECT_FALSE(phases.g->isElement(phases.layer(1)[0]));
  EXPECT_EQ(phases.g->numberOfNodes(), 4u);

  Phases cycle(2);
  cycle.g->addEdge(cycle.n[0], cycle.n[1]);
  cycle.g->addEdge(cycle.n[1], cycle.n[0]);
  testing::internal::CaptureStderr();
  cycle.layout->buildGrid(cycle.g.get());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[ERROR] : The Graph must be a acylicvoid HierarchicalGraph::buildGrid(tlp::Graph*)\n");
  EXPECT_TRUE(cycle.layout->grid.empty());
}

TEST(HierarchicalGraphCrossings, SweepsUntangleACrossingAndKeepEqualBarycentresInOrder) {
  // r -> a -> d, r -> b -> c, plus a -> c (not a tree) and r -> d.
  Phases phases(5);
  const auto& n = phases.n;
  const std::vector<std::pair<int, int>> edges{{0, 1}, {0, 2}, {1, 4}, {2, 3}, {1, 3}, {0, 4}};
  for (const auto& [s, t] : edges)
    phases.g->addEdge(n[s], n[t]);
  phases.buildAndReduce();
  auto position = [&](int i) { return phases.embedding.getNodeValue(n[i]); };
  EXPECT_EQ(position(1) < position(2), position(4) < position(3));
  EXPECT_EQ(phases.g->numberOfNodes(), 5u);
  EXPECT_EQ(phases.g->numberOfEdges(), 6u);

  // Forty siblings with the same parent and child get the same depth number and
  // then barycentres in their order; only a stable sort keeps them in node order.
  Phases siblings(42);
  for (unsigned int i = 1; i <= 40; ++i) {
    siblings.g->addEdge(siblings.n[0], siblings.n[i]);
    siblings.g->addEdge(siblings.n[i], siblings.n[41]);
  }
  siblings.buildAndReduce();
  EXPECT_EQ(siblings.layer(1),
            std::vector<tlp::node>(siblings.n.begin() + 1, siblings.n.end() - 1));
}

TEST(HierarchicalGraphSpanningTree, TheMedianParentKeepsItsEdge) {
  // Root 0, parents 1..3 in embedding order, 4 has two parents and 5 three.
  Phases phases(6);
  const auto& n = phases.n;
  for (int p = 1; p <= 3; ++p) {
    phases.g->addEdge(n[0], n[p]);
    phases.embedding.setNodeValue(n[p], p);
  }
  // In-edges listed against the order of their sources, so that order alone
  // cannot give the answer.
  phases.g->addEdge(n[2], n[4]);
  phases.g->addEdge(n[1], n[4]);
  phases.g->addEdge(n[3], n[5]);
  const tlp::edge kept = phases.g->addEdge(n[2], n[5]);
  phases.g->addEdge(n[1], n[5]);
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

  const auto& s = layout->getEdgeValue(e[0]);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0], tlp::Coord(layout->getNodeValue(n[0]).getX(), y(0) - off, 0));
  EXPECT_EQ(s[1], tlp::Coord(layout->getNodeValue(n[1]).getX(), y(1) + off, 0));
  const auto& one = layout->getEdgeValue(e[3]);
  const auto& two = layout->getEdgeValue(e[4]);
  ASSERT_EQ(one.size(), 4u);
  ASSERT_EQ(two.size(), 4u);
  EXPECT_EQ((std::vector<float>{one[0].getY(), one[1].getY(), one[2].getY(), one[3].getY()}),
            (std::vector<float>{y(0) - off, y(1) + off, y(1) - off, y(2) + off}));
  EXPECT_FLOAT_EQ(one[1].getX(), one[2].getX()); // both sides of its one dummy node
  EXPECT_EQ((std::vector<float>{two[0].getY(), two[1].getY(), two[2].getY(), two[3].getY()}),
            (std::vector<float>{y(0) - off, y(1) + off, y(2) - off, y(3) + off}));

  // The self loop passes through its two substitute nodes one and two levels below.
  const auto& loop = layout->getEdgeValue(e[5]);
  ASSERT_EQ(loop.size(), 2u);
  EXPECT_FLOAT_EQ(loop[0].getY(), y(3) - 64);
  EXPECT_FLOAT_EQ(loop[1].getY(), y(3) - 128);
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
  EXPECT_FLOAT_EQ(right(0), right(3));
  EXPECT_FLOAT_EQ(right(1), right(4));
  EXPECT_FLOAT_EQ(right(2), right(5));
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
    std::vector<std::pair<int, int>> edges;
    for (int k = 0; k < 70; ++k)
      edges.emplace_back(random() % 30, random() % 30);
    graphs.push_back(makeGraph(30, edges));
    for (tlp::node n : graphs.back()->nodes())
      graphs.back()->getProperty<tlp::SizeProperty>("viewSize")->setNodeValue(
          n, tlp::Size(1.f + random() % 5, 1.f + random() % 3, 1.f));
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
