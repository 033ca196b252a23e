#include "clusterflow/FlowGraphArrays.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>

#include <algorithm>
#include <iostream>
#include <string>

namespace {

const tlp::Color kVanishColour(180, 180, 180, 70);

} // namespace

void FlowGraphArrays::Ordered::add(unsigned int id) {
  if (pos.size() <= id)
    pos.resize(std::max<std::size_t>(2 * pos.size(), id + 1), kNone);
  pos[id] = static_cast<unsigned int>(at.size());
  at.push_back(id);
}

void FlowGraphArrays::Ordered::remove(unsigned int id) {
  const unsigned int last = at.back();
  at[pos[id]] = last;
  pos[last] = pos[id];
  pos[id] = kNone;
  at.pop_back();
}

FlowGraphArrays::FlowGraphArrays(const std::vector<std::vector<std::pair<int, int>>>& series) {
  std::vector<unsigned int> seriesNodes;
  std::vector<std::pair<int, unsigned int>> lateFirsts;
  std::string dots;
  std::size_t seriesDone = 0;
  for (const auto& items : series) {
    addSeriesDot(dots);
    reportStageProgress(seriesDone++, series.size());
    seriesNodes.clear();
    int previousTime = items.empty() ? 0 : items.front().first - 1;
    int clusterCounter = 0;
    for (const auto& [time, cluster] : items) {
      for (int missing = previousTime + 1; missing < time; ++missing)
        seriesNodes.push_back(addNode(false));
      tlp::node& slot = clusterTimeToNode[cluster][time];
      if (!slot.isValid())
        slot = tlp::node(addNode(true));
      // Labels alternate above and below along the series.
      labelPosition[slot.id] = clusterCounter % 2 == 0 ? 1 : 2;
      seriesNodes.push_back(slot.id);
      ++clusterCounter;
      previousTime = time;
    }
    for (std::size_t i = 1; i < seriesNodes.size(); ++i)
      addEdge(seriesNodes[i - 1], seriesNodes[i]);
    if (!items.empty() && items.front().first > 1)
      lateFirsts.emplace_back(items.front().first, seriesNodes.front());
  }
  std::cerr << dots << std::flush;
  addLeadIns(lateFirsts);
  std::cerr << std::endl;
  indegree = std::vector<unsigned int>();
  buildStars();
}

unsigned int FlowGraphArrays::addNode(bool station) {
  const auto n = static_cast<unsigned int>(isStation.size());
  isStation.push_back(station);
  labelPosition.push_back(0);
  indegree.push_back(0);
  if (station)
    stationOrder.push_back(n);
  nodes.add(n);
  return n;
}

unsigned int FlowGraphArrays::addEdge(unsigned int from, unsigned int to) {
  const auto e = static_cast<unsigned int>(source.size());
  source.push_back(from);
  target.push_back(to);
  alive.push_back(1);
  if (!indegree.empty())
    ++indegree[to];
  edges.add(e);
  return e;
}

unsigned int FlowGraphArrays::addChain(int length) {
  unsigned int last = kNone;
  for (int i = 0; i < length; ++i) {
    const unsigned int next = addNode(false);
    if (last != kNone)
      addEdge(last, next);
    last = next;
  }
  return last;
}

// A station of a later time step that no series reaches gets a lead-in chain of its
// own, as timelineToGraph's default gives it.
void FlowGraphArrays::addLeadIns(std::vector<std::pair<int, unsigned int>>& firsts) {
  std::sort(firsts.begin(), firsts.end());
  firsts.erase(std::unique(firsts.begin(), firsts.end()), firsts.end());
  for (const auto& [time, station] : firsts)
    if (indegree[station] == 0)
      addEdge(addChain(time - 1), station);
}

