#include "interaction/GraphViewTools.h"

#include "interaction/MapNavigator.h"

#include <tulip/DataSet.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphRenderingParameters.h>
#include <tulip/GlLODCalculator.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>
#include <tulip/LayoutProperty.h>

#include <algorithm>
#include <vector>

#include <dlfcn.h>

tlp::GlGraphComposite* showGraphInView(tlp::GlMainWidget* view, tlp::Graph* graph,
                                       tlp::DataSet* dataSet) {
  tlp::GlScene* scene = view->getScene();
  tlp::GlLayer* layer = scene->getLayer("Main");
  if (layer == nullptr)
    layer = scene->createLayer("Main");

  auto* previous = dynamic_cast<tlp::GlGraphComposite*>(layer->findGlEntity("graph"));
  auto* composite = new tlp::GlGraphComposite(graph, scene);
  if (previous != nullptr)
    layer->deleteGlEntity(previous);

  tlp::DataSet displaying;
  if (dataSet != nullptr && dataSet->get("displaying", displaying)) {
    tlp::GlGraphRenderingParameters parameters = composite->getRenderingParameters();
    parameters.setParameters(displaying);
    composite->setRenderingParameters(parameters);
  }
  // Adding the entity makes it the scene's graph composite and the layer its graph
  // layer, so the view draws and picks this graph.
  layer->addGlEntity(composite, "graph");
  scene->getCalculator()->setInputData(composite->getInputData());
  return previous;
}

void applyMapRenderingSettings(tlp::GlMainWidget* view) {
  tlp::GlGraphComposite* composite = view->getScene()->getGlGraphComposite();
  if (composite == nullptr)
    return;
  tlp::GlGraphRenderingParameters parameters = composite->getRenderingParameters();
  parameters.setEdgeColorInterpolate(false);
  parameters.setEdgeSizeInterpolate(true);
  parameters.setViewArrow(false);
  parameters.setAntialiasing(true);
  parameters.setViewNodeLabel(true);
  parameters.setMaxSizeOfLabel(12);
  composite->setRenderingParameters(parameters);
  MapNavigator::fit(view);
}

namespace {

// The side of the map view in the main window as it opens, and the edge length
// under which curves and straight lines look alike there: a map line's curve
// strays from the straight segments through its bends by about 2 % of its length
// (2 pixels on the bundled example's 100-pixel lines), under a pixel below 25.
constexpr float kReferenceViewSide = 800.f;
constexpr float kShortLinePixels = 25.f;

} // namespace

float typicalLinePixelsWhenFitted(tlp::Graph* graph) {
  if (graph->numberOfEdges() == 0)
    return 0;
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  const tlp::Coord extent = layout->getMax(graph) - layout->getMin(graph);
  const float side = std::max(extent.getX(), extent.getY());
  std::vector<float> lengths;
  lengths.reserve(graph->numberOfEdges());
  for (const tlp::edge e : graph->edges()) {
    const auto& ends = graph->ends(e);
    lengths.push_back(layout->getNodeValue(ends.first).dist(layout->getNodeValue(ends.second)));
  }
  auto middle = lengths.begin() + lengths.size() / 2;
  std::nth_element(lengths.begin(), middle, lengths.end());
  return side > 0 ? *middle * kReferenceViewSide / side : 0;
}

bool hasShortLinesWhenFitted(tlp::Graph* graph) {
  const float pixels = typicalLinePixelsWhenFitted(graph);
  return pixels > 0 && pixels < kShortLinePixels;
}

void drawInOneThread() {
  // Asked of the runtime the library was built with, which need not be the one of
  // our compiler; a library without OpenMP has none and needs nothing.
  using SetThreadCount = void (*)(int);
  if (auto setThreadCount =
          reinterpret_cast<SetThreadCount>(dlsym(RTLD_DEFAULT, "omp_set_num_threads")))
    setThreadCount(1);
}
