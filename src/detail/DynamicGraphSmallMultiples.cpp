#include "detail/DynamicGraphSmallMultiples.h"

#include "interaction/GraphViewTools.h"
#include "interaction/MapGlWidget.h"
#include "interaction/MapNavigator.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

#include <tulip/AcyclicTest.h>
#include <tulip/BooleanProperty.h>
#include <tulip/DataSet.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/MouseInteractors.h>

#include <algorithm>
#include <cstdint>
#include <iostream>

namespace {

constexpr unsigned int kCellsPerPage = 6;
constexpr int kCellsPerRow = 3;

unsigned int countOf(NodeToCount* counts, tlp::node n) {
  return counts != nullptr ? (*counts)[n] : 0;
}

} // namespace

DynamicGraphSmallMultiples::DynamicGraphSmallMultiples(QWidget*)
    : QWidget(nullptr), panAndZoom(new tlp::MousePanNZoomNavigator),
      mapNavigator(new MapNavigator(false, this)) {
  setupUi(this);
  splitter->setSizes({40, 60});
  // A window beside the main one: closing the main window ends the program.
  setAttribute(Qt::WA_QuitOnClose, false);
  // Asked last-installed first: the wheel zooms about the pointer, the rest goes on.
  localPathView->installEventFilter(panAndZoom);
  localPathView->installEventFilter(mapNavigator);
}

DynamicGraphSmallMultiples::~DynamicGraphSmallMultiples() {
  release();
  localPathView->removeEventFilter(mapNavigator);
  localPathView->removeEventFilter(panAndZoom);
  delete panAndZoom;
  if (indexSubGraph != nullptr) {
    // The view watches the subgraph and its selection and keeps pointers to them
    // inside the library: it goes first, while they still exist.
    releaseGraphComposite();
    delete localPathView;
    localPathView = nullptr;
    indexSubGraph->getSuperGraph()->delAllSubGraphs(indexSubGraph);
  }
}

void DynamicGraphSmallMultiples::release() {
  clearUi();
  numWidgets = 0;
  if (indexSubGraph != nullptr)
    indexSubGraph->clear();
  roots.clear();
  outDegOrder.clear();
  pathsFrom.clear();
  pathTotal = 0;
  curPath.clear();
  curRootIndex = 0;
  curStart = 0;
  curEnd = kCellsPerPage;
  macroCloud = nullptr;
  shownColour = -1;
  statusBar->clearMessage();
}

void DynamicGraphSmallMultiples::initialize(tlp::Graph* newSplitMergeGraph, int tagCloudIndex,
                                            const QString& newTagCloudStub,
                                            QTagCloud* newMacroCloud, TagCache* newCache,
                                            NodeToFileId* newNodeToFileId,
                                            NodeToCount* newNodeToNumObjects,
                                            NodeToCount* newNodeToNumFeatures,
                                            const NodeToClusterTime* newNodeToClusterTime) {
  release();
  tagCloudStub = newTagCloudStub;
  macroCloud = newMacroCloud;
  tagCache = newCache;
  splitMergeGraph = newSplitMergeGraph;
  nodeToFileId = newNodeToFileId;
  nodeToNumObjects = newNodeToNumObjects;
  nodeToNumFeatures = newNodeToNumFeatures;
  nodeToClusterTime = newNodeToClusterTime;
  shownColour = tagCloudIndex;

  buildSubGraph(tagCloudIndex);
  if (!showSubGraph(tagCloudIndex))
    return;
  initOutDegOrder();
  countPaths();
  initPath(false);
  highlightPath();
  curEnd = std::min<unsigned int>(curPath.size(), kCellsPerPage);
  populateSMView();
}

void DynamicGraphSmallMultiples::buildSubGraph(int tagCloudIndex) {
  // One subgraph serves every colour: the view's level-of-detail calculator keeps
  // pointers to the graph it showed and to its selection, and fails on the next
  // drawing once they are deleted.
  if (indexSubGraph == nullptr) {
    indexSubGraph = splitMergeGraph->addSubGraph();
    // Made before the view takes the subgraph, so that the view draws this
    // selection from the start.
    indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection");
    tlp::DataSet noParameters;
    openGraphOnGlWidget(indexSubGraph, &noParameters, localPathView);
  }
  // Without "Colour ID" no station has a colour; asking for it would make one whose
  // default, 0, puts every station into colour 0.
  if (!splitMergeGraph->existProperty("Colour ID"))
    return;
  tlp::IntegerProperty* colourId = splitMergeGraph->getProperty<tlp::IntegerProperty>("Colour ID");
  for (tlp::node n : splitMergeGraph->nodes())
    if (colourId->getNodeValue(n) == tagCloudIndex)
      indexSubGraph->addNode(n);
  // Every edge between two stations of the colour belongs to the line, whether or
  // not the edge itself was coloured.
  for (tlp::edge e : splitMergeGraph->edges()) {
    const auto& [source, target] = splitMergeGraph->ends(e);
    if (indexSubGraph->isElement(source) && indexSubGraph->isElement(target))
      indexSubGraph->addEdge(e);
  }
  for (tlp::node n : indexSubGraph->nodes())
    if (indexSubGraph->indeg(n) == 0)
      roots.push_back(n);
}

