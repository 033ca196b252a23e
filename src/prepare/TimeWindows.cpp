#include "prepare/TimeWindows.h"

#include <algorithm>
#include <cmath>

namespace {

// A document's position along the windows: its rank among the documents (that of
// the first one of its date, so that equal dates stay together) or its time.
std::vector<double> positions(const std::vector<qint64>& dateKeys, WindowMode mode, double& end) {
  std::vector<double> position(dateKeys.size());
  for (std::size_t i = 0; i < dateKeys.size(); ++i) {
    if (mode == WindowMode::Calendar)
      position[i] = double(dateKeys[i] - dateKeys.front());
    else
      position[i] = i > 0 && dateKeys[i] == dateKeys[i - 1] ? position[i - 1] : double(i);
  }
  end = mode == WindowMode::Calendar ? double(dateKeys.back() - dateKeys.front())
                                     : double(dateKeys.size());
  return position;
}

} // namespace

std::vector<std::vector<int>> timeWindows(const std::vector<qint64>& dateKeys,
                                          const WindowOptions& options) {
  if (dateKeys.empty())
    return {};
  double end = 0;
  const std::vector<double> position = positions(dateKeys, options.mode, end);
  const int steps = end > 0 ? std::max(1, options.steps) : 1;
  const double length = end / (1.0 + (steps - 1) * (1.0 - options.overlap));
  const double stride = length * (1.0 - options.overlap);

  std::vector<std::vector<int>> windows(static_cast<std::size_t>(steps));
  for (std::size_t i = 0; i < position.size(); ++i) {
    const double p = position[i];
    // The windows that can hold p, widened by one on each side against rounding;
    // the test below decides.
    const int first = stride > 0 ? std::max(0, int(std::floor((p - length) / stride))) : 0;
    const int last = stride > 0 ? std::min(steps - 1, int(std::floor(p / stride)) + 1) : 0;
    for (int w = first; w <= last; ++w) {
      const double start = w * stride;
      if (p >= start && (p < start + length || w == steps - 1))
        windows[w].push_back(static_cast<int>(i));
    }
  }
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [](const std::vector<int>& w) { return w.empty(); }),
                windows.end());
  // With few distinct dates, consecutive windows can hold the same documents; a
  // step that repeats the one before would only double its clusters.
  windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
  return windows;
}
