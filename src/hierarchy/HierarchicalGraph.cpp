#include "hierarchy/HierarchicalGraph.h"

#include "hierarchy/AlgorithmFactory.h"
#include "hierarchy/DatasetTools.h"
#include "hierarchy/HierarchyAssert.h"
#include "hierarchy/LayerSweep.h"
#include "hierarchy/LayeredDrawing.h"

#include <tulip/DoubleProperty.h>
#include <tulip/GraphTools.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/PluginLister.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>
#include <tulip/TreeTest.h>

#include <algorithm>
#include <climits>
#include <iostream>

class HierarchicalGraphLayoutFactory : public AlgorithmFactory<HierarchicalGraph> {};
static HierarchicalGraphLayoutFactory HierarchicalGraphLayoutFactoryInitializer;

namespace {

const int NB_UPDOWN_SWEEP = 4;

const char* const kTreeLayout = "Hierarchical Tree (R-T Extended)";
const char* const kCrossingReduction = "crossing reduction";
const char* const kLayerSweeps = "layer sweeps";

// The one outgoing edge of a dummy node of a long-edge chain.
tlp::edge chainSuccessor(const tlp::Graph* graph, tlp::node dummy) {
  for (tlp::edge e : graph->allEdges(dummy))
    if (graph->source(e) == dummy)
      return e;
  return tlp::edge();
}

tlp::Coord exchanged(const tlp::Coord& c) {
  return tlp::Coord(-c.getY(), -c.getX(), c.getZ());
}

} // namespace

bool LessThanNode2::operator()(tlp::node n1, tlp::node n2) const {
  return metric->getNodeValue(n1) < metric->getNodeValue(n2);
}

bool LessThanEdge::operator()(tlp::edge e1, tlp::edge e2) const {
  return metric->getNodeValue(sg->source(e1)) < metric->getNodeValue(sg->source(e2));
}

HierarchicalGraph::HierarchicalGraph(const tlp::PluginContext* context)
    : tlp::LayoutAlgorithm(context) {
  addNodeSizePropertyParameter(this);
  addInParameter<tlp::StringCollection>(
      "orientation",
      parameterHelp("String Collection", "", "horizontal",
                    "This parameter enables to choose the orientation of the drawing"),
      "horizontal;vertical;", true);
  addSpacingParameters(this);
  addInParameter<tlp::StringCollection>(
      kCrossingReduction,
      parameterHelp("String Collection", "", kLayerSweeps,
                    "How the nodes of each level are ordered: layer sweeps with adjacent "
                    "transpositions, or the earlier in-place barycentre sweeps"),
      "layer sweeps;in-place sweeps;", false);
  addDependency("Dag Level", "1.0");
  addDependency(kTreeLayout, "1.0");
}

bool HierarchicalGraph::check(std::string& errorMsg) {
  for (const char* name : {"Dag Level", kTreeLayout})
    if (!tlp::PluginLister::pluginExists(name)) {
      errorMsg = std::string("The plug-in \"") + name + "\" is not registered";
      return false;
    }
  return true;
}

unsigned int HierarchicalGraph::degree(tlp::Graph* sg, tlp::node n, bool sense) {
  return sense ? sg->outdeg(n) : sg->indeg(n);
}

void HierarchicalGraph::buildGrid(tlp::Graph* sg) {
  tlp::DoubleProperty dagLevel(sg);
  orderCrossings = -1;
  std::string errorMessage;
  if (!sg->applyPropertyAlgorithm("Dag Level", &dagLevel, errorMessage)) {
    std::cerr << "[ERROR] : " << errorMessage << "void HierarchicalGraph::buildGrid(tlp::Graph*)"
              << std::endl;
    return;
  }
  for (tlp::node n : sg->nodes()) {
    const unsigned int level = static_cast<unsigned int>(dagLevel.getNodeValue(n));
    if (grid.size() <= level)
      grid.resize(level + 1);
    embedding->setNodeValue(n, grid[level].size());
    grid[level].push_back(n);
  }
}

