// The flow walks on graphs without a view: they must give the results of the plain
// recursive walk on acyclic graphs, end on cyclic ones and survive long lines.

#include "interaction/ClusterFlowInteractor.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// The walks as first described, recursion and all; only safe on acyclic graphs.
void recursiveNodeFlow(tlp::Graph* g, tlp::node n, bool value) {
  auto* s = g->getProperty<tlp::BooleanProperty>("viewSelection");
  auto* d = g->getProperty<tlp::BooleanProperty>("Is Dummy");
  if (!d->getNodeValue(n))
    s->setNodeValue(n, !value);
  if (value) {
    for (tlp::edge e : g->getInEdges(n))
      if (!d->getNodeValue(n) && !d->getNodeValue(g->opposite(e, n)))
        s->setEdgeValue(e, false);
  }
  for (tlp::edge e : g->getOutEdges(n)) {
    tlp::node t = g->opposite(e, n);
    if (!d->getNodeValue(n) && !d->getNodeValue(t))
      s->setEdgeValue(e, !value);
    if (s->getNodeValue(t) == value || d->getNodeValue(t))
      recursiveNodeFlow(g, t, value);
  }
}

void recursiveEdgeFlow(tlp::Graph* g, tlp::edge e, bool value) {
  auto* s = g->getProperty<tlp::BooleanProperty>("viewSelection");
  auto* d = g->getProperty<tlp::BooleanProperty>("Is Dummy");
  tlp::node t = g->target(e), src = g->source(e);
  if (!d->getNodeValue(src) && !d->getNodeValue(t))
    s->setEdgeValue(e, !value);
  if (!value && !d->getNodeValue(src))
    s->setNodeValue(src, true);
  if (!d->getNodeValue(t))
    s->setNodeValue(t, !value);
  for (tlp::edge e2 : g->getOutEdges(t)) {
    tlp::node far = g->opposite(e2, t);
    if (s->getNodeValue(far) == value || d->getNodeValue(far))
      recursiveEdgeFlow(g, e2, value);
  }
}

// A layered random graph with dummy nodes, parallel edges, edges that skip layers
// and a random selection, the same for the same seed.
std::unique_ptr<tlp::Graph> randomLayeredGraph(unsigned seed) {
  std::mt19937 random(seed);
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  auto* dummies = g->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  auto* selection = g->getProperty<tlp::BooleanProperty>("viewSelection");
  const int layers = 6, width = 5;
  std::vector<tlp::node> nodes;
  for (int i = 0; i < layers * width; ++i) {
    nodes.push_back(g->addNode());
    dummies->setNodeValue(nodes.back(), random() % 3 == 0);
    selection->setNodeValue(nodes.back(), random() % 4 == 0);
  }
  for (int layer = 0; layer + 1 < layers; ++layer) {
    for (int i = 0; i < width; ++i) {
      const int edges = random() % 4;
      for (int k = 0; k < edges; ++k) {
        const int toLayer = layer + 1 + (random() % 5 == 0 && layer + 2 < layers ? 1 : 0);
        tlp::edge e =
            g->addEdge(nodes[layer * width + i], nodes[toLayer * width + random() % width]);
        selection->setEdgeValue(e, random() % 4 == 0);
      }
    }
  }
  return g;
}

void expectSameSelection(tlp::Graph* expected, tlp::Graph* actual, unsigned seed) {
  auto* want = expected->getProperty<tlp::BooleanProperty>("viewSelection");
  auto* got = actual->getProperty<tlp::BooleanProperty>("viewSelection");
  for (tlp::node n : expected->nodes())
    ASSERT_EQ(want->getNodeValue(n), got->getNodeValue(n)) << "seed " << seed << " node " << n.id;
  for (tlp::edge e : expected->edges())
    ASSERT_EQ(want->getEdgeValue(e), got->getEdgeValue(e)) << "seed " << seed << " edge " << e.id;
}

} // namespace

