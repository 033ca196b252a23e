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
#include <set>

namespace {

// The phases of the layout run on a graph of the test's own, with `embedding` as
// the run would set it up.
struct Phases {
  explicit Phases(tlp::Graph* g) : graph(g), embedding(g) {
    tlp::AlgorithmContext context(g, nullptr, nullptr);
    layout = std::make_unique<HierarchicalGraph>(&context);
    layout->embedding = &embedding;
    layout->lessNode.metric = &embedding;
  }
  std::vector<tlp::node> layer(unsigned int i) const { return layout->grid.at(i); }

  tlp::Graph* graph;
  tlp::DoubleProperty embedding;
  std::unique_ptr<HierarchicalGraph> layout;
};

std::vector<tlp::node> addNodes(tlp::Graph* g, int count) {
  std::vector<tlp::node> nodes;
  for (int i = 0; i < count; ++i)
    nodes.push_back(g->addNode());
  return nodes;
}

// Lays g out; an empty orientation passes no data set at all.
tlp::LayoutProperty* layOut(tlp::Graph* g, const std::string& orientation) {
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  tlp::DataSet parameters;
  if (!orientation.empty()) {
    tlp::StringCollection choice("horizontal;vertical;");
    choice.setCurrent(orientation);
    parameters.set("orientation", choice);
  }
  std::string error;
  EXPECT_TRUE(g->applyPropertyAlgorithm("Hierarchical Graph", result, error,
                                        orientation.empty() ? nullptr : &parameters))
      << error;
  return result;
}

// Everything about a graph that a layout must not change.
struct Snapshot {
  explicit Snapshot(tlp::Graph* g) {
    nodes = g->nodes();
    edges = g->edges();
    for (tlp::edge e : edges)
      ends.push_back(g->ends(e));
    for (tlp::node n : nodes) {
      stars.push_back(g->allEdges(n));
      sizes.push_back(g->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n));
    }
    subGraphs = g->numberOfSubGraphs();
    for (const std::string& name : g->getProperties())
      properties.insert(name);
  }

  std::vector<tlp::node> nodes;
  std::vector<tlp::edge> edges;
  std::vector<std::pair<tlp::node, tlp::node>> ends;
  std::vector<std::vector<tlp::edge>> stars;
  std::vector<tlp::Size> sizes;
  unsigned int subGraphs;
  std::set<std::string> properties;
};

// A graph with a bit of everything: a cycle, a self loop, parallel edges, long
// edges, a second component and an isolated node, with oblong nodes.
std::unique_ptr<tlp::Graph> mixedGraph() {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 9);
  g->addEdge(n[0], n[1]);
  g->addEdge(n[1], n[2]);
  g->addEdge(n[2], n[3]);
  g->addEdge(n[0], n[3]);
  g->addEdge(n[3], n[1]);
  g->addEdge(n[2], n[2]);
  g->addEdge(n[1], n[2]);
  g->addEdge(n[0], n[2]);
  g->addEdge(n[5], n[6]);
  g->addEdge(n[6], n[7]);
  g->addEdge(n[5], n[7]);
  auto* sizes = g->getProperty<tlp::SizeProperty>("viewSize");
  for (unsigned int i = 0; i < n.size(); ++i)
    sizes->setNodeValue(n[i], tlp::Size(1.f + i, 2.f + 2 * i, 1.f));
  return g;
}

} // namespace

TEST(HierarchicalGraphGrid, EdgelessGraphIsOneLayerInNodeOrderAndTheSinkGetsItsOwn) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 4);
  Phases phases(g.get());
  phases.layout->buildGrid(g.get());
  ASSERT_EQ(phases.layout->grid.size(), 1u);
  EXPECT_EQ(phases.layer(0), n);
  for (unsigned int i = 0; i < n.size(); ++i)
    EXPECT_EQ(phases.embedding.getNodeValue(n[i]), i);

  phases.layout->crossReduction(g.get());
  ASSERT_EQ(phases.layout->grid.size(), 2u);
  EXPECT_EQ(phases.layer(0), n);
  ASSERT_EQ(phases.layer(1).size(), 1u);
  EXPECT_FALSE(g->isElement(phases.layer(1)[0]));
  EXPECT_EQ(g->numberOfNodes(), 4u);
  EXPECT_EQ(g->numberOfEdges(), 0u);
}

TEST(HierarchicalGraphGrid, ACycleIsReportedAndLeavesTheGridEmpty) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 2);
  g->addEdge(n[0], n[1]);
  g->addEdge(n[1], n[0]);
  Phases phases(g.get());
  testing::internal::CaptureStderr();
  phases.layout->buildGrid(g.get());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[ERROR] : The Graph must be a acylicvoid HierarchicalGraph::buildGrid(tlp::Graph*)\n");
  EXPECT_TRUE(phases.layout->grid.empty());
}

