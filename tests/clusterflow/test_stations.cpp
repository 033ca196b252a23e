#include "clusterflow/GenClusterMap.h"
#include "tagcloud/tagcache.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/StringProperty.h>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

using SeriesList = std::vector<std::vector<std::pair<int, int>>>;

const tlp::Color kInvisible(255, 255, 255, 0);
const tlp::Color kGrey(180, 180, 180, 255);

// Builds and styles graphs of small timelines whose tag files live in a scratch
// directory under the tag cloud name "t".
class Stations : public ::testing::Test {
protected:
  void SetUp() override {
    tagCloudStub = "t";
    getTagCloudCache()->setTagDirPath(dir.path());
    getTagCloudCache()->setTagFileExtension(".tags");
    getTagCloudCache()->clear();
  }
  void TearDown() override { tagCloudStub.clear(); }

  void tags(int cluster, int time, const QByteArray& content) {
    QFile file(QString("%1/t.t%2.c%3.tags").arg(dir.path()).arg(time).arg(cluster));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  void build(SeriesList series) {
    clusterTimeToNode.clear();
    nodeToClusterTime.clear();
    clusterTimeToIdListFeatures.clear();
    nodeToFileId.clear();
    graph.reset(tlp::newGraph());
    timelineToGraph(graph.get(), series);
  }
  // Styles the graph after giving every (cluster, time) of `features` one feature,
  // by default every cluster node of the series.
  void run(const SeriesList& series, std::vector<std::pair<int, int>> features = {}) {
    if (features.empty())
      for (const auto& items : series)
        for (const auto& [time, cluster] : items)
          features.emplace_back(cluster, time);
    build(series);
    for (const auto& [cluster, time] : features)
      clusterTimeToIdListFeatures[cluster][time] = {"w"};
    deleteMultiEdges(graph.get());
    findMajorStations(graph.get());
    clusterProperties(graph.get());
  }
  // Nodes, edges and dummy nodes.
  std::vector<unsigned> counts() {
    return {
        graph->numberOfNodes(), graph->numberOfEdges(),
        unsigned(tlp::iteratorVector(
                     property<tlp::BooleanProperty>("Is Dummy")->getNodesEqualTo(true, graph.get()))
                     .size())};
  }

  template <class P> P* property(const char* name) { return graph->getProperty<P>(name); }
  tlp::node at(int cluster, int time) { return clusterTimeToNode.at(cluster).at(time); }
  std::string label(tlp::node n) {
    return property<tlp::StringProperty>("viewLabel")->getNodeValue(n);
  }
  tlp::Color fill(tlp::node n) {
    return property<tlp::ColorProperty>("viewColor")->getNodeValue(n);
  }
  tlp::Color fill(tlp::edge e) {
    return property<tlp::ColorProperty>("viewColor")->getEdgeValue(e);
  }
  tlp::Color fill(tlp::node from, tlp::node to) { return fill(graph->existEdge(from, to, true)); }
  // Whether station (cluster, time) is major, and its label position.
  std::pair<bool, int> station(int cluster, int time) {
    return {property<tlp::BooleanProperty>("Is Major Station")->getNodeValue(at(cluster, time)),
            property<tlp::IntegerProperty>("viewLabelPosition")->getNodeValue(at(cluster, time))};
  }

  QTemporaryDir dir;
  std::unique_ptr<tlp::Graph> graph;
};

} // namespace

TEST_F(Stations, LineEndsAreMajorAndEveryStationIsLabelledByItsHeaviestTag) {
  tags(3, 1, "north\t1\nsouth\t2\n");
  tags(4, 2, "east\t5\n");
  run({{{1, 3}, {2, 4}, {3, 1}}});
  // The ends of a line keep the alternating label positions.
  EXPECT_EQ(station(3, 1), std::make_pair(true, 1));
  EXPECT_EQ(station(4, 2), std::make_pair(false, 2));
  EXPECT_EQ(station(1, 3), std::make_pair(true, 1));
  EXPECT_NE(fill(at(3, 1)), fill(at(4, 2))); // major stations stand out
  // The last station has no tag file.
  EXPECT_EQ((std::vector<std::string>{label(at(3, 1)), label(at(4, 2)), label(at(1, 3))}),
            (std::vector<std::string>{"south", "east", ""}));
  EXPECT_EQ(nodeToFileId.at(at(1, 3)), ".t3.c1");
}

