// One timeline line: whatever the bytes, parsing ends with a sorted series of
// valid items or with an error, never with a half-valid series.

#include "FuzzSupport.h"

#include "clusterflow/TimelineReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  timeline::Series series;
  std::string error;
  const bool ok = timeline::parseTimelineLine(line, series, error);
  fuzz::check(ok == error.empty(), "an error message exactly on failure");
  if (!ok)
    return 0;
  for (std::size_t i = 0; i < series.size(); ++i) {
    fuzz::check(series[i].first >= 1 && series[i].first <= timeline::kMaxTimeStep, "time in range");
    fuzz::check(series[i].second >= 1, "cluster in range");
    fuzz::check(i == 0 || series[i - 1].first < series[i].first, "strictly increasing time");
  }
  return 0;
}
