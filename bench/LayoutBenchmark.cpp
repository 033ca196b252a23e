// Lays out the pre-layout cluster-flow graph of a data set (built, parallel edges
// removed, dummy nodes still in) with "Hierarchical Graph" as the loader does, and
// counts the edge crossings between consecutive time steps: with the earlier in-place
// barycentre sweeps (old_crossings) and with layer sweeps (crossings), against the
// crossings of the order that the layer sweeps found (order_crossings; the difference
// is what the placement adds), and without the edges of lead-in chains, which the map
// does not draw (visible). ordering_cpu times the crossing reduction alone. The map is
// then finished as the loader does, and map_height is compared with column_need, one
// node spacing per station of the biggest column.
//
// It also writes the same graph as a Graphviz DOT file, and counts the crossings of a
// drawing that `dot` made of it (its -Tplain output), so that both drawings are
// compared on one graph.
//
// With --ordering-only it times the crossing reduction alone and prints the crossings
// of the order found, for quick runs on large graphs.
//
// usage: textferro-layout-bench [--lead-ins MODE] <timeline> <dot file to write>
//        textferro-layout-bench [--lead-ins MODE] <timeline> --count-plain <dot -Tplain output>
//        textferro-layout-bench [--lead-ins MODE] <timeline> --ordering-only
// MODE is how late-starting series are held in their column: per-series,
// per-station (the loader's, and the default), per-step or axis.

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TimelineReader.h"
#include "clusterflow/TulipSetup.h"
#include "hierarchy/HierarchicalGraph.h"

#include <tulip/BooleanProperty.h>
#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GraphMeasure.h>
#include <tulip/GraphTools.h>
#include <tulip/LayoutProperty.h>
#include <tulip/StaticProperty.h>
#include <tulip/StringCollection.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <unordered_map>

