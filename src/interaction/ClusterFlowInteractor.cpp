#include "interaction/ClusterFlowInteractor.h"

#include "interaction/EditHistory.h"
#include "interaction/MapGlWidget.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlMainWidget.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/Observable.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <optional>
#include <utility>

const tlp::Color idToColour[10] = {tlp::Color(37, 89, 193, 255),   tlp::Color(157, 86, 74, 255),
                                   tlp::Color(25, 131, 65, 255),   tlp::Color(100, 87, 130, 255),
                                   tlp::Color(180, 60, 140, 255),  tlp::Color(199, 197, 43, 255),
                                   tlp::Color(5, 199, 215, 255),   tlp::Color(254, 151, 41, 255),
                                   tlp::Color(240, 140, 140, 255), tlp::Color(0, 0, 0, 255)};

namespace {

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
  size_t firstEdge; // where the station's edges start in FlowWalk::outEdges
  size_t next;
};

// The stack of a walk. The stations' outgoing edges share one buffer, which grows
// and shrinks with the stack, so that a station costs no allocation of its own.
class FlowWalk {
public:
  void push(tlp::Graph* graph, tlp::node station) {
    const size_t first = outEdges.size();
    for (tlp::edge e : graph->getOutEdges(station))
      outEdges.push_back(e);
    steps.push_back({station, first, first});
  }

  // The next edge to follow and the station it leaves; false once the walk is over.
  bool next(tlp::node& station, tlp::edge& e) {
    while (!steps.empty()) {
      FlowStep& step = steps.back();
      if (step.next < outEdges.size()) {
        station = step.station;
        e = outEdges[step.next++];
        return true;
      }
      outEdges.resize(step.firstEdge);
      steps.pop_back();
    }
    return false;
  }

private:
  std::vector<FlowStep> steps;
  std::vector<tlp::edge> outEdges;
};

// Marks the nodes or edges of one graph by id.
class Marks {
public:
  template <typename Elements> explicit Marks(const Elements& elements) {
    unsigned int largest = 0;
    for (auto element : elements)
      largest = std::max(largest, element.id);
    marked.assign(size_t(largest) + 1, false);
  }
  bool isMarked(unsigned int id) const { return marked[id]; }
  void mark(unsigned int id) { marked[id] = true; }

private:
  std::vector<bool> marked;
};

} // namespace

void selectNodeFlow(tlp::Graph* clusterGraph, const tlp::node& n, bool value) {
  if (!clusterGraph->isElement(n))
    return;
  tlp::BooleanProperty* selection =
      clusterGraph->getProperty<tlp::BooleanProperty>("viewSelection");
  const tlp::BooleanProperty* dummies = optionalFlags(clusterGraph, "Is Dummy");
  // Every write of one toggle goes to !value, so walking a station a second time
  // changes nothing; skipping it only ends cycles through dummy nodes.
  Marks visited(clusterGraph->nodes());
  FlowWalk walk;
  auto enter = [&](tlp::node station) {
    visited.mark(station.id);
    const bool stationIsDummy = isSet(dummies, station);
    if (!stationIsDummy)
      selection->setNodeValue(station, !value);
    if (value && !stationIsDummy) {
      for (tlp::edge e : clusterGraph->getInEdges(station)) {
        if (!isSet(dummies, clusterGraph->opposite(e, station)))
          selection->setEdgeValue(e, false);
      }
    }
    walk.push(clusterGraph, station);
  };

  enter(n);
  tlp::node station;
  tlp::edge e;
  while (walk.next(station, e)) {
    const tlp::node d = clusterGraph->opposite(e, station);
    const bool dIsDummy = isSet(dummies, d);
    if (!isSet(dummies, station) && !dIsDummy)
      selection->setEdgeValue(e, !value);
    if ((selection->getNodeValue(d) == value || dIsDummy) && !visited.isMarked(d.id))
      enter(d);
  }
}

void selectEdgeFlow(tlp::Graph* clusterGraph, const tlp::edge& e, bool value) {
  if (!clusterGraph->isElement(e))
    return;
  tlp::BooleanProperty* selection =
      clusterGraph->getProperty<tlp::BooleanProperty>("viewSelection");
  const tlp::BooleanProperty* dummies = optionalFlags(clusterGraph, "Is Dummy");
  // As in selectNodeFlow, a second walk of an edge would change nothing.
  Marks visited(clusterGraph->edges());
  FlowWalk walk;
  auto enter = [&](tlp::edge flowEdge) {
    visited.mark(flowEdge.id);
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
    walk.push(clusterGraph, target);
  };

  enter(e);
  tlp::node station;
  tlp::edge e2;
  while (walk.next(station, e2)) {
    const tlp::node d = clusterGraph->opposite(e2, station);
    if ((selection->getNodeValue(d) == value || isSet(dummies, d)) && !visited.isMarked(e2.id))
      enter(e2);
  }
}

