#include "hierarchy/LayerSweep.h"

#include <algorithm>
#include <array>
#include <climits>
#include <numeric>
#include <random>

namespace {

// Rounds of a down and an up sweep per phase, at most; bare sweeps get fewer, since
// swaps soon do more for the same time.
constexpr int kMaxRounds = 24;
constexpr int kMaxBareRounds = 4;
// Work allowed for the whole ordering, counted in neighbours looked at (by searches,
// sorts, swaps and sifting), the same for every graph: a few tenths of a second, up to
// about a second on the largest maps, whose arrays no longer fit in the caches so that
// every unit costs more. A large graph spends it on a few rounds from one start; a
// small one on hundreds of starts, which its crossings need: a dense map of a hundred
// stations keeps finding better orders until its two hundredth start. A round of
// placements counts as kPlacementWork per node and edge, about its cost against that
// of transpositions.
constexpr long long kWork = 60000000;
constexpr long long kPlacementWork = 6;
// Passes of adjacent swaps after each sweep, at most: later passes move few nodes, and
// the next round goes on from where they stopped.
constexpr int kMaxPasses = 8;
// A phase ends after this many rounds in a row that improve no part: barycentre
// sweeps may need a round or two that lose ground before they untangle more.
constexpr int kIdleRounds = 3;
// Starts from shuffled orders after the first four, while budget is left, until this
// many in a row improved no part: on dense maps of a hundred stations better orders
// still turn up eighty starts after the last one, on small graphs seldom.
constexpr int kShuffledStarts = 400;
constexpr int kIdleStarts = 100;
// Rounds of sifting per start, at most.
constexpr int kMaxSiftRounds = 8;

// Counts, over positions 0 .. n - 1, how many values have been added at or below a
// position; the inversion count of a pair of layers in O(E log V).
class FenwickTree {
public:
  void clear(std::size_t n) { tree.assign(n + 1, 0); }
  void add(unsigned int position) {
    for (std::size_t i = position + 1; i < tree.size(); i += i & (~i + 1))
      ++tree[i];
  }
  unsigned int atOrBelow(unsigned int position) const {
    unsigned int sum = 0;
    for (std::size_t i = position + 1; i > 0; i -= i & (~i + 1))
      sum += tree[i];
    return sum;
  }

private:
  std::vector<unsigned int> tree;
};

// Union-find over entries, to tell the connected parts apart.
class Parts {
public:
  explicit Parts(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0u); }
  unsigned int find(unsigned int x) {
    while (parent[x] != x)
      x = parent[x] = parent[parent[x]];
    return x;
  }
  void join(unsigned int a, unsigned int b) { parent[find(a)] = find(b); }

private:
  std::vector<unsigned int> parent;
};

} // namespace

LayerSweep::LayerSweep(std::vector<std::vector<unsigned int>> layers,
                       const std::vector<std::pair<unsigned int, unsigned int>>& edges) {
  std::size_t count = 0;
  for (const std::vector<unsigned int>& layer : layers)
    count += layer.size();
  pos.assign(count, 0);
  layerOf.assign(count, 0);
  part.assign(count, 0);
  stale.assign(count, false);
  searchMark.assign(count, 0);
  active.assign(count, false);
  layerVersion.assign(layers.size(), 1);
  passedAt.assign(layers.size(), {0, 0, 0});
  alone.assign(count, false);
  for (unsigned int i = 0; i < layers.size(); ++i)
    for (unsigned int u : layers[i]) {
      layerOf[u] = i;
      alone[u] = layers[i].size() == 1;
      if (alone[u])
        searchMark[u] = UINT_MAX;
    }

  for (Adjacency* adjacency : {&up, &down}) {
    adjacency->start.assign(count + 1, 0);
    adjacency->list.resize(edges.size());
    adjacency->sortedPositions.resize(edges.size());
  }
  for (const auto& [upper, lower] : edges) {
    ++down.start[upper + 1];
    ++up.start[lower + 1];
  }
  for (Adjacency* adjacency : {&up, &down})
    std::partial_sum(adjacency->start.begin(), adjacency->start.end(), adjacency->start.begin());
  std::vector<unsigned int> nextUp(up.start.begin(), up.start.end() - 1);
  std::vector<unsigned int> nextDown(down.start.begin(), down.start.end() - 1);
  for (const auto& [upper, lower] : edges) {
    down.list[nextDown[upper]++] = lower;
    up.list[nextUp[lower]++] = upper;
  }
  setOrder(std::move(layers));
}

