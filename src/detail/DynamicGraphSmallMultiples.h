#ifndef TEXTFERRO_DYNAMICGRAPHSMALLMULTIPLES_H
#define TEXTFERRO_DYNAMICGRAPHSMALLMULTIPLES_H

// The "Metro Line Details" window of one path colour: above, the stations of the
// colour with one root-to-end path highlighted; below, that path's stations six at
// a time, each with its tag cloud and caption. Arrow keys walk paths and pages.

#include "clusterflow/GenClusterMap.h"
#include "ui_DynamicGraphSmallMultiplesWidgetData.h"

#include <QString>
#include <QWidget>

#include <tulip/Node.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

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
  // Removes the colour's subgraph from the cluster-flow graph.
  ~DynamicGraphSmallMultiples() override;

  // Builds the subgraph of the stations whose "Colour ID" is tagCloudIndex, shows
  // it above and the first path's first page below. Call once. None of the
  // pointers is owned; the maps gain zero entries for stations missing from them.
  void initialize(tlp::Graph* newSplitMergeGraph, int tagCloudIndex, const QString& newTagCloudStub,
                  QTagCloud* newMacroCloud, TagCache* newCache, NodeToFileId* newNodeToFileId,
                  NodeToCount* newNodeToNumObjects, NodeToCount* newNodeToNumFeatures);

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

private:
  const std::vector<tlp::node>& successors(tlp::node n) const;
  void showNewPath();
  void releaseGraphComposite();
  void deleteCompositeInfo(tlp::GlGraphComposite* oldGlGraphComposite);
};

// Rendering options of the upper view: plain edge colours, interpolated edge
// sizes, no arrows, antialiasing and node labels. The graph is not used.
void setLocalGraphView(tlp::GlMainWidget* glGraph, tlp::Graph* curGraph);

// Caption of the station at path position t (counted from 0).
std::string createLabel(int t, unsigned int obj, unsigned int feat);

#endif