TEST(FlowWalk, NodeFlowMatchesTheRecursiveWalkOnAcyclicGraphs) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    auto expected = randomLayeredGraph(seed);
    auto actual = randomLayeredGraph(seed);
    auto* selection = expected->getProperty<tlp::BooleanProperty>("viewSelection");
    // Toggle twice from different stations so that flows meet and get deselected.
    for (unsigned id : {seed % 10, seed % 7 + 3}) {
      tlp::node n(id);
      const bool value = selection->getNodeValue(n);
      recursiveNodeFlow(expected.get(), n, value);
      selectNodeFlow(actual.get(), n, value);
      expectSameSelection(expected.get(), actual.get(), seed);
    }
  }
}

TEST(FlowWalk, EdgeFlowMatchesTheRecursiveWalkOnAcyclicGraphs) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    auto expected = randomLayeredGraph(seed);
    auto actual = randomLayeredGraph(seed);
    if (expected->numberOfEdges() < 2)
      continue;
    auto* selection = expected->getProperty<tlp::BooleanProperty>("viewSelection");
    for (unsigned id : {seed % expected->numberOfEdges(), (seed * 7) % expected->numberOfEdges()}) {
      tlp::edge e(id);
      const bool value = selection->getEdgeValue(e);
      recursiveEdgeFlow(expected.get(), e, value);
      selectEdgeFlow(actual.get(), e, value);
      expectSameSelection(expected.get(), actual.get(), seed);
    }
  }
}

TEST(FlowWalk, CyclesThroughDummyNodesEnd) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  auto* dummies = g->getLocalProperty<tlp::BooleanProperty>("Is Dummy");
  auto* selection = g->getProperty<tlp::BooleanProperty>("viewSelection");
  tlp::node a = g->addNode(), d1 = g->addNode(), d2 = g->addNode(), b = g->addNode();
  dummies->setNodeValue(d1, true);
  dummies->setNodeValue(d2, true);
  tlp::edge into = g->addEdge(a, d1);
  g->addEdge(d1, d2);
  g->addEdge(d2, d1);
  g->addEdge(d2, b);
  tlp::node c = g->addNode();
  tlp::edge last = g->addEdge(b, c);
  g->addEdge(c, b);

  selectNodeFlow(g.get(), a, false);
  EXPECT_TRUE(selection->getNodeValue(b));
  EXPECT_TRUE(selection->getNodeValue(c));
  EXPECT_TRUE(selection->getEdgeValue(last));
  EXPECT_FALSE(selection->getNodeValue(d1));

  selectNodeFlow(g.get(), a, true);
  EXPECT_FALSE(selection->getNodeValue(b));
  EXPECT_FALSE(selection->getNodeValue(c));

  selectEdgeFlow(g.get(), into, false);
  EXPECT_TRUE(selection->getNodeValue(a));
  EXPECT_TRUE(selection->getNodeValue(b));
  EXPECT_TRUE(selection->getNodeValue(c));
  EXPECT_FALSE(selection->getEdgeValue(into));
}

TEST(FlowWalk, LongLinesDoNotExhaustTheStack) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const int length = 300000;
  std::vector<tlp::node> line;
  g->addNodes(length, line);
  for (int i = 0; i + 1 < length; ++i)
    g->addEdge(line[i], line[i + 1]);
  auto* selection = g->getProperty<tlp::BooleanProperty>("viewSelection");

  selectNodeFlow(g.get(), line.front(), false);
  EXPECT_TRUE(selection->getNodeValue(line.back()));
  selectEdgeFlow(g.get(), g->getOutEdges(line.front())->next(), true);
  EXPECT_FALSE(selection->getNodeValue(line.back()));
  EXPECT_TRUE(selection->getNodeValue(line.front()));
}

TEST(FlowWalk, AGraphWithoutColoursHasNoColourList) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  std::vector<tlp::node> nodes;
  g->addNodes(3, nodes);
  std::vector<tlp::node> list{nodes[2]};
  populateColourList(g.get(), 0, list);
  EXPECT_EQ(list, std::vector<tlp::node>{nodes[2]});
  EXPECT_FALSE(g->existProperty("Colour ID"));
}