void LayerSweep::groupUnderMedianParents() {
  std::vector<unsigned int> parent(pos.size(), UINT_MAX);
  std::vector<std::pair<unsigned int, unsigned int>> above; // position, entry
  for (unsigned int u = 0; u < pos.size(); ++u) {
    above.clear();
    for (unsigned int k = up.begin(u); k < up.end(u); ++k)
      above.emplace_back(pos[up.list[k]], up.list[k]);
    if (above.empty())
      continue;
    std::nth_element(above.begin(), above.begin() + above.size() / 2, above.end());
    parent[u] = above[above.size() / 2].second;
  }
  // Top down, so that a parent's position is already the one it is drawn at.
  for (unsigned int layer = 1; layer < order.size(); ++layer) {
    std::stable_sort(order[layer].begin(), order[layer].end(),
                     [&](unsigned int a, unsigned int b) {
                       const unsigned int pa = parent[a] == UINT_MAX ? 0 : pos[parent[a]];
                       const unsigned int pb = parent[b] == UINT_MAX ? 0 : pos[parent[b]];
                       return pa < pb;
                     });
    renumber(layer);
  }
}

void LayerSweep::setOrder(std::vector<std::vector<unsigned int>> layers) {
  counted = -1;
  order = std::move(layers);
  for (unsigned int i = 0; i < order.size(); ++i)
    renumber(i);
}

void LayerSweep::renumber(unsigned int layer) {
  counted = -1;
  bool moved = false;
  for (unsigned int i = 0; i < order[layer].size(); ++i) {
    const unsigned int u = order[layer][i];
    moved = moved || pos[u] != i;
    pos[u] = i;
  }
  if (moved)
    ++layerVersion[layer];
}

long long LayerSweep::crossings() const {
  if (counted >= 0)
    return counted;
  const std::vector<long long> count = partCrossings();
  return std::accumulate(count.begin(), count.end(), 0LL);
}

long long LayerSweep::budget() const {
  return kWork;
}

void LayerSweep::findParts() {
  Parts parts(pos.size());
  for (unsigned int u = 0; u < pos.size(); ++u)
    for (unsigned int k = down.begin(u); k < down.end(u); ++k) {
      const unsigned int v = down.list[k];
      if (!alone[u] && !alone[v])
        parts.join(u, v);
    }
  std::vector<unsigned int> number(pos.size(), UINT_MAX);
  part.assign(pos.size(), 0);
  unsigned int& next = partCount;
  next = 0;
  for (const std::vector<unsigned int>& layer : order)
    for (unsigned int u : layer) {
      unsigned int& n = number[parts.find(u)];
      if (n == UINT_MAX)
        n = next++;
      part[u] = n;
    }
}

// Lists in `reached` the entries of root's part in the order in which a breadth-first
// search from root reaches them, over edges in both directions. Entries alone in their
// layer carry the mark UINT_MAX, so that one look at the mark of a neighbour tells
// whether to take it: on the largest graphs these searches are bound by memory reads.
void LayerSweep::breadthFirst(unsigned int root, std::vector<unsigned int>& reached) {
  ++searches;
  reached.clear();
  reached.push_back(root);
  if (alone[root])
    return;
  searchMark[root] = searches;
  long long looked = 0;
  for (std::size_t head = 0; head < reached.size(); ++head) {
    const unsigned int u = reached[head];
    for (const Adjacency* side : {&up, &down})
      for (unsigned int k = side->begin(u); k < side->end(u); ++k, ++looked) {
        const unsigned int v = side->list[k];
        if (searchMark[v] < searches) {
          searchMark[v] = searches;
          reached.push_back(v);
        }
      }
  }
  work += static_cast<long long>(reached.size()) + looked;
}

// Searches from a node at one end of start's part, the one that a search from start
// reaches last, and notes the node that this second search reaches last, at the other
// end. Two searches find ends far enough apart for lines that run side by side; more,
// until the distance stops growing, cost a third of the start on the largest graphs
// for no fewer crossings.
void LayerSweep::searchFromEnd(unsigned int start, std::vector<unsigned int>& reached) {
  breadthFirst(start, reached);
  const unsigned int root = reached.back();
  breadthFirst(root, reached);
  otherEnd[part[root]] = reached.back();
}