TEST_F(Stations, SplitsMergesAndTimeGapsAreMajor) {
  run({{{1, 3}, {2, 4}, {3, 1}},
       {{1, 3}, {2, 4}, {3, 2}},
       {{1, 5}, {2, 6}, {3, 8}},
       {{1, 7}, {2, 6}, {3, 8}}});
  EXPECT_EQ(station(4, 2), std::make_pair(true, 2)); // split: its label goes below
  EXPECT_EQ(station(6, 2), std::make_pair(true, 2)); // merge
  EXPECT_EQ(station(8, 3), std::make_pair(true, 1));
  EXPECT_EQ(graph->numberOfEdges(), 6u); // the shared stretch keeps one edge

  // A stretch shared by two series: the last series through a station sets its label.
  run({{{1, 3}, {2, 4}, {3, 1}}, {{2, 4}, {3, 1}}});
  EXPECT_EQ(station(4, 2), std::make_pair(false, 1));

  run({{{1, 3}, {2, 4}, {4, 1}, {5, 2}}, {{3, 9}}});
  EXPECT_EQ(station(4, 2), std::make_pair(true, 2)); // its only successor is a dummy node
  EXPECT_EQ(station(1, 4), std::make_pair(true, 2)); // its only predecessor is a dummy node
  // A line that starts late: its lead-in chain does not move the label.
  EXPECT_EQ(station(9, 3), std::make_pair(true, 1));
  unsigned dummies = 0;
  for (tlp::node n :
       property<tlp::BooleanProperty>("Is Dummy")->getNodesEqualTo(true, graph.get())) {
    ++dummies;
    EXPECT_EQ(fill(n), kInvisible);
    EXPECT_EQ(label(n), "");
    for (tlp::edge e : graph->getInOutEdges(n))
      EXPECT_EQ(fill(e), kInvisible);
  }
  EXPECT_EQ(dummies, 3u);
  EXPECT_EQ(fill(at(3, 1), at(4, 2)), kGrey);
}

TEST_F(Stations, OnlyClustersWithFeaturesInTheTimelineAreStyled) {
  tags(2, 2, "hidden\t1\n");
  // (2, 2) has an empty feature line; the feature files also list cluster 7 at
  // step 5 and cluster 9 at step 2, which the timeline never names.
  run({{{1, 1}, {2, 2}, {3, 3}}}, {{1, 1}, {3, 3}, {7, 5}, {9, 2}});
  EXPECT_EQ(fill(at(2, 2)), kInvisible);
  EXPECT_FALSE(station(2, 2).first);
  EXPECT_EQ(label(at(2, 2)), "");
  // The track into it is drawn, the one out of it is not.
  EXPECT_EQ(fill(at(1, 1), at(2, 2)), kGrey);
  EXPECT_EQ(fill(at(2, 2), at(3, 3)), kInvisible);
  EXPECT_EQ(graph->numberOfNodes(), 3u);
  EXPECT_EQ(nodeToFileId.size(), 2u);
  EXPECT_EQ(clusterTimeToNode.count(7) + clusterTimeToNode.count(9), 0u);
}

TEST_F(Stations, SeriesShareNodesAndGapsGetOneDummyPerMissingStep) {
  build({{{1, 3}, {2, 4}}, {{1, 3}, {2, 4}, {3, 1}}, {{1, 3}, {2, 4}}});
  EXPECT_EQ(counts(), (std::vector<unsigned>{3, 4, 0}));
  EXPECT_EQ(nodeToClusterTime[at(4, 2)], std::make_pair(4, 2));
  deleteMultiEdges(graph.get());
  EXPECT_EQ(graph->getEdges(at(3, 1), at(4, 2), true).size(), 1u);
  build({});
  EXPECT_EQ(counts(), (std::vector<unsigned>{0, 0, 0}));

  build({{{2, 5}, {5, 1}}}); // d1, c(5 at 2), d2, d3, c(1 at 5)
  EXPECT_EQ(counts(), (std::vector<unsigned>{5, 4, 3}));
  ASSERT_EQ(graph->indeg(at(5, 2)), 1u);
  EXPECT_EQ(graph->indeg(graph->getInNode(at(5, 2), 1)), 0u); // head of the lead-in chain
}

TEST_F(Stations, DummyChainsBecomeVanishEdgesBetweenClusters) {
  // a gap, the same gap again in a second series, a late start, and a plain edge
  build({{{1, 2}, {4, 6}}, {{1, 2}, {4, 6}}, {{3, 2}}, {{1, 1}, {2, 1}}});
  deleteMultiEdges(graph.get());
  deleteDummyAndReconnect(graph.get());
  EXPECT_EQ(counts(), (std::vector<unsigned>{5, 3, 0}));
  // Each series keeps its own vanish edge; the lead-in chain of the late series is
  // gone without a replacement, and the plain edge is left alone.
  const tlp::Color vanish(180, 180, 180, 70);
  for (tlp::edge e : graph->edges()) {
    const bool gap = graph->source(e) == at(2, 1);
    EXPECT_EQ(graph->target(e), gap ? at(6, 4) : at(1, 2));
    EXPECT_EQ(fill(e) == vanish, gap);
    EXPECT_EQ(property<tlp::ColorProperty>("viewBorderColor")->getEdgeValue(e) == vanish, gap);
  }
  EXPECT_EQ(graph->getEdges(at(2, 1), at(6, 4), true).size(), 2u);
}

TEST(StringHelpers, SplitAppendsNonEmptyPieces) {
  std::vector<std::string> pieces{"keep"};
  stringSplit(",a,,b;c,", ",;", pieces);
  stringSplit("", ",", pieces);
  EXPECT_EQ(pieces, (std::vector<std::string>{"keep", "a", "b", "c"}));
}
