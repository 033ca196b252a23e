#include "interaction/ClusterFlowInteractor.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlMainWidget.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/MutableContainer.h>
#include <tulip/Observable.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include <map>

const tlp::Color idToColour[10] = {
    tlp::Color(37, 89, 193, 255),  tlp::Color(157, 86, 74, 255),  tlp::Color(25, 131, 65, 255),
    tlp::Color(100, 87, 130, 255), tlp::Color(180, 60, 140, 255), tlp::Color(199, 197, 43, 255),
    tlp::Color(5, 199, 215, 255),  tlp::Color(254, 151, 41, 255), tlp::Color(240, 140, 140, 255),
    tlp::Color(0, 0, 0, 255)};

namespace {

const char* const ColourIdName = "Colour ID";

// A flag property the graph may lack; reading it must not add it to the graph.
tlp::BooleanProperty* optionalFlags(tlp::Graph* graph, const std::string& name) {
  if (!graph->existProperty(name))
    return nullptr;
  return dynamic_cast<tlp::BooleanProperty*>(graph->getProperty(name));
}

bool isSet(const tlp::BooleanProperty* flags, tlp::node n) {
  return flags != nullptr && flags->getNodeValue(n);
}

tlp::Graph* shownGraph(tlp::GlMainWidget* glMainWidget) {
  tlp::GlGraphComposite* composite = glMainWidget->getScene()->getGlGraphComposite();
  return composite == nullptr ? nullptr : composite->getInputData()->getGraph();
}

// One station whose outgoing edges are still being walked. The flows are walked
// depth first with an explicit stack, in exactly the order of a recursive walk:
// whether an edge of the edge flow is toggled depends on which branch reached its
// target first, and a long line must not exhaust the call stack.
struct FlowStep {
  tlp::node station;
  std::vector<tlp::edge> outEdges;
  size_t next = 0;
};

std::vector<tlp::edge> outEdgesOf(tlp::Graph* graph, tlp::node n) {
  std::vector<tlp::edge> result;
  for (tlp::edge e : graph->getOutEdges(n))
    result.push_back(e);
  return result;
}

} // namespace

void selectNodeFlow(tlp::Graph* clusterGraph, const tlp::node& n, bool value) {
  tlp::BooleanProperty* selection = clusterGraph->getProperty<tlp::BooleanProperty>("viewSelection");
  const tlp::BooleanProperty* dummies = optionalFlags(clusterGraph, "Is Dummy");
  // Every write of one toggle goes to !value, so walking a station a second time
  // changes nothing; skipping it only ends cycles through dummy nodes.
  tlp::MutableContainer<bool> visited;
  visited.setAll(false);

  std::vector<FlowStep> pending;
  auto enter = [&](tlp::node station) {
    visited.set(station.id, true);
    const bool stationIsDummy = isSet(dummies, station);
    if (!stationIsDummy)
      selection->setNodeValue(station, !value);
    if (value) {
      for (tlp::edge e : clusterGraph->getInEdges(station)) {
        if (!stationIsDummy && !isSet(dummies, clusterGraph->opposite(e, station)))
          selection->setEdgeValue(e, false);
      }
    }
    pending.push_back({station, outEdgesOf(clusterGraph, station)});
  };

  enter(n);
  while (!pending.empty()) {
    FlowStep& step = pending.back();
    if (step.next == step.outEdges.size()) {
      pending.pop_back();
      continue;
    }
    const tlp::edge e = step.outEdges[step.next++];
    const tlp::node d = clusterGraph->opposite(e, step.station);
    const bool dIsDummy = isSet(dummies, d);
    if (!isSet(dummies, step.station) && !dIsDummy)
      selection->setEdgeValue(e, !value);
    if ((selection->getNodeValue(d) == value || dIsDummy) && !visited.get(d.id))
      enter(d);
  }
}

void selectEdgeFlow(tlp::Graph* clusterGraph, const tlp::edge& e, bool value) {
  tlp::BooleanProperty* selection = clusterGraph->getProperty<tlp::BooleanProperty>("viewSelection");
  const tlp::BooleanProperty* dummies = optionalFlags(clusterGraph, "Is Dummy");
  // As in selectNodeFlow, a second walk of an edge would change nothing.
  tlp::MutableContainer<bool> visited;
  visited.setAll(false);

  std::vector<FlowStep> pending;
  auto enter = [&](tlp::edge flowEdge) {
    visited.set(flowEdge.id, true);
    const tlp::node source = clusterGraph->source(flowEdge);
    const tlp::node target = clusterGraph->target(flowEdge);
    const bool sourceIsDummy = isSet(dummies, source);
    const bool targetIsDummy = isSet(dummies, target);
    if (!sourceIsDummy && !targetIsDummy)
      selection->setEdgeValue(flowEdge, !value);
    if (!value && !sourceIsDummy)
      selection->setNodeValue(source, true);
    if (!targetIsDummy)
      selection->setNodeValue(target, !value);
    pending.push_back({target, outEdgesOf(clusterGraph, target)});
  };

  enter(e);
  while (!pending.empty()) {
    FlowStep& step = pending.back();
    if (step.next == step.outEdges.size()) {
      pending.pop_back();
      continue;
    }
    const tlp::edge e2 = step.outEdges[step.next++];
    const tlp::node d = clusterGraph->opposite(e2, step.station);
    if ((selection->getNodeValue(d) == value || isSet(dummies, d)) && !visited.get(e2.id))
      enter(e2);
  }
}

