#include "clusterflow/GenClusterMap.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using SeriesList = std::vector<std::vector<std::pair<int, int>>>;

class GraphBuilding : public ::testing::Test {
protected:
  void SetUp() override {
    clusterTimeToNode.clear();
    nodeToClusterTime.clear();
    graph.reset(tlp::newGraph());
  }

  void build(SeriesList series) { timelineToGraph(graph.get(), series); }

  tlp::node cluster(int c, int t) {
    auto it = clusterTimeToNode.find(c);
    if (it == clusterTimeToNode.end() || !it->second.count(t))
      return tlp::node();
    return it->second[t];
  }
  bool dummy(tlp::node n) {
    return graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->getNodeValue(n);
  }
  int labelPosition(tlp::node n) {
    return graph->getLocalProperty<tlp::IntegerProperty>("viewLabelPosition")->getNodeValue(n);
  }
  unsigned dummyCount() {
    unsigned count = 0;
    for (tlp::node n : graph->nodes())
      count += dummy(n);
    return count;
  }

  std::unique_ptr<tlp::Graph> graph;
};

} // namespace

TEST_F(GraphBuilding, PlainSeriesAlternatesLabelPositions) {
  build({{{1, 3}, {2, 4}, {3, 1}}});
  EXPECT_EQ(graph->numberOfNodes(), 3u);
  EXPECT_EQ(graph->numberOfEdges(), 2u);
  EXPECT_EQ(dummyCount(), 0u);
  EXPECT_EQ(labelPosition(cluster(3, 1)), 1);
  EXPECT_EQ(labelPosition(cluster(4, 2)), 2);
  EXPECT_EQ(labelPosition(cluster(1, 3)), 1);
  EXPECT_TRUE(graph->existEdge(cluster(3, 1), cluster(4, 2), true).isValid());
  EXPECT_EQ(nodeToClusterTime[cluster(4, 2)], std::make_pair(4, 2));
}

TEST_F(GraphBuilding, GapsAndLateStartsGetOneDummyPerMissingStep) {
  // d1, c(5 at 2), d2, d3, c(1 at 5)
  build({{{2, 5}, {5, 1}}});
  EXPECT_EQ(graph->numberOfNodes(), 5u);
  EXPECT_EQ(graph->numberOfEdges(), 4u);
  EXPECT_EQ(dummyCount(), 3u);
  const tlp::node first = cluster(5, 2), last = cluster(1, 5);
  EXPECT_EQ(graph->indeg(first), 1u);
  EXPECT_TRUE(dummy(graph->getInNode(first, 1)));
  EXPECT_EQ(graph->indeg(graph->getInNode(first, 1)), 0u); // head of the lead-in chain
  EXPECT_EQ(labelPosition(first), 1);
  EXPECT_EQ(labelPosition(last), 2);
  // Dummy nodes do not advance the alternation.
  tlp::node walk = first;
  for (int i = 0; i < 3; ++i)
    walk = graph->getOutNode(walk, 1);
  EXPECT_EQ(walk, last);
}

TEST_F(GraphBuilding, SeriesShareNodesAndAddParallelEdgesUntilSimplified) {
  build({{{1, 3}, {2, 4}}, {{1, 3}, {2, 4}, {3, 1}}, {{1, 3}, {2, 4}}});
  EXPECT_EQ(graph->numberOfNodes(), 3u);
  EXPECT_EQ(graph->numberOfEdges(), 4u);
  deleteMultiEdges(graph.get());
  EXPECT_EQ(graph->numberOfEdges(), 2u);
  EXPECT_EQ(graph->getEdges(cluster(3, 1), cluster(4, 2), true).size(), 1u);
}

TEST_F(GraphBuilding, SingleItemAndEmptyInputs) {
  build({{{1, 2}}});
  EXPECT_EQ(graph->numberOfNodes(), 1u);
  EXPECT_EQ(graph->numberOfEdges(), 0u);
  graph.reset(tlp::newGraph());
  build({});
  EXPECT_EQ(graph->numberOfNodes(), 0u);
}

TEST_F(GraphBuilding, DummyChainsBecomeVanishEdgesBetweenClusters) {
  // a gap, the same gap again in a second series, a late start, and a plain edge
  build({{{1, 2}, {4, 6}}, {{1, 2}, {4, 6}}, {{3, 2}}, {{1, 1}, {2, 1}}});
  deleteMultiEdges(graph.get());
  deleteDummyAndReconnect(graph.get());
  EXPECT_EQ(dummyCount(), 0u);
  EXPECT_EQ(graph->numberOfNodes(), 5u);
  const std::vector<tlp::edge> vanish = graph->getEdges(cluster(2, 1), cluster(6, 4), true);
  ASSERT_EQ(vanish.size(), 2u); // each series keeps its own vanish edge
  auto* colour = graph->getProperty<tlp::ColorProperty>("viewColor");
  auto* border = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
  for (tlp::edge e : vanish) {
    EXPECT_EQ(colour->getEdgeValue(e), tlp::Color(180, 180, 180, 70));
    EXPECT_EQ(border->getEdgeValue(e), tlp::Color(180, 180, 180, 70));
  }
  // The lead-in chain of the late series is gone without a replacement.
  EXPECT_EQ(graph->deg(cluster(2, 3)), 0u);
  // The plain edge is left alone.
  EXPECT_EQ(graph->getEdges(cluster(1, 1), cluster(1, 2), true).size(), 1u);
  EXPECT_NE(colour->getEdgeValue(graph->existEdge(cluster(1, 1), cluster(1, 2))),
            tlp::Color(180, 180, 180, 70));
}

TEST_F(GraphBuilding, GraphWithoutDummiesIsLeftUnchanged) {
  build({{{1, 1}, {2, 2}, {3, 1}}});
  const std::vector<tlp::edge> before = graph->edges();
  deleteDummyAndReconnect(graph.get());
  EXPECT_EQ(graph->edges(), before);
  EXPECT_EQ(graph->numberOfNodes(), 3u);
}

TEST(StringHelpers, SplitAppendsNonEmptyPieces) {
  std::vector<std::string> pieces{"keep"};
  stringSplit(",a,,b;c,", ",;", pieces);
  EXPECT_EQ(pieces, (std::vector<std::string>{"keep", "a", "b", "c"}));
  stringSplit("", ",", pieces);
  EXPECT_EQ(pieces.size(), 4u);
  EXPECT_EQ(toString(-12), "-12");
  EXPECT_EQ(toString(2147483647), "2147483647");
}
