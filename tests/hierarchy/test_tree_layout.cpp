// "Hierarchical Tree (R-T Extended)" run by name, as the layered layout runs it,
// and its contour primitives.

#include "HierarchyTestTools.h"
#include "hierarchy/TreeReingoldAndTilfordExtended.h"

#include <gtest/gtest.h>
#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/PluginLister.h>
#include <tulip/SimplePluginProgress.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

const char* const kName = "Hierarchical Tree (R-T Extended)";

tlp::DataSet vertical(bool orthogonal = false) {
  tlp::DataSet dataSet;
  dataSet.set("orientation", tlp::StringCollection(std::string("vertical;horizontal;")));
  dataSet.set("orthogonal", orthogonal);
  return dataSet;
}

bool layOut(tlp::Graph* graph, tlp::LayoutProperty& layout, tlp::DataSet* dataSet,
            tlp::PluginProgress* progress = nullptr) {
  std::string error;
  const bool ok = graph->applyPropertyAlgorithm(kName, &layout, error, dataSet, progress);
  EXPECT_EQ(error, "");
  return ok;
}

// A graph of `count` nodes of size w x h; node i > 0 hangs under parents[i - 1].
std::unique_ptr<tlp::Graph> makeTree(const std::vector<unsigned int>& parents, float w = 10,
                                     float h = 10) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  std::vector<tlp::node> nodes;
  graph->addNodes(static_cast<unsigned int>(parents.size() + 1), nodes);
  for (size_t i = 0; i < parents.size(); ++i)
    graph->addEdge(nodes[parents[i]], nodes[i + 1]);
  graph->getProperty<tlp::SizeProperty>("viewSize")->setAllNodeValue(tlp::Size(w, h, 1));
  return graph;
}

tlp::Coord at(const tlp::LayoutProperty& layout, tlp::Graph* graph, unsigned int i) {
  return layout.getNodeValue(graph->nodes()[i]);
}

TEST(TreeLayout, IsRegisteredWithItsParametersInOrder) {
  ASSERT_TRUE(tlp::PluginLister::pluginExists<tlp::LayoutAlgorithm>(kName));
  const tlp::Plugin& info = tlp::PluginLister::pluginInformation(kName);
  EXPECT_EQ(info.group(), "Tree");
  EXPECT_EQ(info.date(), "06/11/2002");
  EXPECT_EQ(info.info(), "Beta");
  EXPECT_EQ(info.release(), "1.0");
  std::vector<std::string> names;
  // The framework adds the "result" parameter itself.
  for (const tlp::ParameterDescription& parameter : info.getParameters().getParameters())
    if (parameter.getName() != "result")
      names.push_back(parameter.getName());
  EXPECT_EQ(names, (std::vector<std::string>{"node size", "edge length", "orientation",
                                             "orthogonal", "layer spacing", "node spacing",
                                             "bounding circles"}));
}

TEST(TreeLayout, CentresARootOverTwoLeaves) {
  auto graph = makeTree({0, 0});
  tlp::LayoutProperty layout(graph.get());
  tlp::DataSet dataSet = vertical();
  ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
  EXPECT_EQ(at(layout, graph.get(), 0), tlp::Coord(0, 0, 0));
  EXPECT_EQ(at(layout, graph.get(), 1), tlp::Coord(-14, -64, 0));
  EXPECT_EQ(at(layout, graph.get(), 2), tlp::Coord(14, -64, 0));
  for (tlp::edge e : graph->edges())
    EXPECT_TRUE(layout.getEdgeValue(e).empty());
}

TEST(TreeLayout, SingleNodeAndEmptyGraph) {
  auto graph = makeTree({});
  tlp::LayoutProperty layout(graph.get());
  layout.setAllNodeValue(tlp::Coord(5, 5, 5));
  ASSERT_TRUE(layOut(graph.get(), layout, nullptr));
  EXPECT_EQ(at(layout, graph.get(), 0), tlp::Coord(0, 0, 0));

  // The framework refuses empty graphs before any plug-in runs; called directly,
  // the layout has nothing to do and succeeds.
  std::unique_ptr<tlp::Graph> empty(tlp::newGraph());
  tlp::LayoutProperty emptyLayout(empty.get());
  tlp::DataSet dataSet;
  dataSet.set("result", &emptyLayout);
  tlp::AlgorithmContext context(empty.get(), &dataSet, nullptr);
  TreeReingoldAndTilfordExtended algorithm(&context);
  EXPECT_TRUE(algorithm.run());
  EXPECT_EQ(empty->numberOfDescendantGraphs(), 0u);
}

