#include "hierarchy/LayeredDrawing.h"

#include "hierarchy/LayerSweep.h"
#include "hierarchy/TreePlacement.h"

#include <tulip/Edge.h>

#include <algorithm>
#include <unordered_map>

namespace {

const int NB_UPDOWN_SWEEP = 4;

tlp::Coord exchanged(const tlp::Coord& c) {
  return tlp::Coord(-c.getY(), -c.getX(), c.getZ());
}

} // namespace

bool LayeredDrawing::drawable(const Graph& graph) {
  std::vector<unsigned int> inDegree(graph.nodeCount, 0);
  for (unsigned int e = 0; e < graph.source.size(); ++e) {
    if (graph.source[e] == graph.target[e])
      return false;
    ++inDegree[graph.target[e]];
  }
  std::vector<unsigned int> ready;
  for (unsigned int v = 0; v < graph.nodeCount; ++v)
    if (inDegree[v] == 0)
      ready.push_back(v);
  unsigned int done = 0;
  while (!ready.empty()) {
    const unsigned int v = ready.back();
    ready.pop_back();
    ++done;
    for (unsigned int k = graph.starBegin[v]; k < graph.starBegin[v + 1]; ++k) {
      const unsigned int e = graph.star[k];
      if (graph.source[e] == v && --inDegree[graph.target[e]] == 0)
        ready.push_back(graph.target[e]);
    }
  }
  return done == graph.nodeCount;
}

LayeredDrawing::LayeredDrawing(const Graph& graph, const Parameters& parameters)
    : input(graph), parameters(parameters) {
  if (graph.nodeCount == 0)
    return;
  const unsigned int edgeCount = static_cast<unsigned int>(graph.source.size());
  from = graph.source;
  to = graph.target;
  length.assign(edgeCount, 1);
  inCopy.assign(edgeCount, 1);
  copyOrder.resize(edgeCount);
  copyPos.resize(edgeCount);
  for (unsigned int e = 0; e < edgeCount; ++e)
    copyOrder[e] = copyPos[e] = e;

  computeLevels();
  addSource();
  isTree = copyIsTree();
  if (!isTree)
    splitLongEdges();
  buildStars();
  buildGrid();
  phaseDone();
  if (!isTree) {
    if (parameters.layerSweeps)
      sweepLayers();
    else
      sweepInPlace();
  }
  phaseDone();
  orderChildren();
  if (!isTree)
    keepMedianParents();
  phaseDone();
  placeTree();
  if (crossings >= 0)
    keepOrderFound();
  phaseDone();
  finish();
  phaseDone();
}

// The phases told: the graph's preparation, the in-place sweeps and the layer sweeps
// that follow them, the spanning tree, the tree layout and the final positions; a
// drawing without some of them ends short of the total.
void LayeredDrawing::phaseDone() {
  ++phasesDone;
  partDone(0);
}

// Within the phase in progress, the share `part` (0 to 1) is done; phases count in
// steps, so that the layer sweeps, the long one on a large graph, can tell theirs.
void LayeredDrawing::partDone(double part) {
  constexpr std::size_t kPhases = 6;
  constexpr std::size_t kSteps = 100;
  if (parameters.progress)
    parameters.progress(
        phasesDone * kSteps + std::min(kSteps - 1, static_cast<std::size_t>(part * kSteps)),
        kPhases * kSteps);
}

unsigned int LayeredDrawing::addNode(int nodeLevel) {
  level.push_back(nodeLevel);
  return static_cast<unsigned int>(level.size() - 1);
}

unsigned int LayeredDrawing::addEdge(unsigned int s, unsigned int t, int edgeLength) {
  const auto e = static_cast<unsigned int>(from.size());
  from.push_back(s);
  to.push_back(t);
  length.push_back(edgeLength);
  inCopy.push_back(1);
  copyPos.push_back(static_cast<unsigned int>(copyOrder.size()));
  copyOrder.push_back(e);
  return e;
}

// As the library's containers do: the last edge takes the place of the removed one.
void LayeredDrawing::removeFromCopy(unsigned int e) {
  inCopy[e] = 0;
  const unsigned int at = copyPos[e];
  copyOrder[at] = copyOrder.back();
  copyPos[copyOrder[at]] = at;
  copyOrder.pop_back();
}