// The stars of the edges edgeAt(0) to edgeAt(count - 1), each joining its source's
// and then its target's in that order: node n's from around[first[n]] to
// around[first[n + 1]].
template <typename EdgeAt>
void FlowGraphArrays::starsOf(std::size_t count, EdgeAt edgeAt, std::vector<unsigned int>& first,
                              std::vector<unsigned int>& around) const {
  first.assign(isStation.size() + 1, 0);
  for (std::size_t i = 0; i < count; ++i) {
    ++first[source[edgeAt(i)] + 1];
    ++first[target[edgeAt(i)] + 1];
  }
  for (std::size_t n = 1; n < first.size(); ++n)
    first[n] += first[n - 1];
  around.resize(first.back());
  std::vector<unsigned int> next(first.begin(), first.end() - 1);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned int e = edgeAt(i);
    around[next[source[e]]++] = e;
    around[next[target[e]]++] = e;
  }
}

// Edges join the stars of their source and then of their target as they are added.
void FlowGraphArrays::buildStars() {
  starsOf(
      source.size(), [](std::size_t i) { return static_cast<unsigned int>(i); }, starBegin, star);
}

void FlowGraphArrays::deleteEdge(unsigned int e) {
  alive[e] = 0;
  edges.remove(e);
}

// As the graph library deletes a node: its edges in the order around it, then itself.
void FlowGraphArrays::deleteNode(unsigned int n) {
  for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k)
    if (alive[star[k]])
      deleteEdge(star[k]);
  nodes.remove(n);
}

unsigned int FlowGraphArrays::firstNeighbour(unsigned int n, bool in) const {
  for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k) {
    const unsigned int e = star[k];
    if (alive[e] && (in ? target[e] : source[e]) == n)
      return in ? source[e] : target[e];
  }
  return kNone;
}

unsigned int FlowGraphArrays::degree(unsigned int n, bool in) const {
  unsigned int count = 0;
  for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k)
    count += alive[star[k]] && (in ? target[star[k]] : source[star[k]]) == n;
  return count;
}

bool FlowGraphArrays::removeParallelEdges() {
  for (unsigned int e = 0; e < source.size(); ++e)
    if (source[e] == target[e])
      return false;
  // As deleteMultiEdges finds them: node by node, every out-edge that leads where an
  // earlier one of the node did. No node has been deleted: ids are positions.
  std::vector<unsigned int> parallel;
  std::vector<unsigned int> targetedBy(isStation.size(), 0);
  for (unsigned int n = 0; n < isStation.size(); ++n)
    for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k) {
      const unsigned int e = star[k];
      if (source[e] != n)
        continue;
      if (targetedBy[target[e]] == n + 1)
        parallel.push_back(e);
      else
        targetedBy[target[e]] = n + 1;
    }
  for (unsigned int e : parallel)
    deleteEdge(e);
  // The graph is final until the layout: it draws these arrays, given their sizes.
  drawing = drawingInput();
  return LayeredDrawing::drawable(drawing);
}

void FlowGraphArrays::findMajorStations() {
  isMajor.assign(isStation.size(), 0);
  insideLine.assign(isStation.size(), 0);
  for (unsigned int n : stationOrder) {
    unsigned int predecessors = 0, successors = 0, in = 0, out = 0;
    for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k) {
      const unsigned int e = star[k];
      if (!alive[e])
        continue;
      if (target[e] == n) {
        ++in;
        predecessors += isStation[source[e]];
      } else {
        ++out;
        successors += isStation[target[e]];
      }
    }
    isMajor[n] = predecessors != 1 || successors != 1;
    insideLine[n] = in > 0 && out > 0;
  }
}

void FlowGraphArrays::readLabels() {
  // clusterTimeToNode names stations only.
  labels = readStationLabels([](tlp::node) { return true; });
  styled.assign(isStation.size(), 0);
  for (tlp::node n : labels.stations)
    styled[n.id] = 1;
}

