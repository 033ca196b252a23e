// The hierarchy plug-ins as callers reach them: by name through the plug-in
// framework, and the "Dag Level" metric.

#include "HierarchyTestTools.h"
#include "hierarchy/DagLevelMetric.h"

#include <gtest/gtest.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/PluginLister.h>
#include <tulip/PropertyAlgorithm.h>

#include <memory>

namespace {

TEST(HierarchyPlugins, AreFoundByNameWithTheirParametersInOrder) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> table{
      {"Dag Level", {}},
      {"Hierarchical Tree (R-T Extended)",
       {"node size", "edge length", "orientation", "orthogonal", "layer spacing",
        "node spacing", "bounding circles"}}};
  for (const auto& [name, parameters] : table) {
    ASSERT_TRUE(tlp::PluginLister::pluginExists(name)) << name;
    EXPECT_EQ(tlp::PluginLister::pluginInformation(name).group(), "Tree") << name;
    // The framework adds the "result" parameter itself.
    std::vector<std::string> names;
    for (const tlp::ParameterDescription& p :
         tlp::PluginLister::getPluginParameters(name).getParameters())
      if (p.getName() != "result")
        names.push_back(p.getName());
    EXPECT_EQ(names, parameters) << name;
  }
}

TEST(DagLevel, GivesLongestPathLevelsLeavesTheGraphAloneAndRefusesCycles) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  // The framework refuses empty graphs itself, so the check is called directly.
  tlp::AlgorithmContext context(graph.get(), nullptr, nullptr);
  std::string error = "stale";
  EXPECT_TRUE(DagLevelMetric(&context).check(error));
  EXPECT_EQ(error, "");

  std::vector<tlp::node> n;
  graph->addNodes(6, n); // n[3] stays alone
  graph->addEdges({{n[0], n[1]}, {n[0], n[2]}, {n[1], n[2]}, {n[4], n[5]}});
  const GraphSnapshot before(graph.get());
  tlp::DoubleProperty level(graph.get());
  ASSERT_TRUE(graph->applyPropertyAlgorithm("Dag Level", &level, error)) << error;
  const std::vector<double> expected{0, 1, 2, 0, 0, 1};
  for (unsigned int i = 0; i < n.size(); ++i)
    EXPECT_EQ(level.getNodeValue(n[i]), expected[i]) << i;
  EXPECT_TRUE(GraphSnapshot(graph.get()) == before);

  graph->addEdge(n[2], n[0]);
  EXPECT_FALSE(graph->applyPropertyAlgorithm("Dag Level", &level, error));
  EXPECT_EQ(error, "The Graph must be a acylic");
}

} // namespace
