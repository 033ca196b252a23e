// "Hierarchical Tree (R-T Extended)" run by name, as the layered layout runs it, and
// the orientation adapters offered to layouts.

#include "HierarchyTestTools.h"
#include "hierarchy/DatasetTools.h"
#include "hierarchy/OrientableLayout.h"
#include "hierarchy/OrientableSizeProxy.h"
#include "hierarchy/Orientation.h"
#include "hierarchy/TreeReingoldAndTilfordExtended.h"

#include <gtest/gtest.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SimplePluginProgress.h>
#include <tulip/StringCollection.h>

#include <limits>
#include <map>
#include <memory>
#include <random>
#include <tuple>

namespace {

tlp::DataSet vertical(bool orthogonal = false) {
  tlp::DataSet dataSet;
  dataSet.set("orientation", tlp::StringCollection(std::string("vertical;horizontal;")));
  dataSet.set("orthogonal", orthogonal);
  return dataSet;
}

// A laid-out tree of nodes of size w x h; node i > 0 hangs under parents[i - 1].
struct Tree {
  std::unique_ptr<tlp::Graph> graph{tlp::newGraph()};
  std::vector<tlp::node> n;
  tlp::SizeProperty* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
  tlp::LayoutProperty layout{graph.get()};

  explicit Tree(const std::vector<unsigned int>& parents, float w = 10, float h = 10) {
    graph->addNodes(static_cast<unsigned int>(parents.size() + 1), n);
    for (size_t i = 0; i < parents.size(); ++i)
      graph->addEdge(n[parents[i]], n[i + 1]);
    sizes->setAllNodeValue(tlp::Size(w, h, 1));
  }
  bool layOut(tlp::DataSet* dataSet, tlp::PluginProgress* progress = nullptr) {
    std::string error;
    const bool ok = graph->applyPropertyAlgorithm("Hierarchical Tree (R-T Extended)", &layout,
                                                  error, dataSet, progress);
    EXPECT_EQ(error, "");
    return ok;
  }
  tlp::Coord at(unsigned int i) const { return layout.getNodeValue(n[i]); }
  double side(tlp::node v, int s) const {
    return layout.getNodeValue(v).getX() + s * sizes->getNodeValue(v).getW() / 2.;
  }
};

// Without an "orientation" the drawing is horizontal and orthogonal: levels run
// along positive x, siblings spread along y by their heights, and each edge bends on
// the level line before its target. Single nodes go to the origin; an empty graph,
// which the framework refuses, is no failure when run directly.
TEST(TreeLayout, DefaultsTurnTheDrawingAndTinyGraphsAreHandled) {
  Tree tree({0, 0}, 10, 30);
  ASSERT_TRUE(tree.layOut(nullptr));
  EXPECT_EQ(tree.at(0), tlp::Coord(0, 0, 0));
  EXPECT_EQ(tree.at(1), tlp::Coord(64, -24, 0));
  EXPECT_EQ(tree.at(2), tlp::Coord(64, 24, 0));
  EXPECT_EQ(tree.layout.getEdgeValue(tree.graph->edges()[1]),
            (std::vector<tlp::Coord>{tlp::Coord(0, 0, 0), tlp::Coord(0, 24, 0)}));
  EXPECT_EQ(tree.sizes->getNodeValue(tree.n[1]), tlp::Size(10, 30, 1));

  Tree single({});
  single.layout.setAllNodeValue(tlp::Coord(5, 5, 5));
  ASSERT_TRUE(single.layOut(nullptr));
  EXPECT_EQ(single.at(0), tlp::Coord(0, 0, 0));
  std::unique_ptr<tlp::Graph> empty(tlp::newGraph());
  tlp::LayoutProperty emptyLayout(empty.get());
  tlp::DataSet result;
  result.set("result", &emptyLayout);
  tlp::AlgorithmContext context(empty.get(), &result, nullptr);
  EXPECT_TRUE(TreeReingoldAndTilfordExtended(&context).run());
}

TEST(TreeLayout, TallLevelsWidenTheSpacingAndLongEdgesReserveTheLevelsTheyCross) {
  Tree tall({0, 1});
  tall.sizes->setNodeValue(tall.n[0], tlp::Size(10, 100, 1));
  tall.sizes->setNodeValue(tall.n[1], tlp::Size(10, 100, 1));
  tlp::DataSet dataSet = vertical();
  ASSERT_TRUE(tall.layOut(&dataSet));
  // 18 + 100 > 64 widens to 164; then 18 + 55 < 164 leaves it.
  EXPECT_FLOAT_EQ(tall.at(1).getY(), -164);
  EXPECT_FLOAT_EQ(tall.at(2).getY(), -328);

  // root -> b -> c (c wide), then root -> a with length 3 beside them.
  Tree tree({0, 1, 0});
  tree.sizes->setNodeValue(tree.n[2], tlp::Size(100, 10, 1));
  tlp::IntegerProperty length(tree.graph.get());
  length.setAllEdgeValue(1);
  const tlp::edge toA = tree.graph->existEdge(tree.n[0], tree.n[3]);
  length.setEdgeValue(toA, 3);
  // A fresh data set: the graph library's DataSet assignment leaks the entries it replaces.
  tlp::DataSet longEdges = vertical(true);
  longEdges.set("edge length", &length);
  ASSERT_TRUE(tree.layOut(&longEdges));
  EXPECT_FLOAT_EQ(tree.at(3).getY(), -192);
  // The level of c is crossed by the edge to a: a keeps 18 from c's right side.
  EXPECT_FLOAT_EQ(tree.at(3).getX() - tree.at(2).getX(), 18 + 50 + 5);
  // The orthogonal bends of the long edge lie on the line of level 2.
  EXPECT_FLOAT_EQ(tree.layout.getEdgeValue(toA)[0].getY(), -128);
}

// Per level below v: the leftmost and rightmost box side of its subtree, merged into e.
void subtreeExtents(const Tree& tree, tlp::node v, std::map<int, std::pair<double, double>>& e,
                    int level = 0) {
  auto found = e.try_emplace(level, tree.side(v, -1), tree.side(v, 1)).first;
  found->second = {std::min(found->second.first, tree.side(v, -1)),
                   std::max(found->second.second, tree.side(v, 1))};
  for (tlp::node child : tree.graph->getOutNodes(v))
    subtreeExtents(tree, child, e, level + 1);
}

// Every subtree keeps at least the node spacing from its elder siblings' subtrees
// on each level they share, and exactly that much where they come closest; every
// parent is centred between the outer sides of its first and last child.
TEST(TreeLayout, RandomTreesKeepTheSiblingGapOnEverySharedLevel) {
  std::mt19937 random(20021106);
  for (int round = 0; round < 40; ++round) {
    const unsigned int count = 20 + random() % 250;
    // Small windows give deep, narrow trees; large ones bushy trees.
    const unsigned int window = 1 + random() % (round % 2 == 0 ? 4 : count);
    std::vector<unsigned int> parents;
    for (unsigned int i = 1; i < count; ++i)
      parents.push_back(i - 1 - random() % std::min(window, i));
    Tree tree(parents);
    for (tlp::node n : tree.n)
      tree.sizes->setNodeValue(n, tlp::Size(1 + random() % 60, 5, 1));
    const float nodeSpacing = round % 3 == 0 ? 18.f : 0.5f + random() % 30;
    tlp::DataSet dataSet = vertical();
    dataSet.set("node spacing", nodeSpacing);
    ASSERT_TRUE(tree.layOut(&dataSet));

    for (tlp::node v : tree.n) {
      const std::vector<tlp::node> children = tlp::iteratorVector(tree.graph->getOutNodes(v));
      if (children.empty())
        continue;
      std::map<int, std::pair<double, double>> elder, younger;
      subtreeExtents(tree, children[0], elder);
      for (size_t j = 1; j < children.size(); ++j) {
        younger.clear();
        subtreeExtents(tree, children[j], younger);
        double closest = std::numeric_limits<double>::max();
        for (const auto& [level, extent] : younger)
          if (elder.count(level))
            closest = std::min(closest, extent.first - elder[level].second);
        ASSERT_NEAR(closest, nodeSpacing, 0.02) << "node " << v.id << " child " << j;
        subtreeExtents(tree, children[j], elder);
      }
      ASSERT_NEAR(tree.layout.getNodeValue(v).getX(),
                  (tree.side(children.front(), -1) + tree.side(children.back(), 1)) / 2., 0.02)
          << "node " << v.id;
    }
  }
}

TEST(TreeLayout, DeepChainsAndCombsDoNotExhaustTheStack) {
  const unsigned int count = 100000;
  std::vector<unsigned int> chainParents(count - 1), combParents;
  for (unsigned int i = 0; i + 1 < count; ++i)
    chainParents[i] = i;
  // Every spine node has a leaf first and the deeper rest of the spine second.
  for (unsigned int spine = 0; combParents.size() + 2 < count; spine += 2)
    combParents.insert(combParents.end(), {spine, spine});
  tlp::DataSet dataSet = vertical(true);
  Tree chain(chainParents), comb(combParents);
  ASSERT_TRUE(chain.layOut(&dataSet));
  EXPECT_EQ(chain.at(count - 1), tlp::Coord(0, -64.f * (count - 1), 0));
  ASSERT_TRUE(comb.layOut(&dataSet));
  // The next spine node keeps the node spacing from the leaf beside it.
  EXPECT_FLOAT_EQ(comb.at(2).getX() - comb.at(1).getX(), 28);
}

TEST(TreeLayout, LeavesTheCallersGraphAsItWas) {
  // A forest, a node with two parents and a cycle make the layout build a spanning
  // tree with an added root, all of which must be gone afterwards.
  Tree tree({0, 0, 1}, 1, 1);
  tree.graph->addEdge(tree.n[2], tree.n[3]);
  std::vector<tlp::node> more;
  tree.graph->addNodes(4, more); // more[3] stays alone
  for (int i = 0; i < 3; ++i)
    tree.graph->addEdge(more[i], more[(i + 1) % 3]);
  tree.sizes->setNodeValue(tree.n[3], tlp::Size(3, 4, 5));
  const auto before = snapshot(tree.graph.get());
  for (bool circles : {false, true}) {
    tlp::DataSet dataSet;
    dataSet.set("bounding circles", circles);
    dataSet.set("node size", tree.sizes);
    ASSERT_TRUE(tree.layOut(&dataSet));
    EXPECT_TRUE(snapshot(tree.graph.get()) == before) << "circles " << circles;
  }
  tlp::SimplePluginProgress progress;
  progress.stop();
  EXPECT_FALSE(tree.layOut(nullptr, &progress));
  EXPECT_TRUE(snapshot(tree.graph.get()) == before);
}

// Each panel choice maps the oriented frame to the stored one, and reading and
// writing back through any orientation leaves positions, bends and sizes as they were.
TEST(Orientation, EachChoiceMapsTheOrientedFrameAndWritesBackUnchanged) {
  Tree tree({0}, 3, 4);
  const tlp::node n = tree.n[0];
  const tlp::edge e = tree.graph->edges()[0];
  tree.layout.setNodeValue(n, tlp::Coord(1.5f, -2, 3));
  const std::vector<tlp::Coord> bends{tlp::Coord(1, 2, 3), tlp::Coord(-4, 5, 6)};
  tree.layout.setEdgeValue(e, bends);
  // The panel's index, its mask, and where the oriented (1, 2, 3) is stored.
  const std::tuple<int, int, tlp::Coord> rows[] = {
      {0, 0, {-1, -2, 3}}, {1, 2, {-1, 2, 3}}, {2, 8, {-2, -1, 3}}, {3, 9, {2, -1, 3}}};
  for (const auto& [index, mask, stored] : rows) {
    SCOPED_TRACE(mask);
    std::unique_ptr<tlp::DataSet> dataSet(setOrientationParameters(index));
    EXPECT_EQ(getMask(dataSet.get()), mask);
    OrientableLayout oriented(&tree.layout, static_cast<orientationType>(mask));
    EXPECT_EQ(tlp::Coord(oriented.createCoord(1, 2, 3)), stored);
    oriented.setNodeValue(n, oriented.getNodeValue(n));
    oriented.setEdgeValue(e, oriented.getEdgeValue(e));
    EXPECT_EQ(tree.layout.getNodeValue(n), tlp::Coord(1.5f, -2, 3));
    EXPECT_EQ(tree.layout.getEdgeValue(e), bends);
    // Sizes exchange width and height on rotation only.
    OrientableSizeProxy proxy(tree.sizes, static_cast<orientationType>(mask));
    const bool turned = mask & ORI_ROTATION_XY;
    float w, h, d;
    proxy.getNodeValue(n).get(&w, &h, &d);
    EXPECT_EQ(tlp::Size(w, h, d), tlp::Size(turned ? 4 : 3, turned ? 3 : 4, 1));
    EXPECT_EQ(tlp::Size(proxy.createSize(w, h, d)), tlp::Size(3, 4, 1));
  }
}

TEST(Orientation, MasksAreChosenByNameAndFromThePanel) {
  tlp::DataSet dataSet;
  dataSet.set("orientation", tlp::StringCollection(std::string("left to right;up to down;")));
  EXPECT_EQ(getMask(&dataSet), ORI_ROTATION_XY | ORI_INVERSION_HORIZONTAL);
  dataSet.set("orientation", tlp::StringCollection(std::string("sideways;")));
  EXPECT_EQ(getMask(&dataSet), ORI_DEFAULT);
  EXPECT_EQ(maskFromPanel(true, true), 9);
  EXPECT_EQ(maskFromPanel(false, true), 2);
}

TEST(TreeContours, MergingAMissingContourAbortsInReleaseBuildsToo) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  std::list<LR> runs{{-1, 1, 1}};
  TreeReingoldAndTilfordExtended algorithm(nullptr);
  EXPECT_DEATH(algorithm.mergeLRList(nullptr, &runs, 0), "L!=__null");
  EXPECT_DEATH(algorithm.mergeLRList(&runs, nullptr, 0), "R!=__null");
}

} // namespace