// The arrays that HierarchicalGraph reads from the library's graph, but the sizes:
// nodes and edges by position, the edges around each node in their order.
LayeredDrawing::Graph FlowGraphArrays::drawingInput() const {
  LayeredDrawing::Graph graph;
  graph.nodeCount = static_cast<unsigned int>(nodes.at.size());
  graph.source.reserve(edges.at.size());
  graph.target.reserve(edges.at.size());
  for (unsigned int e : edges.at) {
    graph.source.push_back(source[e]);
    graph.target.push_back(target[e]);
  }
  graph.edgeId = edges.at;
  graph.starBegin.reserve(graph.nodeCount + 1);
  graph.starBegin.push_back(0);
  for (unsigned int n = 0; n < graph.nodeCount; ++n) {
    for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k)
      if (alive[star[k]])
        graph.star.push_back(edges.pos[star[k]]);
    graph.starBegin.push_back(static_cast<unsigned int>(graph.star.size()));
  }
  return graph;
}

// As deleteDummyAndReconnect removes the chain through a dummy node.
void FlowGraphArrays::deleteChain(unsigned int dummy) {
  unsigned int from = dummy;
  unsigned int to = dummy;
  std::vector<unsigned int> deletion{dummy};
  while (from != kNone && !isStation[from]) {
    from = firstNeighbour(from, true);
    if (from != kNone && !isStation[from])
      deletion.push_back(from);
  }
  while (to != kNone && !isStation[to]) {
    to = firstNeighbour(to, false);
    if (to != kNone && !isStation[to])
      deletion.push_back(to);
  }
  for (unsigned int n : deletion)
    deleteNode(n);
  if (from != kNone && to != kNone) {
    vanishEdges.push_back(addEdge(from, to));
  }
}

void FlowGraphArrays::deleteDummyChains() {
  const std::size_t nodeCount = isStation.size();
  const std::size_t dummies = nodeCount - stationOrder.size();
  std::size_t done = 0;
  for (unsigned int n = 0; n < nodeCount; ++n) {
    if (isStation[n])
      continue;
    reportStageProgress(done++, dummies);
    if (nodes.pos[n] != kNone)
      deleteChain(n);
  }
}

void FlowGraphArrays::layOut(tlp::Graph* map) {
  const bool empty = isStation.empty();
  std::vector<tlp::Coord> positions;
  if (!empty) {
    // Shares of the stage, from a run of the 100,000-station benchmark set.
    setStageShare(0, 0.7);
    LayeredDrawing::Parameters parameters;
    parameters.layerSpacing = kMapLayerSpacing;
    parameters.nodeSpacing = kMapNodeSpacing;
    parameters.bends = false;
    parameters.progress = reportStageProgress;
    drawing.size.reserve(drawing.nodeCount);
    for (unsigned int n = 0; n < drawing.nodeCount; ++n) {
      const tlp::Size size = styledSize(styled[n], isMajor[n]);
      drawing.size.emplace_back(size.getH(), size.getW(), size.getD());
    }
    drawing.addedSize = styledSize(false, false);
    positions = LayeredDrawing(drawing, parameters).positions();
    drawing = LayeredDrawing::Graph();
    setStageShare(0.7, 0.75);
    deleteDummyChains();
    setStageShare(0.75, 0.9);
  }
  buildMap(map, positions);
  if (empty)
    return;
  auto* layout = map->getLocalProperty<tlp::LayoutProperty>("viewLayout");
  setStageShare(0.9, 0.97);
  compactColumns(map, layout, kMapNodeSpacing);
  reportStageProgress(1, 1);
  setStageShare(0.97, 1);
  bendEdges(map, layout);
}

