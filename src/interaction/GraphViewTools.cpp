#include "interaction/GraphViewTools.h"

#include "interaction/MapNavigator.h"

#include <tulip/DataSet.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphRenderingParameters.h>
#include <tulip/GlLODCalculator.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>

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
