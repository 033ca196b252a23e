#include "app/FerroInterface.h"

#include "detail/DynamicGraphSmallMultiples.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/GraphViewTools.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QStatusBar>

#include <tulip/DataSet.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphRenderingParameters.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>
#include <tulip/Graph.h>
#include <tulip/MouseInteractors.h>

namespace {

// Selected nodes and edges are drawn in this colour by every view of the
// process; the graph library reads it when a view's graph entity is made.
class SelectionColour : public tlp::GlDefaultSelectionColorManager {
public:
  tlp::Color defaultSelectionColor(bool tulipDefault) override {
    return tulipDefault ? tlp::Color(23, 81, 228) : tlp::Color(255, 50, 50, 245);
  }
};

SelectionColour selectionColour;

// The first-time user's guide to the map, in the status bar.
const char* const kUsageHint =
    "Middle-click a station or a line to select its flow, press 0 to 9 to colour it, "
    "Escape to clear the selection, click a tag cloud for details.";

} // namespace

FerroInterface::FerroInterface(QMainWindow* mainWindow)
    : QWidget(mainWindow),
      flowInteractor(new ClusterFlowInteractor()), panAndZoom(new tlp::MousePanNZoomNavigator()),
      keysNav(new tlp::MouseNKeysNavigator()), tagCache(nullptr),
      detailView(new DynamicGraphSmallMultiples(this)), topCount(15), binCount(10),
      minFontSize(14), maxFontSize(35), backgroundColour(255, 255, 255, 255),
      textFont("Verdana") {
  detailView->hide();
  // The controller draws nothing itself; left visible, this empty child of the
  // main window would lie over the menu bar and swallow clicks on "File".
  hide();
  setupUi(mainWindow);
  // The graph library cannot paint a view that shows no graph yet (Tulip 5.4
  // dereferences the missing graph layer); openGraphOnGlWidget lets it paint.
  ferroMapView->setUpdatesEnabled(false);
  qtWidgetConnections();
  tlp::GlDefaultSelectionColorManager::setManager(&selectionColour);
  splitter->setSizes(QList<int>{50, 50});
  statusbar->addWidget(new QLabel(tr(kUsageHint), statusbar));
}

void FerroInterface::qtWidgetConnections() {
  connect(flowInteractor, &ClusterFlowInteractor::colourPathsChanged, this,
          &FerroInterface::handleColourPathsChanged);
  connect(flowInteractor, &ClusterFlowInteractor::changedMembership, this,
          &FerroInterface::handleChangedMembership);
  connect(actionOrder_by_Frequency, &QAction::toggled, this,
          &FerroInterface::handleOrderByFrequencyChecked);
}

FerroInterface::~FerroInterface() {
  ferroMapView->removeEventFilter(flowInteractor);
  delete flowInteractor;
  ferroMapView->removeEventFilter(panAndZoom);
  delete panAndZoom;
  ferroMapView->removeEventFilter(keysNav);
  delete keysNav;
  if (tagCache != nullptr) {
    delete tagCache;
    // The cache was the process-wide one; leave nobody a pointer to freed memory.
    ::tagCache = nullptr;
  }
  qDeleteAll(tagCloudHash);
  delete detailView;
}

void FerroInterface::initInterface() {
  tlp::Graph* graph = getClusterFlowGraph();
  if (graph == nullptr)
    return;
  nodeToFileId = getNodeToFileId();
  tagCloudStub = getTagCloudStub();
  tagCache = getTagCloudCache();
  if (tagCache != nullptr)
    tagCache->setTopCount(topCount);
  for (const tlp::node n : graph->nodes()) {
    nodeToNumFeatures[n] = numFeatures(n);
    nodeToNumObjects[n] = numObjects(n);
  }

  tlp::DataSet dataSet;
  openGraphOnGlWidget(graph, &dataSet, ferroMapView);
  setGraphView(ferroMapView, graph);

  // Qt asks the filter installed last first.
  ferroMapView->installEventFilter(panAndZoom);
  ferroMapView->installEventFilter(keysNav);
  ferroMapView->installEventFilter(flowInteractor);
  ferroMapView->draw(true);
}

