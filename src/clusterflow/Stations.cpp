// The two pipeline steps that turn the bare cluster-flow graph into a metro map:
// which nodes are major stations, and how every node and edge looks.

#include "clusterflow/GenClusterMap.h"

#include "tagcloud/tagcache.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>

#include <functional>
#include <vector>

namespace {

constexpr int kStationShape = 14; // the "2D - Circle" glyph
constexpr int kEdgeShape = 8;
constexpr int kLabelBelow = 2;

const tlp::Color kInvisible(255, 255, 255, 0);
const tlp::Size kHiddenSize(0, 0, 0);
const double kDefaultBorderWidth = 0.01;

const tlp::Size kStationSize(0.5, 0.5, 0.5);
const tlp::Color kStationGrey(180, 180, 180, 255);
const double kStationBorderWidth = 0.1;

const tlp::Size kMajorSize(0.75, 0.75, 0.75);
const tlp::Color kMajorFill(255, 255, 255, 255);
const tlp::Color kMajorBorder(0, 0, 0, 255);
const double kMajorBorderWidth = 2.1;

const tlp::Color kTrackGrey(180, 180, 180, 255);

tlp::node clusterNode(int cluster, int time) {
  const auto byCluster = clusterTimeToNode.find(cluster);
  if (byCluster == clusterTimeToNode.end())
    return tlp::node();
  const auto byTime = byCluster->second.find(time);
  return byTime == byCluster->second.end() ? tlp::node() : byTime->second;
}

// The predecessors and successors of n that are not dummy nodes, as the graph's
// neighbour iterators give them.
std::pair<unsigned, unsigned> realNeighboursIterated(const tlp::Graph* graph, tlp::node n,
                                                     const tlp::BooleanProperty* isDummy) {
  unsigned predecessors = 0;
  for (tlp::node m : graph->getInNodes(n))
    predecessors += !isDummy->getNodeValue(m);
  unsigned successors = 0;
  for (tlp::node m : graph->getOutNodes(n))
    successors += !isDummy->getNodeValue(m);
  return {predecessors, successors};
}

// The same from the node's edge list in the root graph, without the two iterators
// per node that cost most of the search on a graph of millions of dummy nodes. A
// loop, which the list holds twice, goes to the iterators.
std::pair<unsigned, unsigned> realNeighbours(const tlp::Graph* root, tlp::node n,
                                             const tlp::BooleanProperty* isDummy) {
  unsigned predecessors = 0;
  unsigned successors = 0;
  for (tlp::edge e : root->allEdges(n)) {
    const auto& [source, target] = root->ends(e);
    if (source == target)
      return realNeighboursIterated(root, n, isDummy);
    if (target == n)
      predecessors += !isDummy->getNodeValue(source);
    else
      successors += !isDummy->getNodeValue(target);
  }
  return {predecessors, successors};
}

} // namespace

void findMajorStations(tlp::Graph* splitMergeGraph) {
  auto* isMajor = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Major Station");
  isMajor->setAllNodeValue(false);
  auto* isDummy = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");

  const bool root = splitMergeGraph == splitMergeGraph->getRoot();
  for (tlp::node n : splitMergeGraph->nodes()) {
    const auto [realPredecessors, realSuccessors] =
        root ? realNeighbours(splitMergeGraph, n, isDummy) : realNeighboursIterated(splitMergeGraph, n, isDummy);
    if (realPredecessors != 1 || realSuccessors != 1)
      isMajor->setNodeValue(n, true);
  }
}

StationLabels readStationLabels(const std::function<bool(tlp::node)>& isStation) {
  // The labels come from one tag file per station: the long part of the stage, read
  // for all stations at once so that the files can be read side by side.
  StationLabels labels;
  QStringList tagFiles;
  for (const auto& [cluster, byTime] : clusterTimeToIdListFeatures) {
    for (const auto& timeAndFeatures : byTime) {
      const int time = timeAndFeatures.first;
      // Feature files may list clusters that the timeline never names.
      const tlp::node n = clusterNode(cluster, time);
      if (!n.isValid() || !isStation(n))
        continue;
      labels.stations.push_back(n);
      labels.fileIds.append(".t" + QString::number(time) + ".c" + QString::number(cluster));
      tagFiles.append(tagCloudStub + labels.fileIds.back());
    }
  }
  labels.topTags = getTagCloudCache()->getTopTags(tagFiles, reportStageProgress);
  return labels;
}