bool DynamicGraphSmallMultiples::showSubGraph(int tagCloudIndex) {
  setLocalGraphView(localPathView, indexSubGraph);
  requestDraw(localPathView);
  std::string problem;
  // The loader only builds acyclic graphs; on any other graph a path could run
  // round a cycle for ever.
  if (roots.empty())
    problem = "No roots detected.";
  else if (!tlp::AcyclicTest::isAcyclic(indexSubGraph))
    problem = "The stations of colour " + std::to_string(tagCloudIndex) +
              " form a cycle: no path is shown.";
  if (problem.empty())
    return true;
  roots.clear();
  std::cerr << problem << std::endl;
  statusBar->showMessage(QString::fromStdString(problem));
  return false;
}

void DynamicGraphSmallMultiples::openGraphOnGlWidget(tlp::Graph* graph, tlp::DataSet* dataSet,
                                                     tlp::GlMainWidget* glWidget) {
  deleteCompositeInfo(showGraphInView(glWidget, graph, dataSet));
}

void DynamicGraphSmallMultiples::deleteCompositeInfo(tlp::GlGraphComposite* oldGlGraphComposite) {
  // The composite is out of its layer, so nothing else owns it; deleting it leaves
  // its graph alone.
  delete oldGlGraphComposite;
}

void DynamicGraphSmallMultiples::releaseGraphComposite() {
  tlp::GlLayer* layer = localPathView->getScene()->getLayer("Main");
  if (layer == nullptr)
    return;
  auto* composite = dynamic_cast<tlp::GlGraphComposite*>(layer->findGlEntity("graph"));
  if (composite == nullptr)
    return;
  layer->deleteGlEntity("graph");
  deleteCompositeInfo(composite);
}

void setLocalGraphView(tlp::GlMainWidget* glGraph, tlp::Graph*) {
  applyMapRenderingSettings(glGraph);
}

std::string createLabel(int t, unsigned int obj, unsigned int feat) {
  return "At time " + std::to_string(t) + ": cluster has " + std::to_string(obj) +
         " documents and " + std::to_string(feat) + " terms.";
}

int DynamicGraphSmallMultiples::timeStepOf(tlp::node n) const {
  if (nodeToClusterTime == nullptr)
    return 0;
  const auto clusterTime = nodeToClusterTime->find(n);
  return clusterTime == nodeToClusterTime->end() ? 0 : clusterTime->second.second;
}

void DynamicGraphSmallMultiples::populateSMView() {
  widgetSeries.reserve(curPath.size());
  labels.reserve(curPath.size());
  layouts.reserve(curPath.size());
  widgets.reserve(curPath.size());
  // Clamped to the path so that a window without a path never reads past it.
  const unsigned int end = std::min<unsigned int>(curEnd, curPath.size());
  int built = 0;
  for (unsigned int p = curStart; p < end; ++p, ++built) {
    const tlp::node n = curPath[p].first;
    auto* container = new QWidget(this);
    auto* cloud = new QTagCloud(container);
    // Arrow keys belong to the window: a focused cloud would scroll instead.
    cloud->setFocusPolicy(Qt::NoFocus);
    initTagCloud(cloud, n);
    const unsigned int terms = countOf(nodeToNumFeatures, n);
    const unsigned int documents = countOf(nodeToNumObjects, n);
    auto* label = new QLabel(QString::fromStdString(createLabel(timeStepOf(n), documents, terms)));
    label->setFixedHeight(14);
    auto* layout = new QVBoxLayout;
    layout->addWidget(cloud);
    layout->addWidget(label);
    container->setLayout(layout);
    smallMultiplesMatrix->addWidget(container, built / kCellsPerRow, built % kCellsPerRow);

    widgetSeries.push_back(cloud);
    labels.push_back(label);
    layouts.push_back(layout);
    widgets.push_back(container);
  }
  numWidgets = built;
  showPosition();
}

