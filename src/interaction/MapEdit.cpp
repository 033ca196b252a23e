#include "interaction/MapEdit.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/Observable.h>

#include <algorithm>

namespace {

const char* const ColourIdName = "Colour ID";

template <typename Property> auto valueOf(Property* property, tlp::node n) {
  return property->getNodeValue(n);
}
template <typename Property> auto valueOf(Property* property, tlp::edge e) {
  return property->getEdgeValue(e);
}
template <typename Property, typename Value>
void setValue(Property* property, tlp::node n, const Value& value) {
  property->setNodeValue(n, value);
}
template <typename Property, typename Value>
void setValue(Property* property, tlp::edge e, const Value& value) {
  property->setEdgeValue(e, value);
}

// The four properties an edit changes, looked up once per pass over the graph.
struct EditedProperties {
  explicit EditedProperties(tlp::Graph* graph)
      : selection(graph->getProperty<tlp::BooleanProperty>("viewSelection")),
        colourIds(graph->existLocalProperty(ColourIdName)
                      ? graph->getLocalProperty<tlp::IntegerProperty>(ColourIdName)
                      : nullptr),
        fills(graph->getProperty<tlp::ColorProperty>("viewColor")),
        borders(graph->getProperty<tlp::ColorProperty>("viewBorderColor")) {}

  // The colour index of an element; -1 before the graph has any.
  template <typename Element> int colourIdOf(Element element) const {
    return colourIds == nullptr ? -1 : valueOf(colourIds, element);
  }

  tlp::BooleanProperty* selection;
  tlp::IntegerProperty* colourIds;
  tlp::ColorProperty* fills;
  tlp::ColorProperty* borders;
};

} // namespace

tlp::IntegerProperty* pathColourIds(tlp::Graph* graph) {
  if (!graph->existLocalProperty(ColourIdName)) {
    tlp::IntegerProperty* created = graph->getLocalProperty<tlp::IntegerProperty>(ColourIdName);
    created->setAllNodeValue(-1);
    created->setAllEdgeValue(-1);
  }
  return graph->getLocalProperty<tlp::IntegerProperty>(ColourIdName);
}

MapEdit::MapEdit(tlp::Graph* graph) : graph(graph) {
  remember<tlp::node>(graph->nodes(), nodeRecording);
  remember<tlp::edge>(graph->edges(), edgeRecording);
}

template <typename Element, typename Elements>
void MapEdit::remember(const Elements& elements, Recording& recording) const {
  tlp::BooleanProperty* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  for (Element element : elements) {
    if (element.id >= recording.selected.size())
      recording.selected.resize(
          std::max<std::size_t>(element.id + 1, 2 * recording.selected.size()));
    recording.selected[element.id] = valueOf(selection, element);
  }
}

void MapEdit::watchColoursOfSelection() {
  coloursWatched = true;
  watch<tlp::node>(graph->nodes(), nodeRecording);
  watch<tlp::edge>(graph->edges(), edgeRecording);
}

template <typename Element, typename Elements>
void MapEdit::watch(const Elements& elements, Recording& recording) const {
  const EditedProperties properties(graph);
  for (Element element : elements) {
    if (!valueOf(properties.selection, element))
      continue;
    recording.watchedIds.push_back(element.id);
    recording.colourIds.push_back(properties.colourIdOf(element));
    recording.fills.push_back(valueOf(properties.fills, element));
    recording.borders.push_back(valueOf(properties.borders, element));
  }
}

bool MapEdit::finish() {
  keep<tlp::node>(graph->nodes(), nodeRecording, nodes);
  keep<tlp::edge>(graph->edges(), edgeRecording, edges);
  nodeRecording = Recording();
  edgeRecording = Recording();
  return !nodes.ids.empty() || !edges.ids.empty();
}

// Walks the elements in the same order as watch() did, so the watched ones come up
// in the order of their recorded colours.
template <typename Element, typename Elements>
void MapEdit::keep(const Elements& elements, Recording& recording, Touched& touched) const {
  const EditedProperties properties(graph);
  std::size_t watched = 0;
  for (Element element : elements) {
    const bool isWatched =
        watched < recording.watchedIds.size() && recording.watchedIds[watched] == element.id;
    const bool wasSelected =
        element.id < recording.selected.size() && recording.selected[element.id];
    const bool selected = valueOf(properties.selection, element);
    if (!isWatched && selected == wasSelected)
      continue;
    touched.ids.push_back(element.id);
    touched.selected[0].push_back(wasSelected);
    touched.selected[1].push_back(selected);
    if (!coloursWatched)
      continue;
    const int colourId = properties.colourIdOf(element);
    const tlp::Color fill = valueOf(properties.fills, element);
    const tlp::Color border = valueOf(properties.borders, element);
    // An element whose selection changed without being watched kept its colours.
    touched.colourIds[0].push_back(isWatched ? recording.colourIds[watched] : colourId);
    touched.fills[0].push_back(isWatched ? recording.fills[watched] : fill);
    touched.borders[0].push_back(isWatched ? recording.borders[watched] : border);
    touched.colourIds[1].push_back(colourId);
    touched.fills[1].push_back(fill);
    touched.borders[1].push_back(border);
    watched += isWatched ? 1 : 0;
  }
}

void MapEdit::undo() const {
  apply(0);
}

void MapEdit::redo() const {
  apply(1);
}

void MapEdit::apply(int side) const {
  tlp::Observable::holdObservers();
  apply<tlp::node>(nodes, side);
  apply<tlp::edge>(edges, side);
  tlp::Observable::unholdObservers();
}

template <typename Element> void MapEdit::apply(const Touched& touched, int side) const {
  const bool colours = !touched.colourIds[side].empty();
  if (colours)
    pathColourIds(graph);
  const EditedProperties properties(graph);
  for (std::size_t i = 0; i < touched.ids.size(); ++i) {
    const Element element(touched.ids[i]);
    setValue(properties.selection, element, touched.selected[side][i]);
    if (!colours)
      continue;
    setValue(properties.colourIds, element, touched.colourIds[side][i]);
    setValue(properties.fills, element, touched.fills[side][i]);
    setValue(properties.borders, element, touched.borders[side][i]);
  }
}

std::set<int> MapEdit::colourIndices() const {
  std::set<int> indices;
  for (int side = 0; side < 2 && !nodes.colourIds[side].empty(); ++side)
    for (std::size_t i = 0; i < nodes.ids.size(); ++i)
      if (nodes.colourIds[side][i] >= 0)
        indices.insert(nodes.colourIds[side][i]);
  return indices;
}
