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

// The length in pixels of graph's typical edge (the median distance between its
// ends) with the whole graph fitted into a view of about 800 pixels; 0 without edges.
float typicalLinePixelsWhenFitted(tlp::Graph* graph);
// Whether that length is only a few pixels: then a curve and a straight line
// through the same bends look alike.
bool hasShortLinesWhenFitted(tlp::Graph* graph);

// Makes the graph library's parallel loops run in the calling thread alone from
// now on. The library opens a team of OpenMP threads for each curved line it
// computes, thousands per drawing of a map, and the team's threads spin between
// them: several times the drawing's own work on a machine of a few cores.
void drawInOneThread();

#endif
