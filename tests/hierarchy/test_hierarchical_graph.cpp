// "Hierarchical Graph", the layered layout: its phases on graphs of the test's own,
// the whole layout run by name, and the "Dag Level" metric it builds on.

#include "HierarchyTestTools.h"
#include "hierarchy/DagLevelMetric.h"
#include "hierarchy/HierarchicalGraph.h"
#include "hierarchy/LayerSweep.h"

#include <tulip/DoubleProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/PluginLister.h>
#include <tulip/StringCollection.h>
#include <tulip/TreeTest.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <memory>
#include <numeric>
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
    g->getProperty<tlp::SizeProperty>("viewSize")
        ->setNodeValue(n[i], size ? size(i) : tlp::Size(1, 1, 1));
  return g;
}

// The layout's phases run on a graph of the test's own, with `embedding` as the
// run would set it up.
struct Phases {
  std::unique_ptr<tlp::Graph> g;
  std::vector<tlp::node> n;
  tlp::DoubleProperty embedding;
  std::unique_ptr<HierarchicalGraph> layout;

  Phases(unsigned int count, const Edges& edges, bool reduce = true)
      : g(makeGraph(count, edges)), n(g->nodes()), embedding(g.get()) {
    tlp::AlgorithmContext context(g.get(), nullptr, nullptr);
    layout = std::make_unique<HierarchicalGraph>(&context);
    layout->embedding = &embedding;
    layout->lessNode.metric = &embedding;
    if (reduce) {
      layout->buildGrid(g.get());
      layout->crossReduction(g.get());
    }
  }
};

// Lays g out in the given orientation, with the given crossing reduction.
tlp::LayoutProperty* layOut(tlp::Graph* g, const std::string& orientation,
                            const std::string& crossingReduction = "layer sweeps") {
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  tlp::DataSet parameters;
  tlp::StringCollection choice("horizontal;vertical;");
  choice.setCurrent(orientation);
  parameters.set("orientation", choice);
  tlp::StringCollection reduction("layer sweeps;in-place sweeps;");
  reduction.setCurrent(crossingReduction);
  parameters.set("crossing reduction", reduction);
  std::string error;
  EXPECT_TRUE(g->applyPropertyAlgorithm("Hierarchical Graph", result, error, &parameters)) << error;
  return result;
}

// A graph with a bit of everything: a cycle, a self loop, parallel edges, long
// edges, a second component and an isolated node.
const Edges mixed{{0, 1}, {1, 2}, {2, 3}, {0, 3}, {3, 1}, {2, 2},
                  {1, 2}, {0, 2}, {5, 6}, {6, 7}, {5, 7}};

TEST(HierarchyPlugins, AreFoundByName) {
  for (const char* name : {"Dag Level", "Hierarchical Tree (R-T Extended)", "Hierarchical Graph"})
    EXPECT_TRUE(tlp::PluginLister::pluginExists(name)) << name;
}

TEST(DagLevel, GivesLongestPathLevelsLeavesTheGraphAloneAndRefusesCycles) {
  // The framework refuses empty graphs itself, so the check is called directly.
  auto g = makeGraph(0, {});
  tlp::AlgorithmContext context(g.get(), nullptr, nullptr);
  std::string error = "stale";
  EXPECT_TRUE(DagLevelMetric(&context).check(error) && error.empty());

  g = makeGraph(6, {{0, 1}, {0, 2}, {1, 2}, {4, 5}}); // node 3 stays alone
  const auto before = snapshot(g.get());
  tlp::DoubleProperty level(g.get());
  ASSERT_TRUE(g->applyPropertyAlgorithm("Dag Level", &level, error)) << error;
  const std::vector<double> expected{0, 1, 2, 0, 0, 1};
  for (unsigned int i = 0; i < 6; ++i)
    EXPECT_EQ(level.getNodeValue(g->nodes()[i]), expected[i]) << i;
  EXPECT_TRUE(snapshot(g.get()) == before);
  g->addEdge(g->nodes()[2], g->nodes()[0]);
  EXPECT_FALSE(g->applyPropertyAlgorithm("Dag Level", &level, error));
  EXPECT_EQ(error, "The Graph must be a acylic");
}

