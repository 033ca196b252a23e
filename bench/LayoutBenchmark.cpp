// Lays out the pre-layout cluster-flow graph of a data set (built, parallel edges
// removed, dummy nodes still in) with "Hierarchical Graph" as the loader does, and
// counts the edge crossings between consecutive time steps. It also writes the same
// graph as a Graphviz DOT file, and counts the crossings of a drawing that `dot`
// made of it (its -Tplain output), so that both drawings are compared on one graph.
//
// usage: textferro-layout-bench <timeline> <dot file to write>
//        textferro-layout-bench <timeline> --count-plain <dot -Tplain output>

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TimelineReader.h"
#include "clusterflow/TulipSetup.h"

#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/GraphMeasure.h>
#include <tulip/LayoutProperty.h>
#include <tulip/StaticProperty.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unordered_map>

namespace {

tlp::Graph* preLayoutGraph(const std::string& timelinePath) {
  std::vector<timeline::Series> series;
  int maxTime = -1;
  std::string error;
  if (!timeline::readTimeline(timelinePath, series, maxTime, error)) {
    std::cerr << error << std::endl;
    return nullptr;
  }
  tlp::Graph* graph = tlp::newGraph();
  std::streambuf* progress = std::cerr.rdbuf(nullptr);
  timelineToGraph(graph, series);
  std::cerr.rdbuf(progress);
  deleteMultiEdges(graph);
  return graph;
}

// Crossings between consecutive levels: two edges between the same two levels cross
// when their ends are in opposite orders on the two levels (shared ends never cross).
long long countCrossings(tlp::Graph* graph, const tlp::NodeStaticProperty<unsigned int>& level,
                         const std::unordered_map<unsigned int, double>& position) {
  std::unordered_map<unsigned int, std::vector<std::pair<double, double>>> byLevel;
  for (tlp::edge e : graph->edges()) {
    const auto& [s, t] = graph->ends(e);
    if (level.getNodeValue(t) != level.getNodeValue(s) + 1)
      continue;
    byLevel[level.getNodeValue(s)].push_back({position.at(s.id), position.at(t.id)});
  }
  long long crossings = 0;
  for (auto& [l, edges] : byLevel) {
    std::sort(edges.begin(), edges.end());
    // Count pairs i < j with target(i) > target(j) by merge sort on the targets.
    std::vector<double> targets, buffer(edges.size());
    for (const auto& e : edges)
      targets.push_back(e.second);
    for (std::size_t width = 1; width < targets.size(); width *= 2) {
      for (std::size_t lo = 0; lo + width < targets.size(); lo += 2 * width) {
        const std::size_t mid = lo + width, hi = std::min(lo + 2 * width, targets.size());
        std::size_t i = lo, j = mid, k = lo;
        while (i < mid && j < hi) {
          if (targets[j] < targets[i]) {
            crossings += static_cast<long long>(mid - i);
            buffer[k++] = targets[j++];
          } else {
            buffer[k++] = targets[i++];
          }
        }
        while (i < mid)
          buffer[k++] = targets[i++];
        while (j < hi)
          buffer[k++] = targets[j++];
        std::copy(buffer.begin() + lo, buffer.begin() + hi, targets.begin() + lo);
      }
    }
  }
  return crossings;
}

bool writeDot(tlp::Graph* graph, const std::string& path) {
  std::ofstream out(path);
  out << "digraph clusterflow {\nrankdir=LR;\nnode [shape=point];\n";
  for (tlp::node n : graph->nodes())
    out << "n" << n.id << ";\n";
  for (tlp::edge e : graph->edges())
    out << "n" << graph->source(e).id << " -> n" << graph->target(e).id << ";\n";
  out << "}\n";
  return static_cast<bool>(out);
}

// A checksum of every node position and bend, to see that a change of the code
// leaves the drawing as it was.
std::string checksum(tlp::Graph* graph, tlp::LayoutProperty* layout) {
  std::uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    hash = (hash ^ bits) * 1099511628211ull;
  };
  for (tlp::node n : graph->nodes())
    for (int i = 0; i < 3; ++i)
      mix(layout->getNodeValue(n)[i]);
  for (tlp::edge e : graph->edges())
    for (const tlp::Coord& c : layout->getEdgeValue(e))
      for (int i = 0; i < 3; ++i)
        mix(c[i]);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  initTulip();
  const bool countPlain = argc == 4 && std::string(argv[2]) == "--count-plain";
  if (argc != 3 && !countPlain) {
    std::cerr << "usage: textferro-layout-bench <timeline> <dot file to write>\n"
                 "       textferro-layout-bench <timeline> --count-plain <dot -Tplain output>\n";
    return 1;
  }
  tlp::Graph* graph = preLayoutGraph(argv[1]);
  if (graph == nullptr)
    return 1;
  tlp::NodeStaticProperty<unsigned int> level(graph);
  tlp::dagLevel(graph, level);
  std::unordered_map<unsigned int, double> position;

  if (countPlain) {
    std::ifstream in(argv[3]);
    std::string line, kind, name;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      double x = 0, y = 0;
      if (fields >> kind >> name >> x >> y && kind == "node")
        position[static_cast<unsigned int>(std::stoul(name.substr(1)))] = y;
    }
    if (position.size() != graph->numberOfNodes()) {
      std::cerr << "The drawing has " << position.size() << " of " << graph->numberOfNodes()
                << " nodes" << std::endl;
      return 1;
    }
    std::cout << "dot_crossings " << countCrossings(graph, level, position) << std::endl;
    return 0;
  }

  if (!writeDot(graph, argv[2])) {
    std::cerr << "Could not write " << argv[2] << std::endl;
    return 1;
  }
  tlp::DataSet parameters;
  parameters.set("node spacing", 1.5f);
  parameters.set("layer spacing", 2.5f);
  tlp::LayoutProperty layout(graph);
  std::string error;
  const auto wallStart = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  if (!graph->applyPropertyAlgorithm("Hierarchical Graph", &layout, error, &parameters)) {
    std::cerr << "Could not layout graph " << std::endl << error << std::endl;
    return 1;
  }
  const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  for (tlp::node n : graph->nodes())
    position[n.id] = layout.getNodeValue(n).getY();
  std::cout << "nodes " << graph->numberOfNodes() << " edges " << graph->numberOfEdges()
            << " layout_wall " << wall << " layout_cpu " << cpu << " crossings "
            << countCrossings(graph, level, position) << " checksum " << checksum(graph, &layout)
            << std::endl;
  return 0;
}