// Longest paths from the sources, which sit on level 1 under the added source.
void LayeredDrawing::computeLevels() {
  const unsigned int n = input.nodeCount;
  std::vector<unsigned int> inDegree(n, 0);
  for (unsigned int t : input.target)
    ++inDegree[t];
  level.assign(n, 1);
  std::vector<unsigned int> ready;
  for (unsigned int v = 0; v < n; ++v)
    if (inDegree[v] == 0)
      ready.push_back(v);
  while (!ready.empty()) {
    const unsigned int v = ready.back();
    ready.pop_back();
    for (unsigned int k = input.starBegin[v]; k < input.starBegin[v + 1]; ++k) {
      const unsigned int e = input.star[k];
      if (from[e] != v)
        continue;
      level[to[e]] = std::max(level[to[e]], level[v] + 1);
      if (--inDegree[to[e]] == 0)
        ready.push_back(to[e]);
    }
  }
}

// makeSimpleSource: a new node with an edge to every source, in node order.
void LayeredDrawing::addSource() {
  std::vector<char> hasIn(input.nodeCount, 0);
  for (unsigned int t : input.target)
    hasIn[t] = 1;
  sourceNode = addNode(0);
  for (unsigned int v = 0; v < input.nodeCount; ++v)
    if (!hasIn[v])
      addEdge(sourceNode, v, 1);
}

// Under the single added source the acyclic copy is a tree when no node has two
// in-edges.
bool LayeredDrawing::copyIsTree() const {
  std::vector<char> hasIn(input.nodeCount, 0);
  for (unsigned int t : input.target) {
    if (hasIn[t])
      return false;
    hasIn[t] = 1;
  }
  return true;
}

// makeProperDag: in the copy's edge order, an edge across two levels gets one dummy
// node, a longer one two, the middle edge spanning the rest. The long edges leave
// the copy once every chain is in, in the order of the library's hash map of them.
void LayeredDrawing::splitLongEdges() {
  std::unordered_map<tlp::edge, tlp::edge> replaced;
  const std::vector<unsigned int> edges = copyOrder;
  for (unsigned int e : edges) {
    const unsigned int s = from[e];
    const unsigned int t = to[e];
    const int delta = level[t] - level[s];
    if (delta < 2)
      continue;
    unsigned int first;
    if (delta == 2) {
      const unsigned int d = addNode(level[s] + 1);
      first = addEdge(s, d, 1);
      addEdge(d, t, 1);
    } else {
      const unsigned int d1 = addNode(level[s] + 1);
      const unsigned int d2 = addNode(level[s] + 2);
      first = addEdge(s, d1, 1);
      addEdge(d1, d2, delta - 2);
      addEdge(d2, t, 1);
    }
    longEdges.push_back(e);
    chainFirst.push_back(first);
    const unsigned int id = input.edgeId.empty() ? e : input.edgeId[e];
    replaced.emplace(tlp::edge(id), tlp::edge(e));
  }
  for (const auto& entry : replaced)
    removeFromCopy(entry.second.id);
}

// Around each node, the graph's own edges first, then the added ones as they came.
void LayeredDrawing::buildStars() {
  const auto nodes = static_cast<unsigned int>(level.size());
  const auto inputEdges = static_cast<unsigned int>(input.source.size());
  starBegin.assign(nodes + 1, 0);
  for (unsigned int v = 0; v < input.nodeCount; ++v)
    starBegin[v + 1] = input.starBegin[v + 1] - input.starBegin[v];
  for (unsigned int e = inputEdges; e < from.size(); ++e) {
    ++starBegin[from[e] + 1];
    ++starBegin[to[e] + 1];
  }
  for (unsigned int v = 0; v < nodes; ++v)
    starBegin[v + 1] += starBegin[v];
  star.resize(starBegin.back());
  std::vector<unsigned int> next(starBegin.begin(), starBegin.end() - 1);
  for (unsigned int v = 0; v < input.nodeCount; ++v)
    for (unsigned int k = input.starBegin[v]; k < input.starBegin[v + 1]; ++k)
      star[next[v]++] = input.star[k];
  for (unsigned int e = inputEdges; e < from.size(); ++e) {
    star[next[from[e]]++] = e;
    star[next[to[e]]++] = e;
  }
}

// Every working node in the layer of its level, in the copy's node order.
void LayeredDrawing::buildGrid() {
  embedding.assign(level.size(), 0.);
  for (unsigned int v = 0; v < level.size(); ++v) {
    const auto l = static_cast<unsigned int>(level[v]);
    if (grid.size() <= l)
      grid.resize(l + 1);
    embedding[v] = static_cast<double>(grid[l].size());
    grid[l].push_back(v);
  }
}

