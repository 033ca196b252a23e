#ifndef TEXTFERRO_TREEREINGOLDANDTILFORDEXTENDED_H
#define TEXTFERRO_TREEREINGOLDANDTILFORDEXTENDED_H

// "Hierarchical Tree (R-T Extended)": Reingold-Tilford tree drawing with real node
// widths and heights, integer edge lengths, orthogonal edges, bounding circles and a
// vertical or horizontal drawing. Contours are run-length encoded lists of LR.
//
// Parameters (defaults used when the data set lacks them):
//   "node size"        SizeProperty     graph's "viewSize"
//   "edge length"      IntegerProperty  none (every edge spans one level)
//   "orientation"      StringCollection "horizontal" when absent ("vertical;horizontal;" declared)
//   "orthogonal"       bool             true
//   "layer spacing"    float            64 (enlarged for tall levels)
//   "node spacing"     float            18
//   "bounding circles" bool             false

#include "hierarchy/TreePlacement.h"

#include <tulip/PropertyAlgorithm.h>

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace tlp {
class IntegerProperty;
class SizeProperty;
} // namespace tlp

class TreeReingoldAndTilfordExtended : public tlp::LayoutAlgorithm {
public:
  PLUGININFORMATION("Hierarchical Tree (R-T Extended)", "TextFerro", "06/11/2002", "Beta", "1.0",
                    "Tree")

  TreeReingoldAndTilfordExtended(const tlp::PluginContext* context);

  // False when the progress object stops or cancels the computation (or no result
  // property was given); the caller's graph is left as it was in every case.
  bool run() override;

  // The shift that puts contour arbreD at least nodeSpacing right of arbreG on
  // every level both have. Both contours must be non-empty.
  double calcDecal(const std::list<LR>& arbreG, const std::list<LR>& arbreD);
  // Merges R, shifted by decal, into L in place and returns L; R stays the caller's.
  std::list<LR>* mergeLRList(std::list<LR>* L, std::list<LR>* R, double decal);

private:
  // The spanning tree as the placement's arrays, nodes numbered by their position
  // in the tree, children in the library's edge order.
  TreePlacement::Tree treeArrays() const;
  void computeOrthogonalBends(const std::vector<int>& levels, float layerSpacing);
  void turnHorizontal();

  tlp::Graph* tree;
  tlp::SizeProperty* sizes;
  tlp::IntegerProperty* lengthMetric;
  bool ortho;
  bool useLength;
  std::string orientation;
  float spacing;
  float nodeSpacing;
};

#endif
