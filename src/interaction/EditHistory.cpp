#include "interaction/EditHistory.h"

#include <utility>

EditHistory::EditHistory(std::size_t limit) : limit(limit) {}

void EditHistory::add(MapEdit edit) {
  steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(applied), steps.end());
  steps.push_back(std::move(edit));
  while (steps.size() > limit)
    steps.pop_front();
  applied = steps.size();
}

const MapEdit* EditHistory::undo() {
  if (!canUndo())
    return nullptr;
  const MapEdit& step = steps[--applied];
  step.undo();
  return &step;
}

const MapEdit* EditHistory::redo() {
  if (!canRedo())
    return nullptr;
  const MapEdit& step = steps[applied++];
  step.redo();
  return &step;
}
