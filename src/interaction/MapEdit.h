#ifndef TEXTFERRO_MAPEDIT_H
#define TEXTFERRO_MAPEDIT_H

// One undoable change of the map: a flow toggle, a cleared selection or a colouring.
// It keeps, for exactly the nodes and edges it touched, their values before and after
// of "viewSelection" and, for a colouring, of "Colour ID", "viewColor" and
// "viewBorderColor". Values that are the same for every touched element are kept once,
// so a toggle costs about four bytes per element and a colouring about twenty.
//
// Recording: construct it before the change (it remembers the whole selection),
// call watchColoursOfSelection() if the change recolours the selected elements, make
// the change, then finish(). The graph must outlive the edit.

#include <tulip/Color.h>

#include <cstddef>
#include <set>
#include <vector>

namespace tlp {
class BooleanProperty;
class ColorProperty;
class Graph;
class IntegerProperty;
} // namespace tlp

// The graph's own "Colour ID", created with -1 (no colour) for every node and edge if
// the graph has none: the property's default, 0, is a colour.
tlp::IntegerProperty* pathColourIds(tlp::Graph* graph);

// Values of one property for a list of elements, held once while they are all equal.
template <typename T> class ValueColumn {
public:
  void push_back(const T& value) {
    if (values.empty() && (count == 0 || value == same)) {
      same = value;
    } else {
      if (values.empty())
        values.assign(count, same);
      values.push_back(value);
    }
    ++count;
  }
  T operator[](std::size_t i) const { return values.empty() ? same : T(values[i]); }
  bool empty() const { return count == 0; }

private:
  std::vector<T> values;
  T same{};
  std::size_t count = 0;
};

class MapEdit {
public:
  explicit MapEdit(tlp::Graph* graph);

  // Remembers the colours of every node and edge selected now.
  void watchColoursOfSelection();
  // Keeps every element whose selection changed or whose colours were watched;
  // false when the change touched nothing.
  bool finish();

  // Puts back the values before, or after, the change.
  void undo() const;
  void redo() const;

  // The colour indices that touched nodes held before or after the change.
  std::set<int> colourIndices() const;

private:
  // The touched nodes or edges and their values; index 0 before, 1 after.
  struct Touched {
    std::vector<unsigned int> ids;
    ValueColumn<bool> selected[2];
    ValueColumn<int> colourIds[2];
    ValueColumn<tlp::Color> fills[2], borders[2];
  };
  // While recording: the selection before, and the watched elements in graph order
  // with their colours before.
  struct Recording {
    std::vector<bool> selected;
    std::vector<unsigned int> watchedIds;
    std::vector<int> colourIds;
    std::vector<tlp::Color> fills, borders;
  };

  template <typename Element, typename Elements>
  void remember(const Elements& elements, Recording& recording) const;
  template <typename Element, typename Elements>
  void watch(const Elements& elements, Recording& recording) const;
  template <typename Element, typename Elements>
  void keep(const Elements& elements, Recording& recording, Touched& touched) const;
  template <typename Element> void apply(const Touched& touched, int side) const;
  void apply(int side) const;

  tlp::Graph* graph;
  bool coloursWatched = false;
  Recording nodeRecording, edgeRecording;
  Touched nodes, edges;
};

#endif
