#include "clusterflow/FlowGraphArrays.h"
#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TimelineReader.h"
#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>
#include <tulip/GraphMeasure.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <set>

namespace {

// The rules of a finished map: no dummy node is left; the stations of a time step
// share their right edge (x plus half the width), the columns follow the time steps
// from left to right with as many stations as the timeline names, stations of a
// column keep the node spacing, the map is at most twice as tall as its biggest
// column needs, and every edge has exactly the two metro-map bends.
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
  std::map<int, std::vector<float>> heights;
  for (tlp::node n : nodes)
    heights[column[n]].push_back(layout->getNodeValue(n).getY());
  std::vector<float> all;
  for (auto& [c, ys] : heights) {
    std::sort(ys.begin(), ys.end());
    for (std::size_t i = 1; i < ys.size(); ++i)
      EXPECT_GE(ys[i] - ys[i - 1], 1.5f - 1e-3f) << "column " << c;
    all.insert(all.end(), ys.begin(), ys.end());
  }
  if (!all.empty()) {
    EXPECT_LE(*std::max_element(all.begin(), all.end()) - *std::min_element(all.begin(), all.end()),
              2 * 1.5f * *std::max_element(columns.begin(), columns.end()));
  }
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

// A timeline of up to 60 series over up to 8 steps and 8 clusters, with late starts,
// gaps and early ends.
std::vector<timeline::Series> randomTimeline(unsigned seed) {
  std::mt19937 random(seed);
  const int steps = 2 + random() % 7;
  const int clusters = 1 + random() % 8;
  std::vector<timeline::Series> list(random() % 60);
  for (timeline::Series& series : list)
    for (int time = random() % 2 ? 1 + random() % steps : 1; time <= steps && random() % 7;
         time += random() % 5 ? 1 : 2 + random() % 3)
      series.emplace_back(time, 1 + random() % clusters);
  return list;
}

// The graph of `list` as the loader builds it, every cluster with one feature, before
// its layout.
std::unique_ptr<tlp::Graph> styledGraph(std::vector<timeline::Series> list, LeadIns leadIns) {
  clusterTimeToNode.clear();
  nodeToClusterTime.clear();
  clusterTimeToIdListFeatures.clear();
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  timelineToGraph(graph.get(), list, leadIns);
  for (const auto& [n, clusterTime] : nodeToClusterTime)
    clusterTimeToIdListFeatures[clusterTime.first][clusterTime.second] = {"term"};
  deleteMultiEdges(graph.get());
  findMajorStations(graph.get());
  clusterProperties(graph.get());
  return graph;
}

// `text` followed by the element's value in each property, the layout if asked.
template <typename Element>
std::string values(tlp::Graph* graph, std::string text, Element element, bool layout = false) {
  for (tlp::PropertyInterface* property : graph->getObjectProperties())
    if (layout || property->getName() != "viewLayout") {
      if constexpr (std::is_same_v<Element, tlp::node>)
        text += " " + property->getName() + "=" + property->getNodeStringValue(element);
      else
        text += " " + property->getName() + "=" + property->getEdgeStringValue(element);
    }
  return text;
}

// Every station and edge of a finished map with all its values but the layout,
// stations named by cluster and time step and given their column.
std::multiset<std::string> describe(tlp::Graph* graph) {
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  std::set<float> columns;
  for (tlp::node n : graph->nodes())
    columns.insert(layout->getNodeValue(n).getX());
  auto name = [&](tlp::node n) {
    const auto [cluster, time] = nodeToClusterTime.at(n);
    const auto column = columns.find(layout->getNodeValue(n).getX());
    return std::to_string(cluster) + "@" + std::to_string(time) + " in column " +
           std::to_string(std::distance(columns.begin(), column));
  };
  std::multiset<std::string> described;
  for (tlp::node n : graph->nodes())
    described.insert(values(graph, name(n), n));
  for (tlp::edge e : graph->edges())
    described.insert(values(graph, name(graph->source(e)) + " -> " + name(graph->target(e)), e));
  return described;
}

// Every node by position with its cluster, time step and edges around it, and every
// edge by position with its ends, each with all its values.
std::vector<std::string> exactly(tlp::Graph* graph) {
  std::vector<std::string> elements;
  for (tlp::node n : graph->nodes()) {
    const auto [cluster, time] = nodeToClusterTime.at(n);
    std::string text = std::to_string(cluster) + "@" + std::to_string(time) + " edges";
    for (tlp::edge e : graph->allEdges(n))
      text += " " + std::to_string(graph->edgePos(e));
    elements.push_back(values(graph, text, n, true));
  }
  for (tlp::edge e : graph->edges()) {
    const auto [s, t] = graph->ends(e);
    elements.push_back(values(
        graph, std::to_string(graph->nodePos(s)) + " -> " + std::to_string(graph->nodePos(t)), e,
        true));
  }
  return elements;
}

// The bare graph that the arrays hand to the library's pipeline when they cannot draw
// it, or timelineToGraph's if `library`: its edges' ends and its values, and the names of
// its stations.
std::pair<std::string, NodeToClusterTime> bareGraph(std::vector<timeline::Series> list,
                                                    bool library) {
  clusterTimeToNode.clear();
  nodeToClusterTime.clear();
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  if (library)
    timelineToGraph(graph.get(), list);
  else
    FlowGraphArrays(list).toLibraryGraph(graph.get());
  std::string text;
  for (tlp::edge e : graph->edges())
    text += std::to_string(graph->source(e).id) + ">" + std::to_string(graph->target(e).id) + " ";
  for (tlp::node n : graph->nodes())
    text += values(graph.get(), "\n", n);
  return {text, nodeToClusterTime};
}

// The map of `list` made on arrays, every cluster with the features set before.
std::unique_ptr<tlp::Graph> arraysMap(const std::vector<timeline::Series>& list) {
  clusterTimeToNode.clear();
  nodeToClusterTime.clear();
  FlowGraphArrays arrays(list);
  EXPECT_TRUE(arrays.removeParallelEdges());
  arrays.findMajorStations();
  arrays.readLabels();
  std::unique_ptr<tlp::Graph> map(tlp::newGraph());
  arrays.layOut(map.get());
  return map;
}

// Crossings between neighbouring time steps when "Hierarchical Graph" lays the
// graph out with the given crossing reduction.
long long crossings(tlp::Graph* graph, const std::string& crossingReduction) {
  tlp::DataSet parameters;
  tlp::StringCollection reduction("layer sweeps;in-place sweeps;");
  reduction.setCurrent(crossingReduction);
  parameters.set("crossing reduction", reduction);
  tlp::LayoutProperty layout(graph);
  std::string error;
  EXPECT_TRUE(graph->applyPropertyAlgorithm("Hierarchical Graph", &layout, error, &parameters));
  tlp::NodeStaticProperty<unsigned int> level(graph);
  tlp::dagLevel(graph, level);
  auto y = [&](tlp::node n) { return layout.getNodeValue(n).getY(); };
  long long count = 0;
  for (tlp::edge e : graph->edges())
    for (tlp::edge f : graph->edges()) {
      const auto [s, t] = graph->ends(e);
      const auto [u, v] = graph->ends(f);
      count += level[s] == level[u] && y(s) < y(u) && y(t) > y(v);
    }
  return count;
}

} // namespace

