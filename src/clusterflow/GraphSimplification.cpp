#include "clusterflow/GenClusterMap.h"
#include "clusterflow/PropertiesSetAside.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/SimpleTest.h>

namespace {

const tlp::Color kVanishColour(180, 180, 180, 70);

// Removes the dummy chain through dummyNode and joins the cluster nodes at its two
// ends, if both exist, by a vanish edge. During a pass, `aside` holds the graph's
// properties and the vanish colours go through it.
void deleteChain(tlp::Graph* splitMergeGraph, tlp::node dummyNode,
                 const tlp::BooleanProperty* isDummy, PropertiesSetAside* aside) {
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
    if (aside != nullptr)
      aside->resetEdge(vanish);
    for (const char* name : {"viewColor", "viewBorderColor"}) {
      auto* colour = aside != nullptr ? aside->get<tlp::ColorProperty>(name)
                                      : splitMergeGraph->getProperty<tlp::ColorProperty>(name);
      colour->setEdgeValue(vanish, kVanishColour);
    }
  }
}

} // namespace

void deleteMultiEdges(tlp::Graph* splitMergeGraph) {
  std::vector<tlp::edge> multipleEdges;
  // Edges always lead to a later time step, so directed parallel edges are all
  // the parallel edges there are.
  tlp::SimpleTest::simpleTest(splitMergeGraph, &multipleEdges, nullptr, true);
  const PropertiesSetAside aside(splitMergeGraph, multipleEdges.size());
  for (tlp::edge e : multipleEdges)
    splitMergeGraph->delEdge(e);
}

void deletePathAndRecon(tlp::Graph* splitMergeGraph, tlp::node dummyNode) {
  deleteChain(splitMergeGraph, dummyNode,
              splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy"), nullptr);
}

void deleteDummyAndReconnect(tlp::Graph* splitMergeGraph) {
  std::vector<tlp::node> dummies;
  // Every dummy node goes, with its out-edges and the in-edges from cluster nodes.
  std::size_t deletions = 0;
  for (tlp::node n :
       splitMergeGraph->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->getNodesEqualTo(
           true, splitMergeGraph)) {
    dummies.push_back(n);
    deletions += 1 + splitMergeGraph->outdeg(n);
  }
  PropertiesSetAside aside(splitMergeGraph, deletions);
  const auto* isDummy = aside.get<tlp::BooleanProperty>("Is Dummy");
  for (std::size_t i = 0; i < dummies.size(); ++i) {
    reportStageProgress(i, dummies.size());
    if (splitMergeGraph->isElement(dummies[i]))
      deleteChain(splitMergeGraph, dummies[i], isDummy, &aside);
  }
}
