#ifndef TEXTFERRO_FLOWGRAPHARRAYS_H
#define TEXTFERRO_FLOWGRAPHARRAYS_H

// The cluster-flow graph of a timeline in flat arrays, for the load of large
// timelines: the pipeline of timelineToGraph, deleteMultiEdges, findMajorStations,
// clusterProperties and subwayLayout, run without putting the dummy nodes, their
// chains and the parallel edges into a graph library graph. On a timeline of
// 100,000 stations these are about 1.9 million nodes and 3.8 million edges that
// the library built, converted and deleted again one by one.
//
// The result is the same graph, to the node order, the edge order, the order of
// the edges around each node and every property value: the arrays mirror the
// library's containers (elements numbered as they are added, a deleted element
// replaced in the order by the last one, edges around a node in the order they were
// added, closing up on deletion), and the layout engine draws the same arrays that
// it would read from the library's graph. Only the ids differ: the finished graph's
// nodes and edges are numbered densely in their order. clusterTimeToNode and
// nodeToClusterTime name the finished graph's nodes.
//
// Use: construct from the series (while clusterTimeToNode is empty), read the
// cluster files, then removeParallelEdges, findMajorStations, readLabels and layOut,
// in this order, one step per stage of the load. Only the lead-ins of the default
// kind (LeadIns::perFirstStation) are built.

#include "clusterflow/GenClusterMap.h"
#include "hierarchy/LayeredDrawing.h"

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace tlp {
class Graph;
}

class FlowGraphArrays {
public:
  // Builds the nodes and edges of the series as timelineToGraph does, with its
  // progress dots and headway reports, and enters the stations in clusterTimeToNode
  // under provisional numbers.
  explicit FlowGraphArrays(const std::vector<std::vector<std::pair<int, int>>>& series);

  // Removes the parallel edges as deleteMultiEdges does. False when the graph
  // cannot be drawn on arrays (a cycle or a self loop, which the timeline reader
  // rules out): the caller then runs the library's pipeline on toLibraryGraph.
  bool removeParallelEdges();
  void findMajorStations();
  // Reads the stations' labels from the tag cache, as clusterProperties does.
  void readLabels();
  // Lays the graph out, replaces the dummy chains by vanish edges, and builds the
  // finished map into the empty graph `map`, with every property that the library's
  // pipeline gives it. Tells the stage's headway.
  void layOut(tlp::Graph* map);

  // The graph as timelineToGraph would have built it into the empty graph `graph`,
  // for the library's pipeline; clusterTimeToNode and nodeToClusterTime name its nodes.
  void toLibraryGraph(tlp::Graph* graph) const;

private:
  static constexpr unsigned int kNone = ~0u;

  // A container of ids in the graph library's order: appended at the end, a
  // removed id replaced by the last one.
  struct Ordered {
    std::vector<unsigned int> at;  // ids by position
    std::vector<unsigned int> pos; // positions by id
    void add(unsigned int id);
    void remove(unsigned int id);
  };

  unsigned int addNode(bool station);
  unsigned int addEdge(unsigned int source, unsigned int target);
  unsigned int addChain(int length);
  void addLeadIns(std::vector<std::pair<int, unsigned int>>& firsts);
  void buildStars();
  template <typename EdgeAt>
  void starsOf(std::size_t count, EdgeAt edgeAt, std::vector<unsigned int>& first,
               std::vector<unsigned int>& around) const;
  void deleteEdge(unsigned int e);
  void deleteNode(unsigned int n);
  unsigned int firstNeighbour(unsigned int n, bool in) const;
  unsigned int degree(unsigned int n, bool in) const;
  LayeredDrawing::Graph drawingInput() const;
  void deleteChain(unsigned int dummy);
  void deleteDummyChains();
  void buildMap(tlp::Graph* map, const std::vector<tlp::Coord>& positions);
  void orderStars(tlp::Graph* map, const std::vector<tlp::edge>& edges) const;
  void setProperties(tlp::Graph* map, const std::vector<tlp::edge>& edges);
  void markStations(tlp::Graph* graph, const std::function<tlp::node(unsigned int)>& node) const;
  void renameStations(const std::vector<tlp::node>& nodes) const;

  std::vector<char> isStation;      // per node
  std::vector<char> labelPosition;  // per node: that of the last series through it
  std::vector<unsigned int> stationOrder; // stations in the order they were made
  std::vector<unsigned int> indegree;     // per node, while building
  std::vector<unsigned int> source, target; // per edge, vanish edges at the end
  std::vector<char> alive;                  // per edge
  Ordered nodes, edges;
  // The edges around each node in the order they were added (vanish edges apart).
  std::vector<unsigned int> starBegin, star;
  std::vector<unsigned int> vanishEdges; // in the order they were added
  std::vector<char> isMajor;             // per node
  std::vector<char> insideLine; // per node: has in- and out-edges before the chains go
  LayeredDrawing::Graph drawing; // what the layout draws, from the parallel edges' removal
  StationLabels labels;
  std::vector<char> styled; // per node: has a label, hence a size
};

#endif
