#ifndef TEXTFERRO_LAYERSWEEP_H
#define TEXTFERRO_LAYERSWEEP_H

// Orders the nodes within the layers of a proper layered graph (every edge joins two
// consecutive layers) so that few edges cross. A sweep goes down (or up) the layers
// and places each layer's nodes by the barycentre of their neighbours in the layer
// just placed, renumbering it at once; nodes without such neighbours keep their
// places. A round is a down and an up sweep. From each start order come up to four
// rounds of bare sweeps, then rounds in which, after each sweep, adjacent nodes swap
// places wherever that lowers the exactly counted crossings with both neighbouring
// layers (an inversion count per pair of layers), pass after pass over the layers,
// until three rounds in a row no longer lower the count; then, while the budget
// allows, rounds of sifting: each node in turn moves to the place in its layer where
// its edges cross fewest others, until a round moves none.
//
// Connected parts of the graph lie side by side, never interleaved, and each keeps
// the best order it reached (edges at a node alone in its layer cannot cross and do
// not join parts). Each start goes on from its own best order and hands over every
// part it improved. The order given is the first candidate, so that the result never
// has more crossings than it. The first start is, per part, a breadth-first search
// over the edges in both directions from a node at one end of the part, each node
// joining its layer when it is reached; the second searches from the other end. On
// lines that run side by side this keeps the lines in order, where a search from all
// sources at once interleaves them, and the sweeps never quite undo that. Then come
// breadth-first orders from the sources and from the sinks of the best order, then
// shuffled ones. The work budget is the same for every graph, so that large graphs
// get a few rounds from one start, within about a second for the largest maps, and
// small ones hundreds of starts; a round or a start is begun only if the budget left
// can carry it (the first round of bare sweeps always is), and swaps stop when it is
// spent. Deterministic: the same input gives the same order.
//
// Works on plain arrays of entry numbers only, so that it runs apart from any graph.

#include <array>
#include <functional>
#include <random>
#include <utility>
#include <vector>

class LayerSweep {
public:
  // `layers[i]` lists the entries of layer i in their start order; the entries are
  // numbered 0 .. n - 1, each in exactly one layer. `edges` join an entry of some
  // layer i (first) to one of layer i + 1 (second); parallel edges count twice.
  LayerSweep(std::vector<std::vector<unsigned int>> layers,
             const std::vector<std::pair<unsigned int, unsigned int>>& edges);

  // Reorders the layers from the top down as a tree layout draws the tree that keeps,
  // of the neighbours above each node, the one in the middle of their present order
  // (the later of the two middle ones): every node under that parent, the children
  // of a parent in their present order.
  void groupUnderMedianParents();

  // Orders the layers as described above. `progress`, if given, is told after each
  // round the share of the work budget spent so far (0 to 1; a graph done early ends
  // short of 1).
  void run(const std::function<void(double spent)>& progress = {});

  // The layers in their current order.
  const std::vector<std::vector<unsigned int>>& layers() const { return order; }
  // Crossings of the current order, over all pairs of consecutive layers.
  long long crossings() const;

private:
  // Neighbours of each entry in the layer above (up) or below (down), and their
  // positions sorted ascending, refreshed before a layer's nodes are compared.
  struct Adjacency {
    std::vector<unsigned int> start; // per entry, then the end
    std::vector<unsigned int> list;
    std::vector<unsigned int> sortedPositions;
    unsigned int begin(unsigned int u) const { return start[u]; }
    unsigned int end(unsigned int u) const { return start[u + 1]; }
  };

  void findParts();
  void breadthFirst(unsigned int root, std::vector<unsigned int>& reached);
  void searchFromEnd(unsigned int start, std::vector<unsigned int>& reached);
  void startFromPartEnds(bool fromOtherEnd);
  void groupByPart(std::vector<std::vector<unsigned int>>& layers) const;
  void startBreadthFirst(bool fromSources);
  void startShuffled(std::mt19937& random);
  std::vector<long long> partCrossings() const;
  bool keepBetterParts(std::vector<std::vector<unsigned int>>& best,
                       std::vector<long long>& bestCount, const std::vector<long long>& now) const;
  bool improve(std::vector<std::vector<unsigned int>>& best, std::vector<long long>& bestCount);
  long long budget() const;
  void placeByBarycentre(unsigned int layer, const Adjacency& fixed);
  void transposeAll(bool equalToo);
  long long transpose(unsigned int layer, bool equalToo);
  void sortNeighbourPositions(unsigned int layer, bool all);
  void markNeighboursStale(unsigned int u);
  std::pair<long long, long long> pairCrossings(unsigned int u, unsigned int v);
  void sweepRounds(bool transpositions, std::vector<std::vector<unsigned int>>& best,
                   std::vector<long long>& bestCount);
  long long sift(unsigned int layer);
  bool siftRounds();
  void setOrder(std::vector<std::vector<unsigned int>> layers);
  void renumber(unsigned int layer);

  std::vector<std::vector<unsigned int>> order;
  std::vector<unsigned int> pos;   // position of each entry within its layer
  std::vector<unsigned int> layerOf;
  std::vector<bool> alone;         // the entry is alone in its layer
  std::vector<bool> stale;         // the entry's sorted neighbour positions are out of date
  std::vector<bool> active;        // the entry or its neighbours moved since its last pass
  std::vector<unsigned int> swapped;
  // Bumped whenever a layer is placed anew; each layer notes the versions of itself and
  // its neighbours when it was last passed over by transpose().
  std::vector<unsigned int> layerVersion;
  std::vector<std::array<unsigned int, 3>> passedAt;
  std::vector<unsigned int> part;  // connected part of each entry, numbered in start order
  unsigned int partCount = 1;
  // Per entry, the number of the last breadth-first search that reached it (searches
  // counts them); UINT_MAX for an entry alone in its layer, which no search takes.
  std::vector<unsigned int> searchMark;
  unsigned int searches = 0;
  std::vector<unsigned int> otherEnd; // per part, set by the start from its first end
  Adjacency up, down;
  long long work = 0; // neighbours looked at so far, against the budget
  long long counted = -1; // crossings of the present order once run() has counted them
  std::function<void(double)> progress; // run()'s, for the rounds
};

#endif
