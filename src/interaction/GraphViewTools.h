#ifndef TEXTFERRO_GRAPHVIEWTOOLS_H
#define TEXTFERRO_GRAPHVIEWTOOLS_H

// What the map view and the detail window's view share: putting a graph into an
// OpenGL graph view, and the program's rendering settings.

namespace tlp {
class DataSet;
class GlGraphComposite;
class GlMainWidget;
class Graph;
} // namespace tlp

// Shows graph in view: a new graph entity named "graph" in the layer "Main" (made
// if missing), with the rendering parameters under "displaying" in dataSet, if
// any. Returns the entity it replaced, already out of its layer (the caller
// disposes of it), or null.
tlp::GlGraphComposite* showGraphInView(tlp::GlMainWidget* view, tlp::Graph* graph,
                                       tlp::DataSet* dataSet);

// Straight-coloured edges with interpolated sizes, no arrow heads, antialiasing,
// node labels; fits the whole graph into the view. Does nothing when the view shows no graph.
void applyMapRenderingSettings(tlp::GlMainWidget* view);

#endif
