#ifndef TEXTFERRO_DAGLEVELMETRIC_H
#define TEXTFERRO_DAGLEVELMETRIC_H

// "Dag Level": gives every node of an acyclic directed graph its level, the length
// of the longest path from a source to it, with the graph library's DAG level
// routine. No parameters. Fails on a graph with a directed cycle.

#include <tulip/PropertyAlgorithm.h>

class DagLevelMetric : public tlp::DoubleAlgorithm {
public:
  PLUGININFORMATION("Dag Level", "TextFerro", "10/03/2000", "Alpha", "1.0", "Tree")

  DagLevelMetric(const tlp::PluginContext* context);

  bool check(std::string& errorMsg) override;
  bool run() override;
};

#endif