TEST(HierarchicalGraphPhases, CrossingsAreUntangledAndMedianParentsKept) {
  // r -> a -> d, r -> b -> c, plus a -> c (not a tree) and r -> d.
  Phases phases(5, {{0, 1}, {0, 2}, {1, 4}, {2, 3}, {1, 3}, {0, 4}});
  auto position = [&](int i) { return phases.embedding.getNodeValue(phases.n[i]); };
  EXPECT_EQ(position(1) < position(2), position(4) < position(3));
  EXPECT_EQ(phases.g->numberOfNodes(), 5u);
  EXPECT_EQ(phases.g->numberOfEdges(), 6u);

  // Forty siblings with the same parent and child get the same barycentres; only a
  // stable sort keeps them in node order.
  Edges edges;
  for (int i = 1; i <= 40; ++i)
    edges.insert(edges.end(), {{0, i}, {i, 41}});
  Phases siblings(42, edges);
  EXPECT_EQ(siblings.layout->grid.at(1),
            std::vector<tlp::node>(siblings.n.begin() + 1, siblings.n.end() - 1));

  // Parents 1..3 in embedding order; 4 has two parents and 5 three, their in-edges
  // listed against that order so that the order alone cannot give the answer.
  Phases tree(6, {{0, 1}, {0, 2}, {0, 3}, {2, 4}, {1, 4}, {3, 5}, {2, 5}, {1, 5}}, false);
  for (int p = 1; p <= 3; ++p)
    tree.embedding.setNodeValue(tree.n[p], p);
  const tlp::edge kept = tree.g->edges()[6];
  tree.layout->DagLevelSpanningTree(tree.g.get(), &tree.embedding);
  EXPECT_TRUE(tlp::TreeTest::isTree(tree.g.get()));
  EXPECT_EQ(tree.g->getInNode(tree.n[4], 1), tree.n[2]); // upper of the two middle ones
  EXPECT_TRUE(tree.g->isElement(kept));
}

// The nodes of each level of a vertical drawing, from left to right.
std::vector<std::vector<int>> levelOrders(tlp::Graph* g, const tlp::LayoutProperty* layout) {
  std::map<float, std::map<float, int>> byLevel;
  for (tlp::node n : g->nodes())
    byLevel[-layout->getNodeValue(n).getY()][layout->getNodeValue(n).getX()] = n.id;
  std::vector<std::vector<int>> orders;
  for (const auto& [y, level] : byLevel) {
    orders.emplace_back();
    for (const auto& [x, n] : level)
      orders.back().push_back(n);
  }
  return orders;
}

// A hub (0) with a long edge to 4 past level 1. The layer sweeps find the order
// without crossings and the drawing keeps it; the earlier heuristic's own order
// holds one crossing, and changes if its sweeps read the working copy, which lacks
// the long edge, if its sink goes, or if the tree layout is not given its edge order.
// A subgraph is drawn the same, whatever edges the root holds besides.
TEST(HierarchicalGraphLayout, EachCrossingReductionDrawsItsGoldenOrder) {
  const Edges edges{{0, 1}, {1, 3}, {0, 4}, {2, 3}, {4, 5}, {3, 6}, {4, 6}, {2, 4}, {0, 2}};
  const std::pair<const char*, std::vector<std::vector<int>>> rows[] = {
      {"layer sweeps", {{0}, {2, 1}, {4, 3}, {5, 6}}},
      {"in-place sweeps", {{0}, {2, 1}, {3, 4}, {6, 5}}}};
  for (const auto& [reduction, order] : rows) {
    auto g = makeGraph(7, edges);
    EXPECT_EQ(levelOrders(g.get(), layOut(g.get(), "vertical", reduction)), order) << reduction;
    tlp::Graph* sub = g->addCloneSubGraph("drawn");
    const std::vector<tlp::node> n = g->nodes();
    for (const auto& [s, t] : Edges{{1, 4}, {2, 6}, {0, 3}, {1, 5}})
      g->addEdge(n[s], n[t]);
    EXPECT_EQ(levelOrders(sub, layOut(sub, "vertical", reduction)), order) << reduction;
  }
}