TEST(HierarchicalGraphCrossings, EqualBarycentresKeepTheirOrder) {
  // Forty siblings with the same parent and child get the same depth number and
  // then barycentres in their order; only a stable sort keeps them in node order.
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const tlp::node root = g->addNode();
  const auto siblings = addNodes(g.get(), 40);
  const tlp::node child = g->addNode();
  for (tlp::node s : siblings) {
    g->addEdge(root, s);
    g->addEdge(s, child);
  }
  Phases phases(g.get());
  phases.layout->buildGrid(g.get());
  phases.layout->crossReduction(g.get());
  EXPECT_EQ(phases.layer(1), siblings);
}

TEST(HierarchicalGraphCrossings, SweepsUntangleACrossingAndRemoveTheSink) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const tlp::node r = g->addNode();
  const tlp::node a = g->addNode();
  const tlp::node b = g->addNode();
  const tlp::node c = g->addNode();
  const tlp::node d = g->addNode();
  g->addEdge(r, a);
  g->addEdge(r, b);
  g->addEdge(a, d);
  g->addEdge(b, c);
  g->addEdge(a, c); // not a tree
  g->addEdge(r, d);
  Phases phases(g.get());
  phases.layout->buildGrid(g.get());
  phases.layout->crossReduction(g.get());
  auto position = [&](tlp::node n) { return phases.embedding.getNodeValue(n); };
  EXPECT_EQ(position(a) < position(b), position(d) < position(c));
  EXPECT_EQ(g->numberOfNodes(), 5u);
  EXPECT_EQ(g->numberOfEdges(), 6u);
}

TEST(HierarchicalGraphSpanningTree, TheMedianParentKeepsItsEdge) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const tlp::node root = g->addNode();
  const auto parents = addNodes(g.get(), 3);
  const tlp::node ofTwo = g->addNode();
  const tlp::node ofThree = g->addNode();
  for (tlp::node p : parents)
    g->addEdge(root, p);
  // In-edges listed against the order of their sources, so that order alone
  // cannot give the answer.
  g->addEdge(parents[1], ofTwo);
  g->addEdge(parents[0], ofTwo);
  g->addEdge(parents[2], ofThree);
  const tlp::edge kept = g->addEdge(parents[1], ofThree);
  g->addEdge(parents[0], ofThree);

  Phases phases(g.get());
  for (int i = 0; i < 3; ++i)
    phases.embedding.setNodeValue(parents[i], i);
  phases.layout->DagLevelSpanningTree(g.get(), &phases.embedding);

  EXPECT_TRUE(tlp::TreeTest::isTree(g.get()));
  ASSERT_EQ(g->indeg(ofTwo), 1u);
  EXPECT_EQ(g->getInNode(ofTwo, 1), parents[1]); // upper of the two middle ones
  ASSERT_EQ(g->indeg(ofThree), 1u);
  EXPECT_TRUE(g->isElement(kept));
}

TEST(HierarchicalGraphLayout, AForestIsPlacedInEdgeOrderWithoutCrossingReduction) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 6);
  const tlp::edge toA = g->addEdge(n[0], n[1]);
  const tlp::edge toB = g->addEdge(n[0], n[2]);
  const tlp::edge toC = g->addEdge(n[0], n[3]);
  g->addEdge(n[4], n[5]);
  g->setEdgeOrder(n[0], {toC, toA, toB});
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  const float y = layout->getNodeValue(n[0]).getY();
  EXPECT_LT(layout->getNodeValue(n[3]).getX(), layout->getNodeValue(n[1]).getX());
  EXPECT_LT(layout->getNodeValue(n[1]).getX(), layout->getNodeValue(n[2]).getX());
  for (int child : {1, 2, 3})
    EXPECT_FLOAT_EQ(layout->getNodeValue(n[child]).getY(), y - 64);
  EXPECT_FLOAT_EQ(layout->getNodeValue(n[4]).getY(), y);
  EXPECT_EQ(g->numberOfNodes(), 6u);
  for (tlp::edge e : g->edges())
    EXPECT_EQ(layout->getEdgeValue(e).size(), 2u);
}