// Per part, in the order of the parts, a breadth-first search from a node at one end
// of the part (or, once that is done, from its other end); each entry joins the end
// of its layer when it is reached. On lines that run side by side, the distance from
// one end grows across the lines, so each layer starts out in the order of its lines.
void LayerSweep::startFromPartEnds(bool fromOtherEnd) {
  std::vector<std::vector<unsigned int>> layers(order.size());
  std::vector<bool> placed(pos.size(), false);
  std::vector<unsigned int> reached;
  otherEnd.resize(partCount);
  for (const std::vector<unsigned int>& layer : order)
    for (unsigned int u : layer) {
      if (placed[u])
        continue;
      if (fromOtherEnd)
        breadthFirst(otherEnd[part[u]], reached);
      else
        searchFromEnd(u, reached);
      for (unsigned int v : reached) {
        placed[v] = true;
        layers[layerOf[v]].push_back(v);
      }
    }
  groupByPart(layers);
  setOrder(std::move(layers));
}

// Sets the parts side by side in every layer, in the order of their numbers, keeping
// the order within each part.
void LayerSweep::groupByPart(std::vector<std::vector<unsigned int>>& layers) const {
  const auto byPart = [this](unsigned int a, unsigned int b) { return part[a] < part[b]; };
  for (std::vector<unsigned int>& layer : layers)
    if (!std::is_sorted(layer.begin(), layer.end(), byPart))
      std::stable_sort(layer.begin(), layer.end(), byPart);
}

// Visits the graph breadth-first from its sources (or sinks) in their present order;
// each entry joins the end of its layer when it is reached. Then every layer is
// grouped by connected part, keeping that order within each part.
void LayerSweep::startBreadthFirst(bool fromSources) {
  const Adjacency& back = fromSources ? up : down;
  const Adjacency& forth = fromSources ? down : up;
  std::vector<bool> reached(pos.size(), false);
  std::vector<unsigned int> queue;
  queue.reserve(pos.size());
  for (const std::vector<unsigned int>& layer : order)
    for (unsigned int u : layer)
      if (back.begin(u) == back.end(u)) {
        reached[u] = true;
        queue.push_back(u);
      }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const unsigned int u = queue[head];
    for (unsigned int k = forth.begin(u); k < forth.end(u); ++k)
      if (!reached[forth.list[k]]) {
        reached[forth.list[k]] = true;
        queue.push_back(forth.list[k]);
      }
  }
  std::vector<std::vector<unsigned int>> layers(order.size());
  for (unsigned int u : queue)
    layers[layerOf[u]].push_back(u);
  groupByPart(layers);
  setOrder(std::move(layers));
}

// Shuffles every layer, keeping the parts side by side.
void LayerSweep::startShuffled(std::mt19937& random) {
  std::vector<std::vector<unsigned int>> shuffled = order;
  for (std::vector<unsigned int>& layer : shuffled)
    for (std::size_t i = layer.size(); i > 1; --i)
      std::swap(layer[i - 1], layer[random() % i]);
  groupByPart(shuffled);
  setOrder(std::move(shuffled));
}

// Nodes without a neighbour in the fixed layer keep their places; the others fill
// the remaining places by connected part, then by barycentre, ties in their present
// order. Each part so keeps its places.
void LayerSweep::placeByBarycentre(unsigned int layer, const Adjacency& fixed) {
  std::vector<unsigned int>& nodes = order[layer];
  struct Keyed {
    double barycentre;
    unsigned int part;
    unsigned int entry;
  };
  std::vector<Keyed> keyed;
  std::vector<unsigned int> places;
  for (unsigned int i = 0; i < nodes.size(); ++i) {
    const unsigned int u = nodes[i];
    if (fixed.begin(u) == fixed.end(u))
      continue;
    double sum = 0;
    for (unsigned int k = fixed.begin(u); k < fixed.end(u); ++k)
      sum += pos[fixed.list[k]];
    keyed.push_back({sum / (fixed.end(u) - fixed.begin(u)), part[u], u});
    places.push_back(i);
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.part != b.part ? a.part < b.part : a.barycentre < b.barycentre;
  });
  for (unsigned int k = 0; k < places.size(); ++k)
    nodes[places[k]] = keyed[k].entry;
  renumber(layer);
}