// Random layered graphs with parallel edges, shared ends, lone nodes and lone
// layers: the count is that of every pair of edges taken one by one, and the sweeps
// never end above the order they were given, the same way on every run.
TEST(LayerSweep, CountsCrossingsExactlyAndNeverEndsAboveItsStart) {
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::vector<unsigned int>> layers(1 + random() % 5);
    unsigned int count = 0;
    for (auto& layer : layers)
      for (unsigned int i = random() % 7; i-- > 0;)
        layer.push_back(count++);
    std::vector<std::pair<unsigned int, unsigned int>> edges;
    for (unsigned int i = 0; i + 1 < layers.size(); ++i)
      for (unsigned int k = layers[i].empty() || layers[i + 1].empty() ? 0 : random() % 12; k-- > 0;)
        edges.emplace_back(layers[i][random() % layers[i].size()],
                           layers[i + 1][random() % layers[i + 1].size()]);
    std::vector<unsigned int> layerOf(count);
    for (unsigned int i = 0; i < layers.size(); ++i)
      for (unsigned int u : layers[i])
        layerOf[u] = i;
    auto bruteForce = [&](const std::vector<std::vector<unsigned int>>& order) {
      std::vector<unsigned int> at(count);
      for (const auto& layer : order)
        for (unsigned int i = 0; i < layer.size(); ++i)
          at[layer[i]] = i;
      long long crossings = 0;
      for (const auto& [a, b] : edges)
        for (const auto& [c, d] : edges)
          crossings += layerOf[a] == layerOf[c] && at[a] < at[c] && at[b] > at[d];
      return crossings;
    };
    LayerSweep sweep(layers, edges), again(layers, edges);
    const long long start = sweep.crossings();
    ASSERT_EQ(start, bruteForce(layers)) << round;
    sweep.run();
    again.run();
    EXPECT_EQ(sweep.crossings(), bruteForce(sweep.layers())) << round;
    EXPECT_LE(sweep.crossings(), start) << round;
    EXPECT_EQ(sweep.layers(), again.layers()) << round;
  }
}

