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
  return TreePlacement::shift(arbreG, arbreD, nodeSpacing);
}

std::list<LR>* TreeReingoldAndTilfordExtended::mergeLRList(std::list<LR>* L, std::list<LR>* R,
                                                          double decal) {
  // The message keeps the spelling these checks have always been reported with.
  HIERARCHY_ASSERT_TEXT(L != nullptr, "L!=__null");
  HIERARCHY_ASSERT_TEXT(R != nullptr, "R!=__null");
  TreePlacement::merge(*L, *R, decal, true);
  return L;
}

// The library's out-edge iterator allocates on every call; the placement reads each
// node's children once, from arrays.
TreePlacement::Tree TreeReingoldAndTilfordExtended::treeArrays() const {
  const std::vector<tlp::node>& nodes = tree->nodes();
  TreePlacement::Tree arrays;
  arrays.childBegin.reserve(nodes.size() + 1);
  arrays.child.reserve(tree->numberOfEdges());
  arrays.length.reserve(tree->numberOfEdges());
  for (tlp::node n : nodes) {
    arrays.childBegin.push_back(static_cast<unsigned int>(arrays.child.size()));
    for (tlp::edge e : tree->getOutEdges(n)) {
      arrays.child.push_back(tree->nodePos(tree->target(e)));
      arrays.length.push_back(useLength ? lengthMetric->getEdgeValue(e) : 1);
    }
    const tlp::Size& size = sizes->getNodeValue(n);
    arrays.width.push_back(size.getW());
    arrays.height.push_back(size.getH());
  }
  arrays.childBegin.push_back(static_cast<unsigned int>(arrays.child.size()));
  return arrays;
}

// Each tree edge leaves its source along the level line one level above its target
// and drops straight down to the target.
void TreeReingoldAndTilfordExtended::computeOrthogonalBends(const std::vector<int>& levels,
                                                            float layerSpacing) {
  const bool horizontal = orientation == "horizontal";
  for (tlp::edge e : tree->edges()) {
    const auto [src, tgt] = tree->ends(e);
    const float lineY = -(static_cast<float>(levels[tree->nodePos(tgt)] - 1) * layerSpacing);
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
    TreePlacement placement(nodeSpacing, spacing);
    std::vector<tlp::Coord> positions;
    placement.place(treeArrays(), tree->nodePos(root), positions);
    spacing = placement.layerSpacing();
    const std::vector<int>& levels = placement.levels();
    const std::vector<tlp::node>& nodes = tree->nodes();
    for (unsigned int i = 0; i < nodes.size(); ++i)
      if (levels[i] >= 0)
        result->setNodeValue(nodes[i], positions[i]);

    if (ortho)
      computeOrthogonalBends(levels, spacing);
    if (horizontal)
      turnHorizontal();
  }

  tlp::TreeTest::cleanComputedTree(graph, tree);
  tree = nullptr;
  return true;
}
