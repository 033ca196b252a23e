// The "Dag Level" metric as callers reach it: by name through the plug-in framework.

#include "HierarchyTestTools.h"
#include "hierarchy/DagLevelMetric.h"

#include <gtest/gtest.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/PluginLister.h>
#include <tulip/PropertyAlgorithm.h>

#include <memory>

namespace {

TEST(DagLevel, IsRegisteredWithItsMetadata) {
  ASSERT_TRUE(tlp::PluginLister::pluginExists<tlp::DoubleAlgorithm>("Dag Level"));
  const tlp::Plugin& info = tlp::PluginLister::pluginInformation("Dag Level");
  EXPECT_EQ(info.group(), "Tree");
  EXPECT_EQ(info.date(), "10/03/2000");
  EXPECT_EQ(info.info(), "Alpha");
  EXPECT_EQ(info.release(), "1.0");
  for (const tlp::ParameterDescription& parameter : info.getParameters().getParameters())
    EXPECT_EQ(parameter.getName(), "result");
}

TEST(DagLevel, GivesLongestPathLevelsAndLeavesTheGraphAlone) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  const tlp::node a = graph->addNode(), b = graph->addNode(), c = graph->addNode();
  const tlp::node lone = graph->addNode(), d = graph->addNode(), e = graph->addNode();
  graph->addEdge(a, b);
  graph->addEdge(a, c);
  graph->addEdge(b, c);
  graph->addEdge(d, e);
  const GraphSnapshot before(graph.get());

  tlp::DoubleProperty level(graph.get());
  std::string error;
  ASSERT_TRUE(graph->applyPropertyAlgorithm("Dag Level", &level, error)) << error;
  EXPECT_EQ(level.getNodeValue(a), 0);
  EXPECT_EQ(level.getNodeValue(b), 1);
  EXPECT_EQ(level.getNodeValue(c), 2);
  EXPECT_EQ(level.getNodeValue(lone), 0);
  EXPECT_EQ(level.getNodeValue(d), 0);
  EXPECT_EQ(level.getNodeValue(e), 1);
  EXPECT_TRUE(GraphSnapshot(graph.get()) == before);
}

TEST(DagLevel, RefusesADirectedCycleAndAcceptsAnEmptyGraph) {
  // The framework refuses empty graphs itself, so the check is called directly.
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  tlp::DoubleProperty level(graph.get());
  tlp::AlgorithmContext context(graph.get(), nullptr, nullptr);
  DagLevelMetric metric(&context);
  std::string error = "stale";
  EXPECT_TRUE(metric.check(error));
  EXPECT_EQ(error, "");

  const tlp::node a = graph->addNode(), b = graph->addNode(), c = graph->addNode();
  graph->addEdge(a, b);
  graph->addEdge(b, c);
  graph->addEdge(c, a);
  EXPECT_FALSE(graph->applyPropertyAlgorithm("Dag Level", &level, error));
  EXPECT_EQ(error, "The Graph must be a acylic");
}

} // namespace