// Depth-first numbering from the source over the copy's out-edges in star order. The
// sink, alone in its layer, is numbered 0 there whatever its depth, and leads nowhere,
// so the walk leaves it out.
void LayeredDrawing::numberDepthFirst() {
  std::vector<char> visited(level.size(), 0);
  struct Frame {
    unsigned int node;
    unsigned int next;
    int id;
  };
  visited[sourceNode] = 1;
  embedding[sourceNode] = 1;
  std::vector<Frame> stack{{sourceNode, starBegin[sourceNode], 1}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const unsigned int u = frame.node;
    unsigned int child = kNone;
    while (frame.next < starBegin[u + 1] && child == kNone) {
      const unsigned int e = star[frame.next++];
      if (from[e] == u && !visited[to[e]] && inCopy[e])
        child = to[e];
    }
    if (child == kNone) {
      stack.pop_back();
      continue;
    }
    const int id = frame.id + 1;
    visited[child] = 1;
    embedding[child] = id;
    stack.push_back({child, starBegin[child], id});
  }
}

void LayeredDrawing::sortLayers() {
  for (std::vector<unsigned int>& layer : grid) {
    std::stable_sort(layer.begin(), layer.end(), [this](unsigned int a, unsigned int b) {
      return embedding[a] < embedding[b];
    });
    for (unsigned int i = 0; i < layer.size(); ++i)
      embedding[layer[i]] = i;
  }
}

// The earlier heuristic: a temporary sink under every node without out-edge (itself
// included, by a loop), depth numbering, then in-place barycentre passes over every
// layer whose neighbours are read in the graph, long edges included.
void LayeredDrawing::sweepInPlace() {
  const auto sink = static_cast<unsigned int>(level.size());
  toSink.assign(sink, 1);
  for (unsigned int e : copyOrder)
    toSink[from[e]] = 0;
  embedding.push_back(0);
  grid.push_back({sink});
  numberDepthFirst();
  sortLayers();
  partDone(0.3);

  // Grid entries layer by layer, with their neighbours as entries.
  std::vector<unsigned int> entry(sink + 1);
  std::vector<unsigned int> layerStart;
  std::vector<double> at;
  for (const std::vector<unsigned int>& layer : grid) {
    layerStart.push_back(static_cast<unsigned int>(at.size()));
    for (unsigned int v : layer) {
      entry[v] = static_cast<unsigned int>(at.size());
      at.push_back(embedding[v]);
    }
  }
  layerStart.push_back(static_cast<unsigned int>(at.size()));
  std::vector<unsigned int> neighbourStart;
  std::vector<unsigned int> neighbours;
  neighbours.reserve(star.size() + 2 * sink + 2);
  for (const std::vector<unsigned int>& layer : grid)
    for (unsigned int v : layer) {
      neighbourStart.push_back(static_cast<unsigned int>(neighbours.size()));
      if (v == sink) {
        for (unsigned int u = 0; u < sink; ++u)
          if (toSink[u])
            neighbours.push_back(entry[u]);
        neighbours.insert(neighbours.end(), 2, entry[sink]); // the loop, at both ends
        continue;
      }
      for (unsigned int k = starBegin[v]; k < starBegin[v + 1]; ++k) {
        const unsigned int e = star[k];
        neighbours.push_back(entry[from[e] == v ? to[e] : from[e]]);
      }
      if (toSink[v])
        neighbours.push_back(entry[sink]);
    }
  neighbourStart.push_back(static_cast<unsigned int>(neighbours.size()));
  partDone(0.5);

  auto pass = [&](unsigned int layer) {
    for (unsigned int k = layerStart[layer]; k < layerStart[layer + 1]; ++k) {
      double sum = at[k];
      const unsigned int first = neighbourStart[k];
      const unsigned int last = neighbourStart[k + 1];
      for (unsigned int i = first; i < last; ++i)
        sum += at[neighbours[i]];
      at[k] = sum / (last - first + 1.0);
    }
  };
  const auto layers = static_cast<unsigned int>(grid.size());
  for (int sweep = 0; sweep < NB_UPDOWN_SWEEP; ++sweep) {
    for (unsigned int i = layers; i-- > 0;)
      pass(i);
    for (unsigned int i = 0; i < layers; ++i)
      pass(i);
  }
  partDone(0.7);
  for (const std::vector<unsigned int>& layer : grid)
    for (unsigned int v : layer)
      embedding[v] = at[entry[v]];
  sortLayers();
  embedding.pop_back();
}

