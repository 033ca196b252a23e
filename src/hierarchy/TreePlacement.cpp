#include "hierarchy/TreePlacement.h"

#include <algorithm>
#include <utility>

// A contour with its depth in levels, so that a merge can tell the deeper side
// without walking the runs.
struct TreePlacement::Contour {
  std::list<LR> runs;
  int depth = 0;
};

namespace {

double middle(const LR& run) {
  return (run.L + run.R) / 2.;
}

} // namespace

TreePlacement::TreePlacement(float nodeSpacing, float layerSpacing)
    : nodeSpacing(nodeSpacing), spacing(layerSpacing) {}

double TreePlacement::shift(const std::list<LR>& left, const std::list<LR>& right,
                            double nodeSpacing) {
  auto g = left.begin();
  auto d = right.begin();
  int iG = 0;
  int iD = 0;
  auto advance = [&]() {
    const int m = std::min(g->size - iG, d->size - iD);
    iG += m;
    iD += m;
    if (iG == g->size) {
      ++g;
      iG = 0;
    }
    if (iD == d->size) {
      ++d;
      iD = 0;
    }
  };
  double decal = nodeSpacing + (g->R - d->L);
  advance();
  while (g != left.end() && d != right.end()) {
    decal = std::max(decal, nodeSpacing + g->R - d->L);
    advance();
  }
  return decal;
}

// Runs of `into` are split where the runs of `from` end. The cost is in the runs of
// the shared levels and of the appended tail.
void TreePlacement::merge(std::list<LR>& into, const std::list<LR>& from, double fromShift,
                          bool intoIsLeft) {
  auto intoRun = into.begin();
  auto fromRun = from.begin();
  int fromUsed = 0;
  while (intoRun != into.end() && fromRun != from.end()) {
    const int m = std::min(intoRun->size, fromRun->size - fromUsed);
    const LR merged = intoIsLeft ? LR{intoRun->L, fromRun->R + fromShift, m}
                                 : LR{fromRun->L + fromShift, intoRun->R, m};
    if (m == intoRun->size) {
      *intoRun = merged;
      ++intoRun;
    } else {
      into.insert(intoRun, merged);
      intoRun->size -= m;
    }
    fromUsed += m;
    if (fromUsed == fromRun->size) {
      ++fromRun;
      fromUsed = 0;
    }
  }
  for (; fromRun != from.end(); ++fromRun) {
    into.push_back(
        LR{fromRun->L + fromShift, fromRun->R + fromShift, fromRun->size - fromUsed});
    fromUsed = 0;
  }
}

void TreePlacement::place(const Tree& tree, unsigned int root, std::vector<tlp::Coord>& positions) {
  std::map<int, double> maxSize;
  sizeLevels(tree, root, maxSize);
  enlargeLayerSpacing(maxSize);
  placeSubtrees(tree, root);
  layOut(tree, root, positions);
}

void TreePlacement::sizeLevels(const Tree& tree, unsigned int root,
                               std::map<int, double>& maxSize) {
  level.assign(tree.width.size(), -1);
  std::vector<std::pair<unsigned int, int>> stack{{root, 0}};
  while (!stack.empty()) {
    const auto [v, vLevel] = stack.back();
    stack.pop_back();
    level[v] = vLevel;
    const double h = tree.height[v];
    const auto known = maxSize.find(vLevel);
    if (known == maxSize.end())
      maxSize[vLevel] = h;
    else
      known->second = std::max(known->second, h);
    for (unsigned int i = tree.childBegin[v]; i < tree.childBegin[v + 1]; ++i)
      stack.emplace_back(tree.child[i], vLevel + tree.length[i]);
  }
}

// Each pair of consecutive levels whose mean height leaves less than the node
// spacing free widens the layer spacing by that mean; levels missing from the
// table (skipped by long edges) count as height 0.
void TreePlacement::enlargeLayerSpacing(const std::map<int, double>& maxSize) {
  if (maxSize.empty())
    return;
  auto heightAt = [&maxSize](int l) {
    const auto found = maxSize.find(l);
    return found == maxSize.end() ? 0. : found->second;
  };
  const int maxLevel = maxSize.rbegin()->first;
  for (int i = 0; i < maxLevel; ++i) {
    const double m = (heightAt(i) + heightAt(i + 1)) / 2.;
    if (nodeSpacing + m > spacing)
      spacing = static_cast<float>(spacing + m);
  }
}