// Lines that run side by side through every layer, some of them merging into the
// next line or splitting towards one a few lines away, given in a scrambled order:
// the sweeps must find a drawing with no more crossings than the lines' own order
// (none when lines only merge). A start from all sources at once interleaves the
// lines and leaves crossings that later sweeps do not undo.
TEST(LayerSweep, UntanglesLinesThatRunSideBySide) {
  const struct {
    const char* name;
    int lines, layers, splitReach;
  } rows[] = {{"merges only", 60, 12, 0}, {"splits three lines away", 60, 12, 3}};
  for (const auto& row : rows)
    for (unsigned int seed = 1; seed <= 3; ++seed) {
      std::mt19937 random(seed);
      std::vector<unsigned int> entries(row.lines * row.layers);
      std::iota(entries.begin(), entries.end(), 0u);
      std::shuffle(entries.begin(), entries.end(), random);
      std::vector<std::vector<unsigned int>> lineOrder(row.layers);
      for (int i = 0; i < row.layers; ++i)
        lineOrder[i].assign(entries.begin() + i * row.lines, entries.begin() + (i + 1) * row.lines);
      std::vector<std::pair<unsigned int, unsigned int>> edges;
      for (int i = 0; i + 1 < row.layers; ++i)
        for (int p = 0; p < row.lines; ++p) {
          const std::vector<unsigned int>& next = lineOrder[i + 1];
          edges.emplace_back(lineOrder[i][p], next[p]);
          if (p + 1 < row.lines && random() % 10 == 0)
            edges.emplace_back(lineOrder[i][p], next[p + 1]);
          const int q = p + static_cast<int>(random() % (2 * row.splitReach + 1)) - row.splitReach;
          if (row.splitReach > 0 && random() % 10 == 0 && q >= 0 && q < row.lines)
            edges.emplace_back(lineOrder[i][p], next[q]);
        }
      std::vector<std::vector<unsigned int>> scrambled = lineOrder;
      for (std::vector<unsigned int>& layer : scrambled)
        std::shuffle(layer.begin(), layer.end(), random);
      LayerSweep sweep(scrambled, edges);
      sweep.run();
      EXPECT_LE(sweep.crossings(), LayerSweep(lineOrder, edges).crossings())
          << row.name << ", seed " << seed;
    }
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
  EXPECT_FLOAT_EQ(at(4).getY(), at(0).getY());
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

// Layers are a layer spacing apart; an edge bends just beyond its ends and, across
// a layer, on both sides of it; a self loop passes one and two layers below.
TEST(HierarchicalGraphLayout, EdgesBendNearTheLayersTheyCross) {
  auto g = makeGraph(4, {{0, 1}, {1, 2}, {2, 3}, {0, 2}, {3, 3}});
  const auto e = g->edges();
  const tlp::LayoutProperty* layout = layOut(g.get(), "vertical");
  auto ys = [&](tlp::edge edge) {
    std::vector<float> result;
    for (const tlp::Coord& c : layout->getEdgeValue(edge))
      result.push_back(c.getY() - layout->getNodeValue(g->nodes()[0]).getY());
    return result;
  };
  const float off = 64.f / 4 + 0.5f; // a quarter layer spacing plus half a unit node
  EXPECT_EQ(ys(e[0]), (std::vector<float>{-off, -64 + off}));
  EXPECT_EQ(ys(e[3]), (std::vector<float>{-off, -64 + off, -64 - off, -128 + off}));
  EXPECT_EQ(ys(e[4]), (std::vector<float>{-192 - 64, -192 - 128}));
}

TEST(HierarchicalGraphLayout, HorizontalIsTheVerticalDrawingTurnedAndIsTheDefault) {
  // Square nodes, so that exchanging width and height changes nothing.
  auto g = makeGraph(9, mixed, [](unsigned int) { return tlp::Size(2, 2, 1); });
  tlp::LayoutProperty vertical(g.get());
  vertical = *layOut(g.get(), "vertical");
  tlp::LayoutProperty horizontal(g.get());
  horizontal = *layOut(g.get(), "horizontal");
  auto turned = [](const tlp::Coord& c) { return tlp::Coord(-c.getY(), -c.getX(), c.getZ()); };
  for (tlp::node n : g->nodes())
    EXPECT_EQ(horizontal.getNodeValue(n), turned(vertical.getNodeValue(n)));
  for (tlp::edge e : g->edges()) {
    std::vector<tlp::Coord> v = vertical.getEdgeValue(e);
    std::transform(v.begin(), v.end(), v.begin(), turned);
    EXPECT_EQ(horizontal.getEdgeValue(e), v);
  }
  const tlp::LayoutProperty* byDefault = layOut(g.get(), "");
  for (tlp::node n : g->nodes())
    EXPECT_EQ(byDefault->getNodeValue(n), horizontal.getNodeValue(n));
}

TEST(HierarchicalGraphLayout, TheGraphIsLeftExactlyAsItWas) {
  // The mixed graph, random multigraphs with loops, and small graphs at the edges:
  // one node, one loop, a two-cycle, parallel edges only.
  std::vector<std::unique_ptr<tlp::Graph>> graphs;
  graphs.push_back(
      makeGraph(9, mixed, [](unsigned int i) { return tlp::Size(1.f + i, 2.f + 2 * i, 1); }));
  std::mt19937 random(1);
  for (int i = 0; i < 7; ++i) {
    Edges edges;
    for (int k = 0; k < 70; ++k)
      edges.emplace_back(random() % 30, random() % 30);
    graphs.push_back(makeGraph(30, edges, [](unsigned int) {
      static std::mt19937 sizes(2);
      return tlp::Size(1.f + sizes() % 5, 1.f + sizes() % 3, 1.f);
    }));
  }
  for (const Edges& edges : {Edges{}, Edges{{0, 0}}, Edges{{0, 1}, {1, 0}}, Edges{{0, 1}, {0, 1}}})
    graphs.push_back(makeGraph(edges.empty() ? 1 : 2, edges));
  for (unsigned int i = 0; i < graphs.size(); ++i) {
    tlp::Graph* g = graphs[i].get();
    g->getLocalProperty<tlp::LayoutProperty>("result");
    const auto before = snapshot(g);
    layOut(g, i % 2 ? "horizontal" : "vertical");
    EXPECT_TRUE(snapshot(g) == before) << i;
  }
  // Bends already in the result are not taken for long edges.
  auto g = makeGraph(2, {{0, 1}});
  auto* result = g->getLocalProperty<tlp::LayoutProperty>("result");
  const tlp::edge e = g->edges()[0];
  result->setEdgeValue(e, {tlp::Coord(5, 5, 0), tlp::Coord(7, 7, 0)});
  layOut(g.get(), "vertical");
  EXPECT_EQ(result->getEdgeValue(e).size(), 2u);
}

} // namespace