// Refreshes the sorted neighbour positions of the layer's entries whose neighbours
// moved since they were last sorted: all of them after a neighbouring layer was
// placed anew, those next to a swap otherwise.
void LayerSweep::sortNeighbourPositions(unsigned int layer, bool all) {
  for (unsigned int u : order[layer]) {
    if (!all && !stale[u])
      continue;
    stale[u] = false;
    for (Adjacency* adjacency : {&up, &down}) {
      const unsigned int begin = adjacency->begin(u);
      const unsigned int end = adjacency->end(u);
      for (unsigned int k = begin; k < end; ++k)
        adjacency->sortedPositions[k] = pos[adjacency->list[k]];
      if (end - begin > 1)
        std::sort(adjacency->sortedPositions.begin() + begin,
                  adjacency->sortedPositions.begin() + end);
      work += end - begin + 1;
    }
  }
}

void LayerSweep::markNeighboursStale(unsigned int u) {
  for (const Adjacency* adjacency : {&up, &down})
    for (unsigned int k = adjacency->begin(u); k < adjacency->end(u); ++k) {
      stale[adjacency->list[k]] = true;
      active[adjacency->list[k]] = true;
    }
}

// The crossings among the edges of u and v, above and below, with u before v
// (first) and with v before u (second).
std::pair<long long, long long> LayerSweep::pairCrossings(unsigned int u, unsigned int v) {
  long long uFirst = 0;
  long long vFirst = 0;
  work += up.end(u) - up.begin(u) + up.end(v) - up.begin(v) + down.end(u) - down.begin(u) +
          down.end(v) - down.begin(v) + 1;
  for (const Adjacency* side : {&up, &down}) {
    const std::vector<unsigned int>& sorted = side->sortedPositions;
    const unsigned int uBegin = side->begin(u);
    const unsigned int uEnd = side->end(u);
    unsigned int below = uBegin; // first neighbour of u not before the current one of v
    unsigned int atOrBelow = uBegin;
    for (unsigned int k = side->begin(v); k < side->end(v); ++k) {
      while (below < uEnd && sorted[below] < sorted[k])
        ++below;
      while (atOrBelow < uEnd && sorted[atOrBelow] <= sorted[k])
        ++atOrBelow;
      uFirst += uEnd - atOrBelow;
      vFirst += below - uBegin;
    }
  }
  return {uFirst, vFirst};
}

// One pass of adjacent swaps over a layer; returns the crossings it removed. With
// `equalToo`, swaps that leave the count as it is are made as well, which lets nodes
// pass each other on a plateau.
long long LayerSweep::transpose(unsigned int layer, bool equalToo) {
  // The versions of the layer and its neighbours when it was last passed over.
  std::array<unsigned int, 3> versions{layerVersion[layer], 0, 0};
  if (layer > 0)
    versions[1] = layerVersion[layer - 1];
  if (layer + 1 < order.size())
    versions[2] = layerVersion[layer + 1];
  const bool all = versions != passedAt[layer];
  passedAt[layer] = versions;
  sortNeighbourPositions(layer, all);
  std::vector<unsigned int>& nodes = order[layer];
  long long removed = 0;
  swapped.clear();
  for (unsigned int i = 0; i + 1 < nodes.size(); ++i) {
    const unsigned int u = nodes[i];
    const unsigned int v = nodes[i + 1];
    if (part[u] != part[v] || (!all && !active[u] && !active[v]))
      continue;
    const auto [before, after] = pairCrossings(u, v);
    if (after < before || (equalToo && after == before && before > 0)) {
      std::swap(nodes[i], nodes[i + 1]);
      pos[u] = i + 1;
      pos[v] = i;
      markNeighboursStale(u);
      markNeighboursStale(v);
      swapped.push_back(u);
      swapped.push_back(v);
      removed += before - after;
    }
  }
  // Pairs of entries that neither moved nor saw their neighbours move keep their
  // counts: the next pass looks only at the others.
  for (unsigned int u : nodes)
    active[u] = false;
  for (unsigned int u : swapped)
    active[u] = true;
  return removed;
}

// Passes over every layer whose neighbourhood changed, until no pass removes a crossing
// or the budget is spent.
void LayerSweep::transposeAll(bool equalToo) {
  std::vector<bool> candidate(order.size(), true);
  bool removedAny = true;
  for (int pass = 0; removedAny && pass < kMaxPasses && work < budget(); ++pass) {
    removedAny = false;
    for (unsigned int i = 0; i < order.size() && work < budget(); ++i) {
      if (!candidate[i])
        continue;
      candidate[i] = false;
      if (transpose(i, equalToo) > 0) {
        removedAny = true;
        candidate[i] = true;
        if (i > 0)
          candidate[i - 1] = true;
        if (i + 1 < order.size())
          candidate[i + 1] = true;
      }
    }
  }
}

