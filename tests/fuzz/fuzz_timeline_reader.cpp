// The whole timeline reader on a file of arbitrary bytes.

#include "FuzzSupport.h"

#include "clusterflow/TimelineReader.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::writeScratch("timeline.txt", data, size);
  std::vector<timeline::Series> all;
  int maxTime = 0;
  std::string error;
  if (!timeline::readTimeline(path, all, maxTime, error)) {
    fuzz::check(!error.empty(), "a message on failure");
    return 0;
  }
  int largest = -1;
  for (const timeline::Series& series : all) {
    fuzz::check(!series.empty(), "no empty series");
    largest = std::max(largest, series.back().first);
  }
  fuzz::check(largest == maxTime, "maxTime is the largest time step");
  fuzz::check(timeline::countDummyNodes(all) >= 0, "dummy count not negative");
  return 0;
}
