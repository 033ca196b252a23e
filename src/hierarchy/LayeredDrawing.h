#ifndef TEXTFERRO_LAYEREDDRAWING_H
#define TEXTFERRO_LAYEREDDRAWING_H

// The drawing of "Hierarchical Graph" (see HierarchicalGraph.h) computed on plain
// arrays, for acyclic graphs without self loops. It gives the same positions and
// bends, to the bit, as the layout's run on a clone of the graph with the graph
// library's operations, in a fraction of the time and memory: the working copy, its
// added source and dummy nodes, the temporary sink, the levels, the spanning tree and
// every order the library's containers would give are kept in arrays that mirror
// them. The layout runs its graphs through it, and so can a caller that holds its
// graph in arrays and never builds the graph library's version of it.
//
// Mirrored, in the library's terms: the clone's node and edge order (added elements
// at the end, deleted edges replaced by the last one), the order of the edges around
// each node (additions at the end, deletions closing up), makeSimpleSource,
// makeProperDag (one dummy node for an edge across two levels, two for a longer one,
// the middle edge spanning the rest), dagLevel and the tree layout on the spanning
// tree. The graph itself is never changed.

#include <tulip/Coord.h>
#include <tulip/Size.h>

#include <cstddef>
#include <functional>
#include <vector>

class LayeredDrawing {
public:
  // The graph to draw. Nodes are numbered 0 .. nodeCount - 1 in the graph's node
  // order, edges 0 .. m - 1 in its edge order.
  struct Graph {
    unsigned int nodeCount = 0;
    std::vector<unsigned int> source; // per edge
    std::vector<unsigned int> target;
    // The edges around each node in the graph's order: star[starBegin[v] ..
    // starBegin[v + 1]).
    std::vector<unsigned int> starBegin;
    std::vector<unsigned int> star;
    // The graph library's id of each edge. The library takes the long edges out of
    // its working copy in the order of a hash map keyed by them, which decides the
    // order of the working copy's edges; empty when the ids are 0 .. m - 1.
    std::vector<unsigned int> edgeId;
    // Node sizes with the width along a level (a vertical drawing's frame), and the
    // size of the nodes that the drawing adds (the property's default).
    std::vector<tlp::Size> size;
    tlp::Size addedSize;
  };

  struct Parameters {
    float layerSpacing = 64.f;
    float nodeSpacing = 18.f;
    bool layerSweeps = true; // false: the in-place sweeps alone
    bool horizontal = true;  // levels from left to right
    bool bends = true;       // compute the edge bends too
    // Told after each phase of the drawing, and within the long ones, how many steps
    // are done, of how many (100 per phase).
    std::function<void(std::size_t done, std::size_t total)> progress;
  };

  // True when the graph has no directed cycle and no self loop: the graphs drawn here.
  static bool drawable(const Graph& graph);

  // Draws a drawable graph.
  LayeredDrawing(const Graph& graph, const Parameters& parameters);

  // Per node of the graph, its position; per edge, its bends (empty unless asked).
  const std::vector<tlp::Coord>& positions() const { return position; }
  const std::vector<std::vector<tlp::Coord>>& bends() const { return edgeBends; }
  // Crossings of the order that the layer sweeps found; -1 when they did not run.
  long long orderCrossings() const { return crossings; }

private:
  static constexpr unsigned int kNone = ~0u;

  unsigned int addNode(int level);
  unsigned int addEdge(unsigned int s, unsigned int t, int length);
  void removeFromCopy(unsigned int e);
  void computeLevels();
  void addSource();
  bool copyIsTree() const;
  void splitLongEdges();
  void buildStars();
  void buildGrid();
  void sweepInPlace();
  void numberDepthFirst();
  void sortLayers();
  void sweepLayers();
  void copyEdges(unsigned int v, bool outgoing, std::vector<unsigned int>& edges) const;
  void orderChildren();
  void keepMedianParents();
  void placeTree();
  void keepOrderFound();
  void bendLongEdges();
  void finish();
  void phaseDone();
  void partDone(double part);

  const Graph& input;
  Parameters parameters;
  bool isTree = false;

  // The working copy: the graph's nodes and edges, then the ones it adds.
  unsigned int sourceNode = kNone;
  std::vector<int> level;
  std::vector<unsigned int> from, to;  // ends of each edge
  std::vector<int> length;             // levels each edge spans
  std::vector<char> inCopy;            // still in the working copy
  std::vector<unsigned int> copyOrder; // the working copy's edges in its order
  std::vector<unsigned int> copyPos;
  std::vector<unsigned int> longEdges; // replaced edges, each with its chain
  std::vector<unsigned int> chainFirst;
  // Edges around each working node, in the library's order.
  std::vector<unsigned int> starBegin;
  std::vector<unsigned int> star;
  // Out-edges of each node in drawing order: children[childBegin[v] .. childBegin[v + 1]).
  std::vector<unsigned int> childBegin;
  std::vector<unsigned int> children;

  std::vector<std::vector<unsigned int>> grid;
  std::vector<double> embedding;
  // The temporary sink of the in-place sweeps joins every node without outgoing edge.
  std::vector<char> toSink;

  std::vector<tlp::Coord> placed; // the tree layout's positions of the working nodes
  std::vector<tlp::Coord> position;
  std::vector<std::vector<tlp::Coord>> edgeBends;
  long long crossings = -1;
  std::size_t phasesDone = 0;
};

#endif
