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
const tlp::Color kWhite(255, 255, 255, 255);
const tlp::Color kBlack(0, 0, 0, 255);

// Runs the styling steps of the pipeline on small timelines whose tag files live
// in a scratch directory under the tag cloud name "t".
class Stations : public ::testing::Test {
protected:
  void SetUp() override {
    clusterTimeToNode.clear();
    nodeToClusterTime.clear();
    clusterTimeToIdListFeatures.clear();
    nodeToFileId.clear();
    graph.reset(tlp::newGraph());
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
  // Builds the graph and gives every (cluster, time) of `features` one feature.
  void run(SeriesList series, const std::vector<std::pair<int, int>>& features) {
    timelineToGraph(graph.get(), series);
    for (const auto& [cluster, time] : features)
      clusterTimeToIdListFeatures[cluster][time] = {"w"};
    deleteMultiEdges(graph.get());
    findMajorStations(graph.get());
    clusterProperties(graph.get());
  }
  // Every cluster node of the series has features.
  void run(const SeriesList& series) {
    std::vector<std::pair<int, int>> features;
    for (const auto& items : series)
      for (const auto& [time, cluster] : items)
        features.emplace_back(cluster, time);
    run(series, features);
  }

  tlp::node at(int cluster, int time) { return clusterTimeToNode.at(cluster).at(time); }
  template <class Property> auto get(const char* name, tlp::node n) {
    return graph->getProperty<Property>(name)->getNodeValue(n);
  }
  template <class Property> auto get(const char* name, tlp::edge e) {
    return graph->getProperty<Property>(name)->getEdgeValue(e);
  }
  bool major(tlp::node n) { return get<tlp::BooleanProperty>("Is Major Station", n); }
  bool dummy(tlp::node n) { return get<tlp::BooleanProperty>("Is Dummy", n); }
  int labelPosition(tlp::node n) { return get<tlp::IntegerProperty>("viewLabelPosition", n); }
  std::string label(tlp::node n) { return get<tlp::StringProperty>("viewLabel", n); }
  tlp::Color fill(tlp::edge e) { return get<tlp::ColorProperty>("viewColor", e); }
  tlp::edge edge(tlp::node from, tlp::node to) { return graph->existEdge(from, to, true); }

  void expectLook(tlp::node n, float size, const tlp::Color& fill, const tlp::Color& border,
                  double borderWidth) {
    EXPECT_EQ(get<tlp::SizeProperty>("viewSize", n), tlp::Size(size, size, size));
    EXPECT_EQ(get<tlp::ColorProperty>("viewColor", n), fill);
    EXPECT_EQ(get<tlp::ColorProperty>("viewBorderColor", n), border);
    EXPECT_DOUBLE_EQ(get<tlp::DoubleProperty>("viewBorderWidth", n), borderWidth);
  }
  void expectOrdinary(tlp::node n) {
    EXPECT_FALSE(major(n));
    expectLook(n, 0.5f, kGrey, kGrey, 0.1);
  }
  void expectMajor(tlp::node n) {
    EXPECT_TRUE(major(n));
    expectLook(n, 0.75f, kWhite, kBlack, 2.1);
  }
  void expectHidden(tlp::node n) { expectLook(n, 0, kInvisible, kInvisible, 0.01); }

  QTemporaryDir dir;
  MessageCapture messages;
  std::unique_ptr<tlp::Graph> graph;
};

} // namespace

TEST_F(Stations, LineEndsAreMajorAndEveryStationIsLabelled) {
  tags(3, 1, "north\t1\nsouth\t2\n");
  tags(4, 2, "east\t5\n");
  run({{{1, 3}, {2, 4}, {3, 1}}});

  expectMajor(at(3, 1));
  expectOrdinary(at(4, 2));
  expectMajor(at(1, 3));
  EXPECT_EQ(label(at(3, 1)), "south");
  EXPECT_EQ(label(at(4, 2)), "east");
  EXPECT_EQ(label(at(1, 3)), ""); // no tag file
  EXPECT_EQ(nodeToFileId.at(at(3, 1)), ".t1.c3");
  EXPECT_EQ(nodeToFileId.at(at(1, 3)), ".t3.c1");
  // The ends of a line keep the alternating label positions.
  EXPECT_EQ(labelPosition(at(3, 1)), 1);
  EXPECT_EQ(labelPosition(at(4, 2)), 2);
  EXPECT_EQ(labelPosition(at(1, 3)), 1);

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
  const std::string expected =
      "Reading tags for node \"t.t2.c4\" from  \"" + dir.path().toStdString() + "/t.t2.c4.tags\" ";
  EXPECT_NE(std::find(reported.begin(), reported.end(), expected), reported.end());
}

