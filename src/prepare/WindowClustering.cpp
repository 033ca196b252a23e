#include "prepare/WindowClustering.h"

#include "prepare/TruncatedSvd.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace {

constexpr int kIterations = 30;

// The rows as a sparse matrix over the terms that occur in them.
arma::sp_mat documentMatrix(const std::vector<const SparseRow*>& rows) {
  std::map<quint32, arma::uword> columnOf;
  arma::uword entries = 0;
  for (const SparseRow* row : rows) {
    entries += row->size();
    for (const auto& entry : *row)
      columnOf.emplace(entry.first, 0);
  }
  arma::uword column = 0;
  for (auto& term : columnOf)
    term.second = column++;
  arma::umat locations(2, entries);
  arma::vec values(entries);
  arma::uword at = 0;
  for (arma::uword r = 0; r < rows.size(); ++r) {
    for (const auto& [term, weight] : *rows[r]) {
      locations(0, at) = r;
      locations(1, at) = columnOf[term];
      values(at++) = weight;
    }
  }
  return arma::sp_mat(locations, values, rows.size(), columnOf.size());
}

struct Grouping {
  std::vector<int> cluster; // 0-based, per point
  double inertia = arma::datum::inf;
};

Grouping nearestMeans(const arma::mat& points, const arma::mat& means) {
  Grouping grouping;
  grouping.cluster.resize(points.n_cols);
  grouping.inertia = 0;
  for (arma::uword p = 0; p < points.n_cols; ++p) {
    const arma::rowvec distances = arma::sum(arma::square(means.each_col() - points.col(p)), 0);
    const arma::uword nearest = distances.index_min(); // the first of equal distances
    grouping.cluster[p] = static_cast<int>(nearest);
    grouping.inertia += distances(nearest);
  }
  return grouping;
}

} // namespace

std::vector<int> numberedBySize(const std::vector<int>& group, int groups) {
  std::vector<int> size(groups, 0), first(groups, -1);
  for (int p = 0; p < static_cast<int>(group.size()); ++p) {
    ++size[group[p]];
    if (first[group[p]] < 0)
      first[group[p]] = p;
  }
  std::vector<int> order(groups);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return size[a] != size[b] ? size[a] > size[b] : first[a] < first[b];
  });
  std::vector<int> number(groups);
  for (int rank = 0; rank < groups; ++rank)
    number[order[rank]] = rank + 1;
  std::vector<int> numbered(group.size());
  for (std::size_t p = 0; p < group.size(); ++p)
    numbered[p] = number[group[p]];
  return numbered;
}

int defaultClusterCount(int documents) {
  const int bySize = static_cast<int>(std::lround(std::sqrt(documents / 2.0)));
  return std::min(std::clamp(bySize, 8, 20), std::max(documents, 1));
}

std::vector<int> clusterRows(const std::vector<const SparseRow*>& rows, int clusters,
                             quint64 seed) {
  const int count = static_cast<int>(rows.size());
  if (clusters >= count) {
    std::vector<int> own(count);
    std::iota(own.begin(), own.end(), 1);
    return own;
  }
  const arma::sp_mat matrix = documentMatrix(rows);
  arma::mat points = truncatedSvd(matrix, kLsaDimensions, seed).coordinates.t();
  const arma::rowvec lengths = arma::sqrt(arma::sum(arma::square(points), 0));
  for (arma::uword p = 0; p < points.n_cols; ++p)
    if (lengths(p) > 0)
      points.col(p) /= lengths(p);

  Grouping best;
  for (int restart = 0; restart < kRestarts; ++restart) {
    arma::arma_rng::set_seed(seed + 7919 * (restart + 1));
    arma::mat means;
    if (!arma::kmeans(means, points, clusters, arma::random_spread, kIterations, false))
      continue;
    Grouping grouping = nearestMeans(points, means);
    if (grouping.inertia < best.inertia)
      best = std::move(grouping);
  }
  if (best.cluster.empty()) // every start failed: points too alike to part
    best.cluster.assign(count, 0);
  // Means that no point is nearest to leave gaps; close them before numbering.
  std::vector<int> compact(clusters, -1);
  int used = 0;
  for (int& c : best.cluster) {
    if (compact[c] < 0)
      compact[c] = used++;
    c = compact[c];
  }
  return numberedBySize(best.cluster, used);
}
