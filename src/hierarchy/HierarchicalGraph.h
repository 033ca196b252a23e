#ifndef TEXTFERRO_HIERARCHICALGRAPH_H
#define TEXTFERRO_HIERARCHICALGRAPH_H

// "Hierarchical Graph": layered drawing of any directed graph. Nodes go to the levels
// of the longest-path layering, are ordered within their level to reduce crossings,
// and are placed by "Hierarchical Tree (R-T Extended)" on a median-parent spanning tree.
// After layer sweeps, each level keeps the places the tree layout gave it but hands
// them out in the order found, which the tree layout alone would not keep.
//
// An acyclic graph without self loops is drawn on plain arrays (LayeredDrawing), to
// the same positions and bends as the run on a working copy with the graph library's
// operations, which draws every other graph.
//
// Parameters (defaults):
//   "node size"           SizeProperty      "viewSize"
//   "orientation"         StringCollection  "horizontal" (levels left to right) or "vertical"
//   "layer spacing"       float             64
//   "node spacing"        float             18
//   "crossing reduction"  StringCollection  "layer sweeps" (see LayerSweep) or "in-place
//                                           sweeps", the earlier barycentre heuristic, for
//                                           callers that rely on its positions
// Needs the plug-ins "Dag Level" and "Hierarchical Tree (R-T Extended)".

#include <tulip/AcyclicTest.h>
#include <tulip/Coord.h>
#include <tulip/MutableContainer.h>
#include <tulip/PropertyAlgorithm.h>

#include <functional>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

class LayeredDrawing;

namespace tlp {
class DoubleProperty;
class SizeProperty;
} // namespace tlp

// Orders nodes by their value in `metric`.
struct LessThanNode2 {
  tlp::DoubleProperty* metric = nullptr;
  bool operator()(tlp::node n1, tlp::node n2) const;
};

// Orders edges by the value of their sources (in `sg`) in `metric`.
struct LessThanEdge {
  tlp::DoubleProperty* metric = nullptr;
  tlp::Graph* sg = nullptr;
  bool operator()(tlp::edge e1, tlp::edge e2) const;
};

class HierarchicalGraph : public tlp::LayoutAlgorithm {
public:
  PLUGININFORMATION("Hierarchical Graph", "TextFerro", "23/05/2000", "Alpha", "1.0",
                    "Hierarchical")

  HierarchicalGraph(const tlp::PluginContext* context);

  // Fails when one of the two plug-ins that run() needs is not registered.
  bool check(std::string& errorMsg) override;
  // Draws the graph on arrays where it can, on a working copy otherwise.
  bool run() override;
  // The drawing on a clone of the graph with the graph library's operations, for any
  // graph: cycles are turned, self loops drawn through substitute nodes.
  bool runOnWorkingCopy();
  // The node positions that run() would give, in the graph's node order, without the
  // edge bends and without a result property: for a caller that replaces the bends.
  // False, with nothing drawn, for a graph with a cycle or a self loop.
  // `progress`, if given, is told after each of the drawing's phases, and within the
  // long ones, how many steps are done, and of how many (100 per phase).
  bool nodePositions(std::vector<tlp::Coord>& positions,
                     const std::function<void(std::size_t done, std::size_t total)>& progress = {});

  // The phases below work on the acyclic, single-sourced and proper working copy
  // that run() prepares; they are public so that each can be checked on its own.

  // Puts every node of sg into the layer of its "Dag Level", in the graph's node
  // order, and numbers the layers in `embedding`.
  void buildGrid(tlp::Graph* sg);
  // Orders every layer and numbers it in `embedding`: by in-place barycentre sweeps,
  // then, with `layerSweeps`, by layer sweeps that start from the order in which the
  // tree layout would draw theirs. The
  // in-place sweeps add a temporary sink to sg, gone again when it returns; without
  // layer sweeps the grid's last layer still names it.
  void crossReduction(tlp::Graph* sg);
  // Depth-first numbering from n, in embedding.
  void initCross(tlp::Graph* sg, tlp::node n, tlp::MutableContainer<bool>& visited, int id);
  // One barycentre pass over layer freeLayer, with the neighbours of its nodes in sg.
  void twoLayerCrossReduction(tlp::Graph* sg, unsigned int freeLayer, bool sense);
  // Keeps, of the in-edges of every node of the acyclic sg, only the one from its
  // median parent in embedding, which leaves a tree.
  void DagLevelSpanningTree(tlp::Graph* sg, tlp::DoubleProperty* embedding);
  // In-degree of n (sense false) or out-degree (sense true).
  unsigned int degree(tlp::Graph* sg, tlp::node n, bool sense);

  std::vector<std::vector<tlp::node>> grid;
  tlp::DoubleProperty* embedding = nullptr;
  LessThanNode2 lessNode;
  tlp::SizeProperty* nodeSize = nullptr;
  std::string orientation = "horizontal";
  float spacing = 64.f;
  float nodeSpacing = 18.f;
  bool layerSweeps = true;
  // Crossings of the order that the layer sweeps found, between consecutive layers of
  // the working copy; -1 after in-place sweeps.
  long long orderCrossings = -1;

private:
  void readParameters();
  bool drawOnArrays(bool withBends, const std::function<void(const LayeredDrawing&)>& take,
                    const std::function<void(std::size_t, std::size_t)>& progress = {});
  void sweepLayers(tlp::Graph* sg);
  void sweepInPlace(tlp::Graph* sg);
  void keepOrderFound(tlp::LayoutProperty& tmpLayout);
  void computeEdgeBends(const tlp::Graph* mySGraph, tlp::LayoutProperty& tmpLayout,
                        const std::unordered_map<tlp::edge, tlp::edge>& replacedEdges,
                        const std::vector<tlp::edge>& reversedEdges);
  void computeSelfLoops(tlp::Graph* mySGraph, tlp::LayoutProperty& tmpLayout,
                        std::vector<tlp::SelfLoops>& listSelfLoops);
  void orderOutEdgesByEmbedding(tlp::Graph* mySGraph);
  void restoreEdgeOrders();
  void trimEdgeEnds(const std::vector<float>& levelMaxSize,
                    const tlp::MutableContainer<int>& nodeLevel, bool horizontal);
  void alignNodes(const std::vector<float>& levelMaxSize,
                  const tlp::MutableContainer<int>& nodeLevel);
  void exchangeWidthAndHeight();
  void turnToHorizontal();

  // Out-edge orders of the input graph changed by the edge-order step, to be put
  // back once the working copy is gone.
  std::vector<std::pair<tlp::node, std::vector<tlp::edge>>> changedEdgeOrders;

  // The grid's positions and neighbourhoods in one graph as flat arrays, so that the
  // eight sweeps over every layer read neither the graph nor the property. Entries
  // 0 .. gridSize - 1 are the grid's nodes, layer by layer; neighbours outside the
  // grid follow with their fixed positions.
  struct SweepTable {
    const tlp::Graph* graph = nullptr;
    std::vector<tlp::node> nodes;
    std::vector<double> position;
    std::vector<unsigned int> layerStart;    // per layer, then the grid's size
    std::vector<unsigned int> neighbourStart; // per grid entry, then the end
    std::vector<unsigned int> neighbours;
  };
  void loadSweepTable(const tlp::Graph* sg);
  void storeSweepTable();
  SweepTable sweepTable;
};

#endif
