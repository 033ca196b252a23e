#ifndef TEXTFERRO_DYNAMICGRAPHSMALLMULTIPLES_H
#define TEXTFERRO_DYNAMICGRAPHSMALLMULTIPLES_H

// The "Metro Line Details" window of one path colour: above, the stations of the
// colour with one root-to-end path highlighted; below, that path's stations six at
// a time, each with its tag cloud and caption; at the bottom, where the reader is.
// Arrow keys walk paths and pages. One window serves every colour in turn: its
// OpenGL view is made once, since every view leaves data inside the graph library.

#include "clusterflow/GenClusterMap.h"
#include "ui_DynamicGraphSmallMultiplesWidgetData.h"

#include <QString>
#include <QWidget>

#include <tulip/Node.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class MapNavigator;
class QKeyEvent;
class QLabel;
class QTagCloud;
class QVBoxLayout;
class TagCache;

namespace tlp {
class DataSet;
class GlGraphComposite;
class GlMainWidget;
class Graph;
class MousePanNZoomNavigator;
} // namespace tlp

class DynamicGraphSmallMultiples : public QWidget, public Ui::DynamicGraphSmallMultiplesWidgetData {
  Q_OBJECT

public:
  // Always a top-level window: the owner deletes it explicitly, so the parent is
  // not handed to QWidget.
  explicit DynamicGraphSmallMultiples(QWidget* parent = nullptr);
  // Removes the window's subgraph from the cluster-flow graph.
  ~DynamicGraphSmallMultiples() override;

  // Builds the subgraph of the stations whose "Colour ID" is tagCloudIndex, shows
  // it above and the first path's first page below, in place of the colour shown
  // before; every call must pass the same graph. None of the pointers is owned; the maps gain zero
  // entries for stations missing from them. Captions give each station's time step from
  // newNodeToClusterTime (0 for a station missing from it or without the map).
  // Without stations, or on a cycle, the window says so and shows an empty view.
  void initialize(tlp::Graph* newSplitMergeGraph, int tagCloudIndex, const QString& newTagCloudStub,
                  QTagCloud* newMacroCloud, TagCache* newCache, NodeToFileId* newNodeToFileId,
                  NodeToCount* newNodeToNumObjects, NodeToCount* newNodeToNumFeatures,
                  const NodeToClusterTime* newNodeToClusterTime = nullptr);
  // Forgets the colour shown: its cells and the stations of its subgraph.
  void release();
  // The colour shown, or -1.
  int colourIndex() const { return shownColour; }

  void openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet, tlp::GlMainWidget* glWidget);

  // Path walk, depth first over roots in node order and successors in the
  // subgraph's order. The two selectors leave curPath empty past either end.
  void initOutDegOrder();
  void initPath(bool max);
  void selectNextPath();
  void selectPrevPath();
  void highlightPath();

  // Pages of six stations of the current path.
  void nextSix();
  void prevSix();
  void populateSMView();
  void clearUi();

  // Word order of the shown clouds and of those built by later page or path changes.
  void setSortAlphabetic(bool alpha);

protected:
  void keyPressEvent(QKeyEvent* event) override;

  void initTagCloud(QTagCloud* cloud, const tlp::node& curNode);

  int numWidgets = 0;
  std::vector<QTagCloud*> widgetSeries;
  std::vector<QLabel*> labels;
  std::vector<QVBoxLayout*> layouts;
  std::vector<QWidget*> widgets;
  QTagCloud* macroCloud = nullptr;
  tlp::Graph* splitMergeGraph = nullptr;
  tlp::Graph* indexSubGraph = nullptr;
  std::vector<tlp::node> roots;
  std::unordered_map<tlp::node, std::vector<tlp::node>> outDegOrder;
  int curRootIndex = 0;
  std::vector<std::pair<tlp::node, int>> curPath;
  TagCache* tagCache = nullptr;
  QString tagCloudStub;
  NodeToFileId* nodeToFileId = nullptr;
  NodeToCount* nodeToNumObjects = nullptr;
  NodeToCount* nodeToNumFeatures = nullptr;
  unsigned int curStart = 0;
  unsigned int curEnd = 6;
  tlp::MousePanNZoomNavigator* panAndZoom = nullptr;
  bool sortAlphabetic = true;
  const NodeToClusterTime* nodeToClusterTime = nullptr;
  int shownColour = -1;

private:
  const std::vector<tlp::node>& successors(tlp::node n) const;
  void buildSubGraph(int tagCloudIndex);
  // Shows the subgraph and, without a path, why; false when there is no path.
  bool showSubGraph(int tagCloudIndex);
  void showNewPath();
  void releaseGraphComposite();
  void deleteCompositeInfo(tlp::GlGraphComposite* oldGlGraphComposite);
  int timeStepOf(tlp::node n) const;
  // Position of the reader in the status bar.
  void showPosition();
  void countPaths();
  // Number of the current path in the walk's order, from 1.
  std::uint64_t pathNumber() const;

  MapNavigator* mapNavigator = nullptr;
  std::unordered_map<tlp::node, std::uint64_t> pathsFrom; // paths from a station to an end
  std::uint64_t pathTotal = 0;
};

// Rendering options of the upper view: plain edge colours, interpolated edge
// sizes, no arrows, antialiasing and node labels. The graph is not used.
void setLocalGraphView(tlp::GlMainWidget* glGraph, tlp::Graph* curGraph);

// Caption of a station at time step t.
std::string createLabel(int t, unsigned int obj, unsigned int feat);

#endif
