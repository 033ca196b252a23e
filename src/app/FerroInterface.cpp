#include "app/FerroInterface.h"

#include "tagcloud/tagcache.h"

#include <QList>
#include <QMainWindow>

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

} // namespace

FerroInterface::FerroInterface(QMainWindow* mainWindow)
    : QWidget(mainWindow),
      // Pending merge: flowInteractor becomes a new ClusterFlowInteractor.
      flowInteractor(nullptr), panAndZoom(new tlp::MousePanNZoomNavigator()),
      keysNav(new tlp::MouseNKeysNavigator()), tagCache(nullptr),
      // Pending merge: detailView becomes a new, hidden DynamicGraphSmallMultiples(this).
      detailView(nullptr), topCount(15), binCount(10), minFontSize(14), maxFontSize(35),
      backgroundColour(255, 255, 255, 255), textFont("Verdana") {
  // The controller draws nothing itself; left visible, this empty child of the
  // main window would lie over the menu bar and swallow clicks on "File".
  hide();
  setupUi(mainWindow);
  // The graph library cannot paint a view that shows no graph yet (Tulip 5.4
  // dereferences the missing graph layer); openGraphOnGlWidget lets it paint.
  ferroMapView->setUpdatesEnabled(false);
  // Pending merge: qtWidgetConnections() connects the interactor's two signals and
  // actionOrder_by_Frequency's toggled(bool) to the slots.
  tlp::GlDefaultSelectionColorManager::setManager(&selectionColour);
  splitter->setSizes(QList<int>{50, 50});
}

FerroInterface::~FerroInterface() {
  // Pending merge: remove flowInteractor from ferroMapView's event filters and delete it.
  ferroMapView->removeEventFilter(panAndZoom);
  delete panAndZoom;
  ferroMapView->removeEventFilter(keysNav);
  delete keysNav;
  if (tagCache != nullptr) {
    delete tagCache;
    // The cache was the process-wide one; leave nobody a pointer to freed memory.
    ::tagCache = nullptr;
  }
  // Pending merge: delete every tag cloud of tagCloudHash, then detailView.
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
  // Pending merge: ferroMapView->installEventFilter(flowInteractor), last, so that it
  // sees every event of the view before the navigators.
  ferroMapView->draw(true);
}

void FerroInterface::openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet,
                                         tlp::GlMainWidget* view) {
  tlp::GlScene* scene = view->getScene();
  tlp::GlLayer* layer = scene->getLayer("Main");
  if (layer == nullptr)
    layer = scene->createLayer("Main");

  auto* oldComposite = dynamic_cast<tlp::GlGraphComposite*>(layer->findGlEntity("graph"));
  auto* composite = new tlp::GlGraphComposite(graph, scene);
  if (oldComposite != nullptr)
    layer->deleteGlEntity(oldComposite);

  tlp::DataSet displaying;
  if (dataSet != nullptr && dataSet->get("displaying", displaying)) {
    tlp::GlGraphRenderingParameters parameters = composite->getRenderingParameters();
    parameters.setParameters(displaying);
    composite->setRenderingParameters(parameters);
  }

  // The layer tells the scene, which then draws and picks this graph.
  layer->addGlEntity(composite, "graph");
  deleteCompositeInfo(oldComposite);
  view->setUpdatesEnabled(true);
}

void FerroInterface::deleteCompositeInfo(tlp::GlGraphComposite* oldComposite) {
  // The entity owns its input data (glyph tables, renderer); once out of the
  // layer nothing else refers to it.
  delete oldComposite;
}

void setGraphView(tlp::GlMainWidget* view, tlp::Graph*) {
  tlp::GlGraphComposite* composite = view->getScene()->getGlGraphComposite();
  if (composite == nullptr)
    return;
  tlp::GlGraphRenderingParameters parameters = composite->getRenderingParameters();
  parameters.setEdgeColorInterpolate(false);
  parameters.setEdgeSizeInterpolate(true);
  parameters.setViewArrow(false);
  parameters.setAntialiasing(true);
  parameters.setViewNodeLabel(true);
  composite->setRenderingParameters(parameters);
  view->getScene()->centerScene();
}
