// The deletion passes set the graph's properties aside while they delete; the graph
// they leave must be the one plain deletions leave, value for value.

#include "clusterflow/GenClusterMap.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SimpleTest.h>
#include <tulip/StringProperty.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// Cluster nodes joined by plain edges and by dummy chains, some of which lack a
// cluster node at one end. Edges of chains carry values of their own, so an edge
// that reuses a deleted one's id would show them if they were not reset. Built the
// same way for every seed.
std::unique_ptr<tlp::Graph> chainsGraph(unsigned seed) {
  std::mt19937 random(seed);
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  auto* isDummy = graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  auto* colour = graph->getProperty<tlp::ColorProperty>("viewColor");
  auto* label = graph->getProperty<tlp::StringProperty>("viewLabel");
  auto* shape = graph->getProperty<tlp::IntegerProperty>("viewShape");
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  std::vector<tlp::node> clusters;
  graph->addNodes(30, clusters);
  for (tlp::node n : clusters) {
    label->setNodeValue(n, "c" + std::to_string(n.id));
    layout->setNodeValue(n, tlp::Coord(n.id, 2.f * n.id, 0));
  }
  auto pick = [&] { return clusters[random() % clusters.size()]; };
  for (int i = 0; i < 40; ++i) {
    const tlp::edge plain = graph->addEdge(pick(), pick());
    colour->setEdgeValue(plain, tlp::Color(10, 20, 30, 255));
  }
  for (int chain = 0; chain < 60; ++chain) {
    std::vector<tlp::node> nodes;
    if (random() % 4 != 0)
      nodes.push_back(pick());
    for (unsigned i = 0, length = 1 + random() % 5; i < length; ++i) {
      const tlp::node dummy = graph->addNode();
      isDummy->setNodeValue(dummy, true);
      shape->setNodeValue(dummy, 7);
      nodes.push_back(dummy);
    }
    if (random() % 4 != 0)
      nodes.push_back(pick());
    for (std::size_t i = 1; i < nodes.size(); ++i) {
      const tlp::edge e = graph->addEdge(nodes[i - 1], nodes[i]);
      shape->setEdgeValue(e, 3);
      layout->setEdgeValue(e, {tlp::Coord(1, 1, 0)});
      // Few enough to be set aside.
      if (random() % 5 == 0)
        label->setEdgeValue(e, "chain");
    }
  }
  return graph;
}

// Gives every edge five parallel copies, a few of them labelled.
void addParallelEdges(tlp::Graph* graph, unsigned seed) {
  std::mt19937 random(seed);
  auto* label = graph->getProperty<tlp::StringProperty>("viewLabel");
  const std::vector<tlp::edge> edges = graph->edges();
  for (tlp::edge e : edges)
    for (int copy = 0; copy < 5; ++copy) {
      const tlp::edge parallel = graph->addEdge(graph->source(e), graph->target(e));
      if (random() % 10 == 0)
        label->setEdgeValue(parallel, "copy");
    }
}

void expectSameGraph(tlp::Graph* expected, tlp::Graph* actual) {
  ASSERT_EQ(actual->nodes(), expected->nodes());
  ASSERT_EQ(actual->edges(), expected->edges());
  for (tlp::edge e : expected->edges())
    EXPECT_EQ(actual->ends(e), expected->ends(e));
  for (tlp::PropertyInterface* want : expected->getLocalObjectProperties()) {
    SCOPED_TRACE(want->getName());
    ASSERT_TRUE(actual->existLocalProperty(want->getName()));
    tlp::PropertyInterface* got = actual->getProperty(want->getName());
    EXPECT_EQ(got->getTypename(), want->getTypename());
    EXPECT_EQ(got->getNodeDefaultStringValue(), want->getNodeDefaultStringValue());
    EXPECT_EQ(got->getEdgeDefaultStringValue(), want->getEdgeDefaultStringValue());
    EXPECT_EQ(got->getMetaValueCalculator(), want->getMetaValueCalculator());
    // What the file writer lists: values of deleted elements must not linger.
    EXPECT_EQ(got->numberOfNonDefaultValuatedNodes(), want->numberOfNonDefaultValuatedNodes());
    EXPECT_EQ(got->numberOfNonDefaultValuatedEdges(), want->numberOfNonDefaultValuatedEdges());
    for (tlp::node n : expected->nodes())
      EXPECT_EQ(got->getNodeStringValue(n), want->getNodeStringValue(n)) << n.id;
    for (tlp::edge e : expected->edges())
      EXPECT_EQ(got->getEdgeStringValue(e), want->getEdgeStringValue(e)) << e.id;
  }
  EXPECT_EQ(tlp::iteratorVector(actual->getLocalProperties()).size(),
            tlp::iteratorVector(expected->getLocalProperties()).size());
}

TEST(DeletionPasses, LeaveWhatPlainDeletionsLeave) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    // One chain at a time, nothing set aside, against the whole pass.
    std::unique_ptr<tlp::Graph> plain = chainsGraph(seed);
    auto* isDummy = plain->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
    std::vector<tlp::node> dummies;
    for (tlp::node n : isDummy->getNodesEqualTo(true, plain.get()))
      dummies.push_back(n);
    for (tlp::node n : dummies)
      if (plain->isElement(n))
        deletePathAndRecon(plain.get(), n);

    std::unique_ptr<tlp::Graph> pass = chainsGraph(seed);
    deleteDummyAndReconnect(pass.get());
    expectSameGraph(plain.get(), pass.get());

    // Parallel edges, left by plain deletions and by the pass.
    addParallelEdges(plain.get(), seed);
    addParallelEdges(pass.get(), seed);
    std::vector<tlp::edge> parallel;
    tlp::SimpleTest::simpleTest(plain.get(), &parallel, nullptr, true);
    for (tlp::edge e : parallel)
      plain->delEdge(e);
    deleteMultiEdges(pass.get());
    expectSameGraph(plain.get(), pass.get());
  }
}

} // namespace

TEST(MajorStations, EdgeListsCountAsTheNeighbourIteratorsDo) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    // Loops included, one the only edge of its node; a subgraph takes the iterators' way.
    std::unique_ptr<tlp::Graph> graph = chainsGraph(seed);
    const tlp::node alone = graph->addNode();
    graph->addEdge(alone, alone);
    tlp::Graph* view = graph->addCloneSubGraph();
    auto* isDummy = graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
    for (tlp::node n : graph->nodes())
      view->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->setNodeValue(n, isDummy->getNodeValue(n));
    findMajorStations(graph.get());
    findMajorStations(view);
    for (tlp::node n : graph->nodes())
      EXPECT_EQ(graph->getLocalProperty<tlp::BooleanProperty>("Is Major Station")->getNodeValue(n),
                view->getLocalProperty<tlp::BooleanProperty>("Is Major Station")->getNodeValue(n))
          << n.id;
  }
}