namespace {

// Counts past a billion are read as orders of magnitude; a count that stopped at the
// largest number (see saturatingSum) is only a lower bound.
QString pathCount(std::uint64_t count) {
  if (count == UINT64_MAX)
    return "more than 1.8e+19";
  if (count < 1000000000)
    return QString::number(count);
  return QString::number(static_cast<double>(count), 'g', 3);
}

} // namespace

void DynamicGraphSmallMultiples::showPosition() {
  if (curPath.empty())
    return;
  statusBar->showMessage(QString("Path %1 of %2 - stations %3 to %4 of %5")
                             .arg(pathCount(pathNumber()))
                             .arg(pathCount(pathTotal))
                             .arg(curStart + 1)
                             .arg(std::min<std::size_t>(curEnd, curPath.size()))
                             .arg(curPath.size()));
}

namespace {

// Path counts grow exponentially with the forks of a braided line; they stop at the
// largest number rather than wrap round.
std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

} // namespace

// Stations in reverse topological order (Kahn's algorithm backwards from the ends),
// so that every station's successors are counted before it, without recursion.
void DynamicGraphSmallMultiples::countPaths() {
  std::unordered_map<tlp::node, unsigned int> unknownSuccessors;
  std::vector<tlp::node> ready;
  for (tlp::node n : indexSubGraph->nodes()) {
    unknownSuccessors[n] = static_cast<unsigned int>(successors(n).size());
    if (successors(n).empty())
      ready.push_back(n);
  }
  while (!ready.empty()) {
    const tlp::node n = ready.back();
    ready.pop_back();
    std::uint64_t paths = successors(n).empty() ? 1 : 0;
    for (tlp::node next : successors(n))
      paths = saturatingSum(paths, pathsFrom[next]);
    pathsFrom[n] = paths;
    for (tlp::node previous : indexSubGraph->getInNodes(n))
      if (--unknownSuccessors[previous] == 0)
        ready.push_back(previous);
  }
  pathTotal = 0;
  for (tlp::node root : roots)
    pathTotal = saturatingSum(pathTotal, pathsFrom[root]);
}

std::uint64_t DynamicGraphSmallMultiples::pathNumber() const {
  std::uint64_t before = 0;
  for (int r = 0; r < curRootIndex; ++r)
    before = saturatingSum(before, pathsFrom.at(roots[r]));
  // Every path through an earlier successor of a station on the path comes first.
  for (std::size_t i = 0; i + 1 < curPath.size(); ++i) {
    const std::vector<tlp::node>& next = successors(curPath[i].first);
    for (int j = 0; j < curPath[i].second; ++j)
      before = saturatingSum(before, pathsFrom.at(next[j]));
  }
  return saturatingSum(before, 1);
}

void DynamicGraphSmallMultiples::initTagCloud(QTagCloud* cloud, const tlp::node& curNode) {
  if (macroCloud != nullptr) {
    cloud->setBinCount(macroCloud->binCount());
    cloud->setTagColor(macroCloud->tagColor());
    cloud->setBackgroundColor(macroCloud->backgroundColor());
    cloud->setTagFont(macroCloud->tagFont());
    cloud->setMinFontSize(macroCloud->minFontSize());
    cloud->setMaxFontSize(macroCloud->maxFontSize());
  }
  cloud->setSortAlphabetic(sortAlphabetic);
  cloud->setid(-1);
  const QString fileId = nodeToFileId != nullptr ? (*nodeToFileId)[curNode] : QString();
  QList<TagPair> tags;
  if (tagCache != nullptr)
    tags = tagCache->buildPath(QStringList{tagCloudStub + fileId});
  cloud->render(tags);
}

void DynamicGraphSmallMultiples::clearUi() {
  if (numWidgets == 0)
    return;
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    layouts[i]->removeWidget(widgetSeries[i]);
    layouts[i]->removeWidget(labels[i]);
    delete widgetSeries[i];
    delete labels[i];
    delete layouts[i];
    delete widgets[i];
  }
  widgetSeries.clear();
  labels.clear();
  layouts.clear();
  widgets.clear();
}

const std::vector<tlp::node>& DynamicGraphSmallMultiples::successors(tlp::node n) const {
  static const std::vector<tlp::node> none;
  const auto it = outDegOrder.find(n);
  return it != outDegOrder.end() ? it->second : none;
}

void DynamicGraphSmallMultiples::initOutDegOrder() {
  for (tlp::node n : indexSubGraph->nodes())
    for (tlp::node m : indexSubGraph->getOutNodes(n))
      outDegOrder[n].push_back(m);
}

