#ifndef TEXTFERRO_FERROINTERFACE_H
#define TEXTFERRO_FERROINTERFACE_H

// Controller of the main window: builds the window from its form, shows the
// cluster-flow graph in the OpenGL map view with the program's rendering
// settings and navigators, and owns the tag-cloud matrix and the detail window.

#include "clusterflow/GenClusterMap.h"
#include "ui_FerroInterfaceData.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <tulip/Color.h>
#include <tulip/Node.h>

#include <vector>

class QMainWindow;
class TagCache;
class ClusterFlowInteractor;
class QTagCloud;
class DynamicGraphSmallMultiples;

namespace tlp {
class DataSet;
class GlGraphComposite;
class GlMainWidget;
class Graph;
class MouseNKeysNavigator;
class MousePanNZoomNavigator;
} // namespace tlp


class FerroInterface : public QWidget, public Ui::FerroInterfaceData {
  Q_OBJECT

public:
  // Builds the window's widgets on mainWindow; no graph is shown yet.
  explicit FerroInterface(QMainWindow* mainWindow);
  ~FerroInterface() override;

  // Takes over the graph and the tables published by a successful loadFiles()
  // and shows the graph. Does nothing when no graph has been published.
  void initInterface();

public slots:
  // Shows the combined tags of every node now carrying the colour index in that
  // colour's tag cloud, creating the cloud on first use.
  void handleColourPathsChanged(int tagCloudIndex, tlp::Color tagCloudColour,
                                std::vector<tlp::node> affectedNodes);
  // Removes the tags of nodes that left the colour index from its cloud.
  void handleChangedMembership(int tagCloudIndex, std::vector<tlp::node> affectedNodes);
  // Replaces the detail window with one for the colour index `id`.
  void handleTagCloudClicked(int id);
  // Frequency order when checked, alphabetical order otherwise, in every cloud.
  void handleOrderByFrequencyChecked(bool value);

private:
  friend class TestFerroInterface;

  void qtWidgetConnections();
  // Configures a new cloud for the colour index and enters it into tagCloudHash.
  void initTagCloud(QTagCloud* cloud, int index, tlp::Color& colour);
  // The tag ids of nodes: the tag cloud name followed by each node's file id.
  QStringList tagIds(const std::vector<tlp::node>& nodes) const;

  // Shows graph in view in place of the graph it showed before; the rendering
  // parameters under "displaying" in dataSet, if any, replace the defaults.
  void openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet, tlp::GlMainWidget* view);
  // Frees a graph entity that openGraphOnGlWidget took out of its view.
  void deleteCompositeInfo(tlp::GlGraphComposite* oldComposite);

  ClusterFlowInteractor* flowInteractor;
  tlp::MousePanNZoomNavigator* panAndZoom;
  tlp::MouseNKeysNavigator* keysNav;
  NodeToFileId nodeToFileId;
  TagCache* tagCache;
  QHash<int, QTagCloud*> tagCloudHash;
  QHash<int, QStringList> fileNameHash;
  NodeToCount nodeToNumObjects;
  NodeToCount nodeToNumFeatures;
  DynamicGraphSmallMultiples* detailView;
  int topCount;
  int binCount;
  int minFontSize;
  int maxFontSize;
  QColor backgroundColour;
  QFont textFont;
  QString tagCloudStub;
};

// Rendering settings of the map view: straight-coloured edges with
// interpolated sizes, no arrow heads, antialiasing, node labels; centres the
// scene. The graph is not used.
void setGraphView(tlp::GlMainWidget* view, tlp::Graph* graph);

#endif