TEST(HierarchicalGraphLayout, ACycleIsDrawnWithItsEdgeTurnedBackToItsDirection) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 3);
  const std::vector<tlp::edge> edges{g->addEdge(n[0], n[1]), g->addEdge(n[1], n[2]),
                                     g->addEdge(n[2], n[0])};
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  int upwards = 0;
  for (unsigned int i = 0; i < edges.size(); ++i) {
    const tlp::edge e = edges[i];
    EXPECT_EQ(g->source(e), n[i]);
    EXPECT_EQ(g->target(e), n[(i + 1) % 3]);
    const tlp::Coord s = layout->getNodeValue(g->source(e));
    const tlp::Coord t = layout->getNodeValue(g->target(e));
    const std::vector<tlp::Coord>& bends = layout->getEdgeValue(e);
    ASSERT_GE(bends.size(), 2u);
    if (s.getY() < t.getY()) { // against the layer order, which runs down
      ++upwards;
      EXPECT_GT(bends.front().getY(), s.getY());
      EXPECT_LT(bends.back().getY(), t.getY());
    } else {
      EXPECT_LT(bends.front().getY(), s.getY());
      EXPECT_GT(bends.back().getY(), t.getY());
    }
  }
  EXPECT_EQ(upwards, 1);
}

TEST(HierarchicalGraphLayout, LongEdgesGetFourBendsAndShortEdgesTwo) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 4);
  const tlp::edge shortEdge = g->addEdge(n[0], n[1]);
  g->addEdge(n[1], n[2]);
  g->addEdge(n[2], n[3]);
  const tlp::edge overOne = g->addEdge(n[0], n[2]);
  const tlp::edge overTwo = g->addEdge(n[0], n[3]);
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  // Unit nodes: the ends lie a quarter layer spacing plus half a node beyond the node.
  const float off = 64.f / 4 + 0.5f;
  auto y = [&](int i) { return layout->getNodeValue(n[i]).getY(); };
  for (int i = 1; i < 4; ++i)
    EXPECT_FLOAT_EQ(y(i), y(0) - 64 * i);

  const auto& s = layout->getEdgeValue(shortEdge);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0], tlp::Coord(layout->getNodeValue(n[0]).getX(), y(0) - off, 0));
  EXPECT_EQ(s[1], tlp::Coord(layout->getNodeValue(n[1]).getX(), y(1) + off, 0));

  const auto& one = layout->getEdgeValue(overOne);
  ASSERT_EQ(one.size(), 4u);
  EXPECT_FLOAT_EQ(one[0].getY(), y(0) - off);
  EXPECT_FLOAT_EQ(one[1].getY(), y(1) + off);
  EXPECT_FLOAT_EQ(one[2].getY(), y(1) - off);
  EXPECT_FLOAT_EQ(one[1].getX(), one[2].getX()); // both sides of its one dummy node
  EXPECT_FLOAT_EQ(one[3].getY(), y(2) + off);

  const auto& two = layout->getEdgeValue(overTwo);
  ASSERT_EQ(two.size(), 4u);
  EXPECT_FLOAT_EQ(two[0].getY(), y(0) - off);
  EXPECT_FLOAT_EQ(two[1].getY(), y(1) + off);
  EXPECT_FLOAT_EQ(two[2].getY(), y(2) - off);
  EXPECT_FLOAT_EQ(two[3].getY(), y(3) + off);
  EXPECT_EQ(g->numberOfNodes(), 4u);
}

TEST(HierarchicalGraphLayout, ASelfLoopPassesThroughItsTwoSubstituteNodes) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 2);
  g->addEdge(n[0], n[1]);
  const tlp::edge loop = g->addEdge(n[1], n[1]);
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  const tlp::Coord b = layout->getNodeValue(n[1]);
  const auto& bends = layout->getEdgeValue(loop);
  ASSERT_EQ(bends.size(), 2u);
  // The substitute nodes hang one and two levels below the node.
  EXPECT_FLOAT_EQ(bends[0].getY(), b.getY() - 64);
  EXPECT_FLOAT_EQ(bends[1].getY(), b.getY() - 128);
  EXPECT_EQ(g->numberOfNodes(), 2u);
  EXPECT_EQ(g->source(loop), n[1]);
  EXPECT_EQ(g->target(loop), n[1]);
}

TEST(HierarchicalGraphLayout, HorizontalIsTheVerticalDrawingTurnedAndIsTheDefault) {
  auto g = mixedGraph();
  // Square nodes, so that the exchange of width and height changes nothing.
  g->getProperty<tlp::SizeProperty>("viewSize")->setAllNodeValue(tlp::Size(2, 2, 1));
  auto* vertical = new tlp::LayoutProperty(g.get());
  *vertical = *layOut(g.get(), "vertical");
  const tlp::LayoutProperty* horizontal = layOut(g.get(), "horizontal");
  auto turned = [](const tlp::Coord& c) { return tlp::Coord(-c.getY(), -c.getX(), c.getZ()); };
  for (tlp::node n : g->nodes())
    EXPECT_EQ(horizontal->getNodeValue(n), turned(vertical->getNodeValue(n)));
  for (tlp::edge e : g->edges()) {
    const auto& v = vertical->getEdgeValue(e);
    const auto& h = horizontal->getEdgeValue(e);
    ASSERT_EQ(v.size(), h.size());
    for (unsigned int i = 0; i < v.size(); ++i)
      EXPECT_EQ(h[i], turned(v[i]));
  }
  const tlp::LayoutProperty* byDefault = layOut(g.get(), "");
  for (tlp::node n : g->nodes())
    EXPECT_EQ(byDefault->getNodeValue(n), horizontal->getNodeValue(n));
  delete vertical;
}