// Without an "orientation" the drawing is horizontal and orthogonal: levels run
// along positive x, siblings spread along y by their heights, and each edge bends on
// the level line before its target.
TEST(TreeLayout, DefaultsTurnTheDrawingAndBendEdges) {
  auto graph = makeTree({0, 0}, 10, 30);
  tlp::LayoutProperty layout(graph.get());
  ASSERT_TRUE(layOut(graph.get(), layout, nullptr));
  EXPECT_EQ(at(layout, graph.get(), 0), tlp::Coord(0, 0, 0));
  EXPECT_EQ(at(layout, graph.get(), 1), tlp::Coord(64, -24, 0));
  EXPECT_EQ(at(layout, graph.get(), 2), tlp::Coord(64, 24, 0));
  const tlp::edge toFirst = graph->edges()[0];
  EXPECT_EQ(layout.getEdgeValue(toFirst),
            (std::vector<tlp::Coord>{tlp::Coord(0, 0, 0), tlp::Coord(0, -24, 0)}));
  for (tlp::node n : graph->nodes())
    EXPECT_EQ(graph->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n),
              tlp::Size(10, 30, 1));

  auto chain = makeTree({0, 1});
  tlp::LayoutProperty chainLayout(chain.get());
  ASSERT_TRUE(layOut(chain.get(), chainLayout, nullptr));
  EXPECT_EQ(at(chainLayout, chain.get(), 2), tlp::Coord(128, 0, 0));
}

TEST(TreeLayout, OrthogonalBendsFollowTheLevelLineAboveTheTarget) {
  auto graph = makeTree({0, 0, 1});
  tlp::LayoutProperty layout(graph.get());
  tlp::DataSet dataSet = vertical(true);
  ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
  for (tlp::edge e : graph->edges()) {
    const auto [src, tgt] = graph->ends(e);
    const tlp::Coord s = layout.getNodeValue(src);
    const tlp::Coord t = layout.getNodeValue(tgt);
    EXPECT_EQ(layout.getEdgeValue(e), (std::vector<tlp::Coord>{tlp::Coord(s.getX(), t.getY() + 64, 0),
                                                               tlp::Coord(t.getX(), t.getY() + 64, 0)}));
  }
}

TEST(TreeLayout, TallLevelsWidenTheLayerSpacing) {
  auto graph = makeTree({0, 1});
  auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
  sizes->setNodeValue(graph->nodes()[0], tlp::Size(10, 100, 1));
  sizes->setNodeValue(graph->nodes()[1], tlp::Size(10, 100, 1));
  tlp::LayoutProperty layout(graph.get());
  tlp::DataSet dataSet = vertical();
  ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
  // 18 + 100 > 64 widens to 164; then 18 + 55 < 164 leaves it.
  EXPECT_FLOAT_EQ(at(layout, graph.get(), 1).getY(), -164);
  EXPECT_FLOAT_EQ(at(layout, graph.get(), 2).getY(), -328);
}

TEST(TreeLayout, BoundingCirclesUseTheDiagonal) {
  auto graph = makeTree({0, 0}, 3, 4);
  tlp::LayoutProperty layout(graph.get());
  tlp::DataSet dataSet = vertical();
  dataSet.set("bounding circles", true);
  ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
  // Laid out as 5 x 5: 18 + 5 apart.
  EXPECT_FLOAT_EQ(at(layout, graph.get(), 2).getX() - at(layout, graph.get(), 1).getX(), 23);
}

TEST(TreeLayout, LongEdgesSpanLevelsAndReserveTheCrossedOnes) {
  // root -> b -> c (c wide), then root -> a with length 3 beside them.
  auto graph = makeTree({0, 1, 0});
  const std::vector<tlp::node> n = graph->nodes();
  graph->getProperty<tlp::SizeProperty>("viewSize")->setNodeValue(n[2], tlp::Size(100, 10, 1));
  tlp::IntegerProperty length(graph.get());
  length.setAllEdgeValue(1);
  length.setEdgeValue(graph->existEdge(n[0], n[3]), 3);
  tlp::LayoutProperty layout(graph.get());
  tlp::DataSet dataSet = vertical(true);
  dataSet.set("edge length", &length);
  ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
  const tlp::Coord a = layout.getNodeValue(n[3]);
  EXPECT_FLOAT_EQ(a.getY(), -192);
  // The level of c is crossed by the edge to a: a keeps 18 from c's right side.
  EXPECT_FLOAT_EQ(a.getX() - layout.getNodeValue(n[2]).getX(), 18 + 50 + 5);
  // The orthogonal bends of the long edge lie on the line of level 2.
  EXPECT_FLOAT_EQ(layout.getEdgeValue(graph->existEdge(n[0], n[3]))[0].getY(), -128);
}

