#include "clusterflow/GenClusterMap.h"
#include "tagcloud/MessageCapture.h"
#include "tagcloud/tagcache.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
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
  void TearDown() override {
    tagCloudStub.clear();
    getTagCloudCache()->clear();
  }

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
  // Nodes, edges and dummy nodes.
  std::vector<unsigned> counts() {
    unsigned dummies = 0;
    for (tlp::node n : graph->nodes())
      dummies += graph->getProperty<tlp::BooleanProperty>("Is Dummy")->getNodeValue(n);
    return {graph->numberOfNodes(), graph->numberOfEdges(), dummies};
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

  tlp::node at(int cluster, int time) { return clusterTimeToNode.at(cluster).at(time); }
  template <class P> auto get(const char* name, tlp::node n) {
    return graph->getProperty<P>(name)->getNodeValue(n);
  }
  template <class P> auto get(const char* name, tlp::edge e) {
    return graph->getProperty<P>(name)->getEdgeValue(e);
  }
  bool major(tlp::node n) { return get<tlp::BooleanProperty>("Is Major Station", n); }
  int labelPosition(tlp::node n) { return get<tlp::IntegerProperty>("viewLabelPosition", n); }
  std::string label(tlp::node n) { return get<tlp::StringProperty>("viewLabel", n); }
  tlp::Color fill(tlp::edge e) { return get<tlp::ColorProperty>("viewColor", e); }
  tlp::Color fill(tlp::node from, tlp::node to) { return fill(graph->existEdge(from, to, true)); }

  // Ordinary stations are small and grey, major ones large, white and black-rimmed,
  // and dummy nodes and clusters without features hidden.
  enum Look { Ordinary, Major, Hidden };
  void expectLook(tlp::node n, Look look) {
    const float size[] = {0.5f, 0.75f, 0};
    const tlp::Color fills[] = {kGrey, {255, 255, 255, 255}, kInvisible};
    const tlp::Color borders[] = {kGrey, {0, 0, 0, 255}, kInvisible};
    const double widths[] = {0.1, 2.1, 0.01};
    EXPECT_TRUE(look == Hidden || major(n) == (look == Major));
    EXPECT_EQ(get<tlp::SizeProperty>("viewSize", n), tlp::Size(size[look], size[look], size[look]));
    EXPECT_EQ(get<tlp::ColorProperty>("viewColor", n), fills[look]);
    EXPECT_EQ(get<tlp::ColorProperty>("viewBorderColor", n), borders[look]);
    EXPECT_DOUBLE_EQ(get<tlp::DoubleProperty>("viewBorderWidth", n), widths[look]);
  }
  // Station (cluster, time) with its look and label position.
  void expectStation(int cluster, int time, Look look, int position) {
    SCOPED_TRACE("cluster " + std::to_string(cluster) + " at " + std::to_string(time));
    expectLook(at(cluster, time), look);
    EXPECT_EQ(labelPosition(at(cluster, time)), position);
  }

  QTemporaryDir dir;
  MessageCapture messages;
  std::unique_ptr<tlp::Graph> graph;
};

} // namespace

TEST_F(Stations, LineEndsAreMajorAndEveryStationIsLabelled) {
  tags(3, 1, "north\t1\nsouth\t2\n");
  tags(4, 2, "east\t5\n");
  run({{{1, 3}, {2, 4}, {3, 1}}});
  // The ends of a line keep the alternating label positions.
  expectStation(3, 1, Major, 1);
  expectStation(4, 2, Ordinary, 2);
  expectStation(1, 3, Major, 1);
  // The heaviest tag is the label; the last station has no tag file.
  EXPECT_EQ((std::vector<std::string>{label(at(3, 1)), label(at(4, 2)), label(at(1, 3))}),
            (std::vector<std::string>{"south", "east", ""}));
  EXPECT_EQ(nodeToFileId.at(at(3, 1)), ".t1.c3");
  EXPECT_EQ(nodeToFileId.at(at(1, 3)), ".t3.c1");

  for (tlp::edge e : graph->edges()) {
    EXPECT_EQ(fill(e), kGrey);
    EXPECT_EQ(get<tlp::ColorProperty>("viewBorderColor", e), kGrey);
    EXPECT_DOUBLE_EQ(get<tlp::DoubleProperty>("viewBorderWidth", e), 0.01);
    EXPECT_EQ(get<tlp::IntegerProperty>("viewShape", e), 8);
  }
  for (tlp::node n : graph->nodes())
    EXPECT_EQ(get<tlp::IntegerProperty>("viewShape", n), 14);

  // Labels are asked for by tag cloud name and file id.
  const std::vector<std::string> reported = messages.take();
  EXPECT_EQ(std::count(reported.begin(), reported.end(),
                       "Reading tags for node \"t.t2.c4\" from  \"" + dir.path().toStdString() +
                           "/t.t2.c4.tags\" "),
            1);
}

TEST_F(Stations, SplitsAndMergesAreMajorWithTheirLabelBelow) {
  run({{{1, 3}, {2, 4}, {3, 1}}, {{1, 3}, {2, 4}, {3, 2}}, {{1, 5}, {2, 6}, {3, 8}},
       {{1, 7}, {2, 6}, {3, 8}}});
  expectStation(4, 2, Major, 2); // split
  expectStation(6, 2, Major, 2); // merge
  expectStation(3, 1, Major, 1);
  expectStation(8, 3, Major, 1);
  EXPECT_EQ(graph->numberOfEdges(), 6u); // the shared stretch keeps one edge
}

