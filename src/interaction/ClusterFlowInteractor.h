#ifndef TEXTFERRO_CLUSTERFLOWINTERACTOR_H
#define TEXTFERRO_CLUSTERFLOWINTERACTOR_H

// Event filter on the map view: a middle click toggles the flow of documents
// downstream of a station or an edge, the digit keys give the selected flows a
// path colour, Escape clears the selection. Everything else goes on to the navigators.

#include "interaction/MapEdit.h"

#include <tulip/Color.h>
#include <tulip/Edge.h>
#include <tulip/GLInteractor.h>
#include <tulip/Node.h>

#include <map>
#include <optional>
#include <vector>

class EditHistory;
class QKeyEvent;
class QMouseEvent;

namespace tlp {
class GlMainWidget;
class Graph;
} // namespace tlp

// The ten path colours, indexed by the digit key that chooses them.
extern const tlp::Color idToColour[10];

// Toggles the flow starting at station n: value is the selection state n had
// before the click. Dummy nodes are never selected but the flow passes through them.
void selectNodeFlow(tlp::Graph* clusterGraph, const tlp::node& n, bool value);

// Toggles the flow starting at edge e: value is the selection state e had before
// the click. Deselecting keeps the edge's source selected.
void selectEdgeFlow(tlp::Graph* clusterGraph, const tlp::edge& e, bool value);

// Toggles the flow of the station or edge under the mouse and records the change in
// `edit` when one is given. A click on nothing is ignored: returns false.
bool handleFlowEvent(tlp::GlMainWidget* glMainWidget, QMouseEvent* qMouseEv,
                     std::optional<MapEdit>* edit = nullptr);

// Appends, in the graph's node order, every node whose local "Colour ID" equals index.
// A graph without that property has no coloured node.
void populateColourList(tlp::Graph* graph, int index, std::vector<tlp::node>& colourList);

// Whether a colouring would change anything: a selected station or edge.
bool hasSomethingToColour(tlp::Graph* graph);

// The stations a colouring took from each other colour, by ascending colour index.
using ColourMoves = std::map<int, std::vector<tlp::node>>;

// Gives the selected stations and edges the colour index and its palette colour:
// major stations keep their fill, edges their alpha, dummy nodes everything. The
// selection stays. Returns the stations that left another colour.
ColourMoves colourSelection(tlp::Graph* graph, int index);

void clearSelection(tlp::Graph* graph);

class ClusterFlowInteractor : public tlp::GLInteractorComponent {
  Q_OBJECT

public:
  ~ClusterFlowInteractor() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

  // Colours the selection for a digit key, clears it for Escape. Returns whether the
  // key was one of those; other keys, a view without a graph and a digit with nothing
  // selected change nothing.
  bool handleColourEvent(tlp::GlMainWidget* glMainWidget, QKeyEvent* keyEvent);

  // Where toggles, colourings and cleared selections are recorded for undo; not
  // owned, null (the default) records nothing.
  void setEditHistory(EditHistory* newHistory);

signals:
  // Every node now carrying the colour index, after a colouring with that index.
  void colourPathsChanged(int tagCloudIndex, tlp::Color tagCloudColour,
                          std::vector<tlp::node> affectedNodes);
  // The nodes a colouring has just taken away from the colour index.
  void changedMembership(int tagCloudIndex, std::vector<tlp::node> affectedNodes);
  // A step was added to the edit history.
  void edited();

private:
  // Adds a finished edit that changed something to the history.
  void record(std::optional<MapEdit>& edit);

  EditHistory* history = nullptr;
};

#endif