// Numbers in depth-first preorder like the obvious recursion would, but with an
// explicit stack: a long path of a large graph would overflow the call stack.
void HierarchicalGraph::initCross(tlp::Graph* sg, tlp::node n,
                                  tlp::MutableContainer<bool>& visited, int id) {
  if (visited.get(n.id))
    return;
  struct Frame {
    tlp::node node;
    unsigned int next;
    int id;
  };
  visited.set(n.id, true);
  embedding->setNodeValue(n, id);
  std::vector<Frame> stack{{n, 0, id}};
  while (!stack.empty()) {
    const Frame frame = stack.back();
    const std::vector<tlp::edge>& star = sg->allEdges(frame.node);
    unsigned int i = frame.next;
    tlp::node child;
    for (; i < star.size() && !child.isValid(); ++i) {
      const std::pair<tlp::node, tlp::node>& ends = sg->ends(star[i]);
      if (ends.first == frame.node && !visited.get(ends.second.id) && sg->isElement(star[i]))
        child = ends.second;
    }
    if (!child.isValid()) {
      stack.pop_back();
      continue;
    }
    stack.back().next = i;
    visited.set(child.id, true);
    embedding->setNodeValue(child, frame.id + 1);
    stack.push_back({child, 0, frame.id + 1});
  }
}

void HierarchicalGraph::loadSweepTable(const tlp::Graph* sg) {
  SweepTable& table = sweepTable;
  table = SweepTable();
  table.graph = sg;
  const unsigned int none = UINT_MAX;
  std::vector<unsigned int> entry;
  auto entryOf = [&entry, none](tlp::node n) -> unsigned int& {
    if (entry.size() <= n.id)
      entry.resize(n.id + 1, none);
    return entry[n.id];
  };
  for (const std::vector<tlp::node>& layer : grid) {
    table.layerStart.push_back(table.nodes.size());
    for (tlp::node n : layer) {
      entryOf(n) = table.nodes.size();
      table.nodes.push_back(n);
      table.position.push_back(embedding->getNodeValue(n));
    }
  }
  const unsigned int gridSize = table.nodes.size();
  table.layerStart.push_back(gridSize);
  for (unsigned int k = 0; k < gridSize; ++k) {
    table.neighbourStart.push_back(table.neighbours.size());
    const tlp::node n = table.nodes[k];
    if (!sg->isElement(n))
      continue;
    for (tlp::edge e : sg->allEdges(n)) {
      if (!sg->isElement(e))
        continue;
      const tlp::node m = sg->opposite(e, n);
      unsigned int& j = entryOf(m);
      if (j == none) {
        j = table.nodes.size();
        table.nodes.push_back(m);
        table.position.push_back(embedding->getNodeValue(m));
      }
      table.neighbours.push_back(j);
    }
  }
  table.neighbourStart.push_back(table.neighbours.size());
}

void HierarchicalGraph::storeSweepTable() {
  for (unsigned int k = 0; k < sweepTable.layerStart.back(); ++k)
    embedding->setNodeValue(sweepTable.nodes[k], sweepTable.position[k]);
  sweepTable = SweepTable();
}

void HierarchicalGraph::twoLayerCrossReduction(tlp::Graph* sg, unsigned int freeLayer, bool) {
  const bool alone = sweepTable.graph != sg;
  if (alone)
    loadSweepTable(sg);
  SweepTable& table = sweepTable;
  for (unsigned int k = table.layerStart[freeLayer]; k < table.layerStart[freeLayer + 1]; ++k) {
    double sum = table.position[k];
    const unsigned int first = table.neighbourStart[k];
    const unsigned int last = table.neighbourStart[k + 1];
    for (unsigned int i = first; i < last; ++i)
      sum += table.position[table.neighbours[i]];
    table.position[k] = sum / (last - first + 1.0);
  }
  if (alone)
    storeSweepTable();
}

void HierarchicalGraph::crossReduction(tlp::Graph* sg) {
  if (layerSweeps)
    sweepLayers(sg);
  else
    sweepInPlace(sg);
}

