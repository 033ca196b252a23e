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

// The stations of each column in their order along y, by node position. Columns are
// told apart by the right edges of their nodes, which the layout lines up. `right` and
// `y` are per node position: the sorts read them many times.
std::vector<std::vector<unsigned int>> columnsOf(const std::vector<float>& right,
                                                 const std::vector<float>& y) {
  std::vector<unsigned int> nodes(right.size());
  std::iota(nodes.begin(), nodes.end(), 0u);
  std::sort(nodes.begin(), nodes.end(), [&](unsigned int a, unsigned int b) {
    return right[a] != right[b] ? right[a] < right[b] : y[a] < y[b];
  });
  std::vector<std::vector<unsigned int>> columns;
  for (unsigned int i = 0; i < nodes.size(); ++i) {
    if (i == 0 || right[nodes[i]] - right[nodes[i - 1]] > 1e-3f)
      columns.emplace_back();
    columns.back().push_back(nodes[i]);
  }
  for (std::vector<unsigned int>& column : columns)
    std::stable_sort(column.begin(), column.end(),
                     [&](unsigned int a, unsigned int b) { return y[a] < y[b]; });
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
  const std::vector<tlp::node>& nodes = graph->nodes();
  std::vector<float> right(nodes.size());
  std::vector<float> layoutY(nodes.size());
  std::vector<float> height(nodes.size());
  for (unsigned int u = 0; u < nodes.size(); ++u) {
    const tlp::Coord& at = layout->getNodeValue(nodes[u]);
    const tlp::Size& extent = size->getNodeValue(nodes[u]);
    right[u] = at.getX() + extent.getW() / 2;
    layoutY[u] = at.getY();
    height[u] = extent.getH();
  }
  const std::vector<std::vector<unsigned int>> columns = columnsOf(right, layoutY);
  // Where each station would be in its column packed from 0, nodes spacing apart.
  std::vector<std::vector<double>> offsets;
  std::size_t biggest = 0;
  double packed = 0;
  for (const std::vector<unsigned int>& column : columns) {
    offsets.emplace_back(1, 0.0);
    for (unsigned int i = 1; i < column.size(); ++i)
      offsets.back().push_back(offsets.back().back() + spacing +
                               (height[column[i - 1]] + height[column[i]]) / 2);
    biggest = std::max(biggest, column.size());
    packed = std::max(packed, offsets.back().back());
  }
  if (biggest == 0)
    return;
  const double mapHeight = std::max(2.0 * spacing * (biggest - 1), packed);

  // Start from the layout's positions, scaled down to the tallest packed column, so
  // that parts of the map that do not touch start close together.
  std::vector<double> y(layoutY.begin(), layoutY.end());
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
    for (unsigned int u : columns[c]) {
      double sum = 0;
      for (unsigned int k = start[u]; towardsNeighbours && k < start[u + 1]; ++k)
        sum += y[neighbours[k]];
      const unsigned int count = towardsNeighbours ? start[u + 1] - start[u] : 0;
      wanted.push_back(count > 0 ? sum / count : y[u]);
    }
    fitColumn(wanted, offsets[c], mapHeight, placed);
    for (unsigned int i = 0; i < columns[c].size(); ++i)
      y[columns[c][i]] = placed[i];
  };
  for (unsigned int c = 0; c < columns.size(); ++c)
    settle(c, false);
  for (int round = 0; round < kStraighteningRounds; ++round) {
    for (unsigned int c = 0; c < columns.size(); ++c)
      settle(c, true);
    for (unsigned int c = columns.size(); c-- > 0;)
      settle(c, true);
  }

  for (unsigned int u = 0; u < nodes.size(); ++u) {
    tlp::Coord c = layout->getNodeValue(nodes[u]);
    c.setY(static_cast<float>(y[u]));
    layout->setNodeValue(nodes[u], c);
  }
}