// Children are placed with an explicit stack so that deep chains cannot exhaust
// the call stack. When a younger sibling's contour is deeper than the one built so
// far, the merge goes into the sibling's contour instead and the frame of the
// working contour moves with it (frameShift): each merge then costs the runs of the
// shallower side, which keeps deep combs linear instead of quadratic.
void TreePlacement::placeSubtrees(const Tree& tree, unsigned int root) {
  offset.assign(tree.width.size(), 0.);
  struct Frame {
    unsigned int v;
    unsigned int next; // index of the next child to place in tree.child
    Contour working;
    // Added to a value of the working frame to give it in the first child's frame.
    double frameShift;
  };
  auto leaf = [&](unsigned int v) {
    const double w = tree.width[v];
    offset[v] = 0;
    Contour contour;
    contour.runs.push_back(LR{-w / 2., w / 2., 1});
    contour.depth = 1;
    return contour;
  };
  auto childCount = [&](unsigned int v) { return tree.childBegin[v + 1] - tree.childBegin[v]; };

  // A child's position in its parent's first-child frame waits in `offset` until the
  // parent is done.
  std::vector<Frame> stack{Frame{root, tree.childBegin[root], Contour(), 0.}};
  Contour finished;
  while (true) {
    Frame& top = stack.back();
    const unsigned int first = tree.childBegin[top.v];
    const unsigned int end = tree.childBegin[top.v + 1];
    if (top.next < end) {
      const unsigned int child = tree.child[top.next];
      if (childCount(child) > 0) {
        stack.push_back(Frame{child, tree.childBegin[child], Contour(), 0.});
        continue;
      }
      finished = leaf(child);
    } else {
      // Every child is placed: centre the parent over its children.
      if (first == end) {
        finished = leaf(top.v);
      } else {
        const double w = tree.width[top.v];
        const double posFather = middle(top.working.runs.front());
        top.working.runs.push_front(LR{posFather - w / 2., posFather + w / 2., 1});
        ++top.working.depth;
        const double posFatherFirst = posFather + top.frameShift;
        for (unsigned int i = first; i < end; ++i)
          offset[tree.child[i]] -= posFatherFirst;
        offset[top.v] = 0;
        finished = std::move(top.working);
      }
      stack.pop_back();
      if (stack.empty())
        break;
    }

    // Hand the finished child contour to its parent's working contour.
    Frame& parent = stack.back();
    const int length = tree.length[parent.next];
    if (length > 1) {
      const LR front = finished.runs.front();
      finished.runs.push_front(LR{front.L, front.R, length - 1});
      finished.depth += length - 1;
    }
    double& childPos = offset[tree.child[parent.next]];
    if (parent.next == tree.childBegin[parent.v]) {
      childPos = middle(finished.runs.front());
      parent.working = std::move(finished);
    } else {
      const double decal = shift(parent.working.runs, finished.runs, nodeSpacing);
      childPos = middle(finished.runs.front()) + decal + parent.frameShift;
      if (finished.depth > parent.working.depth) {
        merge(finished.runs, parent.working.runs, -decal, false);
        parent.working = std::move(finished);
        parent.frameShift += decal;
      } else {
        merge(parent.working.runs, finished.runs, decal, true);
      }
    }
    finished = Contour();
    ++parent.next;
  }
}

void TreePlacement::layOut(const Tree& tree, unsigned int root, std::vector<tlp::Coord>& positions) {
  positions.resize(tree.width.size());
  struct Place {
    unsigned int v;
    double x;
    double y;
  };
  std::vector<Place> stack{{root, 0, 0}};
  while (!stack.empty()) {
    const Place at = stack.back();
    stack.pop_back();
    const double nodeX = offset[at.v] + at.x;
    positions[at.v] = tlp::Coord(static_cast<float>(nodeX), static_cast<float>(-at.y), 0);
    for (unsigned int i = tree.childBegin[at.v]; i < tree.childBegin[at.v + 1]; ++i)
      stack.push_back(
          Place{tree.child[i], nodeX, at.y + std::max(tree.length[i], 0) * double(spacing)});
  }
}