// Starts from the drawing that the in-place sweeps, which are quick, would give, so
// that the drawing of the order found never has more crossings than theirs.
void HierarchicalGraph::sweepLayers(tlp::Graph* sg) {
  sweepInPlace(sg);
  grid.pop_back(); // the sink's layer
  std::vector<unsigned int> entry;
  std::vector<unsigned int> layerOf;
  std::vector<std::vector<unsigned int>> layers(grid.size());
  for (unsigned int i = 0; i < grid.size(); ++i)
    for (tlp::node n : grid[i]) {
      if (entry.size() <= n.id)
        entry.resize(n.id + 1, UINT_MAX);
      entry[n.id] = layerOf.size();
      layers[i].push_back(layerOf.size());
      layerOf.push_back(i);
    }
  std::vector<std::pair<unsigned int, unsigned int>> edges;
  edges.reserve(sg->numberOfEdges());
  // In the proper working copy every edge joins consecutive layers; any other edge
  // could not be counted layer pair by layer pair and is left out.
  for (tlp::edge e : sg->edges()) {
    const auto& [s, t] = sg->ends(e);
    if (layerOf[entry[t.id]] == layerOf[entry[s.id]] + 1)
      edges.emplace_back(entry[s.id], entry[t.id]);
  }

  LayerSweep sweep(std::move(layers), edges);
  // The tree layout puts each node under its median parent, the one that
  // DagLevelSpanningTree keeps, and the children of a parent in embedding order.
  sweep.groupUnderMedianParents();
  sweep.run();
  orderCrossings = sweep.crossings();

  std::vector<tlp::node> nodeOf(layerOf.size());
  for (const std::vector<tlp::node>& layer : grid)
    for (tlp::node n : layer)
      nodeOf[entry[n.id]] = n;
  for (unsigned int i = 0; i < grid.size(); ++i)
    for (unsigned int k = 0; k < grid[i].size(); ++k) {
      grid[i][k] = nodeOf[sweep.layers()[i][k]];
      embedding->setNodeValue(grid[i][k], k);
    }
}

void HierarchicalGraph::sweepInPlace(tlp::Graph* sg) {
  orderCrossings = -1;
  const tlp::node sink = sg->addNode();
  embedding->setNodeValue(sink, 0);
  const std::vector<tlp::node>& nodes = sg->nodes();
  for (unsigned int i = 0; i < nodes.size(); ++i)
    if (sg->outdeg(nodes[i]) == 0)
      sg->addEdge(nodes[i], sink);
  grid.push_back({sink});

  tlp::MutableContainer<bool> visited;
  visited.setAll(false);
  initCross(sg, sg->getSource(), visited, 1);

  auto sortLayers = [this]() {
    for (std::vector<tlp::node>& layer : grid) {
      std::stable_sort(layer.begin(), layer.end(), lessNode);
      for (unsigned int i = 0; i < layer.size(); ++i)
        embedding->setNodeValue(layer[i], i);
    }
  };
  sortLayers();

  // The sweeps read the whole input graph, so the long edges that the working copy
  // replaced by dummy chains still pull their end nodes towards each other.
  loadSweepTable(graph);
  for (int sweep = 0; sweep < NB_UPDOWN_SWEEP; ++sweep) {
    for (unsigned int i = grid.size(); i-- > 0;)
      twoLayerCrossReduction(graph, i, true);
    for (unsigned int i = 0; i < grid.size(); ++i)
      twoLayerCrossReduction(graph, i, false);
  }
  storeSweepTable();
  sortLayers();

  sg->delNode(sink, true);
}

void HierarchicalGraph::DagLevelSpanningTree(tlp::Graph* sg, tlp::DoubleProperty* embedding) {
  HIERARCHY_ASSERT_TEXT(tlp::AcyclicTest::isAcyclic(sg), "AcyclicTest::isAcyclic(sg)");
  LessThanEdge lessEdge;
  lessEdge.metric = embedding;
  lessEdge.sg = sg;
  std::vector<tlp::edge> inEdges;
  const std::vector<tlp::node> nodes = sg->nodes();
  for (tlp::node n : nodes) {
    if (sg->indeg(n) < 2)
      continue;
    inEdges.clear();
    for (tlp::edge e : sg->getInEdges(n))
      inEdges.push_back(e);
    std::stable_sort(inEdges.begin(), inEdges.end(), lessEdge);
    const tlp::edge median = inEdges[inEdges.size() / 2];
    for (tlp::edge e : inEdges)
      if (e != median)
        sg->delEdge(e);
  }
  HIERARCHY_ASSERT_TEXT(tlp::TreeTest::isTree(sg), "TreeTest::isTree(sg)");
}

