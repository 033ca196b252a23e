#ifndef TEXTFERRO_TRUNCATEDSVD_H
#define TEXTFERRO_TRUNCATEDSVD_H

// Latent semantic analysis of a window's documents: their coordinates U S in the
// space of the leading singular vectors of the TF-IDF matrix (a truncated SVD).
//
// arma::svds computes this exactly but takes about half a minute for a window of
// 18,000 documents and 100 dimensions, several times the budget of the whole run.
// This is the randomized range finder of Halko, Martinsson and Tropp (2011): the
// matrix times a Gaussian sketch of `dimensions` + 10 columns, two power
// iterations with orthonormal bases on the documents' side, then the small exact
// problem, from Armadillo's products, QR and symmetric eigen-decomposition. Its
// leading singular values come within 1 % of svds's (the test compares them on a
// matrix of planted topics, which the clustering then finds exactly); values in
// the flat tail of a spectrum come out a few per cent smaller.

#include <armadillo>

struct TruncatedSvd {
  arma::vec singularValues; // descending
  arma::mat coordinates;    // one row per document: U S, `dimensions` columns
};

// `rows`: documents by terms. Returns at most min(dimensions, rows, columns)
// dimensions. The sketch is drawn from Armadillo's generator seeded with `seed`,
// so the same input and seed give the same result.
TruncatedSvd truncatedSvd(const arma::sp_mat& rows, int dimensions, arma::uword seed);

#endif
