#include "hierarchy/TreeReingoldAndTilfordExtended.h"

#include "hierarchy/AlgorithmFactory.h"
#include "hierarchy/DatasetTools.h"
#include "hierarchy/HierarchyAssert.h"

#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/PluginProgress.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>
#include <tulip/TreeTest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

class TreeReingoldAndTilfordExtendedLayoutFactory
    : public AlgorithmFactory<TreeReingoldAndTilfordExtended> {};
static TreeReingoldAndTilfordExtendedLayoutFactory
    TreeReingoldAndTilfordExtendedLayoutFactoryInitializer;

// A contour with its depth in levels, so that a merge can tell the deeper side
// without walking the runs.
struct TreeReingoldAndTilfordExtended::Contour {
  std::list<LR> runs;
  int depth = 0;
};

namespace {

double middle(const LR& run) {
  return (run.L + run.R) / 2.;
}

// Merges `from` into `into`. `from` is in a frame shifted by `fromShift` from the
// frame of `into`; `intoIsLeft` tells which side each contour is on. On the levels
// both have, a merged run takes the left extent of the left contour and the right
// extent of the right one; runs of `into` are split where the runs of `from` end.
// The levels that only `from` has are appended, shifted into the frame of `into`.
// The cost is in the runs of the shared levels and of the appended tail.
void mergeRuns(std::list<LR>& into, const std::list<LR>& from, double fromShift,
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

} // namespace

TreeReingoldAndTilfordExtended::TreeReingoldAndTilfordExtended(const tlp::PluginContext* context)
    : tlp::LayoutAlgorithm(context), tree(nullptr), sizes(nullptr), lengthMetric(nullptr),
      ortho(true), useLength(false), orientation("horizontal"), spacing(64.f), nodeSpacing(18.f) {
  addNodeSizePropertyParameter(this);
  addInParameter<tlp::IntegerProperty>(
      "edge length",
      parameterHelp("Int", "An existing int property", "None",
                    "This parameter indicates the property used to compute the length of edges."),
      "", false);
  addInParameter<tlp::StringCollection>(
      "orientation",
      parameterHelp("String Collection", "", "horizontal",
                    "This parameter enables to choose the orientation of the drawing"),
      "vertical;horizontal;", true);
  addInParameter<bool>(
      "orthogonal",
      parameterHelp("bool", "", "true",
                    "This parameter enables to choose if the tree is drawn orthogonally or not"),
      "true", true);
  addSpacingParameters(this);
  addInParameter<bool>(
      "bounding circles",
      parameterHelp("bool", "", "false",
                    "Indicates if the node bounding objects are boxes or bounding circles."),
      "false", true);
}

double TreeReingoldAndTilfordExtended::calcDecal(const std::list<LR>& arbreG,
                                                 const std::list<LR>& arbreD) {
  auto g = arbreG.begin();
  auto d = arbreD.begin();
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
  while (g != arbreG.end() && d != arbreD.end()) {
    decal = std::max(decal, nodeSpacing + g->R - d->L);
    advance();
  }
  return decal;
}

std::list<LR>* TreeReingoldAndTilfordExtended::mergeLRList(std::list<LR>* L, std::list<LR>* R,
                                                          double decal) {
  // The message keeps the spelling these checks have always been reported with.
  HIERARCHY_ASSERT_TEXT(L != nullptr, "L!=__null");
  HIERARCHY_ASSERT_TEXT(R != nullptr, "R!=__null");
  mergeRuns(*L, *R, decal, true);
  return L;
}

// The library's out-edge iterator allocates on every call; reading each node's
// children once keeps that cost out of the three walks over the tree.
void TreeReingoldAndTilfordExtended::collectChildren() {
  const std::vector<tlp::node>& nodes = tree->nodes();
  childBegin.assign(nodes.size() + 1, 0);
  childEdges.clear();
  childEdges.reserve(tree->numberOfEdges());
  for (size_t i = 0; i < nodes.size(); ++i) {
    childBegin[i] = static_cast<unsigned int>(childEdges.size());
    for (tlp::edge e : tree->getOutEdges(nodes[i]))
      childEdges.push_back(e);
  }
  childBegin[nodes.size()] = static_cast<unsigned int>(childEdges.size());
}

unsigned int TreeReingoldAndTilfordExtended::childCount(tlp::node n) const {
  const unsigned int position = tree->nodePos(n);
  return childBegin[position + 1] - childBegin[position];
}

int TreeReingoldAndTilfordExtended::edgeLength(tlp::edge e) const {
  return useLength ? lengthMetric->getEdgeValue(e) : 1;
}

TreeReingoldAndTilfordExtended::Contour
TreeReingoldAndTilfordExtended::placeLeaf(tlp::node n, std::unordered_map<tlp::node, double>& p) {
  const double w = sizes->getNodeValue(n).getW();
  p[n] = 0;
  Contour leaf;
  leaf.runs.push_back(LR{-w / 2., w / 2., 1});
  leaf.depth = 1;
  return leaf;
}

// Children are placed with an explicit stack so that deep chains cannot exhaust
// the call stack. When a younger sibling's contour is deeper than the one built so
// far, the merge goes into the sibling's contour instead and the frame of the
// working contour moves with it (frameShift): each merge then costs the runs of the
// shallower side, which keeps deep combs linear instead of quadratic.
std::list<LR>* TreeReingoldAndTilfordExtended::TreePlace(tlp::node n,
                                                         std::unordered_map<tlp::node, double>* p) {
  struct Frame {
    tlp::node n;
    // The node's out-edges are childEdges[first, end), in the library's order.
    unsigned int first;
    unsigned int end;
    unsigned int next;
    Contour working;
    // Added to a value of the working frame to give it in the first child's frame.
    double frameShift;
  };
  // A child's position in its parent's first-child frame waits in p until the
  // parent is done.
  std::vector<Frame> stack;
  auto open = [&](tlp::node v) {
    const unsigned int position = tree->nodePos(v);
    stack.push_back(
        Frame{v, childBegin[position], childBegin[position + 1], 0, Contour(), 0.});
  };

  open(n);
  Contour finished;
  while (true) {
    Frame& top = stack.back();
    if (top.first + top.next < top.end) {
      const tlp::node child = tree->target(childEdges[top.first + top.next]);
      if (childCount(child) > 0) {
        open(child);
        continue;
      }
      finished = placeLeaf(child, *p);
    } else {
      // Every child is placed: centre the parent over its children.
      if (top.first == top.end) {
        finished = placeLeaf(top.n, *p);
      } else {
        const double w = sizes->getNodeValue(top.n).getW();
        const double posFather = middle(top.working.runs.front());
        top.working.runs.push_front(LR{posFather - w / 2., posFather + w / 2., 1});
        ++top.working.depth;
        const double posFatherFirst = posFather + top.frameShift;
        for (unsigned int i = top.first; i < top.end; ++i)
          (*p)[tree->target(childEdges[i])] -= posFatherFirst;
        (*p)[top.n] = 0;
        finished = std::move(top.working);
      }
      stack.pop_back();
      if (stack.empty())
        break;
    }

    // Hand the finished child contour to its parent's working contour.
    Frame& parent = stack.back();
    const tlp::edge toChild = childEdges[parent.first + parent.next];
    const int length = edgeLength(toChild);
    if (length > 1) {
      const LR first = finished.runs.front();
      finished.runs.push_front(LR{first.L, first.R, length - 1});
      finished.depth += length - 1;
    }
    double& childPos = (*p)[tree->target(toChild)];
    if (parent.next == 0) {
      childPos = middle(finished.runs.front());
      parent.working = std::move(finished);
    } else {
      const double decal = calcDecal(parent.working.runs, finished.runs);
      childPos = middle(finished.runs.front()) + decal + parent.frameShift;
      if (finished.depth > parent.working.depth) {
        mergeRuns(finished.runs, parent.working.runs, -decal, false);
        parent.working = std::move(finished);
        parent.frameShift += decal;
      } else {
        mergeRuns(parent.working.runs, finished.runs, decal, true);
      }
    }
    finished = Contour();
    ++parent.next;
  }
  return new std::list<LR>(std::move(finished.runs));
}

void TreeReingoldAndTilfordExtended::TreeLevelSizing(tlp::node n, std::map<int, double>& maxSize,
                                                     int level,
                                                     std::unordered_map<tlp::node, int>& levels) {
  std::vector<std::pair<tlp::node, int>> stack{{n, level}};
  while (!stack.empty()) {
    const auto [v, vLevel] = stack.back();
    stack.pop_back();
    levels[v] = vLevel;
    const double h = sizes->getNodeValue(v).getH();
    const auto known = maxSize.find(vLevel);
    if (known == maxSize.end())
      maxSize[vLevel] = h;
    else
      known->second = std::max(known->second, h);
    const unsigned int position = tree->nodePos(v);
    for (unsigned int i = childBegin[position]; i < childBegin[position + 1]; ++i)
      stack.emplace_back(tree->target(childEdges[i]), vLevel + edgeLength(childEdges[i]));
  }
}

void TreeReingoldAndTilfordExtended::calcLayout(tlp::node n,
                                                std::unordered_map<tlp::node, double>* p,
                                                double x, double y) {
  struct Place {
    tlp::node n;
    double x;
    double y;
  };
  std::vector<Place> stack{{n, x, y}};
  while (!stack.empty()) {
    const Place at = stack.back();
    stack.pop_back();
    const double nodeX = (*p)[at.n] + at.x;
    result->setNodeValue(at.n, tlp::Coord(static_cast<float>(nodeX), static_cast<float>(-at.y), 0));
    const unsigned int position = tree->nodePos(at.n);
    for (unsigned int i = childBegin[position]; i < childBegin[position + 1]; ++i) {
      // A length of 0 or less puts the child on its parent's line.
      const int k = edgeLength(childEdges[i]);
      stack.push_back(
          Place{tree->target(childEdges[i]), nodeX, at.y + std::max(k, 0) * double(spacing)});
    }
  }
}

// Each pair of consecutive levels whose mean height leaves less than the node
// spacing free widens the layer spacing by that mean; levels missing from the
// table (skipped by long edges) count as height 0.
void TreeReingoldAndTilfordExtended::enlargeLayerSpacing(const std::map<int, double>& maxSize) {
  if (maxSize.empty())
    return;
  auto heightAt = [&maxSize](int level) {
    const auto found = maxSize.find(level);
    return found == maxSize.end() ? 0. : found->second;
  };
  const int maxLevel = maxSize.rbegin()->first;
  for (int i = 0; i < maxLevel; ++i) {
    const double m = (heightAt(i) + heightAt(i + 1)) / 2.;
    if (nodeSpacing + m > spacing)
      spacing = static_cast<float>(spacing + m);
  }
}

// Each tree edge leaves its source along the level line one level above its target
// and drops straight down to the target.
void TreeReingoldAndTilfordExtended::computeOrthogonalBends(
    const std::unordered_map<tlp::node, int>& levels) {
  const bool horizontal = orientation == "horizontal";
  for (tlp::edge e : tree->edges()) {
    const auto [src, tgt] = tree->ends(e);
    const float lineY = -(static_cast<float>(levels.at(tgt) - 1) * spacing);
    std::vector<tlp::Coord> bends{tlp::Coord(result->getNodeValue(src).getX(), lineY, 0),
                                  tlp::Coord(result->getNodeValue(tgt).getX(), lineY, 0)};
    if (horizontal)
      for (tlp::Coord& bend : bends)
        bend = tlp::Coord(-bend.getY(), bend.getX(), bend.getZ());
    result->setEdgeValue(e, bends);
  }
}

void TreeReingoldAndTilfordExtended::turnHorizontal() {
  for (tlp::node n : tree->nodes()) {
    const tlp::Coord c = result->getNodeValue(n);
    result->setNodeValue(n, tlp::Coord(-c.getY(), c.getX(), c.getZ()));
  }
}

bool TreeReingoldAndTilfordExtended::run() {
  if (result == nullptr)
    return false;
  result->setAllEdgeValue(std::vector<tlp::Coord>());

  // The caller's size property is only read: circle sizes and the exchange of w
  // and h for a horizontal drawing go into a working copy, so that no exit path,
  // a stopped progress included, can leave the caller's sizes changed.
  sizes = nullptr;
  if (!getNodeSizePropertyParameter(dataSet, sizes) || sizes == nullptr)
    sizes = graph->existProperty("viewSize") ? graph->getProperty<tlp::SizeProperty>("viewSize")
                                             : nullptr;
  getSpacingParameters(dataSet, nodeSpacing, spacing);

  orientation = "horizontal";
  lengthMetric = nullptr;
  ortho = true;
  useLength = false;
  bool boundingCircles = false;
  if (dataSet != nullptr) {
    useLength = dataSet->get("edge length", lengthMetric) && lengthMetric != nullptr;
    dataSet->get("orthogonal", ortho);
    dataSet->get("bounding circles", boundingCircles);
    tlp::StringCollection chosen;
    if (dataSet->get("orientation", chosen) && !chosen.empty())
      orientation = chosen.getCurrentString();
  }
  const bool horizontal = orientation == "horizontal";

  std::unique_ptr<tlp::SizeProperty> workingSizes;
  if (sizes == nullptr || boundingCircles || horizontal) {
    auto adapt = [boundingCircles, horizontal](tlp::Size s) {
      if (boundingCircles) {
        const float d = 2.f * std::sqrt(s.getW() * s.getW() / 4.f + s.getH() * s.getH() / 4.f);
        s = tlp::Size(d, d, 1);
      }
      if (horizontal)
        s = tlp::Size(s.getH(), s.getW(), s.getD());
      return s;
    };
    workingSizes = std::make_unique<tlp::SizeProperty>(graph);
    const tlp::Size base =
        sizes != nullptr ? sizes->getNodeDefaultValue() : workingSizes->getNodeDefaultValue();
    // The default also sizes a root that the spanning tree may add for a forest.
    workingSizes->setAllNodeValue(adapt(base));
    for (tlp::node n : graph->nodes())
      workingSizes->setNodeValue(n, adapt(sizes != nullptr ? sizes->getNodeValue(n) : base));
    sizes = workingSizes.get();
  }

  if (pluginProgress != nullptr)
    pluginProgress->showPreview(false);
  // The spanning tree is computed without the progress object: stopped half-way,
  // the library leaves a partial clone in the caller's graph that it cannot clean.
  tree = tlp::TreeTest::computeTree(graph);
  if (pluginProgress != nullptr && pluginProgress->state() != tlp::TLP_CONTINUE) {
    tlp::TreeTest::cleanComputedTree(graph, tree);
    tree = nullptr;
    return false;
  }

  const tlp::node root = tree->getSource();
  if (root.isValid()) {
    collectChildren();
    std::map<int, double> maxSize;
    std::unordered_map<tlp::node, int> levels(tree->numberOfNodes());
    TreeLevelSizing(root, maxSize, 0, levels);
    enlargeLayerSpacing(maxSize);

    std::unordered_map<tlp::node, double> p(tree->numberOfNodes());
    delete TreePlace(root, &p);
    calcLayout(root, &p, 0, 0);

    if (ortho)
      computeOrthogonalBends(levels);
    if (horizontal)
      turnHorizontal();
  }

  tlp::TreeTest::cleanComputedTree(graph, tree);
  tree = nullptr;
  childBegin.clear();
  childEdges.clear();
  return true;
}
