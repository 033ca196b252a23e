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

namespace {

constexpr int kStraighteningRounds = 8;

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

// The positions closest to `wanted` (least squares) that keep the order, with at
// least `spacing` between neighbours, then moved into [0, height]: pool adjacent
// violators on wanted[i] - i * spacing, and clamp position i to
// [i * spacing, height - (n - 1 - i) * spacing], which keeps the spacing.
void fitColumn(const std::vector<double>& wanted, double spacing, double height,
               std::vector<double>& placed) {
  struct Block {
    double sum;
    unsigned int count;
  };
  std::vector<Block> blocks;
  for (unsigned int i = 0; i < wanted.size(); ++i) {
    blocks.push_back({wanted[i] - i * spacing, 1});
    while (blocks.size() > 1 && blocks[blocks.size() - 2].sum * blocks.back().count >=
                                    blocks.back().sum * blocks[blocks.size() - 2].count) {
      blocks[blocks.size() - 2].sum += blocks.back().sum;
      blocks[blocks.size() - 2].count += blocks.back().count;
      blocks.pop_back();
    }
  }
  placed.clear();
  const unsigned int n = wanted.size();
  for (const Block& block : blocks)
    for (unsigned int k = 0; k < block.count; ++k) {
      const unsigned int i = placed.size();
      const double y = block.sum / block.count + i * spacing;
      placed.push_back(std::clamp(y, i * spacing, height - (n - 1 - i) * spacing));
    }
}

} // namespace

void compactColumns(tlp::Graph* graph, tlp::LayoutProperty* layout, float spacing) {
  const auto* size = graph->getProperty<tlp::SizeProperty>("viewSize");
  const std::vector<std::vector<tlp::node>> columns = columnsOf(graph, layout, size);
  std::size_t biggest = 0;
  for (const std::vector<tlp::node>& column : columns)
    biggest = std::max(biggest, column.size());
  if (biggest == 0)
    return;
  const double height = 2.0 * spacing * (biggest - 1);

  // Start from the layout's positions, scaled to the height.
  std::vector<double> y(graph->numberOfNodes());
  for (tlp::node n : graph->nodes())
    y[graph->nodePos(n)] = layout->getNodeValue(n).getY();
  const auto [low, high] = std::minmax_element(y.begin(), y.end());
  const double spread = *high - *low;
  const double lowest = *low;
  for (double& at : y)
    at = spread > 0 ? (at - lowest) * height / spread : 0;

  std::vector<double> wanted;
  std::vector<double> placed;
  auto settle = [&](const std::vector<tlp::node>& column, bool towardsNeighbours) {
    wanted.clear();
    for (tlp::node n : column) {
      double sum = 0;
      unsigned int count = 0;
      if (towardsNeighbours)
        for (tlp::node m : graph->getInOutNodes(n)) {
          sum += y[graph->nodePos(m)];
          ++count;
        }
      wanted.push_back(count > 0 ? sum / count : y[graph->nodePos(n)]);
    }
    fitColumn(wanted, spacing, height, placed);
    for (unsigned int i = 0; i < column.size(); ++i)
      y[graph->nodePos(column[i])] = placed[i];
  };
  for (const std::vector<tlp::node>& column : columns)
    settle(column, false);
  for (int round = 0; round < kStraighteningRounds; ++round) {
    for (const std::vector<tlp::node>& column : columns)
      settle(column, true);
    for (auto column = columns.rbegin(); column != columns.rend(); ++column)
      settle(*column, true);
  }

  for (tlp::node n : graph->nodes()) {
    tlp::Coord c = layout->getNodeValue(n);
    c.setY(static_cast<float>(y[graph->nodePos(n)]));
    layout->setNodeValue(n, c);
  }
}