// The tree layout visits children in edge order; give it the crossing-reduced order.
void HierarchicalGraph::orderOutEdgesByEmbedding(tlp::Graph* mySGraph) {
  std::vector<tlp::edge> outEdges;
  for (tlp::node n : graph->nodes()) {
    if (mySGraph->outdeg(n) < 2)
      continue;
    outEdges.clear();
    for (tlp::edge e : mySGraph->allEdges(n))
      if (mySGraph->source(e) == n && mySGraph->isElement(e))
        outEdges.push_back(e);
    std::vector<tlp::edge> sorted = outEdges;
    std::stable_sort(sorted.begin(), sorted.end(), [this, mySGraph](tlp::edge e1, tlp::edge e2) {
      return embedding->getNodeValue(mySGraph->target(e1)) <
             embedding->getNodeValue(mySGraph->target(e2));
    });
    if (sorted == outEdges)
      continue;
    // The order is kept by the root graph, so it outlives the working copy: note the
    // whole star, in which the edges that the run adds and removes may move too.
    changedEdgeOrders.emplace_back(n, graph->allEdges(n));
    mySGraph->setEdgeOrder(n, sorted);
  }
}

void HierarchicalGraph::restoreEdgeOrders() {
  // Only the input's own edges are left, so the filtered star is a complete order.
  std::vector<tlp::edge> kept;
  for (const auto& [n, star] : changedEdgeOrders) {
    if (!graph->isElement(n))
      continue;
    kept.clear();
    for (tlp::edge e : star)
      if (graph->isElement(e))
        kept.push_back(e);
    graph->setEdgeOrder(n, kept);
  }
  changedEdgeOrders.clear();
}

// The tree layout draws the children of each parent as one block, so a node that the
// crossing reduction put among the children of another parent would move, and bring
// crossings with it. Each level keeps the places the tree layout gave it, handed out
// in the order found; nodes wider than those that held the places are pushed apart.
void HierarchicalGraph::keepOrderFound(tlp::LayoutProperty& tmpLayout) {
  std::vector<float> places;
  for (const std::vector<tlp::node>& layer : grid) {
    places.clear();
    for (tlp::node n : layer)
      places.push_back(tmpLayout.getNodeValue(n).getX());
    std::sort(places.begin(), places.end());
    for (unsigned int k = 0; k < layer.size(); ++k) {
      tlp::Coord c = tmpLayout.getNodeValue(layer[k]);
      float x = places[k];
      if (k > 0) {
        const float previous = tmpLayout.getNodeValue(layer[k - 1]).getX();
        x = std::max(x, previous + nodeSpacing +
                            (nodeSize->getNodeValue(layer[k - 1]).getW() +
                             nodeSize->getNodeValue(layer[k]).getW()) / 2.f);
      }
      c.setX(x);
      tmpLayout.setNodeValue(layer[k], c);
    }
  }
}

void HierarchicalGraph::computeEdgeBends(const tlp::Graph* mySGraph, tlp::LayoutProperty& tmpLayout,
                                         const std::unordered_map<tlp::edge, tlp::edge>& replacedEdges,
                                         const std::vector<tlp::edge>& reversedEdges) {
  tlp::MutableContainer<bool> isReversed;
  isReversed.setAll(false);
  for (tlp::edge e : reversedEdges)
    isReversed.set(e.id, true);

  for (const auto& [longEdge, firstEdge] : replacedEdges) {
    // The spanning tree may have dropped chain edges from the working copy; the
    // input graph still has them all.
    const tlp::node end = mySGraph->target(longEdge);
    tlp::edge lastEdge = firstEdge;
    while (graph->target(lastEdge) != end) {
      lastEdge = chainSuccessor(graph, graph->target(lastEdge));
      HIERARCHY_ASSERT_TEXT(lastEdge.isValid(), "the chain of a long edge reaches its target");
    }
    const tlp::node firstN = graph->target(firstEdge);
    const tlp::node endN = graph->source(lastEdge);
    tlp::Coord p1 = tmpLayout.getNodeValue(firstN);
    tlp::Coord p2 = tmpLayout.getNodeValue(endN);
    if (isReversed.get(longEdge.id))
      std::swap(p1, p2);
    std::vector<tlp::Coord> bends{p1};
    if (firstN != endN)
      bends.push_back(p2);
    result->setEdgeValue(longEdge, bends);
  }
}