// Layer sweeps that start from the order in which the tree layout would draw the
// in-place sweeps' result; the edges between consecutive layers in the copy's order.
void LayeredDrawing::sweepLayers() {
  sweepInPlace();
  phaseDone();
  grid.pop_back(); // the sink's layer
  std::vector<unsigned int> entry(level.size());
  std::vector<unsigned int> nodeOf;
  std::vector<std::vector<unsigned int>> layers(grid.size());
  for (unsigned int i = 0; i < grid.size(); ++i)
    for (unsigned int v : grid[i]) {
      entry[v] = static_cast<unsigned int>(nodeOf.size());
      layers[i].push_back(entry[v]);
      nodeOf.push_back(v);
    }
  std::vector<std::pair<unsigned int, unsigned int>> edges;
  edges.reserve(copyOrder.size());
  for (unsigned int e : copyOrder)
    if (level[to[e]] == level[from[e]] + 1)
      edges.emplace_back(entry[from[e]], entry[to[e]]);

  LayerSweep sweep(std::move(layers), edges);
  sweep.groupUnderMedianParents();
  // On the largest graphs, setting up takes about a tenth of the phase.
  partDone(0.1);
  sweep.run([this](double spent) { partDone(0.1 + 0.9 * spent); });
  crossings = sweep.crossings();
  for (unsigned int i = 0; i < grid.size(); ++i)
    for (unsigned int k = 0; k < grid[i].size(); ++k) {
      grid[i][k] = nodeOf[sweep.layers()[i][k]];
      embedding[grid[i][k]] = k;
    }
}

// Appends the copy's out-edges (or in-edges) of v in star order to `edges`.
void LayeredDrawing::copyEdges(unsigned int v, bool outgoing,
                               std::vector<unsigned int>& edges) const {
  for (unsigned int k = starBegin[v]; k < starBegin[v + 1]; ++k) {
    const unsigned int e = star[k];
    if (inCopy[e] && (outgoing ? from[e] : to[e]) == v)
      edges.push_back(e);
  }
}

// The tree layout visits children in edge order; after a crossing reduction, the
// edges of each node are ordered by the position of their targets. One flat list, as
// millions of small ones cost more to allocate than to fill.
void LayeredDrawing::orderChildren() {
  childBegin.assign(1, 0);
  childBegin.reserve(level.size() + 1);
  children.clear();
  for (unsigned int v = 0; v < level.size(); ++v) {
    copyEdges(v, true, children);
    childBegin.push_back(static_cast<unsigned int>(children.size()));
    if (!isTree && childBegin[v + 1] - childBegin[v] > 1)
      std::stable_sort(
          children.begin() + childBegin[v], children.end(),
          [this](unsigned int a, unsigned int b) { return embedding[to[a]] < embedding[to[b]]; });
  }
}

// Keeps of the in-edges of every node only the one from its median parent.
void LayeredDrawing::keepMedianParents() {
  std::vector<unsigned int> in;
  for (unsigned int v = 0; v < level.size(); ++v) {
    in.clear();
    copyEdges(v, false, in);
    if (in.size() < 2)
      continue;
    std::stable_sort(in.begin(), in.end(), [this](unsigned int a, unsigned int b) {
      return embedding[from[a]] < embedding[from[b]];
    });
    const unsigned int median = in[in.size() / 2];
    for (unsigned int e : in)
      if (e != median)
        removeFromCopy(e);
  }
  unsigned int kept = 0;
  for (unsigned int v = 0; v < level.size(); ++v) {
    const unsigned int begin = childBegin[v];
    childBegin[v] = kept;
    for (unsigned int k = begin; k < childBegin[v + 1]; ++k)
      if (inCopy[children[k]])
        children[kept++] = children[k];
  }
  childBegin.back() = kept;
  children.resize(kept);
}

void LayeredDrawing::placeTree() {
  const auto nodes = static_cast<unsigned int>(level.size());
  TreePlacement::Tree tree;
  tree.childBegin.reserve(nodes + 1);
  tree.width.reserve(nodes);
  tree.height.reserve(nodes);
  for (unsigned int v = 0; v < nodes; ++v) {
    tree.childBegin.push_back(static_cast<unsigned int>(tree.child.size()));
    for (unsigned int k = childBegin[v]; k < childBegin[v + 1]; ++k) {
      const unsigned int e = children[k];
      tree.child.push_back(to[e]);
      tree.length.push_back(isTree ? 1 : length[e]);
    }
    const tlp::Size& size = v < input.nodeCount ? input.size[v] : input.addedSize;
    tree.width.push_back(size.getW());
    tree.height.push_back(size.getH());
  }
  tree.childBegin.push_back(static_cast<unsigned int>(tree.child.size()));
  children = std::vector<unsigned int>();
  childBegin = std::vector<unsigned int>();
  TreePlacement placement(parameters.nodeSpacing, parameters.layerSpacing);
  placement.place(tree, sourceNode, placed);
}