void FlowGraphArrays::buildMap(tlp::Graph* map, const std::vector<tlp::Coord>& positions) {
  std::vector<tlp::node> added;
  map->addNodes(static_cast<unsigned int>(nodes.at.size()), added);
  std::vector<tlp::node> node(isStation.size());
  for (unsigned int i = 0; i < nodes.at.size(); ++i)
    node[nodes.at[i]] = added[i];
  std::vector<std::pair<tlp::node, tlp::node>> ends;
  ends.reserve(edges.at.size());
  for (unsigned int e : edges.at)
    ends.emplace_back(node[source[e]], node[target[e]]);
  std::vector<tlp::edge> edge;
  map->addEdges(ends, edge);
  reportStageProgress(1, 4);
  orderStars(map, edge);
  renameStations(node);
  reportStageProgress(2, 4);
  for (tlp::node& n : labels.stations)
    n = node[n.id];

  markStations(map, [&node](unsigned int n) { return node[n]; });
  auto* major = map->getLocalProperty<tlp::BooleanProperty>("Is Major Station");
  major->setAllNodeValue(false);
  for (unsigned int n : nodes.at)
    if (isMajor[n])
      major->setNodeValue(node[n], true);
  std::vector<char> isVanish(edge.size(), 0);
  for (unsigned int e : vanishEdges)
    isVanish[edges.pos[e]] = 1;
  styleStations(
      map, labels, [&](tlp::node n) { return insideLine[nodes.at[map->nodePos(n)]] != 0; },
      [&](tlp::edge e) { return !isVanish[map->edgePos(e)]; });
  reportStageProgress(3, 4);
  if (positions.empty())
    return;
  auto* layout = map->getLocalProperty<tlp::LayoutProperty>("viewLayout");
  for (unsigned int i = 0; i < nodes.at.size(); ++i)
    layout->setNodeValue(added[i], positions[nodes.at[i]]);
  for (const char* name : {"viewColor", "viewBorderColor"}) {
    auto* colour = map->getProperty<tlp::ColorProperty>(name);
    for (unsigned int e : vanishEdges)
      colour->setEdgeValue(edge[edges.pos[e]], kVanishColour);
  }
}

// The map's edges were added in their final order, which puts them around each node
// in that order too; the library's pipeline has them in the order they were made, the
// vanish edges last.
void FlowGraphArrays::orderStars(tlp::Graph* map, const std::vector<tlp::edge>& edge) const {
  std::vector<unsigned int> vanishBegin, vanishStar;
  starsOf(
      vanishEdges.size(), [this](std::size_t i) { return vanishEdges[i]; }, vanishBegin,
      vanishStar);
  std::vector<tlp::edge> order;
  for (unsigned int i = 0; i < nodes.at.size(); ++i) {
    const unsigned int n = nodes.at[i];
    order.clear();
    for (unsigned int k = starBegin[n]; k < starBegin[n + 1]; ++k)
      if (alive[star[k]])
        order.push_back(edge[edges.pos[star[k]]]);
    for (unsigned int k = vanishBegin[n]; k < vanishBegin[n + 1]; ++k)
      order.push_back(edge[edges.pos[vanishStar[k]]]);
    const tlp::node station = map->nodes()[i];
    if (order != map->allEdges(station))
      map->setEdgeOrder(station, order);
  }
}

void FlowGraphArrays::renameStations(const std::vector<tlp::node>& node) const {
  for (auto& [cluster, byTime] : clusterTimeToNode)
    for (auto& [time, slot] : byTime) {
      slot = node[slot.id];
      nodeToClusterTime[slot] = std::make_pair(cluster, time);
    }
}

// Every node of the graph a dummy but the stations, which get their label positions;
// node(n) is the graph's node for node n of the arrays.
void FlowGraphArrays::markStations(tlp::Graph* graph,
                                   const std::function<tlp::node(unsigned int)>& node) const {
  auto* isDummy = graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  isDummy->setAllNodeValue(true);
  auto* labelPositions = graph->getLocalProperty<tlp::IntegerProperty>("viewLabelPosition");
  for (unsigned int n : stationOrder) {
    isDummy->setNodeValue(node(n), false);
    labelPositions->setNodeValue(node(n), labelPosition[n]);
  }
}

void FlowGraphArrays::toLibraryGraph(tlp::Graph* graph) const {
  graph->addNodes(static_cast<unsigned int>(isStation.size()));
  std::vector<std::pair<tlp::node, tlp::node>> ends;
  for (unsigned int e = 0; e < source.size(); ++e)
    ends.emplace_back(tlp::node(source[e]), tlp::node(target[e]));
  graph->addEdges(ends);
  markStations(graph, [](unsigned int n) { return tlp::node(n); });
  for (const auto& [cluster, byTime] : clusterTimeToNode)
    for (const auto& [time, slot] : byTime)
      nodeToClusterTime[slot] = std::make_pair(cluster, time);
}