// The drawing on arrays against the run on a working copy with the library's
// operations, on random acyclic multigraphs with long edges, several sources and lone
// nodes, drawn whole or as a subgraph: the same positions and bends to the bit.
TEST(HierarchicalGraphLayout, ArraysDrawAcyclicGraphsAsTheWorkingCopyDoes) {
  std::mt19937 random(5);
  for (int round = 0; round < 120; ++round) {
    const unsigned int count = 2 + random() % 40;
    Edges edges;
    for (unsigned int k = random() % (3 * count); k-- > 0;) {
      const unsigned int a = random() % count;
      const unsigned int b = random() % count;
      if (a != b)
        edges.emplace_back(std::min(a, b), std::max(a, b)); // lower to higher: acyclic
    }
    auto g = makeGraph(count, edges, [](unsigned int i) {
      return tlp::Size(0.5f + i % 3, 1.f + i % 4 * 0.75f, 1.f);
    });
    tlp::Graph* drawn = g.get();
    if (round % 3 == 2) { // a subgraph without some edges, in another order
      drawn = g->addSubGraph();
      std::vector<tlp::node> nodes = g->nodes();
      std::shuffle(nodes.begin(), nodes.end(), random);
      for (tlp::node n : nodes)
        drawn->addNode(n);
      for (tlp::edge e : g->edges())
        if (random() % 4 != 0)
          drawn->addEdge(e);
    }
    std::vector<std::vector<tlp::Coord>> results;
    for (bool onArrays : {false, true}) {
      tlp::LayoutProperty layout(drawn);
      tlp::DataSet parameters;
      parameters.set("result", &layout);
      tlp::StringCollection orientation("horizontal;vertical;");
      orientation.setCurrent(round % 2);
      parameters.set("orientation", orientation);
      tlp::StringCollection reduction("layer sweeps;in-place sweeps;");
      reduction.setCurrent(round % 4 == 3);
      parameters.set("crossing reduction", reduction);
      tlp::AlgorithmContext context(drawn, &parameters, nullptr);
      HierarchicalGraph algorithm(&context);
      ASSERT_TRUE(onArrays ? algorithm.run() : algorithm.runOnWorkingCopy());
      results.emplace_back();
      for (tlp::node n : drawn->nodes())
        results.back().push_back(layout.getNodeValue(n));
      if (onArrays) { // the positions alone, as the map takes them
        std::vector<tlp::Coord> positions;
        ASSERT_TRUE(algorithm.nodePositions(positions));
        ASSERT_EQ(positions, results.back()) << round;
      }
      for (tlp::edge e : drawn->edges())
        for (const tlp::Coord& c : layout.getEdgeValue(e))
          results.back().push_back(c);
    }
    ASSERT_EQ(results[0], results[1]) << round;
  }
}