// The tree layout draws the children of each parent as one block, so a node that the
// crossing reduction put among the children of another parent would move. Each level
// keeps the places the tree layout gave it, handed out in the order found; nodes
// wider than those that held the places are pushed apart.
void LayeredDrawing::keepOrderFound() {
  auto width = [this](unsigned int v) {
    return (v < input.nodeCount ? input.size[v] : input.addedSize).getW();
  };
  std::vector<float> places;
  for (const std::vector<unsigned int>& layer : grid) {
    places.clear();
    for (unsigned int v : layer)
      places.push_back(placed[v].getX());
    std::sort(places.begin(), places.end());
    for (unsigned int k = 0; k < layer.size(); ++k) {
      float x = places[k];
      if (k > 0)
        x = std::max(x, placed[layer[k - 1]].getX() + parameters.nodeSpacing +
                            (width(layer[k - 1]) + width(layer[k])) / 2.f);
      placed[layer[k]].setX(x);
    }
  }
}

// A long edge bends at its first and last dummy nodes.
void LayeredDrawing::bendLongEdges() {
  for (unsigned int i = 0; i < longEdges.size(); ++i) {
    unsigned int last = chainFirst[i];
    while (to[last] != to[longEdges[i]])
      for (unsigned int k = starBegin[to[last]]; k < starBegin[to[last] + 1]; ++k)
        if (from[star[k]] == to[last]) {
          last = star[k];
          break;
        }
    const unsigned int first = to[chainFirst[i]];
    std::vector<tlp::Coord>& bends = edgeBends[longEdges[i]];
    bends.push_back(placed[first]);
    if (from[last] != first)
      bends.push_back(placed[from[last]]);
  }
}

// Positions of the graph's nodes; edge ends trimmed to a quarter layer spacing beyond
// the band of their level; nodes of a level on the bottom line of its tallest; turned
// when the levels run from left to right.
void LayeredDrawing::finish() {
  const unsigned int n = input.nodeCount;
  position.assign(placed.begin(), placed.begin() + n);
  std::vector<float> levelMaxSize(grid.size(), 0.f);
  std::vector<unsigned int> nodeLevel(n, 0);
  for (unsigned int i = 0; i < grid.size(); ++i)
    for (unsigned int v : grid[i])
      if (v < n) {
        levelMaxSize[i] = std::max(levelMaxSize[i], input.size[v].getH());
        nodeLevel[v] = i;
      }

  if (parameters.bends) {
    edgeBends.assign(input.source.size(), {});
    bendLongEdges();
    const float spacing = parameters.layerSpacing;
    auto offset = [&](int l) { return spacing / 4.f + levelMaxSize[l] / 2.f; };
    for (unsigned int e = 0; e < input.source.size(); ++e) {
      const int ls = static_cast<int>(nodeLevel[input.source[e]]);
      const int lt = static_cast<int>(nodeLevel[input.target[e]]);
      const float rev = ls > lt ? 1.f : -1.f;
      const tlp::Coord& S = position[input.source[e]];
      const tlp::Coord& T = position[input.target[e]];
      std::vector<tlp::Coord> bends;
      bends.reserve(4);
      bends.emplace_back(S.getX(), S.getY() + rev * offset(ls), S.getZ());
      if (!edgeBends[e].empty()) {
        const tlp::Coord F = edgeBends[e].front();
        const tlp::Coord B = edgeBends[e].back();
        const int m1 = rev > 0 ? ls - 1 : ls + 1;
        const int m2 = rev > 0 ? lt + 1 : lt - 1;
        bends.emplace_back(F.getX(), F.getY() - rev * offset(m1), F.getZ());
        bends.emplace_back(B.getX(), B.getY() + rev * offset(m2), B.getZ());
      }
      bends.emplace_back(T.getX(), T.getY() - rev * offset(lt), T.getZ());
      if (parameters.horizontal)
        for (tlp::Coord& c : bends)
          c = exchanged(c);
      edgeBends[e] = std::move(bends);
    }
  }

  for (unsigned int v = 0; v < n; ++v) {
    tlp::Coord& c = position[v];
    c.setY(c.getY() - (levelMaxSize[nodeLevel[v]] - input.size[v].getH()) / 2.f);
    if (parameters.horizontal)
      c = exchanged(c);
  }
}