void DynamicGraphSmallMultiples::initPath(bool max) {
  curPath.clear();
  if (curRootIndex < 0 || curRootIndex >= static_cast<int>(roots.size()))
    return;
  const tlp::node root = roots[curRootIndex];
  curPath.emplace_back(root, max ? static_cast<int>(successors(root).size()) - 1 : 0);
  while (!successors(curPath.back().first).empty()) {
    const std::vector<tlp::node>& next = successors(curPath.back().first);
    if (max) {
      const tlp::node last = next.back();
      curPath.emplace_back(last, static_cast<int>(successors(last).size()) - 1);
    } else {
      curPath.emplace_back(next.front(), 0);
    }
  }
}

// A cursor of -1 means "no successor chosen yet": the next step descends to the
// first successor.
void DynamicGraphSmallMultiples::selectNextPath() {
  if (curPath.empty())
    return;
  curPath.pop_back();
  for (;;) {
    if (curPath.empty()) {
      if (curRootIndex + 1 >= static_cast<int>(roots.size()))
        return;
      ++curRootIndex;
      curPath.emplace_back(roots[curRootIndex], -1);
    }
    auto& [station, cursor] = curPath.back();
    const std::vector<tlp::node>& next = successors(station);
    if (next.empty())
      return;
    ++cursor;
    if (cursor < static_cast<int>(next.size()))
      curPath.emplace_back(next[cursor], -1);
    else
      curPath.pop_back();
  }
}

// The mirror image: a cursor equal to the list's length descends to the last
// successor next.
void DynamicGraphSmallMultiples::selectPrevPath() {
  if (curPath.empty())
    return;
  curPath.pop_back();
  for (;;) {
    if (curPath.empty()) {
      if (curRootIndex <= 0)
        return;
      --curRootIndex;
      const tlp::node root = roots[curRootIndex];
      curPath.emplace_back(root, static_cast<int>(successors(root).size()));
    }
    auto& [station, cursor] = curPath.back();
    const std::vector<tlp::node>& next = successors(station);
    if (next.empty())
      return;
    --cursor;
    if (cursor >= 0) {
      const tlp::node chosen = next[cursor];
      curPath.emplace_back(chosen, static_cast<int>(successors(chosen).size()));
    } else {
      curPath.pop_back();
    }
  }
}

void DynamicGraphSmallMultiples::highlightPath() {
  // Local to the subgraph, so the main window's selection stays as it is.
  auto* selection = indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection");
  selection->setAllNodeValue(false);
  selection->setAllEdgeValue(false);
  for (const auto& entry : curPath)
    selection->setNodeValue(entry.first, true);
  for (std::size_t i = 1; i < curPath.size(); ++i) {
    const tlp::edge e = indexSubGraph->existEdge(curPath[i - 1].first, curPath[i].first, true);
    if (e.isValid())
      selection->setEdgeValue(e, true);
  }
  requestDraw(localPathView);
}

void DynamicGraphSmallMultiples::showNewPath() {
  highlightPath();
  clearUi();
  curStart = 0;
  curEnd = std::min<unsigned int>(curPath.size(), kCellsPerPage);
  populateSMView();
}

void DynamicGraphSmallMultiples::keyPressEvent(QKeyEvent* event) {
  // Without a path (no roots) every key does nothing.
  if (curPath.empty())
    return;
  switch (event->key()) {
  case Qt::Key_Down:
    selectNextPath();
    if (curPath.empty())
      initPath(true);
    showNewPath();
    break;
  case Qt::Key_Up:
    selectPrevPath();
    if (curPath.empty())
      initPath(false);
    showNewPath();
    break;
  case Qt::Key_Right:
    clearUi();
    nextSix();
    break;
  case Qt::Key_Left:
    clearUi();
    prevSix();
    break;
  default:
    break;
  }
}

void DynamicGraphSmallMultiples::nextSix() {
  if (curStart + kCellsPerPage < curPath.size()) {
    curStart += kCellsPerPage;
    curEnd = std::min<unsigned int>(curEnd + kCellsPerPage, curPath.size());
  }
  populateSMView();
}

void DynamicGraphSmallMultiples::prevSix() {
  if (curStart > 0) {
    curEnd = curStart;
    curStart -= kCellsPerPage;
  }
  populateSMView();
}

void DynamicGraphSmallMultiples::setSortAlphabetic(bool alpha) {
  sortAlphabetic = alpha;
  for (QTagCloud* cloud : widgetSeries) {
    cloud->setSortAlphabetic(alpha);
    cloud->render();
  }
}
