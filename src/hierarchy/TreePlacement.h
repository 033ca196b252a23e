#ifndef TEXTFERRO_TREEPLACEMENT_H
#define TEXTFERRO_TREEPLACEMENT_H

// The Reingold-Tilford placement of "Hierarchical Tree (R-T Extended)" on a rooted
// tree given as plain arrays, so that the tree layout and the layered layout, which
// holds its working tree in arrays, place trees with the same arithmetic. Every
// subtree is drawn once; siblings are pushed apart as little as their contours allow,
// nodeSpacing apart on every level both have; a parent is centred over the outer
// extents of its children's first level. The drawing is vertical and grows towards
// negative y, one layer spacing per level an edge spans.
//
#include <tulip/Coord.h>

#include <list>
#include <map>
#include <vector>

// One run of a subtree contour: extents L and R on `size` consecutive levels, in
// the frame of the subtree's contour. A contour is a list of runs from the subtree's
// root level down; runs of equal extents are not joined.
struct LR {
  double L;
  double R;
  int size;
};

class TreePlacement {
public:
  // Nodes are numbered 0 .. n - 1. The children of node v, in drawing order, are
  // child[childBegin[v] .. childBegin[v + 1]), each edge spanning length[...] levels
  // (1 without edge lengths; 0 or less puts the child on its parent's line). Widths
  // run along a level, heights across levels.
  struct Tree {
    std::vector<unsigned int> childBegin; // per node, then the end
    std::vector<unsigned int> child;
    std::vector<int> length;
    std::vector<float> width;
    std::vector<float> height;
  };

  TreePlacement(float nodeSpacing, float layerSpacing);

  // Places the subtree of root: positions[v] = (x, -y, 0) for each of its nodes, with
  // the root at the origin. The layer spacing is first enlarged wherever the mean
  // height of two consecutive levels leaves less than the node spacing free.
  void place(const Tree& tree, unsigned int root, std::vector<tlp::Coord>& positions);

  // The layer spacing as enlarged by place().
  float layerSpacing() const { return spacing; }
  // The level of each node of the last subtree placed (the sum of the lengths of the
  // edges above it); -1 for nodes outside it.
  const std::vector<int>& levels() const { return level; }

  // The shift that puts contour right at least nodeSpacing right of left on every
  // level both have. Both contours must be non-empty.
  static double shift(const std::list<LR>& left, const std::list<LR>& right, double nodeSpacing);
  // Merges `from`, shifted by fromShift, into `into`; `intoIsLeft` tells which side
  // `into` is on. On the levels both have, a merged run takes the outer extents; the
  // levels only `from` has are appended.
  static void merge(std::list<LR>& into, const std::list<LR>& from, double fromShift,
                    bool intoIsLeft);

private:
  struct Contour;

  void sizeLevels(const Tree& tree, unsigned int root, std::map<int, double>& maxSize);
  void enlargeLayerSpacing(const std::map<int, double>& maxSize);
  void placeSubtrees(const Tree& tree, unsigned int root);
  void layOut(const Tree& tree, unsigned int root, std::vector<tlp::Coord>& positions);

  float nodeSpacing;
  float spacing;
  std::vector<int> level;
  std::vector<double> offset; // x of each node relative to its parent
};

#endif
