#include "app/FerroInterface.h"

#include "detail/DynamicGraphSmallMultiples.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/GraphViewTools.h"
#include "interaction/MapGlWidget.h"
#include "interaction/MapNavigator.h"
#include "mapexport/MapExport.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QApplication>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>

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

// In the status bar until the map view has drawn the map for the first time.
const char* const kDrawingNote = "Drawing the map...";

} // namespace

FerroInterface::FerroInterface(QMainWindow* mainWindow)
    : QWidget(mainWindow), flowInteractor(new ClusterFlowInteractor()),
      panAndZoom(new tlp::MousePanNZoomNavigator()), keysNav(new tlp::MouseNKeysNavigator()),
      mapNavigator(new MapNavigator(true, this)), tagCache(nullptr),
      detailView(new DynamicGraphSmallMultiples(this)), topCount(15), binCount(10), minFontSize(14),
      maxFontSize(35), backgroundColour(255, 255, 255, 255), textFont("Verdana") {
  detailView->hide();
  // The controller draws nothing itself; left visible, this empty child of the
  // main window would lie over the menu bar and swallow clicks on "File".
  hide();
  setupUi(mainWindow);
  createShortcuts();
  flowInteractor->setEditHistory(&history);
  qtWidgetConnections();
  updateEditActions();
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
  connect(flowInteractor, &ClusterFlowInteractor::edited, this, &FerroInterface::updateEditActions);
  connect(actionUndo, &QAction::triggered, this, &FerroInterface::handleUndo);
  connect(actionRedo, &QAction::triggered, this, &FerroInterface::handleRedo);
  connect(actionFit_Map, &QAction::triggered, this, &FerroInterface::handleFitMap);
  connect(actionExport_Map, &QAction::triggered, this, &FerroInterface::handleExportMap);
  // Closing every window ends the event loop, the detail window's included.
  connect(actionQuit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
}

void FerroInterface::createShortcuts() {
  actionUndo->setShortcuts(QKeySequence::Undo);
  QList<QKeySequence> redo = QKeySequence::keyBindings(QKeySequence::Redo);
  if (!redo.contains(QKeySequence("Ctrl+Shift+Z")))
    redo.prepend(QKeySequence("Ctrl+Shift+Z"));
  actionRedo->setShortcuts(redo);
  actionQuit->setShortcuts(QKeySequence::Quit);
  if (actionQuit->shortcuts().isEmpty())
    actionQuit->setShortcut(QKeySequence("Ctrl+Q"));
}

FerroInterface::~FerroInterface() {
  ferroMapView->removeEventFilter(this);
  ferroMapView->removeEventFilter(mapNavigator);
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
  // From here on this thread draws and answers the user; the load is done.
  drawInOneThread();
  nodeToFileId = getNodeToFileId();
  nodeToClusterTime = ::nodeToClusterTime;
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
  ferroMapView->setPlainLines(hasShortLinesWhenFitted(graph));
  showDrawingNote();

  // Qt asks the filter installed last first: the flows, the tooltip, then the
  // wheel and the arrow keys, and the library's navigators for the rest.
  ferroMapView->installEventFilter(panAndZoom);
  ferroMapView->installEventFilter(keysNav);
  ferroMapView->installEventFilter(mapNavigator);
  ferroMapView->installEventFilter(this);
  ferroMapView->installEventFilter(flowInteractor);
}

void FerroInterface::showDrawingNote() {
  // A large map takes seconds to draw the first time; the window is on screen
  // before, and says why its map is still empty.
  statusbar->showMessage(tr(kDrawingNote));
  // The status bar hides the usage hint under a message only when the hint is
  // visible, so a message given before the window is shown would be written over
  // the hint: give it again once the window is shown.
  QTimer::singleShot(0, statusbar, [this] {
    if (statusbar->currentMessage() == tr(kDrawingNote)) {
      statusbar->clearMessage();
      statusbar->showMessage(tr(kDrawingNote));
    }
  });
  connect(ferroMapView, &MapGlWidget::sceneDrawn, this, [this] {
    if (statusbar->currentMessage() == tr(kDrawingNote))
      statusbar->clearMessage();
  });
  ferroMapView->deferSceneDrawing();
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
  if (!affectedNodes.empty() && !tagCloudHash.contains(tagCloudIndex)) {
    auto* cloud = new QTagCloud(this);
    initTagCloud(cloud, tagCloudIndex, tagCloudColour);
    // Two clouds per row; a new one takes the first free place.
    int place = 0;
    while (tagCloudMatrix->itemAtPosition(place / 2, place % 2) != nullptr)
      ++place;
    tagCloudMatrix->addWidget(cloud, place / 2, place % 2);
  }
  showTags(tagCloudIndex, tagIds(affectedNodes));
}

void FerroInterface::handleChangedMembership(int tagCloudIndex,
                                             std::vector<tlp::node> affectedNodes) {
  QStringList ids = fileNameHash.value(tagCloudIndex);
  for (const QString& id : tagIds(affectedNodes))
    ids.removeAll(id);
  showTags(tagCloudIndex, ids);
}

void FerroInterface::showTags(int tagCloudIndex, const QStringList& ids) {
  if (ids.isEmpty()) {
    fileNameHash.remove(tagCloudIndex);
    removeTagCloud(tagCloudIndex);
  } else {
    fileNameHash.insert(tagCloudIndex, ids);
    QTagCloud* cloud = tagCloudHash.value(tagCloudIndex);
    if (cloud != nullptr && tagCache != nullptr) {
      QList<TagPair> tags = tagCache->buildPath(ids);
      cloud->render(tags);
    }
  }
  followInDetailView(tagCloudIndex);
}

void FerroInterface::removeTagCloud(int index) {
  QTagCloud* cloud = tagCloudHash.take(index);
  if (cloud == nullptr)
    return;
  tagCloudMatrix->removeWidget(cloud);
  delete cloud;
}

void FerroInterface::followInDetailView(int tagCloudIndex) {
  if (!detailView->isVisible() || detailView->colourIndex() != tagCloudIndex)
    return;
  if (tagCloudHash.contains(tagCloudIndex)) {
    showDetails(tagCloudIndex);
  } else {
    detailView->hide();
    detailView->release();
  }
}

void FerroInterface::initTagCloud(QTagCloud* cloud, int index, tlp::Color& colour) {
  tagCloudHash.insert(index, cloud);
  cloud->setBinCount(binCount);
  cloud->setTagColor(QColor(colour.getR(), colour.getG(), colour.getB(), 255));
  cloud->setBackgroundColor(backgroundColour);
  cloud->setTagFont(textFont);
  cloud->setMinFontSize(minFontSize);
  cloud->setMaxFontSize(maxFontSize);
  cloud->setSortAlphabetic(!actionOrder_by_Frequency->isChecked());
  cloud->setid(index);
  // A focused cloud would take the arrow keys; the clouds are only clicked.
  cloud->setFocusPolicy(Qt::NoFocus);
  connect(cloud, &QTagCloud::displayClicked, this, &FerroInterface::handleTagCloudClicked);
}

void FerroInterface::handleTagCloudClicked(int id) {
  showDetails(id);
  detailView->raise();
}

void FerroInterface::showDetails(int id) {
  tlp::GlGraphComposite* composite = ferroMapView->getScene()->getGlGraphComposite();
  if (composite == nullptr)
    return;
  // One window, rebuilt for each colour, in place of a new window each time.
  detailView->initialize(composite->getGraph(), id, tagCloudStub, tagCloudHash.value(id), tagCache,
                         &nodeToFileId, &nodeToNumObjects, &nodeToNumFeatures, &nodeToClusterTime);
  detailView->show();
  detailView->setSortAlphabetic(!actionOrder_by_Frequency->isChecked());
  requestDraw(ferroMapView);
}

void FerroInterface::handleOrderByFrequencyChecked(bool value) {
  for (QTagCloud* cloud : qAsConst(tagCloudHash)) {
    cloud->setSortAlphabetic(!value);
    cloud->render();
  }
  if (detailView != nullptr)
    detailView->setSortAlphabetic(!value);
}

void FerroInterface::handleUndo() {
  followEdit(history.undo());
}

void FerroInterface::handleRedo() {
  followEdit(history.redo());
}

void FerroInterface::followEdit(const MapEdit* step) {
  tlp::GlGraphComposite* composite = ferroMapView->getScene()->getGlGraphComposite();
  if (step != nullptr && composite != nullptr) {
    for (int index : step->colourIndices()) {
      std::vector<tlp::node> members;
      populateColourList(composite->getGraph(), index, members);
      handleColourPathsChanged(index, idToColour[index], members);
    }
    requestDraw(ferroMapView);
  }
  updateEditActions();
}

void FerroInterface::updateEditActions() {
  actionUndo->setEnabled(history.canUndo());
  actionRedo->setEnabled(history.canRedo());
}

void FerroInterface::handleFitMap() {
  MapNavigator::fit(ferroMapView);
}

void FerroInterface::handleExportMap() {
  QFileDialog dialog(window(), tr("Export Map"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({tr("PNG image (*.png)"), tr("SVG drawing (*.svg)")});
  // A name typed without suffix gets the chosen type's, before the dialog asks
  // whether to replace an existing file.
  dialog.setDefaultSuffix("png");
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter.contains("*.svg") ? "svg" : "png");
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  const QString path = dialog.selectedFiles().constFirst();
  QString error;
  if (exportMapTo(path, error))
    statusbar->showMessage(tr("Map exported to %1").arg(path), 5000);
  else
    QMessageBox::warning(window(), tr("Export Map"), error);
}

bool FerroInterface::exportMapTo(const QString& path, QString& error) {
  tlp::GlGraphComposite* composite = ferroMapView->getScene()->getGlGraphComposite();
  const MapFormat format = mapFormatOf(path);
  if (composite == nullptr) {
    error = tr("There is no map to export.");
    return false;
  }
  if (format != MapFormat::Svg && format != MapFormat::Png) {
    error = tr("Cannot export to %1: the name must end in .png or .svg.").arg(path);
    return false;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = exportMap(composite->getGraph(), path, format, kDefaultPngWidth, error);
  QApplication::restoreOverrideCursor();
  return written;
}

bool FerroInterface::eventFilter(QObject* watched, QEvent* event) {
  if (watched != ferroMapView || event->type() != QEvent::ToolTip)
    return false;
  auto* help = static_cast<QHelpEvent*>(event);
  tlp::SelectedEntity picked;
  if (ferroMapView->getScene()->getGlGraphComposite() != nullptr &&
      ferroMapView->pickElement(help->x(), help->y(), picked, true, false) &&
      picked.getEntityType() == tlp::SelectedEntity::NODE_SELECTED)
    QToolTip::showText(help->globalPos(), stationToolTip(picked.getNode()), ferroMapView);
  else
    QToolTip::hideText();
  return true;
}

QString FerroInterface::stationToolTip(tlp::node n) const {
  const auto clusterTime = nodeToClusterTime.find(n);
  if (clusterTime == nodeToClusterTime.end())
    return QString();
  const auto count = [](const NodeToCount& counts, tlp::node station) {
    const auto found = counts.find(station);
    return found == counts.end() ? 0u : found->second;
  };
  QString text = tr("Time step %1, cluster %2\n%3 documents, %4 terms")
                     .arg(clusterTime->second.second)
                     .arg(clusterTime->second.first)
                     .arg(count(nodeToNumObjects, n))
                     .arg(count(nodeToNumFeatures, n));
  if (tagCache != nullptr) {
    QStringList words;
    for (const TagPair& tag : tagCache->buildPath(tagIds({n})).mid(0, 5))
      words << tag.first;
    if (!words.isEmpty())
      text += "\n" + words.join(", ");
  }
  return text;
}

void FerroInterface::openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet,
                                         tlp::GlMainWidget* view) {
  deleteCompositeInfo(showGraphInView(view, graph, dataSet));
  requestDraw(view);
}

void FerroInterface::deleteCompositeInfo(tlp::GlGraphComposite* oldComposite) {
  // The entity owns its input data (glyph tables, renderer); once out of the
  // layer nothing else refers to it.
  delete oldComposite;
}

void setGraphView(tlp::GlMainWidget* view, tlp::Graph*) {
  applyMapRenderingSettings(view);
}
