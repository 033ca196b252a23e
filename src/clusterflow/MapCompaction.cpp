// Packs the columns of a laid-out metro map. The layered layout gives every dummy
// node of a gap or lead-in a slot of its own, and its tree placement spreads the
// subtrees of the spanning tree apart, so that a map can be many times taller than
// its biggest column. Once the dummy nodes are gone, each column is laid out again
// along y: its stations keep their order and at least the node spacing between
// them, the whole map stays within twice the height its biggest column needs, and
// sweeps over the columns move each station towards its neighbours so that lines
// run straight where they can.

#include "clusterflow/GenClusterMap.h"

#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kStraighteningRounds = 24;

// The stations of each column in their order along y. Columns are told apart by the
// right edges of their nodes, which the layout lines up.
std::vector<std::vector<tlp::node>> columnsOf(const tlp::Graph* graph,
                                              const tlp::LayoutProperty* layout,
                                              const tlp::SizeProperty* size) {
  auto right = [&](tlp::node n) {
    return layout->getNodeValue(n).getX() + size->getNodeValue(n).getW() / 2;
  };
  std::vector<tlp::node> nodes = graph->nodes();
  std::sort(nodes.begin(), nodes.end(), [&](tlp::node a, tlp::node b) {
    const float ra = right(a);
    const float rb = right(b);
    return ra != rb ? ra < rb : layout->getNodeValue(a).getY() < layout->getNodeValue(b).getY();
  });
  std::vector<std::vector<tlp::node>> columns;
  for (unsigned int i = 0; i < nodes.size(); ++i) {
    if (i == 0 || right(nodes[i]) - right(nodes[i - 1]) > 1e-3f)
      columns.emplace_back();
    columns.back().push_back(nodes[i]);
  }
  for (std::vector<tlp::node>& column : columns)
    std::stable_sort(column.begin(), column.end(), [&](tlp::node a, tlp::node b) {
      return layout->getNodeValue(a).getY() < layout->getNodeValue(b).getY();
    });
  return columns;
}

// The positions closest to `wanted` (least squares) that keep the order and put
// position i at least offset[i] - offset[i - 1] after position i - 1, then moved into
// [0, height]: pool adjacent violators on wanted[i] - offset[i], and clamp position i
// to [offset[i], height - (offset[n - 1] - offset[i])], which keeps the gaps.
void fitColumn(const std::vector<double>& wanted, const std::vector<double>& offset,
               double height, std::vector<double>& placed) {
  struct Block {
    double sum;
    unsigned int count;
  };
  std::vector<Block> blocks;
  for (unsigned int i = 0; i < wanted.size(); ++i) {
    blocks.push_back({wanted[i] - offset[i], 1});
    while (blocks.size() > 1 && blocks[blocks.size() - 2].sum * blocks.back().count >=
                                    blocks.back().sum * blocks[blocks.size() - 2].count) {
      blocks[blocks.size() - 2].sum += blocks.back().sum;
      blocks[blocks.size() - 2].count += blocks.back().count;
      blocks.pop_back();
    }
  }
  placed.clear();
  for (const Block& block : blocks)
    for (unsigned int k = 0; k < block.count; ++k) {
      const unsigned int i = placed.size();
      placed.push_back(std::clamp(block.sum / block.count + offset[i], offset[i],
                                  height - (offset.back() - offset[i])));
    }
}

} // namespace

void compactColumns(tlp::Graph* graph, tlp::LayoutProperty* layout, float spacing) {
  const auto* size = graph->getProperty<tlp::SizeProperty>("viewSize");
  const std::vector<std::vector<tlp::node>> columns = columnsOf(graph, layout, size);
  // Where each station would be in its column packed from 0, nodes spacing apart.
  std::vector<std::vector<double>> offsets;
  std::size_t biggest = 0;
  double packed = 0;
  for (const std::vector<tlp::node>& column : columns) {
    offsets.emplace_back(1, 0.0);
    for (unsigned int i = 1; i < column.size(); ++i)
      offsets.back().push_back(offsets.back().back() + spacing +
                               (size->getNodeValue(column[i - 1]).getH() +
                                size->getNodeValue(column[i]).getH()) / 2);
    biggest = std::max(biggest, column.size());
    packed = std::max(packed, offsets.back().back());
  }
  if (biggest == 0)
    return;
  const double height = std::max(2.0 * spacing * (biggest - 1), packed);

  // Start from the layout's positions, scaled down to the tallest packed column, so
  // that parts of the map that do not touch start close together.
  std::vector<double> y(graph->numberOfNodes());
  for (tlp::node n : graph->nodes())
    y[graph->nodePos(n)] = layout->getNodeValue(n).getY();
  const auto [low, high] = std::minmax_element(y.begin(), y.end());
  const double spread = *high - *low;
  const double lowest = *low;
  for (double& at : y)
    at = spread > 0 ? (at - lowest) * packed / spread : 0;

  // Neighbours by node position, in flat arrays: the sweeps visit them many times.
  std::vector<unsigned int> start(graph->numberOfNodes() + 1, 0);
  for (tlp::edge e : graph->edges()) {
    const auto& [source, target] = graph->ends(e);
    ++start[graph->nodePos(source) + 1];
    ++start[graph->nodePos(target) + 1];
  }
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<unsigned int> neighbours(start.back());
  std::vector<unsigned int> next(start.begin(), start.end() - 1);
  for (tlp::edge e : graph->edges()) {
    const unsigned int s = graph->nodePos(graph->source(e));
    const unsigned int t = graph->nodePos(graph->target(e));
    neighbours[next[s]++] = t;
    neighbours[next[t]++] = s;
  }

  std::vector<double> wanted;
  std::vector<double> placed;
  auto settle = [&](unsigned int c, bool towardsNeighbours) {
    wanted.clear();
    for (tlp::node n : columns[c]) {
      const unsigned int u = graph->nodePos(n);
      double sum = 0;
      for (unsigned int k = start[u]; towardsNeighbours && k < start[u + 1]; ++k)
        sum += y[neighbours[k]];
      const unsigned int count = towardsNeighbours ? start[u + 1] - start[u] : 0;
      wanted.push_back(count > 0 ? sum / count : y[u]);
    }
    fitColumn(wanted, offsets[c], height, placed);
    for (unsigned int i = 0; i < columns[c].size(); ++i)
      y[graph->nodePos(columns[c][i])] = placed[i];
  };
  for (unsigned int c = 0; c < columns.size(); ++c)
    settle(c, false);
  for (int round = 0; round < kStraighteningRounds; ++round) {
    for (unsigned int c = 0; c < columns.size(); ++c)
      settle(c, true);
    for (unsigned int c = columns.size(); c-- > 0;)
      settle(c, true);
  }

  for (tlp::node n : graph->nodes()) {
    tlp::Coord c = layout->getNodeValue(n);
    c.setY(static_cast<float>(y[graph->nodePos(n)]));
    layout->setNodeValue(n, c);
  }
}
