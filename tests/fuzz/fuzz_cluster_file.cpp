// One object or feature file of arbitrary bytes.

#include "FuzzSupport.h"

#include "clusterflow/TimelineReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::writeScratch("step1.obj", data, size);
  std::unordered_map<int, std::unordered_map<int, std::vector<std::string>>> ids;
  std::string error;
  if (!timeline::readClusterFile(path, 1, ids, error))
    return 0;
  for (const auto& [cluster, byTime] : ids) {
    fuzz::check(cluster >= 1, "clusters count from 1");
    for (const auto& [time, list] : byTime) {
      fuzz::check(time == 1 && !list.empty(), "entries only for clusters with identifiers");
      for (const std::string& id : list)
        fuzz::check(!id.empty() && id.find(',') == std::string::npos, "identifiers are items");
    }
  }
  return 0;
}
