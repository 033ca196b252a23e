#ifndef TEXTFERRO_CLUSTERFLOWINTERACTOR_H
#define TEXTFERRO_CLUSTERFLOWINTERACTOR_H

// Event filter on the map view: a middle click toggles the flow of documents
// downstream of a station or an edge, the digit keys give the selected flows a
// path colour, Escape clears the selection. Everything else goes on to the navigators.

#include <tulip/Color.h>
#include <tulip/Edge.h>
#include <tulip/GLInteractor.h>
#include <tulip/Node.h>

#include <vector>

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

// Toggles the flow of the station or edge under the mouse; a click on nothing is ignored.
void handleFlowEvent(tlp::GlMainWidget* glMainWidget, QMouseEvent* qMouseEv);

// Appends, in the graph's node order, every node whose local "Colour ID" equals index.
// A graph without that property has no coloured node.
void populateColourList(tlp::Graph* graph, int index, std::vector<tlp::node>& colourList);

class ClusterFlowInteractor : public tlp::GLInteractorComponent {
  Q_OBJECT

public:
  ~ClusterFlowInteractor() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

  // Colours the selection for a digit key, clears it for Escape. Returns whether the
  // key was one of those; other keys and a view without a graph change nothing.
  bool handleColourEvent(tlp::GlMainWidget* glMainWidget, QKeyEvent* keyEvent);

signals:
  // Every node now carrying the colour index, after a colouring with that index.
  void colourPathsChanged(int tagCloudIndex, tlp::Color tagCloudColour,
                          std::vector<tlp::node> affectedNodes);
  // The nodes a colouring has just taken away from the colour index.
  void changedMembership(int tagCloudIndex, std::vector<tlp::node> affectedNodes);
};

#endif
