#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TimelineReader.h"
#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

// The rules of a finished map: no dummy node is left; the stations of a time step
// share their right edge (x plus half the width), the columns follow the time steps
// from left to right with as many stations as the timeline names, and every edge
// has exactly the two metro-map bends.
void expectMetroMap(tlp::Graph* graph, const std::vector<timeline::Series>& series) {
  std::map<int, std::set<int>> steps;
  for (const timeline::Series& items : series)
    for (const auto& [time, cluster] : items)
      steps[time].insert(cluster);
  std::vector<int> stepSizes, columns;
  for (const auto& [time, clusters] : steps)
    stepSizes.push_back(int(clusters.size()));
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  auto right = [&](tlp::node n) {
    return layout->getNodeValue(n).getX() +
           graph->getProperty<tlp::SizeProperty>("viewSize")->getNodeValue(n).getW() / 2;
  };
  std::vector<tlp::node> nodes = graph->nodes();
  std::sort(nodes.begin(), nodes.end(),
            [&](tlp::node a, tlp::node b) { return right(a) < right(b); });
  std::map<tlp::node, int> column;
  for (unsigned i = 0; i < nodes.size(); ++i) {
    EXPECT_FALSE(graph->getProperty<tlp::BooleanProperty>("Is Dummy")->getNodeValue(nodes[i]));
    if (i == 0 || right(nodes[i]) - right(nodes[i - 1]) > 1e-3f)
      columns.push_back(0);
    ++columns.back();
    column[nodes[i]] = int(columns.size()) - 1;
  }
  EXPECT_EQ(columns, stepSizes);
  for (tlp::edge e : graph->edges()) {
    const auto& [s, t] = graph->ends(e);
    EXPECT_LT(column[s], column[t]);
    const std::vector<tlp::Coord>& bends = layout->getEdgeValue(e);
    const std::vector<tlp::Coord> expected =
        metroBends(layout->getNodeValue(s), layout->getNodeValue(t));
    ASSERT_EQ(bends.size(), 2u);
    for (int i : {0, 1})
      EXPECT_LT((bends[i] - expected[i]).norm(), 1e-3f * std::max(1.f, expected[i].norm()))
          << "edge " << e.id << " bend " << i << " (" << bends[i] << ")";
  }
}

// Exports the data set in `data` under the tag cloud name `name`, and checks its map.
void expectExportedMetroMap(const QString& data, const QString& name) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/map.tlp";
  const ProgramResult result =
      runProgram("textferro-export", {data + "/timeline.txt", data + "/clusters/step", "obj",
                                      "feat", data + "/tags", name, "tags", output});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("Could not layout graph"), std::string::npos) << result.err;
  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(output.toStdString()));
  ASSERT_TRUE(graph);
  std::vector<timeline::Series> series;
  int maxTime = 0;
  std::string error;
  EXPECT_TRUE(
      timeline::readTimeline((data + "/timeline.txt").toStdString(), series, maxTime, error));
  expectMetroMap(graph.get(), series);
}

} // namespace

TEST(SubwayLayout, BendsFollowTheThirdsAndSixthsRuleAndEmptyGraphsNeedNoLayout) {
  using C = tlp::Coord;
  EXPECT_EQ(metroBends(C(0, 0, 0), C(6, 12, 0)), (std::vector<C>{C(2, 2, 0), C(4, 10, 0)}));
  EXPECT_EQ(metroBends(C(0, 0, 4), C(6, -12, 7)), (std::vector<C>{C(2, -2, 0), C(4, -10, 0)}));
  // A level edge and an upright one keep their bends on their line.
  EXPECT_EQ(metroBends(C(0, 3, 0), C(6, 3, 0)), (std::vector<C>{C(2, 3, 0), C(4, 3, 0)}));
  EXPECT_EQ(metroBends(C(1, 0, 0), C(1, 12, 0)), (std::vector<C>{C(1, 2, 0), C(1, 10, 0)}));
  std::unique_ptr<tlp::Graph> empty(tlp::newGraph());
  testing::internal::CaptureStderr();
  subwayLayout(empty.get());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The example and generated timelines with gaps, late starts, ends, splits and
// merges, or no series at all.
TEST(SubwayLayout, TheExampleAndRandomTimelinesGiveMetroMaps) {
  expectExportedMetroMap(exampleDir, "energy");
  for (int seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    QTemporaryDir dir;
    const QString data = dir.path() + "/data";
    const auto rate = [seed](int period, double step) {
      return QString::number(seed % period * step);
    };
    const QStringList options{"--out",        data,
                              "--seed",       QString::number(seed),
                              "--steps",      QString::number(1 + seed % 7),
                              "--clusters",   QString::number(1 + seed % 5),
                              "--series",     QString::number(seed % 11 == 0 ? 0 : 3 * seed % 29),
                              "--gap-rate",   rate(4, 0.15),
                              "--late-rate",  rate(3, 0.3),
                              "--end-rate",   rate(5, 0.1),
                              "--split-rate", rate(6, 0.15),
                              "--merge-rate", rate(4, 0.2),
                              "--tags",       "2"};
    const ProgramResult generated = runProgram("textferro-gendata", options);
    ASSERT_EQ(generated.exitCode, 0) << generated.err;
    expectExportedMetroMap(data, "gen");
  }
}