TEST_F(Stations, SplitsAndMergesAreMajorWithTheirLabelBelow) {
  run({{{1, 3}, {2, 4}, {3, 1}},
       {{1, 3}, {2, 4}, {3, 2}},
       {{1, 5}, {2, 6}, {3, 8}},
       {{1, 7}, {2, 6}, {3, 8}}});
  expectMajor(at(4, 2)); // split
  EXPECT_EQ(labelPosition(at(4, 2)), 2);
  expectMajor(at(6, 2)); // merge
  EXPECT_EQ(labelPosition(at(6, 2)), 2);
  expectMajor(at(3, 1));
  EXPECT_EQ(labelPosition(at(3, 1)), 1);
  expectMajor(at(8, 3));
  EXPECT_EQ(labelPosition(at(8, 3)), 1);
  EXPECT_EQ(graph->numberOfEdges(), 6u); // the shared stretch keeps one edge
}

TEST_F(Stations, TimeGapsMakeMajorStationsAndStayInvisible) {
  run({{{1, 3}, {2, 4}, {4, 1}, {5, 2}}, {{3, 9}}});
  expectMajor(at(3, 1));
  expectMajor(at(4, 2)); // its only successor is a dummy node
  EXPECT_EQ(labelPosition(at(4, 2)), 2);
  expectMajor(at(1, 4)); // its only predecessor is a dummy node
  EXPECT_EQ(labelPosition(at(1, 4)), 2);
  expectMajor(at(2, 5));
  EXPECT_EQ(labelPosition(at(2, 5)), 2);
  // A line that starts late: its lead-in chain does not move the label.
  expectMajor(at(9, 3));
  EXPECT_EQ(labelPosition(at(9, 3)), 1);

  unsigned dummies = 0;
  for (tlp::node n : graph->nodes()) {
    if (!dummy(n))
      continue;
    ++dummies;
    expectHidden(n);
    EXPECT_EQ(label(n), "");
    EXPECT_EQ(nodeToFileId.count(n), 0u);
    for (tlp::edge e : graph->getInOutEdges(n))
      EXPECT_EQ(fill(e), kInvisible);
  }
  EXPECT_EQ(dummies, 3u);
  EXPECT_EQ(fill(edge(at(3, 1), at(4, 2))), kGrey);
  EXPECT_EQ(fill(edge(at(1, 4), at(2, 5))), kGrey);
}

TEST_F(Stations, OnlyClustersWithFeaturesInTheTimelineAreStyled) {
  tags(2, 2, "hidden\t1\n");
  // (2, 2) has an empty feature line; the feature files also list cluster 7 at
  // step 5 and cluster 9 at step 2, which the timeline never names.
  run({{{1, 1}, {2, 2}, {3, 3}}}, {{1, 1}, {3, 3}, {7, 5}, {9, 2}});
  expectHidden(at(2, 2));
  EXPECT_FALSE(major(at(2, 2)));
  EXPECT_EQ(label(at(2, 2)), "");
  EXPECT_EQ(nodeToFileId.count(at(2, 2)), 0u);
  // The track into it is drawn, the one out of it is not.
  EXPECT_EQ(fill(edge(at(1, 1), at(2, 2))), kGrey);
  EXPECT_EQ(fill(edge(at(2, 2), at(3, 3))), kInvisible);

  EXPECT_EQ(graph->numberOfNodes(), 3u);
  EXPECT_EQ(nodeToFileId.size(), 2u);
  EXPECT_EQ(clusterTimeToNode.count(7), 0u);
  EXPECT_EQ(clusterTimeToNode.count(9), 0u);
}