namespace {

const float kNodeSpacing = 1.5f;

tlp::Graph* preLayoutGraph(const std::string& timelinePath, LeadIns leadIns) {
  std::vector<timeline::Series> series;
  int maxTime = -1;
  std::string error;
  if (!timeline::readTimeline(timelinePath, series, maxTime, error)) {
    std::cerr << error << std::endl;
    return nullptr;
  }
  tlp::Graph* graph = tlp::newGraph();
  std::streambuf* progress = std::cerr.rdbuf(nullptr);
  timelineToGraph(graph, series, leadIns);
  std::cerr.rdbuf(progress);
  deleteMultiEdges(graph);
  return graph;
}

// Crossings between consecutive levels: two edges between the same two levels cross
// when their ends are in opposite orders on the two levels (shared ends never cross).
// Only edges whose source is in `drawn` count.
long long countCrossings(tlp::Graph* graph, const tlp::NodeStaticProperty<unsigned int>& level,
                         const std::unordered_map<unsigned int, double>& position,
                         const std::vector<bool>& drawn) {
  std::unordered_map<unsigned int, std::vector<std::pair<double, double>>> byLevel;
  for (tlp::edge e : graph->edges()) {
    const auto& [s, t] = graph->ends(e);
    if (level.getNodeValue(t) != level.getNodeValue(s) + 1 || !drawn[graph->nodePos(s)])
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

// The nodes that the finished map draws an edge from: stations, and the dummy nodes
// of gaps, whose chains become vanish edges. Lead-in chains start at no station.
std::vector<bool> drawnSources(tlp::Graph* graph,
                               const tlp::NodeStaticProperty<unsigned int>& level) {
  auto* isDummy = graph->getProperty<tlp::BooleanProperty>("Is Dummy");
  std::vector<tlp::node> byLevel = graph->nodes();
  std::stable_sort(byLevel.begin(), byLevel.end(), [&](tlp::node a, tlp::node b) {
    return level.getNodeValue(a) < level.getNodeValue(b);
  });
  std::vector<bool> drawn(graph->numberOfNodes(), false);
  for (tlp::node n : byLevel) {
    bool fromStation = !isDummy->getNodeValue(n);
    for (tlp::node m : graph->getInNodes(n))
      fromStation = fromStation || drawn[graph->nodePos(m)];
    drawn[graph->nodePos(n)] = fromStation;
  }
  return drawn;
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

bool parseLeadIns(const std::string& name, LeadIns& leadIns) {
  const std::map<std::string, LeadIns> names{{"per-series", LeadIns::perSeries},
                                             {"per-station", LeadIns::perFirstStation},
                                             {"per-step", LeadIns::perTimeStep},
                                             {"axis", LeadIns::sharedAxis}};
  const auto found = names.find(name);
  if (found == names.end())
    return false;
  leadIns = found->second;
  return true;
}

struct Run {
  double seconds = 0;
  long long orderCrossings = -1;
  std::string checksum;
  std::unordered_map<unsigned int, double> position;
};

// The spacings of "Hierarchical Graph" that the map uses.
tlp::DataSet mapSpacings() {
  tlp::DataSet parameters;
  parameters.set("node spacing", kNodeSpacing);
  parameters.set("layer spacing", 2.5f);
  return parameters;
}

// Runs "Hierarchical Graph" as the map does, with the given crossing reduction.
Run layOut(tlp::Graph* graph, const std::string& crossingReduction) {
  tlp::LayoutProperty layout(graph);
  tlp::DataSet parameters = mapSpacings();
  tlp::StringCollection choice("layer sweeps;in-place sweeps;");
  choice.setCurrent(crossingReduction);
  parameters.set("crossing reduction", choice);
  parameters.set("result", &layout);
  tlp::AlgorithmContext context(graph, &parameters, nullptr);
  HierarchicalGraph algorithm(&context);
  Run run;
  const std::clock_t start = std::clock();
  algorithm.run();
  run.seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  run.orderCrossings = algorithm.orderCrossings;
  run.checksum = checksum(graph, &layout);
  for (tlp::node n : graph->nodes())
    run.position[n.id] = layout.getNodeValue(n).getY();
  return run;
}

// CPU seconds of the crossing reduction alone as the map's layout runs it (the
// in-place sweeps that give the start order, then the layer sweeps), timed between
// the drawing's phases, and the crossings of the order it found.
std::pair<double, long long> timeOrdering(tlp::Graph* graph) {
  tlp::DataSet parameters = mapSpacings();
  tlp::AlgorithmContext context(graph, &parameters, nullptr);
  HierarchicalGraph algorithm(&context);
  // Phase 1 is the preparation; phases 2 and 3 end the in-place and layer sweeps. The
  // drawing counts 100 steps per phase.
  std::clock_t orderingStart = 0, orderingEnd = 0;
  std::vector<tlp::Coord> positions;
  algorithm.nodePositions(positions, [&](std::size_t done, std::size_t) {
    if (done == 100)
      orderingStart = std::clock();
    else if (done == 300)
      orderingEnd = std::clock();
  });
  return {static_cast<double>(orderingEnd - orderingStart) / CLOCKS_PER_SEC,
          algorithm.orderCrossings};
}

// The finished map as the loader makes it (dummy nodes gone, columns packed): its
// height against what its biggest column needs, one node spacing per station.
std::pair<double, double> mapHeight(tlp::Graph* graph) {
  subwayLayout(graph);
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  // The nodes of a column share their x.
  std::map<float, int> column;
  double low = 0, high = 0;
  bool first = true;
  for (tlp::node n : graph->nodes()) {
    const double y = layout->getNodeValue(n).getY();
    low = first ? y : std::min(low, y);
    high = first ? y : std::max(high, y);
    first = false;
    ++column[layout->getNodeValue(n).getX()];
  }
  int biggest = 0;
  for (const auto& [x, count] : column)
    biggest = std::max(biggest, count);
  return {high - low, biggest * kNodeSpacing};
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  initTulip();
  std::vector<std::string> args(argv + 1, argv + argc);
  LeadIns leadIns = LeadIns::perFirstStation;
  if (args.size() >= 2 && args[0] == "--lead-ins") {
    if (!parseLeadIns(args[1], leadIns)) {
      std::cerr << "unknown lead-in mode " << args[1] << std::endl;
      return 1;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  const bool countPlain = args.size() == 3 && args[1] == "--count-plain";
  const bool orderingOnly = args.size() == 2 && args[1] == "--ordering-only";
  if (args.size() != 2 && !countPlain) {
    std::cerr << "usage: textferro-layout-bench [--lead-ins MODE] <timeline> <dot file to write>\n"
                 "       textferro-layout-bench [--lead-ins MODE] <timeline> --count-plain "
                 "<dot -Tplain output>\n"
                 "       textferro-layout-bench [--lead-ins MODE] <timeline> --ordering-only\n"
                 "MODE: per-series, per-station (default), per-step or axis\n";
    return 1;
  }
  tlp::Graph* graph = preLayoutGraph(args[0], leadIns);
  if (graph == nullptr)
    return 1;
  tlp::NodeStaticProperty<unsigned int> level(graph);
  tlp::dagLevel(graph, level);
  const std::vector<bool> all(graph->numberOfNodes(), true);
  const std::vector<bool> drawn = drawnSources(graph, level);
  std::unordered_map<unsigned int, double> position;

  if (countPlain) {
    std::ifstream in(args[2]);
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
    std::cout << "dot_crossings " << countCrossings(graph, level, position, all)
              << " dot_visible " << countCrossings(graph, level, position, drawn) << std::endl;
    return 0;
  }

  if (orderingOnly) {
    const auto [seconds, crossings] = timeOrdering(graph);
    std::cout << "nodes " << graph->numberOfNodes() << " edges " << graph->numberOfEdges()
              << " ordering_cpu " << seconds << " order_crossings " << crossings << std::endl;
    return 0;
  }
  if (!writeDot(graph, args[1])) {
    std::cerr << "Could not write " << args[1] << std::endl;
    return 1;
  }
  const double orderingSeconds = timeOrdering(graph).first;
  const Run old = layOut(graph, "in-place sweeps");
  const Run ours = layOut(graph, "layer sweeps");
  const long long oldCrossings = countCrossings(graph, level, old.position, all);
  const long long crossings = countCrossings(graph, level, ours.position, all);
  const long long visible = countCrossings(graph, level, ours.position, drawn);
  const unsigned int nodes = graph->numberOfNodes();
  const unsigned int edges = graph->numberOfEdges();
  const auto [height, need] = mapHeight(graph);
  std::cout << "nodes " << nodes << " edges " << edges << " old_cpu " << old.seconds
            << " old_crossings " << oldCrossings << " layout_cpu " << ours.seconds
            << " ordering_cpu " << orderingSeconds << " order_crossings " << ours.orderCrossings
            << " crossings " << crossings << " visible " << visible << " map_height " << height
            << " column_need " << need << " checksum " << ours.checksum << std::endl;
  return 0;
}
