#include "hierarchy/DagLevelMetric.h"

#include "hierarchy/AlgorithmFactory.h"

#include <tulip/AcyclicTest.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GraphMeasure.h>

class DagLevelMetricDoubleFactory : public AlgorithmFactory<DagLevelMetric> {};
static DagLevelMetricDoubleFactory DagLevelMetricDoubleFactoryInitializer;

DagLevelMetric::DagLevelMetric(const tlp::PluginContext* context)
    : tlp::DoubleAlgorithm(context) {}

bool DagLevelMetric::check(std::string& errorMsg) {
  if (tlp::AcyclicTest::isAcyclic(graph)) {
    errorMsg = "";
    return true;
  }
  errorMsg = "The Graph must be a acylic";
  return false;
}

bool DagLevelMetric::run() {
  tlp::NodeStaticProperty<unsigned int> level(graph);
  tlp::dagLevel(graph, level);
  level.copyToProperty(result);
  return true;
}