// Per level, below the node's children: the leftmost and rightmost box edge of one subtree.
void subtreeExtents(tlp::Graph* graph, const tlp::LayoutProperty& layout,
                    const tlp::SizeProperty& sizes, tlp::node top,
                    std::map<int, std::pair<double, double>>& extents) {
  std::vector<std::pair<tlp::node, int>> stack{{top, 0}};
  while (!stack.empty()) {
    const auto [v, level] = stack.back();
    stack.pop_back();
    const double x = layout.getNodeValue(v).getX();
    const double half = sizes.getNodeValue(v).getW() / 2.;
    auto found = extents.find(level);
    if (found == extents.end())
      extents[level] = {x - half, x + half};
    else
      found->second = {std::min(found->second.first, x - half),
                       std::max(found->second.second, x + half)};
    for (tlp::node child : graph->getOutNodes(v))
      stack.emplace_back(child, level + 1);
  }
}

// Every subtree keeps at least the node spacing from its elder siblings' subtrees
// on each level they share, and exactly that much where they come closest; every
// parent is centred between the outer sides of its first and last child.
void expectReingoldTilfordPlacement(tlp::Graph* graph, const tlp::LayoutProperty& layout,
                                    float nodeSpacing) {
  const auto& sizes = *graph->getProperty<tlp::SizeProperty>("viewSize");
  for (tlp::node v : graph->nodes()) {
    std::vector<tlp::node> children;
    for (tlp::node child : graph->getOutNodes(v))
      children.push_back(child);
    if (children.empty())
      continue;
    std::map<int, std::pair<double, double>> elder;
    subtreeExtents(graph, layout, sizes, children[0], elder);
    for (size_t j = 1; j < children.size(); ++j) {
      std::map<int, std::pair<double, double>> younger;
      subtreeExtents(graph, layout, sizes, children[j], younger);
      double closest = std::numeric_limits<double>::max();
      for (const auto& [level, extent] : younger) {
        const auto shared = elder.find(level);
        if (shared != elder.end())
          closest = std::min(closest, extent.first - shared->second.second);
      }
      ASSERT_NEAR(closest, nodeSpacing, 0.02) << "node " << v.id << " child " << j;
      for (const auto& [level, extent] : younger) {
        auto& combined = elder[level];
        if (combined.first == 0 && combined.second == 0)
          combined = extent;
        combined.first = std::min(combined.first, extent.first);
        combined.second = std::max(combined.second, extent.second);
      }
    }
    const tlp::Coord first = layout.getNodeValue(children.front());
    const tlp::Coord last = layout.getNodeValue(children.back());
    const double centre = (first.getX() - sizes.getNodeValue(children.front()).getW() / 2. +
                           last.getX() + sizes.getNodeValue(children.back()).getW() / 2.) /
                          2.;
    ASSERT_NEAR(layout.getNodeValue(v).getX(), centre, 0.02) << "node " << v.id;
  }
}

TEST(TreeLayout, RandomTreesKeepTheSiblingGapOnEverySharedLevel) {
  std::mt19937 random(20021106);
  for (int round = 0; round < 60; ++round) {
    const unsigned int count = 20 + random() % 250;
    // Small windows give deep, narrow trees; large ones bushy trees.
    const unsigned int window = 1 + random() % (round % 2 == 0 ? 4 : count);
    std::vector<unsigned int> parents;
    for (unsigned int i = 1; i < count; ++i)
      parents.push_back(i - 1 - random() % std::min(window, i));
    auto graph = makeTree(parents);
    auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
    for (tlp::node n : graph->nodes())
      sizes->setNodeValue(n, tlp::Size(1 + random() % 60, 5, 1));
    const float nodeSpacing = round % 3 == 0 ? 18.f : 0.5f + random() % 30;
    tlp::LayoutProperty layout(graph.get());
    tlp::DataSet dataSet = vertical();
    dataSet.set("node spacing", nodeSpacing);
    ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
    expectReingoldTilfordPlacement(graph.get(), layout, nodeSpacing);
  }
}

