#ifndef TEXTFERRO_WINDOWCLUSTERING_H
#define TEXTFERRO_WINDOWCLUSTERING_H

// Clusters of the documents of one time step: their TF-IDF rows reduced to about
// 100 dimensions by latent semantic analysis (TruncatedSvd.h), scaled to unit
// length, and grouped by Armadillo's k-means, started kRestarts times from
// spread-out seeds; the grouping with the smallest sum of squared distances wins.
// Clusters are numbered from 1 by size, largest first (equal sizes: the one with
// the earlier first document first).

#include "prepare/TermWeights.h"

#include <vector>

constexpr int kLsaDimensions = 100;
constexpr int kRestarts = 4;

// The number of clusters for a window of `documents` when none is asked for:
// sqrt(documents / 2), kept within 8 to 20, and never more than the documents.
int defaultClusterCount(int documents);

// Numbers groups from 1 by size, largest first; equal sizes by first member.
// `group` holds each member's group, 0 to groups - 1, every group used.
std::vector<int> numberedBySize(const std::vector<int>& group, int groups);

// Returns each row's cluster number (1 = largest). `clusters` must be at least 1;
// with as many clusters as rows, every row is a cluster of its own. The same rows
// and seed give the same clusters.
std::vector<int> clusterRows(const std::vector<const SparseRow*>& rows, int clusters, quint64 seed);

#endif