void styleStations(tlp::Graph* splitMergeGraph, const StationLabels& labels,
                   const std::function<bool(tlp::node)>& insideLine,
                   const std::function<bool(tlp::edge)>& isTrack) {
  auto* isMajor = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Major Station");
  auto* shape = splitMergeGraph->getLocalProperty<tlp::IntegerProperty>("viewShape");
  shape->setAllNodeValue(kStationShape);
  shape->setAllEdgeValue(kEdgeShape);
  auto* labelPosition =
      splitMergeGraph->getLocalProperty<tlp::IntegerProperty>("viewLabelPosition");
  auto* label = splitMergeGraph->getLocalProperty<tlp::StringProperty>("viewLabel");

  // Everything starts invisible; only cluster nodes with features are styled below,
  // so dummy nodes and featureless clusters stay hidden.
  auto* size = splitMergeGraph->getProperty<tlp::SizeProperty>("viewSize");
  size->setAllNodeValue(kHiddenSize);
  auto* colour = splitMergeGraph->getProperty<tlp::ColorProperty>("viewColor");
  colour->setAllNodeValue(kInvisible);
  colour->setAllEdgeValue(kInvisible);
  auto* borderColour = splitMergeGraph->getProperty<tlp::ColorProperty>("viewBorderColor");
  borderColour->setAllNodeValue(kInvisible);
  borderColour->setAllEdgeValue(kInvisible);
  auto* borderWidth = splitMergeGraph->getProperty<tlp::DoubleProperty>("viewBorderWidth");
  borderWidth->setAllNodeValue(kDefaultBorderWidth);
  borderWidth->setAllEdgeValue(kDefaultBorderWidth);

  for (std::size_t i = 0; i < labels.stations.size(); ++i) {
    const tlp::node n = labels.stations[i];
    nodeToFileId[n] = labels.fileIds[static_cast<int>(i)];
    label->setNodeValue(n, labels.topTags[static_cast<int>(i)].toStdString());
    if (isMajor->getNodeValue(n)) {
      size->setNodeValue(n, kMajorSize);
      colour->setNodeValue(n, kMajorFill);
      borderColour->setNodeValue(n, kMajorBorder);
      borderWidth->setNodeValue(n, kMajorBorderWidth);
      // A station inside a line puts its label below, clear of the tracks; the
      // ends of lines keep the alternating position.
      if (insideLine(n))
        labelPosition->setNodeValue(n, kLabelBelow);
    } else {
      size->setNodeValue(n, kStationSize);
      colour->setNodeValue(n, kStationGrey);
      borderColour->setNodeValue(n, kStationGrey);
      borderWidth->setNodeValue(n, kStationBorderWidth);
    }
    for (tlp::edge e : splitMergeGraph->getOutEdges(n)) {
      if (!isTrack(e))
        continue;
      colour->setEdgeValue(e, kTrackGrey);
      borderColour->setEdgeValue(e, kTrackGrey);
    }
  }
}

tlp::Size styledSize(bool styled, bool major) {
  return !styled ? kHiddenSize : major ? kMajorSize : kStationSize;
}

void clusterProperties(tlp::Graph* splitMergeGraph) {
  auto* isDummy = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  const StationLabels labels =
      readStationLabels([splitMergeGraph](tlp::node n) { return splitMergeGraph->isElement(n); });
  styleStations(
      splitMergeGraph, labels,
      [splitMergeGraph](tlp::node n) {
        return splitMergeGraph->indeg(n) > 0 && splitMergeGraph->outdeg(n) > 0;
      },
      // Edges into a dummy chain stay invisible; the chain becomes a faint edge later.
      [splitMergeGraph, isDummy](tlp::edge e) {
        return !isDummy->getNodeValue(splitMergeGraph->target(e));
      });
}
