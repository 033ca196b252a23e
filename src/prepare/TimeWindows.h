#ifndef TEXTFERRO_TIMEWINDOWS_H
#define TEXTFERRO_TIMEWINDOWS_H

// Time steps as windows over documents sorted by date.
//
// `steps` windows of equal length L follow each other at a stride of
// L * (1 - overlap), so that with the default overlap of 0.5 every document
// but those of the first and last half window belongs to two consecutive
// windows, which is what lets documents flow from cluster to cluster. The length
// is measured in documents (WindowMode::Count, the default, since real dates are
// skewed) or in time (WindowMode::Calendar). A window holds the documents whose
// position p satisfies start <= p < start + L; the last window also holds its end.
// Documents of the same date always share their windows. Windows that would hold
// no document, or the same documents as the window before, are left out, so there
// may be fewer windows than steps.

#include <QtGlobal>

#include <vector>

enum class WindowMode { Count, Calendar };

struct WindowOptions {
  int steps = 10;
  WindowMode mode = WindowMode::Count;
  double overlap = 0.5; // 0 <= overlap < 1
};

// `dateKeys` must be sorted ascending. Returns, per window in time order, the
// indices into `dateKeys` of its documents, ascending.
std::vector<std::vector<int>> timeWindows(const std::vector<qint64>& dateKeys,
                                          const WindowOptions& options);

#endif
