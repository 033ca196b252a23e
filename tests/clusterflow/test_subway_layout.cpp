#include "clusterflow/GenClusterMap.h"
#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace {

const QString kExample = QString(TEXTFERRO_EXAMPLES) + "/energy";

bool near(const tlp::Coord& a, const tlp::Coord& b) {
  return (a - b).norm() < 1e-3f * std::max(1.f, b.norm());
}

// Number of distinct clusters of every time step that the timeline names, in time order.
std::vector<int> stationsPerStep(const std::string& timelinePath) {
  std::map<int, std::set<int>> steps;
  std::ifstream in(timelinePath);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t colon = line.find(':');
    std::stringstream items(line.substr(colon == std::string::npos ? 0 : colon + 1));
    std::string item;
    while (std::getline(items, item, ',')) {
      int time = 0, cluster = 0;
      if (std::sscanf(item.c_str(), " %d=%d", &time, &cluster) == 2)
        steps[time].insert(cluster);
    }
  }
  std::vector<int> counts;
  for (const auto& step : steps)
    counts.push_back(static_cast<int>(step.second.size()));
  return counts;
}

// The rules of a finished map: no dummy node is left; the stations of a time step
// share their right edge (x plus half the width), the columns follow the time steps
// from left to right, and every edge has exactly the two metro-map bends.
void expectMetroMap(tlp::Graph* graph, const std::vector<int>& stepSizes) {
  auto* isDummy = graph->getProperty<tlp::BooleanProperty>("Is Dummy");
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
  auto right = [&](tlp::node n) {
    return layout->getNodeValue(n).getX() + sizes->getNodeValue(n).getW() / 2;
  };
  std::vector<tlp::node> nodes = graph->nodes();
  for (tlp::node n : nodes)
    EXPECT_FALSE(isDummy->getNodeValue(n));
  std::sort(nodes.begin(), nodes.end(), [&](tlp::node a, tlp::node b) { return right(a) < right(b); });
  std::vector<int> columns;
  std::map<tlp::node, int> column;
  for (unsigned int i = 0; i < nodes.size(); ++i) {
    if (i == 0 || right(nodes[i]) - right(nodes[i - 1]) > 1e-3f)
      columns.push_back(0);
    ++columns.back();
    column[nodes[i]] = static_cast<int>(columns.size()) - 1;
  }
  EXPECT_EQ(columns, stepSizes);
  for (tlp::edge e : graph->edges()) {
    const auto& [s, t] = graph->ends(e);
    EXPECT_LT(column[s], column[t]);
    const std::vector<tlp::Coord>& bends = layout->getEdgeValue(e);
    const std::vector<tlp::Coord> expected = metroBends(layout->getNodeValue(s), layout->getNodeValue(t));
    ASSERT_EQ(bends.size(), 2u);
    EXPECT_TRUE(near(bends[0], expected[0]) && near(bends[1], expected[1]))
        << "edge " << e.id << " bends (" << bends[0] << ") (" << bends[1] << ")";
  }
}

std::unique_ptr<tlp::Graph> exportAndLoad(const QStringList& arguments, const QString& output) {
  const ProgramResult result = runProgram("textferro-export", QStringList(arguments) << output);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("Could not layout graph"), std::string::npos) << result.err;
  return std::unique_ptr<tlp::Graph>(tlp::loadGraph(output.toStdString()));
}

} // namespace

TEST(MetroBends, FollowTheThirdsAndSixthsRule) {
  using C = tlp::Coord;
  EXPECT_EQ(metroBends(C(0, 0, 0), C(6, 12, 0)), (std::vector<C>{C(2, 2, 0), C(4, 10, 0)}));
  // Level: at one and two thirds of the run, on the line.
  EXPECT_EQ(metroBends(C(0, 1, 0), C(9, 1, 0)), (std::vector<C>{C(3, 1, 0), C(6, 1, 0)}));
  // Upright: at one and five sixths of the height.
  EXPECT_EQ(metroBends(C(2, 0, 0), C(2, 12, 0)), (std::vector<C>{C(2, 2, 0), C(2, 10, 0)}));
  // Depth is flattened.
  EXPECT_EQ(metroBends(C(0, 0, 4), C(6, -12, 7)), (std::vector<C>{C(2, -2, 0), C(4, -10, 0)}));
}