QStringList FerroInterface::tagIds(const std::vector<tlp::node>& nodes) const {
  QStringList ids;
  ids.reserve(static_cast<int>(nodes.size()));
  for (const tlp::node n : nodes) {
    const auto fileId = nodeToFileId.find(n);
    ids.append(fileId == nodeToFileId.end() ? tagCloudStub : tagCloudStub + fileId->second);
  }
  return ids;
}

void FerroInterface::handleColourPathsChanged(int tagCloudIndex, tlp::Color tagCloudColour,
                                              std::vector<tlp::node> affectedNodes) {
  if (!tagCloudHash.contains(tagCloudIndex)) {
    auto* cloud = new QTagCloud(this);
    initTagCloud(cloud, tagCloudIndex, tagCloudColour);
    // Two clouds per row, in the order their colours were first used.
    const int place = tagCloudHash.size() - 1;
    tagCloudMatrix->addWidget(cloud, place / 2, place % 2);
  }
  const QStringList ids = tagIds(affectedNodes);
  fileNameHash.insert(tagCloudIndex, ids);
  if (tagCache == nullptr)
    return;
  QList<TagPair> tags = tagCache->buildPath(ids);
  tagCloudHash.value(tagCloudIndex)->render(tags);
}

void FerroInterface::handleChangedMembership(int tagCloudIndex,
                                             std::vector<tlp::node> affectedNodes) {
  QStringList ids = fileNameHash.value(tagCloudIndex);
  for (const QString& id : tagIds(affectedNodes))
    ids.removeAll(id);
  fileNameHash.insert(tagCloudIndex, ids);
  QTagCloud* cloud = tagCloudHash.value(tagCloudIndex);
  if (cloud == nullptr || tagCache == nullptr)
    return;
  QList<TagPair> tags = tagCache->buildPath(ids);
  cloud->render(tags);
}

void FerroInterface::initTagCloud(QTagCloud* cloud, int index, tlp::Color& colour) {
  tagCloudHash.insert(index, cloud);
  cloud->setBinCount(binCount);
  cloud->setTagColor(QColor(colour.getR(), colour.getG(), colour.getB(), 255));
  cloud->setBackgroundColor(backgroundColour);
  cloud->setTagFont(textFont);
  cloud->setMinFontSize(minFontSize);
  cloud->setMaxFontSize(maxFontSize);
  cloud->setid(index);
  // A focused cloud would take the arrow keys; the clouds are only clicked.
  cloud->setFocusPolicy(Qt::NoFocus);
  connect(cloud, &QTagCloud::displayClicked, this, &FerroInterface::handleTagCloudClicked);
}

void FerroInterface::handleTagCloudClicked(int id) {
  if (detailView != nullptr) {
    detailView->hide();
    delete detailView;
  }
  detailView = new DynamicGraphSmallMultiples(this);
  detailView->initialize(ferroMapView->getScene()->getGlGraphComposite()->getGraph(), id,
                         tagCloudStub, tagCloudHash.value(id), tagCache, &nodeToFileId,
                         &nodeToNumObjects, &nodeToNumFeatures);
  detailView->show();
  detailView->setSortAlphabetic(!actionOrder_by_Frequency->isChecked());
  ferroMapView->draw(true);
}

void FerroInterface::handleOrderByFrequencyChecked(bool value) {
  for (QTagCloud* cloud : qAsConst(tagCloudHash)) {
    cloud->setSortAlphabetic(!value);
    cloud->render();
  }
  if (detailView != nullptr)
    detailView->setSortAlphabetic(!value);
}

void FerroInterface::openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet,
                                         tlp::GlMainWidget* view) {
  deleteCompositeInfo(showGraphInView(view, graph, dataSet));
  view->setUpdatesEnabled(true);
}

void FerroInterface::deleteCompositeInfo(tlp::GlGraphComposite* oldComposite) {
  // The entity owns its input data (glyph tables, renderer); once out of the
  // layer nothing else refers to it.
  delete oldComposite;
}

void setGraphView(tlp::GlMainWidget* view, tlp::Graph*) {
  applyMapRenderingSettings(view);
}