void HierarchicalGraph::computeSelfLoops(tlp::Graph* mySGraph, tlp::LayoutProperty& tmpLayout,
                                         std::vector<tlp::SelfLoops>& listSelfLoops) {
  while (!listSelfLoops.empty()) {
    const tlp::SelfLoops loop = listSelfLoops.back();
    listSelfLoops.pop_back();
    std::vector<tlp::Coord> bends;
    for (const tlp::Coord& c : tmpLayout.getEdgeValue(loop.e1))
      bends.push_back(c);
    bends.push_back(tmpLayout.getNodeValue(loop.n1));
    for (const tlp::Coord& c : tmpLayout.getEdgeValue(loop.e2))
      bends.push_back(c);
    bends.push_back(tmpLayout.getNodeValue(loop.n2));
    for (const tlp::Coord& c : tmpLayout.getEdgeValue(loop.e3))
      bends.push_back(c);
    result->setEdgeValue(loop.old, bends);
    mySGraph->delNode(loop.n1, true);
    mySGraph->delNode(loop.n2, true);
  }
}

// Moves the ends of every edge off its nodes to a quarter layer spacing beyond the
// band of their level, so that edges do not cut through the nodes of a level.
void HierarchicalGraph::trimEdgeEnds(const std::vector<float>& levelMaxSize,
                                     const tlp::MutableContainer<int>& nodeLevel, bool horizontal) {
  auto offset = [&](int level) { return spacing / 4.f + levelMaxSize[level] / 2.f; };
  for (tlp::edge e : graph->edges()) {
    const auto& [s, t] = graph->ends(e);
    if (s == t)
      continue;
    const int ls = nodeLevel.get(s.id);
    const int lt = nodeLevel.get(t.id);
    const float rev = ls > lt ? 1.f : -1.f;
    const tlp::Coord& S = result->getNodeValue(s);
    const tlp::Coord& T = result->getNodeValue(t);
    const std::vector<tlp::Coord>& old = result->getEdgeValue(e);
    std::vector<tlp::Coord> bends;
    bends.reserve(4);
    bends.emplace_back(S.getX(), S.getY() + rev * offset(ls), S.getZ());
    if (!old.empty()) {
      const tlp::Coord F = old.front();
      const tlp::Coord B = old.back();
      const int m1 = rev > 0 ? ls - 1 : ls + 1;
      const int m2 = rev > 0 ? lt + 1 : lt - 1;
      bends.emplace_back(F.getX(), F.getY() - rev * offset(m1), F.getZ());
      bends.emplace_back(B.getX(), B.getY() + rev * offset(m2), B.getZ());
    }
    bends.emplace_back(T.getX(), T.getY() - rev * offset(lt), T.getZ());
    // Turned here rather than in a second pass over every edge.
    if (horizontal)
      for (tlp::Coord& c : bends)
        c = exchanged(c);
    result->setEdgeValue(e, bends);
  }
}

// The nodes of a level share the bottom line of its tallest node.
void HierarchicalGraph::alignNodes(const std::vector<float>& levelMaxSize,
                                   const tlp::MutableContainer<int>& nodeLevel) {
  for (tlp::node n : graph->nodes()) {
    tlp::Coord c = result->getNodeValue(n);
    c.setY(c.getY() - (levelMaxSize[nodeLevel.get(n.id)] - nodeSize->getNodeValue(n).getH()) / 2.f);
    result->setNodeValue(n, c);
  }
}

void HierarchicalGraph::exchangeWidthAndHeight() {
  for (tlp::node n : graph->nodes()) {
    const tlp::Size& s = nodeSize->getNodeValue(n);
    nodeSize->setNodeValue(n, tlp::Size(s.getH(), s.getW(), s.getD()));
  }
}