// Moves each node of the layer in turn, those with the most edges first, to the place
// within its part's block where its edges cross fewest others, if that lowers the
// count; returns the crossings removed. The neighbours' positions do not change
// meanwhile, so their sorted lists stay valid for the whole layer.
long long LayerSweep::sift(unsigned int layer) {
  sortNeighbourPositions(layer, true);
  std::vector<unsigned int>& nodes = order[layer];
  auto degree = [this](unsigned int u) {
    return up.end(u) - up.begin(u) + down.end(u) - down.begin(u);
  };
  std::vector<unsigned int> byDegree(nodes);
  std::stable_sort(byDegree.begin(), byDegree.end(),
                   [&](unsigned int a, unsigned int b) { return degree(a) > degree(b); });
  long long removed = 0;
  for (unsigned int u : byDegree) {
    const unsigned int from = pos[u];
    unsigned int first = from;
    unsigned int last = from;
    while (first > 0 && part[nodes[first - 1]] == part[u])
      --first;
    while (last + 1 < nodes.size() && part[nodes[last + 1]] == part[u])
      ++last;
    // Crossings of u's edges with u just before nodes[slot], against u first in the
    // block; the slots just before and just after u are its present place.
    long long cost = 0;
    long long present = 0;
    long long fewest = 0;
    unsigned int bestSlot = first;
    for (unsigned int slot = first; slot <= last; ++slot) {
      if (slot == from) {
        present = cost;
        continue;
      }
      const auto [uFirst, vFirst] = pairCrossings(u, nodes[slot]);
      cost += vFirst - uFirst;
      if (cost < fewest) {
        fewest = cost;
        bestSlot = slot + 1;
      }
    }
    if (fewest >= present)
      continue;
    removed += present - fewest;
    const unsigned int to = bestSlot > from ? bestSlot - 1 : bestSlot;
    if (to > from)
      std::rotate(nodes.begin() + from, nodes.begin() + from + 1, nodes.begin() + to + 1);
    else
      std::rotate(nodes.begin() + to, nodes.begin() + from, nodes.begin() + from + 1);
    for (unsigned int k = std::min(from, to); k <= std::max(from, to); ++k)
      pos[nodes[k]] = k;
  }
  if (removed > 0) {
    ++layerVersion[layer];
    for (unsigned int u : nodes)
      markNeighboursStale(u);
  }
  return removed;
}

// Rounds of sifting down and up the layers, until one removes no crossing or the next
// would overrun the budget: a round compares every node with every other of its block.
// Returns whether any round removed crossings.
bool LayerSweep::siftRounds() {
  long long roundWork = 0;
  for (const std::vector<unsigned int>& layer : order) {
    long long edges = 0;
    for (unsigned int u : layer)
      edges += up.end(u) - up.begin(u) + down.end(u) - down.begin(u);
    roundWork += 2 * static_cast<long long>(layer.size()) * (2 * edges + layer.size());
  }
  bool sifted = false;
  for (int round = 0; round < kMaxSiftRounds && work + roundWork <= budget(); ++round) {
    long long removed = 0;
    for (unsigned int i = 0; i < order.size(); ++i)
      removed += sift(i);
    for (unsigned int i = order.size(); i-- > 0;)
      removed += sift(i);
    if (removed == 0)
      break;
    sifted = true;
  }
  return sifted;
}

// Crossings per connected part: parts lie side by side in every layer, so the edges
// of two parts never cross and each crossing belongs to the part of its edges.
std::vector<long long> LayerSweep::partCrossings() const {
  std::vector<long long> count(partCount, 0);
  FenwickTree inserted;
  std::vector<unsigned int> targets;
  for (unsigned int layer = 0; layer + 1 < order.size(); ++layer) {
    inserted.clear(order[layer + 1].size());
    unsigned int total = 0;
    for (unsigned int u : order[layer]) {
      targets.clear();
      for (unsigned int k = down.begin(u); k < down.end(u); ++k)
        targets.push_back(pos[down.list[k]]);
      if (targets.size() > 1)
        std::sort(targets.begin(), targets.end());
      for (unsigned int p : targets)
        count[part[u]] += total - inserted.atOrBelow(p);
      for (unsigned int p : targets) {
        inserted.add(p);
        ++total;
      }
    }
  }
  return count;
}

