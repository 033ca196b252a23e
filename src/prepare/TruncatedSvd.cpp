#include "prepare/TruncatedSvd.h"

#include <algorithm>

namespace {

constexpr arma::uword kOversampling = 10;
constexpr int kPowerIterations = 2;

arma::mat orthonormalBasis(const arma::mat& columns) {
  arma::mat q, r;
  arma::qr_econ(q, r, columns);
  return q;
}

} // namespace

TruncatedSvd truncatedSvd(const arma::sp_mat& rows, int dimensions, arma::uword seed) {
  TruncatedSvd result;
  const arma::uword rank =
      std::min<arma::uword>({arma::uword(std::max(dimensions, 0)), rows.n_rows, rows.n_cols});
  if (rank == 0) {
    result.coordinates.zeros(rows.n_rows, 0);
    return result;
  }
  const arma::uword sketch = std::min({rank + kOversampling, rows.n_rows, rows.n_cols});
  // A dense matrix times a sparse one is several times faster in Armadillo than
  // the other way round, so products with `rows` go through its transpose.
  const arma::sp_mat transposed = rows.t();
  const auto timesRows = [&](const arma::mat& m) -> arma::mat { return (m.t() * transposed).t(); };
  const auto timesRowsTransposed = [&](const arma::mat& m) -> arma::mat {
    return (m.t() * rows).t();
  };
  arma::arma_rng::set_seed(seed);
  // Documents are far fewer than terms in a window, so every orthonormal basis is
  // kept on the documents' side, where QR is cheap.
  arma::mat range = orthonormalBasis(timesRows(arma::randn<arma::mat>(rows.n_cols, sketch)));
  for (int i = 0; i < kPowerIterations; ++i)
    range = orthonormalBasis(timesRows(timesRowsTransposed(range)));
  // With rows ~ range * range' * rows, the eigenvectors of
  // range' * rows * rows' * range are the left singular vectors in the range's
  // basis, the roots of its eigenvalues the singular values.
  const arma::mat gram = range.t() * timesRows(timesRowsTransposed(range));
  arma::vec eigenvalues;
  arma::mat eigenvectors;
  arma::eig_sym(eigenvalues, eigenvectors, arma::symmatu(gram));
  // eig_sym sorts ascending; keep the largest `rank`.
  const arma::uvec leading = arma::regspace<arma::uvec>(sketch - 1, sketch - rank);
  result.singularValues = arma::sqrt(arma::clamp(eigenvalues(leading), 0.0, arma::datum::inf));
  result.coordinates = range * eigenvectors.cols(leading);
  result.coordinates.each_row() %= result.singularValues.t();
  return result;
}
