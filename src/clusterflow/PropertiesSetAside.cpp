#include "clusterflow/PropertiesSetAside.h"

#include <tulip/Graph.h>
#include <tulip/PropertyInterface.h>

PropertiesSetAside::PropertiesSetAside(tlp::Graph* graph, std::size_t deletions) : graph_(graph) {
  std::vector<tlp::PropertyInterface*> properties;
  for (tlp::PropertyInterface* property : graph->getLocalObjectProperties()) {
    const std::size_t values = std::size_t(property->numberOfNonDefaultValuatedNodes()) +
                               property->numberOfNonDefaultValuatedEdges();
    if (2 * values < deletions)
      properties.push_back(property);
  }
  for (tlp::PropertyInterface* property : properties) {
    const std::string name = property->getName();
    // An empty name makes the twin unregistered; it keeps the defaults and the
    // calculator of meta values.
    tlp::PropertyInterface* twin = property->clonePrototype(graph, "");
    twin->copy(property);
    twin->setMetaValueCalculator(property->getMetaValueCalculator());
    graph->delLocalProperty(name);
    aside_.push_back({name, twin, twin->numberOfNonDefaultValuatedEdges() > 0});
  }
}

PropertiesSetAside::~PropertiesSetAside() {
  for (const Entry& entry : aside_) {
    tlp::PropertyInterface* property = entry.twin->clonePrototype(graph_, entry.name);
    // An unregistered property hands over the values of the graph's elements only.
    property->copy(entry.twin);
    property->setMetaValueCalculator(entry.twin->getMetaValueCalculator());
    delete entry.twin;
  }
}

void PropertiesSetAside::resetEdge(tlp::edge e) {
  for (const Entry& entry : aside_)
    if (entry.mayHoldEdgeValues)
      entry.twin->erase(e);
}

tlp::PropertyInterface* PropertiesSetAside::find(const std::string& name) {
  for (Entry& entry : aside_)
    if (entry.name == name) {
      entry.mayHoldEdgeValues = true;
      return entry.twin;
    }
  return nullptr;
}