TEST(SubwayLayout, GapsBecomeVanishEdgesWithBendsByTheSameRule) {
  clusterTimeToNode.clear();
  nodeToClusterTime.clear();
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  std::vector<std::vector<std::pair<int, int>>> series{
      {{1, 2}, {4, 6}}, {{1, 2}, {2, 3}, {3, 4}, {4, 6}}, {{3, 5}, {4, 6}}, {{1, 2}, {2, 3}}};
  testing::internal::CaptureStderr();
  timelineToGraph(graph.get(), series);
  deleteMultiEdges(graph.get());
  subwayLayout(graph.get());
  testing::internal::GetCapturedStderr();

  EXPECT_EQ(graph->numberOfNodes(), 5u);
  expectMetroMap(graph.get(), {1, 1, 2, 1});
  const tlp::node from = clusterTimeToNode[2][1];
  const tlp::node to = clusterTimeToNode[6][4];
  auto* colour = graph->getProperty<tlp::ColorProperty>("viewColor");
  int vanish = 0;
  for (tlp::edge e : graph->getOutEdges(from))
    if (graph->target(e) == to) {
      ++vanish;
      EXPECT_EQ(colour->getEdgeValue(e), tlp::Color(180, 180, 180, 70));
    }
  EXPECT_EQ(vanish, 1);
  // The late start of cluster 5 leaves no edge behind.
  EXPECT_EQ(graph->indeg(clusterTimeToNode[5][3]), 0u);
}

TEST(SubwayLayout, AnEmptyGraphNeedsNoLayout) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  testing::internal::CaptureStderr();
  subwayLayout(graph.get());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(graph->existLocalProperty("viewLayout"));
}

TEST(SubwayLayout, TheExampleRunsLeftToRightInColumnsOfTimeSteps) {
  QTemporaryDir dir;
  auto graph = exportAndLoad({kExample + "/timeline.txt", kExample + "/clusters/step", "obj",
                              "feat", kExample + "/tags", "energy", "tags"},
                             dir.path() + "/energy.tlp");
  ASSERT_TRUE(graph);
  expectMetroMap(graph.get(), stationsPerStep((kExample + "/timeline.txt").toStdString()));
}

TEST(SubwayLayout, RandomTimelinesGiveMetroMaps) {
  for (int seed = 1; seed <= 30; ++seed) {
    QTemporaryDir dir;
    const QString data = dir.path() + "/data";
    const QStringList options{"--out", data, "--seed", QString::number(seed),
                              "--steps", QString::number(1 + seed % 7),
                              "--clusters", QString::number(1 + seed % 5),
                              "--series", QString::number(seed % 11 == 0 ? 0 : 3 * seed % 29),
                              "--gap-rate", QString::number((seed % 4) * 0.15),
                              "--late-rate", QString::number((seed % 3) * 0.3),
                              "--end-rate", QString::number((seed % 5) * 0.1),
                              "--split-rate", QString::number((seed % 6) * 0.15),
                              "--merge-rate", QString::number((seed % 4) * 0.2),
                              "--tags", "2"};
    const ProgramResult generated = runProgram("textferro-gendata", options);
    ASSERT_EQ(generated.exitCode, 0) << generated.err;
    auto graph = exportAndLoad({data + "/timeline.txt", data + "/clusters/step", "obj", "feat",
                                data + "/tags", "gen", "tags"},
                               dir.path() + "/map.tlp");
    ASSERT_TRUE(graph) << "seed " << seed;
    SCOPED_TRACE("seed " + std::to_string(seed));
    expectMetroMap(graph.get(), stationsPerStep((data + "/timeline.txt").toStdString()));
  }
}
