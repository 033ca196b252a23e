#include "clusterflow/GenClusterMap.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>

#include <iostream>

void timelineToGraph(tlp::Graph* splitMergeGraph,
                     std::vector<std::vector<std::pair<int, int>>>& timeClusterList) {
  tlp::BooleanProperty* isDummy = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  // Every node made from here on is a dummy unless marked otherwise.
  isDummy->setAllNodeValue(true);
  tlp::IntegerProperty* labelPosition =
      splitMergeGraph->getLocalProperty<tlp::IntegerProperty>("viewLabelPosition");

  std::vector<tlp::node> seriesNodes;
  for (const auto& series : timeClusterList) {
    std::cerr << "." << std::flush;
    seriesNodes.clear();
    int previousTime = 0;
    int clusterCounter = 0;
    for (const auto& [time, cluster] : series) {
      for (int missing = previousTime + 1; missing < time; ++missing)
        seriesNodes.push_back(splitMergeGraph->addNode());

      tlp::node& slot = clusterTimeToNode[cluster][time];
      if (!slot.isValid()) {
        slot = splitMergeGraph->addNode();
        isDummy->setNodeValue(slot, false);
        nodeToClusterTime[slot] = std::make_pair(cluster, time);
      }
      // Labels alternate above and below along the series.
      labelPosition->setNodeValue(slot, clusterCounter % 2 == 0 ? 1 : 2);
      seriesNodes.push_back(slot);
      ++clusterCounter;
      previousTime = time;
    }
    for (std::size_t i = 1; i < seriesNodes.size(); ++i)
      splitMergeGraph->addEdge(seriesNodes[i - 1], seriesNodes[i]);
  }
  std::cerr << std::endl;
}