bool handleFlowEvent(tlp::GlMainWidget* glMainWidget, QMouseEvent* qMouseEv,
                     std::optional<MapEdit>* edit) {
  tlp::SelectedEntity picked;
  if (!pickElement(glMainWidget, qMouseEv->x(), qMouseEv->y(), picked))
    return false;
  tlp::Graph* graph = shownGraph(glMainWidget);
  if (graph == nullptr)
    return false;

  if (edit != nullptr)
    edit->emplace(graph);
  tlp::Observable::holdObservers();
  tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  if (picked.getEntityType() == tlp::SelectedEntity::EDGE_SELECTED) {
    const tlp::edge e = picked.getEdge();
    selectEdgeFlow(graph, e, selection->getEdgeValue(e));
  } else if (picked.getEntityType() == tlp::SelectedEntity::NODE_SELECTED) {
    const tlp::node n = picked.getNode();
    selectNodeFlow(graph, n, selection->getNodeValue(n));
  }
  tlp::Observable::unholdObservers();
  requestDraw(glMainWidget);
  return true;
}

void populateColourList(tlp::Graph* graph, int index, std::vector<tlp::node>& colourList) {
  // Asking for a missing local property would create one whose default, 0, is a
  // colour index: every node would seem to carry colour 0.
  if (!graph->existLocalProperty("Colour ID"))
    return;
  const tlp::IntegerProperty* colourIds =
      graph->getLocalProperty<tlp::IntegerProperty>("Colour ID");
  for (tlp::node n : graph->nodes()) {
    if (colourIds->getNodeValue(n) == index)
      colourList.push_back(n);
  }
}

bool hasSomethingToColour(tlp::Graph* graph) {
  const tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  const tlp::BooleanProperty* dummies = optionalFlags(graph, "Is Dummy");
  for (tlp::node n : graph->nodes())
    if (selection->getNodeValue(n) && !isSet(dummies, n))
      return true;
  for (tlp::edge e : graph->edges())
    if (selection->getEdgeValue(e))
      return true;
  return false;
}

ColourMoves colourSelection(tlp::Graph* graph, int index) {
  const tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  const tlp::BooleanProperty* majorStations = optionalFlags(graph, "Is Major Station");
  const tlp::BooleanProperty* dummies = optionalFlags(graph, "Is Dummy");
  // Colours live in the graph's own "Colour ID": a view of a subgraph must not take
  // an ancestor's for its own.
  tlp::IntegerProperty* colourIds = pathColourIds(graph);
  tlp::ColorProperty* borderColours = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
  tlp::ColorProperty* fillColours = graph->getProperty<tlp::ColorProperty>("viewColor");
  const tlp::Color flowColour = idToColour[index];

  ColourMoves moves;
  for (tlp::node n : graph->nodes()) {
    if (!selection->getNodeValue(n) || isSet(dummies, n))
      continue;
    borderColours->setNodeValue(n, flowColour);
    if (!isSet(majorStations, n))
      fillColours->setNodeValue(n, flowColour);
    const int oldIndex = colourIds->getNodeValue(n);
    // A station that keeps its colour stays in that colour's cloud.
    if (oldIndex >= 0 && oldIndex != index)
      moves[oldIndex].push_back(n);
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
  return moves;
}

void clearSelection(tlp::Graph* graph) {
  tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  selection->setAllNodeValue(false);
  selection->setAllEdgeValue(false);
}

ClusterFlowInteractor::~ClusterFlowInteractor() = default;

bool ClusterFlowInteractor::eventFilter(QObject* watched, QEvent* event) {
  auto* glMainWidget = qobject_cast<tlp::GlMainWidget*>(watched);
  if (glMainWidget == nullptr)
    return false;
  if (event->type() == QEvent::MouseButtonPress) {
    auto* mouseEvent = static_cast<QMouseEvent*>(event);
    if (mouseEvent->buttons() == Qt::MiddleButton) {
      std::optional<MapEdit> edit;
      if (handleFlowEvent(glMainWidget, mouseEvent, history != nullptr ? &edit : nullptr))
        record(edit);
      return true;
    }
    return false;
  }
  if (event->type() == QEvent::KeyPress)
    return handleColourEvent(glMainWidget, static_cast<QKeyEvent*>(event));
  return false;
}

void ClusterFlowInteractor::setEditHistory(EditHistory* newHistory) {
  history = newHistory;
}

bool ClusterFlowInteractor::handleColourEvent(tlp::GlMainWidget* glMainWidget,
                                              QKeyEvent* keyEvent) {
  tlp::Graph* graph = shownGraph(glMainWidget);
  if (graph == nullptr)
    return false;
  const int key = keyEvent->key();
  const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
  if (!digit && key != Qt::Key_Escape)
    return false;
  // With nothing to colour a digit changes nothing: it would only announce a colour
  // that may have no station, and so an empty cloud.
  if (digit && !hasSomethingToColour(graph))
    return true;

  std::optional<MapEdit> edit;
  if (history != nullptr)
    edit.emplace(graph);
  if (digit) {
    const int index = key - Qt::Key_0;
    if (edit)
      edit->watchColoursOfSelection();
    const ColourMoves moves = colourSelection(graph, index);
    std::vector<tlp::node> members;
    populateColourList(graph, index, members);
    emit colourPathsChanged(index, idToColour[index], members);
    for (const auto& [oldIndex, nodes] : moves)
      emit changedMembership(oldIndex, nodes);
  }
  clearSelection(graph);
  record(edit);
  requestDraw(glMainWidget);
  return true;
}

void ClusterFlowInteractor::record(std::optional<MapEdit>& edit) {
  if (edit && edit->finish()) {
    history->add(std::move(*edit));
    emit edited();
  }
}