// The same stations, edges, vanish edges, labels, styles and columns as the map made
// with a lead-in chain per late series, and never more crossings than the in-place
// sweeps give. The map made on arrays is the same as the library pipeline's, to the
// order of nodes, edges and edges around each node, with every value and position.
TEST(SubwayLayout, RandomTimelinesGiveTheMapOfBeforeWithNoMoreCrossings) {
  testing::internal::CaptureStderr();
  for (unsigned seed = 1; seed <= 60; ++seed) {
    const std::vector<timeline::Series> list = randomTimeline(seed);
    std::unique_ptr<tlp::Graph> before = styledGraph(list, LeadIns::perSeries);
    subwayLayout(before.get());
    const std::multiset<std::string> map = describe(before.get());
    std::unique_ptr<tlp::Graph> graph = styledGraph(list, LeadIns::perFirstStation);
    if (!graph->isEmpty()) {
      EXPECT_LE(crossings(graph.get(), "layer sweeps"), crossings(graph.get(), "in-place sweeps"))
          << seed;
    }
    subwayLayout(graph.get());
    EXPECT_EQ(describe(graph.get()), map) << seed;
    const std::vector<std::string> library = exactly(graph.get());
    EXPECT_EQ(exactly(arraysMap(list).get()), library) << seed;
    EXPECT_EQ(bareGraph(list, false), bareGraph(list, true)) << seed;
  }
  testing::internal::GetCapturedStderr();
}

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
