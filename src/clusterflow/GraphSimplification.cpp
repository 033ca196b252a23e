#include "clusterflow/GenClusterMap.h"
#include "clusterflow/PropertiesSetAside.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/SimpleTest.h>

#include <algorithm>
#include <vector>

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

// The directed parallel edges of a root graph, in the order of the graph library's
// simple-graph test: node by node in the graph's order, every out-edge, in the
// node's edge order, that leads where an earlier one did. A loop is listed once in
// its node's edge list but seen twice. Read from the adjacency lists directly, it
// spares the millions of edge iterators the test makes on a large timeline.
std::vector<tlp::edge> parallelEdges(const tlp::Graph* graph) {
  std::vector<tlp::edge> parallel;
  const std::vector<tlp::node>& nodes = graph->nodes();
  unsigned int ids = 0;
  for (tlp::node n : nodes)
    ids = std::max(ids, n.id + 1);
  // targetedBy[t] == i + 1: an out-edge of the i-th node already leads to t.
  std::vector<unsigned int> targetedBy(ids);
  std::vector<tlp::edge> loopsSeen;
  for (unsigned int i = 0; i < nodes.size(); ++i) {
    const tlp::node n = nodes[i];
    loopsSeen.clear();
    for (tlp::edge e : graph->allEdges(n)) {
      const auto& [source, target] = graph->ends(e);
      if (source != n)
        continue;
      if (target == n) {
        if (std::find(loopsSeen.begin(), loopsSeen.end(), e) != loopsSeen.end())
          continue;
        loopsSeen.push_back(e);
      }
      if (targetedBy[target.id] == i + 1)
        parallel.push_back(e);
      else
        targetedBy[target.id] = i + 1;
    }
  }
  return parallel;
}

} // namespace

void deleteMultiEdges(tlp::Graph* splitMergeGraph) {
  std::vector<tlp::edge> multipleEdges;
  // Edges always lead to a later time step, so directed parallel edges are all
  // the parallel edges there are.
  if (splitMergeGraph == splitMergeGraph->getRoot())
    multipleEdges = parallelEdges(splitMergeGraph);
  else
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