void HierarchicalGraph::turnToHorizontal() {
  for (tlp::node n : graph->nodes())
    result->setNodeValue(n, exchanged(result->getNodeValue(n)));
  // The other edges were turned with their ends trimmed.
  std::vector<tlp::Coord> bends;
  for (tlp::edge e : graph->edges()) {
    if (graph->source(e) != graph->target(e))
      continue;
    bends = result->getEdgeValue(e);
    for (tlp::Coord& c : bends)
      c = exchanged(c);
    result->setEdgeValue(e, bends);
  }
}

void HierarchicalGraph::readParameters() {
  nodeSize = graph->getProperty<tlp::SizeProperty>("viewSize");
  orientation = "horizontal";
  layerSweeps = true;
  getSpacingParameters(dataSet, nodeSpacing, spacing);
  if (dataSet != nullptr) {
    getNodeSizePropertyParameter(dataSet, nodeSize);
    tlp::StringCollection orientationChoice;
    if (dataSet->get("orientation", orientationChoice))
      orientation = orientationChoice.getCurrentString();
    tlp::StringCollection crossingReduction;
    if (dataSet->get(kCrossingReduction, crossingReduction))
      layerSweeps = crossingReduction.getCurrentString() == kLayerSweeps;
  }
}

bool HierarchicalGraph::run() {
  const bool drawn = drawOnArrays(true, [this](const LayeredDrawing& drawing) {
    const std::vector<tlp::node>& nodes = graph->nodes();
    for (unsigned int i = 0; i < nodes.size(); ++i)
      result->setNodeValue(nodes[i], drawing.positions()[i]);
    const std::vector<tlp::edge>& edges = graph->edges();
    for (unsigned int i = 0; i < edges.size(); ++i)
      result->setEdgeValue(edges[i], drawing.bends()[i]);
  });
  return drawn || runOnWorkingCopy();
}

bool HierarchicalGraph::nodePositions(
    std::vector<tlp::Coord>& positions,
    const std::function<void(std::size_t done, std::size_t total)>& progress) {
  return drawOnArrays(
      false, [&positions](const LayeredDrawing& drawing) { positions = drawing.positions(); },
      progress);
}

// The graph as LayeredDrawing's arrays, nodes and edges numbered by their positions,
// handed to `take` once drawn; false, with nothing drawn, when it has a cycle or a
// self loop.
bool HierarchicalGraph::drawOnArrays(
    bool withBends, const std::function<void(const LayeredDrawing&)>& take,
    const std::function<void(std::size_t, std::size_t)>& progress) {
  readParameters();
  const bool horizontal = orientation == "horizontal";
  LayeredDrawing::Graph arrays;
  const std::vector<tlp::node>& nodes = graph->nodes();
  const std::vector<tlp::edge>& edges = graph->edges();
  arrays.nodeCount = static_cast<unsigned int>(nodes.size());
  arrays.source.reserve(edges.size());
  arrays.target.reserve(edges.size());
  arrays.edgeId.reserve(edges.size());
  for (tlp::edge e : edges) {
    const auto& [s, t] = graph->ends(e);
    arrays.source.push_back(graph->nodePos(s));
    arrays.target.push_back(graph->nodePos(t));
    arrays.edgeId.push_back(e.id);
  }
  arrays.starBegin.reserve(nodes.size() + 1);
  arrays.starBegin.push_back(0);
  arrays.star.reserve(2 * edges.size());
  arrays.size.reserve(nodes.size());
  for (tlp::node n : nodes) {
    // A subgraph's star is its root's: only the graph's own edges count.
    for (tlp::edge e : graph->allEdges(n))
      if (graph->isElement(e))
        arrays.star.push_back(graph->edgePos(e));
    arrays.starBegin.push_back(static_cast<unsigned int>(arrays.star.size()));
    const tlp::Size& size = nodeSize->getNodeValue(n);
    arrays.size.push_back(horizontal ? tlp::Size(size.getH(), size.getW(), size.getD()) : size);
  }
  arrays.addedSize = nodeSize->getNodeDefaultValue();
  if (!LayeredDrawing::drawable(arrays))
    return false;

  LayeredDrawing::Parameters parameters;
  parameters.layerSpacing = spacing;
  parameters.nodeSpacing = nodeSpacing;
  parameters.layerSweeps = layerSweeps;
  parameters.horizontal = horizontal;
  parameters.bends = withBends;
  parameters.progress = progress;
  const LayeredDrawing drawing(arrays, parameters);
  orderCrossings = drawing.orderCrossings();
  take(drawing);
  return true;
}