void handleFlowEvent(tlp::GlMainWidget* glMainWidget, QMouseEvent* qMouseEv) {
  tlp::SelectedEntity picked;
  if (!glMainWidget->pickNodesEdges(qMouseEv->x(), qMouseEv->y(), picked))
    return;
  tlp::Graph* graph = shownGraph(glMainWidget);
  if (graph == nullptr)
    return;

  tlp::Observable::holdObservers();
  tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  graph->push(true);
  if (picked.getEntityType() == tlp::SelectedEntity::EDGE_SELECTED) {
    const tlp::edge e = picked.getEdge();
    selectEdgeFlow(graph, e, selection->getEdgeValue(e));
  } else if (picked.getEntityType() == tlp::SelectedEntity::NODE_SELECTED) {
    const tlp::node n = picked.getNode();
    selectNodeFlow(graph, n, selection->getNodeValue(n));
  }
  tlp::Observable::unholdObservers();
  glMainWidget->draw(true);
}

void populateColourList(tlp::Graph* graph, int index, std::vector<tlp::node>& colourList) {
  // Asking for a missing local property would create one whose default, 0, is a
  // colour index: every node would seem to carry colour 0.
  if (!graph->existLocalProperty(ColourIdName))
    return;
  const tlp::IntegerProperty* colourIds = graph->getLocalProperty<tlp::IntegerProperty>(ColourIdName);
  for (tlp::node n : graph->nodes()) {
    if (colourIds->getNodeValue(n) == index)
      colourList.push_back(n);
  }
}

ClusterFlowInteractor::~ClusterFlowInteractor() = default;

bool ClusterFlowInteractor::eventFilter(QObject* watched, QEvent* event) {
  auto* glMainWidget = qobject_cast<tlp::GlMainWidget*>(watched);
  if (glMainWidget == nullptr)
    return false;
  if (event->type() == QEvent::MouseButtonPress) {
    auto* mouseEvent = static_cast<QMouseEvent*>(event);
    if (mouseEvent->buttons() == Qt::MiddleButton) {
      handleFlowEvent(glMainWidget, mouseEvent);
      return true;
    }
    return false;
  }
  if (event->type() == QEvent::KeyPress)
    return handleColourEvent(glMainWidget, static_cast<QKeyEvent*>(event));
  return false;
}

bool ClusterFlowInteractor::handleColourEvent(tlp::GlMainWidget* glMainWidget, QKeyEvent* keyEvent) {
  tlp::Graph* graph = shownGraph(glMainWidget);
  if (graph == nullptr)
    return false;
  tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");

  const int key = keyEvent->key();
  if (key < Qt::Key_0 || key > Qt::Key_9) {
    if (key != Qt::Key_Escape)
      return false;
    selection->setAllNodeValue(false);
    selection->setAllEdgeValue(false);
    glMainWidget->draw(true);
    return true;
  }
  const int index = key - Qt::Key_0;

  const tlp::BooleanProperty* majorStations = optionalFlags(graph, "Is Major Station");
  const tlp::BooleanProperty* dummies = optionalFlags(graph, "Is Dummy");
  // The colours are kept locally so that a view of a subgraph never reads an
  // ancestor's colours as its own; a fresh one must say "no colour" everywhere.
  if (!graph->existLocalProperty(ColourIdName)) {
    tlp::IntegerProperty* created = graph->getLocalProperty<tlp::IntegerProperty>(ColourIdName);
    created->setAllNodeValue(-1);
    created->setAllEdgeValue(-1);
  }
  tlp::IntegerProperty* colourIds = graph->getLocalProperty<tlp::IntegerProperty>(ColourIdName);
  tlp::ColorProperty* borderColours = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
  tlp::ColorProperty* fillColours = graph->getProperty<tlp::ColorProperty>("viewColor");
  const tlp::Color flowColour = idToColour[index];

  std::map<int, std::vector<tlp::node>> leftColours;
  for (tlp::node n : graph->nodes()) {
    if (!selection->getNodeValue(n) || isSet(dummies, n))
      continue;
    borderColours->setNodeValue(n, flowColour);
    if (!isSet(majorStations, n))
      fillColours->setNodeValue(n, flowColour);
    const int oldIndex = colourIds->getNodeValue(n);
    if (oldIndex >= 0)
      leftColours[oldIndex].push_back(n);
    colourIds->setNodeValue(n, index);
  }
  for (tlp::edge e : graph->edges()) {
    if (!selection->getEdgeValue(e))
      continue;
    tlp::Color edgeColour = flowColour;
    edgeColour.setA(fillColours->getEdgeValue(e).getA());
    borderColours->setEdgeValue(e, edgeColour);
    fillColours->setEdgeValue(e, edgeColour);
    colourIds->setEdgeValue(e, index);
  }

  std::vector<tlp::node> members;
  populateColourList(graph, index, members);
  emit colourPathsChanged(index, flowColour, members);
  for (const auto& [oldIndex, nodes] : leftColours)
    emit changedMembership(oldIndex, nodes);

  selection->setAllNodeValue(false);
  selection->setAllEdgeValue(false);
  glMainWidget->draw(true);
  return true;
}