TEST(HierarchicalGraphLayout, TheLevelsShareTheirFarEdgeWhateverTheNodeSizes) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 6);
  g->addEdge(n[0], n[1]);
  g->addEdge(n[1], n[2]);
  g->addEdge(n[3], n[4]);
  g->addEdge(n[4], n[5]);
  g->addEdge(n[0], n[4]);
  auto* sizes = g->getProperty<tlp::SizeProperty>("viewSize");
  for (int i = 0; i < 6; ++i)
    sizes->setNodeValue(n[i], tlp::Size(1.f + 3 * i, 2.f + i, 1.f));
  const tlp::LayoutProperty* layout = layOut(g.get(), "horizontal");
  auto right = [&](int i) {
    return layout->getNodeValue(n[i]).getX() + sizes->getNodeValue(n[i]).getW() / 2;
  };
  EXPECT_FLOAT_EQ(right(0), right(3));
  EXPECT_FLOAT_EQ(right(1), right(4));
  EXPECT_FLOAT_EQ(right(2), right(5));
  EXPECT_LT(right(0), right(1));
  EXPECT_LT(right(1), right(2));
}

// A random multigraph with loops, seeded.
std::unique_ptr<tlp::Graph> randomGraph(unsigned int seed) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 30);
  std::mt19937 random(seed);
  for (int i = 0; i < 70; ++i)
    g->addEdge(n[random() % n.size()], n[random() % n.size()]);
  auto* sizes = g->getProperty<tlp::SizeProperty>("viewSize");
  for (tlp::node v : n)
    sizes->setNodeValue(v, tlp::Size(1.f + random() % 5, 1.f + random() % 3, 1.f));
  return g;
}

// Small graphs at the edges: one node, one loop, a two-cycle, parallel edges only.
std::unique_ptr<tlp::Graph> oddGraph(int which) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), which == 0 ? 1 : 2);
  if (which == 1)
    g->addEdge(n[0], n[0]);
  if (which == 2) {
    g->addEdge(n[0], n[1]);
    g->addEdge(n[1], n[0]);
  }
  if (which == 3) {
    g->addEdge(n[0], n[1]);
    g->addEdge(n[0], n[1]);
  }
  return g;
}

TEST(HierarchicalGraphLayout, TheGraphIsLeftExactlyAsItWas) {
  for (unsigned int seed = 0; seed < 16; ++seed) {
    const char* orientation = seed % 2 ? "horizontal" : "vertical";
    auto g = seed == 0 ? mixedGraph() : seed < 12 ? randomGraph(seed) : oddGraph(seed - 12);
    g->getLocalProperty<tlp::LayoutProperty>("result");
    const Snapshot before(g.get());
    layOut(g.get(), orientation);
    const Snapshot after(g.get());
    EXPECT_EQ(after.nodes, before.nodes) << seed;
    EXPECT_EQ(after.edges, before.edges) << seed;
    EXPECT_EQ(after.ends, before.ends) << seed;
    EXPECT_EQ(after.stars, before.stars) << seed;
    EXPECT_EQ(after.sizes, before.sizes) << seed;
    EXPECT_EQ(after.subGraphs, before.subGraphs) << seed;
    EXPECT_EQ(after.properties, before.properties) << seed;
  }
}

TEST(HierarchicalGraphLayout, BendsAlreadyInTheResultAreNotTakenForLongEdges) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const auto n = addNodes(g.get(), 2);
  const tlp::edge e = g->addEdge(n[0], n[1]);
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  result->setEdgeValue(e, {tlp::Coord(5, 5, 0), tlp::Coord(7, 7, 0)});
  layOut(g.get(), "vertical");
  EXPECT_EQ(result->getEdgeValue(e).size(), 2u);
}

TEST(HierarchicalGraphPlugin, IsRegisteredWithItsParametersAndDependencies) {
  const tlp::Plugin& plugin = tlp::PluginLister::pluginInformation("Hierarchical Graph");
  EXPECT_EQ(plugin.group(), "Hierarchical");
  EXPECT_EQ(plugin.date(), "23/05/2000");
  EXPECT_EQ(plugin.info(), "Alpha");
  EXPECT_EQ(plugin.release(), "1.0");
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
