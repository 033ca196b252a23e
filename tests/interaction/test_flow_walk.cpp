// The flow walks on graphs without a view: they must give the results of the plain
// recursive walk on acyclic graphs, end on cyclic ones and survive long lines.

#include "interaction/ClusterFlowInteractor.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

tlp::BooleanProperty* sel(tlp::Graph* g) {
  return g->getProperty<tlp::BooleanProperty>("viewSelection");
}
tlp::BooleanProperty* dummy(tlp::Graph* g) {
  return g->getProperty<tlp::BooleanProperty>("Is Dummy");
}

// The walks as first described, recursion and all; only safe on acyclic graphs.
void recursiveNodeFlow(tlp::Graph* g, tlp::node n, bool value) {
  auto *s = sel(g), *d = dummy(g);
  if (!d->getNodeValue(n))
    s->setNodeValue(n, !value);
  for (tlp::edge e : g->getInEdges(n))
    if (value && !d->getNodeValue(n) && !d->getNodeValue(g->opposite(e, n)))
      s->setEdgeValue(e, false);
  for (tlp::edge e : g->getOutEdges(n)) {
    tlp::node t = g->opposite(e, n);
    if (!d->getNodeValue(n) && !d->getNodeValue(t))
      s->setEdgeValue(e, !value);
    if (s->getNodeValue(t) == value || d->getNodeValue(t))
      recursiveNodeFlow(g, t, value);
  }
}

void recursiveEdgeFlow(tlp::Graph* g, tlp::edge e, bool value) {
  auto *s = sel(g), *d = dummy(g);
  const auto [src, t] = g->ends(e);
  if (!d->getNodeValue(src) && !d->getNodeValue(t))
    s->setEdgeValue(e, !value);
  if (!value && !d->getNodeValue(src))
    s->setNodeValue(src, true);
  if (!d->getNodeValue(t))
    s->setNodeValue(t, !value);
  for (tlp::edge next : g->getOutEdges(t))
    if (s->getNodeValue(g->target(next)) == value || d->getNodeValue(g->target(next)))
      recursiveEdgeFlow(g, next, value);
}

// A layered random graph with dummy nodes, parallel edges, edges that skip layers
// and a random selection, the same for the same seed.
std::unique_ptr<tlp::Graph> randomLayeredGraph(unsigned seed) {
  std::mt19937 random(seed);
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  const int layers = 6, width = 5;
  std::vector<tlp::node> nodes;
  g->addNodes(layers * width, nodes);
  for (tlp::node n : nodes) {
    dummy(g.get())->setNodeValue(n, random() % 3 == 0);
    sel(g.get())->setNodeValue(n, random() % 4 == 0);
  }
  for (int layer = 0; layer + 1 < layers; ++layer)
    for (int i = 0; i < width; ++i)
      for (int k = random() % 4; k > 0; --k) {
        const int toLayer = layer + 1 + (random() % 5 == 0 && layer + 2 < layers ? 1 : 0);
        sel(g.get())->setEdgeValue(
            g->addEdge(nodes[layer * width + i], nodes[toLayer * width + random() % width]),
            random() % 4 == 0);
      }
  return g;
}

TEST(FlowWalk, MatchesTheRecursiveWalkOnAcyclicGraphs) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    for (bool byEdge : {false, true}) {
      auto expected = randomLayeredGraph(seed), actual = randomLayeredGraph(seed);
      const unsigned edges = expected->numberOfEdges();
      if (byEdge && edges < 2)
        continue;
      // Toggle twice from different places so that flows meet and get deselected.
      for (unsigned id :
           {byEdge ? seed % edges : seed % 10, byEdge ? (seed * 7) % edges : seed % 7 + 3}) {
        if (byEdge) {
          const bool value = sel(expected.get())->getEdgeValue(tlp::edge(id));
          recursiveEdgeFlow(expected.get(), tlp::edge(id), value);
          selectEdgeFlow(actual.get(), tlp::edge(id), value);
        } else {
          const bool value = sel(expected.get())->getNodeValue(tlp::node(id));
          recursiveNodeFlow(expected.get(), tlp::node(id), value);
          selectNodeFlow(actual.get(), tlp::node(id), value);
        }
        for (tlp::node n : expected->nodes())
          ASSERT_EQ(sel(expected.get())->getNodeValue(n), sel(actual.get())->getNodeValue(n))
              << "seed " << seed << " node " << n.id;
        for (tlp::edge e : expected->edges())
          ASSERT_EQ(sel(expected.get())->getEdgeValue(e), sel(actual.get())->getEdgeValue(e))
              << "seed " << seed << " edge " << e.id;
      }
    }
  }
}

TEST(FlowWalk, CyclesThroughDummyNodesEnd) {
  // a -> d1 <-> d2 -> b <-> c with d1 and d2 dummies.
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  std::vector<tlp::node> n;
  g->addNodes(5, n);
  dummy(g.get())->setNodeValue(n[1], true);
  dummy(g.get())->setNodeValue(n[2], true);
  const tlp::edge into = g->addEdge(n[0], n[1]);
  g->addEdges({{n[1], n[2]}, {n[2], n[1]}, {n[2], n[3]}});
  const tlp::edge last = g->addEdge(n[3], n[4]);
  g->addEdge(n[4], n[3]);
  auto selected = [&] {
    return std::vector<bool>{sel(g.get())->getNodeValue(n[3]), sel(g.get())->getNodeValue(n[4]),
                             sel(g.get())->getNodeValue(n[1]), sel(g.get())->getEdgeValue(last)};
  };
  selectNodeFlow(g.get(), n[0], false);
  EXPECT_EQ(selected(), (std::vector<bool>{true, true, false, true}));
  selectNodeFlow(g.get(), n[0], true);
  EXPECT_EQ(selected(), (std::vector<bool>{false, false, false, false}));
  selectEdgeFlow(g.get(), into, false);
  EXPECT_EQ(selected(), (std::vector<bool>{true, true, false, true}));
  EXPECT_TRUE(sel(g.get())->getNodeValue(n[0]));
}

TEST(FlowWalk, LongLinesDoNotExhaustTheStackAndNoColoursGiveNoColourList) {
  std::unique_ptr<tlp::Graph> g(tlp::newGraph());
  std::vector<tlp::node> line;
  g->addNodes(300000, line);
  for (size_t i = 0; i + 1 < line.size(); ++i)
    g->addEdge(line[i], line[i + 1]);
  selectNodeFlow(g.get(), line.front(), false);
  EXPECT_TRUE(sel(g.get())->getNodeValue(line.back()));
  selectEdgeFlow(g.get(), g->getOutEdges(line.front())->next(), true);
  EXPECT_FALSE(sel(g.get())->getNodeValue(line.back()));

  std::vector<tlp::node> list{line[2]};
  populateColourList(g.get(), 0, list);
  EXPECT_EQ(list, std::vector<tlp::node>{line[2]});
  EXPECT_FALSE(g->existProperty("Colour ID"));
}

} // namespace
