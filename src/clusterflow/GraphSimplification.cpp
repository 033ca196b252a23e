#include "clusterflow/GenClusterMap.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/SimpleTest.h>

namespace {
const tlp::Color kVanishColour(180, 180, 180, 70);
}

void deleteMultiEdges(tlp::Graph* splitMergeGraph) {
  std::vector<tlp::edge> multipleEdges;
  // Edges always lead to a later time step, so directed parallel edges are all
  // the parallel edges there are.
  tlp::SimpleTest::simpleTest(splitMergeGraph, &multipleEdges, nullptr, true);
  for (tlp::edge e : multipleEdges)
    splitMergeGraph->delEdge(e);
}

void deletePathAndRecon(tlp::Graph* splitMergeGraph, tlp::node dummyNode) {
  tlp::BooleanProperty* isDummy = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  tlp::node source = dummyNode;
  tlp::node target = dummyNode;
  std::vector<tlp::node> deletion{dummyNode};

  while (source.isValid() && isDummy->getNodeValue(source)) {
    if (splitMergeGraph->indeg(source) == 0) {
      source = tlp::node();
      break;
    }
    source = splitMergeGraph->getInNode(source, 1);
    if (isDummy->getNodeValue(source))
      deletion.push_back(source);
  }
  while (target.isValid() && isDummy->getNodeValue(target)) {
    if (splitMergeGraph->outdeg(target) == 0) {
      target = tlp::node();
      break;
    }
    target = splitMergeGraph->getOutNode(target, 1);
    if (isDummy->getNodeValue(target))
      deletion.push_back(target);
  }

  for (tlp::node n : deletion)
    splitMergeGraph->delNode(n);

  if (source.isValid() && target.isValid()) {
    const tlp::edge vanish = splitMergeGraph->addEdge(source, target);
    splitMergeGraph->getProperty<tlp::ColorProperty>("viewColor")->setEdgeValue(vanish, kVanishColour);
    splitMergeGraph->getProperty<tlp::ColorProperty>("viewBorderColor")
        ->setEdgeValue(vanish, kVanishColour);
  }
}

void deleteDummyAndReconnect(tlp::Graph* splitMergeGraph) {
  tlp::BooleanProperty* isDummy = splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  std::vector<tlp::node> dummies;
  for (tlp::node n : isDummy->getNodesEqualTo(true, splitMergeGraph))
    dummies.push_back(n);
  for (tlp::node n : dummies)
    if (splitMergeGraph->isElement(n))
      deletePathAndRecon(splitMergeGraph, n);
}