// Takes into `best` the places of every part that has fewer crossings in the present
// order, whose counts per part are `now`; parts keep their places in every layer, so
// places can be copied part by part.
bool LayerSweep::keepBetterParts(std::vector<std::vector<unsigned int>>& best,
                                 std::vector<long long>& bestCount,
                                 const std::vector<long long>& now) const {
  std::vector<bool> better(partCount, false);
  bool any = false;
  for (unsigned int p = 0; p < partCount; ++p)
    if (now[p] < bestCount[p]) {
      better[p] = any = true;
      bestCount[p] = now[p];
    }
  for (unsigned int layer = 0; any && layer < order.size(); ++layer)
    for (unsigned int k = 0; k < order[layer].size(); ++k)
      if (better[part[order[layer][k]]])
        best[layer][k] = order[layer][k];
  return any;
}

// Rounds of a down and an up sweep, each part keeping its best order, until a round
// improves no part or the work budget is spent.
void LayerSweep::sweepRounds(bool transpositions, std::vector<std::vector<unsigned int>>& best,
                             std::vector<long long>& bestCount) {
  const unsigned int count = order.size();
  const long long elements = static_cast<long long>(up.list.size() + pos.size());
  int idle = 0;
  const int rounds = transpositions ? kMaxRounds : kMaxBareRounds;
  // A round is taken only if it fits in the budget left, judged by the last one (the
  // first by its placements alone); the first bare round is always taken, since the
  // start orders are far from any sweep's result.
  long long roundWork = kPlacementWork * elements;
  for (int round = 0; round < rounds && (work + roundWork < budget() || (round == 0 && !transpositions)); ++round) {
    const long long before = work;
    for (unsigned int i = 1; i < count; ++i)
      placeByBarycentre(i, up);
    if (transpositions)
      transposeAll(false);
    for (unsigned int i = count; i-- > 0;)
      placeByBarycentre(i, down);
    if (transpositions)
      transposeAll(true);
    work += kPlacementWork * elements;
    roundWork = work - before;
    idle = keepBetterParts(best, bestCount, partCrossings()) ? 0 : idle + 1;
    if (progress)
      progress(std::min(1.0, static_cast<double>(work) / budget()));
    if (idle == kIdleRounds)
      break;
  }
  setOrder(best);
}

// Sweeps without swaps first: they are cheap, and bring a large graph most of the
// way. The start keeps its own best order, so that it goes on from there rather than
// from the overall best, which would only repeat the earlier starts' work. Returns
// whether it improved the overall best.
bool LayerSweep::improve(std::vector<std::vector<unsigned int>>& best,
                         std::vector<long long>& bestCount) {
  std::vector<std::vector<unsigned int>> ownBest = order;
  std::vector<long long> ownCount = partCrossings();
  sweepRounds(false, ownBest, ownCount);
  sweepRounds(true, ownBest, ownCount);
  // Unless sifting moved nodes, the present order is the start's best, already counted.
  const bool sifted = siftRounds();
  const bool better = keepBetterParts(best, bestCount, sifted ? partCrossings() : ownCount);
  setOrder(best);
  return better;
}

void LayerSweep::run(const std::function<void(double spent)>& told) {
  progress = told;
  findParts();
  // The start order, its parts set side by side (which removes only crossings between
  // parts), is the first candidate: the result never has more crossings.
  std::vector<std::vector<unsigned int>> best = order;
  groupByPart(best);
  setOrder(best);
  std::vector<long long> bestCount = partCrossings();
  // A further start is made only with as much budget left as the first one took, so
  // that a large graph does not begin one it could not carry on with. Small graphs
  // start again from shuffled orders, which lets a part leave a poor local optimum.
  // They are used as they are: a breadth-first search from their sources would make
  // them alike, and fewer of them find better orders.
  std::mt19937 random(1);
  long long firstWork = 0;
  int idle = 0;
  for (int start = 0; start < 4 + kShuffledStarts && idle < kIdleStarts; ++start) {
    if (start > 0 && work + firstWork > budget())
      break;
    const long long before = work;
    if (start < 2)
      startFromPartEnds(start == 1);
    else if (start < 4)
      startBreadthFirst(start % 2 == 0);
    else
      startShuffled(random);
    idle = improve(best, bestCount) ? 0 : idle + 1;
    if (start == 0)
      firstWork = work - before;
  }
  // The order is now the best one, whose parts' counts are known: on the largest graphs
  // a count takes a tenth of a second.
  counted = std::accumulate(bestCount.begin(), bestCount.end(), 0LL);
  progress = nullptr;
}
