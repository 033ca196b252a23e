#ifndef TEXTFERRO_EDITHISTORY_H
#define TEXTFERRO_EDITHISTORY_H

// The last edits of the map, for undo and redo. At most `limit` steps are kept (the
// oldest go first), so a long session holds a bounded amount of memory; a new edit
// forgets the steps undone before it.

#include "interaction/MapEdit.h"

#include <cstddef>
#include <deque>

class EditHistory {
public:
  explicit EditHistory(std::size_t limit = 50);

  void add(MapEdit edit);
  // Put back the graph as it was before the last applied step, or after the last
  // undone one; they return that step, or null when there is none.
  const MapEdit* undo();
  const MapEdit* redo();

  bool canUndo() const { return applied > 0; }
  bool canRedo() const { return applied < steps.size(); }

private:
  std::deque<MapEdit> steps;
  std::size_t applied = 0; // the steps before this index are in the graph
  std::size_t limit;
};

#endif