// The placement rule applied recursively with the public contour primitives, the
// way the layout is defined, always merging into the elder siblings' contour.
std::list<LR>* referencePlace(tlp::Graph* graph, tlp::node n, const tlp::SizeProperty& sizes,
                              const tlp::IntegerProperty& length,
                              TreeReingoldAndTilfordExtended& contours,
                              std::map<tlp::node, double>& p) {
  const double w = sizes.getNodeValue(n).getW();
  std::list<LR>* working = nullptr;
  std::vector<std::pair<tlp::node, double>> placed;
  for (tlp::edge e : graph->getOutEdges(n)) {
    std::list<LR>* child = referencePlace(graph, graph->target(e), sizes, length, contours, p);
    if (length.getEdgeValue(e) > 1)
      child->push_front(LR{child->front().L, child->front().R, length.getEdgeValue(e) - 1});
    const double middle = (child->front().L + child->front().R) / 2;
    if (working == nullptr) {
      working = child;
      placed.emplace_back(graph->target(e), middle);
    } else {
      const double decal = contours.calcDecal(*working, *child);
      placed.emplace_back(graph->target(e), middle + decal);
      contours.mergeLRList(working, child, decal);
      delete child;
    }
  }
  p[n] = 0;
  if (working == nullptr)
    return new std::list<LR>{{-w / 2, w / 2, 1}};
  const double posFather = (working->front().L + working->front().R) / 2;
  working->push_front(LR{posFather - w / 2, posFather + w / 2, 1});
  for (const auto& [child, position] : placed)
    p[child] = position - posFather;
  return working;
}

TEST(TreeLayout, MatchesTheRecursivePlacementWithEdgeLengths) {
  std::mt19937 random(3003);
  TreeReingoldAndTilfordExtended contours(nullptr);
  for (int round = 0; round < 30; ++round) {
    const unsigned int count = 2 + random() % 150;
    const unsigned int window = 1 + random() % (round % 2 == 0 ? 3 : count);
    std::vector<unsigned int> parents;
    for (unsigned int i = 1; i < count; ++i)
      parents.push_back(i - 1 - random() % std::min(window, i));
    auto graph = makeTree(parents, 10, 5);
    auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
    for (tlp::node n : graph->nodes())
      sizes->setNodeValue(n, tlp::Size(1 + random() % 50, 5, 1));
    tlp::IntegerProperty length(graph.get());
    for (tlp::edge e : graph->edges())
      length.setEdgeValue(e, 1 + random() % 3);
    tlp::LayoutProperty layout(graph.get());
    tlp::DataSet dataSet = vertical();
    dataSet.set("edge length", &length);
    ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));

    std::map<tlp::node, double> p;
    const tlp::node root = graph->nodes()[0];
    delete referencePlace(graph.get(), root, *sizes, length, contours, p);
    std::vector<std::pair<tlp::node, tlp::Coord>> stack{{root, tlp::Coord(0, 0, 0)}};
    while (!stack.empty()) {
      const auto [v, expected] = stack.back();
      stack.pop_back();
      ASSERT_NEAR(layout.getNodeValue(v).getX(), expected.getX(), 1e-3) << "node " << v.id;
      ASSERT_FLOAT_EQ(layout.getNodeValue(v).getY(), expected.getY()) << "node " << v.id;
      for (tlp::edge e : graph->getOutEdges(v)) {
        const tlp::node child = graph->target(e);
        stack.emplace_back(child, tlp::Coord(expected.getX() + p[child],
                                             expected.getY() - 64.f * length.getEdgeValue(e), 0));
      }
    }
  }
}

TEST(TreeLayout, DeepChainsAndCombsDoNotExhaustTheStack) {
  const unsigned int count = 100000;
  std::vector<unsigned int> chainParents(count - 1);
  for (unsigned int i = 0; i + 1 < count; ++i)
    chainParents[i] = i;
  auto chain = makeTree(chainParents);
  tlp::LayoutProperty chainLayout(chain.get());
  tlp::DataSet dataSet = vertical(true);
  ASSERT_TRUE(layOut(chain.get(), chainLayout, &dataSet));
  EXPECT_EQ(at(chainLayout, chain.get(), count - 1), tlp::Coord(0, -64.f * (count - 1), 0));

  // Every spine node has a leaf first and the deeper rest of the spine second.
  std::vector<unsigned int> combParents;
  for (unsigned int spine = 0; combParents.size() + 2 < count; spine += 2) {
    combParents.push_back(spine);
    combParents.push_back(spine);
  }
  auto comb = makeTree(combParents);
  tlp::LayoutProperty combLayout(comb.get());
  ASSERT_TRUE(layOut(comb.get(), combLayout, &dataSet));
  // The next spine node keeps the node spacing from the leaf beside it.
  const tlp::Coord leaf = at(combLayout, comb.get(), 1);
  const tlp::Coord spine = at(combLayout, comb.get(), 2);
  EXPECT_FLOAT_EQ(spine.getX() - leaf.getX(), 28);
  EXPECT_FLOAT_EQ(spine.getY(), -64);
}