TEST_F(Stations, TimeGapsMakeMajorStationsAndStayInvisible) {
  run({{{1, 3}, {2, 4}, {4, 1}, {5, 2}}, {{3, 9}}});
  expectStation(3, 1, Major, 1);
  expectStation(4, 2, Major, 2); // its only successor is a dummy node
  expectStation(1, 4, Major, 2); // its only predecessor is a dummy node
  expectStation(2, 5, Major, 2);
  // A line that starts late: its lead-in chain does not move the label.
  expectStation(9, 3, Major, 1);

  unsigned dummies = 0;
  for (tlp::node n : graph->nodes()) {
    if (!get<tlp::BooleanProperty>("Is Dummy", n))
      continue;
    ++dummies;
    expectLook(n, Hidden);
    EXPECT_EQ(label(n), "");
    EXPECT_EQ(nodeToFileId.count(n), 0u);
    for (tlp::edge e : graph->getInOutEdges(n))
      EXPECT_EQ(fill(e), kInvisible);
  }
  EXPECT_EQ(dummies, 3u);
  EXPECT_EQ(fill(at(3, 1), at(4, 2)), kGrey);
  EXPECT_EQ(fill(at(1, 4), at(2, 5)), kGrey);
}

TEST_F(Stations, OnlyClustersWithFeaturesInTheTimelineAreStyled) {
  tags(2, 2, "hidden\t1\n");
  // (2, 2) has an empty feature line; the feature files also list cluster 7 at
  // step 5 and cluster 9 at step 2, which the timeline never names.
  run({{{1, 1}, {2, 2}, {3, 3}}}, {{1, 1}, {3, 3}, {7, 5}, {9, 2}});
  expectLook(at(2, 2), Hidden);
  EXPECT_FALSE(major(at(2, 2)));
  EXPECT_EQ(label(at(2, 2)), "");
  EXPECT_EQ(nodeToFileId.count(at(2, 2)), 0u);
  // The track into it is drawn, the one out of it is not.
  EXPECT_EQ(fill(at(1, 1), at(2, 2)), kGrey);
  EXPECT_EQ(fill(at(2, 2), at(3, 3)), kInvisible);

  EXPECT_EQ(graph->numberOfNodes(), 3u);
  EXPECT_EQ(nodeToFileId.size(), 2u);
  EXPECT_EQ(clusterTimeToNode.count(7) + clusterTimeToNode.count(9), 0u);
}

TEST_F(Stations, SeriesShareNodesAndAddParallelEdgesUntilSimplified) {
  build({{{1, 3}, {2, 4}}, {{1, 3}, {2, 4}, {3, 1}}, {{1, 3}, {2, 4}}});
  EXPECT_EQ(counts(), (std::vector<unsigned>{3, 4, 0}));
  EXPECT_EQ(nodeToClusterTime[at(4, 2)], std::make_pair(4, 2));
  deleteMultiEdges(graph.get());
  EXPECT_EQ(graph->numberOfEdges(), 2u);
  EXPECT_EQ(graph->getEdges(at(3, 1), at(4, 2), true).size(), 1u);
  build({{{1, 2}}});
  EXPECT_EQ(counts(), (std::vector<unsigned>{1, 0, 0}));
  build({});
  EXPECT_EQ(counts(), (std::vector<unsigned>{0, 0, 0}));
}

TEST_F(Stations, GapsAndLateStartsGetOneDummyPerMissingStep) {
  build({{{2, 5}, {5, 1}}}); // d1, c(5 at 2), d2, d3, c(1 at 5)
  EXPECT_EQ(counts(), (std::vector<unsigned>{5, 4, 3}));
  ASSERT_EQ(graph->indeg(at(5, 2)), 1u);
  EXPECT_EQ(graph->indeg(graph->getInNode(at(5, 2), 1)), 0u); // head of the lead-in chain
  tlp::node walk = at(5, 2);
  for (int i = 0; i < 3; ++i)
    walk = graph->getOutNode(walk, 1);
  EXPECT_EQ(walk, at(1, 5));
  // Dummy nodes do not advance the alternation.
  EXPECT_EQ(labelPosition(at(5, 2)), 1);
  EXPECT_EQ(labelPosition(at(1, 5)), 2);
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
  auto* colour = graph->getProperty<tlp::ColorProperty>("viewColor");
  auto* border = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
  for (tlp::edge e : graph->edges()) {
    const bool gap = graph->source(e) == at(2, 1);
    EXPECT_EQ(graph->target(e), gap ? at(6, 4) : at(1, 2));
    EXPECT_EQ(colour->getEdgeValue(e) == vanish, gap);
    EXPECT_EQ(border->getEdgeValue(e) == vanish, gap);
  }
  EXPECT_EQ(graph->getEdges(at(2, 1), at(6, 4), true).size(), 2u);

  // A graph without dummy nodes is left unchanged.
  build({{{1, 1}, {2, 2}, {3, 1}}});
  const std::vector<tlp::edge> before = graph->edges();
  deleteDummyAndReconnect(graph.get());
  EXPECT_EQ(graph->edges(), before);
  EXPECT_EQ(graph->numberOfNodes(), 3u);
}

TEST(StringHelpers, SplitAppendsNonEmptyPieces) {
  std::vector<std::string> pieces{"keep"};
  stringSplit(",a,,b;c,", ",;", pieces);
  stringSplit("", ",", pieces);
  EXPECT_EQ(pieces, (std::vector<std::string>{"keep", "a", "b", "c"}));
}
