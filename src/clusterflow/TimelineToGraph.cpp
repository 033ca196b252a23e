#include "clusterflow/GenClusterMap.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDotsPerWrite = 1000;

// Adds a chain of `length` dummy nodes and returns its last node (invalid if empty).
tlp::node addChain(tlp::Graph* graph, int length) {
  tlp::node last;
  for (int i = 0; i < length; ++i) {
    const tlp::node next = graph->addNode();
    if (last.isValid())
      graph->addEdge(last, next);
    last = next;
  }
  return last;
}

// Joins every station that a series starts at, at a time step t after the first, and
// that no series reaches from step t - 1, to the end of a chain of t - 1 dummy nodes,
// so that the layering (longest paths) puts it into its own column.
void addLeadIns(tlp::Graph* graph, std::vector<std::pair<int, tlp::node>>& firsts,
                LeadIns leadIns) {
  std::sort(firsts.begin(), firsts.end());
  firsts.erase(std::unique(firsts.begin(), firsts.end()), firsts.end());
  std::vector<tlp::node> axis;
  std::map<int, tlp::node> byStep;
  for (const auto& [time, station] : firsts) {
    if (graph->indeg(station) > 0)
      continue;
    tlp::node from;
    switch (leadIns) {
    case LeadIns::perFirstStation:
      from = addChain(graph, time - 1);
      break;
    case LeadIns::perTimeStep:
      if (!byStep[time].isValid())
        byStep[time] = addChain(graph, time - 1);
      from = byStep[time];
      break;
    case LeadIns::sharedAxis:
    case LeadIns::perSeries:
      while (static_cast<int>(axis.size()) < time - 1) {
        axis.push_back(graph->addNode());
        if (axis.size() > 1)
          graph->addEdge(axis[axis.size() - 2], axis.back());
      }
      from = axis[time - 2];
    }
    graph->addEdge(from, station);
  }
}

} // namespace

void addSeriesDot(std::string& dots) {
  dots += '.';
  if (dots.size() == kDotsPerWrite) {
    std::cerr << dots << std::flush;
    dots.clear();
  }
}

void timelineToGraph(tlp::Graph* splitMergeGraph,
                     std::vector<std::vector<std::pair<int, int>>>& timeClusterList,
                     LeadIns leadIns) {
  tlp::BooleanProperty* isDummy = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  // Every node made from here on is a dummy unless marked otherwise.
  isDummy->setAllNodeValue(true);
  tlp::IntegerProperty* labelPosition =
      splitMergeGraph->getLocalProperty<tlp::IntegerProperty>("viewLabelPosition");

  std::vector<tlp::node> seriesNodes;
  std::vector<std::pair<int, tlp::node>> lateFirsts;
  // The label position that the last series through each station gives it, by node id,
  // and the stations in the order they were made: set once per station at the end,
  // the property receives the same values in the same order as if set per item.
  std::vector<char> labelPositions;
  std::vector<tlp::node> stations;
  std::string dots;
  std::size_t seriesDone = 0;
  for (const auto& series : timeClusterList) {
    addSeriesDot(dots);
    reportStageProgress(seriesDone++, timeClusterList.size());
    seriesNodes.clear();
    // A series that starts late begins with a lead-in chain of its own only in the
    // per-series mode; the others add lead-ins once every series is in.
    int previousTime =
        leadIns == LeadIns::perSeries || series.empty() ? 0 : series.front().first - 1;
    int clusterCounter = 0;
    for (const auto& [time, cluster] : series) {
      for (int missing = previousTime + 1; missing < time; ++missing)
        seriesNodes.push_back(splitMergeGraph->addNode());

      tlp::node& slot = clusterTimeToNode[cluster][time];
      if (!slot.isValid()) {
        slot = splitMergeGraph->addNode();
        isDummy->setNodeValue(slot, false);
        nodeToClusterTime[slot] = std::make_pair(cluster, time);
        stations.push_back(slot);
      }
      // Labels alternate above and below along the series.
      if (labelPositions.size() <= slot.id)
        labelPositions.resize(std::max<std::size_t>(2 * labelPositions.size(), slot.id + 1));
      labelPositions[slot.id] = clusterCounter % 2 == 0 ? 1 : 2;
      seriesNodes.push_back(slot);
      ++clusterCounter;
      previousTime = time;
    }
    for (std::size_t i = 1; i < seriesNodes.size(); ++i)
      splitMergeGraph->addEdge(seriesNodes[i - 1], seriesNodes[i]);
    if (!series.empty() && series.front().first > 1 && leadIns != LeadIns::perSeries)
      lateFirsts.emplace_back(series.front().first, seriesNodes.front());
  }
  std::cerr << dots << std::flush;
  for (tlp::node station : stations)
    labelPosition->setNodeValue(station, labelPositions[station.id]);
  addLeadIns(splitMergeGraph, lateFirsts, leadIns);
  std::cerr << std::endl;
}
