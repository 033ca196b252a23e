#ifndef TEXTFERRO_FERROINTERFACE_H
#define TEXTFERRO_FERROINTERFACE_H

// Controller of the main window: builds the window from its form, shows the
// cluster-flow graph in the OpenGL map view with the program's rendering
// settings and navigators, and owns the tag-cloud matrix, the detail window and
// the history of the map's edits (undo and redo).

#include "clusterflow/GenClusterMap.h"
#include "interaction/EditHistory.h"
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
class MapNavigator;
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

  // Writes the map as now drawn, path colours included, as SVG or PNG by the
  // suffix of path. Returns false with a message in error when it cannot.
  bool exportMapTo(const QString& path, QString& error);

public slots:
  // Shows the combined tags of every node now carrying the colour index in that
  // colour's tag cloud, creating the cloud on first use in the first free place; a
  // colour without nodes loses its cloud, and the other clouds keep their places.
  // An open detail window of the colour is rebuilt, or closed when it has no node.
  void handleColourPathsChanged(int tagCloudIndex, tlp::Color tagCloudColour,
                                std::vector<tlp::node> affectedNodes);
  // Removes the tags of nodes that left the colour index from its cloud, as above.
  void handleChangedMembership(int tagCloudIndex, std::vector<tlp::node> affectedNodes);
  // Shows the detail window for the colour index `id`.
  void handleTagCloudClicked(int id);
  // Frequency order when checked, alphabetical order otherwise, in every cloud.
  void handleOrderByFrequencyChecked(bool value);
  // Undo and redo the last edit of the map; the clouds and the detail window follow.
  void handleUndo();
  void handleRedo();
  // Shows the whole map.
  void handleFitMap();
  // Asks for a file and exports the map there.
  void handleExportMap();

protected:
  // The station tooltip of the map view.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  friend class TestFerroInterface;

  void qtWidgetConnections();
  void createShortcuts();
  // Tells in the status bar that the map is being drawn, until it is.
  void showDrawingNote();
  // Configures a new cloud for the colour index and enters it into tagCloudHash.
  void initTagCloud(QTagCloud* cloud, int index, tlp::Color& colour);
  void removeTagCloud(int index);
  // The tag ids of nodes: the tag cloud name followed by each node's file id.
  QStringList tagIds(const std::vector<tlp::node>& nodes) const;
  void showTags(int tagCloudIndex, const QStringList& ids);
  // Builds the detail window for the colour index and shows it.
  void showDetails(int id);
  void followInDetailView(int tagCloudIndex);
  // Announces the colours an undone or redone step touched.
  void followEdit(const MapEdit* step);
  void updateEditActions();
  // Time step, cluster, documents, terms and heaviest tags of a station.
  QString stationToolTip(tlp::node n) const;

  // Shows graph in view in place of the graph it showed before; the rendering
  // parameters under "displaying" in dataSet, if any, replace the defaults.
  void openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet, tlp::GlMainWidget* view);
  // Frees a graph entity that openGraphOnGlWidget took out of its view.
  void deleteCompositeInfo(tlp::GlGraphComposite* oldComposite);

  ClusterFlowInteractor* flowInteractor;
  tlp::MousePanNZoomNavigator* panAndZoom;
  tlp::MouseNKeysNavigator* keysNav;
  MapNavigator* mapNavigator; // a child of this controller
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
  NodeToClusterTime nodeToClusterTime;
  EditHistory history;
};

// Rendering settings of the map view: straight-coloured edges with
// interpolated sizes, no arrow heads, antialiasing, node labels; centres the
// scene. The graph is not used.
void setGraphView(tlp::GlMainWidget* view, tlp::Graph* graph);

#endif