TEST(TreeLayout, LeavesTheCallersGraphAsItWas) {
  // A forest, a node with two parents and a cycle make the layout build a spanning
  // tree with an added root, all of which must be gone afterwards.
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  std::vector<tlp::node> n;
  graph->addNodes(8, n);
  graph->addEdge(n[0], n[1]);
  graph->addEdge(n[0], n[2]);
  graph->addEdge(n[1], n[3]);
  graph->addEdge(n[2], n[3]);
  graph->addEdge(n[4], n[5]);
  graph->addEdge(n[5], n[6]);
  graph->addEdge(n[6], n[4]);
  auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
  sizes->setNodeValue(n[3], tlp::Size(3, 4, 5));
  const GraphSnapshot before(graph.get());

  for (bool circles : {false, true}) {
    tlp::LayoutProperty layout(graph.get());
    tlp::DataSet dataSet;
    dataSet.set("bounding circles", circles);
    dataSet.set("node size", sizes);
    ASSERT_TRUE(layOut(graph.get(), layout, &dataSet));
    EXPECT_TRUE(GraphSnapshot(graph.get()) == before) << "circles " << circles;
  }

  tlp::LayoutProperty layout(graph.get());
  tlp::SimplePluginProgress progress;
  progress.stop();
  EXPECT_FALSE(layOut(graph.get(), layout, nullptr, &progress));
  EXPECT_TRUE(GraphSnapshot(graph.get()) == before);
}

TEST(TreeContours, DecalTakesTheClosestSharedLevel) {
  TreeReingoldAndTilfordExtended algorithm(nullptr);
  const std::list<LR> left{{-5, 5, 1}, {-10, 10, 3}};
  const std::list<LR> right{{-2, 2, 2}, {-1, 1, 3}};
  EXPECT_DOUBLE_EQ(algorithm.calcDecal(left, right), 18 + 10 + 2);
  EXPECT_DOUBLE_EQ(algorithm.calcDecal(right, left), 18 + 2 + 10);
  EXPECT_DOUBLE_EQ(algorithm.calcDecal({{-1, 1, 1}}, right), 18 + 1 + 2);
}

bool sameRuns(const std::list<LR>& actual, const std::vector<LR>& expected) {
  return std::equal(actual.begin(), actual.end(), expected.begin(), expected.end(),
                    [](const LR& a, const LR& b) {
                      return a.L == b.L && a.R == b.R && a.size == b.size;
                    });
}

TEST(TreeContours, MergeSplitsRunsAndAppendsTheDeeperTail) {
  TreeReingoldAndTilfordExtended algorithm(nullptr);
  std::list<LR> left{{-5, 5, 1}, {-10, 10, 3}};
  std::list<LR> right{{-2, 2, 2}, {-1, 1, 3}};
  EXPECT_EQ(algorithm.mergeLRList(&left, &right, 7), &left);
  EXPECT_TRUE(sameRuns(left, {{-5, 9, 1}, {-10, 9, 1}, {-10, 8, 2}, {6, 8, 1}}));

  std::list<LR> deep{{-4, 4, 1}, {-6, 6, 4}};
  std::list<LR> shallow{{-1, 1, 2}};
  algorithm.mergeLRList(&deep, &shallow, 20);
  EXPECT_TRUE(sameRuns(deep, {{-4, 21, 1}, {-6, 21, 1}, {-6, 6, 3}}));
}

TEST(TreeContours, MergingAMissingContourAbortsInReleaseBuildsToo) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  TreeReingoldAndTilfordExtended algorithm(nullptr);
  std::list<LR> runs{{-1, 1, 1}};
  EXPECT_DEATH(algorithm.mergeLRList(nullptr, &runs, 0), "L!=__null");
  EXPECT_DEATH(algorithm.mergeLRList(&runs, nullptr, 0), "R!=__null");
}

} // namespace