bool HierarchicalGraph::runOnWorkingCopy() {
  // Bends already present would be taken for those of long edges below: start clean.
  for (tlp::edge e : graph->edges())
    if (!result->getEdgeValue(e).empty())
      result->setEdgeValue(e, std::vector<tlp::Coord>());

  tlp::Graph* mySGraph = graph->addCloneSubGraph("tmp clone");

  readParameters();
  const bool horizontal = orientation == "horizontal";
  if (horizontal)
    exchangeWidthAndHeight();

  std::vector<tlp::edge> reversedEdges;
  std::vector<tlp::SelfLoops> listSelfLoops;
  tlp::AcyclicTest::makeAcyclic(mySGraph, reversedEdges, listSelfLoops);
  const tlp::node addedSource = tlp::makeSimpleSource(mySGraph);

  std::list<tlp::node> addedNodes;
  std::unordered_map<tlp::edge, tlp::edge> replacedEdges;
  tlp::IntegerProperty* edgeLength = nullptr;
  grid.clear();
  embedding = new tlp::DoubleProperty(mySGraph);
  lessNode.metric = embedding;
  if (tlp::TreeTest::isTree(mySGraph)) {
    buildGrid(mySGraph);
  } else {
    edgeLength = new tlp::IntegerProperty(mySGraph);
    tlp::makeProperDag(mySGraph, addedNodes, replacedEdges, edgeLength);
    buildGrid(mySGraph);
    crossReduction(mySGraph);
    orderOutEdgesByEmbedding(mySGraph);
    DagLevelSpanningTree(mySGraph, embedding);
  }

  tlp::DataSet treeParameters;
  treeParameters.set("node size", nodeSize);
  treeParameters.set("layer spacing", spacing);
  treeParameters.set("node spacing", nodeSpacing);
  if (edgeLength != nullptr)
    treeParameters.set("edge length", edgeLength);
  treeParameters.set("orthogonal", false);
  treeParameters.set("orientation", tlp::StringCollection("vertical;horizontal;"));

  tlp::LayoutProperty tmpLayout(graph);
  std::string errorMessage;
  const bool resultBool =
      mySGraph->applyPropertyAlgorithm(kTreeLayout, &tmpLayout, errorMessage, &treeParameters);
  delete edgeLength;
  HIERARCHY_ASSERT_TEXT(resultBool, "resultBool");
  if (orderCrossings >= 0)
    keepOrderFound(tmpLayout);

  for (tlp::node n : graph->nodes())
    result->setNodeValue(n, tmpLayout.getNodeValue(n));

  computeEdgeBends(mySGraph, tmpLayout, replacedEdges, reversedEdges);
  computeSelfLoops(mySGraph, tmpLayout, listSelfLoops);

  for (tlp::edge e : reversedEdges)
    graph->reverse(e);
  graph->delNode(addedSource, true);
  for (auto it = addedNodes.rbegin(); it != addedNodes.rend(); ++it)
    graph->delNode(*it, true);
  delete embedding;
  embedding = nullptr;
  lessNode.metric = nullptr;
  graph->delSubGraph(mySGraph);
  restoreEdgeOrders();

  std::vector<float> levelMaxSize(grid.size(), 0.f);
  tlp::MutableContainer<int> nodeLevel;
  nodeLevel.setAll(0);
  for (unsigned int i = 0; i < grid.size(); ++i)
    for (tlp::node n : grid[i])
      if (graph->isElement(n)) {
        levelMaxSize[i] = std::max(levelMaxSize[i], nodeSize->getNodeValue(n).getH());
        nodeLevel.set(n.id, i);
      }

  trimEdgeEnds(levelMaxSize, nodeLevel, horizontal);
  alignNodes(levelMaxSize, nodeLevel);

  if (horizontal) {
    exchangeWidthAndHeight();
    turnToHorizontal();
  }
  return true;
}
