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

#include <tulip/PropertyAlgorithm.h>

#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tlp {
class IntegerProperty;
class SizeProperty;
} // namespace tlp

// One run of a subtree contour: extents L and R on `size` consecutive levels, in
// the frame of the subtree's contour.
struct LR {
  double L;
  double R;
  int size;
};

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
  struct Contour;

  // Places the subtree of n: p receives each node's x offset from its parent.
  // Returns the subtree's contour, owned by the caller.
  std::list<LR>* TreePlace(tlp::node n, std::unordered_map<tlp::node, double>* p);
  Contour placeLeaf(tlp::node n, std::unordered_map<tlp::node, double>& p);
  // Records each node's level and the greatest node height on every level.
  void TreeLevelSizing(tlp::node n, std::map<int, double>& maxSize, int level,
                       std::unordered_map<tlp::node, int>& levels);
  // Writes absolute positions: n at (p[n] + x, -y), each child one layer spacing
  // per unit of edge length lower.
  void calcLayout(tlp::node n, std::unordered_map<tlp::node, double>* p, double x, double y);
  void collectChildren();
  unsigned int childCount(tlp::node n) const;
  int edgeLength(tlp::edge e) const;
  void enlargeLayerSpacing(const std::map<int, double>& maxSize);
  void computeOrthogonalBends(const std::unordered_map<tlp::node, int>& levels);
  void turnHorizontal();

  tlp::Graph* tree;
  tlp::SizeProperty* sizes;
  tlp::IntegerProperty* lengthMetric;
  bool ortho;
  bool useLength;
  std::string orientation;
  float spacing;
  float nodeSpacing;
  // Out-edges of the tree's node at position i: childEdges[childBegin[i], childBegin[i + 1]).
  std::vector<unsigned int> childBegin;
  std::vector<tlp::edge> childEdges;
};

#endif
